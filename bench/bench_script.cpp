// A 100k-line register script through RunScript on the simulated board (IIC),
// with the register map hidden and shown; the parsing alone; and the cost of
// one history line early and late in a long log; peak memory of a run of a
// 100 MiB script of empty lines and of 1e6 register writes against the idle
// program. Prints figures only.

#include "benchapp.h"
#include "scriptline.h"
#include "textfile.h"
#include "TForm1.h"
#include "appwindows.h"
#include "globals.h"
#include "regviewform.h"
#include "widgets.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>

#ifdef __unix__
#include <sys/resource.h>
#endif

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

constexpr int kLines = 100000;

// Answers every box at once; counts what would have been shown.

QByteArray makeScript()
{
    QByteArray s;
    s.reserve(kLines * 12);
    unsigned x = 12345;
    for (int i = 0; i < kLines; ++i) {
        x = x * 1103515245u + 12345u;
        const unsigned reg = 0x41 + (x >> 8) % 0x1E; // 0x41..0x5E, no MRST through 0x40
        const unsigned data = (x >> 20) & 0xFF;
        char line[32];
        const int n = std::snprintf(line, sizeof line, "0x%02X, 0x%02X\r\n", reg, data);
        s.append(line, n);
    }
    return s;
}

double runScript(TForm1* form, const QString& path)
{
    QElapsedTimer t;
    t.start();
    form->RunScript(path, true);
    return double(t.nsecsElapsed()) / 1000.0 / kLines;
}

} // namespace

// Peak memory of a process that starts the program and runs one script (or
// none), in KiB: each figure from a fresh child, since the peak only grows.
long childPeakKiB(const QString& script, const QString& simConfig)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HXBUS_SIM_CONFIG"), simConfig);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peak"), script});
    if (!child.waitForFinished(600000)) return -1;
    return child.readAllStandardOutput().trimmed().toLong();
}

// The process's own peak resident size in KiB. Linux keeps getrusage's
// ru_maxrss across fork and exec, so a child would report its parent's peak;
// VmHWM belongs to the address space the child runs in.
long ownPeakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
#ifdef __unix__
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return long(u.ru_maxrss);
#else
    return 0; // no figure where neither is available
#endif
}

int peakChild(const QString& script)
{
    BenchApp bench;
    if (!script.isEmpty()) Form1->RunScript(script, false);
    std::printf("%ld\n", ownPeakKiB());
    return 0;
}

void memoryFigures(const BenchApp& bench)
{
    const QString empty = bench.path(QStringLiteral("empty-lines.csv"));
    const QString writes = bench.path(QStringLiteral("writes.csv"));
    {
        QFile f(empty);
        if (!f.open(QIODevice::WriteOnly)) return;
        const QByteArray block(1 << 20, '\n'); // 100 MiB of empty lines
        for (int i = 0; i < 100; ++i) f.write(block);
    }
    {
        QFile f(writes);
        if (!f.open(QIODevice::WriteOnly)) return;
        QByteArray block;
        for (int i = 0; i < 1000; ++i) block += "0x41, 0x5A\r\n";
        for (int i = 0; i < 1000; ++i) f.write(block); // 1e6 register writes
    }
    // The simulator keeps no trace in memory here: the figures are the program's.
    const QString simConfig = bench.path(QStringLiteral("sim.ini"));
    {
        QFile f(simConfig);
        if (!f.open(QIODevice::WriteOnly)) return;
        f.write("trace_memory = 0\n");
    }
    const long idle = childPeakKiB(QString(), simConfig);
    const long emptyPeak = childPeakKiB(empty, simConfig);
    const long writesPeak = childPeakKiB(writes, simConfig);
    std::printf("peak memory, idle program:              %ld KiB\n", idle);
    std::printf("peak memory, 100 MiB of empty lines:    %ld KiB (+%ld KiB)\n", emptyPeak, emptyPeak - idle);
    std::printf("peak memory, 1e6 register-write lines:  %ld KiB (+%ld KiB, file %lld KiB)\n", writesPeak,
                writesPeak - idle, QFileInfo(writes).size() / 1024);
    QFile::remove(empty);
    QFile::remove(writes);
}

int main(int argc, char** argv)
{
    useOffscreenUnlessChosen();
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--peak") == 0) return peakChild(QString::fromLocal8Bit(argv[2]));
    BenchApp bench;
    const QByteArray script = makeScript();
    {
        QFile f("bench.csv");
        if (!f.open(QIODevice::WriteOnly)) return 1;
        f.write(script);
    }
    if (Form1->board().port() == 0) return 0;

    // Parsing alone: lines, fields and numbers, no register traffic.
    QElapsedTimer t;
    t.start();
    int lines = 0;
    int writes = 0;
    std::vector<std::pair<int, int>> records;
    records.reserve(kLines);
    {
        QBuffer buffer;
        buffer.setData(script);
        buffer.open(QIODevice::ReadOnly);
        textfile::LineReader reader(&buffer);
        QByteArrayView text;
        while (reader.next(&text)) {
            const scriptline::Line l = scriptline::parse(text);
            ++lines;
            if (l.kind == scriptline::Kind::Write) {
                ++writes;
                records.emplace_back(l.first, l.second);
            }
        }
    }
    const double parseUs = double(t.nsecsElapsed()) / 1000.0 / lines;

    // The same writes without the script: the library call alone, then
    // WriteRegister (call, mirror, map row) alone.
    double libraryUs = 0;
    double writeUs = 0;
    {
        // The program's own loaded instance of the library.
        QLibrary library(QStringLiteral("HxBus"));
        const auto writeData = reinterpret_cast<HxBusLibrary::WriteFn>(library.resolve("_writeData"));
        evm::Board::Quiet quiet(Form1->board(), evm::Board::Quiet::History);
        t.restart();
        for (const auto& [reg, data] : records) {
            unsigned char buffer[10] = {static_cast<unsigned char>(data)};
            writeData(0, reg, buffer, 1);
        }
        libraryUs = double(t.nsecsElapsed()) / 1000.0 / kLines;
        t.restart();
        for (const auto& [reg, data] : records) Form1->board().WriteRegister(unsigned(reg), data);
        writeUs = double(t.nsecsElapsed()) / 1000.0 / kLines;
    }

    Form1->RunScript("bench.csv", true); // warm-up
    const double hiddenUs = runScript(Form1, "bench.csv");
    RegViewForm->show();
    QCoreApplication::processEvents();
    const double shownUs = runScript(Form1, "bench.csv");
    RegViewForm->hide();

    // History: the cost of a line near the start of the log and at 100k lines,
    // the best of ten batches each, the event loop turning between batches as
    // it does between the user's actions.
    Form1->Memo1->clear();
    QCoreApplication::processEvents();
    int logged = 0;
    auto appendBatches = [&logged]() {
        double best = 1e300;
        for (int b = 0; b < 10; ++b) {
            QElapsedTimer h;
            h.start();
            for (int i = 0; i < 100; ++i) Form1->AppendHistory(QStringLiteral("0x44, 0x5A"));
            best = std::min(best, double(h.nsecsElapsed()) / 1000.0 / 100);
            logged += 100;
            QCoreApplication::processEvents();
        }
        return best;
    };
    const double earlyUs = appendBatches();
    while (logged < kLines - 1000) {
        for (int i = 0; i < 1000; ++i) Form1->AppendHistory(QStringLiteral("0x44, 0x5A"));
        logged += 1000;
        QCoreApplication::processEvents();
    }
    const double lateUs = appendBatches();

    std::printf("interface: %s\n", Form1->rgInterface->itemIndex() == 0 ? "IIC" : "SPI");
    std::printf("script lines: %d (register writes %d), boxes shown: %d\n", lines, writes,
                bench.dialogs.shown);
    std::printf("parse only:                 %.3f us/line\n", parseUs);
    std::printf("library call alone:         %.3f us/line\n", libraryUs);
    std::printf("WriteRegister alone:        %.3f us/line\n", writeUs);
    std::printf("RunScript, register map hidden: %.3f us/line\n", hiddenUs);
    std::printf("RunScript, register map shown:  %.3f us/line\n", shownUs);
    std::printf("history line, near 1k:      %.3f us/line\n", earlyUs);
    std::printf("history line, near 100k:    %.3f us/line (%d lines)\n", lateUs,
                Form1->Memo1->document()->blockCount() - 1);
    memoryFigures(bench);
    return 0;
}
