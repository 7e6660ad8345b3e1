#pragma once
// The SCPI server: a TCP listener on the event thread, up to kMaxClients
// clients, each command one instrument operation.
//
// - Commands of all clients run one at a time, each to its end; clients take
//   turns command by command. While the instrument is busy (an operation of
//   the window's user, a script of another client) no command starts: input
//   stays buffered and the work resumes when the instrument reports idle.
//   Input that arrives during a command's nested event loop waits too.
// - Each client has its own error queue and event status register.
// - The seventeenth client is accepted and closed at once, so that it sees
//   the refusal rather than hanging in the listen backlog.
// - A program message above 1 MiB is refused with -223 Too much data and
//   skipped up to its end; the connection stays.
// - A client that disconnects loses what it sent and was not yet run: its
//   partial message, its buffered input and the rest of its current message.
//   The command running at that moment completes.
// - A client that does not read its responses is not served past 1 MiB of
//   unsent output, so its queries cannot fill memory.

#include "listenaddress.h"

#include <QObject>
#include <QTcpServer>

#include <memory>
#include <vector>

namespace evm::scpi {

class Instrument;

class Server : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxClients = 16;

    // The instrument outlives the server.
    explicit Server(Instrument& instrument, QObject* parent = nullptr);
    ~Server() override;

    // Starts listening. False with *error set when the address cannot be used.
    bool listen(const ListenAddress& where, QString* error);
    // Where it listens; the port the system chose when asked for port 0.
    ListenAddress address() const;
    int clientCount() const;

signals:
    void clientCountChanged(int count);

private:
    struct Client;
    void accept();
    void drop(Client* client);
    void schedulePump();
    void pump();
    bool step(Client& client);
    bool readMessage(Client& client);

    Instrument& instrument_;
    QTcpServer listener_;
    std::vector<std::unique_ptr<Client>> clients_;
    bool pumpScheduled_ = false;
    bool pumping_ = false;
    bool pumpAgain_ = false; // work came up during a pump
};

} // namespace evm::scpi
