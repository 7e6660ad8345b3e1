/* The board access library's contract (HxBus), shared by the program that
 * loads it at run time (core/), the board simulator (sim/) and the Linux chip
 * library (hw/): the calling convention, the five entry points, the 64-byte
 * link record handed to _init, the channels and the error codes.
 *
 * Plain C, so that a board library may be written in either language.
 */
#ifndef HXBUS_CONTRACT_H
#define HXBUS_CONTRACT_H

#include <stddef.h>
#include <stdint.h>

/* The board vendor's library uses __stdcall on 32-bit Windows; every other
 * platform has one calling convention. */
#if defined(_WIN32) && !defined(_WIN64)
#define HXBUS_CALL __stdcall
#else
#define HXBUS_CALL
#endif

/* A board library defines HXBUS_LIBRARY while it is built, so that its entry
 * points are exported; the program only looks them up by name. */
#if defined(HXBUS_LIBRARY) && defined(_WIN32)
#define HXBUS_API __declspec(dllexport)
#elif defined(HXBUS_LIBRARY)
#define HXBUS_API __attribute__((visibility("default")))
#else
#define HXBUS_API
#endif

/* Interface kinds in the link record. */
enum { HXBUS_KIND_IIC = 1, HXBUS_KIND_SPI = 3 };

/* Channels of _readData and _writeData. */
enum {
    HXBUS_CHANNEL_CHIP = 0, /* the chip's registers, over IIC or SPI */
    HXBUS_CHANNEL_BOARD = 7 /* the board's own control registers */
};

/* The most bytes one _readData or _writeData moves. */
enum { HXBUS_BUFFER_SIZE = 10 };

/* What the entry points return on failure (0 is success). A library may
 * return other codes; these are the ones the program's libraries share. */
enum {
    HXBUS_ERR_NOT_OPEN = 0x0010,    /* no _init that found the board, or after _close */
    HXBUS_ERR_IO = 0x0020,          /* the device failed otherwise */
    HXBUS_ERR_NAK = 0x0021,         /* IIC: no device acknowledged the address */
    HXBUS_ERR_TIMEOUT = 0x0022,     /* the bus timed out */
    HXBUS_ERR_BAD_CHANNEL = 0x0030, /* channel other than chip (0) or board (7) */
    HXBUS_ERR_BAD_ARGS = 0x0031     /* null buffer, count outside 1..10, register out of range */
};

/* The record _init reads: which interface, and the chip's IIC address. */
typedef struct HxBusLinkSettings {
    int32_t interfaceKind; /* HXBUS_KIND_IIC or HXBUS_KIND_SPI */
    int32_t deviceAddress; /* IIC device address 0x4C..0x4F; 0 under SPI */
    uint8_t reserved[48];  /* zero */
    int32_t word56;        /* 3, set once when the record is made */
    uint8_t tail[4];       /* zero */
} HxBusLinkSettings;

/* The layout is the contract: the library reads the bytes at these offsets. */
#if defined(__cplusplus)
#define HXBUS_LAYOUT_CHECK(name, condition) static_assert(condition, #name)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define HXBUS_LAYOUT_CHECK(name, condition) _Static_assert(condition, #name)
#else
#define HXBUS_LAYOUT_CHECK(name, condition) typedef char hxbus_check_##name[(condition) ? 1 : -1]
#endif
HXBUS_LAYOUT_CHECK(link_settings_size, sizeof(HxBusLinkSettings) == 64);
HXBUS_LAYOUT_CHECK(interface_kind_offset, offsetof(HxBusLinkSettings, interfaceKind) == 0);
HXBUS_LAYOUT_CHECK(device_address_offset, offsetof(HxBusLinkSettings, deviceAddress) == 4);
HXBUS_LAYOUT_CHECK(reserved_offset, offsetof(HxBusLinkSettings, reserved) == 8);
HXBUS_LAYOUT_CHECK(word56_offset, offsetof(HxBusLinkSettings, word56) == 56);
HXBUS_LAYOUT_CHECK(tail_offset, offsetof(HxBusLinkSettings, tail) == 60);
#undef HXBUS_LAYOUT_CHECK

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the board on `port` (0: search) with the record; returns the port
 * found, 0 for none. */
HXBUS_API int HXBUS_CALL _init(int port, HxBusLinkSettings* settings);
/* Closes the board; later transfers fail with HXBUS_ERR_NOT_OPEN. */
HXBUS_API int HXBUS_CALL _close(void);
/* Reads `count` (1..10) consecutive registers from `address` on `channel`;
 * returns 0 or an error code. */
HXBUS_API int HXBUS_CALL _readData(int channel, int address, unsigned char* buffer, int count);
/* Writes `count` (1..10) consecutive registers; returns 0 or an error code. */
HXBUS_API int HXBUS_CALL _writeData(int channel, int address, unsigned char* buffer, int count);
/* The library's version, one nibble per part (0x1100 reads 1.1.0.0). */
HXBUS_API int HXBUS_CALL _getVer(void);

typedef int(HXBUS_CALL* HxBusInitFn)(int port, HxBusLinkSettings* settings);
typedef int(HXBUS_CALL* HxBusCloseFn)(void);
typedef int(HXBUS_CALL* HxBusReadFn)(int channel, int address, unsigned char* buffer, int count);
typedef int(HXBUS_CALL* HxBusWriteFn)(int channel, int address, unsigned char* buffer, int count);
typedef int(HXBUS_CALL* HxBusGetVerFn)(void);

#ifdef __cplusplus
}
#endif

#endif
