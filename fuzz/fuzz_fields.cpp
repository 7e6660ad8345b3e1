// Field splitting: every field lies inside the line, in order and apart; a
// limit keeps the first fields as they are; the fields written back as a line
// of quoted fields split into the same texts.

#include "check.h"
#include "fields.h"

#include <algorithm>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* const begin = reinterpret_cast<const char*>(data);
    const char* const end = begin + size;
    const QByteArrayView line(begin, qsizetype(size));

    std::vector<scriptfields::Field> all(size + 1);
    const int n = scriptfields::split(begin, end, all.data(), int(all.size()));
    FUZZ_CHECK(n >= 0 && std::size_t(n) <= size + 1);
    const char* previous = begin;
    for (int i = 0; i < n; ++i) {
        const scriptfields::Field& f = all[std::size_t(i)];
        FUZZ_CHECK(previous <= f.begin && f.begin <= f.end && f.end <= end);
        if (f.doubledQuotes) FUZZ_CHECK(f.raw().contains("\"\""));
        previous = f.end;
    }

    scriptfields::Field few[3];
    const int limit = size ? data[0] % 4 : 0;
    const int m = scriptfields::split(begin, end, few, limit);
    FUZZ_CHECK(m == std::min(n, limit));
    for (int i = 0; i < m; ++i)
        FUZZ_CHECK(few[i].begin == all[std::size_t(i)].begin && few[i].end == all[std::size_t(i)].end);

    const QList<QByteArray> texts = scriptfields::splitAll(line);
    FUZZ_CHECK(texts.size() == n);
    QByteArray quoted;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i) quoted += ',';
        quoted += '"' + QByteArray(texts[i]).replace("\"", "\"\"") + '"';
    }
    FUZZ_CHECK(scriptfields::splitAll(quoted) == texts);
    return 0;
}
