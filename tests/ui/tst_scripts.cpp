// Running script files: from the File menu, directly, and at start-up.

#include "fixture.h"

#include "globals.h"
#include "scriptprogress.h"
#include "splashform.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <optional>

namespace {

const QString kCaption = QStringLiteral("Script file error");
const QString kBadRecord = QStringLiteral("Invalid record was found on the Register setting file.");
const QString kBadSleep = QStringLiteral("Invalid sleep time.");
const QString kBadData = QStringLiteral("Invalid register data!");

// The program up with the simulated board, its start-up traffic forgotten.
void startClean(AppFixture& app)
{
    app.start();
    app.sim.clearTrace();
    app.dialogs.clear();
    app.waits.clear();
}

QProgressBar* bar()
{
    return scriptProgress->ProgressBar1;
}

// What the run had done when its error box appeared.
struct AtBox {
    QStringList writes;
    int position = -1;
    bool dialogVisible = false;
};

void watchBoxes(AppFixture& app, AtBox* at)
{
    app.dialogs.onShow = [&app, at](const RecordingDialogs::Shown&) {
        at->writes = app.sim.chipWrites();
        at->position = bar()->value();
        at->dialogVisible = scriptProgress->isVisible();
    };
}

} // namespace

class TestScripts : public QObject {
    Q_OBJECT
private slots:
    void registerLines_data();
    void registerLines();
    void waitLines_data();
    void waitLines();
    void stops_data();
    void stops();
    void fieldlessLinesAreSkipped();
    void communicationErrorDoesNotStop();
    void missingFile();
    void unreadableFileEndsTheRun();
    void emptyFileStillEndsTheRun();
    void endOfRunRefreshLogsNothing();
    void progressFollowsTheLines();
    void progressDialogLayout();
    void openFromMenu();
    void openCancelled();
    void withoutBoard();
    void startupScript_data();
    void startupScript();
    void startupFolderIsNoScript();
    void closeEndsTheStartupScriptsWait();
};

void TestScripts::registerLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("write");
    for (const char* l : {"0x40, 0xC1", "0x40,0xC1", "0x40 0xC1", "64, 193", "$40, $C1", "x40, xC1",
                          "\"0x40\", \"0xC1\"", "\t0x40\t,\t0xC1\t"})
        QTest::newRow(l) << QByteArray(l) << "40=C1";
    QTest::newRow("0xFF accepted") << QByteArray("0x41, 0xFF") << "41=FF";
    QTest::newRow("255 accepted") << QByteArray("0x41, 255") << "41=FF";
    QTest::newRow("remark ignored") << QByteArray("0x41, 0x05, set format") << "41=05";
    QTest::newRow("below the register file") << QByteArray("0x20, 0x01") << "20=01";
    QTest::newRow("above the register file") << QByteArray("0x7F, 0x00") << "7F=00";
}

void TestScripts::registerLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, write);
    AppFixture app;
    startClean(app);
    app.writeFile("s.csv", line + "\r\n");
    app.form()->RunScript("s.csv", true);
    QCOMPARE(app.dialogs.shown.size(), 0);
    const QStringList writes = app.sim.chipWrites();
    QVERIFY(!writes.isEmpty());
    QCOMPARE(writes.first(), write); // the end-of-run refresh may add more after it
}

void TestScripts::waitLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("ms");
    for (const char* l :
         {"SLEEP, 100", "Sleep,100", "sleep 100", "sleep, 0x64", "\"sleep\",\"100\"", "sleep,100,ms"})
        QTest::newRow(l) << QByteArray(l) << 100;
    QTest::newRow("zero") << QByteArray("sleep, 0") << 0;
}

void TestScripts::waitLines()
{
    QFETCH(QByteArray, line);
    QFETCH(int, ms);
    AppFixture app;
    startClean(app);
    app.writeFile("s.csv", line + "\n");
    app.form()->RunScript("s.csv", true);
    QCOMPARE(app.waits, QList<int>{ms});
    QCOMPARE(app.dialogs.shown.size(), 0);
}

void TestScripts::stops_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("stopLine");
    QTest::addColumn<QStringList>("writesBefore");
    const QByteArray head("0x41, 0x01\r\n0x42, 0x02\r\n");
    const QByteArray tail("\r\n0x44, 0x04\r\nsleep, 5\r\n");
    const QStringList two{"41=01", "42=02"};
    auto row = [&](const char* name, const QByteArray& bad, const QString& message) {
        QTest::newRow(name) << head + bad + tail << message << 2 << two;
    };
    row("sleep alone", "sleep", kBadSleep);
    row("sleep fraction", "sleep, 1.5", kBadSleep);
    row("sleep empty field", "sleep,,100", kBadSleep);
    row("sleep negative", "sleep, -1", kBadSleep);
    row("address alone", "0x40", kBadRecord);
    row("empty second field", "0x40,,0x01", kBadRecord);
    row("bad hex digit", "0x4G, 0x01", kBadRecord);
    row("header line", "Address,Data", kBadRecord);
    row("bad address with bad data", "0x4G, 0x100", kBadRecord);
    row("data 0x100", "0x40, 0x100", kBadData);
    row("data 256", "0x40, 256", kBadData);
    row("data -1", "0x40, -1", kBadData);
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF"
                                                   "0x41, 0x01\r\n0x42, 0x02\r\n")
                                     << kBadRecord << 0 << QStringList{};
    QTest::newRow("first line after blank ones")
        << QByteArray("\r\n  \r\nnonsense\r\n0x41, 0x01\r\n") << kBadRecord << 2 << QStringList{};
}

void TestScripts::stops()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, message);
    QFETCH(int, stopLine);
    QFETCH(QStringList, writesBefore);
    AppFixture app;
    startClean(app);
    evm::Board::Quiet quiet(app.form()->board(), evm::Board::Quiet::History);
    app.writeFile("s.csv", script);
    AtBox at;
    watchBoxes(app, &at);
    app.form()->RunScript("s.csv", true);

    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(app.dialogs.shown[0].kind, QString("error"));
    QCOMPARE(app.dialogs.shown[0].text, message);
    QCOMPARE(app.dialogs.shown[0].caption, kCaption);
    QCOMPARE(at.writes, writesBefore); // earlier lines kept, nothing after the stop
    QCOMPARE(at.position, stopLine);
    QVERIFY(at.dialogVisible);
    QVERIFY(app.waits.isEmpty()); // the wait after the stop never ran
    QVERIFY(!app.sim.chipWrites().contains("44=04"));
    // End-of-run steps after a stop.
    QVERIFY(!scriptProgress->isVisible());
    QVERIFY(app.form()->board().logsHistory());
    QCOMPARE(bar()->value(), stopLine);
}

void TestScripts::fieldlessLinesAreSkipped()
{
    AppFixture app;
    startClean(app);
    app.writeFile("s.csv", "\r\n0x41, 0x01\n\n   \r\t\x01\r\n0x42, 0x02\r\n\r\n");
    app.form()->RunScript("s.csv", true);
    QCOMPARE(app.dialogs.shown.size(), 0);
    QCOMPARE(app.sim.chipWrites().mid(0, 2), (QStringList{"41=01", "42=02"}));
    QCOMPARE(bar()->maximum(), 7);
    QCOMPARE(bar()->value(), 6);
}

void TestScripts::communicationErrorDoesNotStop()
{
    AppFixture app;
    startClean(app);
    app.sim.failWrite(0, 0x41, 0x1F);
    app.writeFile("s.csv", "0x41, 0x01\r\n0x41, 0x02\r\n0x42, 0x03\r\n");
    app.form()->board().operation([&] { app.form()->RunScript("s.csv", true); });
    QCOMPARE(app.dialogs.texts(), QStringList{"Communication error: WRERR001F"});
    QVERIFY(app.sim.chipWrites().contains("42=03"));
}

void TestScripts::missingFile()
{
    AppFixture app;
    startClean(app);
    QVERIFY(QDir().mkdir("folder.csv")); // a folder of that name is no script file
    for (bool logging : {false, true})
        for (const char* name : {"nowhere.csv", "folder.csv"}) {
            app.dialogs.clear();
            std::optional<evm::Board::Quiet> quiet;
            if (!logging) quiet.emplace(app.form()->board(), evm::Board::Quiet::History);
            app.form()->RunScript(name, true);
            QCOMPARE(app.dialogs.shown.size(), 1);
            QCOMPARE(app.dialogs.shown[0].kind, QString("error"));
            QCOMPARE(app.dialogs.shown[0].text, QString("File not exist."));
            QCOMPARE(app.dialogs.shown[0].caption, kCaption);
            QCOMPARE(app.form()->board().logsHistory(), logging); // nothing else changes
        }
    QVERIFY(app.sim.trace().isEmpty());
}

// A script file that exists but cannot be read ends the run with its own box.
void TestScripts::unreadableFileEndsTheRun()
{
#ifdef Q_OS_LINUX
    // A regular file whose every read fails, for root as well.
    const QString unreadable = QStringLiteral("/proc/self/mem");
#else
    QSKIP("no file here that exists and cannot be read");
    const QString unreadable;
#endif
    AppFixture app;
    startClean(app);
    evm::Board::Quiet quiet(app.form()->board());
    // The refresh must bring cInvDAC1 into line.
    app.form()->board().WriteRegister(0x43, app.form()->board().image().at(0x43) | 0x01);
    app.form()->RunScript(unreadable, true);
    QCOMPARE(app.dialogs.shown.size(), 1);
    QVERIFY(app.dialogs.shown[0].text.startsWith("Cannot read the script file."));
    QCOMPARE(app.dialogs.shown[0].caption, kCaption);
    QVERIFY(app.form()->board().logsHistory());
    QVERIFY(!scriptProgress->isVisible());
    QVERIFY(app.find<QCheckBox>("cInvDAC1")->isChecked());
}

void TestScripts::emptyFileStillEndsTheRun()
{
    AppFixture app;
    startClean(app);
    app.writeFile("empty.csv", "");
    evm::Board::Quiet quiet(app.form()->board());
    app.form()->board().WriteRegister(0x43, app.form()->board().image().at(0x43) | 0x01);
    QVERIFY(!app.find<QCheckBox>("cInvDAC1")->isChecked());
    app.form()->RunScript("empty.csv", true);
    QCOMPARE(app.dialogs.shown.size(), 0);
    QVERIFY(app.form()->board().logsHistory());
    QVERIFY(!scriptProgress->isVisible());
    QVERIFY(app.find<QCheckBox>("cInvDAC1")->isChecked());
    QCOMPARE(bar()->maximum(), 0);
}

// The refresh at the end rewrites the field whose control changed, but the
// run's writes and that rewrite stay out of the history.
void TestScripts::endOfRunRefreshLogsNothing()
{
    AppFixture app;
    startClean(app);
    auto* memo = app.find<QPlainTextEdit>("Memo1");
    QVERIFY(app.form()->board().logsHistory());
    app.writeFile("s.csv", "0x43, 0x01\r\n");
    app.form()->RunScript("s.csv", true);
    QVERIFY(app.find<QCheckBox>("cInvDAC1")->isChecked());
    QCOMPARE(app.sim.chipWrites().first(), QString("43=01"));
    QCOMPARE(memo->toPlainText(), QString());
    QVERIFY(app.form()->board().logsHistory());
}

void TestScripts::progressFollowsTheLines()
{
    AppFixture app;
    startClean(app);
    QByteArray script;
    for (int i = 0; i < 1000; ++i) script += i == 537 ? "sleep, 3\r\n" : "0x41, 0x01\r\n";
    app.writeFile("long.csv", script);
    int positionAtWait = -1;
    bool visibleAtWait = false;
    double onScreenAtWait = -1;
    app.form()->board().wait = [&](int) {
        positionAtWait = bar()->value();
        visibleAtWait = scriptProgress->isVisible();
        onScreenAtWait = shownOnScreen(scriptProgress); // drawn, bar position included
    };
    app.form()->RunScript("long.csv", true);
    QCOMPARE(bar()->maximum(), 1000);
    QCOMPARE(positionAtWait, 537);
    QVERIFY(visibleAtWait);
    if (onScreenAtWait >= 0) QVERIFY2(onScreenAtWait > 0.98, qPrintable(QString::number(onScreenAtWait)));
    QCOMPARE(bar()->value(), 999);
    QVERIFY(!scriptProgress->isVisible());
    QCOMPARE(scriptProgress->windowTitle(), QString("Script progress"));
}

void TestScripts::progressDialogLayout()
{
    AppFixture app;
    app.create();
    TscriptProgress* d = scriptProgress;
    QCOMPARE(d->windowTitle(), QString("Script progress"));
    QCOMPARE(d->size(), QSize(313, 182));
    QCOMPARE(d->minimumSize(), d->maximumSize());
    QCOMPARE(d->Bevel1->geometry(), QRect(8, 8, 297, 161));
    QCOMPARE(d->Label1->geometry(), QRect(40, 56, 82, 17));
    QCOMPARE(d->Label1->text(), QString("Executing ..."));
    QCOMPARE(d->Label1->font().family(), QString("Arial Black"));
    QCOMPARE(d->Label1->font().pixelSize(), 12);
    QCOMPARE(d->ProgressBar1->geometry(), QRect(40, 88, 233, 17));
    QCOMPARE(d->ProgressBar1->minimum(), 0);
    QCOMPARE(d->ProgressBar1->maximum(), 100);
    d->show();
    QCOMPARE(d->frameGeometry().center(), d->screen()->geometry().center());
    d->hide();
}

void TestScripts::openFromMenu()
{
    AppFixture app;
    startClean(app);
    app.writeFile("menu.csv", "0x44, 0x21\r\nsleep, 9\r\n");
    app.dialogs.openAnswers << app.path("menu.csv");
    bool visibleAtWait = false;
    app.form()->board().wait = [&](int ms) {
        app.waits << ms;
        visibleAtWait = scriptProgress->isVisible();
    };
    app.form()->findChild<QAction*>("Open1")->trigger();
    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(app.dialogs.shown[0].kind, QString("open"));
    QCOMPARE(app.dialogs.shown[0].text, QString("CSV|*.csv|All Files|*.*"));
    QCOMPARE(app.sim.chipWrites().first(), QString("44=21"));
    QCOMPARE(app.waits, QList<int>{9});
    QVERIFY(visibleAtWait);
    QVERIFY(!scriptProgress->isVisible());
}

void TestScripts::openCancelled()
{
    AppFixture app;
    startClean(app);
    evm::Board::Quiet quiet(app.form()->board(), evm::Board::Quiet::History);
    app.form()->findChild<QAction*>("Open1")->trigger();
    QCOMPARE(app.dialogs.texts("open").size(), 1);
    QCOMPARE(app.dialogs.shown.size(), 1);
    QVERIFY(app.sim.trace().isEmpty());
    QVERIFY(!app.form()->board().logsHistory());
}

void TestScripts::withoutBoard()
{
    AppFixture app;
    app.sim.setPresent(false);
    startClean(app);
    QCOMPARE(app.form()->board().port(), 0);
    const auto before = app.form()->board().image().bytes;
    app.writeFile("s.csv", "0x41, 0x33\r\nsleep, 4\r\n0x40\r\n");
    app.form()->RunScript("s.csv", true);
    QCOMPARE(app.dialogs.texts("error"), QStringList{kBadRecord});
    QCOMPARE(app.waits, QList<int>{4});
    QVERIFY(app.sim.trace().isEmpty());
    QCOMPARE(app.form()->board().image().bytes, before);
    QVERIFY(app.form()->board().logsHistory());
}

void TestScripts::startupScript_data()
{
    QTest::addColumn<bool>("board");
    QTest::newRow("board found") << true;
    QTest::newRow("no board") << false;
}

void TestScripts::startupScript()
{
    QFETCH(bool, board);
    AppFixture app;
    app.sim.setPresent(board);
    app.writeFile("startup.csv", "0x44, 0x5A\r\nsleep, 12\r\n0x43, 0x01\r\n");
    app.create();
    QList<int> waits;
    bool dialogShown = false;
    double splashOnScreen = -1;
    app.form()->board().wait = [&](int ms) {
        waits << ms;
        dialogShown = dialogShown || scriptProgress->isVisible();
        splashOnScreen = shownOnScreen(SplashForm);
    };
    app.start();
    auto* memo = app.find<QPlainTextEdit>("Memo1");
    if (board) {
        QCOMPARE(waits, QList<int>{12});
        QVERIFY(!dialogShown);
        if (splashOnScreen >= 0) QVERIFY2(splashOnScreen > 0.98, qPrintable(QString::number(splashOnScreen)));
        QVERIFY(app.sim.chipWrites().contains("44=5A"));
        QCOMPARE(app.sim.reg(0x44), 0x5A);
        QVERIFY(app.find<QCheckBox>("cInvDAC1")->isChecked());
        QCOMPARE(memo->toPlainText(), QString()); // start-up writes are not history
        QVERIFY(app.form()->board().logsHistory());
    } else {
        QVERIFY(waits.isEmpty());
        QVERIFY(!app.find<QCheckBox>("cInvDAC1")->isChecked());
    }
    QVERIFY(!scriptProgress->isVisible());
    QVERIFY(app.dialogs.texts("error") == (board ? QStringList{} : QStringList{"No EVM was found"}));
}

void TestScripts::startupFolderIsNoScript()
{
    AppFixture app;
    QVERIFY(QDir().mkdir("startup.csv"));
    app.start();
    QVERIFY(app.dialogs.shown.isEmpty()); // nothing to run and nothing to say
    QVERIFY(app.form()->board().logsHistory());
}

// A start-up script that waits for ever: closing the window ends the wait at
// once, and the program closes as usual, without running the rest.
void TestScripts::closeEndsTheStartupScriptsWait()
{
    AppFixture app;
    app.realWait = true;
    app.writeFile("EVM2280.ini", kIic);
    app.writeFile("startup.csv", "0x44, 0x5A\r\nsleep 2147483647\r\n0x43, 0x01\r\n");
    app.create();
    bool closedDuringWait = false;
    QTimer::singleShot(50, [&] {
        closedDuringWait = SplashForm->isVisible();
        app.form()->close();
    });
    app.start();
    QVERIFY(closedDuringWait);
    QVERIFY(app.form()->isClosed());
    QCOMPARE(app.sim.chipWrites(), QStringList{"44=5A"});
    QCOMPARE(app.sim.traceOf("close").size(), 1);
    QCOMPARE(app.sim.trace().last(), QString("close"));
    QVERIFY(!SplashForm->isVisible());
    QVERIFY(app.dialogs.shown.isEmpty());
}

QTEST_MAIN(TestScripts)
#include "tst_scripts.moc"
