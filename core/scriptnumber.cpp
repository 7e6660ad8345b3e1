#include "core/scriptnumber.h"

namespace scriptnum {
namespace {

template <class Ch> bool parseRange(const Ch* p, const Ch* end, std::int32_t* value)
{
    while (p != end && *p == Ch(' ')) ++p;
    bool negative = false;
    if (p != end && (*p == Ch('+') || *p == Ch('-'))) {
        negative = *p == Ch('-');
        ++p;
    }
    if (p == end) return false;

    bool hex = false;
    if (*p == Ch('$') || *p == Ch('x') || *p == Ch('X')) {
        hex = true;
        ++p;
    } else if (*p == Ch('0') && end - p >= 2 && (p[1] == Ch('x') || p[1] == Ch('X'))) {
        hex = true;
        p += 2;
    }
    if (p == end) return false; // a prefix (or sign) without digits

    if (hex) {
        std::uint32_t v = 0;
        for (; p != end; ++p) {
            const auto c = static_cast<std::uint32_t>(*p);
            std::uint32_t digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return false;
            if (v > 0x0FFFFFFFu) return false; // a 33rd significant bit
            v = (v << 4) | digit;
        }
        // The bit pattern is the number; the sign works on it modulo 2^32.
        *value = static_cast<std::int32_t>(negative ? 0u - v : v);
        return true;
    }

    const std::uint32_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    std::uint32_t v = 0;
    for (; p != end; ++p) {
        const auto c = static_cast<std::uint32_t>(*p);
        if (c < '0' || c > '9') return false;
        const std::uint32_t digit = c - '0';
        if (v > (limit - digit) / 10) return false;
        v = v * 10 + digit;
    }
    *value = static_cast<std::int32_t>(negative ? 0u - v : v);
    return true;
}

} // namespace

bool parse(std::string_view text, std::int32_t* value)
{
    return parseRange(text.data(), text.data() + text.size(), value);
}

bool parse(QStringView text, std::int32_t* value)
{
    return parseRange(text.utf16(), text.utf16() + text.size(), value);
}

} // namespace scriptnum
