// evm2280, run as a process on the simulator: what it prints, what reaches the
// chip (the simulator's trace file), and that it does what the window does.

#include "fixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

const QByteArray kRdErr21 = "evm2280: Communication error: RDERR0021. Please check interface setting.\n";
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

    // Started with the trace emptied; `setUp` redirects its streams.
    std::unique_ptr<QProcess> start(const QStringList& args, const std::function<void(QProcess&)>& setUp = {},
                                    const QString& program = QStringLiteral(EVM2280_PATH))
    {
        QFile::remove(path("trace.txt"));
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HXBUS_SIM_CONFIG"), path("sim.ini"));
        env.remove(QStringLiteral("HXBUS_SIM_TRACE"));
        env.remove(QStringLiteral("HXBUS_SIM_STATE"));
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(dir_);
        if (setUp) setUp(*p);
        p->start(program, args);
        return p;
    }
    static Result finish(QProcess& p)
    {
        Result r;
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit) {
            qWarning() << "evm2280 did not finish" << p.arguments() << p.errorString();
            return r;
        }
        r.exit = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }
    Result run(const QStringList& args, const QByteArray& input = {},
               const QString& program = QStringLiteral(EVM2280_PATH))
    {
        const auto p = start(args, {}, program);
        p->write(input);
        p->closeWriteChannel();
        return finish(*p);
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
    // Chip writes as SimBoard::chipWrites has them ("40=C6"), and the
    // board-control writes after the eleven of the set-up ("7:34=00").
    QStringList writes() const
    {
        const QRegularExpression re(QStringLiteral("^write ch=([07]) addr=0x([0-9A-F]+) data=0x([0-9A-F]+)"));
        QStringList out;
        int boardWrites = 0;
        for (const QString& l : trace()) {
            const auto m = re.match(l);
            if (!m.hasMatch()) continue;
            const bool board = m.captured(1) == QLatin1String("7");
            if (board && ++boardWrites <= 11) continue;
            out << (board ? QStringLiteral("7:") : QString()) + m.captured(2) + QLatin1Char('=') +
                       m.captured(3);
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

// The -v lines of the eleven board set-up writes.
QByteArray setupTrace()
{
    QByteArray t;
    for (const char* w : {"0x00 0x00", "0x04 0x01", "0x0B 0x55", "0x0C 0x55", "0x0D 0x55", "0x0E 0x55",
                          "0x0F 0x55", "0x35 0x01", "0x37 0x01", "0x34 0x01", "0x36 0x01"})
        t += QByteArray("w board ") + w + '\n';
    return t;
}

} // namespace

class TestEvm2280 : public QObject {
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void stateBetweenCalls();
    void help();
    void withoutLibrary();
    void runTrafficAsWindow_data();
    void runTrafficAsWindow();
    void dumpAsWindow_data();
    void dumpAsWindow();
    void compare();
    void streams_data();
    void streams();
    void nonRegularFiles();
    void outputFailures_data();
    void outputFailures();
    void terminatingSignals_data();
    void terminatingSignals();
    void progress_data();
    void progress();
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
    const QByteArray none;
    QTest::newRow("read, window's defaults") << none << none << QStringList{"read", "0x41"} << 0
                                             << QByteArray("0x41, 0x00\n") << none << spi << QStringList{};
    QTest::newRow("read, other number forms")
        << none << QByteArray("zero = 0x81") << QStringList{"read", "$45"} << 0 << QByteArray("0x45, 0x81\n")
        << none << spi << QStringList{};
    QTest::newRow("read, several and a range, in the order given")
        << none << QByteArray("zero = 0x81") << QStringList{"read", "0x45", "0x40-0x42", "0x45"} << 0
        << QByteArray("0x45, 0x81\n0x40, 0xC0\n0x41, 0x00\n0x42, 0x00\n0x45, 0x81\n") << none << spi
        << QStringList{};
    QTest::newRow("read --json")
        << none << QByteArray("zero = 0x81") << QStringList{"read", "--json", "0x45", "72"} << 0
        << QByteArray(R"({"registers":[{"address":69,"value":129},{"address":72,"value":255}]})"
                      "\n")
        << none << spi << QStringList{};
    QTest::newRow("write") << none << none << QStringList{"write", "72", "0x80"} << 0 << none << none << spi
                           << QStringList{"48=80"};
    QTest::newRow("write --mask: the other bits from the chip")
        << none << none << QStringList{"write", "0x40", "0x35", "--mask", "0x0C"} << 0 << none << none << spi
        << QStringList{"40=C4"};
    QTest::newRow("write --verify") << none << none << QStringList{"write", "0x48", "0x80", "--verify"} << 0
                                    << none << none << spi << QStringList{"48=80"};
    QTest::newRow("write --verify, a flag register reads its inputs")
        << none << QByteArray("zero = 0x80") << QStringList{"write", "0x45", "0x01", "--verify"} << 2 << none
        << QByteArray("evm2280: Verify failed at 0x45: wrote 0x01, read back 0x80\n") << spi
        << QStringList{"45=01"};
    QTest::newRow("-v: every transfer")
        << none << none << QStringList{"-v", "write", "0x40", "0x04", "--mask", "0x0C"} << 0 << none
        << setupTrace() + "r 0x40 0xC0\nw 0x40 0xC4\n"
        << spi << QStringList{"40=C4"};
    QTest::newRow("info") << none << QByteArray("version = 0x1234\nport = 3") << QStringList{"info"} << 0
                          << QByteArray("library: 1.2.3.4\nport: 3\ninterface: SPI\naddress: 0x00\n") << none
                          << QStringLiteral("init port=0 kind=3 addr=0x00 -> 3") << QStringList{};
    QTest::newRow("info --json")
        << iic4D << QByteArray("address = 0x4D\nversion = 0x1234") << QStringList{"--json", "info"} << 0
        << QByteArray(R"({"address":77,"interface":"IIC","library":"1.2.3.4","port":1,"version":4660})"
                      "\n")
        << none << QStringLiteral("init port=0 kind=1 addr=0x4D -> 1") << QStringList{};

    // Bit fields by name: the window's item texts, read-modify-write, dB in the chip's mode.
    QTest::newRow("get")
        << none << QByteArray("zero = 0x01") << QStringList{"get", "fmtda", "ATDA1", "ZERO1", "SRDA"} << 0
        << QByteArray("FMTDA = 0x0 (24bit IIS)\nATDA1 = 0xFF (0.0 dB)\nZERO1 = 0x1\nSRDA = 0x0 (Auto)\n")
        << none << spi << QStringList{};
    QTest::newRow("get --json")
        << none << none << QStringList{"get", "--json", "AMUTE", "DEMP"} << 0
        << QByteArray(R"({"fields":[{"high":5,"low":2,"name":"AMUTE","register":64,"text":null,"value":0},)"
                      R"({"high":5,"low":4,"name":"DEMP","register":70,"text":"Disable","value":0}]})"
                      "\n")
        << none << spi << QStringList{};
    QTest::newRow("set") << none << none << QStringList{"set", "FMTDA=4", "AMUTE=0xF", "ATDA2=-10.5dB"} << 0
                         << none << none << spi << QStringList{"41=04", "40=FC", "49=EA"};
    QTest::newRow("set, dB in the mode DAMS sets just before")
        << none << none << QStringList{"set", "DAMS=1", "ATDA1=-10.5dB", "DAMS=0", "ATDA1=-10.5dB"} << 0
        << none << none << spi << QStringList{"46=80", "48=F4", "46=00", "48=EA"};
    QTest::newRow("set MSAD: the board's clocks follow")
        << none << none << QStringList{"set", "MSAD=1", "MSAD=0"} << 0 << none << none << spi
        << QStringList{"51=10", "7:34=00", "7:36=00", "51=00", "7:34=01", "7:36=01"};
    QTest::newRow("set, a value wider than the field")
        << none << none << QStringList{"set", "FMTDA=4", "SRDA=4"} << 2 << none
        << QByteArray("evm2280: 4 does not fit SRDA (2 bits: 0x0 to 0x3)\n") << QString() << QStringList{};
    QTest::newRow("serve, an address it cannot listen on, before the board is opened")
        << none << none << QStringList{"serve", "--listen", "localhost:99999"} << 2 << none
        << QByteArray("evm2280: --listen 'localhost:99999': 'localhost' is no IP address (write PORT or "
                      "ADDRESS:PORT, as 5025, 127.0.0.1:5025 or [::1]:5025)\n")
        << QString() << QStringList{};
    QTest::newRow("--listen belongs to serve")
        << none << none << QStringList{"read", "0x41", "--listen", "1"} << 2 << none
        << QByteArray("evm2280: --listen belongs to serve\n") << QString() << QStringList{};
    QTest::newRow("set, no such field")
        << none << none << QStringList{"set", "FMTDX=4"} << 2 << none
        << QByteArray("evm2280: No bit field is named 'FMTDX' (evm2280 fields lists them)\n") << QString()
        << QStringList{};

    // Interface and address: the settings file, then -i and -a.
    QTest::newRow("settings file") << iic4D << QByteArray("address = 0x4D") << QStringList{"read", "0x41"}
                                   << 0 << QByteArray("0x41, 0x00\n") << none
                                   << QStringLiteral("init port=0 kind=1 addr=0x4D -> 1") << QStringList{};
    QTest::newRow("settings file, other strap")
        << iic4D << QByteArray("address = 0x4E") << QStringList{"read", "0x41"} << 2 << none << kRdErr21
        << QStringLiteral("init port=0 kind=1 addr=0x4D -> 1") << QStringList{};
    QTest::newRow("-a overrides") << iic4D << QByteArray("address = 0x4E")
                                  << QStringList{"-a", "0x4E", "read", "0x41"} << 0
                                  << QByteArray("0x41, 0x00\n") << none
                                  << QStringLiteral("init port=0 kind=1 addr=0x4E -> 1") << QStringList{};
    QTest::newRow("-i overrides") << iic4D << QByteArray("address = 0x4E")
                                  << QStringList{"-i", "spi", "read", "0x41"} << 0
                                  << QByteArray("0x41, 0x00\n") << none << spi << QStringList{};
    QTest::newRow("-i iic: first address")
        << none << none << QStringList{"-i", "IIC", "write", "0x48", "0"} << 0 << none << none
        << QStringLiteral("init port=0 kind=1 addr=0x4C -> 1") << QStringList{"48=00"};

    // Trouble on the board: reported, one line each, counted, and the library closed once.
    QTest::newRow("no board") << none << QByteArray("present = 0") << QStringList{"write", "0x48", "0"} << 2
                              << none << QByteArray("evm2280: No EVM was found\n")
                              << QStringLiteral("init port=0 kind=3 addr=0x00 -> 0") << QStringList{};
    QTest::newRow("failed write") << none << QByteArray("fail_write = 0:0x48:0x1F")
                                  << QStringList{"write", "0x48", "1"} << 2 << none
                                  << QByteArray("evm2280: Communication error: WRERR001F\n") << spi
                                  << QStringList{"48=01"};
    QTest::newRow("failed board set-up, read still printed")
        << none << QByteArray("fail_write = 7:*:6") << QStringList{"read", "0x41"} << 2
        << QByteArray("0x41, 0x00\n")
        << QByteArray("evm2280: Communication error: SPERR0006\nevm2280: 10 more communication errors\n")
        << spi << QStringList{};
    QTest::newRow("every failure counted")
        << none << QByteArray("fail_read = *:0x1F") << QStringList{"dump"} << 2 << none
        << QByteArray("evm2280: Communication error: RDERR001F. Please check interface setting.\n"
                      "evm2280: 30 more communication errors\n")
        << spi << QStringList{};
    QTest::newRow("masked write: nothing after a failed read")
        << none << QByteArray("fail_read = 0x40:0x1F") << QStringList{"write", "0x40", "0", "--mask", "1"}
        << 2 << none
        << QByteArray("evm2280: Communication error: RDERR001F. Please check interface setting.\n") << spi
        << QStringList{};

    // Trouble in the arguments: found before the library is loaded.
    QTest::newRow("data above 0xFF") << none << none << QStringList{"write", "0x48", "0x100"} << 2 << none
                                     << QByteArray("evm2280: Invalid register data!\n") << QString()
                                     << QStringList{};
    QTest::newRow("address above 0xFF")
        << none << none << QStringList{"read", "0x41", "0x100"} << 2 << none
        << QByteArray("evm2280: Invalid register address 0x100: registers are 0x00..0xFF\n") << QString()
        << QStringList{};
    QTest::newRow("no number") << none << none << QStringList{"read", "zz"} << 2 << none
                               << QByteArray("evm2280: 'zz' is not a number (65, 0x41, $41 or x41)\n")
                               << QString() << QStringList{};
    QTest::newRow("address outside the interface")
        << none << none << QStringList{"-i", "iic", "-a", "0x50", "read", "0x41"} << 2 << none
        << QByteArray("evm2280: Invalid device address 0x50 for IIC (0x4C..0x4F)\n") << QString()
        << QStringList{};
    QTest::newRow("missing script") << none << none << QStringList{"run", "none.csv"} << 2 << none
                                    << QByteArray("evm2280: none.csv: File not exist.\n") << QString()
                                    << QStringList{};
    QTest::newRow("missing argument")
        << none << none << QStringList{"write", "0x48"} << 2 << none
        << QByteArray("evm2280: usage: evm2280 [options] write ADDR DATA [--mask MASK] [--verify]\n")
        << QString() << QStringList{};
    QTest::newRow("option of another command")
        << none << none << QStringList{"read", "0x41", "--mask", "1"} << 2 << none
        << QByteArray("evm2280: --mask belongs to write\n") << QString() << QStringList{};
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

void TestEvm2280::stateBetweenCalls()
{
    // One simulated board across processes, as a shell script sees a real one.
    QTemporaryDir dir;
    Tool tool(dir.path(), "state = board-state.txt\n");
    QCOMPARE(tool.run({"write", "0x41", "0x05"}).exit, 0);
    QCOMPARE(tool.run({"set", "DAMS=1", "ATDA3=-10dB"}).exit, 0);
    QCOMPARE(tool.run({"read", "0x41"}).out, QByteArray("0x41, 0x05\n"));
    QCOMPARE(tool.run({"get", "FMTDA", "ATDA3"}).out,
             QByteArray("FMTDA = 0x5 (24bit Left Justified DSP)\nATDA3 = 0xF5 (-10.0 dB)\n"));

    // fields: every field once, plain and JSON alike, each as get gives it.
    const Result plain = tool.run({"fields"});
    const Result json = tool.run({"fields", "--json"});
    QCOMPARE(plain.exit, 0);
    const QStringList lines = QString::fromLatin1(plain.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QJsonArray list = QJsonDocument::fromJson(json.out).object().value("fields").toArray();
    QCOMPARE(list.size(), lines.size());
    QVERIFY(lines.contains("0x41 [3:0] FMTDA = 0x5 (24bit Left Justified DSP)"));
    QVERIFY(lines.contains("0x4A [7:0] ATDA3 = 0xF5 (-10.0 dB)"));
    QVERIFY(lines.contains("0x43 [2]   REVDA3 = 0x0"));
    const qsizetype dams = lines.indexOf("0x46 [7]   DAMS = 0x1 (Wide Range (1.0dB step))");
    QVERIFY(dams >= 0);
    QCOMPARE(list[dams].toObject(), QJsonObject({{"name", "DAMS"},
                                                 {"register", 0x46},
                                                 {"high", 7},
                                                 {"low", 7},
                                                 {"value", 1},
                                                 {"text", "Wide Range (1.0dB step)"}}));
}

void TestEvm2280::help()
{
    // Under its own name, whatever path started it: installed, it runs from a
    // private folder; and with the option the installed command takes.
    QTemporaryDir dir;
    Tool tool(dir.path());
    const Result r = tool.run({"--help"});
    QCOMPARE(r.exit, 0);
    QVERIFY2(r.out.startsWith("Usage: evm2280 [--board sim|linux|DIR] [options] COMMAND [ARGS]\n"),
             r.out.constData());
    QVERIFY(r.out.contains("\n  --board <sim|linux|DIR> "));
    QVERIFY(tool.trace().isEmpty());
}

void TestEvm2280::withoutLibrary()
{
    // A copy of the program in a folder without the board library.
    QTemporaryDir dir;
    const QString copy = QDir(dir.path()).filePath("evm2280");
    QVERIFY(QFile::copy(QStringLiteral(EVM2280_PATH), copy));
    Tool tool(dir.path());
    const Result r = tool.run({"read", "0x41"}, {}, copy);
    QCOMPARE(r.err, QByteArray("evm2280: Cannot load DLL\n"));
    QCOMPARE(r.exit, 2);
    QVERIFY(r.out.isEmpty());

    // Nor the server module that serve loads from the program's folder.
    const Result served = tool.run({"serve", "--listen", "127.0.0.1:0"}, {}, copy);
    QVERIFY2(served.err.startsWith("evm2280: serve: ") && served.err.contains("evm2280serve"),
             served.err.constData());
    QCOMPARE(served.exit, 2);
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

    for (const QString& to : {QString(), QStringLiteral("-")}) {
        r = tool.run(to.isEmpty() ? QStringList{"dump"} : QStringList{"dump", to});
        QCOMPARE(r.exit, failingRead ? 2 : 0);
        QCOMPARE(r.out, failingRead ? QByteArray() : QByteArray(window).replace("\r\n", "\n"));
    }
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
    QVERIFY(QDir(dir.path()).mkdir("folder"));

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
        {{"compare", "--json", "b.csv"},
         1,
         R"({"differences":[{"a":1,"address":67,"b":0,"groups":[{"bits":["REVDA1"],"control":"cInvDAC1"}]}]})"
         "\n",
         {},
         true},
        {{"compare", "--json", "c.csv", "a.csv"}, 2, {}, bad, false},
        {{"compare", "c.csv"}, 2, {}, bad, false},
        {{"compare", "a.csv", "none.csv"}, 2, {}, "evm2280: none.csv: No such file or directory\n", false},
        {{"compare", "folder"}, 2, {}, "evm2280: folder: Is a directory\n", false},
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

void TestEvm2280::streams_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input"); // standard input
    QTest::addColumn<int>("exit");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<QStringList>("writes");
    const QByteArray changed = "CHANGED"; // a.csv with another value of 0x43
    QTest::newRow("run -") << QStringList{"run", "-"} << QByteArray("0x41, 0x05\nsleep 0\n0x42 0x100\n") << 2
                           << QByteArray() << QByteArray("evm2280: <stdin>:3: Invalid register data!\n")
                           << QStringList{"41=05"};
    QTest::newRow("compare -") << QStringList{"compare", "-"} << changed << 1
                               << QByteArray("0x43: 0x01 0x00  cInvDAC1: REVDA1\n") << QByteArray()
                               << QStringList{};
    QTest::newRow("compare FILE -") << QStringList{"compare", "a.csv", "-"} << changed << 1
                                    << QByteArray("0x43: 0x00 0x01  cInvDAC1: REVDA1\n") << QByteArray()
                                    << QStringList{};
    QTest::newRow("compare - -")
        << QStringList{"compare", "-", "-"} << changed << 2 << QByteArray()
        << QByteArray("evm2280: standard input can be read once: only one of A and B can be -\n")
        << QStringList{};
    QTest::newRow("dump --json")
        << QStringList{"dump", "--json"} << QByteArray() << 0
        << QByteArray(R"({"registers":[{"address":64,"value":192},{"address":65,"value":0},)") << QByteArray()
        << QStringList{};
    // A file that is there but cannot be read says so, in one line (as root
    // only a folder cannot be read).
    QTest::newRow("run FOLDER") << QStringList{"run", "folder"} << QByteArray() << 2 << QByteArray()
                                << QByteArray(
                                       "evm2280: folder: Cannot read the script file: Is a directory\n")
                                << QStringList{};
}

void TestEvm2280::streams()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, exit);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(QStringList, writes);
    QTemporaryDir dir;
    Tool tool(dir.path());
    QCOMPARE(tool.run({"dump", "a.csv"}).exit, 0);
    if (input == "CHANGED") input = tool.readFile("a.csv").replace("0x43, 0x00", "0x43, 0x01");
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    const Result r = tool.run(args, input);
    QCOMPARE(r.err, err);
    QVERIFY2(r.out.startsWith(out) && (r.out.isEmpty() == out.isEmpty()), r.out.constData());
    QCOMPARE(r.exit, exit);
    QCOMPARE(tool.writes(), writes);
    if (args.contains("--json"))
        QCOMPARE(QJsonDocument::fromJson(r.out).object()["registers"].toArray().size(), 31);
}

void TestEvm2280::nonRegularFiles()
{
#ifndef Q_OS_UNIX
    QSKIP("FIFOs and device nodes are POSIX's");
#else
    // A FIFO, a device node and an open descriptor are written into as a
    // shell redirection would, and stay what they are.
    QTemporaryDir dir;
    Tool tool(dir.path());
    const QByteArray snapshot = tool.run({"dump"}).out.replace("\n", "\r\n");
    QCOMPARE(snapshot.count("\r\n"), 31);
    const QByteArray fifo = tool.path("fifo").toLocal8Bit();
    QCOMPARE(mkfifo(fifo.constData(), 0600), 0);
    auto p = tool.start({"dump", "fifo"});
    QFile reader(QString::fromLocal8Bit(fifo));
    QVERIFY(reader.open(QIODevice::ReadOnly)); // until the tool opens it to write
    QCOMPARE(reader.readAll(), snapshot);
    QCOMPARE(Tool::finish(*p).exit, 0);

    // A script through a FIFO, as a process substitution hands one over. It
    // opens once the tool has it open to read (ENXIO until then).
    const QByteArray scriptFifo = tool.path("script").toLocal8Bit();
    QCOMPARE(mkfifo(scriptFifo.constData(), 0600), 0);
    p = tool.start({"run", "script"});
    int fd = -1;
    for (QDeadlineTimer t(10000); fd < 0 && !t.hasExpired(); QTest::qWait(10))
        fd = ::open(scriptFifo.constData(), O_WRONLY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "0x41, 0x05\n", 11), ssize_t(11));
    ::close(fd);
    QCOMPARE(Tool::finish(*p).exit, 0);
    QCOMPARE(tool.writes(), QStringList{"41=05"});

    const QByteArray device = tool.path("null").toLocal8Bit();
    QCOMPARE(mknod(device.constData(), S_IFCHR | 0600, makedev(1, 3)), 0); // as /dev/null
    QCOMPARE(tool.run({"dump", "null"}).exit, 0);

    p = tool.start({"dump", "/dev/stdout"},
                   [&](QProcess& q) { q.setStandardOutputFile(tool.path("out.txt")); });
    const Result r = Tool::finish(*p);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(tool.readFile("out.txt"), snapshot);

    struct stat st {};
    QVERIFY(stat(fifo.constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    QVERIFY(stat(device.constData(), &st) == 0 && S_ISCHR(st.st_mode));
#endif
}

void TestEvm2280::outputFailures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("output"); // standard output; empty: a pipe
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>(
        "trace"); // 1: the board closed once; 0: never opened; -1: no trace (the size limit)
    const QByteArray full = "evm2280: write error: No space left on device\n";
    const QByteArray tooLarge = "evm2280: write error: File too large\n";
    QTest::newRow("read") << QStringList{"read", "0x41"} << "/dev/full" << full << 1;
    QTest::newRow("info") << QStringList{"info"} << "/dev/full" << full << 1;
    QTest::newRow("dump") << QStringList{"dump"} << "/dev/full" << full << 1;
    QTest::newRow("fields --json") << QStringList{"fields", "--json"} << "/dev/full" << full << 1;
    QTest::newRow("compare of files") << QStringList{"compare", "a.csv", "b.csv"} << "/dev/full" << full << 0;
    QTest::newRow("--help") << QStringList{"--help"} << "/dev/full" << full << 0;
    // SIGXFSZ ignored: the size limit is a failure like any other.
    QTest::newRow("dump > FILE, size limit") << QStringList{"dump"} << "out.csv" << tooLarge << -1;
    QTest::newRow("dump FILE, size limit")
        << QStringList{"dump", "old.csv"} << QString()
        << QByteArray("evm2280: Cannot write the file old.csv: File too large\n") << -1;
}

void TestEvm2280::outputFailures()
{
    QFETCH(QStringList, args);
    QFETCH(QString, output);
    QFETCH(QByteArray, err);
    QFETCH(int, trace);
    QTemporaryDir dir;
    Tool tool(dir.path());
    tool.writeFile("a.csv", "0x41, 0x00\n");
    tool.writeFile("b.csv", "0x41, 0x01\n");
    tool.writeFile("old.csv", "an old file\n");
    const bool limited = output != QLatin1String("/dev/full");
    QStringList command = args;
    if (limited) command = QStringList{"--fsize=100", "--", EVM2280_PATH} + args;
    auto p = tool.start(
        command,
        [&](QProcess& q) {
            if (!output.isEmpty()) q.setStandardOutputFile(limited ? tool.path(output) : output);
            if (!limited) return;
            QProcessEnvironment env = q.processEnvironment(); // the trace would not fit either
            env.insert(QStringLiteral("HXBUS_SIM_TRACE"), QString());
            q.setProcessEnvironment(env);
        },
        limited ? QStringLiteral("prlimit") : QStringLiteral(EVM2280_PATH));
    const Result r = Tool::finish(*p);
    QCOMPARE(r.err, err);
    QCOMPARE(r.exit, 2);
    QCOMPARE(tool.readFile("old.csv"), QByteArray("an old file\n"));
    if (trace == 1)
        verifyClosedOnce(tool);
    else if (trace == 0)
        QVERIFY(tool.trace().isEmpty());
}

void TestEvm2280::terminatingSignals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<QString>("out"); // a pattern
    const QStringList run = {"run", "s.csv"};
    const QStringList watch = {"watch", "--interval", "50", "ZERO1", "0x45"};
    const QString watched = QStringLiteral("^\\S+T\\S+ ZERO1 = 0x1\n\\S+T\\S+ 0x45, 0x81\n$");
    QTest::newRow("run, SIGINT") << run << int(SIGINT) << 130 << QByteArray("evm2280: Interrupt\n") << "^$";
    QTest::newRow("run, SIGTERM") << run << int(SIGTERM) << 143 << QByteArray("evm2280: Terminated\n")
                                  << "^$";
    QTest::newRow("watch, SIGINT") << watch << int(SIGINT) << 0 << QByteArray() << watched;
    QTest::newRow("watch, SIGTERM") << watch << int(SIGTERM) << 0 << QByteArray() << watched;
}

void TestEvm2280::terminatingSignals()
{
#ifndef Q_OS_UNIX
    QSKIP("signals are sent the POSIX way here");
#else
    QFETCH(QStringList, args);
    QFETCH(int, signal);
    QFETCH(int, exit);
    QFETCH(QByteArray, err);
    QFETCH(QString, out);
    QTemporaryDir dir;
    Tool tool(dir.path(), "zero = 0x81\n");
    tool.writeFile("s.csv", "0x41, 0x05\nsleep, 20000\n0x42, 0x05\n");
    auto p = tool.start(args);
    // Sent while the script sleeps, or once watch has read.
    QTRY_VERIFY_WITH_TIMEOUT(!tool.traceOf("(write ch=0|read ch=0)").isEmpty(), 10000);
    ::kill(pid_t(p->processId()), signal);
    const Result r = Tool::finish(*p);
    QCOMPARE(r.err, err);
    QCOMPARE(r.exit, exit);
    QVERIFY2(QRegularExpression(out).match(QString::fromLatin1(r.out)).hasMatch(), r.out.constData());
    QVERIFY(tool.traceOf("write ch=0 addr=0x42").isEmpty());
    verifyClosedOnce(tool);
#endif
}

void TestEvm2280::progress_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("terminal"); // standard error
    QTest::addColumn<bool>("shown");
    QTest::newRow("terminal") << QStringList{"run", "s.csv"} << true << true;
    QTest::newRow("terminal, -q") << QStringList{"-q", "run", "s.csv"} << true << false;
    QTest::newRow("no terminal") << QStringList{"run", "s.csv"} << false << false;
}

void TestEvm2280::progress()
{
#ifndef Q_OS_UNIX
    QSKIP("a terminal is made the POSIX way here");
#else
    QFETCH(QStringList, args);
    QFETCH(bool, terminal);
    QFETCH(bool, shown);
    QTemporaryDir dir;
    Tool tool(dir.path());
    // Long enough to be shown: a wait of 600 ms before the last line.
    tool.writeFile("s.csv", "0x41, 0x05\nsleep, 600\n0x42, 0x05\n");
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const QString pts = QString::fromLocal8Bit(ptsname(master));
    auto p = tool.start(args, [&](QProcess& q) {
        if (terminal) q.setStandardErrorFile(pts);
    });
    const Result r = Tool::finish(*p);
    QByteArray screen = r.err;
    fcntl(master, F_SETFL, O_NONBLOCK);
    char buffer[4096];
    for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) screen.append(buffer, n);
    ::close(master);
    QCOMPARE(r.exit, 0);
    if (shown) {
        // Drawn in place, and cleared at the end.
        QVERIFY2(screen.startsWith("\revm2280: run: 3/3 lines (100%)"), screen.constData());
        QVERIFY(screen.endsWith('\r'));
    } else {
        QCOMPARE(screen, QByteArray());
    }
#endif
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
