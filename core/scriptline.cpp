#include "scriptline.h"

#include "fields.h"
#include "integertext.h"

namespace scriptline {
namespace {

// A field with a doubled quote holds a quote character once unescaped, which
// neither a number nor "sleep" can contain, so such fields are refused from
// their raw view without unescaping.
bool number(const scriptfields::Field& f, std::int32_t* value)
{
    if (f.doubledQuotes) return false;
    const auto n =
        evm::parseInteger(std::string_view(f.begin, std::size_t(f.size())), evm::IntegerRange::Pattern32);
    if (n) *value = *n;
    return n.has_value();
}

bool isSleep(const scriptfields::Field& f)
{
    static constexpr char kSleep[] = "sleep";
    if (f.doubledQuotes || f.size() != 5) return false;
    for (int i = 0; i < 5; ++i) {
        char c = f.begin[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != kSleep[i]) return false;
    }
    return true;
}

} // namespace

Line parse(QByteArrayView text)
{
    scriptfields::Field f[2];
    const int n = scriptfields::split(text.data(), text.data() + text.size(), f, 2);
    Line line;
    if (n == 0) return line;

    if (isSleep(f[0])) {
        // A negative wait would block the program for good: refuse it.
        if (n < 2 || !number(f[1], &line.first) || line.first < 0)
            line.kind = Kind::BadWait;
        else
            line.kind = Kind::Wait;
        return line;
    }
    if (n < 2 || !number(f[0], &line.first) || !number(f[1], &line.second)) {
        line.kind = Kind::BadRecord;
        return line;
    }
    line.kind = std::uint32_t(line.second) > 255u ? Kind::BadData : Kind::Write;
    return line;
}

QString errorText(Kind kind)
{
    switch (kind) {
    case Kind::BadWait:
        return QStringLiteral("Invalid sleep time.");
    case Kind::BadRecord:
        return QStringLiteral("Invalid record was found on the Register setting file.");
    case Kind::BadData:
        return QStringLiteral("Invalid register data!");
    default:
        return {};
    }
}

} // namespace scriptline
