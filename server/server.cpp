#include "server.h"

#include "framer.h"
#include "instrument.h"
#include "session.h"

#include <QPointer>
#include <QTcpSocket>

#include <algorithm>

namespace evm::scpi {
namespace {

constexpr qint64 kReadChunk = 64 * 1024; // also the socket's own buffer bound
constexpr qint64 kMaxUnsentOutput = 1 << 20;

} // namespace

struct Server::Client {
    Client(QTcpSocket* s, Instrument& instrument) : socket(s), session(instrument) {}

    QPointer<QTcpSocket> socket;
    MessageFramer framer;
    QByteArray inbox; // read from the socket, not yet framed from inboxAt on
    qsizetype inboxAt = 0;
    Session session;
    QList<Unit> units; // the program message being run
    qsizetype nextUnit = 0;
    QByteArrayList responses;
    bool gone = false;
};

Server::Server(Instrument& instrument, QObject* parent) : QObject(parent), instrument_(instrument)
{
    connect(&listener_, &QTcpServer::newConnection, this, &Server::accept);
    connect(&instrument_, &Instrument::idle, this, &Server::schedulePump);
}

Server::~Server()
{
    for (const auto& c : clients_) {
        if (!c->socket) continue;
        c->socket->disconnect(this);
        delete c->socket;
    }
}

bool Server::listen(const ListenAddress& where, QString* error)
{
    if (listener_.listen(where.address, where.port)) return true;
    *error = QStringLiteral("Cannot listen on %1: %2").arg(listenAddressText(where), listener_.errorString());
    return false;
}

ListenAddress Server::address() const
{
    return {listener_.serverAddress(), listener_.serverPort()};
}

int Server::clientCount() const
{
    return int(std::count_if(clients_.begin(), clients_.end(), [](const auto& c) { return !c->gone; }));
}

void Server::accept()
{
    while (QTcpSocket* socket = listener_.nextPendingConnection()) {
        if (clientCount() >= kMaxClients) {
            socket->disconnectFromHost();
            socket->deleteLater();
            continue;
        }
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1); // one query, one packet, no delay
        // Bounded: past this the system's buffer and then the client wait.
        socket->setReadBufferSize(kReadChunk);
        auto client = std::make_unique<Client>(socket, instrument_);
        Client* c = client.get();
        connect(socket, &QTcpSocket::readyRead, this, &Server::pump);
        connect(socket, &QTcpSocket::bytesWritten, this, &Server::pump);
        connect(socket, &QTcpSocket::disconnected, this, [this, c] { drop(c); });
        clients_.push_back(std::move(client));
        emit clientCountChanged(clientCount());
    }
    pump(); // data may have come with a connection
}

void Server::drop(Client* c)
{
    c->gone = true;
    c->units.clear();
    c->responses.clear();
    c->inbox.clear();
    c->inboxAt = 0;
    c->framer = MessageFramer();
    if (c->socket) c->socket->disconnect(this);
    emit clientCountChanged(clientCount());
    schedulePump(); // removes it once no command runs
}

// The board's idle() may come in the middle of the window's own work: the
// commands wait for the event loop. At the end of a client's own command
// (and anything else that happens inside a pump) the running pump just goes
// round once more, with no event posted per command.
void Server::schedulePump()
{
    if (pumping_) {
        pumpAgain_ = true;
        return;
    }
    if (pumpScheduled_) return;
    pumpScheduled_ = true;
    QMetaObject::invokeMethod(this, &Server::pump, Qt::QueuedConnection);
}

void Server::pump()
{
    pumpScheduled_ = false;
    if (pumping_) return; // called from a command's nested event loop: the outer pump goes on
    pumping_ = true;
    for (bool progress = true; progress && !instrument_.busy();) {
        progress = false;
        pumpAgain_ = false;
        // By index: clients accepted during a command's event loop join at the end.
        for (std::size_t i = 0; i < clients_.size() && !instrument_.busy(); ++i)
            progress = step(*clients_[i]) || progress;
        progress = progress || pumpAgain_;
    }
    // A socket goes only here, when no command of any client runs: a pump may
    // have started inside that socket's readyRead.
    std::erase_if(clients_, [](const auto& c) {
        if (c->gone && c->socket) c->socket->deleteLater();
        return c->gone;
    });
    pumping_ = false;
}

// One command of the client, or the framing of its next message. False when
// the client has nothing to do now.
bool Server::step(Client& c)
{
    if (c.gone || !c.socket) return false;
    if (c.socket->bytesToWrite() > kMaxUnsentOutput) return false; // bytesWritten resumes it
    if (c.nextUnit < c.units.size()) {
        const Command command = c.units[c.nextUnit++].command;
        c.session.run(command, &c.responses);
        if (c.gone) return true;
        if (c.nextUnit == c.units.size()) {
            // Sent now, not at the next turn of the event loop: a client
            // waits for it before its next query.
            if (c.socket && c.socket->write(responseLine(c.responses)) > 0) c.socket->flush();
            c.units.clear();
            c.nextUnit = 0;
            c.responses.clear();
        }
        return true;
    }
    return readMessage(c);
}

bool Server::readMessage(Client& c)
{
    for (;;) {
        if (c.inboxAt == c.inbox.size()) {
            c.inbox = c.socket->read(std::min(c.socket->bytesAvailable(), kReadChunk));
            c.inboxAt = 0;
            if (c.inbox.isEmpty()) return false;
        }
        qsizetype used = 0;
        const MessageFramer::Result r = c.framer.feed(QByteArrayView(c.inbox).sliced(c.inboxAt), &used);
        c.inboxAt += used;
        if (r == MessageFramer::Result::TooLong) {
            c.session.refuseTooMuchData();
            return true;
        }
        if (r == MessageFramer::Result::Message) {
            c.units = parseMessage(c.framer.message());
            return true;
        }
    }
}

} // namespace evm::scpi
