// evm2280 against its floor, as fresh processes on the simulated board: one
// register read against a bare QtCore program that loads the library and calls
// _init and _close; and a 100k-line script, whose cost above the library calls
// is the program's overhead per line. Medians of alternating runs. Prints
// figures only.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kLines = 100000;

// The register writes of the floor's loop, as script lines.
QByteArray makeScript(int lines)
{
    QByteArray s;
    s.reserve(lines * 12);
    unsigned x = 12345;
    for (int i = 0; i < lines; ++i) {
        x = x * 1103515245u + 12345u;
        char line[32];
        const int n =
            std::snprintf(line, sizeof line, "0x%02X, 0x%02X\r\n", 0x41 + (x >> 8) % 0x1E, (x >> 20) & 0xFF);
        s.append(line, n);
    }
    return s;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Runner {
    QString dir;
    QProcessEnvironment env;

    // Wall time from start to exit, in ms; negative when the run failed.
    double run(const QString& program, const QStringList& args) const
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir);
        p.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer t;
        t.start();
        p.start(program, args);
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            std::fprintf(stderr, "failed: %s %s: %s\n", qPrintable(program), qPrintable(args.join(' ')),
                         p.readAllStandardError().constData());
            return -1;
        }
        return double(t.nsecsElapsed()) / 1e6;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString evm2280 = bin.filePath(QStringLiteral("evm2280"));
    const QString floor = bin.filePath(QStringLiteral("bench_cli_floor"));

    QTemporaryDir dir; // no EVM2280.ini: the window's defaults (SPI)
    Runner r{dir.path(), QProcessEnvironment::systemEnvironment()};
    // The simulator as shipped: no configuration, no trace file.
    r.env.remove(QStringLiteral("HXBUS_SIM_CONFIG"));
    r.env.remove(QStringLiteral("HXBUS_SIM_TRACE"));
    QFile big(QDir(dir.path()).filePath(QStringLiteral("big.csv")));
    QFile empty(QDir(dir.path()).filePath(QStringLiteral("empty.csv")));
    if (!big.open(QIODevice::WriteOnly) || big.write(makeScript(kLines)) < 0 ||
        !empty.open(QIODevice::WriteOnly))
        return 1;
    big.close();
    empty.close();

    // Warm the file cache for both programs and the library.
    r.run(evm2280, {QStringLiteral("read"), QStringLiteral("0x41")});
    r.run(floor, {});

    constexpr int kReadRuns = 21;
    std::vector<double> read, bare;
    for (int i = 0; i < kReadRuns; ++i) {
        read.push_back(r.run(evm2280, {QStringLiteral("read"), QStringLiteral("0x41")}));
        bare.push_back(r.run(floor, {}));
    }
    const double readMs = median(read), bareMs = median(bare);
    std::printf("evm2280 read 0x41: %.2f ms; bare QtCore program (load, _init, _close): %.2f ms; "
                "ratio %.2fx (bar 1.5x), medians of %d runs each\n",
                readMs, bareMs, readMs / bareMs, kReadRuns);

    constexpr int kScriptRuns = 9;
    std::vector<double> script, noScript, loop, noLoop;
    const QString lines = QString::number(kLines);
    for (int i = 0; i < kScriptRuns; ++i) {
        script.push_back(r.run(evm2280, {QStringLiteral("run"), QStringLiteral("big.csv")}));
        noScript.push_back(r.run(evm2280, {QStringLiteral("run"), QStringLiteral("empty.csv")}));
        loop.push_back(r.run(floor, {lines}));
        noLoop.push_back(r.run(floor, {}));
    }
    const double runMs = median(script) - median(noScript);
    const double callsMs = median(loop) - median(noLoop);
    std::printf(
        "evm2280 run, %d lines: %.1f ms above an empty script; the same %d library calls alone: %.1f ms; "
        "program overhead %.3f us per line (bar 1 us), medians of %d runs each\n",
        kLines, runMs, kLines, callsMs, (runMs - callsMs) * 1000.0 / kLines, kScriptRuns);
    return 0;
}
