// The program as the desktop meets it, run as a process: --help and --version
// answered without a display; the window's icon and class as the X server
// has them for task bars; a problem the launcher met shown over the window;
// a terminating signal ending it as its close box does.

#include "evmversion.h"
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <QtTest>

#include <csignal>
#include <signal.h>

namespace {

QString run(const QString& tool, const QStringList& args)
{
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// The program started in a folder of its own on the test's X server.
class Program {
public:
    explicit Program(const QProcessEnvironment& extra = {}, const QByteArray& startupScript = {})
    {
        if (!startupScript.isEmpty()) {
            QFile f(dir_.filePath(QStringLiteral("startup.csv")));
            if (!f.open(QIODevice::WriteOnly) || f.write(startupScript) != startupScript.size())
                qFatal("cannot write startup.csv");
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& key : extra.keys()) env.insert(key, extra.value(key));
        p_.setProcessEnvironment(env);
        p_.setWorkingDirectory(dir_.path()); // it writes its settings file there
        p_.start(QStringLiteral(EVMCONTROLLER_PATH), {});
        p_.waitForStarted();
    }
    ~Program()
    {
        p_.terminate();
        if (!p_.waitForFinished(10000)) p_.kill();
    }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QProcess& process() { return p_; }
    // The id of the top-level window titled `title`, once it is mapped ("" if
    // none comes within 20 seconds).
    QString window(const QString& title) const
    {
        const QRegularExpression line(
            QStringLiteral("^\\s*(0x[0-9a-f]+) \"%1\":").arg(QRegularExpression::escape(title)),
            QRegularExpression::MultilineOption);
        for (int i = 0; i < 200 && p_.state() == QProcess::Running; ++i) {
            const QRegularExpressionMatch m = line.match(run("xwininfo", {"-root", "-tree"}));
            if (m.hasMatch()) return m.captured(1);
            QTest::qWait(100);
        }
        return {};
    }

private:
    QTemporaryDir dir_;
    QProcess p_;
};

// What the desktop entry tells task bars to match the window by.
QString startupWmClass()
{
    QFile f(QStringLiteral(DESKTOP_ENTRY));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QRegularExpression key(QStringLiteral("^StartupWMClass=(.*)$"),
                                 QRegularExpression::MultilineOption);
    return key.match(QString::fromUtf8(f.readAll())).captured(1).trimmed();
}

} // namespace

class TestDesktopEntry : public QObject {
    Q_OBJECT
private slots:
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();
    void windowCarriesIconAndClass();
    void launcherProblemShownOverTheWindow();
    void signalEndsTheProgramAsAClose_data();
    void signalEndsTheProgramAsAClose();

private:
    void needX();
};

void TestDesktopEntry::needX()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (tests/xserver-run)");
    if (QStandardPaths::findExecutable("xprop").isEmpty() ||
        QStandardPaths::findExecutable("xwininfo").isEmpty())
        QSKIP("needs xprop and xwininfo (x11-utils)");
}

void TestDesktopEntry::helpAndVersionNeedNoDisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("expected"); // a pattern the whole output matches
    QTest::newRow("--help") << "--help"
                            << "Usage: evmcontroller \\[options\\]\\n(.|\\n)*-v, --version(.|\\n)*";
    QTest::newRow("-h") << "-h"
                        << "Usage: evmcontroller (.|\\n)*";
    QTest::newRow("--version") << "--version"
                               << "evmcontroller " EVM_VERSION "\\n";
    QTest::newRow("-v after a Qt option") << "-v"
                                          << "evmcontroller " EVM_VERSION "\\n";
}

// On a terminal without a display (an ssh session), as a window system that
// cannot be reached would end the program.
void TestDesktopEntry::helpAndVersionNeedNoDisplay()
{
    QFETCH(QString, option);
    QFETCH(QString, expected);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    p.setProcessEnvironment(env);
    QTemporaryDir dir;
    p.setWorkingDirectory(dir.path());
    const QStringList qtOption = option == "-v" ? QStringList{"-style", "fusion"} : QStringList{};
    p.start(QStringLiteral(EVMCONTROLLER_PATH), qtOption + QStringList{option});
    QVERIFY(p.waitForFinished(10000));
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY2(QRegularExpression("^" + expected + "$").match(out).hasMatch(), qPrintable(out));
    QVERIFY(!QFile::exists(dir.filePath("EVM2280.ini"))); // no window, no settings file
}

// Task bars show the program's icon (_NET_WM_ICON) and match the window to the
// menu entry through its class.
void TestDesktopEntry::windowCarriesIconAndClass()
{
    needX();
    Program program;
    const QString id = program.window("EVM Controller");
    QVERIFY2(!id.isEmpty(), "the main window was not mapped");
    const QString icon = run("xprop", {"-id", id, "-len", "8", "_NET_WM_ICON"});
    QVERIFY2(icon.contains("_NET_WM_ICON(CARDINAL) ="), qPrintable(icon));
    const QString wmClass = run("xprop", {"-id", id, "-notype", "WM_CLASS"});
    QVERIFY(!startupWmClass().isEmpty());
    QVERIFY2(wmClass.trimmed().endsWith(", \"" + startupWmClass() + "\""), qPrintable(wmClass));
}

// The launcher hands over what went wrong before the window could tell it
// (a start from the menu has no terminal): a box over the window says it.
void TestDesktopEntry::launcherProblemShownOverTheWindow()
{
    needX();
    QProcessEnvironment env;
    env.insert("EVM_START_PROBLEM",
               "board library: '/nowhere' (EVM_BOARD) is neither sim, linux nor a folder");
    Program program(env);
    QVERIFY(!program.window("EVM Controller").isEmpty());
    QVERIFY(!program.window("Start-up problem").isEmpty());
}

void TestDesktopEntry::signalEndsTheProgramAsAClose_data()
{
    QTest::addColumn<int>("signo");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

// A signal during the start-up script's long wait: the wait ends at once,
// nothing more reaches the chip, _close is called once, and the program ends
// as after a close.
void TestDesktopEntry::signalEndsTheProgramAsAClose()
{
    QFETCH(int, signo);
    QTemporaryDir traceDir;
    const QString trace = traceDir.filePath(QStringLiteral("trace.txt"));
    QProcessEnvironment env;
    env.insert(QStringLiteral("HXBUS_SIM_TRACE"), trace);
    Program program(env, "0x41, 0x01\nsleep, 60000\n0x41, 0x02\n");
    auto traced = [&] {
        QFile f(trace);
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                           : QStringList{};
    };
    // The script has written its first line and waits.
    QTRY_VERIFY_WITH_TIMEOUT(traced().contains(QStringLiteral("write ch=0 addr=0x41 data=0x01 -> 0x0")),
                             20000);
    QElapsedTimer t;
    t.start();
    QCOMPARE(::kill(pid_t(program.process().processId()), signo), 0);
    QVERIFY(program.process().waitForFinished(10000));
    QVERIFY(t.elapsed() < 10000);
    QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process().exitCode(), 0);
    const QStringList lines = traced();
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^close$"))).size(), 1);
    QCOMPARE(lines.last(), QStringLiteral("close"));
    QVERIFY(!lines.contains(QStringLiteral("write ch=0 addr=0x41 data=0x02 -> 0x0")));
}

QTEST_MAIN(TestDesktopEntry)
#include "tst_desktopentry.moc"
