// The board simulator as the program sees it: the five entry points of the
// board library, called through a real QLibrary load, and its control functions.

#include "hxbus.h"
#include "linksettings.h"
#include "hxbus_sim.h"
#include "simfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
LinkSettings iic(int address)
{
    LinkSettings s;
    evmlink::initLinkSettings(s);
    evmlink::applyInterface(s, 0, address);
    return s;
}
LinkSettings spi()
{
    LinkSettings s;
    evmlink::initLinkSettings(s);
    evmlink::applyInterface(s, 1, 0x4D);
    return s;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

#ifdef Q_OS_UNIX
// Standard error while it lives: where the simulator reports a bad state file.
class StderrCapture {
public:
    StderrCapture() : file_(std::tmpfile()), saved_(dup(2))
    {
        std::fflush(stderr);
        dup2(fileno(file_), 2);
    }
    ~StderrCapture()
    {
        dup2(saved_, 2);
        ::close(saved_);
        std::fclose(file_);
    }
    QByteArray text()
    {
        QFile f;
        return f.open(dup(fileno(file_)), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) && f.seek(0)
                   ? f.readAll()
                   : QByteArray();
    }

private:
    std::FILE* file_;
    int saved_;
};
#endif
} // namespace

class TestSim : public QObject {
    Q_OBJECT
private slots:
    void init();
    void exportsTheFiveEntryPoints();
    void initSearchesAndReopensItsPort();
    void iicAnswersOnlyAtTheStrappedAddress();
    void spiAlwaysAnswers();
    void masterResetRestoresPowerOnValues();
    void flagRegistersComeFromInputs();
    void boardControlWritesAreKept();
    void injectedFaultsAndBadArguments();
    void traceRecordsEveryCallAndCanGoToAFile();
    void configurationFileIsReadAtPowerOn();
    void stateFileCarriesRegistersToTheNextProcess();
    void stateFileIsReplacedWholeOrNotAtAll();
    void unusableStateFileMeansPowerOnValues_data();
    void unusableStateFileMeansPowerOnValues();
    void traceInMemoryIsBoundedByDefault();

private:
    HxBusLibrary bus;
    SimBoard sim;
    int rd(int ch, int addr, int* value = nullptr)
    {
        unsigned char buf[10] = {};
        const int rc = bus.readData(ch, addr, buf, 1);
        if (value) *value = buf[0];
        return rc;
    }
    int wr(int ch, int addr, int value)
    {
        unsigned char buf[10] = {static_cast<unsigned char>(value)};
        return bus.writeData(ch, addr, buf, 1);
    }
};

void TestSim::init()
{
    qunsetenv("HXBUS_SIM_CONFIG");
    qunsetenv("HXBUS_SIM_TRACE");
    qunsetenv("HXBUS_SIM_STATE");
    if (!bus.isLoaded()) QCOMPARE(int(bus.load("HxBus")), int(HxBusLibrary::LoadResult::Loaded));
    sim.reset();
}

void TestSim::exportsTheFiveEntryPoints()
{
    QVERIFY(bus.init && bus.close && bus.readData && bus.writeData && bus.getVer);
    sim.setVersion(0x1234);
    QCOMPARE(bus.getVer(), 0x1234);
    HxBusLibrary noVer;
    QCOMPARE(int(noVer.load("HxBusNoVer")), int(HxBusLibrary::LoadResult::Invalid));
    QVERIFY(!noVer.isLoaded());
    QVERIFY(!noVer.init);
    HxBusLibrary missing;
    QCOMPARE(int(missing.load("HxBusNotThere")), int(HxBusLibrary::LoadResult::NotFound));
}

void TestSim::initSearchesAndReopensItsPort()
{
    LinkSettings s = iic(0x4C);
    sim.setPort(3);
    QCOMPARE(bus.init(0, &s), 3);
    QCOMPARE(bus.init(3, &s), 3);
    QCOMPARE(bus.init(2, &s), 0); // no board on another port
    QVERIFY(!sim.isOpen());
    sim.setPresent(false);
    QCOMPARE(bus.init(0, &s), 0);
    QCOMPARE(rd(0, 0x41), int(HXSIM_ERR_NOT_OPEN));
    sim.setPresent(true); // attached later: the next search finds it
    QCOMPARE(bus.init(0, &s), 3);
    bus.close();
    QCOMPARE(wr(0, 0x41, 1), int(HXSIM_ERR_NOT_OPEN));
    LinkSettings got;
    QVERIFY(sim.lastSettings(&got));
    QCOMPARE(got.interfaceKind, 1);
    QCOMPARE(got.deviceAddress, 0x4C);
    QCOMPARE(got.word56, 3);
}

void TestSim::iicAnswersOnlyAtTheStrappedAddress()
{
    sim.setStrap(0x4E);
    LinkSettings wrong = iic(0x4C), right = iic(0x4E);
    QVERIFY(bus.init(0, &wrong) != 0); // the board itself is there
    QCOMPARE(wr(0, 0x41, 0x05), int(HXSIM_ERR_NAK));
    QCOMPARE(rd(0, 0x41), int(HXSIM_ERR_NAK));
    QCOMPARE(sim.reg(0x41), 0x00);
    QCOMPARE(wr(7, 0x37, 1), 0); // board control does not go over the chip's bus
    QVERIFY(bus.init(0, &right) != 0);
    QCOMPARE(wr(0, 0x41, 0x05), 0);
    int v = -1;
    QCOMPARE(rd(0, 0x41, &v), 0);
    QCOMPARE(v, 0x05);
}

void TestSim::spiAlwaysAnswers()
{
    sim.setStrap(0x4F);
    LinkSettings s = spi();
    QVERIFY(bus.init(0, &s) != 0);
    QCOMPARE(wr(0, 0x43, 0x81), 0);
    QCOMPARE(sim.reg(0x43), 0x81);
    int v = -1;
    QCOMPARE(rd(0, 0x20, &v), 0); // outside the register file: acknowledged, reads 0
    QCOMPARE(v, 0);
}

void TestSim::masterResetRestoresPowerOnValues()
{
    LinkSettings s = spi();
    bus.init(0, &s);
    int v = -1;
    rd(0, 0x40, &v);
    QCOMPARE(v, 0xC0);
    rd(0, 0x48, &v);
    QCOMPARE(v, 0xFF);
    wr(0, 0x48, 0x81);
    wr(0, 0x40, 0xFC);
    QCOMPARE(sim.reg(0x40), 0xFC);
    wr(0, 0x40, 0xBC); // SRST: a pulse, reads back as 1, nothing else changes
    QCOMPARE(sim.reg(0x40), 0xFC);
    QCOMPARE(sim.reg(0x48), 0x81);
    wr(0, 0x40, 0x40); // MRST
    QCOMPARE(sim.reg(0x40), 0xC0);
    QCOMPARE(sim.reg(0x48), 0xFF);
}

void TestSim::flagRegistersComeFromInputs()
{
    LinkSettings s = spi();
    bus.init(0, &s);
    sim.setZeroFlags(0x81);
    int v = -1;
    rd(0, 0x45, &v);
    QCOMPARE(v, 0x81);
    wr(0, 0x45, 0x00); // read-only
    rd(0, 0x45, &v);
    QCOMPARE(v, 0x81);
    sim.setOverflowFlags(0x3F);
    wr(0, 0x56, 0x40);
    rd(0, 0x56, &v);
    QCOMPARE(v, 0x7F);
}

void TestSim::boardControlWritesAreKept()
{
    LinkSettings s = spi();
    QCOMPARE(sim.boardControl(0x37), -1);
    bus.init(0, &s);
    QCOMPARE(wr(7, 0x37, 0), 0);
    QCOMPARE(wr(7, 0x0B, 0x55), 0);
    QCOMPARE(sim.boardControl(0x37), 0);
    QCOMPARE(sim.boardControl(0x0B), 0x55);
    QCOMPARE(wr(3, 0x00, 0), int(HXSIM_ERR_BAD_CHANNEL));
}

void TestSim::injectedFaultsAndBadArguments()
{
    LinkSettings s = spi();
    bus.init(0, &s);
    sim.failRead(0x41, 0x1F);
    sim.failWrite(7, 0x35, -2);
    sim.failWrite(0, -1, 0x99);
    QCOMPARE(rd(0, 0x41), 0x1F);
    QCOMPARE(rd(0, 0x42), 0);
    QCOMPARE(wr(7, 0x35, 1), -2);
    QCOMPARE(wr(7, 0x34, 1), 0);
    QCOMPARE(wr(0, 0x43, 1), 0x99);
    QCOMPARE(sim.reg(0x43), 0); // a failed write changes nothing
    sim.clearFaults();
    QCOMPARE(wr(0, 0x43, 1), 0);
    QCOMPARE(bus.readData(0, 0x41, nullptr, 1), int(HXSIM_ERR_BAD_ARGS));
    unsigned char buf[10] = {};
    QCOMPARE(bus.writeData(0, 0x41, buf, 0), int(HXSIM_ERR_BAD_ARGS));
}

void TestSim::traceRecordsEveryCallAndCanGoToAFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("trace.txt");
    sim.clearTrace();
    LinkSettings s = iic(0x4C);
    QByteArray path = file.toLocal8Bit();
    reinterpret_cast<void (*)(const char*)>(QLibrary("HxBus").resolve("hxsim_set_trace_file"))(
        path.constData());
    bus.init(0, &s);
    wr(0, 0x40, 0xC6);
    rd(0, 0x41);
    bus.getVer();
    bus.close();
    const QStringList expected = {"init port=0 kind=1 addr=0x4C -> 1",
                                  "write ch=0 addr=0x40 data=0xC6 -> 0x0",
                                  "read ch=0 addr=0x41 -> 0x00 rc=0x0", "getVer -> 0x1100", "close"};
    QCOMPARE(sim.trace(), expected);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts), expected);

    // A long demo keeps only the newest lines in memory; the file has them all.
    reinterpret_cast<void (*)(int)>(QLibrary("HxBus").resolve("hxsim_set_trace_memory"))(2);
    bus.init(0, &s);
    wr(0, 0x40, 0xC6);
    rd(0, 0x41);
    QCOMPARE(sim.trace(), (QStringList{expected[1], expected[2]}));
    reinterpret_cast<void (*)(int)>(QLibrary("HxBus").resolve("hxsim_set_trace_memory"))(-1);
}

void TestSim::configurationFileIsReadAtPowerOn()
{
    QTemporaryDir dir;
    QFile f(dir.filePath("sim.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("# demo board\npresent = 1\naddress = 0x4F\nversion = $2301\nport = 5\nzero = 0x81\n"
            "fail_read = 0x42:0x1F, *:0\nfail_write = 7:0x0B:6\nbogus = 1\n");
    f.close();
    qputenv("HXBUS_SIM_CONFIG", dir.filePath("sim.ini").toLocal8Bit());
    sim.reset();
    LinkSettings s = iic(0x4F);
    QCOMPARE(bus.init(0, &s), 5);
    QCOMPARE(bus.getVer(), 0x2301);
    int v = 0;
    QCOMPARE(rd(0, 0x45, &v), 0);
    QCOMPARE(v, 0x81);
    QCOMPARE(rd(0, 0x42), 0x1F);
    QCOMPARE(wr(7, 0x0B, 0x55), 6);
    qunsetenv("HXBUS_SIM_CONFIG");
    sim.reset(); // back to the built-in defaults
    QCOMPARE(bus.getVer(), 0x1100);
}

// hxsim_reset stands for the next process: power-on, the file read at _init.
void TestSim::stateFileCarriesRegistersToTheNextProcess()
{
    QTemporaryDir dir;
    const QString state = dir.filePath("state.txt"), fromConfig = dir.filePath("from-config.txt");
    QVERIFY(writeFile(dir.filePath("sim.ini"), "state = " + fromConfig.toLocal8Bit() + "\n"));
    qputenv("HXBUS_SIM_CONFIG", dir.filePath("sim.ini").toLocal8Bit());
    qputenv("HXBUS_SIM_STATE", state.toLocal8Bit()); // over the file's key
    sim.reset();
    LinkSettings s = spi();
    QVERIFY(bus.init(0, &s) != 0);
    QCOMPARE(wr(0, 0x41, 0x05), 0);
    QCOMPARE(wr(0, 0x48, 0x81), 0);
    QCOMPARE(wr(7, 0x37, 0x01), 0);
    bus.close();
    const QByteArray text = readAll(state);
    QVERIFY2(text.contains("chip 0x41 0x05\n") && text.contains("board 0x37 0x01\n"), text.constData());
    QVERIFY(!QFile::exists(fromConfig));

    sim.reset();
    QCOMPARE(sim.reg(0x41), 0x00); // not read before _init
    bus.close();                   // nor written by a _close without one
    QCOMPARE(readAll(state), text);
    QVERIFY(bus.init(0, &s) != 0);
    int v = -1;
    QCOMPARE(rd(0, 0x41, &v), 0);
    QCOMPARE(v, 0x05);
    QCOMPARE(sim.reg(0x48), 0x81);
    QCOMPARE(sim.reg(0x40), 0xC0);
    QCOMPARE(sim.boardControl(0x37), 0x01);
    QCOMPARE(sim.boardControl(0x38), -1);

    qunsetenv("HXBUS_SIM_STATE");
    sim.reset();
    bus.init(0, &s);
    QCOMPARE(sim.reg(0x41), 0x00); // from-config.txt does not exist yet
    wr(0, 0x42, 0x07);
    bus.close();
    QVERIFY(readAll(fromConfig).contains("chip 0x42 0x07\n"));
}

void TestSim::stateFileIsReplacedWholeOrNotAtAll()
{
    // Every write past the limit fails, for root as well: as on a full disk.
    if (!FileSizeLimit::supported()) QSKIP("no file size limits on this platform");
    QTemporaryDir dir;
    const QString state = dir.filePath("state.txt");
    qputenv("HXBUS_SIM_STATE", state.toLocal8Bit());
    sim.reset();
    LinkSettings s = spi();
    bus.init(0, &s);
    wr(0, 0x41, 0x05);
    bus.close();
    const QByteArray old = readAll(state);
    QVERIFY(old.size() > 256);
    wr(0, 0x41, 0x06);
    {
#ifdef Q_OS_UNIX
        StderrCapture err;
#endif
#ifdef SIGXFSZ
        std::signal(SIGXFSZ, SIG_IGN); // as the program does
#endif
        {
            FileSizeLimit limit(256); // room for the message on standard error
            bus.close();
        }
#ifdef Q_OS_UNIX
        QVERIFY2(err.text().startsWith("hxbus-sim: " + state.toLocal8Bit() + ": "), err.text());
#endif
    }
    QCOMPARE(readAll(state), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"state.txt"});
}

void TestSim::unusableStateFileMeansPowerOnValues_data()
{
    QTest::addColumn<QByteArray>("text"); // null: no file
    QTest::addColumn<QByteArray>("reason");
    QByteArray whole;
    for (int a = 0x40; a <= 0x5E; ++a) whole += QByteArray("chip 0x") + QByteArray::number(a, 16) + " 0x05\n";
    QTest::newRow("missing") << QByteArray() << QByteArray();
    QTest::newRow("empty") << QByteArray("") << QByteArray("chip register 0x40 missing");
    QTest::newRow("cut short") << whole.left(whole.size() - 8) << QByteArray("line 31: ");
    QTest::newRow("no register there") << whole + "chip 0x5F 1\n" << QByteArray("line 32: ");
    QTest::newRow("value too wide") << whole + "board 0x37 0x100\n" << QByteArray("line 32: ");
    QTest::newRow("twice") << whole + "chip 0x41 0x06\n" << QByteArray("line 32: ");
    QTest::newRow("not a state file") << QByteArray("[SerialInterface]\nType=0\n") << QByteArray("line 1: ");
}

void TestSim::unusableStateFileMeansPowerOnValues()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, reason);
    QTemporaryDir dir;
    const QString state = dir.filePath("state.txt");
    if (!text.isNull()) QVERIFY(writeFile(state, text));
    qputenv("HXBUS_SIM_STATE", state.toLocal8Bit());
    sim.reset();
    LinkSettings s = spi();
    {
#ifdef Q_OS_UNIX
        StderrCapture err;
#endif
        QVERIFY(bus.init(0, &s) != 0);
#ifdef Q_OS_UNIX
        const QByteArray line = err.text(), start = "hxbus-sim: " + state.toLocal8Bit() + ": " + reason;
        QVERIFY2(reason.isEmpty() ? line.isEmpty() : line.startsWith(start) && line.count('\n') == 1, line);
#endif
    }
    QCOMPARE(sim.reg(0x41), 0x00);
    QCOMPARE(sim.reg(0x48), 0xFF);
    QCOMPARE(sim.boardControl(0x37), -1);
}

void TestSim::traceInMemoryIsBoundedByDefault()
{
    LinkSettings s = spi();
    bus.init(0, &s);
    for (int i = 0; i < 10050; ++i) wr(0, 0x41, i & 0xFF);
    const QStringList t = sim.trace(); // the init and 10050 writes: the newest 10000 lines
    QCOMPARE(t.size(), 10000);
    QCOMPARE(t.first(), QString::asprintf("write ch=0 addr=0x41 data=0x%02X -> 0x0", 50 & 0xFF));
    QCOMPARE(t.last(), QString::asprintf("write ch=0 addr=0x41 data=0x%02X -> 0x0", 10049 & 0xFF));

    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("sim.ini"), "trace_memory = -1\n"));
    qputenv("HXBUS_SIM_CONFIG", dir.filePath("sim.ini").toLocal8Bit());
    sim.reset();
    bus.init(0, &s);
    for (int i = 0; i < 10050; ++i) wr(0, 0x41, 1);
    QCOMPARE(sim.trace().size(), 10051); // every line, the init too
}

QTEST_MAIN(TestSim)
#include "tst_sim.moc"
