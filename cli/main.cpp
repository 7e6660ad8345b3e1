// evm2280: the EVM board from the shell, through the same board core and
// board library as the window, without any window.

#include "commands.h"
#include "session.h"
#include "evmversion.h"
#include "savefile.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    evm::ignoreFileSizeSignal(); // "dump FILE" beyond the size limit fails with a message
    QCoreApplication::setApplicationName(QStringLiteral("evm2280"));
    QCoreApplication::setApplicationVersion(QStringLiteral(EVM_VERSION));
    QString error;
    const std::optional<evm::cli::Invocation> inv = evm::cli::parseCommandLine(app.arguments(), &error);
    if (!inv) {
        evm::cli::printError(error);
        return 2;
    }
    return evm::cli::execute(*inv);
}
