#include "core/textfile.h"

#include <QFile>
#include <QIODevice>
#include <QSaveFile>

namespace textfile {

namespace {
// Large enough that a read costs little per line, small against any file.
constexpr qint64 kChunk = 64 * 1024;
} // namespace

bool LineReader::next(QByteArrayView* line)
{
    for (;;) {
        const char* const b = buffer_.constData();
        const qsizetype n = buffer_.size();
        qsizetype i = scan_;
        while (i < n && b[i] != '\n' && b[i] != '\r') ++i;
        if (i < n && !(b[i] == '\r' && i + 1 == n && !atEnd_)) {
            *line = QByteArrayView(b + start_, i - start_);
            const bool crlf = b[i] == '\r' && i + 1 < n && b[i + 1] == '\n';
            start_ = scan_ = i + (crlf ? 2 : 1);
            return true;
        }
        if (atEnd_) {
            if (start_ == n) return false;
            *line = QByteArrayView(b + start_, n - start_);
            start_ = scan_ = n;
            return true;
        }
        scan_ = i; // a CR last in the buffer waits to see whether LF follows
        if (!fill()) return false;
    }
}

bool LineReader::fill()
{
    buffer_.remove(0, start_);
    scan_ -= start_;
    start_ = 0;
    const qsizetype old = buffer_.size();
    buffer_.resize(old + kChunk);
    const qint64 got = device_->read(buffer_.data() + old, kChunk);
    buffer_.resize(old + qMax<qint64>(got, 0));
    if (got < 0) {
        failed_ = atEnd_ = true;
        return false;
    }
    if (got == 0) atEnd_ = true;
    return true;
}

QString LineReader::errorString() const
{
    return device_->errorString();
}

bool writeAtomic(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    // Where no new file can be made beside the target (a read-only folder)
    // but the target itself is writable, overwrite it in place, as a plain
    // save would; everywhere else the old file stays whole until commit.
    file.setDirectWriteFallback(true);
    // Unbuffered: a buffered QSaveFile drops the part of the data that the
    // disk refuses (full, or over the size limit) and still commits the
    // shortened file; written directly, every short write is seen here.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error) *error = file.errorString();
        return false;
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            if (error) *error = file.errorString();
            file.cancelWriting();
            return false;
        }
        done += qsizetype(n);
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

QByteArray withCrLf(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size() + text.count('\n'));
    for (char c : text) {
        if (c == '\n') out.append('\r');
        out.append(c);
    }
    return out;
}

} // namespace textfile
