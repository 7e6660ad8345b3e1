#include "chipmodel.h"
#include "hxbus_sim.h"
#include "statefile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace hxsim {

namespace {
// Power-on values of the chip registers 0x40..0x5E.
constexpr std::array<std::uint8_t, 31> kPowerOn = {
    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, // 0x40..0x47
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, // 0x48..0x4F
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 0x50..0x57
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,       // 0x58..0x5E
};
constexpr int kIic = HXBUS_KIND_IIC, kSpi = HXBUS_KIND_SPI;
} // namespace

bool parseInt(std::string s, long long& out)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.erase(0, 1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.pop_back();
    if (s.empty()) return false;
    char* end = nullptr;
    int base = 10;
    const char* p = s.c_str();
    bool neg = false;
    if (*p == '-' || *p == '+') neg = *p++ == '-';
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        base = 16, p += 2;
    else if (*p == '$')
        base = 16, ++p;
    if (!*p) return false;
    out = std::strtoll(p, &end, base);
    if (*end) return false;
    if (neg) out = -out;
    return true;
}

void applyConfigText(Config& cfg, const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const auto hash = line.find_first_of("#;");
        if (hash != std::string::npos) line.erase(hash);
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
        while (!key.empty() && (key.front() == ' ' || key.front() == '\t')) key.erase(0, 1);
        long long v = 0;
        if (key == "trace_memory") {
            if (parseInt(value, v)) cfg.traceMemory = long(v);
        } else if (key == "trace") {
            while (!value.empty() && (value.front() == ' ')) value.erase(0, 1);
            while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
            cfg.traceFile = value;
        } else if (key == "state") {
            while (!value.empty() && (value.front() == ' ')) value.erase(0, 1);
            while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
            cfg.stateFile = value;
        } else if (key == "fail_read" || key == "fail_write") {
            // fail_read = address:code[, address:code ...]; fail_write = channel:address:code[, ...]
            std::istringstream items(value);
            std::string item;
            while (std::getline(items, item, ',')) {
                std::vector<long long> parts;
                std::istringstream fields(item);
                std::string f;
                bool ok = true;
                while (std::getline(fields, f, ':')) {
                    long long n = 0;
                    if (f.find('*') != std::string::npos)
                        n = -1;
                    else if (!parseInt(f, n))
                        ok = false;
                    parts.push_back(n);
                }
                if (!ok) continue;
                if (key == "fail_read" && parts.size() == 2) cfg.readFaults[int(parts[0])] = int(parts[1]);
                if (key == "fail_write" && parts.size() == 3)
                    cfg.writeFaults[{int(parts[0]), int(parts[1])}] = int(parts[2]);
            }
        } else if (parseInt(value, v)) {
            if (key == "present")
                cfg.present = v != 0;
            else if (key == "address")
                cfg.strapAddress = int(v);
            else if (key == "version")
                cfg.version = int(v);
            else if (key == "port")
                cfg.port = int(v);
            else if (key == "zero")
                cfg.zeroFlags = int(v);
            else if (key == "overflow")
                cfg.overflowFlags = int(v);
        }
    }
}

Board::Board()
{
    powerOn();
}

void Board::powerOn()
{
    cfg = Config{};
    // Configuration without recompiling: a file named by HXBUS_SIM_CONFIG, or
    // hxbus-sim.ini in the current directory; HXBUS_SIM_TRACE names a trace
    // file and HXBUS_SIM_STATE a state file, over the file's keys.
    std::string path;
    if (const char* env = std::getenv("HXBUS_SIM_CONFIG"))
        path = env;
    else
        path = "hxbus-sim.ini";
    if (std::ifstream f{path}) {
        std::stringstream ss;
        ss << f.rdbuf();
        applyConfigText(cfg, ss.str());
    }
    if (const char* env = std::getenv("HXBUS_SIM_TRACE")) cfg.traceFile = env;
    if (const char* env = std::getenv("HXBUS_SIM_STATE")) cfg.stateFile = env;
    stateRead_ = false;
    regs = kPowerOn;
    boardControl.fill(-1);
    open = false;
    interfaceKind = deviceAddress = 0;
    haveSettings = false;
    lastSettings = HxBusLinkSettings{};
    trace.clear();
}

void Board::log(const std::string& line)
{
    // Only the newest lines stay in memory (trace_memory), so that a long
    // script does not grow the process without end; the trace file has all.
    if (cfg.traceMemory != 0) trace.push_back(line);
    while (cfg.traceMemory >= 0 && trace.size() > std::size_t(cfg.traceMemory)) trace.pop_front();
    if (!cfg.traceFile.empty()) {
        if (FILE* f = std::fopen(cfg.traceFile.c_str(), "a")) {
            std::fprintf(f, "%s\n", line.c_str());
            std::fclose(f);
        }
    }
}

int Board::init(int port, const HxBusLinkSettings* settings)
{
    if (!stateRead_) {
        stateRead_ = true;
        readState();
    }
    int result = 0;
    if (settings) {
        lastSettings = *settings;
        haveSettings = true;
        interfaceKind = settings->interfaceKind;
        deviceAddress = settings->deviceAddress;
    }
    open = false;
    // Port 0 searches; any other port reopens that port only.
    if (cfg.present && settings && (interfaceKind == kIic || interfaceKind == kSpi) &&
        (port == 0 || port == cfg.port)) {
        open = true;
        result = cfg.port;
    }
    char line[96];
    std::snprintf(line, sizeof line, "init port=%d kind=%d addr=0x%02X -> %d", port, interfaceKind,
                  deviceAddress, result);
    log(line);
    return result;
}

int Board::close()
{
    open = false;
    // Only after an _init: a _close alone has not seen the file's registers
    // and would overwrite them with power-on values.
    if (stateRead_) writeState();
    log("close");
    return 0;
}

// One line on standard error: the program that loads the simulator has no
// other place for it, and the board goes on with power-on values.
void Board::readState()
{
    if (cfg.stateFile.empty()) return;
    std::error_code ec;
    const auto status = std::filesystem::status(cfg.stateFile, ec);
    // No file yet: the board is as at power-on.
    if (status.type() == std::filesystem::file_type::not_found) return;
    std::string reason;
    if (ec) {
        reason = ec.message();
    } else if (!std::filesystem::is_regular_file(status)) {
        // A FIFO would block the program's start-up until someone writes to it.
        reason = "not a regular file";
    } else if (std::ifstream f{cfg.stateFile, std::ios::binary}) {
        std::stringstream text;
        text << f.rdbuf();
        if (parseState(text.str(), regs, boardControl, reason)) return;
    } else {
        reason = "cannot be read";
    }
    std::fprintf(stderr, "hxbus-sim: %s: %s; power-on values\n", cfg.stateFile.c_str(), reason.c_str());
}

void Board::writeState() const
{
    if (cfg.stateFile.empty()) return;
    const std::string error = replaceFile(cfg.stateFile, stateText(regs, boardControl));
    if (!error.empty()) std::fprintf(stderr, "hxbus-sim: %s: %s\n", cfg.stateFile.c_str(), error.c_str());
}

int Board::version()
{
    char line[48];
    std::snprintf(line, sizeof line, "getVer -> 0x%04X", unsigned(cfg.version));
    log(line);
    return cfg.version;
}

int Board::chipAccessError() const
{
    if (!open) return HXSIM_ERR_NOT_OPEN;
    // An IIC device only acknowledges its own strapped address.
    if (interfaceKind == kIic && deviceAddress != cfg.strapAddress) return HXSIM_ERR_NAK;
    return 0;
}

int Board::faultFor(int channel, int address) const
{
    auto it = cfg.writeFaults.find({channel, address});
    if (it != cfg.writeFaults.end()) return it->second;
    it = cfg.writeFaults.find({channel, -1});
    return it != cfg.writeFaults.end() ? it->second : 0;
}

std::uint8_t Board::readChip(long long address) const
{
    if (address < 0x40 || address > 0x5E) return 0x00; // no register there: reads as 0
    if (address == 0x45) return std::uint8_t(cfg.zeroFlags);
    if (address == 0x56) return std::uint8_t((regs[0x16] & 0xC0) | (cfg.overflowFlags & 0x3F));
    return regs[std::size_t(address - 0x40)];
}

void Board::writeChip(long long address, std::uint8_t value)
{
    if (address < 0x40 || address > 0x5E) return; // acknowledged, no effect
    if (address == 0x40) {
        if (!(value & 0x80)) { // MRST: every register back to its power-on value
            regs = kPowerOn;
            return;
        }
        regs[0] = value | 0x40; // SRST is a pulse: it reads back as 1
        return;
    }
    if (address == 0x45) return; // zero flags are read-only
    if (address == 0x56) {       // overflow flags are read-only
        regs[0x16] = std::uint8_t((regs[0x16] & 0x3F) | (value & 0xC0));
        return;
    }
    regs[std::size_t(address - 0x40)] = value;
}

int Board::read(int channel, int address, unsigned char* buffer, int count)
{
    int rc = 0;
    if (!buffer || count < 1 || count > HXBUS_BUFFER_SIZE)
        rc = HXSIM_ERR_BAD_ARGS;
    else if (channel == HXBUS_CHANNEL_CHIP) {
        rc = chipAccessError();
        if (!rc) {
            auto it = cfg.readFaults.find(address);
            if (it == cfg.readFaults.end()) it = cfg.readFaults.find(-1);
            if (it != cfg.readFaults.end()) rc = it->second;
        }
        if (!rc)
            for (int i = 0; i < count; ++i) buffer[i] = readChip(static_cast<long long>(address) + i);
    } else if (channel == HXBUS_CHANNEL_BOARD) {
        rc = open ? 0 : HXSIM_ERR_NOT_OPEN;
        if (!rc)
            for (int i = 0; i < count; ++i) {
                const int v = boardControl[(unsigned(address) + unsigned(i)) & 0xFFu];
                buffer[i] = std::uint8_t(v < 0 ? 0 : v);
            }
    } else {
        rc = HXSIM_ERR_BAD_CHANNEL;
    }
    char line[80];
    std::snprintf(line, sizeof line, "read ch=%d addr=0x%02X -> 0x%02X rc=0x%X", channel, unsigned(address),
                  buffer ? buffer[0] : 0u, unsigned(rc));
    log(line);
    return rc;
}

int Board::write(int channel, int address, const unsigned char* buffer, int count)
{
    int rc = 0;
    if (!buffer || count < 1 || count > HXBUS_BUFFER_SIZE)
        rc = HXSIM_ERR_BAD_ARGS;
    else if (channel == HXBUS_CHANNEL_CHIP) {
        rc = chipAccessError();
        if (!rc) rc = faultFor(channel, address);
        if (!rc)
            for (int i = 0; i < count; ++i) writeChip(static_cast<long long>(address) + i, buffer[i]);
    } else if (channel == HXBUS_CHANNEL_BOARD) {
        rc = open ? 0 : HXSIM_ERR_NOT_OPEN;
        if (!rc) rc = faultFor(channel, address);
        if (!rc)
            for (int i = 0; i < count; ++i)
                boardControl[(unsigned(address) + unsigned(i)) & 0xFFu] = buffer[i];
    } else {
        rc = HXSIM_ERR_BAD_CHANNEL;
    }
    char line[80];
    std::snprintf(line, sizeof line, "write ch=%d addr=0x%02X data=0x%02X -> 0x%X", channel,
                  unsigned(address), buffer ? buffer[0] : 0u, unsigned(rc));
    log(line);
    return rc;
}

Board& board()
{
    static Board b;
    return b;
}

} // namespace hxsim
