#pragma once
// The board served to SCPI clients, for both front ends: the window serves
// its own board while it runs (evmcontroller --listen), the command-line tool
// a board it opened for nothing else (evm2280 serve).

#include "boardinstrument.h"
#include "listenaddress.h"
#include "server.h"

#include <QObject>

namespace evm {
class Board;
}

namespace evm::scpi {

class BoardService : public QObject {
    Q_OBJECT
public:
    // The board outlives the service.
    explicit BoardService(Board& board, QObject* parent = nullptr);

    // Starts listening. False with *error set when the address cannot be used.
    bool listen(const ListenAddress& where, QString* error) { return server_.listen(where, error); }
    // Where it listens, the port the system chose included.
    ListenAddress address() const { return server_.address(); }
    BoardInstrument& instrument() { return instrument_; }
    Server& server() { return server_; }

private:
    BoardInstrument instrument_;
    Server server_;
};

// "listening on 127.0.0.1:5025" on standard output, flushed: a script that
// asked for port 0 learns the port from it.
void announce(const ListenAddress& where);

// evm2280 serve, after the tool's start-up found the board: reads the
// registers back into the image as the window's start-up does (MRST and SRST
// keep the other bits of register 0x40 from it), listens on `where`,
// announces the address, and serves until SIGINT, SIGTERM or SIGHUP. False
// with *error set when it cannot listen. The caller closes the board.
bool serve(Board& board, const ListenAddress& where, QString* error);

} // namespace evm::scpi
