// Script numbers: the byte and the UTF-16 parsers agree, a refused text
// leaves the value alone, and an accepted number reads back from its decimal
// text and from its hexadecimal bit pattern.

#include "fuzz/check.h"
#include "core/scriptnumber.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr std::int32_t untouched = 0x5A5A5A5A;
    std::int32_t value = untouched;
    const bool ok = scriptnum::parse(text, &value);
    if (!ok) FUZZ_CHECK(value == untouched);

    // Latin-1 gives the same characters as the bytes; UTF-8 turns every byte
    // above 0x7F into a character that no number holds either.
    for (const QString& wide : {QString::fromLatin1(text.data(), qsizetype(size)),
                                QString::fromUtf8(text.data(), qsizetype(size))}) {
        std::int32_t w = untouched;
        FUZZ_CHECK(scriptnum::parse(QStringView(wide), &w) == ok);
        FUZZ_CHECK(w == value);
    }
    if (!ok) return 0;

    std::int32_t back = 0;
    FUZZ_CHECK(scriptnum::parse(std::to_string(value), &back) && back == value);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", unsigned(std::uint32_t(value)));
    back = 0;
    FUZZ_CHECK(scriptnum::parse(std::string_view(hex), &back) && back == value);
    return 0;
}
