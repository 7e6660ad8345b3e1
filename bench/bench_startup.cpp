// Start-up time and peak memory of the program on the simulated board over
// IIC: from the start of the process to the first paint of the main window,
// what a user waits for. The floor is a Qt Widgets program that paints one
// text label in a window of the main window's size. Each is run as a fresh
// process several times, on the offscreen platform and, where Xvfb is
// installed, on an X server the bench starts; medians over the runs.
//   bench_startup [runs]

#include "TForm1.h"
#include "appwindows.h"
#include "globals.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
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

constexpr int kWidth = 739, kHeight = 584; // the main window: menu bar and client area

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

// Reports once the watched window's first paint is done, and ends the
// process: what comes after is not start-up.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window) : window_(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == window_ && e->type() == QEvent::Paint)
            QMetaObject::invokeMethod(qApp, &FirstPaint::report, Qt::QueuedConnection); // after the paint
        return false;
    }

private:
    static void report()
    {
        std::printf("painted %ld\n", peakKiB());
        std::fflush(stdout);
#ifdef __unix__
        _exit(0);
#else
        std::exit(0);
#endif
    }
    QWidget* window_;
};

int child(int argc, char** argv, bool floor)
{
    QApplication app(argc, argv);
    if (floor) {
        QWidget w;
        w.setFixedSize(kWidth, kHeight);
        QLabel label(QStringLiteral("EVM Controller"), &w);
        label.move(24, 8);
        FirstPaint watch(&w);
        w.show();
        return app.exec();
    }
    // As the program's entry does it.
    CreateAppWindows();
    FirstPaint watch(Form1);
    Form1->show();
    return app.exec();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Run {
    double ms = -1;
    double kib = 0;
};

Run runOnce(const QString& mode, const QString& dir, const QProcessEnvironment& env)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setProcessEnvironment(env);
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(QCoreApplication::applicationFilePath(), {"--child", mode});
    QByteArray out;
    while (!out.contains('\n') && p.waitForReadyRead(30000)) out += p.readAllStandardOutput();
    Run r;
    const double ms = t.nsecsElapsed() / 1e6;
    p.waitForFinished(30000);
    const QList<QByteArray> parts = out.trimmed().split(' ');
    if (parts.size() == 2 && parts[0] == "painted") r = {ms, parts[1].toDouble()};
    return r;
}

// One platform: floor and program alternately, after one warm-up run each.
bool measure(const char* platform, int runs, const QString& dir, const QProcessEnvironment& env)
{
    std::vector<double> floorMs, appMs, floorKiB, appKiB;
    runOnce("floor", dir, env);
    runOnce("app", dir, env);
    for (int i = 0; i < runs; ++i) {
        const Run f = runOnce("floor", dir, env);
        const Run a = runOnce("app", dir, env);
        if (f.ms < 0 || a.ms < 0) {
            std::printf("platform %s: a child run failed\n", platform);
            return false;
        }
        floorMs.push_back(f.ms);
        appMs.push_back(a.ms);
        floorKiB.push_back(f.kib);
        appKiB.push_back(a.kib);
    }
    const double fm = median(floorMs), am = median(appMs), fk = median(floorKiB), ak = median(appKiB);
    std::printf("platform %s\n", platform);
    std::printf("  floor (one label): %8.1f ms  peak %8.0f KiB\n", fm, fk);
    std::printf("  EVM Controller   : %8.1f ms  peak %8.0f KiB\n", am, ak);
    std::printf("  ratio            : %8.2fx time, %.2fx peak memory (goals: 1.5x, 1.3x)\n", am / fm,
                ak / fk);
    return true;
}

// An X server of the bench's own; stopped when it goes out of scope.
class Xvfb {
public:
    bool start()
    {
        const QString exe = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (exe.isEmpty()) return false;
        server_.setProcessChannelMode(QProcess::SeparateChannels);
        // The server picks a free display number and prints it (-displayfd 1: stdout).
        server_.start(exe, {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        if (!server_.waitForStarted(5000)) return false;
        QByteArray out;
        while (!out.contains('\n') && server_.waitForReadyRead(10000)) out += server_.readAllStandardOutput();
        display_ = QStringLiteral(":") + QString::fromLatin1(out.trimmed());
        return out.contains('\n');
    }
    ~Xvfb()
    {
        if (server_.state() == QProcess::NotRunning) return;
        server_.terminate();
        server_.waitForFinished(5000);
    }
    QString display() const { return display_; }

private:
    QProcess server_;
    QString display_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QByteArray(argv[2]) == "floor");

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    QTemporaryDir dir;
    QFile ini(dir.filePath("EVM2280.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[SerialInterface]\nType=0\nAddr=0x4C\n");
    ini.close();

    std::printf("start-up to the main window's first paint, medians of %d runs each "
                "(simulated board over IIC)\n",
                runs);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    measure("offscreen", runs, dir.path(), env);

    Xvfb x;
    if (!x.start()) {
        std::printf("platform xcb: no Xvfb, not measured\n");
        return 0;
    }
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", x.display());
    measure(qPrintable(QStringLiteral("xcb (Xvfb %1)").arg(x.display())), runs, dir.path(), env);
    return 0;
}
