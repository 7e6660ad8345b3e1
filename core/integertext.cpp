#include "integertext.h"

#include <type_traits>

namespace evm {
namespace {

// Ch is char or char16_t: a character is compared by its whole code unit, so
// neither a byte above 0x7F nor a character whose low byte is a digit passes.
template <class Ch> std::optional<std::int32_t> parse(const Ch* p, const Ch* end, IntegerRange range)
{
    while (p != end && *p == Ch(' ')) ++p;
    bool negative = false;
    if (p != end && (*p == Ch('+') || *p == Ch('-'))) {
        negative = *p == Ch('-');
        ++p;
    }
    if (p == end) return std::nullopt;

    bool hex = false;
    if (*p == Ch('$') || *p == Ch('x') || *p == Ch('X')) {
        hex = true;
        ++p;
    } else if (*p == Ch('0') && end - p >= 2 && (p[1] == Ch('x') || p[1] == Ch('X'))) {
        hex = true;
        p += 2;
    }
    if (p == end) return std::nullopt; // a prefix (or sign) without digits

    // The magnitude of a signed 32-bit value; a bit pattern may use all 32 bits.
    const std::uint32_t signedLimit = negative ? 0x80000000u : 0x7FFFFFFFu;
    std::uint32_t v = 0;
    if (hex) {
        for (; p != end; ++p) {
            const auto c = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<Ch>>(*p));
            std::uint32_t digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return std::nullopt;
            if (v > 0x0FFFFFFFu) return std::nullopt; // a 33rd significant bit
            v = (v << 4) | digit;
        }
        if (range == IntegerRange::Signed32 && v > signedLimit) return std::nullopt;
    } else {
        for (; p != end; ++p) {
            const auto c = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<Ch>>(*p));
            if (c < '0' || c > '9') return std::nullopt;
            const std::uint32_t digit = c - '0';
            if (v > (signedLimit - digit) / 10) return std::nullopt;
            v = v * 10 + digit;
        }
    }
    // Modulo 2^32: the bit pattern's sign is its own, and a sign negates it.
    return static_cast<std::int32_t>(negative ? 0u - v : v);
}

} // namespace

std::optional<std::int32_t> parseInteger(std::string_view text, IntegerRange range)
{
    return parse(text.data(), text.data() + text.size(), range);
}

std::optional<std::int32_t> parseInteger(QStringView text, IntegerRange range)
{
    return parse(text.utf16(), text.utf16() + text.size(), range);
}

} // namespace evm
