#include "statefile.h"
#include "chipmodel.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace hxsim {

namespace {
constexpr int kFirstChip = 0x40;

int processId()
{
#ifdef _WIN32
    return _getpid();
#else
    return int(getpid());
#endif
}
} // namespace

std::string stateText(const ChipRegisters& chip, const BoardRegisters& board)
{
    std::string out = "# Board simulator state: chip registers 0x40..0x5E, then the board-control\n"
                      "# registers written on channel 7.\n";
    char line[32];
    for (std::size_t i = 0; i < chip.size(); ++i) {
        std::snprintf(line, sizeof line, "chip 0x%02X 0x%02X\n", unsigned(kFirstChip + int(i)),
                      unsigned(chip[i]));
        out += line;
    }
    for (std::size_t a = 0; a < board.size(); ++a) {
        if (board[a] < 0) continue;
        std::snprintf(line, sizeof line, "board 0x%02X 0x%02X\n", unsigned(a), unsigned(board[a]));
        out += line;
    }
    return out;
}

bool parseState(const std::string& text, ChipRegisters& chip, BoardRegisters& board, std::string& reason)
{
    ChipRegisters newChip{};
    BoardRegisters newBoard;
    newBoard.fill(-1);
    std::array<bool, 31> seen{};
    std::istringstream in(text);
    std::string line;
    int number = 0;
    auto fail = [&](const char* why) {
        reason = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream fields(line);
        std::string kind, addressText, valueText, extra;
        if (!(fields >> kind)) continue; // blank or comment only
        long long address = 0, value = 0;
        if (!(fields >> addressText >> valueText) || (fields >> extra) || !parseInt(addressText, address) ||
            !parseInt(valueText, value))
            return fail("expected 'chip ADDRESS VALUE' or 'board ADDRESS VALUE'");
        if (value < 0 || value > 0xFF) return fail("value outside 0..0xFF");
        if (kind == "chip") {
            if (address < kFirstChip || address >= kFirstChip + int(newChip.size()))
                return fail("chip register outside 0x40..0x5E");
            const auto i = std::size_t(address - kFirstChip);
            if (seen[i]) return fail("chip register given twice");
            seen[i] = true;
            newChip[i] = std::uint8_t(value);
        } else if (kind == "board") {
            if (address < 0 || address > 0xFF) return fail("board register outside 0x00..0xFF");
            if (newBoard[std::size_t(address)] >= 0) return fail("board register given twice");
            newBoard[std::size_t(address)] = int(value);
        } else {
            return fail("expected 'chip ADDRESS VALUE' or 'board ADDRESS VALUE'");
        }
    }
    // A file cut short loses chip lines: every register must be there.
    for (std::size_t i = 0; i < seen.size(); ++i)
        if (!seen[i]) {
            char why[48];
            std::snprintf(why, sizeof why, "chip register 0x%02X missing", unsigned(kFirstChip + int(i)));
            reason = why;
            return false;
        }
    chip = newChip;
    board = newBoard;
    return true;
}

std::string replaceFile(const std::string& path, const std::string& text)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(path);
    // Replace what a link points at, not the link.
    if (fs::is_symlink(target, ec)) target = fs::weakly_canonical(target, ec);
    // A rename would turn a device or a FIFO into a regular file.
    if (fs::exists(target, ec) && !fs::is_regular_file(target, ec)) return "not a regular file";

    fs::path temp = target;
    temp += ".tmp" + std::to_string(processId());
    std::FILE* f = std::fopen(temp.string().c_str(), "wb");
    if (!f) return std::strerror(errno);
    errno = 0;
    bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0;
#ifndef _WIN32
    // On disk before the rename, or a crash could leave the new name empty.
    written = written && fsync(fileno(f)) == 0;
#endif
    written = std::fclose(f) == 0 && written;
    const int error = written ? 0 : errno ? errno : EIO;
    if (!error) {
        fs::rename(temp, target, ec);
        if (!ec) return {};
    }
    std::error_code ignored;
    fs::remove(temp, ignored);
    return error ? std::strerror(error) : ec.message();
}

} // namespace hxsim
