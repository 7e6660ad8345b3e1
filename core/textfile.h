#pragma once
// Whole-file text input as lines, and file output that never leaves a cut file.

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

// Replaces the regular file at path with bytes (or makes it), or leaves it as
// it was: the bytes go to a temporary file beside it that takes the file's
// place only once it is complete. In a folder where no file can be made, an
// existing writable file is overwritten in place instead, growing to its new
// length before any old byte is overwritten, so that a full disk or a size
// limit leaves the old content whole. A path that is there but is no regular
// file is refused and left alone. Returns false, with a reason in *error, when
// the file could not be written.
bool writeAtomic(const QString& path, const QByteArray& bytes, QString* error);

// Writes bytes where path leads, as a save the user asked for: a regular file
// (or a new one) through writeAtomic; anything else (a FIFO, a device, a
// terminal, an open descriptor named as /dev/stdout or /dev/fd/N) is opened
// and written into as a shell redirection would, never replaced. Returns false,
// with a reason in *error, when opening, any write or the close fails.
bool writeFile(const QString& path, const QByteArray& bytes, QString* error);

// CR LF after every line of text given with '\n' line ends (as a text box holds it).
QByteArray withCrLf(const QByteArray& text);

} // namespace textfile
