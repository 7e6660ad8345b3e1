#include "simfixture.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/resource.h>
#endif

#include <QRegularExpression>

#ifdef _WIN32
FileSizeLimit::FileSizeLimit(qint64) {}
FileSizeLimit::~FileSizeLimit() = default;
bool FileSizeLimit::supported()
{
    return false;
}
#else
FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit l{};
    getrlimit(RLIMIT_FSIZE, &l);
    old_ = l.rlim_cur;
    l.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &l);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit l{};
    getrlimit(RLIMIT_FSIZE, &l);
    l.rlim_cur = rlim_t(old_);
    setrlimit(RLIMIT_FSIZE, &l);
}

bool FileSizeLimit::supported()
{
    return true;
}
#endif

SimBoard::SimBoard(const QString& library)
{
#ifdef _WIN32
    handle_ = reinterpret_cast<void*>(LoadLibraryW(reinterpret_cast<LPCWSTR>((library + ".dll").utf16())));
#else
    handle_ = dlopen(QByteArray("lib" + library.toLocal8Bit() + ".so").constData(), RTLD_NOW);
#endif
    if (!handle_) qWarning("simulator %s not loaded", qPrintable(library));
}

// The library stays mapped while the test holds it, so its state survives the
// program's own unload at close.
SimBoard::~SimBoard()
{
#ifdef _WIN32
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
#else
    if (handle_) dlclose(handle_);
#endif
}

void* SimBoard::fn(const char* name)
{
    if (!handle_) qFatal("simulator not loaded");
#ifdef _WIN32
    void* f = reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
    void* f = dlsym(handle_, name);
#endif
    if (!f) qFatal("simulator function %s missing", name);
    return f;
}

#define SIMCALL(name, sig) reinterpret_cast<sig>(fn(name))
void SimBoard::reset()
{
    SIMCALL("hxsim_reset", void (*)())();
}
void SimBoard::setPresent(bool p)
{
    SIMCALL("hxsim_set_board_present", void (*)(int))(p ? 1 : 0);
}
void SimBoard::setStrap(int a)
{
    SIMCALL("hxsim_set_strap_address", void (*)(int))(a);
}
void SimBoard::setVersion(int v)
{
    SIMCALL("hxsim_set_version", void (*)(int))(v);
}
void SimBoard::setPort(int p)
{
    SIMCALL("hxsim_set_port", void (*)(int))(p);
}
void SimBoard::setZeroFlags(int f)
{
    SIMCALL("hxsim_set_zero_flags", void (*)(int))(f);
}
void SimBoard::failRead(int a, int c)
{
    SIMCALL("hxsim_fail_read", void (*)(int, int))(a, c);
}
void SimBoard::failWrite(int ch, int a, int c)
{
    SIMCALL("hxsim_fail_write", void (*)(int, int, int))(ch, a, c);
}
void SimBoard::setRegister(int a, int v)
{
    SIMCALL("hxsim_set_register", void (*)(int, int))(a, v);
}
void SimBoard::setOverflowFlags(int f)
{
    SIMCALL("hxsim_set_overflow_flags", void (*)(int))(f);
}
void SimBoard::clearFaults()
{
    SIMCALL("hxsim_clear_faults", void (*)())();
}
int SimBoard::reg(int a)
{
    return SIMCALL("hxsim_register", int (*)(int))(a);
}
int SimBoard::boardControl(int a)
{
    return SIMCALL("hxsim_board_control", int (*)(int))(a);
}
bool SimBoard::isOpen()
{
    return SIMCALL("hxsim_is_open", int (*)())() != 0;
}
void SimBoard::clearTrace()
{
    SIMCALL("hxsim_clear_trace", void (*)())();
}

QStringList SimBoard::trace()
{
    auto count = SIMCALL("hxsim_trace_count", int (*)());
    auto line = SIMCALL("hxsim_trace_line", int (*)(int, char*, int));
    QStringList out;
    char buf[256];
    for (int i = 0, n = count(); i < n; ++i) {
        line(i, buf, sizeof buf);
        out << QString::fromLatin1(buf);
    }
    return out;
}

QStringList SimBoard::traceOf(const QString& prefix)
{
    QStringList out;
    for (const QString& l : trace())
        if (l.startsWith(prefix)) out << l;
    return out;
}

QStringList SimBoard::chipWrites()
{
    static const QRegularExpression re(QStringLiteral("^write ch=0 addr=0x([0-9A-F]+) data=0x([0-9A-F]+)"));
    QStringList out;
    for (const QString& l : trace()) {
        const auto m = re.match(l);
        if (m.hasMatch()) out << m.captured(1) + QLatin1Char('=') + m.captured(2);
    }
    return out;
}

bool SimBoard::lastSettings(LinkSettings* out)
{
    return SIMCALL("hxsim_last_settings", int (*)(unsigned char*))(reinterpret_cast<unsigned char*>(out)) !=
           0;
}
#undef SIMCALL
