#include "simfixture.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/resource.h>
#endif

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/fsuid.h>
#endif

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

#ifdef Q_OS_UNIX
NoNewFileIn::NoNewFileIn(const QString& folder, const QString& file) : folder_(QFile::encodeName(folder))
{
    ::chmod(QFile::encodeName(file).constData(), 0666);
    ::chmod(folder_.constData(), 0555);
#ifdef Q_OS_LINUX
    if (::geteuid() == 0) {
        ::setfsuid(65534);
        asUser_ = ::setfsuid(-1) == 65534;
    }
#endif
}

NoNewFileIn::~NoNewFileIn()
{
#ifdef Q_OS_LINUX
    if (asUser_) ::setfsuid(0);
#endif
    ::chmod(folder_.constData(), 0700);
}

bool NoNewFileIn::refusesNewFiles() const
{
    const QByteArray probe = folder_ + "/probe";
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return true;
    ::close(fd);
    ::unlink(probe.constData());
    return false;
}
#else
NoNewFileIn::NoNewFileIn(const QString& folder, const QString&) : folder_(QFile::encodeName(folder)) {}
NoNewFileIn::~NoNewFileIn() = default;
bool NoNewFileIn::refusesNewFiles() const
{
    return false;
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

QStringList SimBoard::trace()
{
    auto count = call<int()>("hxsim_trace_count");
    auto line = call<int(int, char*, int)>("hxsim_trace_line");
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
    return call<int(unsigned char*)>("hxsim_last_settings")(reinterpret_cast<unsigned char*>(out)) != 0;
}

QStringList SimBoard::boardSetup(evm::Role dac, evm::Role adc)
{
    const int d = dac == evm::Role::Slave, a = adc == evm::Role::Slave;
    const std::pair<int, int> writes[] = {{0x00, 0x00}, {0x04, 0x01}, {0x0B, 0x55}, {0x0C, 0x55},
                                          {0x0D, 0x55}, {0x0E, 0x55}, {0x0F, 0x55}, {0x35, 0x01},
                                          {0x37, d},    {0x34, a},    {0x36, a}};
    QStringList out;
    for (const auto& [address, data] : writes)
        out << QString::asprintf("write ch=7 addr=0x%02X data=0x%02X -> 0x0", address, data);
    return out;
}

SimFolder::SimFolder(const QString& simLibrary) : sim(simLibrary)
{
    oldDir_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    sim.reset();
}

SimFolder::~SimFolder()
{
    QDir::setCurrent(oldDir_);
}

void SimFolder::writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(path(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
}

QByteArray SimFolder::readFile(const QString& name) const
{
    QFile f(QDir::isAbsolutePath(name) ? name : path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

BoardRig::BoardRig(const QString& simLibrary) : SimFolder(simLibrary)
{
    using evm::Board;
    board.wait = [this](int ms) {
        waits << ms;
        events << QStringLiteral("wait %1").arg(ms);
        if (onWait) onWait(ms);
    };
    board.question = [this](const QString& text, const QString& caption) {
        events << QStringLiteral("question ") + caption + QStringLiteral(": ") + text;
        return answers.isEmpty() ? false : answers.takeFirst();
    };
    QObject::connect(&board, &Board::report, [this](const evm::Report& r) {
        reports << r;
        events << QStringLiteral("report ") + r.text;
    });
    QObject::connect(&board, &Board::historyLine, [this](const QString& l) { history << l; });
    QObject::connect(&board, &Board::connectionChanged,
                     [this](bool open) { events << QStringLiteral("connection %1").arg(int(open)); });
    QObject::connect(&board, &Board::busy, [this](const QString& text, int step, int steps) {
        events << QStringLiteral("busy ") + text +
                      (steps ? QStringLiteral(" %1/%2").arg(step).arg(steps) : "");
    });
    QObject::connect(&board, &Board::busyStep,
                     [this](int step) { events << QStringLiteral("step %1").arg(step); });
    QObject::connect(&board, &Board::busyEnded, [this] { events << QStringLiteral("ended"); });
    // The controls that follow the image must not add to the history, nor,
    // after a reset, send the defaults the chip already holds.
    QObject::connect(&board, &Board::registersChanged, [this] {
        events << QStringLiteral("changed") +
                      (board.logsHistory() ? QStringLiteral(" (history on)") : QString());
    });
    QObject::connect(&board, &Board::registersReset, [this] {
        const bool quiet = board.transport().writesHeld() && !board.logsHistory();
        events << QStringLiteral("reset") + (quiet ? QString() : QStringLiteral(" (writes or history on)"));
    });
}

BoardRig::~BoardRig()
{
    board.close();
}

evm::StartResult BoardRig::start(const QByteArray& ini, evm::StartOptions options)
{
    if (!ini.isEmpty()) writeFile(QStringLiteral("EVM2280.ini"), ini);
    board.loadSettings();
    return board.startUp(options);
}

void BoardRig::clear()
{
    sim.clearTrace();
    reports.clear();
    history.clear();
    events.clear();
    waits.clear();
}

QStringList BoardRig::reportTexts() const
{
    QStringList out;
    for (const evm::Report& r : reports) out << r.text;
    return out;
}
