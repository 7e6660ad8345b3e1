// The settings file's integer text takes the forms of the script number in a
// narrower range: where both accept a text they give the same value, and the
// script number alone accepts only hexadecimal text beyond the signed 32-bit
// range (it takes the bit pattern). An accepted value reads back from its
// decimal text.

#include "fuzz/check.h"
#include "core/settingstext.h"
#include "core/scriptnumber.h"

#include <QString>

#include <cstdint>

namespace {
struct Form {
    bool negative = false;
    bool hex = false;
};

// Sign and base of a text in the shared syntax.
Form formOf(QStringView t)
{
    Form f;
    qsizetype i = 0;
    while (i < t.size() && t[i] == u' ') ++i;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) f.negative = t[i++] == u'-';
    f.hex = i < t.size() && (t[i] == u'$' || t[i] == u'x' || t[i] == u'X' ||
                             (t[i] == u'0' && i + 1 < t.size() && (t[i + 1] == u'x' || t[i + 1] == u'X')));
    return f;
}

void check(const QString& text)
{
    const std::optional<std::int32_t> settings = evmlink::parseIntegerText(text);
    std::int32_t script = 0;
    const bool scriptOk = scriptnum::parse(QStringView(text), &script);
    if (settings) {
        FUZZ_CHECK(scriptOk && script == *settings);
        const std::optional<std::int32_t> back = evmlink::parseIntegerText(QString::number(*settings));
        FUZZ_CHECK(back && *back == *settings);
    } else if (scriptOk) {
        const Form f = formOf(text);
        const std::uint32_t magnitude = f.negative ? 0u - std::uint32_t(script) : std::uint32_t(script);
        FUZZ_CHECK(f.hex);
        FUZZ_CHECK(f.negative ? magnitude > 0x80000000u : magnitude > 0x7FFFFFFFu);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    check(QString::fromLatin1(text, qsizetype(size)));
    check(QString::fromUtf8(text, qsizetype(size)));
    return 0;
}
