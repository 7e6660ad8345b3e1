// The main window's controls as the handlers and the user meet them: item
// lists and Tags that encode register fields, hidden and disabled controls,
// the tab control's rows, group frames clear of the controls, the image
// buttons' pressed look and clicks, the wiring of the panel families, and Exit.

#include "widgets.h"
#include "bindingtables.h"
#include "fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionGroupBox>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

namespace {

QString hintOf(int reg, int high, int low)
{
    return high == low ? QString::asprintf("Reg#%02XH, Bit%d", reg, low)
                       : QString::asprintf("Reg#%02XH, Bit%d-%d", reg, high, low);
}

const QStringList kDacFormats = {"24bit IIS",
                                 "24bit Left Justified",
                                 "24bit Right Justified",
                                 "16bit Right Justified",
                                 "24bit IIS DSP",
                                 "24bit Left Justified DSP",
                                 "24bit IIS TDM",
                                 "24bit Left Justified TDM",
                                 "24bit High speed IIS TDM",
                                 "24bit High speed Left Justified TDM"};

// A tab's rectangle in the tab control's coordinates.
QRect tabRect(TForm1* f, int index)
{
    return f->MainTab->tabRect(index);
}

// Top of the page area: the tabs stand above it.
int pageTop(TForm1* f)
{
    return f->MainTab->currentWidget()->mapTo(f->MainTab, QPoint(0, 0)).y();
}

// Top of the row next to the page: the lowest row.
int frontRowTop(TForm1* f)
{
    int top = 0;
    for (int i = 0; i < f->MainTab->count(); ++i) top = std::max(top, tabRect(f, i).top());
    return top;
}

// What the X server shows of `r` (in w's coordinates).
QImage onScreen(QWidget* w, const QRect& r)
{
    const QPoint g = w->mapToGlobal(r.topLeft());
    return QGuiApplication::primaryScreen()->grabWindow(0, g.x(), g.y(), r.width(), r.height()).toImage();
}

bool uniform(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != image.pixel(0, 0)) return false;
    return true;
}

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// The bands of rows and columns where `box` paints its frame lines, found in
// what it paints by itself (no children): the outermost lines in which nearly
// every pixel differs from the ground outside and from the inside. The top
// line is looked for to the right of the caption, where the style says the
// caption ends.
struct FrameBands {
    int top0 = -1, top1 = -1, bottom0 = -1, left1 = -1, right0 = -1;
};
FrameBands paintedFrame(QGroupBox* box)
{
    const QColor ground = box->palette().color(QPalette::Window);
    QImage img(box->size(), QImage::Format_RGB32);
    img.fill(ground);
    box->render(&img, QPoint(), QRegion(), QWidget::RenderFlags());
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.text = box->title();
    opt.textAlignment = box->alignment();
    opt.lineWidth = 1;
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect caption =
        box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
    const int w = img.width(), h = img.height();
    // A style may fill the inside too: a line differs from both.
    const QRgb inside = img.pixel(w / 2, h / 2);
    auto lineAt = [&](bool row, int at, int from, int to) {
        int differ = 0;
        for (int i = from; i <= to; ++i) {
            const QRgb p = row ? img.pixel(i, at) : img.pixel(at, i);
            differ += p != ground.rgb() && p != inside;
        }
        return differ * 4 >= (to - from + 1) * 3;
    };
    // A band: skip to the first line, then over it; returns its last index
    // (-1: no line at all).
    auto band = [](int start, int end, int step, auto isLine, int* first) {
        int i = start;
        while (i != end && !isLine(i)) i += step;
        *first = i != end ? i : -1;
        while (i != end && isLine(i)) i += step;
        return *first < 0 ? -1 : i - step;
    };
    FrameBands f;
    const int right = w - 6, from = std::min(right, caption.right() + 2);
    auto row = [&](int l, int r) { return [&, l, r](int y) { return lineAt(true, y, l, r); }; };
    f.top1 = band(0, h / 2, 1, row(from, right), &f.top0);
    int ignored = 0;
    f.bottom0 = band(h - 1, h / 2, -1, row(6, right), &ignored);
    const int top = f.top1 + 4, bottom = f.bottom0 - 4;
    auto column = [&](int x) { return top < bottom && lineAt(false, x, top, bottom); };
    f.left1 = band(0, w / 2, 1, column, &ignored);
    f.right0 = band(w - 1, w / 2, -1, column, &ignored);
    return f;
}

const QStringList kHidden = {"Label24",  "cbADCSAM",      "Label62", "cbADCMasterSlave", "Label26",
                             "cbADCFMT", "rgDACAttSpeed", "cHPCC",   "GroupBox15"};
} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void comboItemsInOrder_data();
    void comboItemsInOrder();
    void bindingTablesMatchTheControls();
    void everyPanelControlIsBound();
    void hiddenControlsNeverShow();
    void masterSlaveTakesNoInput();
    void everyTabShowsOnRows();
    void pickedTabsRowMovesNextToThePage();
    void noControlCrossesAGroupFrame();
    void onlyControlsWithAHintShowATooltip();
    void comboFromCodeIsSilentUserPickWrites();
    void checkBoxFromCodeWrites();
    void imageButtonPressedLook_data();
    void imageButtonPressedLook();
    void onlyALeftClickRunsTheButton();
    void doubleClickRunsTheButtonOnce();
    void leftPressMovedOffRunsNothing();
    void exitCloses_data();
    void exitCloses();
};

void TestLayout::comboItemsInOrder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");
    const QStringList rollOff = {"Sharp Roll-off", "Slow Roll-off"};
    QTest::newRow("cbDACMasterSlave")
        << "cbDACMasterSlave"
        << QStringList{"Slave",          "Master (768fs)", "Master (512fs)", "Master (384fs)",
                       "Master (256fs)", "Master (192fs)", "Master (128fs)"};
    QTest::newRow("cbDACFMT") << "cbDACFMT" << kDacFormats;
    QTest::newRow("cbADCMasterSlave")
        << "cbADCMasterSlave"
        << QStringList{"Slave", "Master (768fs)", "Master (512fs)", "Master (384fs)", "Master (256fs)"};
    QTest::newRow("cbADCFMT") << "cbADCFMT" << kDacFormats.mid(0, 8);
    QTest::newRow("cbDACSAM") << "cbDACSAM" << QStringList{"Auto", "Single Rate", "Dual Rate", "Quad Rate"};
    QTest::newRow("cbADCSAM") << "cbADCSAM" << QStringList{"Auto", "Single Rate", "Dual Rate"};
    QTest::newRow("cbZeroFunc") << "cbZeroFunc"
                                << QStringList{"ZERO1: DATA1 L-ch, ZERO2: DATA1 R-ch",
                                               "ZERO1: DATA1-4, ZERO2: DATA1-4",
                                               "ZERO1: DATA4, ZERO2: DATA1-3",
                                               "ZERO1: DATA1, ZERO2: DATA2-4"};
    QTest::newRow("cbZeroPole") << "cbZeroPole" << QStringList{"High for Zero detect", "Low for Zero detect"};
    QTest::newRow("cbOvfPole") << "cbOvfPole"
                               << QStringList{"High for overflow detect", "Low for overflow detect"};
    QTest::newRow("cbDEMP") << "cbDEMP" << QStringList{"Disable", "48kHz", "44.1kHz", "32kHz"};
    QTest::newRow("cbFLT12") << "cbFLT12" << rollOff;
    QTest::newRow("cbFLT34") << "cbFLT34" << rollOff;
    QTest::newRow("cbFLT56") << "cbFLT56" << rollOff;
    QTest::newRow("cbFLT78") << "cbFLT78" << rollOff;
    QTest::newRow("cbAddr") << "cbAddr" << QStringList{"00", "01", "10", "11"};
}

void TestLayout::comboItemsInOrder()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    AppFixture app;
    app.create();
    auto* cb = app.find<QComboBox>(name);
    QVERIFY(cb);
    QStringList got;
    for (int i = 0; i < cb->count(); ++i) got << cb->itemText(i);
    QCOMPARE(got, items);
    QVERIFY(!cb->isEditable()); // pick-only: no text that is not an item
}

// The layout and the binding tables are written apart; a Tag or a hint that
// disagrees sends a control's change to another register field.
void TestLayout::bindingTablesMatchTheControls()
{
    AppFixture app;
    app.create();
    for (const bind::CheckDef& d : bind::kCheckDefs) {
        auto* c = app.find<QCheckBox>(d.control);
        QVERIFY2(c, d.control);
        QCOMPARE(tagOf(c), d.tag);
        QCOMPARE(c->toolTip(), hintOf(d.reg, d.bit, d.bit));
    }
    for (const bind::ComboDef& d : bind::kComboDefs) {
        auto* c = app.find<QComboBox>(d.control);
        QVERIFY2(c, d.control);
        QCOMPARE(tagOf(c), d.tag);
        QCOMPARE(c->toolTip(), hintOf(d.reg, d.shift + d.width - 1, d.shift));
        QVERIFY2(c->count() <= (1 << d.width), d.control); // every item fits its field
    }
    for (const bind::RadioDef& d : bind::kRadioDefs) {
        auto* c = app.find<TRadioGroup>(d.control);
        QVERIFY2(c, d.control);
        QCOMPARE(tagOf(c), d.tag);
        QCOMPARE(c->toolTip(), hintOf(d.reg, d.bit, d.bit));
        QCOMPARE(c->count(), 2);
    }
    for (const bind::AttenuationDef& d : bind::kAttenuationDefs) {
        auto* tk = app.find<TTrackBar>(d.track);
        auto* ed = app.find<TEdit>(d.edit);
        QVERIFY2(tk && ed, d.track);
        QCOMPARE(tagOf(tk), d.tag);
        QCOMPARE(tagOf(ed), d.tag);
        QCOMPARE(tk->toolTip(), hintOf(d.reg, 7, 0));
        QCOMPARE(ed->toolTip(), tk->toolTip());
        QCOMPARE(tk->minimum(), 129);
        QCOMPARE(tk->maximum(), 255);
        QCOMPARE(ed->text(), QString("0.0"));
    }
    const struct {
        const char* name;
        int tag;
    } images[] = {{"imgSave", 2}, {"imgClear", 3}, {"imgRead", 4}, {"imgWrite", 5}, {"imgExit", 6}};
    for (const auto& i : images) QCOMPARE(tagOf(app.find<TImageButton>(i.name)), i.tag);
}

// A panel control missing from the tables would do nothing when used.
void TestLayout::everyPanelControlIsBound()
{
    AppFixture app;
    app.create();
    QSet<QString> bound;
    for (const auto& d : bind::kCheckDefs) bound << d.control;
    for (const auto& d : bind::kComboDefs) bound << d.control;
    for (const auto& d : bind::kRadioDefs) bound << d.control;
    for (const auto& d : bind::kAttenuationDefs) bound << d.track << d.edit;
    QWidget* tabs = app.form()->MainTab;
    QStringList panel;
    for (auto* w : tabs->findChildren<QCheckBox*>()) panel << w->objectName();
    for (auto* w : tabs->findChildren<QComboBox*>()) panel << w->objectName();
    for (auto* w : tabs->findChildren<TRadioGroup*>()) panel << w->objectName();
    for (auto* w : tabs->findChildren<TTrackBar*>()) panel << w->objectName();
    for (auto* w : tabs->findChildren<TEdit*>()) panel << w->objectName();
    panel.removeAll("cHPCC"); // hidden, deliberately without a binding
    QCOMPARE(panel.size(), bound.size());
    for (const QString& n : panel) QVERIFY2(bound.contains(n), qPrintable(n));
}

void TestLayout::hiddenControlsNeverShow()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    QCOMPARE(f->MainTab->currentWidget()->objectName(), QString("DACADCFunc"));

    QList<QWidget*> hidden;
    for (const QString& n : kHidden) {
        QWidget* w = f->control(n);
        QVERIFY2(w, qPrintable(n));
        hidden << w;
    }
    hidden << f->control("GroupBox15")->findChildren<QWidget*>();
    QVERIFY(hidden.size() > kHidden.size() + 10); // the overflow group's lamps, labels and buttons

    for (int page = 0; page < f->MainTab->count(); ++page) {
        QTest::mouseClick(f->MainTab, Qt::LeftButton, {}, f->MainTab->tabRect(page).center());
        QCOMPARE(f->MainTab->currentIndex(), page);
        // The page itself is on screen, so a hidden control is hidden for itself.
        QVERIFY(f->MainTab->currentWidget()->isVisibleTo(f));
        for (QWidget* w : hidden)
            if (f->MainTab->currentWidget()->isAncestorOf(w))
                QVERIFY2(!w->isVisibleTo(f), qPrintable(w->objectName()));
    }
    for (QWidget* w : hidden) QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    // Their visible neighbours do show.
    f->MainTab->setCurrentIndex(0);
    QVERIFY(f->control("cbDACFMT")->isVisible());
    QVERIFY(f->control("cbDACSAM")->isVisible());
}

// All five tabs are on screen at once, on rows inside the control's width,
// with no scroll arrows; the pages below them still hold their controls.
void TestLayout::everyTabShowsOnRows()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    QVERIFY(QTest::qWaitForWindowExposed(f));
    auto* tabs = f->MainTab;
    QCOMPARE(tabs->geometry(), QRect(24, 37, 458, 420));
    QCOMPARE(tabs->currentWidget()->objectName(), QString("DACADCFunc"));
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i) captions << tabs->tabText(i);
    QCOMPARE(captions, QStringList({"DAC Inteface and Sampling Mode", "DAC Operation", "DAC Attenuation",
                                    "DAC Zero Flag", "DAC Analog Mute Function Control"}));

    const QRect tabArea(0, 0, tabs->width(), pageTop(f));
    QSet<int> rowTops;
    for (int i = 0; i < tabs->count(); ++i) {
        const QRect r = tabRect(f, i);
        QVERIFY2(tabArea.contains(r), qPrintable(captions[i]));
        QVERIFY2(r.width() > tabs->fontMetrics().horizontalAdvance(captions[i]), qPrintable(captions[i]));
        for (int j = 0; j < i; ++j) QVERIFY2(!r.intersects(tabRect(f, j)), qPrintable(captions[i]));
        rowTops << r.top();
    }
    QVERIFY(rowTops.size() > 1);
    for (QToolButton* b : tabs->findChildren<QToolButton*>()) QVERIFY(!b->isVisible());
    // Taller tab rows leave less room below: no control may be cut off.
    for (int i = 0; i < tabs->count(); ++i) {
        QWidget* page = tabs->widget(i);
        for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!w->isHidden()) QVERIFY2(page->rect().contains(w->geometry()), qPrintable(w->objectName()));
    }

    if (!onX11()) QSKIP("the pixels on screen need an X server: run under xvfb-run with QT_QPA_PLATFORM=xcb");
    for (int i = 0; i < tabs->count(); ++i)
        QVERIFY2(!uniform(onScreen(tabs, tabRect(f, i))), qPrintable(captions[i]));
}

// As on the desktop: the row of the tab picked, by mouse or keyboard, moves
// next to the page and the other rows move back.
void TestLayout::pickedTabsRowMovesNextToThePage()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
    auto* tabs = f->MainTab;
    const int front = frontRowTop(f);
    QList<int> frontRow, backRows;
    for (int i = 0; i < tabs->count(); ++i) (tabRect(f, i).top() == front ? frontRow : backRows) << i;
    QVERIFY(frontRow.contains(0));
    QVERIFY(!backRows.isEmpty());
    const QRect strip(0, 0, tabs->width(), pageTop(f));
    const QImage before = onX11() ? onScreen(tabs, strip) : QImage();

    const int last = tabs->count() - 1;
    QCOMPARE(backRows.last(), last);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabRect(f, last).center());
    QCOMPARE(tabs->currentIndex(), last);
    QVERIFY(tabs->currentWidget()->isVisible());
    QCOMPARE(tabRect(f, last).top(), front);
    for (int i : frontRow) QVERIFY(tabRect(f, i).top() < front);
    if (onX11()) QTRY_VERIFY(onScreen(tabs, strip) != before);
    QCOMPARE(QApplication::focusWidget(), tabs);

    // A tab of the front row moves no row.
    QCOMPARE(tabRect(f, last - 1).top(), front);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabRect(f, last - 1).center());
    QCOMPARE(tabs->currentIndex(), last - 1);
    QCOMPARE(tabRect(f, last).top(), front);

    // Arrows step without wrapping while the control has the focus; a tab
    // reached by key brings its row forward.
    QTest::keyClick(tabs, Qt::Key_Right);
    QTest::keyClick(tabs, Qt::Key_Down);
    QCOMPARE(tabs->currentIndex(), last);
    QTest::keyClick(tabs, Qt::Key_Up);
    QTest::keyClick(tabs, Qt::Key_Left);
    QCOMPARE(tabs->currentIndex(), last - 2);
    QCOMPARE(tabRect(f, last - 2).top(), front);
    QVERIFY(tabRect(f, last).top() < front);
    // An arrow that a control on the page leaves unused turns no page.
    auto* edit = tabs->currentWidget()->findChild<TEdit*>();
    QVERIFY(edit);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(tabs->currentIndex(), last - 2);
    // Ctrl+Tab and Ctrl+Shift+Tab work from a control on the page, and wrap.
    auto onPage = [tabs] {
        for (QWidget* w : tabs->currentWidget()->findChildren<QWidget*>())
            if (w->isVisible() && w->isEnabled() && w->focusPolicy() != Qt::NoFocus) {
                w->setFocus();
                return w;
            }
        return static_cast<QWidget*>(nullptr);
    };
    for (int expected : {last - 1, last, 0}) {
        QTest::keyClick(onPage(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), expected);
        QCOMPARE(tabRect(f, expected).top(), front);
    }
    QTest::keyClick(onPage(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(tabs->currentIndex(), last);
    QCOMPARE(tabRect(f, last).top(), front);
}

// The places in the layout put controls just below a group's caption: the
// frame's top line has to run through the caption, as it does on the desktop
// the layout was made for. No shown control may cross a frame line as painted.
void TestLayout::noControlCrossesAGroupFrame()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    QSet<QGroupBox*> seen;
    for (int page = 0; page < f->MainTab->count(); ++page) {
        f->MainTab->setCurrentIndex(page);
        for (QGroupBox* box : f->findChildren<QGroupBox*>()) {
            if (!box->isVisible() || seen.contains(box)) continue;
            seen << box;
            const FrameBands frame = paintedFrame(box);
            const QByteArray name = box->objectName().toLatin1();
            QVERIFY2(frame.top0 >= 0 && frame.top1 >= frame.top0 && frame.bottom0 > frame.top1, name);
            QVERIFY2(frame.left1 >= 0 && frame.right0 > frame.left1, name);
            for (QWidget* w : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (!w->isVisibleTo(box)) continue;
                const QRect r = w->geometry();
                QVERIFY2(r.top() > frame.top1 && r.bottom() < frame.bottom0 && r.left() > frame.left1 &&
                             r.right() < frame.right0,
                         name + ": " + w->objectName().toLatin1() + " crosses the frame line");
            }
            // The line runs through the caption's text, not above or below it.
            QVERIFY2(frame.top0 > 0 && frame.top1 < box->fontMetrics().height(),
                     name + ": top line at " + QByteArray::number(frame.top0));
        }
    }
    QCOMPARE(seen.size(), 15); // every shown group box and radio group of the window
}

// Qt hands a tooltip request that a control leaves unanswered to its parent;
// a control without a hint of its own shows none, whatever its group has.
void TestLayout::onlyControlsWithAHintShowATooltip()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    f->MainTab->setCurrentIndex(f->MainTab->indexOf(f->control("AnalogPath")));
    QVERIFY(QTest::qWaitForWindowExposed(f));
    auto tipOver = [](QWidget* w) {
        const QPoint at(w->width() / 2, w->height() / 2);
        QHelpEvent e(QEvent::ToolTip, at, w->mapToGlobal(at));
        QApplication::sendEvent(w, &e);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    // First, while no tooltip is up: a hidden tooltip lingers a moment.
    QVERIFY(!QToolTip::isVisible());
    QCOMPARE(tipOver(f->control("Label6")), QString());
    QCOMPARE(tipOver(f->control("selDin")), QString("Reg#40H, Bit5-2"));
    QCOMPARE(tipOver(f->control("cbAMUTE1")), QString("Reg#40H, Bit2"));
    // The buttons of a radio group are the group's: they show its hint.
    f->MainTab->setCurrentIndex(f->MainTab->indexOf(f->control("DACAtt")));
    QCOMPARE(tipOver(f->rgDACAttMode->button(0)), f->rgDACAttMode->toolTip());
    QToolTip::hideText();
}

void TestLayout::masterSlaveTakesNoInput()
{
    AppFixture app;
    app.startOverIic();
    auto* cb = app.form()->cbDACMasterSlave;
    QVERIFY(!cb->isEnabled());
    const int before = cb->currentIndex();
    app.sim.clearTrace();
    QTest::keyClick(cb, Qt::Key_Down);
    QTest::mouseClick(cb, Qt::LeftButton);
    QCOMPARE(cb->currentIndex(), before);
    QVERIFY(app.sim.traceOf("write").isEmpty());
}

void TestLayout::comboFromCodeIsSilentUserPickWrites()
{
    AppFixture app;
    app.startOverIic();
    auto* cb = app.find<QComboBox>("cbDACSAM");
    app.sim.clearTrace();
    cb->setCurrentIndex(2);
    QVERIFY(app.sim.chipWrites().isEmpty());
    QTest::keyClick(cb, Qt::Key_Down); // the user picks "Quad Rate"
    QCOMPARE(cb->currentIndex(), 3);
    const QStringList w = app.sim.chipWrites();
    QCOMPARE(w.size(), 1);
    QVERIFY2(w.first().startsWith("40="), qPrintable(w.first()));
    QCOMPARE(app.sim.reg(0x40) & 0x03, 3);
}

// RefreshControls relies on a check box set from code running its handler.
void TestLayout::checkBoxFromCodeWrites()
{
    AppFixture app;
    app.startOverIic();
    auto* c = app.find<QCheckBox>("cInvDAC3");
    QVERIFY(!c->isChecked());
    app.sim.clearTrace();
    c->setChecked(true);
    QCOMPARE(app.sim.chipWrites().size(), 1);
    QCOMPARE(app.sim.reg(0x43) & 0x04, 0x04);
}

void TestLayout::imageButtonPressedLook_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::newRow("imgSave") << "imgSave" << QRect(24, 320, 79, 24);
    QTest::newRow("imgClear") << "imgClear" << QRect(116, 320, 79, 24);
    QTest::newRow("imgRead") << "imgRead" << QRect(96, 32, 53, 24);
    QTest::newRow("imgWrite") << "imgWrite" << QRect(152, 32, 53, 24);
    QTest::newRow("imgExit") << "imgExit" << QRect(592, 500, 111, 24);
}

// Any mouse button gives the pressed look (one pixel right and down, one row
// shorter); release puts the picture back exactly where it was.
void TestLayout::imageButtonPressedLook()
{
    QFETCH(QString, name);
    QFETCH(QRect, place);
    AppFixture app;
    app.start();
    auto* b = app.find<TImageButton>(name);
    QCOMPARE(b->geometry(), place);
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(b, button, {}, QPoint(5, 5));
        QCOMPARE(b->geometry(), QRect(place.x() + 1, place.y() + 1, place.width(), 23));
        QTest::mouseRelease(b, button, {}, QPoint(4, 4));
        QCOMPARE(b->geometry(), place);
    }
    // The picture is drawn from the top-left corner, unscaled, one row taller than the button.
    b->grab(); // pictures are drawn when first painted
    QCOMPARE(b->pixmap().height(), 25);
    QVERIFY(!b->hasScaledContents());
}

void TestLayout::onlyALeftClickRunsTheButton()
{
    AppFixture app;
    app.start();
    QPlainTextEdit* memo = app.form()->Memo1;
    memo->setPlainText("0x41, 0x05");
    auto* clear = app.form()->imgClear;
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(clear, button, {}, QPoint(5, 5));
        QCOMPARE(memo->toPlainText(), QString("0x41, 0x05"));
    }
    QTest::mouseClick(clear, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(memo->toPlainText(), QString());

    auto* exit = app.form()->imgExit;
    QTest::mouseClick(exit, Qt::RightButton, {}, QPoint(5, 5));
    QVERIFY(app.sim.traceOf("close").isEmpty());
    QVERIFY(app.form()->isVisible());
    QTest::mouseClick(exit, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(app.sim.traceOf("close").size(), 1);
    QVERIFY(!app.form()->isVisible());
}

// The second press of a double click is no second click: one write, one line.
void TestLayout::doubleClickRunsTheButtonOnce()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    f->RDA_reg->setText("0x41");
    f->RDA_data->setText("0x05");
    app.sim.clearTrace();
    // A double click as the platform delivers it: press, release, then the
    // second press as a double-click event, and its release.
    QTest::mouseClick(f->imgWrite, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(f->imgWrite, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(f->imgWrite->height(), 23); // pressed look for the second press too
    QTest::mouseRelease(f->imgWrite, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(app.sim.chipWrites(), QStringList{"41=05"});
    QCOMPARE(f->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts), QStringList{"0x41, 0x05"});
    QCOMPARE(f->imgWrite->height(), 24); // the release restored the look
}

// The user changes their mind: press, move off the picture, release.
void TestLayout::leftPressMovedOffRunsNothing()
{
    AppFixture app;
    app.start();
    app.form()->Memo1->setPlainText("0x41, 0x05");
    for (TImageButton* b : {app.form()->imgClear, app.form()->imgExit}) {
        const QRect place = b->geometry();
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(b, QPoint(5, 60));
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 60));
        QCOMPARE(b->geometry(), place);
    }
    QCOMPARE(app.form()->Memo1->toPlainText(), QString("0x41, 0x05"));
    QVERIFY(app.sim.traceOf("close").isEmpty());
    QVERIFY(app.form()->isVisible());
}

void TestLayout::exitCloses_data()
{
    QTest::addColumn<QString>("via");
    QTest::newRow("File > Exit") << "menu";
    QTest::newRow("EXIT button") << "button";
    QTest::newRow("close box") << "window";
}

// Every way out runs the shut-down once: the board is closed.
void TestLayout::exitCloses()
{
    QFETCH(QString, via);
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    if (via == "menu")
        f->findChild<QAction*>("Exit1")->trigger();
    else if (via == "button")
        QTest::mouseClick(f->imgExit, Qt::LeftButton, {}, QPoint(10, 10));
    else
        f->close();
    QVERIFY(!f->isVisible());
    QCOMPARE(app.sim.traceOf("close"), QStringList{"close"});
    QVERIFY(!app.sim.isOpen());
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
