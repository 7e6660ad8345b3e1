#include "scripts/textfile.h"

#include <QFile>
#include <QSaveFile>

namespace textfile {

Lines::Lines(QByteArray bytes) : bytes_(std::move(bytes))
{
    const char* const base = bytes_.constData();
    const char* const end = base + bytes_.size();
    const char* p = base;
    while (p != end) {
        const char* start = p;
        while (p != end && *p != '\n' && *p != '\r') ++p;
        spans_.push_back({start - base, p - start});
        if (p == end) break;
        if (*p == '\r' && p + 1 != end && p[1] == '\n') ++p;
        ++p;
    }
}

bool readLines(const QString& path, Lines* lines, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = file.errorString();
        return false;
    }
    *lines = Lines(std::move(bytes));
    return true;
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
