// The module behind `evm2280 serve`: the board as an SCPI instrument for
// remote clients, until a terminating signal ends it. The program loads it
// for that command alone and calls evm2280_serve, which runs the command
// whole here, from the arguments to the close of the board.

#include "boardservice.h"
#include "commands.h"
#include "listenaddress.h"
#include "session.h"

#include <QCoreApplication>
#include <QtGlobal>

namespace evm::cli {
namespace {

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

} // namespace
} // namespace evm::cli

extern "C" Q_DECL_EXPORT int evm2280_serve()
{
    using namespace evm::cli;
    const Parsed parsed = parseCommandLine(QCoreApplication::arguments());
    if (parsed.kind != Parsed::Run || parsed.invocation.command != Command::Serve) {
        printError(QStringLiteral("serve: the server module was called for another command"));
        return 2;
    }
    static const Server server{checkListen, serve};
    return execute(parsed.invocation, &server);
}
