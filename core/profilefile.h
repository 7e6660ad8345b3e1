#pragma once
// The settings file in the form of the platform's private-profile files:
// plain text, "[Section]" headers, "key=value" lines. The program keeps the
// file's bytes and changes only the value text of the key it stores, so that
// whatever else a person wrote there (comments, quotes, other sections, the
// order, the line ends, a byte-order mark) stays as it was.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace evmlink {

// The text of a profile file, held as its bytes.
//
// Lines end at CR LF, LF or CR. A UTF-8 byte-order mark at the start is
// skipped. Blank lines and lines starting with ';' or '#' are comments. A
// line "[name]" starts a section; a "key=value" line before any section
// belongs to the section named "". Section and key names match without regard
// to letter case, and only the first section of a name and the first
// key of a name in it count. Blanks around names and values do not count.
class ProfileText {
public:
    ProfileText() = default;
    explicit ProfileText(QByteArray bytes) : bytes_(std::move(bytes)) {}
    const QByteArray& bytes() const { return bytes_; }

    // The raw value text of key in section: blanks around it trimmed, one pair
    // of enclosing double quotes removed, nothing else interpreted. nullopt
    // when the key is absent.
    std::optional<QByteArray> value(QByteArrayView section, QByteArrayView key) const;

    // Makes value(section, key) return text. An existing value has its text
    // replaced, inside its quotes if it has them, and no other byte changes; a
    // missing key is added as a line at the end of the section (after its last
    // key line), a missing section at the end of the text; added lines end in
    // CR LF. Returns false, changing nothing, for a name or text that would not
    // read back as given: a line end in it, blanks around it, a text in double
    // quotes where the value has none, a key starting with '[', ';' or '#'.
    bool setValue(QByteArrayView section, QByteArrayView key, QByteArrayView text);

private:
    QByteArray bytes_;
};

// The settings file on disk, kept for the whole run of the program. Other
// processes (a second window in the same folder) may change it meanwhile:
// every store reads the file again and changes only its own key there.
class ProfileFile {
public:
    // path: resolved against the current directory now, as the file is opened.
    explicit ProfileFile(const QString& path);
    const QString& fileName() const { return path_; }

    // Reads the file. A missing file is an empty one. A path that is there but
    // is not a regular file (a folder, a FIFO, a device) is not opened, so
    // nothing can block here; that and a file that cannot be read return
    // false with the reason in *error, and the text stays empty.
    bool load(QString* error = nullptr);

    // The value as last read, with the values set since.
    std::optional<QByteArray> value(QByteArrayView section, QByteArrayView key) const
    {
        return text_.value(section, key);
    }

    // Sets the value and writes it into the file as the file is now, every
    // other byte as it is there, replacing the file atomically where its folder
    // allows a new file and overwriting it in place otherwise. Returns false
    // with the reason in *error when the value could not be set or written; a
    // value that did not reach the file is kept and written with the next
    // write that succeeds. A file that cannot be read is never written over.
    bool setValue(QByteArrayView section, QByteArrayView key, QByteArrayView text, QString* error = nullptr);

    // Writes the values that have not reached the file yet, if any.
    bool sync(QString* error = nullptr);

private:
    bool write(QString* error);

    struct Change {
        QByteArray section, key, text;
    };
    QString path_;
    ProfileText text_;
    QList<Change> pending_; // values set that have not reached the file, in order
};

} // namespace evmlink
