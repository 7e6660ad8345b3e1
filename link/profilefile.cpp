#include "link/profilefile.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace evmlink {

namespace {
const QString kFirstSection = QStringLiteral("SerialInterface");

int keyRank(const QString& key)
{
    if (key == QLatin1String("Type")) return 0;
    if (key == QLatin1String("Addr")) return 1;
    return 2;
}
} // namespace

QSettings::Format profileFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("ini"), readProfile, writeProfile);
    return format;
}

bool readProfile(QIODevice& device, QSettings::SettingsMap& map)
{
    const QString text = QString::fromLatin1(device.readAll());
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    QString section;
    for (const QString& raw : text.split(lineEnd)) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        const QString key = line.left(eq).trimmed();
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        map.insert(section.isEmpty() ? key : section + QLatin1Char('/') + key, value);
    }
    return true;
}

bool writeProfile(QIODevice& device, const QSettings::SettingsMap& map)
{
    // Keys without a section first, then SerialInterface, then the others.
    QStringList sections;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(QLatin1Char('/'));
        const QString s = slash < 0 ? QString() : it.key().left(slash);
        if (!sections.contains(s)) sections << s;
    }
    std::stable_sort(sections.begin(), sections.end(), [](const QString& a, const QString& b) {
        auto rank = [](const QString& s) { return s.isEmpty() ? 0 : s == kFirstSection ? 1 : 2; };
        return rank(a) < rank(b);
    });
    QByteArray out;
    for (const QString& s : sections) {
        QList<QPair<QString, QString>> keys;
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const qsizetype slash = it.key().indexOf(QLatin1Char('/'));
            if ((slash < 0 ? QString() : it.key().left(slash)) != s) continue;
            keys.append({slash < 0 ? it.key() : it.key().mid(slash + 1), it.value().toString()});
        }
        std::stable_sort(keys.begin(), keys.end(),
                         [](const auto& a, const auto& b) { return keyRank(a.first) < keyRank(b.first); });
        if (!s.isEmpty()) out += '[' + s.toLatin1() + "]\r\n";
        for (const auto& [key, value] : keys) out += key.toLatin1() + '=' + value.toLatin1() + "\r\n";
    }
    return device.write(out) == out.size();
}

} // namespace evmlink
