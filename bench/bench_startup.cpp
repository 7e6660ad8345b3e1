// Start-up time and peak memory of the program on the simulated board over
// IIC, against a bare Qt Widgets program that shows one empty window of the
// same size. Each is run as a fresh process several times; the figures are
// from process start to the end of the start-up sequence (the return of the
// main window's show), medians over the runs.

#include "TForm1.h"
#include "appwindows.h"
#include "globals.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#ifdef __unix__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {
long peakKiB()
{
#ifdef __unix__
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
#else
    return 0;
#endif
}

[[noreturn]] void reportAndExit()
{
    std::printf("ready %ld\n", peakKiB());
    std::fflush(stdout);
#ifdef __unix__
    _exit(0); // the milestone is reached; tearing down is not part of start-up
#else
    std::exit(0);
#endif
}

int child(int argc, char** argv, bool bare)
{
    QApplication app(argc, argv);
    if (bare) {
        QWidget w;
        w.setFixedSize(739, 565);
        w.show();
        reportAndExit();
    }
    CreateAppWindows();
    Form1->show();
    QCoreApplication::sendPostedEvents(Form1, QEvent::MetaCall); // the start-up sequence
    reportAndExit();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Run {
    double ms = 0;
    double kib = 0;
};

Run runOnce(const QString& exe, const QString& mode, const QString& dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(exe, {"--child", mode});
    QByteArray out;
    while (!out.contains('\n') && p.waitForReadyRead(30000)) out += p.readAllStandardOutput();
    Run r;
    r.ms = t.nsecsElapsed() / 1e6;
    p.waitForFinished(30000);
    const QList<QByteArray> parts = out.trimmed().split(' ');
    if (parts.size() == 2 && parts[0] == "ready")
        r.kib = parts[1].toDouble();
    else
        r.ms = -1;
    return r;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QByteArray(argv[2]) == "bare");

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    QTemporaryDir dir;
    QFile ini(dir.filePath("EVM2280.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[SerialInterface]\nType=0\nAddr=0x4C\n");
    ini.close();
    const QString exe = QCoreApplication::applicationFilePath();

    std::vector<double> bareMs, appMs, bareKiB, appKiB;
    runOnce(exe, "bare", dir.path()); // warm the file cache
    runOnce(exe, "app", dir.path());
    for (int i = 0; i < runs; ++i) {
        const Run b = runOnce(exe, "bare", dir.path());
        const Run a = runOnce(exe, "app", dir.path());
        if (b.ms < 0 || a.ms < 0) {
            std::printf("a child run failed\n");
            return 0;
        }
        bareMs.push_back(b.ms);
        appMs.push_back(a.ms);
        bareKiB.push_back(b.kib);
        appKiB.push_back(a.kib);
    }
    const double bm = median(bareMs), am = median(appMs), bk = median(bareKiB), ak = median(appKiB);
    std::printf("start-up, medians of %d runs each (offscreen, simulated board over IIC)\n", runs);
    std::printf("  bare Qt window : %8.1f ms  peak %8.0f KiB\n", bm, bk);
    std::printf("  EVM Controller : %8.1f ms  peak %8.0f KiB\n", am, ak);
    std::printf("  ratio          : %8.2fx time, %.2fx peak memory (goals: 2x, 1.5x)\n", am / bm, ak / bk);
    return 0;
}
