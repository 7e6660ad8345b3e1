// Text-file lines: the streaming line reader gives the same lines as a plain
// split of the whole text, however the device hands out its bytes. The first
// input byte sets the sizes of the device's reads, so that line ends fall on
// every kind of read boundary (a CR last in one read, its LF first in the next).

#include "check.h"
#include "textfile.h"

#include <QIODevice>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Hands out its bytes in reads of 1 to 8 bytes, in a pattern set by seed.
class Trickle : public QIODevice {
public:
    Trickle(QByteArray bytes, std::uint8_t seed) : bytes_(std::move(bytes)), seed_(seed)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        seed_ = std::uint8_t(seed_ * 37 + 11);
        const qint64 n = std::min<qint64>({max, 1 + (seed_ >> 5), bytes_.size() - pos_});
        std::copy_n(bytes_.constData() + pos_, n, out);
        pos_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qsizetype pos_ = 0;
    std::uint8_t seed_;
};

// A line ends at CR LF, at a lone LF or at a lone CR; a line end after the
// last line adds no line.
std::vector<QByteArray> split(const QByteArray& t)
{
    std::vector<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] != '\r' && t[i] != '\n') continue;
        lines.push_back(t.mid(start, i - start));
        if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < t.size()) lines.push_back(t.mid(start));
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const QByteArray text(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    Trickle device(text, data[0]);
    textfile::LineReader reader(&device);
    const std::vector<QByteArray> expected = split(text);
    std::size_t count = 0;
    QByteArrayView line;
    while (reader.next(&line)) {
        FUZZ_CHECK(count < expected.size());
        FUZZ_CHECK(line == expected[count]);
        ++count;
    }
    FUZZ_CHECK(!reader.failed());
    FUZZ_CHECK(count == expected.size());
    return 0;
}
