#pragma once
// The SCPI command parser: one program message (a line without its newline)
// into its commands, each checked against the command table.
//
// Units of a message are separated by ';' outside strings and blocks; an
// empty unit is skipped. Headers are case-insensitive and take the short form
// (the upper-case part of REGister) or the long one, nothing between. A header
// after ';' is resolved relative to the path of the previous command (its
// header without the last node) unless it begins with ':' or '*'; a common
// command (*IDN?) leaves the path alone, and so does a header that resolves to
// nothing. Every message starts at the root.
//
// Parameters follow the header after blanks, separated by ','; each is a
// quoted string ("..." or '...', a doubled quote standing for one), a block
// (#<n><length><bytes>, or #0 with the rest of the message as its bytes) or
// plain text up to the next ','. Numbers take the forms of scpinumber.h and
// the range 0..255.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>
#include <cstdint>

namespace evm::scpi {

enum class CommandId : std::uint8_t {
    None, // no header could be read or resolved
    Idn,
    Rst,
    Cls,
    Opc,
    Esr,
    Ese,
    Stb,
    SystemError,
    RegisterValue,
    RegisterDump,
    Field,
    FieldText,
    ScriptRun,
    BoardSoftReset,
    BoardReconnect,
    BoardInterface,
};

// One parsed command. With error set it is not run: the error is queued.
struct Command {
    CommandId id = CommandId::None;
    bool query = false;
    int error = 0;                         // an SCPI error code, 0 for none
    std::array<std::int32_t, 2> numbers{}; // numeric parameters in order
    std::array<QByteArray, 2> texts;       // text parameters in order; a block's bytes
    friend bool operator==(const Command&, const Command&) = default;
};

struct Unit {
    Command command;
    qsizetype begin = 0, end = 0;             // the unit in the message, without its ';'
    qsizetype headerBegin = 0, headerEnd = 0; // the header as written, its '?' included
};

// Parses one program message. Errors become commands with error set, so every
// non-empty unit yields one entry.
QList<Unit> parseMessage(QByteArrayView message);

// The command table's header of id: nodes separated by ':', an optional node
// in brackets, a common command beginning with '*' ("SYSTem:ERRor:[NEXT]").
const char* headerPattern(CommandId id);

} // namespace evm::scpi
