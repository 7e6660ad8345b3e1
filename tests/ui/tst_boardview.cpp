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
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QtTest>

namespace {
bool lampsOff(TForm1* f)
{
    return std::all_of(f->ZeroLamps.begin(), f->ZeroLamps.end(),
                       [](QLabel* l) { return l && l->property("imageIndex").toInt() == 0; });
}

int connectionIndex(TForm1* f)
{
    return f->imgConnection->property("connectionIndex").toInt();
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
    void eachReportInItsBox();
    void connectionShown_data();
    void connectionShown();
    void settingsShown_data();
    void settingsShown();
    void radioAndAddressBox_data();
    void radioAndAddressBox();
    void resetButtons_data();
    void resetButtons();
    void reconnectEndsWhenWindowClosesMeanwhile();
    void snapshotWhereTheUserSays();
    void snapshotWithoutBoardAsksNothing();
};

void TestBoardView::eachReportInItsBox()
{
    AppFixture app("NoSuchLib");
    app.start();
    app.dialogs.clear();
    using C = evm::ReportCategory;
    for (C c : {C::Communication, C::Settings, C::Script, C::Connection, C::File})
        emit app.form()->board().report({c, "what", "caption"});
    QStringList shown;
    for (const RecordingDialogs::Shown& s : std::as_const(app.dialogs.shown))
        shown << s.kind + ": " + s.text + " | " + s.caption;
    const QString title = "EVM control application";
    QCOMPARE(shown,
             (QStringList{"message: what | " + title, "message: what | " + title, "error: what | caption",
                          "error: what | caption", "general: what. | " + title}));
}

void TestBoardView::connectionShown_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("plate"); // -1: none shown
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("splashAtBox"); // the busy window as the box appeared; "": gone
    QTest::newRow("no library") << "HxBusNotInstalled" << true << "" << -1 << "Cannot load DLL"
                                << "";
    QTest::newRow("no board") << "HxBus" << false << "No EVM was found" << 0 << "No EVM was found"
                              << "";
    // A read error of the read-back appears over the busy window at its register.
    QTest::newRow("ready") << "HxBus" << true << "Ready" << 1
                           << "Communication error: RDERR0021\nPlease check interface setting."
                           << "Initializing... 16/30";
}

void TestBoardView::connectionShown()
{
    QFETCH(QString, library);
    QFETCH(bool, present);
    QFETCH(QString, status);
    QFETCH(int, plate);
    QFETCH(QString, box);
    QFETCH(QString, splashAtBox);
    AppFixture app(library);
    app.sim.setPresent(present);
    app.sim.failRead(0x50, 0x21);
    app.writeFile("EVM2280.ini", kIic);
    QString splash;
    app.dialogs.onShow = [&](const RecordingDialogs::Shown&) {
        const QProgressBar* bar = SplashForm->ProgressBar1;
        if (SplashForm->isVisible())
            splash =
                SplashForm->Label1->text() + QStringLiteral(" %1/%2").arg(bar->value()).arg(bar->maximum());
    };
    app.start();
    TForm1* f = app.form();
    QCOMPARE(app.dialogs.texts(), QStringList{box});
    QCOMPARE(splash, splashAtBox);
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

void TestBoardView::resetButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<bool>("resets"); // the busy window during the wait; the panel and lamps after
    QTest::newRow("MRST") << "btnMRST" << QStringList{"40=40"} << QStringList{"0x40, 0x40"} << true;
    QTest::newRow("SRST") << "btnSRST" << QStringList{"40=80"} << QStringList{"0x40, 0x80"} << false;
    QTest::newRow("Reconnect") << "bBDRST" << QStringList{"40=40"} << QStringList{} << true;
}

void TestBoardView::resetButtons()
{
    QFETCH(QString, button);
    QFETCH(QStringList, writes);
    QFETCH(QStringList, history);
    QFETCH(bool, resets);
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    auto* invert = qobject_cast<QCheckBox*>(app.clickOnPage("cInvDAC1"));
    f->cbDACMasterSlave->setCurrentIndex(1); // the current selection counts
    app.sim.setZeroFlags(0x81);
    app.clickOnPage("btnZeroRead");
    QVERIFY(invert->isChecked() && !lampsOff(f));
    f->Memo1->clear();
    app.sim.clearTrace();
    // The busy window, without a bar, is on the screen and drawn while the
    // board waits (only an X server shows whether it is).
    QList<int> waits;
    f->board().wait = [&](int ms) {
        waits << ms;
        QVERIFY(SplashForm->isVisible() && !SplashForm->ProgressBar1->isVisible());
        QCOMPARE(SplashForm->Label1->text(), QString("Reset in progress ..."));
        const double onScreen = shownOnScreen(SplashForm);
        if (onScreen >= 0) QVERIFY2(onScreen > 0.98, qPrintable(QString::number(onScreen)));
    };

    app.clickOnPage(button);
    QCOMPARE(app.sim.chipWrites(), writes);
    QCOMPARE(app.historyLines(), history); // the panel's refresh adds nothing
    if (button == "bBDRST")
        QCOMPARE(app.sim.traceOf("write ch=7"), SimBoard::boardSetup(evm::Role::Master, evm::Role::Slave));
    QCOMPARE(waits, resets ? QList<int>{1000} : QList<int>{});
    QVERIFY(!SplashForm->isVisible());
    QCOMPARE(invert->isChecked(), !resets); // the panel shows the defaults
    QCOMPARE(lampsOff(f), resets);
    QCOMPARE(f->StatusBar1->currentMessage(), QString("Ready"));
    QCOMPARE(connectionIndex(f), 1);
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
    app.clickOnPage("bBDRST");
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
