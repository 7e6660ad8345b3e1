#pragma once
// The simulated evaluation board: the ORV2280 register file behind its serial
// interface, plus the board's own control registers.

#include "hxbus_contract.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace hxsim {

struct Config {
    bool present = true;
    int strapAddress = 0x4C;
    int version = 0x1100;
    int port = 1;
    int zeroFlags = 0x00;
    int overflowFlags = 0x00;
    std::map<int, int> readFaults;                  // address (-1 any) -> code
    std::map<std::pair<int, int>, int> writeFaults; // (channel, address or -1) -> code
    std::string traceFile;
    long traceMemory = 10000; // trace lines kept in memory, the newest; -1: all
    std::string stateFile;    // registers kept here between processes; empty: none
};

// Reads "key=value" lines (see the README) into cfg; unknown keys are ignored.
void applyConfigText(Config& cfg, const std::string& text);

// Decimal, or hexadecimal after 0x or $, blanks around it allowed.
bool parseInt(std::string s, long long& out);

class Board {
public:
    Board();
    void powerOn();

    int init(int port, const HxBusLinkSettings* settings);
    int close();
    int read(int channel, int address, unsigned char* buffer, int count);
    int write(int channel, int address, const unsigned char* buffer, int count);
    int version();

    Config cfg;
    std::array<std::uint8_t, 31> regs{};
    std::array<int, 256> boardControl{};
    bool open = false;
    int interfaceKind = 0;
    int deviceAddress = 0;
    bool haveSettings = false;
    HxBusLinkSettings lastSettings{};
    std::deque<std::string> trace;

    void log(const std::string& line);

private:
    // The state file is read once per power-on, at the first _init, and
    // written at every _close after that.
    bool stateRead_ = false;
    void readState();
    void writeState() const;
    int chipAccessError() const;
    // Addresses as long long: the last of `count` registers from INT_MAX.
    std::uint8_t readChip(long long address) const;
    void writeChip(long long address, std::uint8_t value);
    int faultFor(int channel, int address) const;
};

Board& board();

} // namespace hxsim
