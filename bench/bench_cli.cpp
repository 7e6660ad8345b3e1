// evm2280 against its floor, as fresh processes on the simulated board with the
// simulator's defaults: one register read against a bare QtCore program that
// loads the library and calls _init and _close; get and set of a field against
// that read; the program's cost per script line above the library calls, with
// progress on a terminal and without; and the peak memory of a 100 MB script.
// Times are the child's CPU time (user + system, medians) and the minimum of
// the wall times, so that a busy machine does not throw them. Prints figures
// only.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#else
#include <QProcess>
#endif

namespace {

// The register writes of the floor's loop, as script lines.
bool writeScript(const QString& path, qint64 lines)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray chunk;
    unsigned x = 12345;
    for (qint64 i = 0; i < lines; ++i) {
        x = x * 1103515245u + 12345u;
        char line[32];
        const int n =
            std::snprintf(line, sizeof line, "0x%02X, 0x%02X\r\n", 0x41 + (x >> 8) % 0x1E, (x >> 20) & 0xFF);
        chunk.append(line, n);
        if (chunk.size() > (1 << 20) || i + 1 == lines) {
            if (f.write(chunk) != chunk.size()) return false;
            chunk.clear();
        }
    }
    return true;
}

struct Sample {
    double wallMs = -1; // negative: the run failed
    double cpuMs = 0;
    double peakMiB = 0;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double minimum(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

struct Series {
    std::vector<double> cpu, wall;
    void add(const Sample& s)
    {
        cpu.push_back(s.cpuMs);
        wall.push_back(s.wallMs);
    }
};

class Runner {
public:
    QString dir;
    QString terminal; // standard error of the children when set: a terminal's name

    // One run of program with args in dir; standard output discarded.
    Sample run(const QString& program, const QStringList& args) const
    {
        Sample s;
#ifdef Q_OS_UNIX
        QList<QByteArray> bytes{QFile::encodeName(program)};
        for (const QString& a : args) bytes << a.toLocal8Bit();
        std::vector<char*> argv;
        for (QByteArray& b : bytes) argv.push_back(b.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        const QByteArray err = terminal.isEmpty() ? QByteArray("/dev/null") : terminal.toLocal8Bit();
        posix_spawn_file_actions_addopen(&actions, 2, err.constData(), O_WRONLY, 0);
        const QByteArray here = QDir::currentPath().toLocal8Bit();
        QDir::setCurrent(dir); // the child starts in dir
        QElapsedTimer t;
        t.start();
        pid_t pid = 0;
        const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        QDir::setCurrent(QString::fromLocal8Bit(here));
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        rusage use{};
        if (rc != 0 || wait4(pid, &status, 0, &use) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "failed: %s %s\n", qPrintable(program), qPrintable(args.join(' ')));
            return s;
        }
        s.wallMs = double(t.nsecsElapsed()) / 1e6;
        const auto ms = [](const timeval& v) { return double(v.tv_sec) * 1e3 + double(v.tv_usec) / 1e3; };
        s.cpuMs = ms(use.ru_utime) + ms(use.ru_stime);
        s.peakMiB = double(use.ru_maxrss) / 1024.0;
#else
        QProcess p;
        p.setWorkingDirectory(dir);
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer t;
        t.start();
        p.start(program, args);
        if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return s;
        s.wallMs = s.cpuMs = double(t.nsecsElapsed()) / 1e6; // no child CPU time here: wall time
#endif
        return s;
    }
};

// A terminal for the children's standard error, drained by whoever holds it.
struct Terminal {
    int master = -1;
    QString name;
    Terminal()
    {
#ifdef Q_OS_UNIX
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        fcntl(master, F_SETFL, O_NONBLOCK);
        name = QString::fromLocal8Bit(ptsname(master));
#endif
    }
    // What was drawn on it since the last call.
    QByteArray drain() const
    {
        QByteArray screen;
#ifdef Q_OS_UNIX
        char buffer[4096];
        for (ssize_t n; master >= 0 && (n = ::read(master, buffer, sizeof buffer)) > 0;)
            screen.append(buffer, n);
#endif
        return screen;
    }
    ~Terminal()
    {
#ifdef Q_OS_UNIX
        if (master >= 0) ::close(master);
#endif
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString tool = bin.filePath(QStringLiteral("evm2280"));
    const QString floor = bin.filePath(QStringLiteral("bench_cli_floor"));

    // The simulator as shipped: no configuration, no trace file, no state file.
    for (const char* v : {"HXBUS_SIM_CONFIG", "HXBUS_SIM_TRACE", "HXBUS_SIM_STATE"}) qunsetenv(v);
    QTemporaryDir dir; // no EVM2280.ini: the window's defaults (SPI)
    Runner r{dir.path(), {}};
    constexpr qint64 kLines = 2000000; // long enough for progress to show
    constexpr qint64 kBigBytes = 100LL << 20;
    constexpr qint64 kBigLines = kBigBytes / 12;
    if (!writeScript(dir.filePath(QStringLiteral("lines.csv")), kLines) ||
        !writeScript(dir.filePath(QStringLiteral("big.csv")), kBigLines) ||
        !writeScript(dir.filePath(QStringLiteral("empty.csv")), 0))
        return 1;

    const QStringList read = {QStringLiteral("read"), QStringLiteral("0x41")};
    const QStringList get = {QStringLiteral("get"), QStringLiteral("FMTDA")};
    const QStringList set = {QStringLiteral("set"), QStringLiteral("FMTDA=4")};
    // Warm the file cache for both programs and the library.
    r.run(tool, read);
    r.run(floor, {});

    constexpr int kRuns = 21;
    Series sRead, sFloor, sGet, sSet;
    for (int i = 0; i < kRuns; ++i) {
        sRead.add(r.run(tool, read));
        sFloor.add(r.run(floor, {}));
        sGet.add(r.run(tool, get));
        sSet.add(r.run(tool, set));
    }
    const auto ratioLine = [](const char* what, const Series& a, const char* against, const Series& b,
                              double bar) {
        std::printf("%s: CPU %.2f ms, fastest %.2f ms; %s: CPU %.2f ms, fastest %.2f ms; "
                    "ratio %.2fx CPU, %.2fx fastest (bar %.1fx), %d runs each\n",
                    what, median(a.cpu), minimum(a.wall), against, median(b.cpu), minimum(b.wall),
                    median(a.cpu) / median(b.cpu), minimum(a.wall) / minimum(b.wall), bar, kRuns);
    };
    ratioLine("evm2280 read 0x41", sRead, "bare QtCore program (load, _init, _close)", sFloor, 1.5);
    ratioLine("evm2280 get FMTDA", sGet, "evm2280 read 0x41", sRead, 1.2);
    ratioLine("evm2280 set FMTDA=4", sSet, "evm2280 read 0x41", sRead, 1.2);

    // The program's cost per line: the script's time above an empty one,
    // less the same library calls made by the floor.
    constexpr int kScriptRuns = 5;
    const QString lines = QString::number(kLines);
    Terminal terminal;
    Series loop, noLoop;
    for (int i = 0; i < kScriptRuns; ++i) {
        loop.add(r.run(floor, {lines}));
        noLoop.add(r.run(floor, {}));
    }
    const double callsMs = median(loop.cpu) - median(noLoop.cpu);
    for (const bool progress : {false, true}) {
        if (progress && terminal.name.isEmpty()) {
            std::printf("evm2280 run with progress: no terminal to be had here\n");
            continue;
        }
        r.terminal = progress ? terminal.name : QString();
        Series script, noScript;
        QByteArray screen;
        for (int i = 0; i < kScriptRuns; ++i) {
            script.add(r.run(tool, {QStringLiteral("run"), QStringLiteral("lines.csv")}));
            noScript.add(r.run(tool, {QStringLiteral("run"), QStringLiteral("empty.csv")}));
            screen += terminal.drain();
        }
        const double runMs = median(script.cpu) - median(noScript.cpu);
        std::printf(
            "evm2280 run, %lld lines, %s: %.1f ms CPU above an empty script; the same library calls "
            "alone: %.1f ms; program overhead %.3f us per line (bar 1 us), %d runs each%s\n",
            static_cast<long long>(kLines),
            progress ? "progress on a terminal" : "standard error not a terminal", runMs, callsMs,
            (runMs - callsMs) * 1000.0 / double(kLines), kScriptRuns,
            progress
                ? qPrintable(QStringLiteral("; %1 progress updates drawn").arg(screen.count("evm2280: run:")))
                : "");
    }
    r.terminal.clear();

    const Sample big = r.run(tool, {QStringLiteral("run"), QStringLiteral("big.csv")});
    const Sample none = r.run(tool, {QStringLiteral("run"), QStringLiteral("empty.csv")});
    std::printf("evm2280 run, 100 MB script (%lld writes): peak memory %.1f MiB; empty script %.1f MiB; "
                "%.1f MiB more (bar 16 MiB)\n",
                static_cast<long long>(kBigLines), big.peakMiB, none.peakMiB, big.peakMiB - none.peakMiB);
    return 0;
}
