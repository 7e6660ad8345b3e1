#include "devices.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <linux/spi/spidev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace hxlinux {

namespace {

int realOpen(const char* path, int flags)
{
    return ::open(path, flags);
}
int realClose(int fd)
{
    return ::close(fd);
}
int realIoctl(int fd, unsigned long request, void* arg)
{
    return ::ioctl(fd, request, arg);
}

constexpr HxLinuxSyscalls kReal = {realOpen, realClose, realIoctl};
HxLinuxSyscalls calls = kReal;

// Neither i2c-dev nor spidev looks at O_NONBLOCK; it only keeps a FIFO or
// another odd node named in the file from blocking the open.
constexpr int kOpenFlags = O_RDWR | O_CLOEXEC | O_NONBLOCK;

// ioctl whose result is only success or failure, with errno kept.
bool control(int fd, unsigned long request, void* arg, const char* what, std::string& reason)
{
    if (sys().ioctl(fd, request, arg) >= 0) return true;
    reason = std::string(what) + ": " + std::strerror(errno);
    return false;
}

// A transfer of `expected` units that returned `rc`, errno as it left it.
int transferResult(int rc, int expected)
{
    if (rc < 0) return errorCode(errno);
    return rc == expected ? 0 : HXLINUX_ERR_IO;
}

} // namespace

const HxLinuxSyscalls& sys()
{
    return calls;
}

void setSys(const HxLinuxSyscalls* c)
{
    calls = kReal;
    if (!c) return;
    if (c->open) calls.open = c->open;
    if (c->close) calls.close = c->close;
    if (c->ioctl) calls.ioctl = c->ioctl;
}

int errorCode(int err)
{
    switch (err) {
    case ENXIO:     // most adapters: the address was not acknowledged
    case EREMOTEIO: // others report a missing acknowledge this way
        return HXLINUX_ERR_NAK;
    case ETIMEDOUT:
        return HXLINUX_ERR_TIMEOUT;
    default:
        return HXLINUX_ERR_IO;
    }
}

int portOf(const std::string& path, const char* stem)
{
    const std::string base = path.substr(path.find_last_of('/') + 1);
    const std::size_t n = std::strlen(stem);
    if (base.compare(0, n, stem) != 0 || base.size() == n) return 1;
    int number = 0;
    for (std::size_t i = n; i < base.size() && base[i] >= '0' && base[i] <= '9'; ++i) {
        number = number * 10 + (base[i] - '0');
        if (number > 0xFFFF) return 1;
    }
    return base[n] >= '0' && base[n] <= '9' ? number + 1 : 1;
}

int openI2c(const std::string& path, std::string& reason)
{
    const int fd = sys().open(path.c_str(), kOpenFlags);
    if (fd < 0) {
        reason = std::strerror(errno);
        return -1;
    }
    unsigned long funcs = 0;
    if (!control(fd, I2C_FUNCS, &funcs, "not an IIC adapter", reason)) {
        sys().close(fd);
        return -1;
    }
    // A register read needs a write and a read joined by a repeated start,
    // which SMBus-only adapters cannot send.
    if (!(funcs & I2C_FUNC_I2C)) {
        reason = "the adapter cannot do plain I2C transfers (I2C_FUNC_I2C)";
        sys().close(fd);
        return -1;
    }
    return fd;
}

int i2cWrite(int fd, int address, std::uint8_t reg, std::uint8_t value)
{
    std::uint8_t bytes[2] = {reg, value};
    i2c_msg msg = {std::uint16_t(address), 0, 2, bytes};
    i2c_rdwr_ioctl_data data = {&msg, 1};
    return transferResult(sys().ioctl(fd, I2C_RDWR, &data), 1);
}

int i2cRead(int fd, int address, std::uint8_t reg, std::uint8_t& value)
{
    std::uint8_t answer = 0;
    i2c_msg msgs[2] = {{std::uint16_t(address), 0, 1, &reg}, {std::uint16_t(address), I2C_M_RD, 1, &answer}};
    i2c_rdwr_ioctl_data data = {msgs, 2};
    const int rc = transferResult(sys().ioctl(fd, I2C_RDWR, &data), 2);
    if (rc == 0) value = answer;
    return rc;
}

int openSpi(const Config& cfg, std::string& reason)
{
    const int fd = sys().open(cfg.spi.c_str(), kOpenFlags);
    if (fd < 0) {
        reason = std::strerror(errno);
        return -1;
    }
    std::uint8_t mode = std::uint8_t(cfg.spiMode);
    std::uint8_t bits = 8;
    std::uint32_t speed = cfg.spiSpeed;
    if (!control(fd, SPI_IOC_WR_MODE, &mode, "cannot set the SPI mode", reason) ||
        !control(fd, SPI_IOC_WR_BITS_PER_WORD, &bits, "cannot set 8-bit words", reason) ||
        !control(fd, SPI_IOC_WR_MAX_SPEED_HZ, &speed, "cannot set the SPI speed", reason)) {
        sys().close(fd);
        return -1;
    }
    return fd;
}

namespace {
int spiTransfer(int fd, const Config& cfg, const std::uint8_t* tx, std::uint8_t* rx)
{
    spi_ioc_transfer t;
    std::memset(&t, 0, sizeof t);
    t.tx_buf = reinterpret_cast<std::uintptr_t>(tx);
    t.rx_buf = reinterpret_cast<std::uintptr_t>(rx);
    t.len = 2;
    t.speed_hz = cfg.spiSpeed;
    t.bits_per_word = 8;
    return transferResult(sys().ioctl(fd, SPI_IOC_MESSAGE(1), &t), 2);
}
} // namespace

int spiWrite(int fd, const Config& cfg, std::uint8_t reg, std::uint8_t value)
{
    const std::uint8_t tx[2] = {reg, value};
    return spiTransfer(fd, cfg, tx, nullptr);
}

int spiRead(int fd, const Config& cfg, std::uint8_t reg, std::uint8_t& value)
{
    const std::uint8_t tx[2] = {std::uint8_t(reg | cfg.spiRead), 0x00};
    std::uint8_t rx[2] = {0, 0};
    const int rc = spiTransfer(fd, cfg, tx, rx);
    if (rc == 0) value = rx[1];
    return rc;
}

} // namespace hxlinux
