#include "format.h"

#include "board.h"
#include "linksettings.h"
#include "linktext.h"

#include <QJsonArray>

namespace evm::cli {

QString transferLine(int channel, int address, int value, bool write, int code)
{
    QString line = QLatin1String(write ? "w " : "r ");
    if (channel != evmlink::kChannelChip)
        line += channel == evmlink::kChannelBoard ? QStringLiteral("board ")
                                                  : QStringLiteral("ch%1 ").arg(channel);
    line += evmlink::hex2(unsigned(address)) + QLatin1Char(' ') + evmlink::hex2(unsigned(value) & 0xFF);
    if (code != 0)
        line += QStringLiteral(" failed 0x%1")
                    .arg(QString::number(unsigned(code), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    return line;
}

QStringList infoLines(const Board& board)
{
    const std::optional<int> v = board.libraryVersion();
    const bool iic = board.interface() == Interface::Iic;
    return {QStringLiteral("library: ") + (v ? evmlink::versionText(*v) : QStringLiteral("0.0.0.0")),
            QStringLiteral("port: %1").arg(board.port()),
            QStringLiteral("interface: ") + (iic ? QStringLiteral("IIC") : QStringLiteral("SPI")),
            QStringLiteral("address: ") + evmlink::hex2(unsigned(board.deviceAddress()))};
}

QJsonObject infoJson(const Board& board)
{
    const std::optional<int> v = board.libraryVersion();
    return {{QLatin1String("library"), v ? QJsonValue(evmlink::versionText(*v)) : QJsonValue()},
            {QLatin1String("version"), v ? QJsonValue(*v) : QJsonValue()},
            {QLatin1String("port"), board.port()},
            {QLatin1String("interface"),
             board.interface() == Interface::Iic ? QStringLiteral("IIC") : QStringLiteral("SPI")},
            {QLatin1String("address"), board.deviceAddress()}};
}

QJsonObject registersJson(const QList<RegisterValue>& values)
{
    QJsonArray list;
    for (const RegisterValue& r : values)
        list.append(QJsonObject{{QLatin1String("address"), r.address}, {QLatin1String("value"), r.value}});
    return {{QLatin1String("registers"), list}};
}

QJsonObject differencesJson(const QList<compare::Difference>& differences)
{
    const auto side = [](int v) { return v == compare::kMissing ? QJsonValue() : QJsonValue(v); };
    QJsonArray list;
    for (const compare::Difference& d : differences) {
        QJsonArray groups;
        for (const compare::BitGroup& g : d.groups)
            groups.append(QJsonObject{
                {QLatin1String("control"), g.control.isEmpty() ? QJsonValue() : QJsonValue(g.control)},
                {QLatin1String("bits"), QJsonArray::fromStringList(g.bits)}});
        list.append(QJsonObject{{QLatin1String("address"), d.address},
                                {QLatin1String("a"), side(d.a)},
                                {QLatin1String("b"), side(d.b)},
                                {QLatin1String("groups"), groups}});
    }
    return {{QLatin1String("differences"), list}};
}

QJsonObject fieldsJson(const QList<QJsonObject>& fields)
{
    QJsonArray list;
    for (const QJsonObject& f : fields) list.append(f);
    return {{QLatin1String("fields"), list}};
}

QString fieldRow(const fields::Field& field, unsigned value, bool wide)
{
    const QString bits = field.width() == 1 ? QStringLiteral("[%1]").arg(field.low)
                                            : QStringLiteral("[%1:%2]").arg(field.high).arg(field.low);
    return QStringLiteral("%1 %2 %3")
        .arg(evmlink::hex2(unsigned(field.reg)), bits.leftJustified(5))
        .arg(fields::describe(field, value, wide));
}

} // namespace evm::cli
