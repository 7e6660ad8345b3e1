// The board's start-up and close, against the simulator: the library, the
// _init search, the board set-up, the read-back or the defaults, the start-up
// script, and what is reported on the way.

#include "simfixture.h"

#include <QDir>
#include <QtTest>

using evm::Role;
using evm::StartResult;
Q_DECLARE_METATYPE(evm::Role)
Q_DECLARE_METATYPE(evm::StartResult)

namespace {
std::array<std::uint8_t, regs::kCount> defaults()
{
    regs::RegisterImage image;
    image.reset();
    return image.bytes;
}
} // namespace

class TestBoardStartup : public QObject {
    Q_OBJECT
private slots:
    void withoutBoard_data();
    void withoutBoard();
    void setUpAndReadBack_data();
    void setUpAndReadBack();
    void failuresReported();
    void startupScript_data();
    void startupScript();
};

void TestBoardStartup::withoutBoard_data()
{
    QTest::addColumn<QString>("library"); // the simulator steered where there is one
    QTest::addColumn<StartResult>("result");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("trace"); // until the close
    const QString busy = "busy Loading...";
    QTest::newRow("library not installed")
        << "HxBusNotInstalled" << StartResult::NoLibrary
        << QStringList{busy, "ended", "report Cannot load DLL"} << "DLL error" << QStringList{};
    QTest::newRow("library without _getVer")
        << "HxBusNoVer" << StartResult::InvalidLibrary << QStringList{busy, "ended", "report Invalid DLL"}
        << "DLL error" << QStringList{};
    // No start-up script either; the image holds the defaults.
    QTest::newRow("no board") << "HxBus" << StartResult::NoBoard
                              << QStringList{busy, "ended", "connection 0", "report No EVM was found",
                                             "changed"}
                              << "Error" << QStringList{"init port=0 kind=1 addr=0x4C -> 0", "close"};
}

void TestBoardStartup::withoutBoard()
{
    QFETCH(QString, library);
    QFETCH(StartResult, result);
    QFETCH(QStringList, events);
    QFETCH(QString, caption);
    QFETCH(QStringList, trace);
    BoardRig rig(library == "HxBusNotInstalled" ? QStringLiteral("HxBus") : library);
    rig.sim.setPresent(false);
    rig.writeFile("startup.csv", "0x41, 0x05\n");
    evm::StartOptions o;
    o.library = library;
    o.startupScript = "startup.csv";
    QCOMPARE(rig.start(kIic, o), result);
    QCOMPARE(rig.events, events);
    QCOMPARE(rig.reports[0].caption, caption);
    QCOMPARE(rig.reports[0].category, evm::ReportCategory::Connection);
    QCOMPARE(rig.board.isLibraryLoaded(), result == StartResult::NoBoard);
    if (result != StartResult::NoBoard) QVERIFY(!rig.board.libraryVersion());
    QCOMPARE(rig.board.port(), 0);
    QVERIFY(rig.board.transport().writesHeld());
    QVERIFY(!rig.board.logsHistory());
    const auto image = rig.board.image().bytes;
    QVERIFY(result == StartResult::NoBoard
                ? image == defaults()
                : std::all_of(image.begin(), image.end(), [](auto b) { return !b; }));
    rig.board.WriteRegister(0x41, 5); // nothing at all happens
    rig.board.WriteRegister(0x40, 0x00);
    rig.board.routeClock(evm::Converter::Dac, evm::Role::Master);
    QCOMPARE(rig.board.ReadRegister(0x41), 0);
    QVERIFY(rig.board.image().bytes == image);
    QVERIFY(rig.history.isEmpty());
    rig.board.close();
    QCOMPARE(rig.reports.size(), 1);
    QCOMPARE(rig.sim.trace(), trace); // _init and _close only where the library is usable
}

void TestBoardStartup::setUpAndReadBack_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<Role>("dac");
    QTest::addColumn<Role>("adc");
    QTest::addColumn<bool>("readBack");
    QTest::addColumn<QString>("init");
    QTest::addColumn<int>("reads");
    const QString iic = "init port=0 kind=1 addr=0x4C -> 1", spi = "init port=0 kind=3 addr=0x00 -> 1";
    QTest::newRow("IIC reads back") << kIic << Role::Slave << Role::Slave << true << iic << 31;
    QTest::newRow("IIC, DAC master") << kIic << Role::Master << Role::Slave << true << iic << 31;
    QTest::newRow("SPI takes the defaults")
        << QByteArray() << Role::Slave << Role::Master << true << spi << 0;
    QTest::newRow("IIC, no read-back") << kIic << Role::Slave << Role::Slave << false << iic << 0;
}

void TestBoardStartup::setUpAndReadBack()
{
    QFETCH(QByteArray, ini);
    QFETCH(Role, dac);
    QFETCH(Role, adc);
    QFETCH(bool, readBack);
    QFETCH(QString, init);
    QFETCH(int, reads);
    BoardRig rig;
    rig.sim.setRegister(0x40, 0x05);
    rig.sim.setRegister(0x41, 0x77);
    rig.sim.setRegister(0x56, 0xFF);
    rig.sim.setOverflowFlags(0x3F);
    rig.sim.setZeroFlags(0xA5);
    evm::StartOptions o;
    o.dac = dac;
    o.adc = adc;
    o.readBack = readBack;
    QCOMPARE(rig.start(ini, o), StartResult::Ready);

    QStringList trace = QStringList{init} + SimBoard::boardSetup(dac, adc);
    for (int r = 0x40; r < 0x40 + reads; ++r) trace << QString::asprintf("read ch=0 addr=0x%02X", r);
    QStringList got = rig.sim.trace();
    for (QString& l : got)
        if (l.startsWith("read")) l = l.section(" ->", 0, 0);
    QCOMPARE(got, trace);
    QStringList events{"busy Loading...", "connection 1", "busy Initializing... 0/30"};
    for (int i = 0; readBack && i < 31; ++i) events << QStringLiteral("step %1").arg(i);
    QCOMPARE(rig.events, events << "changed"
                                << "ended");

    if (reads) { // masked: the reset requests idle, no flags, the attenuator's code only
        QCOMPARE(rig.board.image().at(0x40), 0xC5);
        QCOMPARE(rig.board.image().at(0x41), 0x77);
        QCOMPARE(rig.board.image().at(0x45), 0x00);
        QCOMPARE(rig.board.image().at(0x56), 0xC0);
    } else if (readBack) {
        QVERIFY(rig.board.image().bytes == defaults());
    }
    QCOMPARE(rig.board.port(), 1);
    QVERIFY(!rig.board.transport().writesHeld());
    QVERIFY(rig.board.logsHistory());
    QVERIFY(rig.history.isEmpty());

    // The close is final: _close once, and nothing reaches the board after it.
    rig.sim.clearTrace();
    rig.board.close();
    rig.board.close();
    rig.board.WriteRegister(0x41, 1);
    QCOMPARE(rig.sim.trace(), QStringList{"close"});
    QVERIFY(!rig.board.isLibraryLoaded() && rig.board.isClosed());
}

// Every failed board set-up write is reported; of the read-back only the
// first failed read, while the busy window shows its register.
void TestBoardStartup::failuresReported()
{
    BoardRig rig;
    rig.sim.failWrite(7, 0x0C, 6);
    rig.sim.failWrite(7, 0x36, -1);
    rig.sim.failRead(0x42, 0x1F);
    rig.sim.failRead(0x47, -5);
    rig.start();
    const QString read = "Communication error: RDERR001F\nPlease check interface setting.";
    QCOMPARE(rig.reportTexts(),
             (QStringList{"Communication error: SPERR0006", "Communication error: SPERRFFFFFFFF", read}));
    QCOMPARE(rig.reports[2].category, evm::ReportCategory::Communication);
    QCOMPARE(rig.events.indexOf("report " + read), rig.events.indexOf("step 2") + 1);
    QCOMPARE(rig.sim.traceOf("write ch=7").size(), 11);
    QCOMPARE(rig.sim.traceOf("read").size(), 31); // the read-back goes on
    QVERIFY(rig.board.transport().errorReported());
}

void TestBoardStartup::startupScript_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<StartResult>("result");
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QStringList>("afterWait"); // the events from the script's wait on
    QTest::newRow("board found") << "" << StartResult::Ready << QStringList{"44=5A", "43=01"}
                                 << QStringList{"wait 12", "changed", "changed", "ended"};
    QTest::newRow("closed in its wait") << "close in wait" << StartResult::Closed << QStringList{"44=5A"}
                                        << QStringList{"wait 12", "changed", "ended"};
    // A folder of that name is no script: nothing to run and nothing to say.
    // (Without a board no script runs: withoutBoard.)
    QTest::newRow("folder") << "folder" << StartResult::Ready << QStringList{} << QStringList{};
}

void TestBoardStartup::startupScript()
{
    QFETCH(QString, setting);
    QFETCH(StartResult, result);
    QFETCH(QStringList, writes);
    QFETCH(QStringList, afterWait);
    BoardRig rig;
    if (setting == "folder")
        QVERIFY(QDir().mkdir("startup.csv"));
    else
        rig.writeFile("startup.csv", "0x44, 0x5A\r\nsleep, 12\r\n0x43, 0x01\r\n");
    if (setting == "close in wait") rig.onWait = [&](int) { rig.board.close(); };
    evm::StartOptions o;
    o.startupScript = "startup.csv";
    QCOMPARE(rig.start(kIic, o), result);
    QCOMPARE(rig.sim.chipWrites(), writes);
    // The busy window stays up over the script; the controls follow it after.
    QCOMPARE(rig.events.mid(rig.events.indexOf("wait 12"), afterWait.size()), afterWait);
    QCOMPARE(rig.waits.size(), afterWait.size() ? 1 : 0);
    QVERIFY(rig.reports.isEmpty());
    QVERIFY(rig.history.isEmpty()); // start-up writes are no history
    if (result == StartResult::Ready) QVERIFY(rig.board.logsHistory());
    if (setting == "close in wait") QCOMPARE(rig.sim.trace().last(), QString("close"));
    if (!writes.isEmpty()) QCOMPARE(rig.sim.reg(0x44), 0x5A);
    if (writes.size() == 2) QCOMPARE(rig.board.image().at(0x43), 0x01);
}

QTEST_GUILESS_MAIN(TestBoardStartup)
#include "tst_boardstartup.moc"
