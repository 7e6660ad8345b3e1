#pragma once
// Runs one evm2280 command.

#include "options.h"

namespace evm::cli {

class Session;

// The SCPI server behind `serve`, which only the server module links
// (serve.cpp): the program hands that command to the module whole.
struct Server {
    // The --listen text names an address to listen on (reported if not).
    bool (*checkListen)(Session& s, const Invocation& inv);
    // The board as an SCPI instrument until a terminating signal.
    int (*serve)(Session& s, const Invocation& inv);
};

// Runs one command from the settings to the close of the board. Returns the
// exit status: 0 success, 1 compare found differences, 2 trouble (reported
// on standard error), 128 + N after the terminating signal N. `serve` needs
// the server.
int execute(const Invocation& inv, const Server* server = nullptr);

// `serve`: loads the server module from the program's folder and runs the
// command there (servemodule.cpp); a module that cannot be loaded is reported.
int serveFromModule();

} // namespace evm::cli
