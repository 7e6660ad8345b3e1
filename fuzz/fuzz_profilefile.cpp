// The settings file's round trip: read a text, store "Type" and "Addr" as the
// program does, read the result again. Each store changes one stretch of
// bytes: the old value text becomes the new one, or one new key line (with
// its section header where the section was missing) goes in; every other key
// reads as before.
//
// Input: the first byte picks the two texts stored; with its top bit set, the
// "Addr" text is the input up to the first NUL, any bytes at all (a text that
// cannot be stored is refused and changes nothing). The rest is the file.

#include "check.h"
#include "profilefile.h"

#include <QList>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

const QByteArrayView kSection = "SerialInterface";

bool isBlank(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u == ' ' || (u >= 9 && u <= 13) || u == 0x85 || u == 0xA0;
}

// after is before with one stretch at some place q changed from old to new.
bool isSplice(QByteArrayView before, QByteArrayView after, QByteArrayView old, QByteArrayView inserted)
{
    if (after.size() - before.size() != inserted.size() - old.size()) return false;
    qsizetype p = 0;
    while (p < before.size() && p < after.size() && before[p] == after[p]) ++p;
    qsizetype s = 0;
    while (s < before.size() && s < after.size() &&
           before[before.size() - 1 - s] == after[after.size() - 1 - s])
        ++s;
    for (qsizetype q = std::max<qsizetype>(0, before.size() - old.size() - s);
         q <= std::min(p, before.size() - old.size()); ++q) {
        if (before.sliced(q, old.size()) == old && after.sliced(q, inserted.size()) == inserted) return true;
    }
    return false;
}

void store(evmlink::ProfileText& text, QByteArrayView key, QByteArrayView value)
{
    const QByteArray before = text.bytes();
    const std::optional<QByteArray> old = text.value(kSection, key);
    const bool ok = text.setValue(kSection, key, value);
    if (!ok) {
        // Only a text that would not read back is refused.
        const bool blanks = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
        const bool quotes = value.size() >= 2 && value.front() == '"' && value.back() == '"';
        FUZZ_CHECK(value.contains('\r') || value.contains('\n') || blanks || quotes);
        FUZZ_CHECK(text.bytes() == before);
        return;
    }
    FUZZ_CHECK(text.value(kSection, key) == value.toByteArray());
    if (old) {
        FUZZ_CHECK(isSplice(before, text.bytes(), *old, value));
        return;
    }
    const QByteArray line = key.toByteArray() + '=' + value.toByteArray() + "\r\n";
    const QByteArray header = "[" + kSection.toByteArray() + "]\r\n";
    bool one = false;
    for (const QByteArray& added : {line, "\r\n" + line, header + line, "\r\n" + header + line})
        one = one || isSplice(before, text.bytes(), {}, added);
    FUZZ_CHECK(one);
}

// Section and key names that the text may hold, found by a plain look at its lines.
QList<std::pair<QByteArray, QByteArray>> namesIn(const QByteArray& bytes)
{
    QList<std::pair<QByteArray, QByteArray>> names;
    QByteArray section;
    for (QByteArray line : QByteArray(bytes).replace('\r', '\n').split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[') && line.endsWith(']') && line.size() >= 2)
            section = line.mid(1, line.size() - 2).trimmed();
        else if (line.indexOf('=') > 0 && names.size() < 64)
            names.append({section, line.left(line.indexOf('=')).trimmed()});
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    static const QByteArray types[] = {"0", "1"};
    static const QByteArray addresses[] = {"0x4C", "0x4D", "0x4E", "0x4F", "0x00"};
    const char* rest = reinterpret_cast<const char*>(data) + 1;
    qsizetype restSize = qsizetype(size - 1);
    QByteArray addr = addresses[(data[0] >> 1) % 5];
    if (data[0] & 0x80) {
        const qsizetype nul = QByteArrayView(rest, restSize).indexOf('\0');
        if (nul < 0) return 0;
        addr = QByteArray(rest, nul);
        rest += nul + 1;
        restSize -= nul + 1;
    }
    const QByteArray file(rest, restSize);

    const evmlink::ProfileText original(file);
    evmlink::ProfileText text(file);
    store(text, "Type", types[data[0] & 1]);
    store(text, "Addr", addr);

    // Written and read again: the same values, and every other key as it was.
    const evmlink::ProfileText again(text.bytes());
    FUZZ_CHECK(again.value(kSection, "Type") == text.value(kSection, "Type"));
    FUZZ_CHECK(again.value(kSection, "Addr") == text.value(kSection, "Addr"));
    for (const auto& [section, key] : namesIn(file)) {
        const bool stored =
            section.compare(kSection, Qt::CaseInsensitive) == 0 &&
            (key.compare("Type", Qt::CaseInsensitive) == 0 || key.compare("Addr", Qt::CaseInsensitive) == 0);
        if (!stored) FUZZ_CHECK(again.value(section, key) == original.value(section, key));
    }
    return 0;
}
