#pragma once
// The simulated board's registers in a text file, so that a demo or a
// sequence of command-line calls sees what the previous process wrote:
//   chip 0x41 0x05      one line per chip register, 0x40..0x5E, each once
//   board 0x37 0x00     one line per board-control register ever written
// '#' starts a comment.

#include <array>
#include <cstdint>
#include <string>

namespace hxsim {

using ChipRegisters = std::array<std::uint8_t, 31>; // 0x40..0x5E
using BoardRegisters = std::array<int, 256>;        // -1: never written

std::string stateText(const ChipRegisters& chip, const BoardRegisters& board);

// Parses a whole state text; on failure `chip` and `board` are untouched and
// `reason` says where ("line 3: ...").
bool parseState(const std::string& text, ChipRegisters& chip, BoardRegisters& board, std::string& reason);

// Replaces `path` with `text` through a temporary file in the same folder and a
// rename, so that the old file stays whole if anything fails. Returns "" or the
// reason.
std::string replaceFile(const std::string& path, const std::string& text);

} // namespace hxsim
