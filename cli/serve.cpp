// serve: the board as an SCPI instrument for remote clients, until a
// terminating signal ends it.

#include "boardservice.h"
#include "handlers.h"
#include "listenaddress.h"
#include "session.h"

namespace evm::cli {

bool checkListen(Session& s, const Invocation& inv)
{
    scpi::ListenAddress where;
    QString error;
    if (scpi::parseListenAddress(inv.listen, &where, &error)) return true;
    s.fail(QStringLiteral("--listen ") + error);
    return false;
}

int serve(Session& s, const Invocation& inv)
{
    scpi::ListenAddress where;
    QString error;
    if (!scpi::parseListenAddress(inv.listen, &where, &error)) {
        s.fail(error);
        return 0;
    }
    // A client's failed transfer is that client's error, not the server's.
    s.leaveReportsToClients();
    if (!scpi::serve(s.board, where, &error)) s.fail(error);
    return 0;
}

} // namespace evm::cli
