// The start-up sequence and close, seen from the board and from the user.

#include "fixture.h"
#include "globals.h"
#include "splashform.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QtTest>

namespace {

QStringList boardSetup(bool dacSlave = true, bool adcSlave = true)
{
    const QString d = dacSlave ? "0x01" : "0x00", a = adcSlave ? "0x01" : "0x00";
    return {"write ch=7 addr=0x00 data=0x00 -> 0x0",      "write ch=7 addr=0x04 data=0x01 -> 0x0",
            "write ch=7 addr=0x0B data=0x55 -> 0x0",      "write ch=7 addr=0x0C data=0x55 -> 0x0",
            "write ch=7 addr=0x0D data=0x55 -> 0x0",      "write ch=7 addr=0x0E data=0x55 -> 0x0",
            "write ch=7 addr=0x0F data=0x55 -> 0x0",      "write ch=7 addr=0x35 data=0x01 -> 0x0",
            "write ch=7 addr=0x37 data=" + d + " -> 0x0", "write ch=7 addr=0x34 data=" + a + " -> 0x0",
            "write ch=7 addr=0x36 data=" + a + " -> 0x0"};
}

int connectionIndex(TForm1* f)
{
    return f->imgConnection->property("connectionIndex").toInt();
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void noLibrary();
    void libraryWithoutGetVer();
    void noBoard();
    void iicReadsBackEveryRegisterInOrder();
    void spiLoadsDefaultsWithoutReading();
    void onlyTheFirstFailedReadIsReported();
    void everyFailedBoardSetupWriteIsReported();
    void splashFollowsTheSequence();
    void closeFlushesAndClosesOnce();
};

void TestStartup::noLibrary()
{
    AppFixture app("HxBusNotInstalled");
    app.start();
    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(app.dialogs.shown[0].kind, QString("error"));
    QCOMPARE(app.dialogs.shown[0].text, QString("Cannot load DLL"));
    QCOMPARE(app.dialogs.shown[0].caption, QString("DLL error"));
    TForm1* f = app.form();
    QVERIFY(!SplashForm->isVisible());
    QCOMPARE(f->StatusBar1->currentMessage(), QString());
    QVERIFY(f->imgConnection->pixmap().isNull());
    QCOMPARE(f->board().port(), 0);
    QVERIFY(f->board().transport().writesHeld());
    QVERIFY(!f->board().logsHistory());
    QVERIFY(std::all_of(f->board().image().bytes.begin(), f->board().image().bytes.end(),
                        [](auto b) { return b == 0; }));
    f->board().WriteRegister(0x41, 5);
    QCOMPARE(f->board().ReadRegister(0x41), 0);
    app.close();
    QVERIFY(app.sim.trace().isEmpty()); // nothing of any library was called
}

void TestStartup::libraryWithoutGetVer()
{
    AppFixture app("HxBusNoVer", "HxBusNoVer");
    app.start();
    QCOMPARE(app.dialogs.texts("error"), QStringList{"Invalid DLL"});
    QCOMPARE(app.dialogs.shown[0].caption, QString("DLL error"));
    TForm1* f = app.form();
    QVERIFY(!f->board().isLibraryLoaded());
    QVERIFY(!f->board().libraryVersion());
    QVERIFY(!SplashForm->isVisible());
    app.close();
    QVERIFY(app.sim.trace().isEmpty()); // neither _init nor _close, not even at close
}

void TestStartup::noBoard()
{
    AppFixture app;
    app.sim.setPresent(false);
    app.writeFile("EVM2280.ini", kIic);
    app.writeFile("startup.csv", "0x41, 0x05\n");
    app.start();
    TForm1* f = app.form();
    QCOMPARE(app.dialogs.texts(), QStringList{"No EVM was found"});
    QCOMPARE(app.dialogs.shown[0].caption, QString("Error"));
    QCOMPARE(f->StatusBar1->currentMessage(), QString("No EVM was found"));
    QCOMPARE(connectionIndex(f), 0);
    QVERIFY(!f->imgConnection->pixmap().isNull() || f->ImageList2->images.isEmpty());
    QCOMPARE(app.sim.trace(), QStringList{"init port=0 kind=1 addr=0x4C -> 0"});
    regs::RegisterImage defaults;
    defaults.reset();
    QVERIFY(f->board().image().bytes == defaults.bytes);
    QVERIFY(f->board().transport().writesHeld());
    QVERIFY(!f->board().logsHistory());
    f->board().WriteRegister(0x41, 0x05); // no board: nothing at all happens
    QCOMPARE(f->board().image().at(0x41), 0);
    QVERIFY(f->Memo1->toPlainText().isEmpty());
    app.close();
    QCOMPARE(app.sim.traceOf("close").size(), 1);
}

void TestStartup::iicReadsBackEveryRegisterInOrder()
{
    AppFixture app;
    app.writeFile("EVM2280.ini", kIic);
    app.sim.setRegister(0x40, 0x05);
    app.sim.setRegister(0x56, 0xFF);
    app.sim.setOverflowFlags(0x3F);
    app.sim.setZeroFlags(0xA5);
    app.sim.setRegister(0x43, 0x10);
    app.start();
    TForm1* f = app.form();
    QVERIFY(app.dialogs.shown.isEmpty());
    const QStringList t = app.sim.trace();
    QCOMPARE(t.first(), QString("init port=0 kind=1 addr=0x4C -> 1"));
    QCOMPARE(t.mid(1, 11), boardSetup());
    QStringList reads;
    for (int r = 0x40; r <= 0x5E; ++r) reads << "read ch=0 addr=0x" + QString::number(r, 16).toUpper();
    QCOMPARE(t.size() >= 12 + 31, true);
    for (int i = 0; i < 31; ++i) QVERIFY2(t[12 + i].startsWith(reads[i]), qPrintable(t[12 + i]));
    QCOMPARE(f->board().image().at(0x40), 0xC5);
    QCOMPARE(f->board().image().at(0x45), 0x00);
    QCOMPARE(f->board().image().at(0x56), 0xC0);
    QCOMPARE(f->board().image().at(0x43), 0x10);
    QCOMPARE(f->StatusBar1->currentMessage(), QString("Ready"));
    QCOMPARE(connectionIndex(f), 1);
    QCOMPARE(f->board().port(), 1);
    QVERIFY(!f->board().transport().writesHeld());
    QVERIFY(f->board().logsHistory());
    QVERIFY(f->Memo1->toPlainText().isEmpty()); // the refresh at start-up logs nothing
    QStatusTipEvent tip(QString{});             // what passing over a menu item sends
    QCoreApplication::sendEvent(f, &tip);
    QCOMPARE(f->StatusBar1->currentMessage(), QString("Ready"));
}

void TestStartup::spiLoadsDefaultsWithoutReading()
{
    AppFixture app; // no settings file: SPI
    app.sim.setRegister(0x41, 0x77);
    app.start();
    TForm1* f = app.form();
    const QStringList t = app.sim.trace();
    QCOMPARE(t.first(), QString("init port=0 kind=3 addr=0x00 -> 1"));
    QCOMPARE(t.mid(1, 11), boardSetup());
    QVERIFY(app.sim.traceOf("read").isEmpty());
    regs::RegisterImage defaults;
    defaults.reset();
    QVERIFY(f->board().image().bytes == defaults.bytes);
    QCOMPARE(f->board().image().at(0x40), 0xC0);
    QVERIFY(f->board().logsHistory());
}

void TestStartup::onlyTheFirstFailedReadIsReported()
{
    AppFixture app;
    app.writeFile("EVM2280.ini", kIic);
    app.sim.failRead(0x42, 0x1F);
    app.sim.failRead(0x47, -5);
    app.start();
    QCOMPARE(app.dialogs.texts(),
             QStringList{"Communication error: RDERR001F\nPlease check interface setting."});
    QCOMPARE(app.dialogs.shown[0].kind, QString("message"));
    QCOMPARE(app.dialogs.shown[0].caption, QString("EVM control application"));
    QCOMPARE(app.sim.traceOf("read").size(), 31); // the read-back goes on
    QVERIFY(app.form()->board().transport().errorReported());
}

void TestStartup::everyFailedBoardSetupWriteIsReported()
{
    AppFixture app;
    app.sim.failWrite(7, 0x0C, 6);
    app.sim.failWrite(7, 0x36, -1);
    app.start();
    QCOMPARE(app.dialogs.texts(),
             (QStringList{"Communication error: SPERR0006", "Communication error: SPERRFFFFFFFF"}));
    QVERIFY(!app.form()->board().transport().errorReported());
    QCOMPARE(app.sim.traceOf("write ch=7").size(), 11);
}

void TestStartup::splashFollowsTheSequence()
{
    AppFixture app;
    app.writeFile("EVM2280.ini", kIic);
    app.sim.failRead(0x50, 0x21);
    bool visible = false;
    QString text;
    int max = -1, pos = -1;
    app.dialogs.onShow = [&](const RecordingDialogs::Shown&) {
        visible = SplashForm->isVisible();
        text = SplashForm->Label1->text();
        max = SplashForm->ProgressBar1->maximum();
        pos = SplashForm->ProgressBar1->value();
    };
    app.start();
    QVERIFY(visible); // the read error appears while the splash is up
    QCOMPARE(text, QString("Initializing..."));
    QCOMPARE(max, 30);
    QCOMPARE(pos, 0x50 - 0x40);
    QVERIFY(!SplashForm->isVisible());
}

void TestStartup::closeFlushesAndClosesOnce()
{
    AppFixture app;
    app.start();
    app.sim.clearTrace();
    app.close();
    QCOMPARE(app.sim.trace(), QStringList{"close"});
    QVERIFY(!app.form()->board().isLibraryLoaded());
    QVERIFY(app.form()->board().isClosed());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
