// Script runs as the window shows them: the File menu, the progress dialog
// drawn during waits, a stop's box over it, the panel after the run, and the
// start-up script under the busy window. (The runs themselves are the
// board's: tests/core/tst_scriptrunner.)

#include "fixture.h"

#include "globals.h"
#include "scriptprogress.h"
#include "splashform.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QtTest>

namespace {
QProgressBar* bar()
{
    return scriptProgress->ProgressBar1;
}
} // namespace

class TestScripts : public QObject {
    Q_OBJECT
private slots:
    void openFromMenu();
    void progressFollowsTheLines();
    void progressDialogLayout();
    void startupScript();
};

// The dialog, drawn during a wait, shows the line the run has reached; a
// stop's box appears over it, with the bar at the line that stopped the run.
void TestScripts::progressFollowsTheLines()
{
    AppFixture app;
    app.startClean();
    QByteArray script;
    for (int i = 0; i < 1000; ++i)
        script += i == 537 ? "sleep, 3\r\n" : i == 998 ? "0x40\r\n" : "0x41, 0x01\r\n";
    app.writeFile("long.csv", script);
    int positionAtWait = -1, positionAtBox = -1;
    bool visibleAtWait = false, visibleAtBox = false;
    double onScreenAtWait = -1;
    app.form()->board().wait = [&](int) {
        positionAtWait = bar()->value();
        visibleAtWait = scriptProgress->isVisible();
        onScreenAtWait = shownOnScreen(scriptProgress); // drawn, bar position included
    };
    app.dialogs.onShow = [&](const RecordingDialogs::Shown&) {
        positionAtBox = bar()->value();
        visibleAtBox = scriptProgress->isVisible();
    };
    app.form()->RunScript("long.csv", true);
    QCOMPARE(bar()->maximum(), 1000);
    QCOMPARE(positionAtWait, 537);
    QVERIFY(visibleAtWait);
    if (onScreenAtWait >= 0) QVERIFY2(onScreenAtWait > 0.98, qPrintable(QString::number(onScreenAtWait)));
    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(app.dialogs.shown[0].kind, QString("error"));
    QCOMPARE(app.dialogs.shown[0].text, QString("Invalid record was found on the Register setting file."));
    QCOMPARE(app.dialogs.shown[0].caption, QString("Script file error"));
    QCOMPARE(positionAtBox, 998);
    QVERIFY(visibleAtBox);
    QCOMPARE(bar()->value(), 998);
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

// From the menu, with its progress shown; the panel follows the image after
// the run without logging the rewrite.
void TestScripts::openFromMenu()
{
    AppFixture app;
    app.startClean();
    app.writeFile("menu.csv", "0x43, 0x01\r\nsleep, 9\r\n");
    {
        evm::Board::Quiet quiet(app.form()->board(), evm::Board::Quiet::History);
        app.form()->findChild<QAction*>("Open1")->trigger(); // cancelled: nothing runs
        QCOMPARE(app.dialogs.texts("open").size(), 1);
        QCOMPARE(app.dialogs.shown.size(), 1);
        QVERIFY(app.sim.trace().isEmpty());
        QVERIFY(!app.form()->board().logsHistory());
    }
    app.dialogs.clear();
    app.dialogs.openAnswers << app.path("menu.csv");
    app.form()->findChild<QAction*>("Open1")->trigger();
    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(app.dialogs.shown[0].kind, QString("open"));
    QCOMPARE(app.dialogs.shown[0].text, QString("CSV|*.csv|All Files|*.*"));
    QCOMPARE(app.sim.chipWrites().first(), QString("43=01"));
    QCOMPARE(app.waits, QList<int>{9});
    QVERIFY(!scriptProgress->isVisible());
    QVERIFY(app.find<QCheckBox>("cInvDAC1")->isChecked());
    QCOMPARE(app.find<QPlainTextEdit>("Memo1")->toPlainText(), QString());
}

// Under the busy window, without the progress dialog; the panel follows it.
void TestScripts::startupScript()
{
    AppFixture app;
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
    QCOMPARE(waits, QList<int>{12});
    QVERIFY(!dialogShown);
    if (splashOnScreen >= 0) QVERIFY2(splashOnScreen > 0.98, qPrintable(QString::number(splashOnScreen)));
    QVERIFY(app.find<QCheckBox>("cInvDAC1")->isChecked());
    QCOMPARE(app.find<QPlainTextEdit>("Memo1")->toPlainText(), QString());
    QVERIFY(!scriptProgress->isVisible());
    QVERIFY(app.dialogs.shown.isEmpty());
}

QTEST_MAIN(TestScripts)
#include "tst_scripts.moc"
