// The register snapshot: File > Save register snapshot.

#include "fixture.h"

#include <QAction>
#include <QDir>
#include <QtTest>

namespace {

const QString kExists =
    QStringLiteral("The file you specified is already exists.\nAre you sure you want to save?");

void startClean(AppFixture& app)
{
    app.start();
    app.sim.clearTrace();
    app.dialogs.clear();
}

void saveSnapshot(AppFixture& app)
{
    app.form()->findChild<QAction*>("SaveRegisterDump")->trigger();
}

// The file the chip's registers should give, read from the simulator itself.
QByteArray expectedFile(AppFixture& app)
{
    QByteArray out;
    for (int a = 0x40; a <= 0x5E; ++a)
        out += QByteArray("0x") + QByteArray::number(a, 16).toUpper() + ", 0x" +
               QByteArray::number(app.sim.reg(a), 16).toUpper().rightJustified(2, '0') + "\r\n";
    return out;
}

QStringList readAddresses(AppFixture& app)
{
    QStringList out;
    for (const QString& l : app.sim.traceOf("read")) out << l.section(' ', 2, 2);
    return out;
}

QStringList allAddresses()
{
    QStringList out;
    for (int a = 0x40; a <= 0x5E; ++a) out << QStringLiteral("addr=0x") + QString::number(a, 16).toUpper();
    return out;
}

} // namespace

class TestSnapshot : public QObject {
    Q_OBJECT
private slots:
    void savesTheChipsAnswers();
    void withoutBoardSavesNothing();
    void readErrorStillSaves();
    void overwriteQuestion_data();
    void overwriteQuestion();
    void cancelDoesNothing();
    void failedSaveKeepsOldFile();
    void replaysAsScript();
};

void TestSnapshot::savesTheChipsAnswers()
{
    AppFixture app;
    startClean(app);
    evm::Board::Quiet quiet(app.form()->board(), evm::Board::Quiet::History);
    app.form()->board().WriteRegister(0x41, 0x0A);
    app.form()->board().WriteRegister(0x5E, 0xB7);
    {
        evm::Board::Quiet unsent(app.form()->board(), evm::Board::Quiet::Writes);
        app.form()->board().WriteRegister(0x42, 0x77); // the image is not what is saved
    }
    app.sim.clearTrace();
    const auto image = app.form()->board().image().bytes;

    app.dialogs.saveAnswers << app.path("snap.csv");
    saveSnapshot(app);

    QCOMPARE(app.dialogs.texts(), QStringList{"CSV|*.csv|All files|*.*"}); // the save dialog, no question
    const QByteArray file = app.readFile("snap.csv");
    QCOMPARE(file, expectedFile(app));
    QCOMPARE(file.count("\r\n"), 31);
    QVERIFY(file.startsWith("0x40, 0x"));
    QVERIFY(file.contains("\r\n0x41, 0x0A\r\n"));
    QVERIFY(file.endsWith("\r\n0x5E, 0xB7\r\n"));
    QVERIFY(!file.contains("0x42, 0x77"));
    QCOMPARE(readAddresses(app), allAddresses());
    QVERIFY(app.sim.chipWrites().isEmpty());
    QCOMPARE(app.form()->board().image().bytes, image);
}

// Without a board no register can be read: nothing is saved as if it had been.
void TestSnapshot::withoutBoardSavesNothing()
{
    AppFixture app;
    app.sim.setPresent(false);
    startClean(app);
    app.writeFile("snap.csv", "kept");
    app.dialogs.saveAnswers << app.path("snap.csv");
    saveSnapshot(app);
    QCOMPARE(app.dialogs.texts(), QStringList{"No EVM was found"});
    QCOMPARE(app.dialogs.shown[0].caption, QString("Error"));
    QCOMPARE(app.readFile("snap.csv"), QByteArray("kept"));
    QVERIFY(app.sim.trace().isEmpty());
}

void TestSnapshot::readErrorStillSaves()
{
    AppFixture app;
    startClean(app);
    app.sim.failRead(0x45, 0x22);
    app.sim.failRead(0x50, 0x23);
    app.dialogs.saveAnswers << app.path("snap.csv");
    saveSnapshot(app);
    QCOMPARE(app.dialogs.texts("message"),
             QStringList{"Communication error: RDERR0022\nPlease check interface setting."});
    const QByteArray file = app.readFile("snap.csv");
    QCOMPARE(file.count("\r\n"), 31);
    QVERIFY(file.contains("\r\n0x45, 0x00\r\n"));
    QCOMPARE(readAddresses(app).size(), 31);
}

void TestSnapshot::overwriteQuestion_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("no") << false;
    QTest::newRow("yes") << true;
}

void TestSnapshot::overwriteQuestion()
{
    QFETCH(bool, answer);
    AppFixture app;
    startClean(app);
    const QByteArray old("0x40, 0xC0\nhand-made\r\n\x01\xFF");
    app.writeFile("snap.csv", old);
    app.dialogs.saveAnswers << app.path("snap.csv");
    app.dialogs.questionAnswers << answer;
    saveSnapshot(app);
    QCOMPARE(app.dialogs.texts("question"), QStringList{kExists});
    QCOMPARE(app.dialogs.shown.last().caption, QString("File exits"));
    if (answer) {
        QCOMPARE(app.readFile("snap.csv"), expectedFile(app));
        QCOMPARE(readAddresses(app).size(), 31);
    } else {
        QCOMPARE(app.readFile("snap.csv"), old);
        QVERIFY(app.sim.trace().isEmpty()); // no register read
    }
}

void TestSnapshot::cancelDoesNothing()
{
    AppFixture app;
    startClean(app);
    saveSnapshot(app);
    QCOMPARE(app.dialogs.shown.size(), 1);
    QVERIFY(app.sim.trace().isEmpty());
    QCOMPARE(QDir().entryList(QDir::Files), QStringList{});
}

// The target taken by a folder: the save fails for root as well, is reported
// with the file's name, and the folder and what it holds stay.
void TestSnapshot::failedSaveKeepsOldFile()
{
    AppFixture app;
    startClean(app);
    QVERIFY(QDir().mkdir("snap.csv"));
    app.writeFile("snap.csv/keep.txt", "kept\r\n");
    app.writeFile("plain", "plain file\r\n");
    app.dialogs.saveAnswers << app.path("snap.csv") << app.path("plain/snap.csv");
    app.dialogs.questionAnswers << true;
    saveSnapshot(app);
    saveSnapshot(app);
    const QStringList errors = app.dialogs.texts("general");
    QCOMPARE(errors.size(), 2);
    QVERIFY2(errors[0].contains(QDir::toNativeSeparators(app.path("snap.csv"))), qPrintable(errors[0]));
    QVERIFY2(errors[1].contains(QDir::toNativeSeparators(app.path("plain/snap.csv"))), qPrintable(errors[1]));
    QCOMPARE(app.readFile("snap.csv/keep.txt"), QByteArray("kept\r\n"));
    QCOMPARE(app.readFile("plain"), QByteArray("plain file\r\n"));
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"plain"});
}

void TestSnapshot::replaysAsScript()
{
    AppFixture app;
    startClean(app);
    evm::Board::Quiet quiet(app.form()->board(), evm::Board::Quiet::History);
    app.form()->board().WriteRegister(0x43, 0x81);
    app.form()->board().WriteRegister(0x47, 0x3C);
    app.form()->board().WriteRegister(0x58, 0x0A);
    app.dialogs.saveAnswers << app.path("snap.csv");
    saveSnapshot(app);
    const QByteArray saved = app.readFile("snap.csv");

    // Move the chip away from the saved state, then replay.
    app.form()->board().WriteRegister(0x43, 0x00);
    app.form()->board().WriteRegister(0x47, 0x00);
    app.sim.clearTrace();
    app.dialogs.clear();
    app.form()->RunScript(app.path("snap.csv"), true);
    QCOMPARE(app.dialogs.shown.size(), 0);

    QStringList expected;
    for (const QByteArray& line : saved.split('\n')) {
        if (line.isEmpty()) continue;
        expected << QString::fromLatin1(line.mid(2, 2) + "=" + line.mid(8, 2));
    }
    QCOMPARE(expected.size(), 31);
    QCOMPARE(app.sim.chipWrites().mid(0, 31), expected);
    QCOMPARE(app.sim.reg(0x43), 0x81);
    QCOMPARE(app.sim.reg(0x47), 0x3C);
}

QTEST_MAIN(TestSnapshot)
#include "tst_snapshot.moc"
