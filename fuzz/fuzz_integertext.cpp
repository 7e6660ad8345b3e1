// Integer text in both ranges: the byte and UTF-16 forms of a text agree;
// Signed32 keeps the sign of the text and accepts nothing that Pattern32
// reads otherwise, and Pattern32 goes beyond it only with hexadecimal text
// outside the signed range; leading spaces change nothing and anything after
// the digits is refused; an accepted value reads back from each form it can
// be written in.

#include "integertext.h"
#include "check.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

using evm::IntegerRange;

namespace {

constexpr IntegerRange kRanges[] = {IntegerRange::Signed32, IntegerRange::Pattern32};

std::optional<std::int32_t> parse(const std::string& text, IntegerRange range)
{
    return evm::parseInteger(std::string_view(text), range);
}

// Sign and base of a text in the grammar.
struct Form {
    bool negative = false;
    bool hex = false;
};

Form formOf(std::string_view t)
{
    Form f;
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ') ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) f.negative = t[i++] == '-';
    f.hex = i < t.size() && (t[i] == '$' || t[i] == 'x' || t[i] == 'X' ||
                             (t[i] == '0' && i + 1 < t.size() && (t[i + 1] == 'x' || t[i + 1] == 'X')));
    return f;
}

// Every form value can be written in reads back as value in range.
void checkWrittenForms(std::int32_t value, IntegerRange range)
{
    const auto magnitude = value < 0 ? 0u - std::uint32_t(value) : std::uint32_t(value);
    const char* const sign = value < 0 ? "-" : "+";
    char text[32];
    for (const char* prefix : {"0x", "0X", "x", "X", "$"}) {
        for (const char* format : {"%s%s%X", "   %s%s%08x"}) {
            std::snprintf(text, sizeof text, format, sign, prefix, unsigned(magnitude));
            FUZZ_CHECK(parse(text, range) == value);
        }
    }
    FUZZ_CHECK(parse(std::to_string(value), range) == value);
    std::snprintf(text, sizeof text, "  %s%010u", sign, unsigned(magnitude));
    FUZZ_CHECK(parse(text, range) == value);
    // A register's bit pattern, as a snapshot writes it.
    std::snprintf(text, sizeof text, "0x%X", unsigned(std::uint32_t(value)));
    FUZZ_CHECK(parse(text, IntegerRange::Pattern32) == value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Latin-1 gives the characters of the bytes; UTF-8 turns every byte above
    // 0x7F into a character that no number holds either.
    const QString latin1 = QString::fromLatin1(text.data(), qsizetype(size));
    const QString utf8 = QString::fromUtf8(text.data(), qsizetype(size));

    std::optional<std::int32_t> result[2];
    for (int r = 0; r < 2; ++r) {
        const IntegerRange range = kRanges[r];
        result[r] = parse(text, range);
        FUZZ_CHECK(evm::parseInteger(QStringView(latin1), range) == result[r]);
        FUZZ_CHECK(evm::parseInteger(QStringView(utf8), range) == result[r]);
        FUZZ_CHECK(parse("  " + text, range) == result[r]);
        FUZZ_CHECK(!parse(text + ' ', range));
        if (result[r]) checkWrittenForms(*result[r], range);
    }

    const auto& [signed32, pattern32] = result;
    const Form f = formOf(text);
    if (signed32) {
        FUZZ_CHECK(pattern32 == signed32);
        FUZZ_CHECK((*signed32 < 0) == (f.negative && *signed32 != 0)); // the sign is the text's
    }
    if (pattern32 && !signed32) {
        const std::uint32_t magnitude =
            f.negative ? 0u - std::uint32_t(*pattern32) : std::uint32_t(*pattern32);
        FUZZ_CHECK(f.hex);
        FUZZ_CHECK(f.negative ? magnitude > 0x80000000u : magnitude > 0x7FFFFFFFu);
    }
    return 0;
}
