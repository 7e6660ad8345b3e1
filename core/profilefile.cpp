#include "profilefile.h"

#include "textfile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace evmlink {

namespace {

const QByteArrayView kBom("\xEF\xBB\xBF");
constexpr char kCrLf[] = "\r\n";

// The blanks that reading trims: those of Latin-1 text (QChar::isSpace).
bool isBlank(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u == ' ' || (u >= 9 && u <= 13) || u == 0x85 || u == 0xA0;
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

QByteArrayView trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && isBlank(v.front())) v = v.sliced(1);
    while (!v.isEmpty() && isBlank(v.back())) v = v.chopped(1);
    return v;
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool quoted(QByteArrayView v)
{
    return v.size() >= 2 && v.front() == '"' && v.back() == '"';
}

qsizetype bomLength(const QByteArray& bytes)
{
    return bytes.startsWith(kBom) ? kBom.size() : 0;
}

// Where a key stands in the text, or where it would go.
struct Place {
    bool section = false;     // the section is there
    bool key = false;         // and holds the key
    qsizetype valueStart = 0; // the value text, inside its quotes
    qsizetype valueEnd = 0;
    bool quotes = false;       // the value stands in double quotes
    qsizetype insertAt = 0;    // where a new key line of the section goes
    bool needsLineEnd = false; // the line before insertAt ends the text without a line end
};

Place locate(const QByteArray& bytes, QByteArrayView section, QByteArrayView key)
{
    Place place;
    const char* const base = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype p = bomLength(bytes);
    place.insertAt = p;
    // The lines before the first header form the section "".
    bool inSection = section.isEmpty();
    place.section = inSection;
    while (p < size) {
        const qsizetype start = p;
        while (p < size && !isLineEnd(base[p])) ++p;
        const qsizetype end = p;
        if (p < size && base[p] == '\r' && p + 1 < size && base[p + 1] == '\n') ++p;
        if (p < size) ++p;
        const bool hasLineEnd = end < p;

        const QByteArrayView line = trimmed(QByteArrayView(base + start, end - start));
        if (line.isEmpty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            if (inSection) break; // only the first section of the name counts
            if (!place.section && sameName(trimmed(line.sliced(1, line.size() - 2)), section)) {
                inSection = place.section = true;
                place.insertAt = p;
                place.needsLineEnd = !hasLineEnd;
            }
            continue;
        }
        if (!inSection) continue;
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0) continue;
        place.insertAt = p;
        place.needsLineEnd = !hasLineEnd;
        if (place.key || !sameName(trimmed(line.first(eq)), key)) continue;

        const QByteArrayView value = trimmed(line.sliced(eq + 1));
        place.key = true;
        place.quotes = quoted(value);
        if (value.isEmpty()) {
            place.valueStart = place.valueEnd = (line.data() + eq + 1) - base;
        } else {
            place.valueStart = (value.data() - base) + (place.quotes ? 1 : 0);
            place.valueEnd = (value.data() + value.size() - base) - (place.quotes ? 1 : 0);
        }
    }
    return place;
}

bool hasLineEnd(QByteArrayView v)
{
    return v.contains('\r') || v.contains('\n');
}

bool isName(QByteArrayView v)
{
    return !hasLineEnd(v) && trimmed(v).size() == v.size();
}

} // namespace

std::optional<QByteArray> ProfileText::value(QByteArrayView section, QByteArrayView key) const
{
    const Place place = locate(bytes_, section, key);
    if (!place.key) return std::nullopt;
    return bytes_.mid(place.valueStart, place.valueEnd - place.valueStart);
}

bool ProfileText::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView text)
{
    if (!isName(section) || section.contains(']') || !isName(key) || key.isEmpty() || key.contains('=') ||
        key.front() == '[' || key.front() == ';' || key.front() == '#' || hasLineEnd(text))
        return false;
    const Place place = locate(bytes_, section, key);
    if (place.key) {
        // Inside quotes every text reads back as it is; without them, blanks
        // around it would be trimmed and enclosing quotes removed.
        if (!place.quotes && (trimmed(text).size() != text.size() || quoted(text))) return false;
        bytes_.replace(place.valueStart, place.valueEnd - place.valueStart, text);
        return true;
    }
    if (trimmed(text).size() != text.size() || quoted(text)) return false;

    const QByteArray line = key.toByteArray() + '=' + text.toByteArray() + kCrLf;
    if (place.section) {
        bytes_.insert(place.insertAt, place.needsLineEnd ? kCrLf + line : line);
        return true;
    }
    if (bytes_.size() > bomLength(bytes_) && !isLineEnd(bytes_.back())) bytes_ += kCrLf;
    bytes_ += '[' + section.toByteArray() + ']' + kCrLf + line;
    return true;
}

ProfileFile::ProfileFile(const QString& path) : path_(QFileInfo(path).absoluteFilePath()) {}

namespace {
// The bytes of the file at path, or nothing for a missing file. False with
// the reason in *error when the path is not a regular file or cannot be read.
bool readRegularFile(const QString& path, QByteArray* bytes, QString* error)
{
    bytes->clear();
    const QFileInfo info(path);
    if (!info.exists()) return true;
    // Opening a FIFO waits for a writer and opening a device may act on it:
    // only a regular file is ever opened.
    if (!info.isFile()) {
        if (error) *error = QStringLiteral("not a regular file");
        return false;
    }
    QFile file(path);
#ifdef Q_OS_UNIX
    // Opened without waiting and checked again once open, in case the path
    // was made something else in between.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0) ::close(fd);
        if (error) *error = QStringLiteral("cannot be opened as a regular file");
        return false;
    }
#else
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
#endif
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}
} // namespace

bool ProfileFile::load(QString* error)
{
    QByteArray bytes;
    const bool read = readRegularFile(path_, &bytes, error);
    text_ = ProfileText(std::move(bytes));
    for (const Change& c : std::as_const(pending_)) text_.setValue(c.section, c.key, c.text);
    return read;
}

bool ProfileFile::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView text, QString* error)
{
    if (!text_.setValue(section, key, text)) {
        if (error) *error = QStringLiteral("the value cannot be written as it is");
        return false;
    }
    // A later value of a key replaces one still waiting; names match as in the file.
    pending_.removeIf([&](const Change& c) {
        return c.section.compare(section, Qt::CaseInsensitive) == 0 &&
               c.key.compare(key, Qt::CaseInsensitive) == 0;
    });
    pending_.append({section.toByteArray(), key.toByteArray(), text.toByteArray()});
    return write(error);
}

bool ProfileFile::sync(QString* error)
{
    return pending_.isEmpty() || write(error);
}

bool ProfileFile::write(QString* error)
{
    // What the file holds now, not what it held when it was last read: another
    // process may have stored its keys since, and they stay. A file that
    // cannot be read is not written over.
    QByteArray bytes;
    if (!readRegularFile(path_, &bytes, error)) return false;
    ProfileText now(std::move(bytes));
    // A value that fits the text in hand may not fit the file as it is now
    // (its key was given quotes meanwhile): that one is dropped, the rest written.
    bool allSet = true;
    for (const Change& c : std::as_const(pending_)) allSet = now.setValue(c.section, c.key, c.text) && allSet;
    text_ = now;
    // A folder, FIFO or device put in the file's place since is not replaced:
    // writeAtomic refuses what is no regular file.
    if (!textfile::writeAtomic(path_, now.bytes(), error)) return false;
    pending_.clear();
    if (!allSet) {
        if (error) *error = QStringLiteral("the value cannot be written as it is");
        return false;
    }
    return true;
}

} // namespace evmlink
