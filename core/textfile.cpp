#include "textfile.h"

#include <QFile>
#include <QFileInfo>
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

namespace {

// Writes all of bytes at the device's position; false, with the reason in
// *error, when a write fails (a short write is followed by one that fails).
bool writeAll(QFileDevice& file, QByteArrayView bytes, QString* error)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            if (error) *error = file.errorString();
            return false;
        }
        done += qsizetype(n);
    }
    return true;
}

// Closes the file; false, with the reason in *error, when the close reports
// an error (a file system may report a failed write only there).
bool closeChecked(QFileDevice& file, QString* error)
{
    file.close();
    if (file.error() == QFileDevice::NoError) return true;
    if (error) *error = file.errorString();
    return false;
}

// Overwrites the existing regular file in place. The part beyond the old end
// goes first: if the disk or the size limit refuses it, the file is cut back
// to its old length and still holds its old content whole. Only then are the
// old bytes overwritten, and the file is cut to its new length last.
bool overwriteInPlace(QFile& file, QByteArrayView bytes, QString* error)
{
    const qint64 oldSize = file.size();
    const qint64 newSize = bytes.size();
    if (newSize > oldSize) {
        if (!file.seek(oldSize) || !writeAll(file, bytes.sliced(oldSize), error)) {
            const QString reason = file.errorString();
            file.resize(oldSize);
            if (error) *error = reason;
            return false;
        }
    }
    if (!file.seek(0) || !writeAll(file, bytes.first(qMin(oldSize, newSize)), error) ||
        (newSize < oldSize && !file.resize(newSize))) {
        if (error) *error = file.errorString();
        return false;
    }
    return closeChecked(file, error);
}

// True where path leads, through links, to an open descriptor (/dev/stdout,
// /dev/fd/N, /proc/PID/fd/N): what is written there belongs to whatever the
// descriptor holds open, even where that is a regular file.
bool namesDescriptor(const QString& path)
{
#ifdef Q_OS_UNIX
    QFileInfo info(path);
    for (int links = 0; links < 40; ++links) {
        const QString p = info.absoluteFilePath();
        if (p.startsWith(QLatin1String("/dev/fd/")) || p.startsWith(QLatin1String("/proc/"))) return true;
        if (!info.isSymLink()) return false;
        info.setFile(info.symLinkTarget());
    }
#else
    Q_UNUSED(path);
#endif
    return false;
}

// Opens what path names for writing, as a shell redirection does, and writes.
bool writeInto(const QString& path, const QByteArray& bytes, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error) *error = file.errorString();
        return false;
    }
    return writeAll(file, bytes, error) && closeChecked(file, error);
}

} // namespace

bool writeAtomic(const QString& path, const QByteArray& bytes, QString* error)
{
    // QSaveFile would rename its temporary file over a FIFO or a device node.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        if (error) *error = QStringLiteral("not a regular file");
        return false;
    }
    QSaveFile file(path);
    // Unbuffered: a buffered QSaveFile drops the part of the data that the
    // disk refuses (full, or over the size limit) and still commits the
    // shortened file; written directly, every short write is seen here.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // Where no new file can be made beside the target (a read-only
        // folder) but the target itself is writable, it is overwritten in
        // place, as a plain save would. QSaveFile's own fallback for this
        // truncates the file first, and a failed write then leaves it cut.
        QFile inPlace(path);
        if (info.exists() &&
            inPlace.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
            return overwriteInPlace(inPlace, bytes, error);
        if (error) *error = file.errorString();
        return false;
    }
    if (!writeAll(file, bytes, error)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool writeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    const QFileInfo info(path);
    if (namesDescriptor(path) || (info.exists() && !info.isFile())) return writeInto(path, bytes, error);
    return writeAtomic(path, bytes, error);
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
