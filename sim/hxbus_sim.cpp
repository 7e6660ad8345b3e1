// Exported entry points of the simulated board library.

#include "hxbus_sim.h"
#include "chipmodel.h"

#include <cstring>

using hxsim::board;

extern "C" {

HXBUS_API int HXBUS_CALL _init(int port, HxBusLinkSettings* settings)
{
    return board().init(port, settings);
}
HXBUS_API int HXBUS_CALL _close(void)
{
    return board().close();
}
HXBUS_API int HXBUS_CALL _readData(int channel, int address, unsigned char* buffer, int count)
{
    return board().read(channel, address, buffer, count);
}
HXBUS_API int HXBUS_CALL _writeData(int channel, int address, unsigned char* buffer, int count)
{
    return board().write(channel, address, buffer, count);
}
#ifndef HXSIM_WITHOUT_GETVER
HXBUS_API int HXBUS_CALL _getVer(void)
{
    return board().version();
}
#endif

HXSIM_EXPORT void hxsim_reset(void)
{
    board().powerOn();
}
HXSIM_EXPORT void hxsim_set_board_present(int present)
{
    board().cfg.present = present != 0;
}
HXSIM_EXPORT void hxsim_set_strap_address(int address)
{
    board().cfg.strapAddress = address;
}
HXSIM_EXPORT void hxsim_set_version(int version)
{
    board().cfg.version = version;
}
HXSIM_EXPORT void hxsim_set_port(int port)
{
    board().cfg.port = port;
}
HXSIM_EXPORT void hxsim_set_zero_flags(int flags)
{
    board().cfg.zeroFlags = flags;
}
HXSIM_EXPORT void hxsim_set_overflow_flags(int flags)
{
    board().cfg.overflowFlags = flags;
}
HXSIM_EXPORT void hxsim_fail_read(int address, int code)
{
    if (code)
        board().cfg.readFaults[address] = code;
    else
        board().cfg.readFaults.erase(address);
}
HXSIM_EXPORT void hxsim_fail_write(int channel, int address, int code)
{
    if (code)
        board().cfg.writeFaults[{channel, address}] = code;
    else
        board().cfg.writeFaults.erase({channel, address});
}
HXSIM_EXPORT void hxsim_clear_faults(void)
{
    board().cfg.readFaults.clear();
    board().cfg.writeFaults.clear();
}
HXSIM_EXPORT void hxsim_set_register(int address, int value)
{
    if (address >= 0x40 && address <= 0x5E) board().regs[address - 0x40] = static_cast<unsigned char>(value);
}
HXSIM_EXPORT void hxsim_set_trace_file(const char* path)
{
    board().cfg.traceFile = path ? path : "";
}

HXSIM_EXPORT int hxsim_register(int address)
{
    return address >= 0x40 && address <= 0x5E ? board().regs[address - 0x40] : -1;
}
HXSIM_EXPORT int hxsim_board_control(int address)
{
    return board().boardControl[address & 0xFF];
}
HXSIM_EXPORT int hxsim_is_open(void)
{
    return board().open ? 1 : 0;
}
HXSIM_EXPORT int hxsim_trace_count(void)
{
    return int(board().trace.size());
}
HXSIM_EXPORT int hxsim_trace_line(int index, char* buffer, int size)
{
    const auto& t = board().trace;
    if (index < 0 || index >= int(t.size())) return -1;
    const std::string& s = t[size_t(index)];
    if (buffer && size > 0) {
        const size_t n = std::min(s.size(), size_t(size - 1));
        std::memcpy(buffer, s.data(), n);
        buffer[n] = 0;
    }
    return int(s.size());
}
HXSIM_EXPORT void hxsim_set_trace_memory(int lines)
{
    board().cfg.traceMemory = lines;
}
HXSIM_EXPORT void hxsim_clear_trace(void)
{
    board().trace.clear();
}
HXSIM_EXPORT int hxsim_last_settings(unsigned char* buffer64)
{
    if (!board().haveSettings) return 0;
    if (buffer64) std::memcpy(buffer64, &board().lastSettings, sizeof(HxBusLinkSettings));
    return 1;
}

} // extern "C"
