// The board core without windows: transport, its flags and reports, and the
// texts it uses, against the simulator.

#include "board.h"
#include "linktext.h"
#include "simfixture.h"

#include <QtTest>

namespace {
// A board over the simulator's IIC link, started, with nothing collected yet.
struct Rig : BoardRig {
    Rig()
    {
        start();
        clear();
    }
};
} // namespace

class TestBoard : public QObject {
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void suppressedWritesStillMirrorAndLog();
    void registerErrorsShareOneReport();
    void everyBoardControlFailureIsReported();
    void failedWriteIsStillMirroredAndLogged();
    void addressesOutsideTheImageReachTheChip();
    void valueAboveAByte();
};

void TestBoard::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("write 31") << evmlink::writeErrorText(31) << "Communication error: WRERR001F";
    QTest::newRow("five digits") << evmlink::writeErrorText(0x12345) << "Communication error: WRERR12345";
    QTest::newRow("negative") << evmlink::boardErrorText(-2) << "Communication error: SPERRFFFFFFFE";
    QTest::newRow("read hint") << evmlink::readErrorText(0xAB)
                               << "Communication error: RDERR00AB\nPlease check interface setting.";
    QTest::newRow("record") << evmlink::recordLine(0x4A, 10) << "0x4A, 0x0A";
    QTest::newRow("record wide") << evmlink::recordLine(0x41, 0x1FF) << "0x41, 0x1FF";
    QTest::newRow("record negative") << evmlink::recordLine(0x41, unsigned(-1)) << "0x41, 0xFFFFFFFF";
}

void TestBoard::texts()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void TestBoard::suppressedWritesStillMirrorAndLog()
{
    Rig app;
    app.sim.clearTrace();
    {
        evm::Board::Quiet quiet(app.board, evm::Board::Quiet::Writes);
        app.board.WriteRegister(0x43, 0x81);
        app.board.routeClock(evm::Converter::Dac, evm::Role::Master);
        QCOMPARE(int(app.board.ReadRegister(0x48)), 0xFF); // reads are never suppressed
    }
    QCOMPARE(int(app.board.image().at(0x43)), 0x81);
    QCOMPARE(app.history, QStringList{"0x43, 0x81"});
    QCOMPARE(app.sim.trace(), QStringList{"read ch=0 addr=0x48 -> 0xFF rc=0x0"});
    QCOMPARE(app.sim.reg(0x43), 0x00);
    {
        evm::Board::Quiet quiet(app.board, evm::Board::Quiet::History);
        app.board.WriteRegister(0x43, 0x82);
    }
    QCOMPARE(app.history, QStringList{"0x43, 0x81"});
    QCOMPARE(app.sim.reg(0x43), 0x82);
}

void TestBoard::registerErrorsShareOneReport()
{
    Rig app;
    app.sim.failWrite(0, -1, 0x1F);
    app.sim.failRead(-1, 0x22);
    app.board.operation([&] {
        app.board.WriteRegister(0x41, 1);
        app.board.WriteRegister(0x42, 2);
        app.board.ReadRegister(0x41);
    });
    QCOMPARE(app.reportTexts(), QStringList{"Communication error: WRERR001F"});
    QCOMPARE(app.reports.value(0).category, evm::ReportCategory::Communication);
    app.board.operation([&] { app.board.ReadRegister(0x41); });
    QCOMPARE(app.reportTexts().last(),
             QString("Communication error: RDERR0022\nPlease check interface setting."));
    QCOMPARE(app.reports.size(), 2);
}

void TestBoard::everyBoardControlFailureIsReported()
{
    Rig app;
    app.sim.failWrite(7, 0x37, 2);
    app.sim.failWrite(0, 0x41, 3);
    app.board.operation([&] {
        // A board-control report takes no register report's place, and is
        // made whatever register report came before.
        app.board.routeClock(evm::Converter::Dac, evm::Role::Slave);
        app.board.WriteRegister(0x41, 1);
        app.board.routeClock(evm::Converter::Dac, evm::Role::Master);
        app.board.WriteRegister(0x41, 1);
    });
    QCOMPARE(app.reportTexts(),
             (QStringList{"Communication error: SPERR0002", "Communication error: WRERR0003",
                          "Communication error: SPERR0002"}));
}

void TestBoard::failedWriteIsStillMirroredAndLogged()
{
    Rig app;
    app.sim.failWrite(0, 0x44, 0x33);
    app.board.WriteRegister(0x44, 0x0F);
    QCOMPARE(int(app.board.image().at(0x44)), 0x0F);
    QCOMPARE(app.history, QStringList{"0x44, 0x0F"});
    QCOMPARE(app.sim.reg(0x44), 0x00);
    QCOMPARE(app.reportTexts(), QStringList{"Communication error: WRERR0033"});
}

void TestBoard::addressesOutsideTheImageReachTheChip()
{
    Rig app;
    app.sim.clearTrace();
    const auto before = app.board.image().bytes;
    app.board.WriteRegister(0x3F, 0x12);
    app.board.WriteRegister(0x5F, 0x34);
    QCOMPARE(app.sim.chipWrites(), (QStringList{"3F=12", "5F=34"}));
    QCOMPARE(app.history, (QStringList{"0x3F, 0x12", "0x5F, 0x34"}));
    QVERIFY(app.board.image().bytes == before);
}

void TestBoard::valueAboveAByte()
{
    Rig app;
    app.sim.clearTrace();
    app.board.WriteRegister(0x41, 0x1FF);
    QCOMPARE(app.sim.chipWrites(), QStringList{"41=FF"});
    QCOMPARE(int(app.board.image().at(0x41)), 0xFF);
    QCOMPARE(app.history, QStringList{"0x41, 0xFF"});
}

QTEST_MAIN(TestBoard)
#include "tst_board.moc"
