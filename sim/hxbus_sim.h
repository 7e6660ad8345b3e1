/* Board simulator for the HxBus board access library.
 *
 * Besides the five entry points of the board library (_init, _close,
 * _readData, _writeData, _getVer) the simulator exports control functions,
 * prefixed hxsim_, through which tests and demos steer the same loaded
 * instance: board presence, strapped IIC address, version, zero-flag input,
 * injected faults, and a trace of every call.
 */
#ifndef HXBUS_SIM_H
#define HXBUS_SIM_H

/* The five entry points are declared there, with the calling convention. */
#include "hxbus_contract.h"

#ifdef _WIN32
#define HXSIM_EXPORT __declspec(dllexport)
#else
#define HXSIM_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes the simulated board returns, besides injected ones. */
enum {
    HXSIM_ERR_NOT_OPEN = HXBUS_ERR_NOT_OPEN,       /* no _init since load or after _close */
    HXSIM_ERR_NAK = HXBUS_ERR_NAK,                 /* IIC: no device answered at the address */
    HXSIM_ERR_BAD_CHANNEL = HXBUS_ERR_BAD_CHANNEL, /* channel other than 0 (chip) or 7 (board) */
    HXSIM_ERR_BAD_ARGS = HXBUS_ERR_BAD_ARGS        /* null buffer or count outside 1..10 */
};

/* Power-on: chip registers and board-control registers to their power-on
 * values, trace emptied, configuration back to the defaults and then the
 * configuration file (if any) applied again. A configured state file is read
 * at the next _init, not here. */
HXSIM_EXPORT void hxsim_reset(void);

HXSIM_EXPORT void hxsim_set_board_present(int present); /* 0: _init finds nothing */
HXSIM_EXPORT void hxsim_set_strap_address(int address); /* IIC address the chip answers at */
HXSIM_EXPORT void hxsim_set_version(int version);       /* what _getVer returns */
HXSIM_EXPORT void hxsim_set_port(int port);             /* port number _init reports */
HXSIM_EXPORT void hxsim_set_zero_flags(int flags);      /* input state behind register 0x45 */
HXSIM_EXPORT void hxsim_set_overflow_flags(int flags);  /* input state behind 0x56 bits 5..0 */
/* Fail reads of a chip register with `code` (0 removes the fault; address -1:
 * every register). */
HXSIM_EXPORT void hxsim_fail_read(int address, int code);
/* Fail writes on a channel/address with `code` (0 removes; address -1: every
 * address of that channel). */
HXSIM_EXPORT void hxsim_fail_write(int channel, int address, int code);
HXSIM_EXPORT void hxsim_clear_faults(void);
/* Set a chip register as if the chip held it (0x40..0x5E; other addresses ignored). */
HXSIM_EXPORT void hxsim_set_register(int address, int value);
/* Keep only the newest `lines` trace lines in memory (-1: all; 10000 by
 * default, so that a long script does not grow the process without end). */
HXSIM_EXPORT void hxsim_set_trace_memory(int lines);
/* Append the trace to a file as well (null or "" stops). */
HXSIM_EXPORT void hxsim_set_trace_file(const char* path);

/* Inspection. */
HXSIM_EXPORT int hxsim_register(int address);      /* chip register, -1 outside 0x40..0x5E */
HXSIM_EXPORT int hxsim_board_control(int address); /* last value on channel 7, -1 if never written */
HXSIM_EXPORT int hxsim_is_open(void);
HXSIM_EXPORT int hxsim_trace_count(void);
/* Copies trace line `index` (zero-terminated, truncated to size) and returns
 * its full length, or -1 for an index out of range. */
HXSIM_EXPORT int hxsim_trace_line(int index, char* buffer, int size);
HXSIM_EXPORT void hxsim_clear_trace(void);
/* Copies the 64-byte link record of the last _init; returns 0 if none yet. */
HXSIM_EXPORT int hxsim_last_settings(unsigned char* buffer64);

#ifdef __cplusplus
}
#endif

#endif
/* Trace lines, one per call of an entry point:
 *   init port=0 kind=1 addr=0x4C -> 1
 *   close
 *   getVer -> 0x1100
 *   write ch=0 addr=0x40 data=0xC6 -> 0x0
 *   read ch=0 addr=0x41 -> 0x05 rc=0x0
 */
