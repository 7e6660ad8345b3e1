#pragma once
// Runs one evm2280 command.

#include "options.h"

namespace evm::cli {

// Runs one command from the settings to the close of the board. Returns the
// exit status: 0 success, 1 compare found differences, 2 trouble (reported
// on standard error), 128 + N after the terminating signal N.
int execute(const Invocation& inv);

} // namespace evm::cli
