#include "listenaddress.h"

namespace evm::scpi {
namespace {

bool parsePort(QStringView text, quint16* port)
{
    if (text.isEmpty() || text.size() > 5) return false;
    uint v = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') return false;
        v = v * 10 + uint(c.unicode() - u'0');
    }
    if (v > 65535) return false;
    *port = quint16(v);
    return true;
}

// Only the dotted quad: QHostAddress also takes "127.1" and "1", which a user
// rarely means.
bool isDottedQuad(QStringView text)
{
    const auto parts = text.split(u'.');
    if (parts.size() != 4) return false;
    for (QStringView p : parts) {
        if (p.isEmpty() || p.size() > 3) return false;
        for (QChar c : p)
            if (c < u'0' || c > u'9') return false;
    }
    return true;
}

} // namespace

bool parseListenAddress(QStringView text, ListenAddress* out, QString* error)
{
    const QString quoted = QLatin1Char('\'') + text.toString() + QLatin1Char('\'');
    const QString form =
        QStringLiteral(" (write PORT or ADDRESS:PORT, as 5025, 127.0.0.1:5025 or [::1]:5025)");
    QStringView host;
    QStringView port = text;
    ListenAddress result;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0) {
            *error = quoted + QStringLiteral(": the IPv6 address has no closing ']'") + form;
            return false;
        }
        host = text.sliced(1, close - 1);
        port = text.sliced(close + 1);
        if (!port.startsWith(u':')) {
            *error = quoted + QStringLiteral(": no port after the address") + form;
            return false;
        }
        port = port.sliced(1);
        if (!result.address.setAddress(host.toString()) ||
            result.address.protocol() != QAbstractSocket::IPv6Protocol) {
            *error = quoted + QStringLiteral(": '%1' is no IPv6 address").arg(host) + form;
            return false;
        }
    } else if (const qsizetype colon = text.lastIndexOf(u':'); colon >= 0) {
        host = text.first(colon);
        port = text.sliced(colon + 1);
        if (host.contains(u':')) {
            *error = quoted + QStringLiteral(": an IPv6 address goes in brackets") + form;
            return false;
        }
        if (!isDottedQuad(host) || !result.address.setAddress(host.toString())) {
            *error = quoted + QStringLiteral(": '%1' is no IP address").arg(host) + form;
            return false;
        }
    }
    if (!parsePort(port, &result.port)) {
        *error = quoted + QStringLiteral(": '%1' is no port number from 0 to 65535").arg(port) + form;
        return false;
    }
    *out = result;
    return true;
}

QString listenAddressText(const ListenAddress& where)
{
    const QString host = where.address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + where.address.toString() + QLatin1Char(']')
                             : where.address.toString();
    return host + QLatin1Char(':') + QString::number(where.port);
}

} // namespace evm::scpi
