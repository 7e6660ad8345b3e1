// The attenuation panel: track bars, dB edits and the fine/wide range switch,
// driven through the real widgets.

#include "fixture.h"

#include "widgets.h"

#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QtTest>

namespace {

// A register write as the simulator's chip writes and the history log show it.
QString chipWrite(int reg, int value)
{
    return QString::asprintf("%02X=%02X", reg, value);
}
QString historyLine(int reg, int value)
{
    return QString::asprintf("0x%02X, 0x%02X", reg, value);
}

// A started program over SPI: board open, history on, every bar at 255.
struct Panel {
    AppFixture app;
    explicit Panel(bool board = true)
    {
        app.sim.setPresent(board);
        app.start();
        clear();
    }
    TForm1* form() const { return app.form(); }
    TTrackBar* bar(int n) const { return app.find<TTrackBar>(QStringLiteral("tkDAC%1").arg(n)); }
    TEdit* edit(int n) const { return app.find<TEdit>(QStringLiteral("edDAC%1").arg(n)); }
    TRadioGroup* mode() const { return app.find<TRadioGroup>("rgDACAttMode"); }
    void clear()
    {
        app.sim.clearTrace();
        form()->Memo1->clear();
        app.dialogs.clear();
    }
    void chooseMode(bool wide) { QTest::mouseClick(mode()->button(wide ? 1 : 0), Qt::LeftButton); }
    // Replaces the edit's text by typing, then releases `key`.
    void type(int n, const QString& text, int key = Qt::Key_Return)
    {
        TEdit* e = edit(n);
        e->setFocus();
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
        if (key) QTest::keyClick(e, Qt::Key(key));
    }
};

} // namespace

class TestAttenuation : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { locale_ = QLocale(); }
    void cleanup() { QLocale::setDefault(locale_); }

    void initialRange();
    void enterMovesTheBar_data();
    void enterMovesTheBar();
    void enterOnCurrentPositionWritesNothing();
    void typingAloneNeverCommits();
    void textThatIsNoNumber_data();
    void textThatIsNoNumber();
    void movingTheBarWritesEachPosition();
    void switchingModeRaisesLowChannels();
    void switchingModeWithoutBoard();
    void refreshOfCodeBelowRange_data();
    void refreshOfCodeBelowRange();
    void refreshUnderSuppressWritesOnlyMirrors();
    void commaDecimalSeparator();
    void enterIgnoredWhileBarChangeRuns();

private:
    QLocale locale_;
};

void TestAttenuation::initialRange()
{
    Panel p;
    for (int n = 1; n <= 8; ++n) {
        QCOMPARE(p.bar(n)->minimum(), 129);
        QCOMPARE(p.bar(n)->maximum(), 255);
        QCOMPARE(p.bar(n)->value(), 255); // the defaults after the start-up refresh
        QCOMPARE(p.edit(n)->text(), QStringLiteral("0.0"));
        QCOMPARE(p.bar(n)->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, p.bar(n)), 14);
    }
}

void TestAttenuation::enterMovesTheBar_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");
    const int ret = Qt::Key_Return;
    QTest::newRow("-10.3 fine") << 3 << false << "-10.3" << ret << 234 << "-10.5";
    QTest::newRow("-10.3 wide") << 3 << true << "-10.3" << ret << 244 << "-11.0";
    QTest::newRow("-10.5 fine exact") << 1 << false << "-10.5" << ret << 234 << "-10.5";
    QTest::newRow("-0.1 fine") << 8 << false << "-0.1" << ret << 254 << "-0.5";
    QTest::newRow("0 fine") << 2 << false << "0" << ret << 255 << "0.0";
    QTest::newRow("5 clamps to 0 dB") << 4 << false << "5" << ret << 255 << "0.0";
    QTest::newRow("-80 fine clamps") << 5 << false << "-80" << ret << 129 << "-63.0";
    QTest::newRow("-120 wide clamps") << 6 << true << "-120" << ret << 155 << "-100.0";
    QTest::newRow("-63 wide") << 7 << true << "-63" << ret << 192 << "-63.0";
    QTest::newRow("keypad Enter") << 3 << false << "-20" << int(Qt::Key_Enter) << 215 << "-20.0";
}

void TestAttenuation::enterMovesTheBar()
{
    QFETCH(int, channel);
    QFETCH(bool, wide);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, value);
    QFETCH(QString, shown);
    Panel p;
    if (wide) p.chooseMode(true);
    p.bar(channel)->setValue(200); // somewhere other than the result
    p.clear();
    const int reg = 0x47 + channel;

    p.type(channel, typed, key);
    QCOMPARE(p.bar(channel)->value(), value);
    QCOMPARE(p.app.sim.chipWrites(), QStringList{chipWrite(reg, value)});
    QCOMPARE(p.app.historyLines(), QStringList{historyLine(reg, value)});
    QCOMPARE(int(p.form()->board().image().at(unsigned(reg))), value);
    QCOMPARE(p.edit(channel)->text(), shown);
    QVERIFY(p.app.dialogs.shown.isEmpty());
}

void TestAttenuation::enterOnCurrentPositionWritesNothing()
{
    Panel p;
    p.bar(3)->setValue(234);
    p.clear();
    for (const QString& typed :
         {QStringLiteral("-10.3"), QStringLiteral("-10.25"), QStringLiteral(" -10.5 ")}) {
        p.type(3, typed);
        QVERIFY(p.app.sim.trace().isEmpty());
        QCOMPARE(p.edit(3)->text(), typed); // the typed text stays
        QCOMPARE(p.bar(3)->value(), 234);
    }
    QVERIFY(p.app.historyLines().isEmpty());
}

void TestAttenuation::typingAloneNeverCommits()
{
    Panel p;
    p.type(2, "-20", 0);
    QTest::keyClick(p.edit(2), Qt::Key_Tab);
    QTest::keyClick(p.edit(2), Qt::Key_Space);
    QCOMPARE(p.bar(2)->value(), 255);
    QVERIFY(p.app.sim.trace().isEmpty());
}

void TestAttenuation::textThatIsNoNumber_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("letters") << "abc";
    QTest::newRow("empty") << "";
    QTest::newRow("unit") << "-10dB";
    QTest::newRow("comma with point separator") << "-10,5";
}

void TestAttenuation::textThatIsNoNumber()
{
    QFETCH(QString, typed);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Panel p;
    p.bar(3)->setValue(200);
    p.clear();
    const auto image = p.form()->board().image().bytes;
    p.type(3, typed);
    QCOMPARE(p.app.dialogs.texts("general"),
             QStringList{QStringLiteral(
                             "'%1' \u306F\u6D6E\u52D5\u5C0F\u6570\u70B9\u6570\u3067\u306F\u3042\u308A\u307E"
                             "\u305B\u3093.")
                             .arg(typed)});
    QCOMPARE(p.app.dialogs.shown.size(), 1);
    QVERIFY(p.app.sim.trace().isEmpty());
    QCOMPARE(p.bar(3)->value(), 200);
    QCOMPARE(p.edit(3)->text(), typed);
    QVERIFY(p.form()->board().image().bytes == image);
    // The panel goes on working.
    p.type(3, "-1");
    QCOMPARE(p.app.sim.chipWrites(), QStringList{"4A=FD"});
}

void TestAttenuation::movingTheBarWritesEachPosition()
{
    Panel p;
    p.bar(3)->setValue(200);
    QCOMPARE(p.app.sim.chipWrites(), QStringList{"4A=C8"});
    QCOMPARE(p.app.historyLines(), QStringList{"0x4A, 0xC8"});
    QCOMPARE(p.edit(3)->text(), QStringLiteral("-27.5"));
    QCOMPARE(int(p.form()->board().image().at(0x4A)), 200);

    // A key press moves one step and the end of the scroll writes once more.
    p.clear();
    QTest::keyClick(p.bar(3), Qt::Key_Left);
    QCOMPARE(p.bar(3)->value(), 199);
    QCOMPARE(p.app.sim.chipWrites(), (QStringList{"4A=C7", "4A=C7"}));
    QCOMPARE(p.edit(3)->text(), QStringLiteral("-28.0"));
}

void TestAttenuation::switchingModeRaisesLowChannels()
{
    Panel p;
    p.bar(2)->setValue(140);
    p.bar(3)->setValue(200);
    p.clear();

    p.chooseMode(true);
    QCOMPARE(p.app.sim.chipWrites(), (QStringList{"46=80", "49=9B"}));
    QCOMPARE(p.app.historyLines(), (QStringList{"0x46, 0x80", "0x49, 0x9B"}));
    QCOMPARE(p.bar(2)->minimum(), 155);
    QCOMPARE(p.bar(2)->value(), 155);
    QCOMPARE(p.edit(2)->text(), QStringLiteral("-100.0"));
    QCOMPARE(p.bar(3)->value(), 200);
    QCOMPARE(p.edit(3)->text(), QStringLiteral("-55.0"));
    QCOMPARE(p.edit(1)->text(), QStringLiteral("0.0"));

    p.clear();
    p.chooseMode(false);
    QCOMPARE(p.app.sim.chipWrites(), QStringList{"46=00"});
    for (int n = 1; n <= 8; ++n) QCOMPARE(p.bar(n)->minimum(), 129);
    QCOMPARE(p.bar(2)->value(), 155);
    QCOMPARE(p.edit(2)->text(), QStringLiteral("-50.0"));
    QCOMPARE(p.edit(3)->text(), QStringLiteral("-27.5"));
}

// Without a board the image of 0x46 keeps its value, so the texts keep the
// old scale; the attenuation elements still follow the new minimum.
void TestAttenuation::switchingModeWithoutBoard()
{
    Panel p;
    TForm1* f = p.form();
    f->board().WriteRegister(0x49, 140);
    f->board().WriteRegister(0x4A, 200);
    f->RefreshControls();
    // The board goes: a reconnect finds nothing, the image stays.
    p.app.sim.setPresent(false);
    QTest::mouseClick(p.app.find<QPushButton>("bBDRST"), Qt::LeftButton);
    QVERIFY(!f->board().isOpen());
    p.clear();
    QCOMPARE(p.bar(2)->value(), 140);
    QCOMPARE(p.edit(2)->text(), QStringLiteral("-57.5"));

    p.chooseMode(true);
    QVERIFY(p.app.sim.trace().isEmpty());
    QCOMPARE(int(f->board().image().at(0x46)), 0x00);
    QCOMPARE(p.bar(2)->minimum(), 155);
    QCOMPARE(p.bar(2)->value(), 155);
    QCOMPARE(int(f->board().image().at(0x49)), 155);
    QCOMPARE(p.edit(2)->text(), QStringLiteral("-50.0"));
    QCOMPARE(int(f->board().image().at(0x4A)), 200);
    QCOMPARE(p.edit(3)->text(), QStringLiteral("-27.5"));
}

void TestAttenuation::refreshOfCodeBelowRange_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<int>("image");
    QTest::addColumn<QString>("shown");
    QTest::newRow("bar elsewhere") << 200 << QStringList{"48=81"} << 0x81 << "-63.0";
    QTest::newRow("bar already at the minimum") << 129 << QStringList{} << 0x00 << "-127.5";
}

// A script wrote 0x00, a code below every range.
void TestAttenuation::refreshOfCodeBelowRange()
{
    QFETCH(int, before);
    QFETCH(QStringList, written);
    QFETCH(int, image);
    QFETCH(QString, shown);
    Panel p;
    p.bar(1)->setValue(before);
    p.form()->board().WriteRegister(0x48, 0x00);
    p.clear();
    p.form()->RefreshControls();
    QCOMPARE(p.bar(1)->value(), 129);
    QCOMPARE(p.app.sim.chipWrites(), written);
    QCOMPARE(int(p.form()->board().image().at(0x48)), image);
    QCOMPARE(p.edit(1)->text(), shown);
}

void TestAttenuation::refreshUnderSuppressWritesOnlyMirrors()
{
    Panel p;
    TForm1* f = p.form();
    p.bar(1)->setValue(200);
    p.clear();
    evm::Board::Quiet quiet(f->board());
    f->board().WriteRegister(0x48, 0x10);
    f->board().WriteRegister(0x4F, 0xC8);
    f->RefreshControls();
    QVERIFY(p.app.sim.trace().isEmpty());
    QVERIFY(p.app.historyLines().isEmpty());
    QCOMPARE(int(f->board().image().at(0x48)), 0x81);
    QCOMPARE(p.edit(1)->text(), QStringLiteral("-63.0"));
    QCOMPARE(p.bar(8)->value(), 200);
    QCOMPARE(p.edit(8)->text(), QStringLiteral("-27.5"));
}

void TestAttenuation::commaDecimalSeparator()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Panel p;
    QCOMPARE(p.edit(1)->text(), QStringLiteral("0,0"));
    p.bar(3)->setValue(200);
    QCOMPARE(p.edit(3)->text(), QStringLiteral("-27,5"));
    p.clear();
    p.type(3, "-10,3");
    QCOMPARE(p.app.sim.chipWrites(), QStringList{"4A=EA"});
    QCOMPARE(p.edit(3)->text(), QStringLiteral("-10,5"));

    p.clear();
    p.type(3, "-20.5");
    QCOMPARE(p.app.dialogs.texts("general").size(), 1);
    QVERIFY(p.app.dialogs.texts("general").first().startsWith(QStringLiteral("'-20.5' ")));
    QVERIFY(p.app.sim.trace().isEmpty());

    p.chooseMode(true);
    QCOMPARE(p.edit(3)->text(), QStringLiteral("-21,0"));
}

// While a bar's change is being handled (here: its write failed and the
// message is up), Enter in an edit does nothing.
void TestAttenuation::enterIgnoredWhileBarChangeRuns()
{
    Panel p;
    p.app.sim.failWrite(0, 0x4A, 5);
    bool typedDuringMessage = false;
    p.app.dialogs.onShow = [&](const RecordingDialogs::Shown& s) {
        if (s.kind != QLatin1String("message") || typedDuringMessage) return;
        typedDuringMessage = true;
        p.type(1, "-10");
    };
    p.bar(3)->setValue(200);
    QVERIFY(typedDuringMessage);
    QCOMPARE(p.app.dialogs.texts("message"), QStringList{"Communication error: WRERR0005"});
    QCOMPARE(p.app.sim.chipWrites(), QStringList{"4A=C8"}); // the failed attempt only
    QCOMPARE(p.bar(1)->value(), 255);
    QCOMPARE(p.edit(1)->text(), QStringLiteral("-10"));

    // Afterwards the same Enter acts.
    p.clear();
    QTest::keyClick(p.edit(1), Qt::Key_Return);
    QCOMPARE(p.app.sim.chipWrites(), QStringList{"48=EB"});
    QCOMPARE(p.edit(1)->text(), QStringLiteral("-10.0"));
}

QTEST_MAIN(TestAttenuation)
#include "tst_attenuation.moc"
