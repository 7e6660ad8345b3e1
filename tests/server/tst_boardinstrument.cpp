// The SCPI commands over the real board on the simulator, without sockets:
// what reaches the chip, where a field's other bits and its dB mode come
// from, which failure a command reports, the clock roles of a reconnect, and
// a board that is not there.

#include "board.h"
#include "boardinstrument.h"
#include "evmversion.h"
#include "parser.h"
#include "session.h"
#include "simfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace evm::scpi;

namespace {

// A board opened over IIC as the window opens it, its registers read back,
// and one client's session on it.
struct Rig {
    explicit Rig(bool present = true)
    {
        sim.reset();
        sim.setPresent(present);
        QDir::setCurrent(dir.path());
        QFile ini(dir.filePath("EVM2280.ini"));
        if (!ini.open(QIODevice::WriteOnly) || ini.write(kIic) != kIic.size()) qFatal("no settings file");
        ini.close();
        board.wait = [this](int ms) { waits << ms; };
        board.loadSettings();
        board.startUp();
        sim.clearTrace();
    }
    ~Rig() { board.close(); }

    // One program message; its response line without the newline.
    QString run(const QByteArray& message)
    {
        QByteArrayList responses;
        for (const Unit& u : parseMessage(message)) session.run(u.command, &responses);
        return QString::fromUtf8(responses.join(';'));
    }
    QStringList errors()
    {
        QStringList out;
        for (QByteArray e; (e = session.status().takeError()) != "0,\"No error\"";)
            out << QString::fromUtf8(e);
        return out;
    }

    QTemporaryDir dir;
    SimBoard sim;
    evm::Board board;
    BoardInstrument instrument{board};
    Session session{instrument};
    QList<int> waits;
};

// Starts of the error-queue entries, in order.
bool startWith(const QStringList& errors, const QStringList& starts)
{
    if (errors.size() != starts.size()) return false;
    for (qsizetype i = 0; i < errors.size(); ++i)
        if (!errors[i].startsWith(starts[i])) return false;
    return true;
}

const QString kNoField = QStringLiteral("-224,\"Illegal parameter value; No bit field named NOPE\"");
const QString kOutOfRange = QStringLiteral("-222,\"Data out of range; ");
const QString kNoValue = QStringLiteral("-224,\"Illegal parameter value; ");

} // namespace

class TestBoardInstrument : public QObject {
    Q_OBJECT
private slots:
    void registersAndFields_data();
    void registersAndFields();
    void firstFailureIsTheCommands();
    void scriptStopNamesItsLine();
    void resetsAndClockRoles();
    void withoutABoard();
    void busyFollowsTheBoard();
};

void TestBoardInstrument::registersAndFields_data()
{
    QTest::addColumn<QString>("chip"); // registers set on the chip behind the image's back: "46=80"
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("response");
    QTest::addColumn<QStringList>("errors");
    QTest::addColumn<QStringList>("writes");
    const QStringList none;

    QTest::newRow("register") << "" << QByteArray("REG:VAL 0x41,#H35;VAL? 0x41") << "53" << none
                              << QStringList{"41=35"};
    QTest::newRow("dB in 0.5 dB steps")
        << "" << QByteArray("FIELD ATDA1,-10.5dB;FIELD? atda1;FIELD:TEXT? ATDA1")
        << "234;\"ATDA1 = 0xEA (-10.5 dB)\"" << none << QStringList{"48=EA"};
    QTest::newRow("dB mode from the chip") << "46=80" << QByteArray("FIELD ATDA1,-10.5 dB;FIELD:TEXT? ATDA1")
                                           << "\"ATDA1 = 0xF4 (-11.0 dB)\"" << none << QStringList{"48=F4"};
    QTest::newRow("other bits from the chip")
        << "41=80" << QByteArray("FIELD FMTDA,4;FIELD? PSMDA") << "1" << none << QStringList{"41=84"};
    QTest::newRow("no such field") << "" << QByteArray("FIELD NOPE,1;FIELD? NOPE") << ""
                                   << QStringList{kNoField, kNoField} << none;
    QTest::newRow("values the field cannot take")
        << "" << QByteArray("FIELD FMTDA,16;FIELD FMTDA,abc;FIELD FMTDA,-3dB") << ""
        << QStringList{kOutOfRange, kNoValue, kNoValue} << none;
}

void TestBoardInstrument::registersAndFields()
{
    QFETCH(QString, chip);
    QFETCH(QByteArray, message);
    QFETCH(QString, response);
    QFETCH(QStringList, errors);
    QFETCH(QStringList, writes);
    Rig rig;
    for (const QString& pair : chip.split(u' ', Qt::SkipEmptyParts))
        rig.sim.setRegister(pair.section(u'=', 0, 0).toInt(nullptr, 16),
                            pair.section(u'=', 1).toInt(nullptr, 16));
    QCOMPARE(rig.run(message), response);
    const QStringList queued = rig.errors();
    QVERIFY2(startWith(queued, errors), qPrintable(queued.join(u'\n')));
    QCOMPARE(rig.sim.chipWrites(), writes);
}

// A command fails with its first communication error, as the window reports
// one box per action; a field is not written over a register that could not
// be read.
void TestBoardInstrument::firstFailureIsTheCommands()
{
    Rig rig;
    rig.sim.failWrite(0, 0x41, 0x21);
    rig.sim.failRead(0x42, 0x1F);
    rig.sim.failRead(0x43, 0x20);
    QCOMPARE(rig.run("REG:VAL 0x41,1;:REG:DUMP?;:FIELD FMTDA,2;:FIELD FLT,1"), QString());
    QCOMPARE(rig.errors(),
             (QStringList{"-240,\"Hardware error; WRERR0021\"", "-240,\"Hardware error; RDERR001F\"",
                          "-240,\"Hardware error; WRERR0021\"", "-240,\"Hardware error; RDERR001F\""}));
    QCOMPARE(rig.sim.traceOf("write ch=0").size(), 2); // 0x41 twice, never 0x42
}

void TestBoardInstrument::scriptStopNamesItsLine()
{
    Rig rig;
    const QByteArray script = "0x48, 0x10\r\nsleep, 5\r\n0x49, 300\r\n0x4A, 1\r\n";
    QCOMPARE(rig.run("SCR:RUN #2" + QByteArray::number(script.size()) + script), QString());
    QCOMPARE(rig.errors(), QStringList{"-200,\"Execution error; line 3: Invalid register data!\""});
    QCOMPARE(rig.sim.chipWrites(), QStringList{"48=10"});
    QCOMPARE(rig.waits, QList<int>{5});
}

// *RST is the window's MRST; a reconnect sets the board's clocks up for the
// roles of the image's master/slave fields, as the window's boxes show them.
void TestBoardInstrument::resetsAndClockRoles()
{
    Rig rig;
    QCOMPARE(rig.run("FIELD MSAD,1"), QString());
    QCOMPARE(rig.sim.boardControl(0x34), 0); // master: the board drives no clock
    rig.board.routeClock(evm::Converter::Adc, evm::Role::Slave);
    QCOMPARE(rig.run("BOARD:RECO"), QString());
    QCOMPARE(rig.sim.boardControl(0x34), 0);
    QCOMPARE(rig.sim.boardControl(0x36), 0);
    QCOMPARE(rig.sim.boardControl(0x37), 1); // the DAC's field says slave

    QCOMPARE(rig.run("REG:VAL 0x41,5;*RST;VAL? 0x41;*OPC?"), QStringLiteral("0;1"));
    QVERIFY(rig.sim.chipWrites().contains(QStringLiteral("40=40"))); // MRST requested, SRST idle
    QCOMPARE(rig.waits, (QList<int>{1000, 1000}));
    QCOMPARE(rig.errors(), QStringList());
}

// Without a board every board command says so; a reconnect finds one that
// has come since.
void TestBoardInstrument::withoutABoard()
{
    Rig rig(false);
    QCOMPARE(
        rig.run("*IDN?;REG:VAL? 0x41;:FIELD? FMTDA;:FIELD FMTDA,1;:SCR:RUN #14x, 1;*RST;:BOARD:RES:SOFT"),
        QStringLiteral("EVM Controller,ORV2280 EVM,0,") + EVM_VERSION + "/1.1.0.0");
    QCOMPARE(rig.errors(), QStringList(6, QStringLiteral("-241,\"Hardware missing; No EVM was found\"")));
    QCOMPARE(rig.sim.traceOf("write").size() + rig.sim.traceOf("read").size(), 0);

    rig.sim.setPresent(true);
    QCOMPARE(rig.run("BOARD:RECO;INT?;:REG:VAL? 0x41"), QStringLiteral("IIC,76;0"));
    QCOMPARE(rig.errors(), QStringList());
}

// Clients wait while anyone's operation runs and while held.
void TestBoardInstrument::busyFollowsTheBoard()
{
    Rig rig;
    QSignalSpy idle(&rig.instrument, &Instrument::idle);
    rig.board.operation([&] { QVERIFY(rig.instrument.busy()); });
    QCOMPARE(idle.count(), 1);
    QVERIFY(!rig.instrument.busy());
    rig.instrument.holdClients(true);
    QVERIFY(rig.instrument.busy());
    rig.board.operation([] {});
    QCOMPARE(idle.count(), 1);
    rig.instrument.holdClients(false);
    QCOMPARE(idle.count(), 2);
}

QTEST_GUILESS_MAIN(TestBoardInstrument)
#include "tst_boardinstrument.moc"
