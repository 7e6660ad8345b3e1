#pragma once
// evm2280's command line: the options, the command and its arguments, checked
// before anything touches the board.

#include "boardtypes.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace evm::cli {

enum class Command { Info, Read, Write, Run, Dump, Compare, Reset };

struct Invocation {
    Command command = Command::Info;
    std::optional<Interface> interface;        // -i
    std::optional<std::int32_t> deviceAddress; // -a, checked against the interface once that is known
    std::int32_t address = 0;                  // read, write
    std::int32_t data = 0;                     // write: 0..255
    QString fileA;                             // run, dump (empty: standard output), compare
    QString fileB;                             // compare (empty: the chip)
    bool soft = false;                         // reset --soft
};

// Parses the arguments (the program name first). --help and --version print
// and end the process with status 0. Anything else that is wrong returns
// nullopt with the message in *error.
std::optional<Invocation> parseCommandLine(const QStringList& arguments, QString* error);

// The commands that talk to the board; compare of two files does not.
bool needsBoard(const Invocation& inv);

} // namespace evm::cli
