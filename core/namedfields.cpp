#include "namedfields.h"

#include "attenuationmath.h"
#include "bindingtables.h"
#include "integertext.h"

#include <QJsonValue>

namespace evm::fields {

namespace {

// Command lines and SCPI use '.' whatever the user's locale, unlike the window.
QString decimalPoint()
{
    return QStringLiteral(".");
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The fields of one register, from bit 7 down.
void deriveRegister(const regs::RegisterInfo& row, int reg, QList<Field>& out)
{
    const auto nameAt = [&row](int bit) { return QLatin1String(row.names[7 - bit]); };
    for (int bit = 7; bit >= 0;) {
        const QLatin1String name = nameAt(bit);
        if (name == QLatin1String("-")) {
            --bit;
            continue;
        }
        Field f;
        f.name = name;
        f.reg = reg;
        f.high = f.low = bit;
        // A digit n >= 1 on the highest bit opens a run when stem(n-1)..stem0
        // follow on the bits below it.
        const int n = name.size() >= 2 && isAsciiDigit(name.back()) ? name.back().toLatin1() - '0' : 0;
        if (n >= 1 && bit - n >= 0) {
            const QLatin1String stem = name.chopped(1);
            bool run = true;
            for (int k = 1; k <= n && run; ++k) {
                const QLatin1String below = nameAt(bit - k);
                run = below.size() == name.size() && below.startsWith(stem) &&
                      below.back() == QLatin1Char(char('0' + n - k));
            }
            if (run) {
                f.name = stem;
                f.low = bit - n;
            }
        }
        bit = f.low - 1;
        out.append(std::move(f));
    }
}

// Marks the field with the panel control that shows exactly its bits.
void attachControl(Field& f)
{
    for (const bind::ComboDef& d : bind::kComboDefs) {
        if (d.reg == f.reg && d.shift == f.low && d.width == f.width()) {
            f.control = d.control;
            for (const char* item : d.items) f.items.append(QString::fromLatin1(item));
            return;
        }
    }
    for (const bind::RadioDef& d : bind::kRadioDefs) {
        if (d.reg == f.reg && d.bit == f.low && f.width() == 1) {
            f.control = d.control;
            for (const char* item : d.items) f.items.append(QString::fromLatin1(item));
            return;
        }
    }
    for (const bind::CheckDef& d : bind::kCheckDefs) {
        if (d.reg == f.reg && d.bit == f.low && f.width() == 1) {
            f.control = d.control;
            return;
        }
    }
    for (const bind::AttenuationDef& d : bind::kAttenuationDefs) {
        if (d.reg == f.reg && f.low == 0 && f.high == 7) {
            f.control = d.track;
            f.attenuation = true;
            return;
        }
    }
}

QString hexByte(unsigned value, int digits)
{
    return QLatin1String("0x") +
           QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

QString range(const Field& f)
{
    return QStringLiteral("%1 bit%2: %3 to %4")
        .arg(f.width())
        .arg(f.width() == 1 ? "" : "s")
        .arg(hexText(f, 0), hexText(f, f.maximum()));
}

template <class T> std::optional<T> fail(QString* error, const QString& message)
{
    if (error) *error = message;
    return std::nullopt;
}

} // namespace

QList<Field> derive(std::span<const regs::RegisterInfo> rows, int firstAddress, QString* error)
{
    QList<Field> fields;
    for (std::size_t i = 0; i < rows.size(); ++i) deriveRegister(rows[i], firstAddress + int(i), fields);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        for (qsizetype j = i + 1; j < fields.size(); ++j) {
            if (fields[i].name.compare(fields[j].name, Qt::CaseInsensitive) != 0) continue;
            if (error)
                *error = QStringLiteral(
                             "The bit field name %1 occurs twice: register %2 bit %3 and register %4 bit %5")
                             .arg(fields[j].name, hexByte(fields[i].reg, 2))
                             .arg(fields[i].high)
                             .arg(hexByte(fields[j].reg, 2))
                             .arg(fields[j].high);
            return fields;
        }
    }
    return fields;
}

const QList<Field>& all()
{
    static const QList<Field> table = [] {
        QString error;
        QList<Field> fields = derive(regs::kRegisterMap, regs::kFirst, &error);
        if (!error.isEmpty()) qFatal("%s", qPrintable(error));
        for (Field& f : fields) attachControl(f);
        return fields;
    }();
    return table;
}

const Field* find(QStringView name)
{
    for (const Field& f : all())
        if (name.compare(f.name, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

unsigned valueOf(const Field& field, std::uint8_t reg)
{
    return (unsigned(reg) >> field.low) & field.maximum();
}

std::optional<std::uint8_t> withValue(const Field& field, std::uint8_t reg, unsigned value, QString* error)
{
    if (value > field.maximum())
        return fail<std::uint8_t>(
            error,
            QStringLiteral("Value %1 does not fit %2 (%3)").arg(hexByte(value, 1), field.name, range(field)));
    const unsigned mask = field.maximum() << field.low;
    return std::uint8_t((reg & ~mask) | (value << field.low));
}

std::optional<unsigned> parseValue(const Field& field, QStringView text, bool wide, QString* error)
{
    const QStringView t = text.trimmed();
    if (t.endsWith(u"dB", Qt::CaseInsensitive)) {
        if (!field.attenuation)
            return fail<unsigned>(
                error,
                QStringLiteral("%1 takes no decibels: only the DAC attenuation fields do").arg(field.name));
        const std::optional<float> db = atten::parseDb(t.chopped(2).toString(), decimalPoint());
        if (!db)
            return fail<unsigned>(error, QStringLiteral("\"%1\" is no level in decibels for %2 (-10.5dB)")
                                             .arg(text.toString(), field.name));
        // As the window's dB edit: the mode's step and track-bar range.
        return unsigned(wide ? atten::editPosition(*db, 1, atten::kWideMinimum, 255, atten::kZeroDb)
                             : atten::editPosition(*db, 2, atten::kFineMinimum, 255, atten::kZeroDb));
    }
    const std::optional<std::int32_t> n = parseInteger(t, IntegerRange::Pattern32);
    if (!n)
        return fail<unsigned>(
            error, QStringLiteral("\"%1\" is no value for %2: a number such as 5, 0x5 or $5%3")
                       .arg(text.toString(), field.name,
                            field.attenuation ? QStringLiteral(", or decibels such as -10.5dB") : QString()));
    const std::int32_t v = *n;
    if (v < 0 || unsigned(v) > field.maximum())
        return fail<unsigned>(error, QStringLiteral("%1 does not fit %2 (%3)%4")
                                         .arg(t.toString(), field.name, range(field),
                                              field.attenuation && v < 0
                                                  ? QStringLiteral("; decibels take the suffix dB")
                                                  : QString()));
    return unsigned(v);
}

QString hexText(const Field& field, unsigned value)
{
    return hexByte(value, field.width() > 4 ? 2 : 1);
}

QString meaning(const Field& field, unsigned value, bool wide)
{
    if (field.attenuation)
        return atten::dbText(int(value), atten::kZeroDb, wide, decimalPoint()) + QLatin1String(" dB");
    return value < unsigned(field.items.size()) ? field.items[value] : QString();
}

QString describe(const Field& field, unsigned value, bool wide)
{
    QString text = field.name + QLatin1String(" = ") + hexText(field, value);
    const QString m = meaning(field, value, wide);
    if (!m.isEmpty()) text += QLatin1String(" (") + m + QLatin1Char(')');
    return text;
}

QJsonObject toJson(const Field& field, unsigned value, bool wide)
{
    const QString m = meaning(field, value, wide);
    return QJsonObject{{QLatin1String("name"), field.name},
                       {QLatin1String("register"), field.reg},
                       {QLatin1String("high"), field.high},
                       {QLatin1String("low"), field.low},
                       {QLatin1String("value"), qint64(value)},
                       {QLatin1String("text"), m.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(m)}};
}

} // namespace evm::fields
