// The windows on a desktop: a window manager (openbox) runs on the test's own
// X server, and what a desktop sends, the title bar's close request, a
// minimise, key presses and clicks, comes through the server from another X
// client (xdesk.py), as it comes for a user.

#include "fixture.h"
#include "aboutdialog.h"
#include "globals.h"
#include "regviewform.h"
#include "scriptprogress.h"
#include "tabrows.h"
#include "widgets.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// Motif hints (_MOTIF_WM_HINTS): functions and decorations.
constexpr int kMwmMinimize = 8, kMwmMaximize = 16, kMwmClose = 32;
constexpr int kMwmDecorMinimize = 32, kMwmDecorMaximize = 64;

// xdesk.py, started once for the test program, one command line at a time.
class XDesk {
public:
    bool start()
    {
        p_.start(kPython, {QStringLiteral(XDESK_PY), QStringLiteral("serve")});
        return p_.waitForStarted();
    }
    ~XDesk()
    {
        p_.closeWriteChannel();
        if (!p_.waitForFinished(5000)) p_.kill();
    }
    // Sends a command line and returns at once: the program handles what the
    // helper sends as it comes. answer() collects the reply.
    void send(const QStringList& args) { p_.write(args.join(QLatin1Char(' ')).toUtf8() + '\n'); }
    // The reply has come in (the caller turns the event loop).
    bool ready() { return p_.bytesAvailable() > 0 && p_.peek(p_.bytesAvailable()).contains("ok\n"); }
    // Waits for the reply without handling events: what the helper sent is
    // handled afterwards, in order. False when the command failed.
    bool answer(QByteArray* out = nullptr)
    {
        QByteArray lines;
        for (;;) {
            while (!p_.canReadLine())
                if (!p_.waitForReadyRead(20000)) return false;
            const QByteArray line = p_.readLine();
            if (line == "ok\n") break;
            if (line.startsWith("error")) {
                qWarning("xdesk: %s", line.constData());
                return false;
            }
            lines += line;
        }
        if (out) *out = lines;
        return true;
    }

private:
    QProcess p_;
};

XDesk* desk = nullptr;

bool xdesk(const QStringList& args, QByteArray* out = nullptr)
{
    desk->send(args);
    return desk->answer(out);
}

QString wid(const QWidget* w)
{
    return QString::number(w->winId());
}

// The window as the X server and the window manager have it.
QJsonObject xinfo(const QWidget* w)
{
    QByteArray out;
    xdesk({"info", wid(w)}, &out);
    return QJsonDocument::fromJson(out).object();
}

QString wmState(const QWidget* w)
{
    return xinfo(w).value("wm_state").toString();
}

QPoint clientCentre(const QJsonObject& o)
{
    return {o["x"].toInt() + o["width"].toInt() / 2, o["y"].toInt() + o["height"].toInt() / 2};
}

// The centre of the window with the window manager's frame around it.
QPoint frameCentre(const QJsonObject& o)
{
    const QJsonArray f = o["frame"].toArray(); // left, right, top, bottom
    return clientCentre(o) + QPoint(f[1].toInt() - f[0].toInt(), f[3].toInt() - f[2].toInt()) / 2;
}

bool activeOnScreen(QWidget* w)
{
    if (!QTest::qWaitForWindowExposed(w)) return false;
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

// A modal box that is on the screen, framed by the window manager and has the focus.
QWidget* shownModalBox()
{
    QWidget* box = QApplication::activeModalWidget();
    if (!box || !box->isActiveWindow()) return nullptr;
    const QJsonObject o = xinfo(box);
    return o["wm_state"].toString() == QLatin1String("normal") && o["frame"].isArray() ? box : nullptr;
}

// What a fixed dialog asks of the window manager: a close button, no
// minimise or maximise; and what openbox grants it.
void checkCloseButtonOnly(const QJsonObject& o)
{
    const QJsonArray motif = o["motif"].toArray();
    QVERIFY2(motif.size() >= 3, "no Motif hints");
    const int functions = motif[1].toInt(), decorations = motif[2].toInt();
    QVERIFY(functions & kMwmClose);
    QCOMPARE(functions & (kMwmMinimize | kMwmMaximize), 0);
    QCOMPARE(decorations & (kMwmDecorMinimize | kMwmDecorMaximize), 0);
    const QVariantList actions = o["actions"].toArray().toVariantList();
    QVERIFY(actions.contains("_NET_WM_ACTION_CLOSE"));
    QVERIFY(!actions.contains("_NET_WM_ACTION_MAXIMIZE_HORZ") && !actions.contains("_NET_WM_ACTION_RESIZE"));
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void closeRequestEndsTheWait_data();
    void closeRequestEndsTheWait();
    void enterThatDismissesAReportIsNoEnter_data();
    void enterThatDismissesAReportIsNoEnter();
    void clickOnAFailingTrackBarWritesOnce();
    void tabLeavesTheHistory();
    void dialogsFollowTheMainWindow_data();
    void dialogsFollowTheMainWindow();
    void messageBoxes_data();
    void messageBoxes();

private:
    void followsMainWindow(QWidget* dialog, TForm1* main);
    QProcess wm_;
    XDesk desk_;
};

void TestDesktop::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X server");
    wm_.start(QStringLiteral("openbox"), {"--sm-disable"});
    QVERIFY2(wm_.waitForStarted(), "openbox is missing (script/bootstrap installs it)");
    desk = &desk_;
    QVERIFY(desk_.start());
    QVERIFY2(xdesk({"wait-wm", "10"}), "no window manager, or python3-xlib is missing");
}

void TestDesktop::cleanupTestCase()
{
    if (wm_.state() == QProcess::NotRunning) return;
    wm_.terminate();
    wm_.waitForFinished(5000);
}

void TestDesktop::closeRequestEndsTheWait_data()
{
    QTest::addColumn<QString>("button"); // empty: the start-up script's sleep
    QTest::newRow("start-up script") << QString();
    QTest::newRow("MRST") << "btnMRST";
    QTest::newRow("Reconnect") << "bBDRST";
}

// The title bar's close box during a wait: the window manager's request ends
// the wait at once, and after it the chip gets nothing but _close.
void TestDesktop::closeRequestEndsTheWait()
{
    QFETCH(QString, button);
    AppFixture app;
    app.realWait = true;
    app.writeFile("EVM2280.ini", kIic);
    if (button.isEmpty()) app.writeFile("startup.csv", "0x44, 0x5A\r\nsleep, 3000\r\n0x43, 0x01\r\n");
    app.create();
    TForm1* f = app.form();
    QList<bool> closedWhenWaitEnded;
    bool sent = false;
    const auto wait = f->board().wait;
    f->board().wait = [&, wait](int ms) {
        QTimer::singleShot(200, f, [&] {
            app.sim.clearTrace();
            sent = xdesk({"close", wid(f)});
        });
        wait(ms);
        closedWhenWaitEnded << f->isClosed();
    };
    app.start();
    if (!button.isEmpty()) {
        QVERIFY(QTest::qWaitForWindowExposed(f));
        QTest::mouseClick(app.find<QPushButton>(button), Qt::LeftButton);
    }
    QTRY_VERIFY(f->isClosed());
    QVERIFY(sent);
    QCOMPARE(closedWhenWaitEnded, QList<bool>{true});
    QCOMPARE(app.sim.trace(), QStringList{"close"});
}

void TestDesktop::enterThatDismissesAReportIsNoEnter_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("text");
    QTest::newRow("direct access address") << "RDA_reg" << -1 << "zz";
    QTest::newRow("attenuation dB") << "edDAC1" << 2 << "abc";
}

// Enter in a field with a bad text shows the report; the Enter that dismisses
// it is pressed in the box and released in the field, which must not act on
// that release and show the report again.
void TestDesktop::enterThatDismissesAReportIsNoEnter()
{
    QFETCH(QString, field);
    QFETCH(int, page);
    QFETCH(QString, text);
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    if (page >= 0) f->MainTab->setCurrentIndex(page);
    auto* edit = app.find<TEdit>(field);
    edit->setText(text);
    QVERIFY(activeOnScreen(f));
    edit->setFocus();

    QtDialogs real(f);
    bool fingerSent = false;
    int reports = 0;
    app.dialogs.onShow = [&](const RecordingDialogs::Shown& s) {
        if (s.kind != QLatin1String("general") || ++reports > 1) return;
        QTimer poll;
        poll.callOnTimeout([&] {
            if (!shownModalBox()) return;
            poll.stop();
            // Pressed in the box, released a moment later, as a finger does.
            desk->send({"keys", "down:Return", "sleep", "300", "keys", "up:Return"});
            fingerSent = true;
        });
        poll.start(20);
        real.generalError(s.text);
    };
    QVERIFY(xdesk({"keys", "Return"}));
    QTRY_VERIFY(reports > 0 && fingerSent && desk->ready());
    QVERIFY(desk->answer());
    QTest::qWait(300); // the release is handled
    QCOMPARE(reports, 1);
    QVERIFY(!QApplication::activeModalWidget());
}

// A click on the groove while the channel's register write fails: one write,
// one report, and the bar, the edit, the image and the chip as the write
// left them (the image mirrors the write, the chip keeps its value).
void TestDesktop::clickOnAFailingTrackBarWritesOnce()
{
    AppFixture app;
    app.sim.setRegister(0x48, 200);
    app.startOverIic();
    TForm1* f = app.form();
    f->MainTab->setCurrentIndex(2);
    auto* bar = app.find<TTrackBar>("tkDAC1");
    QCOMPARE(bar->value(), 200);
    QVERIFY(activeOnScreen(f));
    app.sim.failWrite(0, 0x48, 5);
    app.sim.clearTrace();

    QtDialogs real(f);
    int reports = 0;
    app.dialogs.onShow = [&](const RecordingDialogs::Shown& s) {
        if (s.kind != QLatin1String("message") || ++reports > 1) return;
        QTimer::singleShot(100, [] { // OK, once the box has taken the click's release
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Ok)->click();
        });
        real.message(s.text);
    };
    const QPoint groove = bar->mapToGlobal(QPoint(bar->width() - 6, bar->height() / 2));
    QVERIFY(xdesk({"click", QString::number(groove.x()), QString::number(groove.y())}));
    QTRY_VERIFY(reports > 0 && !QApplication::activeModalWidget());
    QTest::qWait(700); // the slider's page repeat would step and write again after 500 ms

    QCOMPARE(reports, 1);
    QCOMPARE(app.sim.traceOf("write ch=0 addr=0x48").size(), 1);
    const int p = bar->value();
    QVERIFY(p > 200);
    QCOMPARE(int(f->board().image().at(0x48)), p);
    QCOMPARE(app.find<TEdit>("edDAC1")->text(), f->dbText(p));
    QCOMPARE(app.sim.reg(0x48), 200);
}

// Tab and Shift+Tab pass through the history box, and a Tab pressed in it
// does not end up in a saved history, which replays as a script.
void TestDesktop::tabLeavesTheHistory()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    f->board().WriteRegister(0x41, 0x05);
    f->board().WriteRegister(0x44, 0x0F);
    QVERIFY(activeOnScreen(f));
    f->Memo1->setFocus();

    // Out of the box both ways, and back into it both ways.
    QVERIFY(xdesk({"keys", "Tab"}));
    QTRY_VERIFY(QApplication::focusWidget() != f->Memo1);
    QVERIFY(f->isAncestorOf(QApplication::focusWidget()));
    QVERIFY(xdesk({"keys", "shift+Tab"}));
    QTRY_COMPARE(QApplication::focusWidget(), f->Memo1);
    QVERIFY(xdesk({"keys", "shift+Tab"}));
    QTRY_VERIFY(QApplication::focusWidget() != f->Memo1);
    QVERIFY(xdesk({"keys", "Tab"}));
    QTRY_COMPARE(QApplication::focusWidget(), f->Memo1);

    app.dialogs.saveAnswers << app.path("history.csv");
    QTest::mouseClick(f->imgSave, Qt::LeftButton);
    QCOMPARE(app.readFile("history.csv"), QByteArray("0x41, 0x05\r\n0x44, 0x0F\r\n"));
    app.sim.clearTrace();
    app.dialogs.clear();
    f->RunScript(app.path("history.csv"), false);
    QVERIFY(app.dialogs.shown.isEmpty());
    // The same writes in the same order (the refresh after the run may add more).
    QCOMPARE(app.sim.chipWrites().mid(0, 2), (QStringList{"41=05", "44=0F"}));
}

void TestDesktop::dialogsFollowTheMainWindow_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("script progress") << "Open1";
    QTest::newRow("register map") << "RegisterMap1";
    QTest::newRow("About") << "About2";
}

// A dialog open beside the main window is transient for it: minimised and
// restored with it, and above it; its place stays centred on the screen
// (About: on the main window).
void TestDesktop::dialogsFollowTheMainWindow()
{
    QFETCH(QString, action);
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    QVERIFY(activeOnScreen(f));
    bool checked = false;
    app.writeFile("s.csv", "0x41, 0x05\r\nsleep, 100\r\n0x42, 0x01\r\n");
    app.dialogs.openAnswers << app.path("s.csv");
    app.onWait = [&](int) { // the script is running, its progress on the screen
        followsMainWindow(scriptProgress, f);
        checked = true;
    };
    app.dialogs.onModal = [&](QDialog* d) { // About, shown as its own modal run would
        d->show();
        followsMainWindow(d, f);
        d->hide();
        checked = true;
        return int(QDialog::Accepted);
    };
    f->findChild<QAction*>(action)->trigger();
    if (action == QLatin1String("RegisterMap1")) {
        followsMainWindow(RegViewForm, f);
        checked = true;
    }
    QVERIFY(checked);
}

void TestDesktop::followsMainWindow(QWidget* dialog, TForm1* main)
{
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QTRY_COMPARE(wmState(dialog), QString("normal"));
    const QJsonObject d = xinfo(dialog);
    QCOMPARE(qint64(d["transient_for"].toDouble()), qint64(main->winId()));
    // Where it always was: centred on the screen (About: on the main window),
    // with or without its title bar.
    const QPoint centre = dialog == AboutDialog ? frameCentre(xinfo(main))
                                                : QGuiApplication::primaryScreen()->geometry().center();
    QVERIFY2((clientCentre(d) - centre).manhattanLength() <= d["frame"].toArray()[2].toInt() + 4,
             qPrintable(QJsonDocument(d).toJson(QJsonDocument::Compact)));
    if (dialog != scriptProgress) checkCloseButtonOnly(d);

    QVERIFY(xdesk({"iconify", wid(main)}));
    QTRY_COMPARE(wmState(main), QString("iconic"));
    QTRY_COMPARE(wmState(dialog), QString("iconic"));
    QVERIFY(!xinfo(dialog)["mapped"].toBool());
    QVERIFY(xdesk({"activate", wid(main)}));
    QTRY_COMPARE(wmState(main), QString("normal"));
    QTRY_COMPARE(wmState(dialog), QString("normal"));
    QVERIFY(xinfo(dialog)["stack"].toInt() > xinfo(main)["stack"].toInt());
}

void TestDesktop::messageBoxes_data()
{
    QTest::addColumn<bool>("atStartUp");
    QTest::newRow("No EVM was found, at start-up") << true;
    QTest::newRow("general error report") << false;
}

// Message boxes are centred on the main window, show their whole caption in
// the window manager's title font, and ask for a close button only.
void TestDesktop::messageBoxes()
{
    QFETCH(bool, atStartUp);
    AppFixture app;
    app.sim.setPresent(!atStartUp);
    app.create();
    TForm1* f = app.form();
    QtDialogs real(f);
    QJsonObject box, main;
    QString caption;
    app.dialogs.onShow = [&](const RecordingDialogs::Shown& s) {
        caption = s.caption;
        QTimer poll;
        poll.callOnTimeout([&] {
            QWidget* b = shownModalBox();
            if (!b) return;
            poll.stop();
            box = xinfo(b);
            main = xinfo(f);
            QTest::qWait(100); // a look for whoever watches the screen
            b->close();
        });
        poll.start(20);
        if (s.kind == QLatin1String("general"))
            real.generalError(s.text);
        else
            real.errorBox(s.text, s.caption);
    };
    app.start();
    if (!atStartUp) {
        QVERIFY(activeOnScreen(f));
        f->RDA_reg->setText("zz");
        QTest::keyClick(f->RDA_reg, Qt::Key_Return);
    }
    QVERIFY(!box.isEmpty());
    QCOMPARE(caption, QString(atStartUp ? "Error" : "EVM control application"));

    const QPoint off = clientCentre(box) - clientCentre(main);
    QVERIFY2(off.manhattanLength() <= 4,
             qPrintable(QStringLiteral("box centre off by %1, %2").arg(off.x()).arg(off.y())));

    // Openbox's title: the caption in "sans" 8 points bold at the X screen's
    // resolution, beside the window's icon and three buttons, each about as
    // wide as the title bar is high, a few pixels between them (under its
    // default theme "EVM control application" needs about 265 at 100 dpi).
    const int titleHeight = box["frame"].toArray()[2].toInt();
    QFont title(QStringLiteral("sans"));
    title.setPixelSize(qRound(8 * box["dpi"].toDouble() / 72));
    title.setBold(true);
    const int needed = QFontMetrics(title).horizontalAdvance(caption) + 4 * titleHeight + 36;
    QVERIFY2(box["width"].toInt() >= needed,
             qPrintable(QStringLiteral("box %1 wide, %2 needed").arg(box["width"].toInt()).arg(needed)));
    checkCloseButtonOnly(box);
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
