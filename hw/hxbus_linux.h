/* Board access library for the chip on a Linux host, over i2c-dev (IIC) and
 * spidev (SPI).
 *
 * It exports the same five entry points as the simulator (_init, _close,
 * _readData, _writeData, _getVer), extern "C", returning int, and reads its
 * device nodes from a small file at _init (see the README, "Using a chip on
 * Linux"). Besides those it exports one test hook, below.
 */
#ifndef HXBUS_LINUX_H
#define HXBUS_LINUX_H

#define HXLINUX_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* What _readData and _writeData return on failure (0 is success). */
enum {
    HXLINUX_ERR_NOT_OPEN = 0x0010,    /* no _init that found the chip, or after _close */
    HXLINUX_ERR_IO = 0x0020,          /* any other failure of the device node */
    HXLINUX_ERR_NAK = 0x0021,         /* IIC: nothing acknowledged (ENXIO, EREMOTEIO) */
    HXLINUX_ERR_TIMEOUT = 0x0022,     /* the bus timed out (ETIMEDOUT) */
    HXLINUX_ERR_BAD_CHANNEL = 0x0030, /* channel other than 0 (chip) or 7 (board) */
    HXLINUX_ERR_BAD_ARGS = 0x0031     /* null buffer, count outside 1..10, register past 0xFF */
};

/* Every call the library makes on a device node goes through this table, with
 * the meaning and error convention (-1 and errno) of the C library's calls. */
typedef struct HxLinuxSyscalls {
    int (*open)(const char* path, int flags);
    int (*close)(int fd);
    int (*ioctl)(int fd, unsigned long request, void* arg);
} HxLinuxSyscalls;

/* Replaces the table (copied; a null entry keeps the real call); null restores
 * the real calls. For tests, which put a model of the devices behind it. */
HXLINUX_EXPORT void hxlinux_set_syscalls(const HxLinuxSyscalls* calls);

#ifdef __cplusplus
}
#endif

#endif
