#pragma once
// The library's configuration file: which device nodes carry the chip and how
// SPI is clocked.

#include <cstdint>
#include <string>

namespace hxlinux {

struct Config {
    std::string i2c;                  // adapter node, e.g. /dev/i2c-1; empty: none
    std::string spi;                  // spidev node, e.g. /dev/spidev0.0; empty: none
    unsigned spiMode = 3;             // 0..3
    std::uint32_t spiSpeed = 1000000; // Hz
    unsigned spiRead = 0x80;          // OR-ed into the register byte of a read
};

// HXBUS_LINUX_CONFIG, or else hxbus-linux.ini in the current directory.
std::string configPath();

// Parses the text of the file called `name`. Returns "" or one line naming the
// file, the line and the reason ("name:3: unknown key 'spi_clock'").
std::string parseConfig(const std::string& text, const std::string& name, Config& out);

// Reads and parses the file; a missing, unreadable or non-regular file is an
// error too. Never blocks on a FIFO.
std::string loadConfig(const std::string& path, Config& out);

} // namespace hxlinux
