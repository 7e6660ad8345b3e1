// A script line's kind and numbers agree with its fields read one by one: the
// field texts and the integer text give the same answer as the line parser,
// which works on raw views of at most two fields.

#include "fields.h"
#include "integertext.h"
#include "scriptline.h"
#include "check.h"

#include <cstdint>

using scriptline::Kind;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char*>(data), qsizetype(size));
    const scriptline::Line line = scriptline::parse(text);
    const QList<QByteArray> f = scriptfields::splitAll(text);

    std::int32_t a = 0, b = 0;
    auto number = [](const QByteArray& t, std::int32_t* v) {
        const auto n = evm::parseInteger(std::string_view(t.constData(), std::size_t(t.size())),
                                         evm::IntegerRange::Pattern32);
        if (n) *v = *n;
        return n.has_value();
    };
    if (f.isEmpty()) {
        FUZZ_CHECK(line.kind == Kind::Empty);
    } else if (f[0].compare("sleep", Qt::CaseInsensitive) == 0) {
        if (f.size() < 2 || !number(f[1], &a) || a < 0) {
            FUZZ_CHECK(line.kind == Kind::BadWait);
        } else {
            FUZZ_CHECK(line.kind == Kind::Wait && line.first == a);
        }
    } else if (f.size() < 2 || !number(f[0], &a) || !number(f[1], &b)) {
        FUZZ_CHECK(line.kind == Kind::BadRecord);
    } else if (std::uint32_t(b) > 255u) {
        FUZZ_CHECK(line.kind == Kind::BadData);
    } else {
        FUZZ_CHECK(line.kind == Kind::Write && line.first == a && line.second == b);
    }
    const bool bad = line.kind == Kind::BadWait || line.kind == Kind::BadRecord || line.kind == Kind::BadData;
    FUZZ_CHECK(scriptline::errorText(line.kind).isEmpty() != bad);
    return 0;
}
