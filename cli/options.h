#pragma once
// evm2280's command line: the options, the command and its arguments, all
// checked and converted before anything touches the board.

#include "boardtypes.h"
#include "namedfields.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace evm::cli {

// One command per row of the command table (options.cpp); the dispatcher
// (commands.cpp) has one case each.
enum class Command { Info, Read, Write, Get, Set, Fields, Run, Dump, Compare, Reset, Watch, Serve };

// A register or a bit field named on the command line (read, watch).
struct Target {
    int address = 0;                      // the register, also that of a field
    const fields::Field* field = nullptr; // null: the whole register
};

// A field and the value text given for it (set); the text is checked here,
// converted at the write, where the attenuation mode is known.
struct FieldSetting {
    const fields::Field* field = nullptr;
    QString value;
};

struct Invocation {
    Command command = Command::Info;
    std::optional<Interface> interface;                // -i
    std::optional<std::int32_t> deviceAddress;         // -a, checked against the interface once that is known
    bool json = false;                                 // --json
    bool quiet = false;                                // -q: no progress
    bool verbose = false;                              // -v: every transfer on standard error
    QList<Target> targets;                             // read, watch, get (fields only); write: one register
    QList<FieldSetting> settings;                      // set
    std::uint8_t data = 0;                             // write
    std::optional<std::uint8_t> mask;                  // write --mask
    bool verify = false;                               // write --verify
    int intervalMs = 200;                              // watch --interval
    QString fileA;                                     // run, dump, compare; "-": standard input or output
    QString fileB;                                     // compare (empty: the chip)
    QString listen = QStringLiteral("127.0.0.1:5025"); // serve --listen
    bool soft = false;                                 // reset --soft
};

// What the command line asks for.
struct Parsed {
    enum Kind { Run, Help, Version, Error } kind = Error;
    Invocation invocation; // Run
    QString text;          // Help, Version: what to print; Error: the message
};

// Parses the arguments (the program name first).
Parsed parseCommandLine(const QStringList& arguments);

// The name the program is known by, whatever path started it.
inline constexpr char kProgram[] = "evm2280";
// The file name standard input stands for in messages ("<stdin>:3: ...").
inline constexpr char kStdinName[] = "<stdin>";

} // namespace evm::cli
