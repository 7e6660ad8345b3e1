// MRST, SRST and the reconnect of the board: the traffic, the image, the
// history, the flags of the link and what is reported, against the simulator.

#include "simfixture.h"

#include <QtTest>

namespace {
const QString kBusy = QStringLiteral("busy Reset in progress ...");

std::array<std::uint8_t, regs::kCount> defaultsFrom(const regs::RegisterImage& from)
{
    regs::RegisterImage e = from; // some registers keep their value
    e.reset();
    return e.bytes;
}

} // namespace

class TestBoardResets : public QObject {
    Q_OBJECT
private slots:
    void masterReset_data();
    void masterReset();
    void failuresReported();
    void softResetPulsesBitSix_data();
    void softResetPulsesBitSix();
    void reconnect_data();
    void reconnect();
};

void TestBoardResets::masterReset_data()
{
    QTest::addColumn<bool>("open");
    QTest::newRow("board") << true;
    QTest::newRow("board gone") << false; // the defaults all the same
}

void TestBoardResets::masterReset()
{
    QFETCH(bool, open);
    BoardRig rig;
    rig.start();
    rig.board.WriteRegister(0x41, 0x12);
    rig.board.WriteRegister(0x4A, 0x10);
    if (!open) {
        rig.sim.setPresent(false);
        rig.board.reconnect(evm::Role::Slave, evm::Role::Slave);
        QVERIFY(!rig.board.isOpen());
    }
    rig.clear();

    rig.board.masterReset();
    QCOMPARE(rig.sim.chipWrites(), open ? QStringList{"40=40"} : QStringList{});
    QCOMPARE(rig.history, open ? QStringList{"0x40, 0x40"} : QStringList{});
    QCOMPARE(rig.events, (QStringList{kBusy, "wait 1000", "reset", "ended"}));
    QVERIFY(rig.board.image().bytes == defaultsFrom(rig.board.image()));
    QCOMPARE(rig.board.image().at(0x41), 0x00);
    QCOMPARE(rig.board.image().at(0x4A), 0xFF);
    QVERIFY(rig.reports.isEmpty());
    if (!open) {
        QVERIFY(rig.sim.trace().isEmpty());
        return;
    }
    QCOMPARE(rig.sim.reg(0x41), 0x00); // the chip reset itself
    QVERIFY(!rig.board.transport().writesHeld());
    QVERIFY(rig.board.logsHistory());
    rig.board.WriteRegister(0x42, 0x01); // sent and logged as before
    QCOMPARE(rig.history.last(), QString("0x42, 0x01"));
    QCOMPARE(rig.sim.reg(0x42), 0x01);
}

// A failed reset request is reported, and forgotten: the next failure within
// the same operation is reported again. A reconnect reports the failures of the
// board set-up, one each, and not that of its reset request.
void TestBoardResets::failuresReported()
{
    BoardRig rig;
    rig.start();
    rig.sim.failWrite(0, 0x40, 0x21);
    rig.sim.failWrite(7, 0x0B, 0x05);
    rig.sim.failWrite(7, 0x36, 0x06);
    rig.board.operation([&] {
        rig.board.masterReset();
        rig.board.masterReset();
    });
    QCOMPARE(rig.reportTexts(), QStringList(2, "Communication error: WRERR0021"));
    QVERIFY(!rig.board.transport().errorReported());
    rig.clear();
    rig.board.operation([&] { rig.board.reconnect(evm::Role::Slave, evm::Role::Slave); });
    QCOMPARE(rig.reportTexts(),
             (QStringList{"Communication error: SPERR0005", "Communication error: SPERR0006"}));
    QVERIFY(!rig.board.transport().errorReported());
}

void TestBoardResets::softResetPulsesBitSix_data()
{
    QTest::addColumn<int>("image40");
    QTest::addColumn<QString>("sent");
    QTest::newRow("plain") << 0xC0 << "80";
    QTest::newRow("analog-mute bits") << 0xFC << "BC";
}

void TestBoardResets::softResetPulsesBitSix()
{
    QFETCH(int, image40);
    QFETCH(QString, sent);
    BoardRig rig;
    rig.start();
    rig.board.WriteRegister(0x40, image40 & 0x3F);
    QCOMPARE(int(rig.board.image().at(0x40)), image40);
    rig.clear();
    const auto image = rig.board.image().bytes;

    rig.board.softReset();
    QCOMPARE(rig.sim.chipWrites(), QStringList{"40=" + sent});
    QCOMPARE(rig.history, QStringList{"0x40, 0x" + sent});
    QVERIFY(rig.board.image().bytes == image); // bit 6 reads back as 1
    QVERIFY(rig.events.isEmpty());             // no wait, no busy window
}

void TestBoardResets::reconnect_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QStringList>("trace");
    QTest::addColumn<bool>("open");
    const QString reset = "write ch=0 addr=0x40 data=0x40 -> 0x0";
    // The roles are the ones the caller gives: DAC master, ADC slave.
    const QStringList setup = SimBoard::boardSetup(evm::Role::Master, evm::Role::Slave);
    QTest::newRow("board answers") << ""
                                   << QStringList{"close", "init port=0 kind=1 addr=0x4C -> 1", reset} + setup
                                   << true;
    QTest::newRow("new address") << "new address"
                                 << QStringList{"close", "init port=0 kind=1 addr=0x4E -> 1", reset} + setup
                                 << true;
    QTest::newRow("attached later") << "attached later"
                                    << QStringList{"close", "init port=0 kind=1 addr=0x4C -> 1", reset} +
                                           setup
                                    << true;
    QTest::newRow("board gone") << "gone" << QStringList{"close", "init port=0 kind=1 addr=0x4C -> 0"}
                                << false;
    QTest::newRow("no library") << "no library" << QStringList{} << false;
}

void TestBoardResets::reconnect()
{
    QFETCH(QString, situation);
    QFETCH(QStringList, trace);
    QFETCH(bool, open);
    BoardRig rig;
    evm::StartOptions o;
    if (situation == "no library") o.library = "NoSuchLib";
    if (situation == "new address") rig.sim.setStrap(0x4E); // not where the settings say
    rig.sim.setPresent(situation != "attached later");
    rig.start(kIic, o);
    rig.board.WriteRegister(0x41, 0x12);
    if (situation == "new address") rig.board.changeAddress(2);
    rig.sim.setPresent(situation != "gone");
    const auto image = rig.board.image().bytes;
    rig.clear();

    rig.board.reconnect(evm::Role::Master, evm::Role::Slave);
    QCOMPARE(rig.sim.trace(), trace);
    QStringList events;
    if (!trace.isEmpty()) events << kBusy << "wait 1000" << kBusy;
    if (open)
        events << "connection 1"
               << "reset"
               << "ended";
    if (situation == "gone")
        events << "ended"
               << "connection 0"
               << "report No EVM was foud"; // sic
    QCOMPARE(rig.events, events);
    QCOMPARE(rig.board.isOpen(), open);
    QVERIFY(rig.history.isEmpty());
    if (!open) {
        if (!rig.reports.isEmpty()) {
            QCOMPARE(rig.reports[0].category, evm::ReportCategory::Connection);
            QCOMPARE(rig.reports[0].caption, QString("Error"));
        }
        QVERIFY(rig.board.image().bytes == image);
        QVERIFY(rig.board.transport().writesHeld() && !rig.board.logsHistory());
        return;
    }
    QVERIFY(rig.board.image().bytes == defaultsFrom(rig.board.image()));
    QVERIFY(!rig.board.transport().writesHeld() && rig.board.logsHistory());
    QVERIFY(!rig.board.transport().errorReported());
    LinkSettings ls{};
    QVERIFY(rig.sim.lastSettings(&ls));
    QCOMPARE(ls.deviceAddress, rig.board.deviceAddress());
    // Ready: the chip answers reads, and a write reaches it and the history.
    rig.board.ReadRegister(0x41);
    rig.board.WriteRegister(0x41, 0x03);
    QCOMPARE(rig.sim.reg(0x41), 0x03);
    QCOMPARE(rig.history, QStringList{"0x41, 0x03"});
    QVERIFY(rig.reports.isEmpty());
}

QTEST_GUILESS_MAIN(TestBoardResets)
#include "tst_boardresets.moc"
