#pragma once
// For tests: a model of the kernel's i2c-dev and spidev nodes behind the
// library's call table. One adapter whose chip answers at one address and
// refuses every other with ENXIO, one spidev node, and a record of every
// transfer and of the register operations the chip saw.

#include "hxbus_linux.h"

#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <linux/spi/spidev.h>
#include <sys/ioctl.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace hwmodel {

struct Message {
    int addr = 0;
    int flags = 0;
    int len = 0;
    std::vector<std::uint8_t> bytes; // sent (write) or answered (read)
};

struct SpiTransfer {
    std::vector<std::uint8_t> tx;
    std::vector<std::uint8_t> rx; // what the chip answered; empty without rx_buf
    unsigned len = 0, speed = 0, bits = 0;
};

struct Devices {
    // The world.
    std::string i2cPath = "/dev/i2c-1";
    std::string spiPath = "/dev/spidev0.0";
    int chipAddress = 0x4C;
    unsigned long funcs = I2C_FUNC_I2C | I2C_FUNC_SMBUS_EMUL;
    std::uint8_t spiReadFlag = 0x80;
    std::array<std::uint8_t, 256> regs{};
    int openErrno = 0;                     // every open fails so
    std::map<unsigned long, int> failWith; // ioctl request -> errno of every such call
    int transferShortBy = 0;               // transfers report this many units fewer

    // What the library did.
    std::vector<std::string> opened; // "path flags"
    std::map<int, std::string> fds;  // descriptors open now -> node
    std::vector<unsigned long> requests;
    std::vector<std::vector<Message>> i2c; // one entry per I2C_RDWR
    std::vector<SpiTransfer> spi;
    int spiMode = -1, spiBits = -1;
    long long spiMaxSpeed = -1;
    // The chip's view, over either bus: "W 41=05", "R 41=05".
    std::vector<std::string> chipOps;

    static std::string op(char kind, int reg, int value)
    {
        char s[16];
        std::snprintf(s, sizeof s, "%c %02X=%02X", kind, reg & 0xFF, value & 0xFF);
        return s;
    }

    int open(const char* path, int flags)
    {
        opened.push_back(std::string(path) + " " + std::to_string(flags));
        if (openErrno) return errno = openErrno, -1;
        if (path != i2cPath && path != spiPath) return errno = ENOENT, -1;
        const int fd = nextFd++;
        fds[fd] = path;
        return fd;
    }

    int close(int fd) { return fds.erase(fd) ? 0 : (errno = EBADF, -1); }

    int ioctl(int fd, unsigned long request, void* arg)
    {
        requests.push_back(request);
        const auto node = fds.find(fd);
        if (node == fds.end()) return errno = EBADF, -1;
        const bool isI2c = node->second == i2cPath;
        if (isI2c && request == I2C_RDWR) return rdwr(*static_cast<i2c_rdwr_ioctl_data*>(arg));
        if (!isI2c && request == SPI_IOC_MESSAGE(1)) return transfer(*static_cast<spi_ioc_transfer*>(arg));
        if (auto f = failWith.find(request); f != failWith.end()) return errno = f->second, -1;
        if (isI2c && request == I2C_FUNCS) return *static_cast<unsigned long*>(arg) = funcs, 0;
        if (!isI2c && request == SPI_IOC_WR_MODE) return spiMode = *static_cast<std::uint8_t*>(arg), 0;
        if (!isI2c && request == SPI_IOC_WR_BITS_PER_WORD)
            return spiBits = *static_cast<std::uint8_t*>(arg), 0;
        if (!isI2c && request == SPI_IOC_WR_MAX_SPEED_HZ)
            return spiMaxSpeed = *static_cast<std::uint32_t*>(arg), 0;
        return errno = ENOTTY, -1;
    }

private:
    int nextFd = 100;
    std::uint8_t pointer = 0; // the chip's register pointer

    int rdwr(i2c_rdwr_ioctl_data& data)
    {
        std::vector<Message> seen;
        for (unsigned i = 0; i < data.nmsgs; ++i) {
            const i2c_msg& m = data.msgs[i];
            Message r{m.addr, m.flags, m.len, {}};
            if (!(m.flags & I2C_M_RD)) r.bytes.assign(m.buf, m.buf + m.len);
            seen.push_back(r);
        }
        i2c.push_back(seen);
        if (auto f = failWith.find(I2C_RDWR); f != failWith.end()) return errno = f->second, -1;
        for (unsigned i = 0; i < data.nmsgs; ++i) {
            i2c_msg& m = data.msgs[i];
            if (m.addr != chipAddress) return errno = ENXIO, -1; // no acknowledge: the transfer ends
            if (m.flags & I2C_M_RD) {
                for (int b = 0; b < m.len; ++b, ++pointer) {
                    m.buf[b] = regs[pointer];
                    i2c.back()[i].bytes.push_back(regs[pointer]);
                    chipOps.push_back(op('R', pointer, regs[pointer]));
                }
            } else if (m.len > 0) {
                pointer = m.buf[0];
                for (int b = 1; b < m.len; ++b, ++pointer) {
                    regs[pointer] = m.buf[b];
                    chipOps.push_back(op('W', pointer, m.buf[b]));
                }
            }
        }
        return int(data.nmsgs) - transferShortBy;
    }

    int transfer(spi_ioc_transfer& t)
    {
        SpiTransfer r;
        const auto* tx = reinterpret_cast<const std::uint8_t*>(std::uintptr_t(t.tx_buf));
        auto* rx = reinterpret_cast<std::uint8_t*>(std::uintptr_t(t.rx_buf));
        if (tx) r.tx.assign(tx, tx + t.len);
        r.len = t.len;
        r.speed = t.speed_hz;
        r.bits = t.bits_per_word;
        spi.push_back(r);
        if (auto f = failWith.find(SPI_IOC_MESSAGE(1)); f != failWith.end()) return errno = f->second, -1;
        if (t.len != 2 || !tx) return errno = EINVAL, -1; // the chip's frame is two bytes
        std::uint8_t answer[2] = {0, 0};
        if ((tx[0] & spiReadFlag) == spiReadFlag) {
            const int reg = tx[0] & ~spiReadFlag;
            answer[1] = regs[std::size_t(reg)];
            chipOps.push_back(op('R', reg, answer[1]));
        } else {
            regs[tx[0]] = tx[1];
            chipOps.push_back(op('W', tx[0], tx[1]));
        }
        if (rx) {
            rx[0] = answer[0], rx[1] = answer[1];
            spi.back().rx.assign(answer, answer + 2);
        }
        return int(t.len) - transferShortBy;
    }
};

// The model the installed table forwards to.
inline Devices* current = nullptr;

inline HxLinuxSyscalls table()
{
    return {[](const char* p, int f) { return current->open(p, f); },
            [](int fd) { return current->close(fd); },
            [](int fd, unsigned long r, void* a) { return current->ioctl(fd, r, a); }};
}

} // namespace hwmodel
