#include "linktext.h"

namespace evmlink {

QString commErrorText(const char* kind, int code)
{
    const QString hex = QString::number(quint32(code), 16).toUpper().rightJustified(4, QLatin1Char('0'));
    return QLatin1String("Communication error: ") + QLatin1String(kind) + hex;
}

QString writeErrorText(int code)
{
    return commErrorText("WRERR", code);
}
QString readErrorText(int code)
{
    return commErrorText("RDERR", code) + QLatin1String("\nPlease check interface setting.");
}
QString boardErrorText(int code)
{
    return commErrorText("SPERR", code);
}

QString hex2(unsigned value)
{
    return QLatin1String("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

QString recordLine(unsigned address, unsigned value)
{
    return hex2(address) + QLatin1String(", ") + hex2(value);
}

QString versionText(int v)
{
    return QStringLiteral("%1.%2.%3.%4").arg(v / 4096).arg((v % 4096) / 256).arg((v % 256) / 16).arg(v % 16);
}

} // namespace evmlink
