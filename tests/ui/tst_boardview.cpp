// The main window as the view of the board: each kind of report in its box,
// the connection plate and status bar, the busy window drawn during waits,
// the interface and address controls, MRST, SRST and Reconnect, the snapshot
// menu. The board's rules are tested on the board itself
// (tests/core/tst_board*, tst_interfacesettings).

#include "fixture.h"
#include "globals.h"
#include "splashform.h"
#include "widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QtTest>

Q_DECLARE_METATYPE(evm::ReportCategory)

namespace {
QStringList historyLines(TForm1* f)
{
    return f->Memo1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The user clicks a control on its page.
template <class W> W* clickOnPage(AppFixture& app, const char* name)
{
    auto* w = app.find<W>(QLatin1String(name));
    if (!w) qFatal("no %s", name);
    for (QWidget* p = w; p; p = p->parentWidget())
        if (const int i = app.form()->MainTab->indexOf(p); i >= 0) app.form()->MainTab->setCurrentIndex(i);
    QTest::mouseClick(w, Qt::LeftButton);
    return w;
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

// The busy window, without a bar, was on the screen and drawn while the
// program waited (only an X server shows whether it was), and went after.
void verifyBusyDuringWait(const WaitSeen& seen)
{
    QCOMPARE(seen.waits, QList<int>{1000});
    QVERIFY(seen.splashVisible);
    QCOMPARE(seen.text, QString("Reset in progress ..."));
    QVERIFY(!seen.barVisible);
    if (seen.onScreen >= 0) QVERIFY2(seen.onScreen > 0.98, qPrintable(QString::number(seen.onScreen)));
    QVERIFY(!SplashForm->isVisible());
}

// The user steps the address list with the arrow keys, one item per press.
void chooseAddress(QComboBox* box, int item)
{
    while (box->currentIndex() < item) QTest::keyClick(box, Qt::Key_Down);
    while (box->currentIndex() > item) QTest::keyClick(box, Qt::Key_Up);
}

void saveSnapshot(AppFixture& app)
{
    app.form()->findChild<QAction*>("SaveRegisterDump")->trigger();
}
} // namespace

class TestBoardView : public QObject {
    Q_OBJECT
private slots:
    void eachReportInItsBox_data();
    void eachReportInItsBox();
    void connectionShown_data();
    void connectionShown();
    void splashFollowsTheStartUp();
    void settingsShown_data();
    void settingsShown();
    void radioAndAddressBox_data();
    void radioAndAddressBox();
    void mrstResetsChipAndPanel();
    void srstSendsTheReset();
    void reconnectSetsBoardUpAgain();
    void reconnectEndsWhenWindowClosesMeanwhile();
    void snapshotWhereTheUserSays();
    void snapshotWithoutBoardAsksNothing();
};

void TestBoardView::eachReportInItsBox_data()
{
    using C = evm::ReportCategory;
    QTest::addColumn<C>("category");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    const QString app = QStringLiteral("EVM control application");
    QTest::newRow("communication") << C::Communication << "message"
                                   << "what" << app;
    QTest::newRow("settings") << C::Settings << "message"
                              << "what" << app;
    QTest::newRow("script") << C::Script << "error"
                            << "what"
                            << "caption";
    QTest::newRow("connection") << C::Connection << "error"
                                << "what"
                                << "caption";
    QTest::newRow("file") << C::File << "general"
                          << "what." << app;
}

void TestBoardView::eachReportInItsBox()
{
    QFETCH(evm::ReportCategory, category);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    AppFixture app("NoSuchLib");
    app.start();
    app.dialogs.clear();
    emit app.form()->board().report({category, "what", "caption"});
    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(app.dialogs.shown[0].kind, kind);
    QCOMPARE(app.dialogs.shown[0].text, text);
    QCOMPARE(app.dialogs.shown[0].caption, caption);
}

void TestBoardView::connectionShown_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("plate"); // -1: none shown
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("no library") << "HxBusNotInstalled" << true << "" << -1 << QStringList{"Cannot load DLL"};
    QTest::newRow("no board") << "HxBus" << false << "No EVM was found" << 0
                              << QStringList{"No EVM was found"};
    QTest::newRow("ready") << "HxBus" << true << "Ready" << 1 << QStringList{};
}

void TestBoardView::connectionShown()
{
    QFETCH(QString, library);
    QFETCH(bool, present);
    QFETCH(QString, status);
    QFETCH(int, plate);
    QFETCH(QStringList, boxes);
    AppFixture app(library);
    app.sim.setPresent(present);
    app.writeFile("EVM2280.ini", kIic);
    app.start();
    TForm1* f = app.form();
    QCOMPARE(app.dialogs.texts(), boxes);
    QVERIFY(!SplashForm->isVisible());
    QCOMPARE(f->StatusBar1->currentMessage(), status);
    QCOMPARE(f->imgConnection->pixmap().isNull(), plate < 0 || f->ImageList2->images.isEmpty());
    QCOMPARE(connectionIndex(f), qMax(plate, 0));
    QVERIFY(f->Memo1->toPlainText().isEmpty()); // the refresh at start-up logs nothing
    // Passing over a menu item leaves the status bar to the connection.
    QStatusTipEvent tip(QString{});
    QCoreApplication::sendEvent(f, &tip);
    QCOMPARE(f->StatusBar1->currentMessage(), status);
}

void TestBoardView::splashFollowsTheStartUp()
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

void TestBoardView::settingsShown_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("item");
    QTest::newRow("no file: SPI") << QByteArray() << 1 << 0;
    QTest::newRow("IIC 0x4F") << QByteArray("[SerialInterface]\nType=0\nAddr=0x4F\n") << 0 << 3;
    QTest::newRow("SPI with Addr 2") << QByteArray("[SerialInterface]\nType=1\nAddr=2\n") << 1 << 2;
}

void TestBoardView::settingsShown()
{
    QFETCH(QByteArray, file);
    QFETCH(int, index);
    QFETCH(int, item);
    AppFixture app;
    if (!file.isEmpty()) app.writeFile("EVM2280.ini", file);
    app.create(); // the file is read while the window is created
    QCOMPARE(app.form()->rgInterface->itemIndex(), index);
    QCOMPARE(app.form()->cbAddr->currentIndex(), item);
    QCOMPARE(app.form()->cbAddr->isEnabled(), index == 0);
}

void TestBoardView::radioAndAddressBox_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<bool>("unwritable");
    QTest::newRow("board") << "HxBus" << false;
    QTest::newRow("file that cannot be written") << "HxBus" << true;
    QTest::newRow("no library") << "NoSuchLib" << false;
}

// The radio's items are IIC and SPI, the box's items the strap slots; with no
// library bound the radio moves alone. A file that cannot be written is
// reported, and the window follows the choice all the same.
void TestBoardView::radioAndAddressBox()
{
    QFETCH(QString, library);
    QFETCH(bool, unwritable);
    const bool bound = library == "HxBus";
    AppFixture app(library);
    app.writeFile("EVM2280.ini", "[SerialInterface]\nType=0\nAddr=0x4E\n");
    app.start();
    TForm1* f = app.form();
    if (unwritable) QVERIFY(QFile::remove("EVM2280.ini") && QDir().mkdir("EVM2280.ini"));
    app.dialogs.clear();

    QTest::mouseClick(f->rgInterface->button(1), Qt::LeftButton);
    QCOMPARE(f->board().interface(), evm::Interface::Spi);
    QCOMPARE(f->cbAddr->isEnabled(), !bound);
    QCOMPARE(f->cbAddr->currentIndex(), bound ? 0 : 2);
    QTest::mouseClick(f->rgInterface->button(0), Qt::LeftButton);
    QCOMPARE(f->board().interface(), evm::Interface::Iic);
    QVERIFY(f->cbAddr->isEnabled());
    QCOMPARE(f->cbAddr->currentIndex(), bound ? 0 : 2);
    chooseAddress(f->cbAddr, 1);
    QCOMPARE(f->board().addressSlot(), 1);
    QCOMPARE(f->board().deviceAddress(), 0x4D);

    const QStringList general = app.dialogs.texts("general");
    QCOMPARE(general.size(), unwritable ? 3 : 0);
    for (const QString& text : general) {
        QVERIFY2(text.startsWith("Cannot write the settings file"), qPrintable(text));
        QVERIFY(text.endsWith('.'));
    }
    if (!unwritable) QVERIFY(app.readFile("EVM2280.ini").contains("Addr=0x4D"));
    QCOMPARE(app.dialogs.shown.size(), general.size());
}

void TestBoardView::mrstResetsChipAndPanel()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    auto* invert = clickOnPage<QCheckBox>(app, "cInvDAC1");
    QVERIFY(invert->isChecked());
    app.sim.setZeroFlags(0x81);
    clickOnPage<QPushButton>(app, "btnZeroRead");
    QVERIFY(!lampsOff(f));
    f->Memo1->clear();
    app.sim.clearTrace();
    WaitSeen seen;
    watchWaits(app, seen);

    clickOnPage<QPushButton>(app, "btnMRST");
    QCOMPARE(app.sim.chipWrites(), QStringList{"40=40"});
    QCOMPARE(historyLines(f), QStringList{"0x40, 0x40"}); // the refresh adds nothing
    verifyBusyDuringWait(seen);
    QVERIFY(!invert->isChecked()); // the panel shows the defaults
    QVERIFY(lampsOff(f));
    QVERIFY(app.dialogs.shown.isEmpty());
}

void TestBoardView::srstSendsTheReset()
{
    AppFixture app;
    app.startOverIic();
    app.sim.clearTrace();
    clickOnPage<QPushButton>(app, "btnSRST");
    QCOMPARE(app.sim.chipWrites(), QStringList{"40=80"});
    QCOMPARE(historyLines(app.form()), QStringList{"0x40, 0x80"});
    QVERIFY(app.waits.isEmpty());
    QVERIFY(!SplashForm->isVisible());
}

void TestBoardView::reconnectSetsBoardUpAgain()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    auto* invert = clickOnPage<QCheckBox>(app, "cInvDAC1");
    QVERIFY(invert->isChecked());
    f->cbDACMasterSlave->setCurrentIndex(1); // the current selection counts
    app.sim.setZeroFlags(0x01);
    clickOnPage<QPushButton>(app, "btnZeroRead");
    QVERIFY(!lampsOff(f));
    const QStringList history = historyLines(f);
    app.sim.clearTrace();
    WaitSeen seen;
    watchWaits(app, seen);

    clickOnPage<QPushButton>(app, "bBDRST");
    QCOMPARE(app.sim.traceOf("write ch=7"), SimBoard::boardSetup(evm::Role::Master, evm::Role::Slave));
    verifyBusyDuringWait(seen);
    QVERIFY(!invert->isChecked());
    QCOMPARE(f->StatusBar1->currentMessage(), QString("Ready"));
    QCOMPARE(connectionIndex(f), 1);
    QVERIFY(lampsOff(f));
    QCOMPARE(historyLines(f), history);
    QVERIFY(app.dialogs.shown.isEmpty());
}

void TestBoardView::reconnectEndsWhenWindowClosesMeanwhile()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    app.sim.clearTrace();
    // A close already queued is delivered in the reconnect's turn of events.
    QCoreApplication::postEvent(f, new QCloseEvent);
    clickOnPage<QPushButton>(app, "bBDRST");
    QCOMPARE(app.sim.trace(), QStringList{"close"}); // the close at shut-down, nothing after it
    QVERIFY(!f->board().isLibraryLoaded());
    QVERIFY(!SplashForm->isVisible());
    QVERIFY(app.waits.isEmpty());
}

void TestBoardView::snapshotWhereTheUserSays()
{
    AppFixture app;
    app.start();
    app.sim.clearTrace();
    app.dialogs.clear();
    saveSnapshot(app); // cancelled: nothing read, nothing saved
    QCOMPARE(app.dialogs.shown.size(), 1);
    QVERIFY(app.sim.trace().isEmpty());
    QVERIFY(QDir().entryList(QDir::Files).isEmpty());
    app.dialogs.clear();
    app.dialogs.saveAnswers << app.path("snap.csv") << app.path("snap.csv");
    app.dialogs.questionAnswers << false;
    saveSnapshot(app);
    QCOMPARE(app.dialogs.texts(), QStringList{"CSV|*.csv|All files|*.*"}); // the save dialog, no question
    const QByteArray saved = app.readFile("snap.csv");
    QCOMPARE(saved.count("\r\n"), 31);
    QCOMPARE(app.sim.traceOf("read").size(), 31);

    // Again: the board asks through the window's question box; No keeps the file.
    app.dialogs.clear();
    app.sim.setRegister(0x41, 0x0A); // a save now would differ
    saveSnapshot(app);
    QCOMPARE(app.dialogs.texts("question"),
             QStringList{"The file you specified is already exists.\nAre you sure you want to save?"});
    QCOMPARE(app.dialogs.shown.last().caption, QString("File exits")); // sic
    QCOMPARE(app.readFile("snap.csv"), saved);
}

// Without a board nothing could be read: the user is not even asked for a file.
void TestBoardView::snapshotWithoutBoardAsksNothing()
{
    AppFixture app;
    app.sim.setPresent(false);
    app.start();
    app.sim.clearTrace();
    app.dialogs.clear();
    app.dialogs.saveAnswers << app.path("snap.csv");
    saveSnapshot(app);
    QCOMPARE(app.dialogs.texts(), QStringList{"No EVM was found"});
    QVERIFY(!QFileInfo::exists(app.path("snap.csv")));
    QVERIFY(app.sim.trace().isEmpty());
}

QTEST_MAIN(TestBoardView)
#include "tst_boardview.moc"
