// The register map window as the user sees it: which cells turn light green
// after register writes, hidden rows, opening and closing.

#include "fixture.h"
#include "globals.h"
#include "regviewform.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

namespace {
const QColor kGreen(0xAF, 0xFD, 0x86);
const QColor kWhite(0xFF, 0xFF, 0xFF);

// The byte a row's cell colours stand for: green = 1, white = 0; -1 for any other colour.
int rowColours(int row)
{
    int v = 0;
    for (int j = 0; j < 8; ++j) {
        const QColor c = RegViewForm->cell(row, j)->palette().color(QPalette::Window);
        if (c == kGreen)
            v |= 1 << (7 - j);
        else if (c != kWhite)
            return -1;
    }
    return v;
}

QList<int> allRows()
{
    QList<int> out;
    for (int i = 0; i < TRegViewForm::kRows; ++i) out << rowColours(i);
    return out;
}

// The same byte read from the pixels on screen, a corner of each cell.
int rowOnScreen(const QImage& shot, int row)
{
    int v = 0;
    for (int j = 0; j < 8; ++j) {
        const QColor c = shot.pixelColor(68 + 60 * j + 1, 23 + 15 * row + 1);
        if (c == kGreen)
            v |= 1 << (7 - j);
        else if (c != kWhite)
            return -1;
    }
    return v;
}
} // namespace

class TestRegView : public QObject {
    Q_OBJECT
private slots:
    void gridShowsSixteenNamedRows();
    void writeColoursItsRow_data();
    void writeColoursItsRow();
    void writeOutsideTheMapChangesNoRow_data();
    void writeOutsideTheMapChangesNoRow();
    void shownWindowRepaintsAfterWrites();
    void reopenedWindowShowsWritesMadeWhileHidden();
    void onlyCloseAndTheCloseBoxHideTheWindow();
};

void TestRegView::gridShowsSixteenNamedRows()
{
    AppFixture app;
    app.create();
    TRegViewForm* v = RegViewForm;
    QCOMPARE(v->windowTitle(), QString("Register View"));
    QCOMPARE(v->size(), QSize(555, 301));
    v->show(); // the grid as the window shows it

    QStringList header, rowLabels;
    int visibleCells = 0;
    for (QLabel* l : v->pRegView->findChildren<QLabel*>()) {
        if (!l->isVisibleTo(v) || !v->pRegView->rect().contains(l->geometry())) continue;
        if (l->y() == 8)
            header << l->text();
        else if (l->x() == 8)
            rowLabels << l->text();
        else
            ++visibleCells;
    }
    QCOMPARE(header.size(), 9);
    QCOMPARE(QSet<QString>(header.begin(), header.end()),
             QSet<QString>({"Reg #", "B7", "B6", "B5", "B4", "B3", "B2", "B1", "B0"}));
    QCOMPARE(rowLabels.size(), 16);
    QVERIFY(rowLabels.contains("40") && rowLabels.contains("4F") && !rowLabels.contains("50"));
    QCOMPARE(visibleCells, 16 * 8);

    // Column 0 is bit 7, under "B7".
    QCOMPARE(v->cell(0, 0)->text(), QString("MRST"));
    QCOMPARE(v->cell(0, 7)->text(), QString("SRDA0"));
    QCOMPARE(v->cell(0x48 - 0x40, 0)->text(), QString("ATDA17"));
    QCOMPARE(v->cell(30, 7)->text(), QString("ATAD60"));
    QVERIFY(!v->cell(16, 0)->isVisibleTo(v));
    QCOMPARE(v->cell(0, 0)->geometry(), QRect(68, 23, 58, 13));
    QCOMPARE(v->cell(15, 7)->geometry(), QRect(68 + 60 * 7, 23 + 15 * 15, 58, 13));
}

void TestRegView::writeColoursItsRow_data()
{
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("shown");
    QTest::newRow("0x41 <- 0x0F") << 0x41 << 0x0F << 0x0F;
    QTest::newRow("0x41 <- 0xF0") << 0x41 << 0xF0 << 0xF0;
    QTest::newRow("0x40 <- 0x00: reset bits read back set") << 0x40 << 0x00 << 0xC0;
    QTest::newRow("0x40 <- 0x15") << 0x40 << 0x15 << 0xD5;
    QTest::newRow("0x45 shown as written, not masked") << 0x45 << 0x81 << 0x81;
    QTest::newRow("0x4F <- 0x00") << 0x4F << 0x00 << 0x00;
    QTest::newRow("0x50 hidden row") << 0x50 << 0x03 << 0x03;
    QTest::newRow("0x56 hidden, as written") << 0x56 << 0x3F << 0x3F;
    QTest::newRow("0x5E hidden, last row") << 0x5E << 0xA5 << 0xA5;
}

void TestRegView::writeColoursItsRow()
{
    QFETCH(int, reg);
    QFETCH(int, value);
    QFETCH(int, shown);
    AppFixture app;
    app.startOverIic();
    QVERIFY(app.form()->board().port() != 0);
    const int row = reg - 0x40;
    // Start from the complement so that every cell of the row must change.
    app.form()->board().WriteRegister(unsigned(reg), ~value & 0xFF);
    QList<int> expected = allRows();
    app.form()->board().WriteRegister(unsigned(reg), value);
    expected[row] = shown;
    QCOMPARE(allRows(), expected);
}

void TestRegView::writeOutsideTheMapChangesNoRow_data()
{
    QTest::addColumn<int>("reg");
    QTest::newRow("0x3F") << 0x3F;
    QTest::newRow("0x5F") << 0x5F;
    QTest::newRow("0x7D") << 0x7D;
    QTest::newRow("0x00") << 0x00;
    QTest::newRow("0xFF") << 0xFF;
}

void TestRegView::writeOutsideTheMapChangesNoRow()
{
    QFETCH(int, reg);
    AppFixture app;
    app.startOverIic();
    const QList<int> before = allRows();
    app.form()->board().WriteRegister(unsigned(reg), 0x5A);
    app.form()->board().WriteRegister(unsigned(reg), 0xA5);
    QCOMPARE(allRows(), before);
    // A caller passing a row outside the grid is ignored as well.
    RegViewForm->ShowRegister(-1, 0xFF);
    RegViewForm->ShowRegister(TRegViewForm::kRows, 0xFF);
    QCOMPARE(allRows(), before);
}

// What reaches the screen in the window's own paint pass, after a burst of writes.
void TestRegView::shownWindowRepaintsAfterWrites()
{
    AppFixture app;
    app.startOverIic();
    app.form()->RegisterMap1Click();
    QVERIFY(QTest::qWaitForWindowExposed(RegViewForm));
    auto screenRow = [](int row) {
        return rowOnScreen(RegViewForm->screen()->grabWindow(RegViewForm->winId()).toImage(), row);
    };
    for (int v : {0x80, 0x7F, 0x00, 0xA5}) {
        app.form()->board().WriteRegister(0x42, v ^ 0xFF);
        app.form()->board().WriteRegister(0x42, v);
        app.form()->board().WriteRegister(0x47, v);
        // On an X server the repaint reaches the screen after a turn or two.
        QTRY_COMPARE(screenRow(2), v);
        QTRY_COMPARE(screenRow(7), v);
    }
}

void TestRegView::reopenedWindowShowsWritesMadeWhileHidden()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    QAction* open = f->findChild<QAction*>("RegisterMap1");
    open->trigger();
    QVERIFY(RegViewForm->isVisible());
    QVERIFY(!RegViewForm->isModal());
    f->board().WriteRegister(0x42, 0x18);
    QCOMPARE(rowOnScreen(RegViewForm->pRegView->grab().toImage(), 2), 0x18);

    QTest::mouseClick(RegViewForm->bClose, Qt::LeftButton);
    QVERIFY(!RegViewForm->isVisible());
    f->board().WriteRegister(0x42, 0x81);
    f->board().WriteRegister(0x43, 0x0F);
    f->board().WriteRegister(0x42, 0xE7);
    open->trigger();
    QVERIFY(RegViewForm->isVisible());
    const QImage shot = RegViewForm->pRegView->grab().toImage();
    QCOMPARE(rowOnScreen(shot, 2), 0xE7);
    QCOMPARE(rowOnScreen(shot, 3), 0x0F);
}

// Escape hides nothing; the Close button and the title bar's close box hide
// the window and keep it, still following the writes.
void TestRegView::onlyCloseAndTheCloseBoxHideTheWindow()
{
    AppFixture app;
    app.startOverIic();
    QPointer<TRegViewForm> v = RegViewForm;
    app.form()->RegisterMap1Click();
    QVERIFY(QTest::qWaitForWindowExposed(v));
    QTest::keyClick(v, Qt::Key_Escape);
    v->bClose->setFocus();
    QTest::keyClick(v->bClose, Qt::Key_Escape);
    QVERIFY(v->isVisible());

    QTest::mouseClick(v->bClose, Qt::LeftButton);
    QVERIFY(!v->isVisible());
    app.form()->RegisterMap1Click();
    QVERIFY(v->isVisible());
    v->close(); // the title bar's close box
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(v);
    QVERIFY(!v->isVisible());
    app.form()->board().WriteRegister(0x44, 0x22);
    QCOMPARE(rowColours(4), 0x22);
    app.form()->RegisterMap1Click();
    QVERIFY(v->isVisible());
    QCOMPARE(rowOnScreen(v->pRegView->grab().toImage(), 4), 0x22);
}

QTEST_MAIN(TestRegView)
#include "tst_regview.moc"
