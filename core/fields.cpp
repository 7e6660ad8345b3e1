#include "fields.h"

#include <vector>

namespace scriptfields {
namespace {

inline bool isBlank(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

inline const char* skipBlanks(const char* p, const char* end)
{
    while (p != end && isBlank(*p)) ++p;
    return p;
}

} // namespace

int split(const char* begin, const char* end, Field* out, int maxFields)
{
    int n = 0;
    const char* p = skipBlanks(begin, end);
    while (p != end && n < maxFields) {
        Field f;
        if (*p == '"') {
            f.begin = ++p;
            while (p != end) {
                if (*p == '"') {
                    if (p + 1 != end && p[1] == '"') {
                        f.doubledQuotes = true;
                        p += 2;
                        continue;
                    }
                    break;
                }
                ++p;
            }
            f.end = p;         // an unclosed quote runs to the end of the line
            if (p != end) ++p; // the closing quote
        } else {
            f.begin = p;
            while (p != end && *p != ',' && !isBlank(*p)) ++p;
            f.end = p;
        }
        out[n++] = f;

        p = skipBlanks(p, end);
        if (p != end && *p == ',') {
            p = skipBlanks(p + 1, end);
            if (p == end && n < maxFields) out[n++] = Field{end, end, false}; // trailing comma
        }
    }
    return n;
}

QByteArray fieldText(const Field& field)
{
    QByteArray text(field.begin, field.size());
    if (field.doubledQuotes) text.replace("\"\"", "\"");
    return text;
}

QList<QByteArray> splitAll(QByteArrayView line)
{
    // Every field takes at least one byte of the line, the trailing empty one
    // aside, so the line's length bounds the count.
    std::vector<Field> fields(std::size_t(line.size()) + 1);
    const int n = split(line.data(), line.data() + line.size(), fields.data(), int(fields.size()));
    QList<QByteArray> out;
    out.reserve(n);
    for (int i = 0; i < n; ++i) out.append(fieldText(fields[std::size_t(i)]));
    return out;
}

} // namespace scriptfields
