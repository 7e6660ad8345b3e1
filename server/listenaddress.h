#pragma once
// Where the server listens, written [ADDR:]PORT: "5025" (the loopback
// interface), "127.0.0.1:5025", "0.0.0.0:5025" (every IPv4 interface),
// "[::1]:5025", "[::]:5025". ADDR is a numeric address, an IPv6 one in
// brackets; no host name is looked up. PORT 0 lets the system choose a free
// port.

#include <QHostAddress>
#include <QString>
#include <QStringView>

namespace evm::scpi {

constexpr quint16 kDefaultPort = 5025; // SCPI's raw-socket port

struct ListenAddress {
    QHostAddress address{QHostAddress::LocalHost};
    quint16 port = kDefaultPort;
};

// Reads [ADDR:]PORT. False with *error set to a message quoting the text.
bool parseListenAddress(QStringView text, ListenAddress* out, QString* error);

// "127.0.0.1:5025", "[::1]:5025".
QString listenAddressText(const ListenAddress& where);

} // namespace evm::scpi
