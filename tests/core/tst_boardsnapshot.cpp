// The register snapshot: the chip's 31 registers read, then saved as a script
// that replays them; the question before a file is replaced; a board that is
// not there or does not answer.

#include "apperror.h"
#include "simfixture.h"

#include <QDir>
#include <QtTest>

namespace {
const QString kExists = QStringLiteral(
    "question File exits: The file you specified is already exists.\nAre you sure you want to save?"); // sic

// The file the chip's registers give, read from the simulator itself.
QByteArray chipFile(SimBoard& sim)
{
    QByteArray out;
    for (int a = 0x40; a <= 0x5E; ++a)
        out += QString::asprintf("0x%02X, 0x%02X\r\n", a, sim.reg(a)).toLatin1();
    return out;
}

QStringList readAddresses(SimBoard& sim)
{
    QStringList out;
    for (const QString& l : sim.traceOf("read")) out << l.section(' ', 2, 2);
    return out;
}

QStringList allAddresses()
{
    QStringList out;
    for (int a = 0x40; a <= 0x5E; ++a) out << QString::asprintf("addr=0x%02X", a);
    return out;
}

// The report of a failed save, or "" when it worked.
QString saveError(BoardRig& rig, const QString& path)
{
    try {
        rig.board.saveSnapshot(path);
    } catch (const AppError& e) {
        return e.text();
    }
    return {};
}
} // namespace

class TestBoardSnapshot : public QObject {
    Q_OBJECT
private slots:
    void save_data();
    void save();
    void failedSaveKeepsWhatWasThere();
    void replaysAsScript();
};

void TestBoardSnapshot::save_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("failingReads");
    QTest::newRow("new file") << true << false << false << false;
    QTest::newRow("replaced: yes") << true << true << true << false;
    QTest::newRow("replaced: no") << true << true << false << false;
    // Only the first failed read is reported, and the file is saved all the same.
    QTest::newRow("failing reads") << true << false << false << true;
    // No register can be read: nothing is saved as if it had been, nothing asked.
    QTest::newRow("no board") << false << true << true << false;
}

void TestBoardSnapshot::save()
{
    QFETCH(bool, present);
    QFETCH(bool, exists);
    QFETCH(bool, answer);
    QFETCH(bool, failingReads);
    BoardRig rig;
    rig.sim.setPresent(present);
    rig.start();
    rig.board.WriteRegister(0x41, 0x0A);
    rig.board.WriteRegister(0x5E, 0xB7);
    {
        evm::Board::Quiet unsent(rig.board, evm::Board::Quiet::Writes);
        rig.board.WriteRegister(0x42, 0x77); // the image is not what is saved
    }
    const QByteArray old("0x40, 0xC0\nhand-made\r\n\x01\xFF");
    if (exists) rig.writeFile("snap.csv", old);
    if (failingReads) {
        rig.sim.failRead(0x45, 0x22);
        rig.sim.failRead(0x50, 0x23);
    }
    rig.answers << answer;
    rig.clear();
    const auto image = rig.board.image().bytes;

    const bool saved = present && (!exists || answer);
    bool result = false;
    rig.board.operation([&] { result = rig.board.saveSnapshot(rig.path("snap.csv")); });
    QCOMPARE(result, saved);
    // Asked before any register is read; a read error reported once.
    QStringList events;
    if (!present) events << "report No EVM was found";
    if (present && exists) events << kExists;
    if (failingReads) events << "report Communication error: RDERR0022\nPlease check interface setting.";
    QCOMPARE(rig.events, events);
    if (!present) QCOMPARE(rig.reports[0].caption, QString("Error"));
    QCOMPARE(readAddresses(rig.sim), saved ? allAddresses() : QStringList{});
    const QByteArray file = rig.readFile("snap.csv");
    if (!saved) QCOMPARE(file, old);
    if (saved && !failingReads) QCOMPARE(file, chipFile(rig.sim));
    if (saved) {
        QCOMPARE(file.count("\r\n"), 31);
        QVERIFY(file.contains("\r\n0x41, 0x0A\r\n"));
        QVERIFY(file.endsWith("\r\n0x5E, 0xB7\r\n"));
        QVERIFY(!file.contains("0x42, 0x77"));
        QVERIFY(!failingReads || file.contains("\r\n0x45, 0x00\r\n"));
    }
    QVERIFY(rig.sim.chipWrites().isEmpty());
    QVERIFY(rig.board.image().bytes == image);
}

// A folder in the target's place, or a path under a plain file: the save fails
// for root as well, is reported with the file's name, and what was there stays.
void TestBoardSnapshot::failedSaveKeepsWhatWasThere()
{
    BoardRig rig;
    rig.start({}); // no settings file in the folder
    QVERIFY(QDir().mkdir("snap.csv"));
    rig.writeFile("snap.csv/keep.txt", "kept\r\n");
    rig.writeFile("plain", "plain file\r\n");
    rig.answers << true;
    for (const QString& path : {rig.path("snap.csv"), rig.path("plain/snap.csv")}) {
        const QString error = saveError(rig, path);
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    }
    QCOMPARE(rig.readFile("snap.csv/keep.txt"), QByteArray("kept\r\n"));
    QCOMPARE(rig.readFile("plain"), QByteArray("plain file\r\n"));
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"plain"});
}

void TestBoardSnapshot::replaysAsScript()
{
    BoardRig rig;
    rig.start();
    rig.board.WriteRegister(0x43, 0x81);
    rig.board.WriteRegister(0x47, 0x3C);
    rig.board.WriteRegister(0x58, 0x0A);
    rig.board.saveSnapshot(rig.path("snap.csv"));
    const QByteArray saved = rig.readFile("snap.csv");

    // Move the chip away from the saved state, then replay.
    rig.board.WriteRegister(0x43, 0x00);
    rig.board.WriteRegister(0x47, 0x00);
    rig.clear();
    rig.board.runScript(rig.path("snap.csv"));
    QVERIFY(rig.reports.isEmpty());
    QStringList expected;
    for (const QByteArray& line : saved.split('\n'))
        if (!line.isEmpty()) expected << QString::fromLatin1(line.mid(2, 2) + "=" + line.mid(8, 2));
    QCOMPARE(expected.size(), 31);
    QCOMPARE(rig.sim.chipWrites(), expected);
    QCOMPARE(rig.sim.reg(0x43), 0x81);
    QCOMPARE(rig.sim.reg(0x47), 0x3C);
}

QTEST_GUILESS_MAIN(TestBoardSnapshot)
#include "tst_boardsnapshot.moc"
