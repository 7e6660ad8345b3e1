// Check boxes, combo boxes and radio groups: the read-modify-write each one
// makes, and RefreshControls setting them back from the register image.

#include "fixture.h"

#include "globals.h"
#include "regviewform.h"
#include "widgets.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QtTest>

namespace {

// A pick in the box's list with the keyboard: the list's view hands the item
// to the box, which raises activated as for a mouse pick.
bool chooseItem(QComboBox* box, const QString& text)
{
    const int index = box->findText(text);
    if (index < 0) return false;
    QAbstractItemView* view = box->view();
    view->setCurrentIndex(box->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
    return box->currentIndex() == index;
}

// A started program over SPI (register defaults, board open, history on) with
// the start-up traffic cleared.
struct Panel {
    AppFixture app;
    Panel()
    {
        app.start();
        app.sim.clearTrace();
        form()->Memo1->clear();
    }
    TForm1* form() const { return app.form(); }
    // Sets a register as a script would: written, mirrored, then the trace cleared.
    void preset(unsigned reg, int value)
    {
        form()->board().WriteRegister(reg, value);
        app.sim.clearTrace();
        form()->Memo1->clear();
    }
};

} // namespace

class TestBindings : public QObject {
    Q_OBJECT
private slots:
    void checkBoxWritesItsBit();
    void comboWritesItsField_data();
    void comboWritesItsField();
    void radioWritesItsBit();
    void adcMasterSlaveFollowsWithBoardControl();
    void dacMasterSlaveFollowsWithBoardControl();
    void controlsWithoutBindingDoNothing();
    void noBoardChangesNothing();
    void refreshSetsEveryControl_data();
    void refreshSetsEveryControl();
    void fieldWithoutItemShowsNoItem_data();
    void fieldWithoutItemShowsNoItem();
    void refreshOnMatchingImageWritesNothing();
    void refreshRewritesChangedFields();
    void refreshUnderSuppressWritesOnlyMirrors();
    void refreshColoursTheRegisterMap();
};

void TestBindings::checkBoxWritesItsBit()
{
    Panel p;
    p.preset(0x43, 0x10);
    auto* box = p.app.find<QCheckBox>("cInvDAC3");
    QVERIFY(box);
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(box->isChecked());
    QCOMPARE(p.app.sim.chipWrites(), QStringList{"43=14"});
    QCOMPARE(int(p.form()->board().image().at(0x43)), 0x14);
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(p.app.sim.chipWrites(), (QStringList{"43=14", "43=10"}));
    QCOMPARE(p.app.historyLines(), (QStringList{"0x43, 0x14", "0x43, 0x10"}));

    // An analog-mute source sits in register 0x40, whose reset bits stay set.
    p.preset(0x40, 0x01);
    QTest::mouseClick(p.app.find<QCheckBox>("cbAMUTE4"), Qt::LeftButton);
    QCOMPARE(p.app.sim.chipWrites(), QStringList{"40=E1"});
}

void TestBindings::comboWritesItsField_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("written");
    QTest::newRow("sampling mode") << "cbDACSAM" << 0x40 << 0x04 << "Dual Rate"
                                   << "40=C6";
    QTest::newRow("de-emphasis") << "cbDEMP" << 0x46 << 0x81 << "44.1kHz"
                                 << "46=A1";
    QTest::newRow("zero flag function") << "cbZeroFunc" << 0x46 << 0x81 << "ZERO1: DATA4, ZERO2: DATA1-3"
                                        << "46=85";
    QTest::newRow("zero flag polarity") << "cbZeroPole" << 0x46 << 0xF6 << "Low for Zero detect"
                                        << "46=F7";
    QTest::newRow("format, four bits") << "cbDACFMT" << 0x41 << 0xF3 << "24bit High speed Left Justified TDM"
                                       << "41=F9";
    QTest::newRow("roll-off 3/4 clears") << "cbFLT34" << 0x42 << 0xFF << "Sharp Roll-off"
                                         << "42=FD";
    QTest::newRow("roll-off 7/8 sets") << "cbFLT78" << 0x42 << 0x00 << "Slow Roll-off"
                                       << "42=08";
}

void TestBindings::comboWritesItsField()
{
    QFETCH(QString, control);
    QFETCH(int, reg);
    QFETCH(int, before);
    QFETCH(QString, item);
    QFETCH(QString, written);
    Panel p;
    p.preset(unsigned(reg), before);
    auto* box = p.app.find<QComboBox>(control);
    QVERIFY(box);
    QVERIFY(chooseItem(box, item));
    QCOMPARE(p.app.sim.chipWrites(), QStringList{written});
    QCOMPARE(p.app.sim.traceOf("write ch=7").size(), 0);
}

void TestBindings::radioWritesItsBit()
{
    Panel p;
    p.preset(0x41, 0x05);
    auto* group = p.app.find<TRadioGroup>("rgDACPowSav");
    QVERIFY(group);
    QTest::mouseClick(group->button(1), Qt::LeftButton);
    QCOMPARE(group->itemIndex(), 1);
    QCOMPARE(p.app.sim.chipWrites(), QStringList{"41=85"});
    QTest::mouseClick(group->button(0), Qt::LeftButton);
    QCOMPARE(p.app.sim.chipWrites(), (QStringList{"41=85", "41=05"}));
    QCOMPARE(p.app.historyLines(), (QStringList{"0x41, 0x85", "0x41, 0x05"}));
}

// The ADC box is hidden; its change event is raised the way the wiring hears it.
void TestBindings::adcMasterSlaveFollowsWithBoardControl()
{
    Panel p;
    p.preset(0x51, 0x03);
    auto* box = p.app.find<QComboBox>("cbADCMasterSlave");
    QVERIFY(box);
    box->setCurrentIndex(box->findText("Master (512fs)"));
    emit box->activated(box->currentIndex());
    QStringList writes;
    for (const QString& l : p.app.sim.traceOf("write")) writes << l.section(QLatin1Char(' '), 1, 3);
    QCOMPARE(writes, (QStringList{"ch=0 addr=0x51 data=0x23", "ch=7 addr=0x34 data=0x00",
                                  "ch=7 addr=0x36 data=0x00"}));

    p.app.sim.clearTrace();
    box->setCurrentIndex(0);
    emit box->activated(0);
    writes.clear();
    for (const QString& l : p.app.sim.traceOf("write")) writes << l.section(QLatin1Char(' '), 1, 3);
    QCOMPARE(writes, (QStringList{"ch=0 addr=0x51 data=0x03", "ch=7 addr=0x34 data=0x01",
                                  "ch=7 addr=0x36 data=0x01"}));
    QCOMPARE(p.app.sim.boardControl(0x34), 1);
    QCOMPARE(p.app.sim.boardControl(0x36), 1);
}

void TestBindings::dacMasterSlaveFollowsWithBoardControl()
{
    Panel p;
    p.preset(0x41, 0x8A);
    auto* box = p.app.find<QComboBox>("cbDACMasterSlave");
    QVERIFY(box);
    QVERIFY(!box->isEnabled());
    box->setCurrentIndex(box->findText("Master (128fs)"));
    emit box->activated(box->currentIndex());
    QStringList writes;
    for (const QString& l : p.app.sim.traceOf("write")) writes << l.section(QLatin1Char(' '), 1, 3);
    QCOMPARE(writes, (QStringList{"ch=0 addr=0x41 data=0xEA", "ch=7 addr=0x37 data=0x00"}));
}

void TestBindings::controlsWithoutBindingDoNothing()
{
    Panel p;
    auto* hpcc = p.app.find<QCheckBox>("cHPCC");
    QVERIFY(hpcc);
    hpcc->setChecked(!hpcc->isChecked());
    p.form()->CheckBoxChecked(hpcc); // Tag 47: no binding
    // A control that carries a bound Tag but is not the bound control.
    QCheckBox stray;
    setTag(&stray, 2);
    stray.setChecked(true);
    p.form()->CheckBoxChecked(&stray);
    QComboBox strayCombo;
    strayCombo.addItem("x");
    setTag(&strayCombo, 4);
    p.form()->ComboBoxChange(&strayCombo);
    QVERIFY(p.app.sim.chipWrites().isEmpty());
    QVERIFY(p.app.historyLines().isEmpty());
}

void TestBindings::noBoardChangesNothing()
{
    AppFixture app;
    app.sim.setPresent(false);
    app.start();
    app.sim.clearTrace();
    const auto before = app.form()->board().image().bytes;
    QTest::mouseClick(app.find<QCheckBox>("cInvDAC3"), Qt::LeftButton);
    QVERIFY(app.find<QCheckBox>("cInvDAC3")->isChecked()); // the box shows it, the image does not
    QVERIFY(chooseItem(app.find<QComboBox>("cbDEMP"), "32kHz"));
    QVERIFY(app.sim.trace().isEmpty());
    QVERIFY(app.form()->board().image().bytes == before);
    app.form()->RefreshControls();
    QVERIFY(!app.find<QCheckBox>("cInvDAC3")->isChecked());
    QCOMPARE(app.find<QComboBox>("cbDEMP")->currentIndex(), 0);
}

void TestBindings::refreshSetsEveryControl_data()
{
    QTest::addColumn<int>("fill");
    QTest::newRow("all zero") << 0x00;
    QTest::newRow("all one") << 0xFF;
    QTest::newRow("0x55") << 0x55;
    QTest::newRow("0xAA") << 0xAA;
    QTest::newRow("0x33") << 0x33;
}

// Every bound control follows its field, and the raised events leave every
// field as the image had it.
void TestBindings::refreshSetsEveryControl()
{
    QFETCH(int, fill);
    Panel p;
    TForm1* f = p.form();
    {
        evm::Board::Quiet quiet(f->board());
        for (int a = 0x40; a <= 0x5E; ++a)
            if (a < 0x48 || a > 0x4F) f->board().WriteRegister(unsigned(a), fill);
    }
    const auto image = f->board().image().bytes;
    f->RefreshControls();
    for (const bind::CheckDef& d : bind::kCheckDefs) {
        auto* box = p.app.find<QCheckBox>(d.control);
        QVERIFY2(box, d.control);
        QVERIFY2(box->isChecked() == bool(fill & (1 << d.bit)), d.control);
    }
    for (const bind::ComboDef& d : bind::kComboDefs) {
        auto* box = p.app.find<QComboBox>(d.control);
        QVERIFY2(box, d.control);
        const int v = bind::fieldValue(std::uint8_t(fill), d.shift, d.width);
        QVERIFY2(box->currentIndex() == (v < box->count() ? v : -1), d.control);
    }
    for (const bind::RadioDef& d : bind::kRadioDefs) {
        auto* group = p.app.find<TRadioGroup>(d.control);
        QVERIFY2(group, d.control);
        QVERIFY2(group->itemIndex() == ((fill >> d.bit) & 1), d.control);
    }
    // The raised writes carried the image's own values (0x40 gains its reset bits).
    for (int i = 0; i < regs::kCount; ++i) {
        if (i >= 8 && i <= 15) continue; // attenuators: clamped into the bar's range
        const int expected = i == 0 && f->board().image().bytes[0] != image[0] ? image[0] | 0xC0 : image[i];
        QVERIFY2(f->board().image().bytes[i] == expected, qPrintable(QString::number(0x40 + i, 16)));
    }
    for (const QString& w : p.app.sim.chipWrites()) {
        const int reg = w.section('=', 0, 0).toInt(nullptr, 16);
        const int value = w.section('=', 1, 1).toInt(nullptr, 16);
        QVERIFY2(reg < 0x48 || reg > 0x4F, qPrintable(w));
        QVERIFY2(value == image[reg - 0x40] || (reg == 0x40 && (value | 0xC0) == (image[0] | 0xC0)),
                 qPrintable(w));
    }
}

void TestBindings::fieldWithoutItemShowsNoItem_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");
    for (int v = 10; v <= 15; ++v) QTest::addRow("cbDACFMT %d", v) << "cbDACFMT" << 0x41 << v;
    QTest::newRow("cbDACMasterSlave 7") << "cbDACMasterSlave" << 0x41 << 0x70;
    for (int v = 5; v <= 7; ++v)
        QTest::addRow("cbADCMasterSlave %d", v) << "cbADCMasterSlave" << 0x51 << (v << 4);
    QTest::newRow("cbADCSAM 3") << "cbADCSAM" << 0x50 << 0x03;
}

void TestBindings::fieldWithoutItemShowsNoItem()
{
    QFETCH(QString, control);
    QFETCH(int, reg);
    QFETCH(int, value);
    Panel p;
    auto* box = p.app.find<QComboBox>(control);
    QVERIFY(box);
    p.preset(unsigned(reg), value);
    p.form()->RefreshControls();
    QCOMPARE(box->currentIndex(), -1);
    QVERIFY(box->currentText().isEmpty());
    QVERIFY(p.app.sim.chipWrites().isEmpty()); // a combo box set from code raises nothing
    // A code with an item selects it again.
    p.preset(unsigned(reg), 0x11);
    p.form()->RefreshControls();
    QCOMPARE(box->currentIndex(), 1);
}

void TestBindings::refreshOnMatchingImageWritesNothing()
{
    Panel p;
    TForm1* f = p.form();
    f->RefreshControls();
    QVERIFY(p.app.sim.trace().isEmpty());
    QVERIFY(p.app.historyLines().isEmpty());

    // Also for an image far from the defaults, once the controls show it.
    const int values[][2] = {{0x40, 0x3A}, {0x41, 0xD7}, {0x42, 0xA5}, {0x43, 0x5A},
                             {0x44, 0xC3}, {0x46, 0xB5}, {0x48, 0x81}, {0x49, 0xC8},
                             {0x4F, 0x9B}, {0x50, 0x02}, {0x51, 0x27}, {0x57, 0x01}};
    for (const auto& rv : values) f->board().WriteRegister(unsigned(rv[0]), rv[1]);
    f->RefreshControls();
    p.app.sim.clearTrace();
    f->Memo1->clear();
    const auto image = f->board().image().bytes;
    f->RefreshControls();
    QVERIFY(p.app.sim.trace().isEmpty());
    QVERIFY(p.app.historyLines().isEmpty());
    QVERIFY(f->board().image().bytes == image);
}

void TestBindings::refreshRewritesChangedFields()
{
    Panel p;
    TForm1* f = p.form();
    auto* box = p.app.find<QCheckBox>("cInvDAC1");
    p.preset(0x43, 0x01); // a direct write: the box does not show it yet
    QVERIFY(!box->isChecked());
    f->RefreshControls();
    QVERIFY(box->isChecked());
    QCOMPARE(p.app.sim.chipWrites(), QStringList{"43=01"});
    QCOMPARE(p.app.historyLines(), QStringList{"0x43, 0x01"});

    // With LogHistory clear (end of a script run) the write goes out unlogged.
    p.preset(0x43, 0x00);
    {
        evm::Board::Quiet quiet(f->board(), evm::Board::Quiet::History);
        f->RefreshControls();
    }
    QVERIFY(!box->isChecked());
    QCOMPARE(p.app.sim.chipWrites(), QStringList{"43=00"});
    QVERIFY(p.app.historyLines().isEmpty());

    // A radio group changed by the refresh writes its register too.
    p.preset(0x41, 0x80);
    f->RefreshControls();
    QCOMPARE(p.app.find<TRadioGroup>("rgDACPowSav")->itemIndex(), 1);
    QCOMPARE(p.app.sim.chipWrites(), QStringList{"41=80"});
}

void TestBindings::refreshUnderSuppressWritesOnlyMirrors()
{
    Panel p;
    TForm1* f = p.form();
    p.preset(0x44, 0x81);
    evm::Board::Quiet quiet(f->board());
    f->RefreshControls();
    QVERIFY(p.app.find<QCheckBox>("cDAC1")->isChecked());
    QVERIFY(p.app.find<QCheckBox>("cDAC8")->isChecked());
    QVERIFY(p.app.sim.trace().isEmpty());
    QCOMPARE(int(f->board().image().at(0x44)), 0x81);
    QVERIFY(p.app.historyLines().isEmpty());
}

void TestBindings::refreshColoursTheRegisterMap()
{
    Panel p;
    QVERIFY(RegViewForm);
    RegViewForm->show();
    TForm1* f = p.form();
    auto* zero = RegViewForm->cell(0x43 - 0x40, 0); // REVDA8, 0 in the defaults
    auto* one = RegViewForm->cell(0, 0);            // MRST, always 1
    const QColor zeroColour = zero->palette().color(zero->backgroundRole());
    QVERIFY(zeroColour != one->palette().color(one->backgroundRole()));
    // The map shows a written zero-flag value until the refresh paints the image.
    f->board().WriteRegister(0x45, 0xFF);
    // The map colours its cells lazily: ask for the cell each time.
    auto flagColour = [] {
        const QLabel* flag = RegViewForm->cell(0x45 - 0x40, 7);
        return flag->palette().color(flag->backgroundRole());
    };
    QCOMPARE(flagColour(), one->palette().color(one->backgroundRole()));
    f->RefreshControls();
    QCOMPARE(flagColour(), zeroColour);
}

QTEST_MAIN(TestBindings)
#include "tst_bindings.moc"
