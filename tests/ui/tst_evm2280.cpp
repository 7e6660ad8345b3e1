// evm2280, run as a process on the simulator: what it prints, what reaches the
// chip (the simulator's trace file), and that it does what the window does.

#include "fixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kRdErr21 = "evm2280: Communication error: RDERR0021\nPlease check interface setting.\n";
const QByteArray kBadRecord = "Invalid record was found on the Register setting file.";

struct Result {
    int exit = -1;
    QByteArray out;
    QByteArray err;
};

// evm2280 in a folder of its own, its simulator configured through
// HXBUS_SIM_CONFIG with a trace file there.
class Tool {
public:
    explicit Tool(const QString& dir, const QByteArray& config = {}) : dir_(dir)
    {
        writeFile("sim.ini", "trace = " + QDir(dir).filePath("trace.txt").toLocal8Bit() + "\n" + config);
    }

    Result run(const QStringList& args, const QString& program = QStringLiteral(EVM2280_PATH))
    {
        QFile::remove(path("trace.txt"));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HXBUS_SIM_CONFIG"), path("sim.ini"));
        env.remove(QStringLiteral("HXBUS_SIM_TRACE"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir_);
        p.start(program, args);
        Result r;
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit) {
            qWarning() << "evm2280 did not finish" << args << p.errorString();
            return r;
        }
        r.exit = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    QString path(const QString& name) const { return QDir(dir_).filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(name));
        f.write(bytes);
    }
    QByteArray readFile(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The last run's trace: empty when the library was never called.
    QStringList trace() const
    {
        const QString text = QString::fromLatin1(readFile("trace.txt"));
        return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QStringList traceOf(const QString& prefix) const
    {
        return trace().filter(QRegularExpression("^" + prefix));
    }
    // As SimBoard::chipWrites: "40=C6".
    QStringList writes(int channel = 0) const
    {
        const QRegularExpression re(
            QStringLiteral("^write ch=%1 addr=0x([0-9A-F]+) data=0x([0-9A-F]+)").arg(channel));
        QStringList out;
        for (const QString& l : trace()) {
            const auto m = re.match(l);
            if (m.hasMatch()) out << m.captured(1) + QLatin1Char('=') + m.captured(2);
        }
        return out;
    }

private:
    QString dir_;
};

// The library was opened and closed once, _close last.
void verifyClosedOnce(const Tool& tool)
{
    const QStringList t = tool.trace();
    QCOMPARE(t.filter(QRegularExpression("^init ")).size(), 1);
    QCOMPARE(t.filter(QRegularExpression("^close$")).size(), 1);
    QCOMPARE(t.last(), QStringLiteral("close"));
}

} // namespace

class TestEvm2280 : public QObject {
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void withoutLibrary();
    void runTrafficAsWindow_data();
    void runTrafficAsWindow();
    void dumpAsWindow_data();
    void dumpAsWindow();
    void compare();
    void reset_data();
    void reset();
};

void TestEvm2280::commands_data()
{
    QTest::addColumn<QByteArray>("ini");    // EVM2280.ini; empty: none
    QTest::addColumn<QByteArray>("config"); // the simulator's
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<QString>("init"); // the init line; empty: the library is never called
    QTest::addColumn<QStringList>("writes");

    const QByteArray iic4D = "[SerialInterface]\r\nType = 0\r\n; by hand\r\nAddr=0x4D\r\n";
    const QString spi = QStringLiteral("init port=0 kind=3 addr=0x00 -> 1");
    QTest::newRow("read, window's defaults")
        << QByteArray() << QByteArray() << QStringList{"read", "0x41"} << 0 << QByteArray("0x41, 0x00\n")
        << QByteArray() << spi << QStringList{};
    QTest::newRow("read, other number forms")
        << QByteArray() << QByteArray("zero = 0x81") << QStringList{"read", "$45"} << 0
        << QByteArray("0x45, 0x81\n") << QByteArray() << spi << QStringList{};
    QTest::newRow("write") << QByteArray() << QByteArray() << QStringList{"write", "72", "0x80"} << 0
                           << QByteArray() << QByteArray() << spi << QStringList{"48=80"};
    QTest::newRow("info") << QByteArray() << QByteArray("version = 0x1234\nport = 3") << QStringList{"info"}
                          << 0 << QByteArray("library: 1.2.3.4\nport: 3\ninterface: SPI\naddress: 0x00\n")
                          << QByteArray() << QStringLiteral("init port=0 kind=3 addr=0x00 -> 3")
                          << QStringList{};

    // Interface and address: the settings file, then -i and -a.
    QTest::newRow("settings file") << iic4D << QByteArray("address = 0x4D") << QStringList{"read", "0x41"}
                                   << 0 << QByteArray("0x41, 0x00\n") << QByteArray()
                                   << QStringLiteral("init port=0 kind=1 addr=0x4D -> 1") << QStringList{};
    QTest::newRow("settings file, other strap")
        << iic4D << QByteArray("address = 0x4E") << QStringList{"read", "0x41"} << 2 << QByteArray()
        << kRdErr21 << QStringLiteral("init port=0 kind=1 addr=0x4D -> 1") << QStringList{};
    QTest::newRow("-a overrides") << iic4D << QByteArray("address = 0x4E")
                                  << QStringList{"-a", "0x4E", "read", "0x41"} << 0
                                  << QByteArray("0x41, 0x00\n") << QByteArray()
                                  << QStringLiteral("init port=0 kind=1 addr=0x4E -> 1") << QStringList{};
    QTest::newRow("-i overrides") << iic4D << QByteArray("address = 0x4E")
                                  << QStringList{"-i", "spi", "read", "0x41"} << 0
                                  << QByteArray("0x41, 0x00\n") << QByteArray() << spi << QStringList{};
    QTest::newRow("-i iic: first address")
        << QByteArray() << QByteArray() << QStringList{"-i", "IIC", "write", "0x48", "0"} << 0 << QByteArray()
        << QByteArray() << QStringLiteral("init port=0 kind=1 addr=0x4C -> 1") << QStringList{"48=00"};

    // Trouble on the board: reported, counted, and the library closed once.
    QTest::newRow("no board") << QByteArray() << QByteArray("present = 0")
                              << QStringList{"write", "0x48", "0"} << 2 << QByteArray()
                              << QByteArray("evm2280: No EVM was found\n")
                              << QStringLiteral("init port=0 kind=3 addr=0x00 -> 0") << QStringList{};
    QTest::newRow("failed write") << QByteArray() << QByteArray("fail_write = 0:0x48:0x1F")
                                  << QStringList{"write", "0x48", "1"} << 2 << QByteArray()
                                  << QByteArray("evm2280: Communication error: WRERR001F\n") << spi
                                  << QStringList{"48=01"};
    QTest::newRow("failed board set-up, read still printed")
        << QByteArray() << QByteArray("fail_write = 7:*:6") << QStringList{"read", "0x41"} << 2
        << QByteArray("0x41, 0x00\n")
        << QByteArray("evm2280: Communication error: SPERR0006\nevm2280: 10 more communication errors\n") << spi
        << QStringList{};
    QTest::newRow("every failure counted")
        << QByteArray() << QByteArray("fail_read = *:0x1F") << QStringList{"dump"} << 2 << QByteArray()
        << QByteArray("evm2280: Communication error: RDERR001F\nPlease check interface setting.\n"
                      "evm2280: 30 more communication errors\n")
        << spi << QStringList{};

    // Trouble in the arguments: found before the library is loaded.
    QTest::newRow("data above 0xFF") << QByteArray() << QByteArray() << QStringList{"write", "0x48", "0x100"}
                                     << 2 << QByteArray() << QByteArray("evm2280: Invalid register data!\n")
                                     << QString() << QStringList{};
    QTest::newRow("address outside the interface")
        << QByteArray() << QByteArray() << QStringList{"-i", "iic", "-a", "0x50", "read", "0x41"} << 2
        << QByteArray() << QByteArray("evm2280: Invalid device address 0x50 for IIC (0x4C..0x4F)\n")
        << QString() << QStringList{};
    QTest::newRow("missing script") << QByteArray() << QByteArray() << QStringList{"run", "none.csv"} << 2
                                    << QByteArray() << QByteArray("evm2280: none.csv: File not exist.\n")
                                    << QString() << QStringList{};
    QTest::newRow("missing argument")
        << QByteArray() << QByteArray() << QStringList{"write", "0x48"} << 2 << QByteArray()
        << QByteArray("evm2280: usage: evm2280 [-i iic|spi] [-a ADDR] write ADDR DATA\n") << QString()
        << QStringList{};
}

void TestEvm2280::commands()
{
    QFETCH(QByteArray, ini);
    QFETCH(QByteArray, config);
    QFETCH(QStringList, args);
    QFETCH(int, exit);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(QString, init);
    QFETCH(QStringList, writes);

    QTemporaryDir dir;
    Tool tool(dir.path(), config);
    if (!ini.isEmpty()) tool.writeFile("EVM2280.ini", ini);
    const QDateTime iniTime = QFileInfo(tool.path("EVM2280.ini")).lastModified();

    const Result r = tool.run(args);
    QCOMPARE(r.err, err);
    QCOMPARE(r.out, out);
    QCOMPARE(r.exit, exit);
    QCOMPARE(tool.writes(), writes);
    if (init.isEmpty()) {
        QVERIFY(tool.trace().isEmpty());
    } else {
        QCOMPARE(tool.traceOf("init"), QStringList{init});
        verifyClosedOnce(tool);
    }
    // The settings file is only ever read.
    QCOMPARE(QFileInfo::exists(tool.path("EVM2280.ini")), !ini.isEmpty());
    QCOMPARE(tool.readFile("EVM2280.ini"), ini);
    QCOMPARE(QFileInfo(tool.path("EVM2280.ini")).lastModified(), iniTime);
}

void TestEvm2280::withoutLibrary()
{
    // A copy of the program in a folder without the board library.
    QTemporaryDir dir;
    const QString copy = QDir(dir.path()).filePath("evm2280");
    QVERIFY(QFile::copy(QStringLiteral(EVM2280_PATH), copy));
    Tool tool(dir.path());
    const Result r = tool.run({"read", "0x41"}, copy);
    QCOMPARE(r.err, QByteArray("evm2280: Cannot load DLL\n"));
    QCOMPARE(r.exit, 2);
    QVERIFY(r.out.isEmpty());
}

void TestEvm2280::runTrafficAsWindow_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QByteArray>("err");
    // The last line is a wait: there the window's run has written everything
    // and its end-of-run refresh has not begun.
    QTest::newRow("whole script") << QByteArray("0x41, 0x05\r\nsleep, 0\r\n\"0x48\", 200, channel 1\n\n   \n"
                                                "$5E 7\n0x40,0xC1\nsleep 0\n")
                                  << QStringList{"41=05", "48=C8", "5E=07", "40=C1"} << QByteArray();
    QTest::newRow("stopped at a bad line")
        << QByteArray("0x41, 0x05\n0x42, 0x10\n0x43, 0x100\n0x44, 0x01\n") << QStringList{"41=05", "42=10"}
        << QByteArray("evm2280: s.csv:3: Invalid register data!\n");
    QTest::newRow("bad line after a wait")
        << QByteArray("0x41, 0x05\nsleep, 1\nsleep\n0x44, 0x01\n") << QStringList{"41=05"}
        << QByteArray("evm2280: s.csv:3: Invalid sleep time.\n");
}

void TestEvm2280::runTrafficAsWindow()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, writes);
    QFETCH(QByteArray, err);

    // The window: its start-up, then the script from the File menu; the
    // writes are taken at the last wait or at the error box.
    AppFixture app;
    app.writeFile("s.csv", script);
    app.start();
    const QStringList windowSetup = app.sim.traceOf("write ch=7");
    app.sim.clearTrace();
    QStringList windowWrites;
    app.onWait = [&](int) { windowWrites = app.sim.chipWrites(); };
    app.dialogs.onShow = [&](const RecordingDialogs::Shown&) { windowWrites = app.sim.chipWrites(); };
    app.dialogs.openAnswers << app.path("s.csv");
    app.form()->findChild<QAction*>("Open1")->trigger();
    app.close();

    Tool tool(app.path("."));
    const Result r = tool.run({"run", "s.csv"});
    QCOMPARE(r.err, err);
    QCOMPARE(r.exit, err.isEmpty() ? 0 : 2);
    QVERIFY(r.out.isEmpty());
    QCOMPARE(tool.writes(), writes);
    QCOMPARE(tool.writes(), windowWrites);
    // Opening: the window's eleven board set-up writes, and nothing is read.
    QCOMPARE(tool.traceOf("write ch=7"), windowSetup);
    QCOMPARE(windowSetup.size(), 11);
    QVERIFY(tool.traceOf("read").isEmpty());
    verifyClosedOnce(tool);
}

void TestEvm2280::dumpAsWindow_data()
{
    QTest::addColumn<int>("failingRead"); // 0: none
    QTest::newRow("chip answers") << 0;
    QTest::newRow("a read fails") << 0x42;
}

void TestEvm2280::dumpAsWindow()
{
    QFETCH(int, failingRead);
    AppFixture app;
    app.sim.setZeroFlags(0x81);
    app.sim.setOverflowFlags(0x05);
    app.start();
    if (failingRead) app.sim.failRead(failingRead, 0x1F);
    app.dialogs.saveAnswers << app.path("window.csv");
    app.form()->findChild<QAction*>("SaveRegisterDump")->trigger();
    app.close();
    const QByteArray window = app.readFile("window.csv");
    QCOMPARE(window.count("\r\n"), 31);

    QByteArray config = "zero = 0x81\noverflow = 0x05\n";
    if (failingRead) config += "fail_read = " + QByteArray::number(failingRead) + ":0x1F\n";
    Tool tool(app.path("."), config);
    app.writeFile("tool.csv", "an older file\n");
    Result r = tool.run({"dump", "tool.csv"});
    QCOMPARE(r.exit, failingRead ? 2 : 0);
    QCOMPARE(app.readFile("tool.csv"), window); // replaced without a question
    verifyClosedOnce(tool);

    r = tool.run({"dump"});
    QCOMPARE(r.exit, failingRead ? 2 : 0);
    QCOMPARE(r.out, failingRead ? QByteArray() : QByteArray(window).replace("\r\n", "\n"));
}

void TestEvm2280::compare()
{
    QTemporaryDir dir;
    Tool tool(dir.path());
    QCOMPARE(tool.run({"dump", "a.csv"}).exit, 0);
    QByteArray b = tool.readFile("a.csv");
    QVERIFY(b.contains("0x43, 0x00\r\n"));
    tool.writeFile("b.csv", b.replace("0x43, 0x00", "0x43, 0x01"));
    tool.writeFile("c.csv", "0x40, 0xC0\nzz\n");

    struct Case {
        QStringList args;
        int exit;
        QByteArray out;
        QByteArray err;
        bool board;
    };
    const QByteArray bad = "evm2280: c.csv:2: " + kBadRecord + "\n";
    const QList<Case> cases = {
        {{"compare", "a.csv"}, 0, {}, {}, true},
        {{"compare", "a.csv", "a.csv"}, 0, {}, {}, false},
        {{"compare", "a.csv", "b.csv"}, 1, "0x43: 0x00 0x01  cInvDAC1: REVDA1\n", {}, false},
        {{"compare", "b.csv"}, 1, "0x43: 0x01 0x00  cInvDAC1: REVDA1\n", {}, true},
        {{"compare", "a.csv", "c.csv"}, 2, {}, bad, false},
        {{"compare", "c.csv"}, 2, {}, bad, false},
        {{"compare", "a.csv", "none.csv"}, 2, {}, "evm2280: none.csv: No such file or directory\n", false},
    };
    for (const Case& c : cases) {
        const Result r = tool.run(c.args);
        QVERIFY2(r.exit == c.exit && r.out == c.out && r.err == c.err,
                 qPrintable(c.args.join(' ') + ": " + QString::number(r.exit) + " " + r.out + r.err));
        if (!c.board) {
            QVERIFY(tool.trace().isEmpty());
            continue;
        }
        // Against the chip: its 31 registers read, nothing written.
        QCOMPARE(tool.traceOf("read ch=0").size(), 31);
        QVERIFY(tool.writes().isEmpty());
        verifyClosedOnce(tool);
    }
}

void TestEvm2280::reset_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<int>("reads"); // the read-back that gives the image of 0x40
    QTest::newRow("MRST") << QByteArray() << QStringList{"reset"} << QStringList{"40=40"} << 0;
    QTest::newRow("SRST") << QByteArray() << QStringList{"reset", "--soft"} << QStringList{"40=80"} << 0;
    QTest::newRow("SRST over IIC") << kIic << QStringList{"reset", "--soft"} << QStringList{"40=80"} << 31;
}

void TestEvm2280::reset()
{
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, args);
    QFETCH(QStringList, writes);
    QFETCH(int, reads);
    QTemporaryDir dir;
    Tool tool(dir.path());
    if (!ini.isEmpty()) tool.writeFile("EVM2280.ini", ini);
    const Result r = tool.run(args);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exit, 0);
    QCOMPARE(tool.writes(), writes);
    QCOMPARE(tool.traceOf("read ch=0").size(), reads);
    verifyClosedOnce(tool);
}

QTEST_MAIN(TestEvm2280)
#include "tst_evm2280.moc"
