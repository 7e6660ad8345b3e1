#pragma once
// Whole-file text input as lines, and atomic file output.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

namespace textfile {

// The bytes of a text file and where its lines lie. A line ends at CR LF, at a
// lone LF or at a lone CR; a line end after the last line adds no line.
class Lines {
public:
    Lines() = default;
    explicit Lines(QByteArray bytes);
    int count() const { return int(spans_.size()); }
    QByteArrayView line(int i) const
    {
        const Span& s = spans_[std::size_t(i)];
        return QByteArrayView(bytes_.constData() + s.start, s.length);
    }
    const QByteArray& bytes() const { return bytes_; }

private:
    struct Span {
        qsizetype start;
        qsizetype length;
    };
    QByteArray bytes_;
    std::vector<Span> spans_;
};

// Reads the whole file. Returns false, with a reason in *error, when the file
// cannot be opened or read.
bool readLines(const QString& path, Lines* lines, QString* error);

// Replaces the file with bytes, or leaves it as it was: the bytes go to a
// temporary file beside it that takes the file's place only once it is
// complete. In a folder where no file can be created, a writable file is
// overwritten in place instead. Returns false, with a reason in *error, when that fails.
bool writeAtomic(const QString& path, const QByteArray& bytes, QString* error);

// CR LF after every line of text given with '\n' line ends (as a text box holds it).
QByteArray withCrLf(const QByteArray& text);

} // namespace textfile
