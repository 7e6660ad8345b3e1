/* Board access library for the chip on a Linux host, over i2c-dev (IIC) and
 * spidev (SPI).
 *
 * It exports the same five entry points as the simulator (_init, _close,
 * _readData, _writeData, _getVer, declared in core/hxbus_contract.h), and reads its
 * device nodes from a small file at _init (see the README, "Using a chip on
 * Linux"). Besides those it exports one test hook, below.
 */
#ifndef HXBUS_LINUX_H
#define HXBUS_LINUX_H

/* The five entry points are declared there. */
#include "hxbus_contract.h"

#define HXLINUX_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* What _readData and _writeData return on failure (0 is success). */
enum {
    HXLINUX_ERR_NOT_OPEN = HXBUS_ERR_NOT_OPEN,       /* no _init that found the chip, or after _close */
    HXLINUX_ERR_IO = HXBUS_ERR_IO,                   /* any other failure of the device node */
    HXLINUX_ERR_NAK = HXBUS_ERR_NAK,                 /* IIC: nothing acknowledged (ENXIO, EREMOTEIO) */
    HXLINUX_ERR_TIMEOUT = HXBUS_ERR_TIMEOUT,         /* the bus timed out (ETIMEDOUT) */
    HXLINUX_ERR_BAD_CHANNEL = HXBUS_ERR_BAD_CHANNEL, /* channel other than 0 (chip) or 7 (board) */
    HXLINUX_ERR_BAD_ARGS = HXBUS_ERR_BAD_ARGS        /* null buffer, count outside 1..10, register
                                                        outside 0..0xFF */
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
