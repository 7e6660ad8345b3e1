#pragma once
// Whole-file text input as lines, and atomic file output.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

namespace textfile {

// Reads a text device line by line, holding no more than one chunk and the
// line in hand, whatever the size of the file. A line ends at CR LF, at a lone
// LF or at a lone CR; a line end after the last line adds no line.
class LineReader {
public:
    // device: open for reading, positioned where the text starts.
    explicit LineReader(QIODevice* device) : device_(device) {}
    // The next line without its end, valid until the next call. False at the
    // end of the text, and when reading fails (failed() tells).
    bool next(QByteArrayView* line);
    bool failed() const { return failed_; }
    QString errorString() const;

private:
    bool fill();

    QIODevice* device_;
    QByteArray buffer_;
    qsizetype start_ = 0; // first byte of the line in hand
    qsizetype scan_ = 0;  // where the search for its end goes on
    bool atEnd_ = false;
    bool failed_ = false;
};

// Replaces the file with bytes, or leaves it as it was: the bytes go to a
// temporary file beside it that takes the file's place only once it is
// complete. In a folder where no file can be created, a writable file is
// overwritten in place instead. Returns false, with a reason in *error, when that fails.
bool writeAtomic(const QString& path, const QByteArray& bytes, QString* error);

// CR LF after every line of text given with '\n' line ends (as a text box holds it).
QByteArray withCrLf(const QByteArray& text);

} // namespace textfile
