// evm2280: the EVM board from the shell, through the same board core and
// board library as the window, without any window.

#include "commands.h"
#include "evmversion.h"
#include "output.h"
#include "savefile.h"

#include <QCoreApplication>

#include <csignal>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // A save or a write to standard output beyond the size limit fails with
    // a message instead of ending the process.
    evm::ignoreFileSizeSignal();
#ifdef SIGPIPE
    // A reader that went away (watch | head -1) fails the next write, which
    // is reported, and the board is still closed.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    QCoreApplication::setApplicationName(QLatin1String(evm::cli::kProgram));
    QCoreApplication::setApplicationVersion(QStringLiteral(EVM_VERSION));
    const evm::cli::Parsed parsed = evm::cli::parseCommandLine(app.arguments());
    switch (parsed.kind) {
    case evm::cli::Parsed::Help:
    case evm::cli::Parsed::Version: {
        evm::cli::Output out;
        out.bytes(parsed.text.toLocal8Bit());
        return out.flush() ? 0 : 2;
    }
    case evm::cli::Parsed::Error:
        evm::cli::printError(parsed.text);
        return 2;
    case evm::cli::Parsed::Run:
        break;
    }
    return evm::cli::execute(parsed.invocation);
}
