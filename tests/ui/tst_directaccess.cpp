// Direct register access (Address and Data fields with Read and Write) and the
// history log (Memo1 with Save and Clear).

#include "fixture.h"

#include "widgets.h"

#include <QCheckBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextDocument>
#include <QtTest>

#include <optional>

namespace {

const QString kExists =
    QStringLiteral("The file you specified is already exists.\nAre you sure you want to save?");

struct Window {
    AppFixture& app;
    TEdit* reg;
    TEdit* data;
    QPlainTextEdit* memo;
    explicit Window(AppFixture& a)
        : app(a), reg(a.find<TEdit>("RDA_reg")), data(a.find<TEdit>("RDA_data")),
          memo(a.find<QPlainTextEdit>("Memo1"))
    {
    }
    void click(const char* button) { QTest::mouseClick(app.find<QWidget>(button), Qt::LeftButton); }
    // Types the texts into the fields as a user would, then presses Enter in one.
    void enter(TEdit* field) { QTest::keyClick(field, Qt::Key_Return); }
    void fill(const QString& address, const QString& value)
    {
        reg->setText(address);
        data->setText(value);
    }
};

} // namespace

class TestDirectAccess : public QObject {
    Q_OBJECT
private slots:
    void readAddressForms_data();
    void readAddressForms();
    void enterActsOnRelease();
    void readWithoutBoard();
    void writeSendsAndLogsTheLowByte();
    void writeRefreshesAndLogsTheRewrite();
    void writeWithoutBoardStillRefreshes();
    void badTexts_data();
    void badTexts();
    void otherKeysReachTheField();
    void clearThenSaveReplays();
    void historyKeepsUserText();
    void emptyHistorySavesEmptyFile();
    void historyFollowsTheEnd();
    void saveQuestions();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void oversizedDataReplays();
};

void TestDirectAccess::readAddressForms_data()
{
    QTest::addColumn<QString>("address");
    for (const char* a : {"0x41", "65", "$41", "x41", "0X41", "+65"}) QTest::newRow(a) << QString(a);
}

void TestDirectAccess::readAddressForms()
{
    QFETCH(QString, address);
    AppFixture app;
    app.startClean();
    Window w(app);
    {
        evm::Board::Quiet quiet(app.form()->board(), evm::Board::Quiet::History);
        app.form()->board().WriteRegister(0x41, 0x0A);
    }
    app.sim.clearTrace();
    const auto image = app.form()->board().image().bytes;

    w.reg->setText(address);
    w.click("imgRead");
    QCOMPARE(w.data->text(), QString("0x0A"));
    QCOMPARE(app.sim.traceOf("read").size(), 1);
    QVERIFY(app.sim.traceOf("read").first().startsWith("read ch=0 addr=0x41"));
    QVERIFY(app.sim.chipWrites().isEmpty());
    QCOMPARE(app.form()->board().image().bytes, image);
    QCOMPARE(w.memo->toPlainText(), QString());
}

void TestDirectAccess::enterActsOnRelease()
{
    AppFixture app;
    app.startClean();
    Window w(app);
    w.fill("0x44", "0x3C");

    // The carriage return is dropped on the press: the field never sees it.
    QSignalSpy dataReturn(w.data, &QLineEdit::returnPressed);
    QSignalSpy regReturn(w.reg, &QLineEdit::returnPressed);
    QTest::keyPress(w.data, Qt::Key_Return);
    QVERIFY(app.sim.chipWrites().isEmpty()); // nothing yet on the press
    QTest::keyRelease(w.data, Qt::Key_Return);
    QCOMPARE(app.sim.chipWrites().value(0), QString("44=3C"));
    QCOMPARE(w.data->text(), QString("0x3C")); // no carriage return taken in

    app.sim.clearTrace();
    w.data->setText("0x00");
    w.enter(w.reg);
    QCOMPARE(w.data->text(), QString("0x3C"));
    QCOMPARE(w.reg->text(), QString("0x44"));
    QCOMPARE(app.sim.traceOf("read").size(), 1);
    QVERIFY(app.sim.chipWrites().isEmpty());

    // Enter on the keypad acts the same.
    app.sim.clearTrace();
    QTest::keyClick(w.reg, Qt::Key_Enter);
    QCOMPARE(app.sim.traceOf("read").size(), 1);
    QCOMPARE(app.dialogs.shown.size(), 0);
    QCOMPARE(dataReturn.size(), 0);
    QCOMPARE(regReturn.size(), 0);
}

void TestDirectAccess::readWithoutBoard()
{
    AppFixture app;
    app.sim.setPresent(false);
    app.startClean();
    Window w(app);
    w.fill("0x41", "0x55");
    w.enter(w.reg);
    // Nothing was read: no value is shown as if it had been.
    QCOMPARE(app.dialogs.texts("error"), QStringList{"No EVM was found"});
    QCOMPARE(w.data->text(), QString("0x55"));
    QVERIFY(app.sim.trace().isEmpty());
}

void TestDirectAccess::writeSendsAndLogsTheLowByte()
{
    AppFixture app;
    app.startClean();
    Window w(app);
    w.fill("0x41", "0x1FF");
    w.click("imgWrite");
    QCOMPARE(app.sim.chipWrites().value(0), QString("41=FF"));
    QCOMPARE(app.sim.reg(0x41), 0xFF);
    QCOMPARE(int(app.form()->board().image().at(0x41)), 0xFF & app.form()->board().image().mask[1]);
    QVERIFY(w.memo->toPlainText().startsWith("0x41, 0xFF\n"));
}

// Data 0x01 to 0x43 checks cInvDAC1 in the refresh, whose handler writes the
// register once more; both writes are logged.
void TestDirectAccess::writeRefreshesAndLogsTheRewrite()
{
    AppFixture app;
    app.startClean();
    Window w(app);
    w.fill("0x43", "1");
    w.enter(w.data);
    QVERIFY(app.find<QCheckBox>("cInvDAC1")->isChecked());
    QCOMPARE(app.sim.chipWrites(), (QStringList{"43=01", "43=01"}));
    QCOMPARE(w.memo->toPlainText(), QString("0x43, 0x01\n0x43, 0x01\n"));
}

void TestDirectAccess::writeWithoutBoardStillRefreshes()
{
    AppFixture app;
    app.sim.setPresent(false);
    app.startClean();
    Window w(app);
    // Without a board the box's click changes nothing else: only a refresh
    // brings it back in line with the image.
    QTest::mouseClick(app.find<QCheckBox>("cInvDAC1"), Qt::LeftButton);
    QVERIFY(app.find<QCheckBox>("cInvDAC1")->isChecked());
    w.fill("0x44", "0x10");
    w.click("imgWrite");
    QVERIFY(!app.find<QCheckBox>("cInvDAC1")->isChecked());
    QVERIFY(app.sim.trace().isEmpty());
    QCOMPARE(w.memo->toPlainText(), QString());
}

void TestDirectAccess::badTexts_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("named");
    QTest::newRow("write, bad data") << "imgWrite"
                                     << "0x43"
                                     << "abc"
                                     << "abc";
    QTest::newRow("write, bad address") << "imgWrite"
                                        << "0x4G"
                                        << "0x01"
                                        << "0x4G";
    QTest::newRow("write, both bad: data first") << "imgWrite"
                                                 << "reg"
                                                 << "val"
                                                 << "val";
    QTest::newRow("write, empty data") << "imgWrite"
                                       << "0x43"
                                       << ""
                                       << "";
    QTest::newRow("write, data beyond 32 bits") << "imgWrite"
                                                << "0x43"
                                                << "0x100000000"
                                                << "0x100000000";
    QTest::newRow("read, bad address") << "imgRead"
                                       << "1.5"
                                       << "0x77"
                                       << "1.5";
    QTest::newRow("read, trailing blank") << "imgRead"
                                          << "0x41 "
                                          << "0x77"
                                          << "0x41 ";
}

void TestDirectAccess::badTexts()
{
    QFETCH(QString, button);
    QFETCH(QString, address);
    QFETCH(QString, data);
    QFETCH(QString, named);
    AppFixture app;
    app.startClean();
    Window w(app);
    {
        evm::Board::Quiet quiet(app.form()->board());
        app.form()->board().WriteRegister(0x43, app.form()->board().image().at(0x43) | 0x01);
    } // a refresh would check cInvDAC1
    w.memo->setPlainText("kept\n");
    w.fill(address, data);
    w.click(button.toLatin1().constData());
    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(app.dialogs.shown[0].kind, QString("general"));
    QCOMPARE(app.dialogs.shown[0].text,
             QString::fromUtf8("'%1' \xE3\x81\xAF\xE6\x95\xB4\xE6\x95\xB0\xE3\x81\xA7\xE3\x81\xAF"
                               "\xE3\x81\x82\xE3\x82\x8A\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93.")
                 .arg(named));
    QVERIFY(app.sim.trace().isEmpty());
    QVERIFY(!app.find<QCheckBox>("cInvDAC1")->isChecked());
    QCOMPARE(w.data->text(), data);
    QCOMPARE(w.memo->toPlainText(), QString("kept\n"));
}

void TestDirectAccess::otherKeysReachTheField()
{
    AppFixture app;
    app.startClean();
    Window w(app);
    w.reg->clear();
    QTest::keyClicks(w.reg, "$4a");
    QTest::keyClick(w.reg, Qt::Key_Return);
    QCOMPARE(w.reg->text(), QString("$4a"));
    QVERIFY(app.sim.traceOf("read").value(0).startsWith("read ch=0 addr=0x4A"));
}

void TestDirectAccess::clearThenSaveReplays()
{
    AppFixture app;
    app.startClean();
    Window w(app);
    w.memo->setPlainText("old line\n");
    w.click("imgClear");
    QCOMPARE(w.memo->toPlainText(), QString());
    QVERIFY(app.form()->board().logsHistory());

    // One write from the panel, one direct write to a register no control shows.
    QTest::mouseClick(app.find<QCheckBox>("cInvDAC1"), Qt::LeftButton);
    w.fill("0x47", "0x0A");
    w.enter(w.data);
    QCOMPARE(w.memo->toPlainText(), QString("0x43, 0x01\n0x47, 0x0A\n"));

    app.dialogs.saveAnswers << app.path("history.csv");
    w.click("imgSave");
    QCOMPARE(app.dialogs.texts("save"), QStringList{"CSV|*.csv|All files|*.*"});
    QCOMPARE(app.readFile("history.csv"), QByteArray("0x43, 0x01\r\n0x47, 0x0A\r\n"));

    // Replayed as a script, the log repeats its writes in order.
    app.sim.clearTrace();
    app.dialogs.clear();
    app.form()->RunScript(app.path("history.csv"), true);
    QCOMPARE(app.dialogs.shown.size(), 0);
    QCOMPARE(app.sim.chipWrites().mid(0, 2), (QStringList{"43=01", "47=0A"}));
    // and a script's writes never reach the log.
    QCOMPARE(w.memo->toPlainText(), QString("0x43, 0x01\n0x47, 0x0A\n"));
}

// The user's text is saved as typed; a logged line starts a line of its own.
void TestDirectAccess::historyKeepsUserText()
{
    AppFixture app;
    app.startClean();
    Window w(app);
    w.memo->setFocus();
    QTest::keyClicks(w.memo, "note");
    w.fill("0x47", "0x05");
    w.click("imgWrite");
    QCOMPARE(w.memo->toPlainText(), QString("note\n0x47, 0x05\n"));

    w.memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.memo, "second");
    QTest::keyClick(w.memo, Qt::Key_Return);
    QTest::keyClicks(w.memo, "third");
    app.dialogs.saveAnswers << app.path("h.csv");
    w.click("imgSave");
    QCOMPARE(app.readFile("h.csv"), QByteArray("note\r\n0x47, 0x05\r\nsecond\r\nthird"));

    w.click("imgWrite");
    QCOMPARE(w.memo->toPlainText(), QString("note\n0x47, 0x05\nsecond\nthird\n0x47, 0x05\n"));
}

void TestDirectAccess::emptyHistorySavesEmptyFile()
{
    AppFixture app;
    app.startClean();
    Window w(app);
    app.writeFile("h.csv", "something\r\n");
    app.dialogs.saveAnswers << app.path("h.csv");
    app.dialogs.questionAnswers << true;
    w.click("imgSave");
    QCOMPARE(app.dialogs.texts("question"), QStringList{kExists});
    QVERIFY(app.readFile("h.csv").isEmpty());
    QVERIFY(QFileInfo::exists(app.path("h.csv")));
}

// A box showing its end keeps showing it as lines arrive; one the user
// scrolled back stays where the user left it.
void TestDirectAccess::historyFollowsTheEnd()
{
    AppFixture app;
    app.startClean();
    Window w(app);
    QScrollBar* bar = w.memo->verticalScrollBar();
    for (int i = 0; i < 100; ++i) app.form()->board().WriteRegister(0x47, i);
    QCoreApplication::processEvents();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    bar->setValue(3);
    for (int i = 0; i < 20; ++i) app.form()->board().WriteRegister(0x47, i);
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), 3);
    QCOMPARE(w.memo->document()->blockCount(), 121); // 120 lines and the empty line after them
}

void TestDirectAccess::saveQuestions()
{
    AppFixture app;
    app.startClean();
    Window w(app);
    w.fill("0x47", "0x05");
    w.click("imgWrite");
    const QByteArray old("0x40, 0x00\r\nuntouched");
    app.writeFile("h.csv", old);

    app.dialogs.saveAnswers << app.path("h.csv");
    app.dialogs.questionAnswers << false;
    w.click("imgSave");
    QCOMPARE(app.dialogs.shown.size(), 2);
    QCOMPARE(app.dialogs.shown[1].kind, QString("question"));
    QCOMPARE(app.dialogs.shown[1].text, kExists);
    QCOMPARE(app.dialogs.shown[1].caption, QString("File exits"));
    QCOMPARE(app.readFile("h.csv"), old);

    // Cancelling the dialog does nothing at all.
    app.dialogs.clear();
    w.click("imgSave");
    QCOMPARE(app.dialogs.texts(), QStringList{"CSV|*.csv|All files|*.*"});
    QCOMPARE(app.readFile("h.csv"), old);

    app.dialogs.saveAnswers << app.path("h.csv");
    app.dialogs.questionAnswers << true;
    w.click("imgSave");
    QCOMPARE(app.readFile("h.csv"), QByteArray("0x47, 0x05\r\n"));
}

void TestDirectAccess::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("disk refuses the data") << "limit";
    QTest::newRow("parent is a file") << "parent";
    QTest::newRow("target is a folder") << "folder";
}

void TestDirectAccess::failedSaveKeepsOldFile()
{
    QFETCH(QString, how);
    AppFixture app;
    app.startClean();
    Window w(app);
    for (int i = 0; i < 40; ++i) app.form()->board().WriteRegister(0x47, i); // about 500 bytes of log
    const QByteArray old("old\r\n");
    QString target, keeper;
    if (how == "parent") {
        keeper = app.path("plain");
        target = keeper + "/h.csv";
    } else if (how == "folder") {
        QVERIFY(QDir().mkdir("h.csv"));
        keeper = app.path("h.csv/keep.txt");
        target = app.path("h.csv");
    } else {
        keeper = target = app.path("h.csv");
    }
    {
        QFile f(keeper);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    app.dialogs.clear();
    app.dialogs.saveAnswers << target;
    app.dialogs.questionAnswers << true;
    {
        std::optional<FileSizeLimit> limit;
        if (how == "limit") {
            if (!FileSizeLimit::supported()) QSKIP("no file size limits on this platform");
            limit.emplace(64);
        }
        w.click("imgSave");
    }
    const QStringList errors = app.dialogs.texts("general");
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(QDir::toNativeSeparators(target)), qPrintable(errors[0]));
    QCOMPARE(app.readFile(keeper), old);
    // Nothing half-written is left beside it.
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden).size(),
             how == "parent" ? 1 : (how == "limit" ? 1 : 0));
    // The program goes on: the next save to a good name works.
    app.dialogs.saveAnswers << app.path("good.csv");
    w.click("imgSave");
    QVERIFY(app.readFile("good.csv").startsWith("0x47, 0x00\r\n0x47, 0x01\r\n"));
}

// A direct write above 0xFF is logged as the byte sent, so the saved history
// replays whole.
void TestDirectAccess::oversizedDataReplays()
{
    AppFixture app;
    app.startClean();
    Window w(app);
    w.fill("0x47", "0x12");
    w.click("imgWrite");
    w.fill("0x47", "0x1FF");
    w.click("imgWrite");
    w.fill("0x52", "0x34");
    w.click("imgWrite");
    app.dialogs.saveAnswers << app.path("h.csv");
    w.click("imgSave");
    app.sim.clearTrace();
    app.dialogs.clear();
    app.form()->RunScript("h.csv", true);
    QVERIFY(app.dialogs.texts("error").isEmpty());
    QCOMPARE(app.sim.chipWrites().mid(0, 3), (QStringList{"47=12", "47=FF", "52=34"}));
}

QTEST_MAIN(TestDirectAccess)
#include "tst_directaccess.moc"
