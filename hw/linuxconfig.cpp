#include "linuxconfig.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hxlinux {

namespace {

// A configuration file is a few lines; anything larger is not one.
constexpr std::size_t kMaxFileSize = 64 * 1024;

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// The simulator's number forms: decimal, or hexadecimal after 0x or $, with
// an optional sign. Every character must be a digit of the base.
bool parseNumber(const std::string& text, long long& out)
{
    const char* p = text.c_str();
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        base = 16, p += 2;
    else if (*p == '$')
        base = 16, ++p;
    if (!*p) return false;
    unsigned long long value = 0;
    for (; *p; ++p) {
        int digit;
        if (*p >= '0' && *p <= '9')
            digit = *p - '0';
        else if (base == 16 && *p >= 'a' && *p <= 'f')
            digit = *p - 'a' + 10;
        else if (base == 16 && *p >= 'A' && *p <= 'F')
            digit = *p - 'A' + 10;
        else
            return false;
        value = value * unsigned(base) + unsigned(digit);
        if (value > 0xFFFFFFFFull) return false; // past every range here
    }
    out = negative ? -(long long)value : (long long)value;
    return true;
}

struct NumberKey {
    const char* key;
    long long min, max;
    const char* range;
};
constexpr NumberKey kNumberKeys[] = {
    {"spi_mode", 0, 3, "0..3"},
    {"spi_speed", 1, 0xFFFFFFFFll, "1..4294967295 Hz"},
    {"spi_read", 0, 0xFF, "0..0xFF"},
};

} // namespace

std::string configPath()
{
    const char* env = std::getenv("HXBUS_LINUX_CONFIG");
    return env && *env ? env : "hxbus-linux.ini";
}

std::string parseConfig(const std::string& text, const std::string& name, Config& out)
{
    Config cfg;
    std::size_t start = 0;
    for (int lineNo = 1; start <= text.size(); ++lineNo) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        char lineText[16];
        std::snprintf(lineText, sizeof lineText, ":%d: ", lineNo);
        const std::string where = name + lineText;

        const auto comment = line.find_first_of("#;");
        if (comment != std::string::npos) line.erase(comment);
        if (line.find('\0') != std::string::npos) return where + "not a text line";
        line = trim(line);
        if (line.empty()) continue;
        const auto eq = line.find('=');
        const std::string key = eq == std::string::npos ? std::string() : trim(line.substr(0, eq));
        if (key.empty()) return where + "expected key = value";
        const std::string value = trim(line.substr(eq + 1));

        if (key == "i2c" || key == "spi") {
            if (value.empty()) return where + "no device for " + key;
            (key == "i2c" ? cfg.i2c : cfg.spi) = value;
            continue;
        }
        const NumberKey* nk = nullptr;
        for (const NumberKey& k : kNumberKeys)
            if (key == k.key) nk = &k;
        if (!nk) return where + "unknown key '" + key + "'";
        long long v = 0;
        if (!parseNumber(value, v) || v < nk->min || v > nk->max)
            return where + "bad value '" + value + "' for " + key + " (" + nk->range + ")";
        if (key == "spi_mode")
            cfg.spiMode = unsigned(v);
        else if (key == "spi_speed")
            cfg.spiSpeed = std::uint32_t(v);
        else
            cfg.spiRead = unsigned(v);
    }
    out = cfg;
    return {};
}

std::string loadConfig(const std::string& path, Config& out)
{
    // O_NONBLOCK: a FIFO in the file's place must not hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return path + ": cannot open: " + std::strerror(errno);
    std::string reason, text;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        reason = std::string("cannot read: ") + std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        reason = "not a regular file";
    else if (std::size_t(st.st_size) > kMaxFileSize)
        reason = "too large for a configuration file";
    else {
        text.resize(std::size_t(st.st_size));
        std::size_t got = 0;
        while (got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                reason = std::string("cannot read: ") + std::strerror(errno);
                break;
            }
            if (n == 0) break;
            got += std::size_t(n);
        }
        text.resize(got);
    }
    ::close(fd);
    if (!reason.empty()) return path + ": " + reason;
    return parseConfig(text, path, out);
}

} // namespace hxlinux
