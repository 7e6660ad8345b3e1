// Where `serve` goes: the server module beside the program.

#include "commands.h"
#include "output.h"

#include <QCoreApplication>
#include <QLibrary>

namespace evm::cli {

int serveFromModule()
{
    // Beside the program, never on a search path: the module holds a copy of
    // the whole tool and must be this build's.
    QLibrary module(QCoreApplication::applicationDirPath() + QStringLiteral("/evm2280serve"));
    using Entry = int (*)();
    const auto entry = module.load() ? reinterpret_cast<Entry>(module.resolve("evm2280_serve")) : nullptr;
    if (!entry) {
        printError(QStringLiteral("serve: ") + module.errorString());
        return 2;
    }
    // The module stays loaded until the process ends.
    return entry();
}

} // namespace evm::cli
