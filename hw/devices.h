#pragma once
// The chip's two buses as the kernel offers them: an i2c-dev adapter and a
// spidev device. One register per transfer; results are the library's codes.

#include "hxbus_linux.h"
#include "linuxconfig.h"

#include <cstdint>
#include <string>

namespace hxlinux {

// The calls in force (the real ones unless a test replaced them).
const HxLinuxSyscalls& sys();
void setSys(const HxLinuxSyscalls* calls);

// errno of a failed transfer -> HXLINUX_ERR_*.
int errorCode(int err);

// Port number of a device node: the number in its name plus one
// (/dev/i2c-1 -> 2, /dev/spidev0.0 -> 1); 1 for a name without one.
int portOf(const std::string& path, const char* stem);

// Opens the adapter and checks it can do plain I2C transfers. Returns the
// descriptor, or -1 with `reason` set.
int openI2c(const std::string& path, std::string& reason);
// One message [register, value].
int i2cWrite(int fd, int address, std::uint8_t reg, std::uint8_t value);
// A write of [register] and a one-byte read, joined by a repeated start.
int i2cRead(int fd, int address, std::uint8_t reg, std::uint8_t& value);

// Opens the spidev node and sets mode, 8-bit words and speed. Returns the
// descriptor, or -1 with `reason` set.
int openSpi(const Config& cfg, std::string& reason);
// One two-byte transfer [register, value].
int spiWrite(int fd, const Config& cfg, std::uint8_t reg, std::uint8_t value);
// [register | spi_read, 0] full duplex; the chip's answer is the second byte.
int spiRead(int fd, const Config& cfg, std::uint8_t reg, std::uint8_t& value);

} // namespace hxlinux
