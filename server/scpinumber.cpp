#include "scpinumber.h"

#include "integertext.h"

#include <string_view>

namespace evm::scpi {
namespace {

// The integer forms of the script files.
bool parseScriptInteger(QByteArrayView text, std::int64_t* value)
{
    const std::optional<std::int32_t> v =
        parseInteger(std::string_view(text.data(), std::size_t(text.size())), IntegerRange::Pattern32);
    if (!v) return false;
    *value = *v;
    return true;
}

bool isDigit(char c, int base)
{
    if (base == 16) return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
    return c >= '0' && c < char('0' + base);
}

int digitValue(char c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// A script integer's form: a text of it that the parser refuses is too wide.
bool hasScriptIntegerForm(QByteArrayView t)
{
    qsizetype i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    int base = 10;
    if (t.sliced(i).startsWith("0x") || t.sliced(i).startsWith("0X")) {
        i += 2;
        base = 16;
    } else if (i < t.size() && (t[i] == 'x' || t[i] == 'X' || t[i] == '$')) {
        ++i;
        base = 16;
    }
    if (i == t.size()) return false;
    for (; i < t.size(); ++i)
        if (!isDigit(t[i], base)) return false;
    return true;
}

} // namespace

NumberStatus parseNumber(QByteArrayView text, std::int64_t* value)
{
    if (text.size() >= 2 && text[0] == '#') {
        int base = 0;
        switch (text[1] | 0x20) {
        case 'h':
            base = 16;
            break;
        case 'b':
            base = 2;
            break;
        case 'q':
            base = 8;
            break;
        default:
            return NumberStatus::NotANumber;
        }
        if (text.size() == 2) return NumberStatus::NotANumber;
        std::uint64_t v = 0;
        bool wide = false;
        for (char c : text.sliced(2)) {
            if (!isDigit(c, base)) return NumberStatus::NotANumber;
            v = v * unsigned(base) + unsigned(digitValue(c));
            if (v > 0xFFFFFFFFu) {
                wide = true;
                v = 0;
            }
        }
        if (wide) return NumberStatus::TooLarge;
        *value = std::int64_t(v);
        return NumberStatus::Ok;
    }
    if (parseScriptInteger(text, value)) return NumberStatus::Ok;
    return hasScriptIntegerForm(text) ? NumberStatus::TooLarge : NumberStatus::NotANumber;
}

} // namespace evm::scpi
