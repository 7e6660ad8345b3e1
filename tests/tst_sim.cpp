// The board simulator as the program sees it: the five entry points of the
// board library, called through a real QLibrary load, and its control functions.

#include "core/hxbus.h"
#include "core/linksettings.h"
#include "hxbus_sim.h"
#include "tests/simfixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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

QTEST_MAIN(TestSim)
#include "tst_sim.moc"
