// Exported entry points of the Linux chip library: the link state, the
// argument rules shared with the simulator, and the board-control store.

#include "hxbus_linux.h"
#include "devices.h"
#include "linuxconfig.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

using namespace hxlinux;

namespace {

constexpr int kIic = HXBUS_KIND_IIC, kSpi = HXBUS_KIND_SPI;
constexpr int kChannelChip = HXBUS_CHANNEL_CHIP, kChannelBoard = HXBUS_CHANNEL_BOARD;
constexpr int kMaxCount = HXBUS_BUFFER_SIZE;
constexpr int kLastRegister = 0xFF;
// Read at _init: an IIC chip that does not acknowledge it is no board, so the
// program says "No EVM was found" instead of failing every later read.
constexpr std::uint8_t kProbeRegister = 0x40;

struct Link {
    bool open = false;
    int fd = -1;
    int kind = 0;
    int address = 0;
    Config cfg;
    // The bare chip has nothing behind channel 7: the values are only kept,
    // across _close and _init, as on the simulated board.
    std::array<std::uint8_t, 256> boardControl{};
};

Link& link()
{
    static Link l;
    return l;
}

// One line on standard error: the program has no other place for the reason.
void report(const std::string& line)
{
    std::fprintf(stderr, "hxbus-linux: %s\n", line.c_str());
}

std::string number(const char* format, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

const char* describe(int code)
{
    switch (code) {
    case HXLINUX_ERR_NAK:
        return "no acknowledge";
    case HXLINUX_ERR_TIMEOUT:
        return "time-out";
    default:
        return "I/O error";
    }
}

void closeLink(Link& l)
{
    if (l.fd >= 0) sys().close(l.fd);
    l.fd = -1;
    l.open = false;
}

// Opens the configured node for the interface; returns the port or 0.
int openLink(Link& l, int kind, int address)
{
    Config cfg;
    const std::string path = configPath();
    if (std::string error = loadConfig(path, cfg); !error.empty()) {
        report(error);
        return 0;
    }
    std::string reason;
    int fd = -1, port = 0;
    if (kind == kIic) {
        if (cfg.i2c.empty()) {
            report(path + ": no 'i2c' line, needed for IIC");
            return 0;
        }
        if (address < 0 || address > 0x7F) {
            report("IIC device address " + number("0x%X", address) + " is not a 7-bit address");
            return 0;
        }
        if ((fd = openI2c(cfg.i2c, reason)) < 0) {
            report(cfg.i2c + ": " + reason);
            return 0;
        }
        std::uint8_t value = 0;
        if (const int rc = i2cRead(fd, address, kProbeRegister, value)) {
            char line[96];
            std::snprintf(line, sizeof line, ": no chip answers at address 0x%02X (%s)", unsigned(address),
                          describe(rc));
            report(cfg.i2c + line);
            sys().close(fd);
            return 0;
        }
        port = portOf(cfg.i2c, "i2c-");
    } else if (kind == kSpi) {
        // SPI has no acknowledge: an absent chip cannot be told from a
        // present one, so the open device node is the board.
        if (cfg.spi.empty()) {
            report(path + ": no 'spi' line, needed for SPI");
            return 0;
        }
        if ((fd = openSpi(cfg, reason)) < 0) {
            report(cfg.spi + ": " + reason);
            return 0;
        }
        port = portOf(cfg.spi, "spidev");
    } else {
        report("interface kind " + number("%d", kind) + " is neither IIC (1) nor SPI (3)");
        return 0;
    }
    l.fd = fd;
    l.kind = kind;
    l.address = address;
    l.cfg = cfg;
    l.open = true;
    return port;
}

int chipAccess(Link& l, bool write, int reg, unsigned char& byte)
{
    const auto r = std::uint8_t(reg);
    if (l.kind == kIic) return write ? i2cWrite(l.fd, l.address, r, byte) : i2cRead(l.fd, l.address, r, byte);
    return write ? spiWrite(l.fd, l.cfg, r, byte) : spiRead(l.fd, l.cfg, r, byte);
}

// The simulator's rules: arguments first, then the channel, then the link.
// Several bytes go to consecutive registers, one transfer each, so nothing
// depends on whether the chip increments its register pointer.
int access(bool write, int channel, int address, unsigned char* buffer, int count)
{
    if (!buffer || count < 1 || count > kMaxCount) return HXLINUX_ERR_BAD_ARGS;
    if (channel != kChannelChip && channel != kChannelBoard) return HXLINUX_ERR_BAD_CHANNEL;
    Link& l = link();
    if (!l.open) return HXLINUX_ERR_NOT_OPEN;
    if (channel == kChannelBoard) {
        for (int i = 0; i < count; ++i) {
            std::uint8_t& kept = l.boardControl[(unsigned(address) + unsigned(i)) & 0xFFu];
            if (write)
                kept = buffer[i];
            else
                buffer[i] = kept;
        }
        return 0;
    }
    // The register travels as one byte on either bus. `count` is 1..10 here,
    // so the last register is checked without computing address + count.
    if (address < 0 || address > kLastRegister - (count - 1)) return HXLINUX_ERR_BAD_ARGS;
    for (int i = 0; i < count; ++i)
        if (const int rc = chipAccess(l, write, address + i, buffer[i])) return rc;
    return 0;
}

} // namespace

extern "C" {

HXBUS_API int HXBUS_CALL _init(int /*port*/, HxBusLinkSettings* settings)
{
    // There is one configured node per interface, so every port number,
    // 0 (search) included, opens that one.
    Link& l = link();
    closeLink(l);
    if (!settings) {
        report("_init without a link record");
        return 0;
    }
    return openLink(l, settings->interfaceKind, settings->deviceAddress);
}

HXBUS_API int HXBUS_CALL _close(void)
{
    closeLink(link());
    return 0;
}

HXBUS_API int HXBUS_CALL _readData(int channel, int address, unsigned char* buffer, int count)
{
    return access(false, channel, address, buffer, count);
}

HXBUS_API int HXBUS_CALL _writeData(int channel, int address, unsigned char* buffer, int count)
{
    return access(true, channel, address, buffer, count);
}

HXBUS_API int HXBUS_CALL _getVer(void)
{
    return HXLINUX_VERSION;
}

HXLINUX_EXPORT void hxlinux_set_syscalls(const HxLinuxSyscalls* calls)
{
    setSys(calls);
}

} // extern "C"
