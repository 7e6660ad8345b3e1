// MRST, SRST and Reconnect, seen from the board, the history and the window.

#include "fixture.h"

#include "globals.h"
#include "splashform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

namespace {

QStringList boardSetup(const QString& dac = "0x01", const QString& adc = "0x01")
{
    QStringList out;
    const std::pair<int, QString> writes[] = {{0x00, "0x00"}, {0x04, "0x01"}, {0x0B, "0x55"}, {0x0C, "0x55"},
                                              {0x0D, "0x55"}, {0x0E, "0x55"}, {0x0F, "0x55"}, {0x35, "0x01"},
                                              {0x37, dac},    {0x34, adc},    {0x36, adc}};
    for (const auto& [a, v] : writes)
        out << QStringLiteral("write ch=7 addr=0x%1 data=%2 -> 0x0")
                   .arg(QString::number(a, 16).toUpper().rightJustified(2, QLatin1Char('0')), v);
    return out;
}

QStringList historyLines(TForm1* f)
{
    return f->Memo1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The image the defaults give, starting from `from` (some registers keep their value).
std::array<std::uint8_t, regs::kCount> defaultsFrom(const regs::RegisterImage& from)
{
    regs::RegisterImage e = from;
    e.reset();
    return e.bytes;
}

void click(AppFixture& app, const char* name)
{
    auto* b = app.find<QPushButton>(QLatin1String(name));
    QVERIFY2(b, name);
    for (QWidget* p = b; p; p = p->parentWidget())
        if (const int i = app.form()->MainTab->indexOf(p); i >= 0) app.form()->MainTab->setCurrentIndex(i);
    QTest::mouseClick(b, Qt::LeftButton);
}

// The user ticks a panel check box on its page.
QCheckBox* checkByUser(AppFixture& app, const char* name)
{
    auto* c = app.find<QCheckBox>(QLatin1String(name));
    if (!c) qFatal("no %s", name);
    for (QWidget* p = c; p; p = p->parentWidget())
        if (const int i = app.form()->MainTab->indexOf(p); i >= 0) app.form()->MainTab->setCurrentIndex(i);
    QTest::mouseClick(c, Qt::LeftButton);
    if (!c->isChecked()) qFatal("%s not ticked", name);
    return c;
}

bool lampsOff(TForm1* f)
{
    return std::all_of(f->ZeroLamps.begin(), f->ZeroLamps.end(),
                       [](QLabel* l) { return l && l->property("imageIndex").toInt() == 0; });
}

int connectionIndex(TForm1* f)
{
    return f->imgConnection->property("connectionIndex").toInt();
}

// What the busy window showed while the program waited.
struct WaitSeen {
    QList<int> waits;
    bool splashVisible = false;
    QString text;
    bool barVisible = true;
    double onScreen = -1; // share of the busy window drawn on the X server's screen
};

void watchWaits(AppFixture& app, WaitSeen& seen)
{
    app.form()->board().wait = [&seen](int ms) {
        seen.waits << ms;
        seen.splashVisible = SplashForm->isVisible();
        seen.text = SplashForm->Label1->text();
        seen.barVisible = SplashForm->ProgressBar1->isVisible();
        seen.onScreen = shownOnScreen(SplashForm);
    };
}

// The busy window was on the screen, drawn, while the program waited (only an
// X server shows whether it was).
void verifyDrawnDuringWait(const WaitSeen& seen)
{
    if (seen.onScreen < 0) return;
    QVERIFY2(seen.onScreen > 0.98, qPrintable(QString::number(seen.onScreen)));
}
} // namespace

class TestResets : public QObject {
    Q_OBJECT
private slots:
    void mrstResetsChipAndPanel();
    void mrstWriteFailureIsReportedOnceAndForgotten();
    void mrstWithoutBoardStillLoadsDefaults();
    void srstPulsesBitSix_data();
    void srstPulsesBitSix();
    void reconnectSetsBoardUpAgain();
    void reconnectUsesTheNewAddress();
    void reconnectFindsBoardAttachedLater();
    void reconnectWithoutBoardKeepsEverything();
    void reconnectReportsOnlyBoardSetupFailures();
    void reconnectWithoutLibraryDoesNothing();
    void reconnectEndsWhenWindowClosesMeanwhile();
};

void TestResets::mrstResetsChipAndPanel()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    f->board().WriteRegister(0x41, 0x12);
    f->board().WriteRegister(0x4A, 0x10);
    auto* invert = checkByUser(app, "cInvDAC1");
    QCOMPARE(f->board().image().at(0x43), 0x01);
    QCOMPARE(f->board().image().at(0x40), 0xC0);
    app.sim.setZeroFlags(0x81);
    click(app, "btnZeroRead");
    QVERIFY(!lampsOff(f));
    f->Memo1->clear();
    app.sim.clearTrace();
    WaitSeen seen;
    watchWaits(app, seen);

    click(app, "btnMRST");
    QCOMPARE(app.sim.chipWrites(), QStringList{"40=40"});
    QCOMPARE(historyLines(f), QStringList{"0x40, 0x40"}); // the refresh adds nothing
    QCOMPARE(seen.waits, QList<int>{1000});
    QVERIFY(seen.splashVisible);
    QCOMPARE(seen.text, QString("Reset in progress ..."));
    QVERIFY(!seen.barVisible);
    verifyDrawnDuringWait(seen);
    QVERIFY(!SplashForm->isVisible());

    QVERIFY(f->board().image().bytes == defaultsFrom(f->board().image()));
    QCOMPARE(f->board().image().at(0x41), 0x00);
    QCOMPARE(f->board().image().at(0x4A), 0xFF);
    QCOMPARE(app.sim.reg(0x41), 0x00); // the chip reset itself
    QVERIFY(!invert->isChecked());     // the panel shows the defaults
    QVERIFY(lampsOff(f));
    QVERIFY(!f->board().transport().writesHeld());
    QVERIFY(f->board().logsHistory());
    QVERIFY(app.dialogs.shown.isEmpty());

    // The window logs and writes as before.
    f->board().WriteRegister(0x42, 0x01);
    QCOMPARE(historyLines(f).last(), QString("0x42, 0x01"));
    QCOMPARE(app.sim.reg(0x42), 0x01);
}

void TestResets::mrstWriteFailureIsReportedOnceAndForgotten()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    app.sim.failWrite(0, 0x40, 0x21);
    click(app, "btnMRST");
    QCOMPARE(app.dialogs.texts("message"), QStringList{"Communication error: WRERR0021"});
    QVERIFY(!f->board().transport().errorReported());
    click(app, "btnMRST"); // reported again: the reset forgot the first report
    QCOMPARE(app.dialogs.texts("message").size(), 2);
}

void TestResets::mrstWithoutBoardStillLoadsDefaults()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    f->board().WriteRegister(0x41, 0x55);
    // The board goes: a reconnect finds nothing, the image stays.
    app.sim.setPresent(false);
    click(app, "bBDRST");
    QVERIFY(!f->board().isOpen());
    QCOMPARE(f->board().image().at(0x41), 0x55);
    app.waits.clear();
    Form1->Memo1->clear();
    app.sim.clearTrace();
    app.dialogs.clear();
    click(app, "btnMRST");
    QCOMPARE(app.waits, QList<int>{1000});
    QCOMPARE(f->board().image().at(0x41), 0x00);
    QVERIFY(app.sim.trace().isEmpty());
    QVERIFY(app.dialogs.shown.isEmpty());
    QVERIFY(historyLines(f).isEmpty());
}

void TestResets::srstPulsesBitSix_data()
{
    QTest::addColumn<int>("image40");
    QTest::addColumn<QString>("sent");
    QTest::newRow("plain") << 0xC0 << "80";
    QTest::newRow("analog-mute bits") << 0xFC << "BC";
}

void TestResets::srstPulsesBitSix()
{
    QFETCH(int, image40);
    QFETCH(QString, sent);
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    f->board().WriteRegister(0x40, image40 & 0x3F);
    QCOMPARE(int(f->board().image().at(0x40)), image40);
    f->Memo1->clear();
    app.sim.clearTrace();
    const auto image = f->board().image().bytes;

    click(app, "btnSRST");
    QCOMPARE(app.sim.chipWrites(), QStringList{"40=" + sent});
    QCOMPARE(historyLines(f), QStringList{"0x40, 0x" + sent});
    QVERIFY(f->board().image().bytes == image); // bit 6 reads back as 1
    QVERIFY(app.waits.isEmpty());
    QVERIFY(!SplashForm->isVisible());
}

void TestResets::reconnectSetsBoardUpAgain()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    f->board().WriteRegister(0x41, 0x12);
    auto* invert = checkByUser(app, "cInvDAC1");
    f->cbDACMasterSlave->setCurrentIndex(1); // the current selection counts
    app.sim.setZeroFlags(0x01);
    click(app, "btnZeroRead");
    const QStringList history = historyLines(f);
    app.sim.clearTrace();
    WaitSeen seen;
    watchWaits(app, seen);

    click(app, "bBDRST");
    QStringList expected{"close", "init port=0 kind=1 addr=0x4C -> 1",
                         "write ch=0 addr=0x40 data=0x40 -> 0x0"};
    expected << boardSetup("0x00", "0x01");
    QCOMPARE(app.sim.trace(), expected);
    QCOMPARE(historyLines(f), history);
    QCOMPARE(seen.waits, QList<int>{1000});
    QVERIFY(seen.splashVisible);
    QCOMPARE(seen.text, QString("Reset in progress ..."));
    QVERIFY(!seen.barVisible);
    verifyDrawnDuringWait(seen);
    QVERIFY(!SplashForm->isVisible());

    QCOMPARE(f->board().port(), 1);
    QVERIFY(f->board().image().bytes == defaultsFrom(f->board().image()));
    QVERIFY(!invert->isChecked());
    QCOMPARE(f->StatusBar1->currentMessage(), QString("Ready"));
    QCOMPARE(connectionIndex(f), 1);
    QVERIFY(lampsOff(f));
    QVERIFY(!f->board().transport().writesHeld() && f->board().logsHistory() &&
            !f->board().transport().errorReported());
    QVERIFY(app.dialogs.shown.isEmpty());
}

void TestResets::reconnectUsesTheNewAddress()
{
    AppFixture app;
    app.writeFile("EVM2280.ini", kIic);
    app.sim.setStrap(0x4E);
    app.start(); // the chip does not answer at 0x4C
    TForm1* f = app.form();
    QCOMPARE(app.dialogs.texts("message").size(), 1);
    app.dialogs.clear();

    f->cbAddr->setFocus();
    QTest::keyClick(f->cbAddr, Qt::Key_Down);
    QTest::keyClick(f->cbAddr, Qt::Key_Down);
    QCOMPARE(f->board().deviceAddress(), 0x4E);
    app.sim.clearTrace();

    click(app, "bBDRST");
    QCOMPARE(app.sim.traceOf("init"), QStringList{"init port=0 kind=1 addr=0x4E -> 1"});
    QCOMPARE(app.sim.traceOf("write ch=0"), QStringList{"write ch=0 addr=0x40 data=0x40 -> 0x0"});
    LinkSettings ls{};
    QVERIFY(app.sim.lastSettings(&ls));
    QCOMPARE(ls.deviceAddress, 0x4E);
    QVERIFY(app.dialogs.shown.isEmpty());
    QCOMPARE(f->board().ReadRegister(0x41), 0x00); // and the chip answers now
    QVERIFY(app.dialogs.shown.isEmpty());
}

void TestResets::reconnectFindsBoardAttachedLater()
{
    AppFixture app;
    app.writeFile("EVM2280.ini", kIic);
    app.sim.setPresent(false);
    app.start();
    TForm1* f = app.form();
    QCOMPARE(f->StatusBar1->currentMessage(), QString("No EVM was found"));
    QCOMPARE(connectionIndex(f), 0);
    app.dialogs.clear();

    app.sim.setPresent(true);
    click(app, "bBDRST");
    QCOMPARE(f->board().port(), 1);
    QCOMPARE(f->StatusBar1->currentMessage(), QString("Ready"));
    QCOMPARE(connectionIndex(f), 1);
    QVERIFY(f->board().image().bytes == defaultsFrom(f->board().image()));
    QCOMPARE(app.sim.traceOf("write ch=7").size(), 11);
    QVERIFY(!f->board().transport().writesHeld() && f->board().logsHistory());
    QVERIFY(app.dialogs.shown.isEmpty());

    // Ready: a write now reaches the chip and the history.
    f->board().WriteRegister(0x41, 0x03);
    QCOMPARE(app.sim.reg(0x41), 0x03);
    QCOMPARE(historyLines(f), QStringList{"0x41, 0x03"});
}

void TestResets::reconnectWithoutBoardKeepsEverything()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    f->board().WriteRegister(0x41, 0x05);
    const QStringList history = historyLines(f);
    const auto image = f->board().image().bytes;
    app.sim.setPresent(false);
    app.sim.clearTrace();

    click(app, "bBDRST");
    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(app.dialogs.shown[0].kind, QString("error"));
    QCOMPARE(app.dialogs.shown[0].text, QString("No EVM was foud"));
    QCOMPARE(app.dialogs.shown[0].caption, QString("Error"));
    QCOMPARE(f->StatusBar1->currentMessage(), QString("No EVM was found"));
    QCOMPARE(connectionIndex(f), 0);
    QCOMPARE(f->board().port(), 0);
    QVERIFY(!SplashForm->isVisible());
    QVERIFY(f->board().image().bytes == image);
    QCOMPARE(historyLines(f), history);
    QCOMPARE(app.sim.trace(), (QStringList{"close", "init port=0 kind=1 addr=0x4C -> 0"}));
    QVERIFY(f->board().transport().writesHeld() && !f->board().logsHistory());
}

void TestResets::reconnectReportsOnlyBoardSetupFailures()
{
    AppFixture app;
    app.startOverIic();
    app.sim.failWrite(0, 0x40, 0x21);
    app.sim.failWrite(7, 0x0B, 0x05);
    app.sim.failWrite(7, 0x36, 0x06);
    click(app, "bBDRST");
    QCOMPARE(app.dialogs.texts(),
             (QStringList{"Communication error: SPERR0005", "Communication error: SPERR0006"}));
    QVERIFY(!app.form()->board().transport().errorReported());
}

void TestResets::reconnectWithoutLibraryDoesNothing()
{
    AppFixture app("NoSuchLib");
    app.start();
    TForm1* f = app.form();
    app.dialogs.clear();
    click(app, "bBDRST");
    QVERIFY(app.dialogs.shown.isEmpty());
    QVERIFY(app.waits.isEmpty());
    QVERIFY(!SplashForm->isVisible());
    QCOMPARE(f->StatusBar1->currentMessage(), QString());
    QVERIFY(f->imgConnection->pixmap().isNull());
    QVERIFY(app.sim.trace().isEmpty());
    QVERIFY(f->board().transport().writesHeld() && !f->board().logsHistory());
}

void TestResets::reconnectEndsWhenWindowClosesMeanwhile()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    app.sim.clearTrace();
    // A close already queued is delivered in the reconnect's turn of events.
    QCoreApplication::postEvent(f, new QCloseEvent);
    click(app, "bBDRST");
    QCOMPARE(app.sim.trace(), QStringList{"close"}); // the close at shut-down, nothing after it
    QVERIFY(!f->board().isLibraryLoaded());
    QVERIFY(!SplashForm->isVisible());
    QVERIFY(app.waits.isEmpty());
}

QTEST_MAIN(TestResets)
#include "tst_resets.moc"
