// The window as a screen reader and a keyboard user meet it: the controls the
// program draws itself (tab rows, image buttons, lamps, connection plate)
// through their accessible interfaces, Tab through the controls in the order
// they stand, and the image buttons worked by key.

#include "fixture.h"
#include "widgets.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QtTest>

namespace {

QAccessibleInterface* accessible(QObject* o)
{
    return QAccessible::queryAccessibleInterface(o);
}

// The children of the tab rows that a screen reader lists as page tabs.
QList<QAccessibleInterface*> pageTabs(QAccessibleInterface* list)
{
    QList<QAccessibleInterface*> tabs;
    for (int i = 0; i < list->childCount(); ++i)
        if (QAccessibleInterface* c = list->child(i); c && c->role() == QAccessible::PageTab) tabs << c;
    return tabs;
}

// Whether `target` can be reached by walking down from `from`, as a reader does.
bool reachable(QAccessibleInterface* from, QObject* target, int depth = 8)
{
    if (from->object() == target) return true;
    for (int i = 0; depth > 0 && i < from->childCount(); ++i)
        if (QAccessibleInterface* c = from->child(i); c && reachable(c, target, depth - 1)) return true;
    return false;
}

// A key as the window system delivers it: to the window, which hands it to
// its focus widget.
void key(TForm1* f, Qt::Key k, QTest::KeyAction action = QTest::Click)
{
    if (action == QTest::Click) QTest::keyClick(f->windowHandle(), k);
    if (action == QTest::Press) QTest::keyPress(f->windowHandle(), k);
    if (action == QTest::Release) QTest::keyRelease(f->windowHandle(), k);
}

QString focusName()
{
    QWidget* w = QApplication::focusWidget();
    if (auto* radio = qobject_cast<QRadioButton*>(w))
        return radio->parentWidget()->objectName() + "/" + radio->text();
    return w ? w->objectName() : QString("(none)");
}

// The names Tab visits from the tab control round to it again.
QStringList tabCycle(TForm1* f)
{
    f->MainTab->setFocus(Qt::TabFocusReason);
    QStringList names{focusName()};
    for (int i = 0; i < 100; ++i) {
        key(f, Qt::Key_Tab);
        if (QApplication::focusWidget() == f->MainTab) break;
        names << focusName();
    }
    return names;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void pageTabsAsAReaderSeesThem();
    void imageButtonsAreButtons_data();
    void imageButtonsAreButtons();
    void picturesTellTheirState();
    void tabFollowsTheLayout();
    void tabReachesEveryControlOfEveryPage();
    void spaceAndEnterWorkAFocusedImageButton();
};

// One page tab per page, named by its caption, the current one selected, at
// the place it is drawn; pressing a tab selects it. The pages stay in the tree.
void TestAccessibility::pageTabsAsAReaderSeesThem()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    QVERIFY(QTest::qWaitForWindowExposed(f));
    QAccessibleInterface* list = accessible(f->MainTab);
    QVERIFY(list);
    QCOMPARE(list->role(), QAccessible::PageTabList);
    const QList<QAccessibleInterface*> tabs = pageTabs(list);
    QCOMPARE(tabs.size(), f->MainTab->count());
    for (int i = 0; i < tabs.size(); ++i) {
        QCOMPARE(tabs[i]->text(QAccessible::Name), f->MainTab->tabText(i));
        QCOMPARE(tabs[i]->state().selected, i == 0);
        QVERIFY(tabs[i]->state().selectable);
        const QRect r = f->MainTab->tabRect(i);
        QCOMPARE(tabs[i]->rect(), QRect(f->MainTab->mapToGlobal(r.topLeft()), r.size()));
        QCOMPARE(list->childAt(tabs[i]->rect().center().x(), tabs[i]->rect().center().y()), tabs[i]);
        QCOMPARE(tabs[i]->parent(), list);
        QCOMPARE(list->child(list->indexOfChild(tabs[i])), tabs[i]);
    }

    const int zeroFlag = f->MainTab->indexOf(f->control("StatusFlag"));
    QAccessibleActionInterface* action = tabs[zeroFlag]->actionInterface();
    QVERIFY(action);
    QVERIFY(action->actionNames().contains(QAccessibleActionInterface::pressAction()));
    action->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(f->MainTab->currentIndex(), zeroFlag);
    for (int i = 0; i < tabs.size(); ++i) QCOMPARE(tabs[i]->state().selected, i == zeroFlag);
    QVERIFY(reachable(list, f->control("cbZeroFunc")));

    // With the focus on the rows, the reader's focus is the selected tab.
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
    f->MainTab->setFocus();
    QCOMPARE(list->focusChild(), tabs[zeroFlag]);
    QVERIFY(tabs[zeroFlag]->state().focused);
}

void TestAccessibility::imageButtonsAreButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("imgSave") << "imgSave"
                             << "Save";
    QTest::newRow("imgClear") << "imgClear"
                              << "Clear";
    QTest::newRow("imgRead") << "imgRead"
                             << "Read";
    QTest::newRow("imgWrite") << "imgWrite"
                              << "Write";
    QTest::newRow("imgExit") << "imgExit"
                             << "EXIT";
}

// Each image button is a button named by its word, and its press action does
// what a click does.
void TestAccessibility::imageButtonsAreButtons()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    f->Memo1->setPlainText("0x41, 0x05");
    f->RDA_reg->setText("0x41");
    f->RDA_data->setText("0x07");
    app.sim.clearTrace();
    app.dialogs.clear();

    QAccessibleInterface* b = accessible(f->control(name));
    QVERIFY(b);
    QCOMPARE(b->role(), QAccessible::Button);
    QCOMPARE(b->text(QAccessible::Name), caption);
    QVERIFY(b->state().focusable);
    QVERIFY(b->actionInterface());
    b->actionInterface()->doAction(QAccessibleActionInterface::pressAction());

    const QStringList reads = app.sim.traceOf("read");
    if (name == "imgSave") QCOMPARE(app.dialogs.texts("save").size(), 1);
    if (name == "imgClear") QCOMPARE(f->Memo1->toPlainText(), QString());
    if (name == "imgRead")
        QVERIFY2(reads.size() == 1 && reads[0].contains("41"), qPrintable(reads.join(' ')));
    if (name == "imgWrite") QCOMPARE(app.sim.chipWrites(), QStringList{"41=07"});
    if (name == "imgExit") QVERIFY(!f->isVisible());
    if (name != "imgExit") QVERIFY(f->isVisible());
}

// The lamps and the connection plate say in their name what they show, and
// follow what they show.
void TestAccessibility::picturesTellTheirState()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    QAccessibleInterface* plate = accessible(f->imgConnection);
    QCOMPARE(plate->text(QAccessible::Name), QString("Connected"));
    QCOMPARE(accessible(f->control("ZERO1"))->text(QAccessible::Name), QString("ZERO1 off"));

    app.sim.setZeroFlags(0x81);
    f->btnZeroReadClick();
    QStringList names;
    for (int n = 1; n <= 8; ++n)
        names << accessible(f->control(QString("ZERO%1").arg(n)))->text(QAccessible::Name);
    QCOMPARE(names, QStringList({"ZERO1 on", "ZERO2 off", "ZERO3 off", "ZERO4 off", "ZERO5 off", "ZERO6 off",
                                 "ZERO7 off", "ZERO8 on"}));
    // The hint still tells the register bit.
    QCOMPARE(accessible(f->control("ZERO8"))->text(QAccessible::Description), QString("Reg#45H, Bit7"));

    app.sim.setPresent(false);
    f->bBDRSTClick();
    QCOMPARE(plate->text(QAccessible::Name), QString("No EVM"));
}

// Tab goes through the controls as they stand on the screen: the tab control,
// its page, the history, direct access, the resets, the connection, the
// interface and address, EXIT.
void TestAccessibility::tabFollowsTheLayout()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
    QCOMPARE(tabCycle(f), QStringList({"MainTab", "cbDACFMT", "cbDACSAM", "Memo1", "imgSave", "imgClear",
                                       "RDA_reg", "RDA_data", "imgRead", "imgWrite", "btnMRST", "btnSRST",
                                       "bBDRST", "rgInterface/IIC", "cbAddr", "imgExit"}));
}

// On every page, everything a mouse can work is on the way of Tab.
void TestAccessibility::tabReachesEveryControlOfEveryPage()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
    for (int page = 0; page < f->MainTab->count(); ++page) {
        f->MainTab->setCurrentIndex(page);
        const QStringList cycle = tabCycle(f);
        for (QWidget* w : f->findChildren<QWidget*>()) {
            const bool operable = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                                  qobject_cast<TTrackBar*>(w) || qobject_cast<QLineEdit*>(w) ||
                                  qobject_cast<TImageButton*>(w);
            if (!operable || !w->isVisible() || !w->isEnabled()) continue;
            // Tab enters a radio group at its selected item; the arrows pick another.
            const QString name =
                qobject_cast<QRadioButton*>(w) ? w->parentWidget()->objectName() + "/" : w->objectName();
            QVERIFY2(cycle.filter(QRegularExpression("^" + QRegularExpression::escape(name))).size() == 1,
                     qPrintable(f->MainTab->tabText(page) + ": " + name));
        }
    }
}

// Space works a focused image button as the left mouse button does; Enter
// clicks it at once.
void TestAccessibility::spaceAndEnterWorkAFocusedImageButton()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
    f->Memo1->setPlainText("0x41, 0x05");
    const QRect place = f->imgClear->geometry();
    f->imgSave->setFocus(Qt::TabFocusReason);
    key(f, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f->imgClear);
    key(f, Qt::Key_Space, QTest::Press);
    QCOMPARE(f->imgClear->geometry(), place.translated(1, 1).adjusted(0, 0, 0, -1)); // the pressed look
    QCOMPARE(f->Memo1->toPlainText(), QString("0x41, 0x05"));
    key(f, Qt::Key_Space, QTest::Release);
    QCOMPARE(f->imgClear->geometry(), place);
    QCOMPARE(f->Memo1->toPlainText(), QString());

    f->RDA_reg->setText("0x41");
    f->RDA_data->setText("0x05");
    app.sim.clearTrace();
    f->imgWrite->setFocus(Qt::TabFocusReason);
    key(f, Qt::Key_Return);
    QCOMPARE(app.sim.chipWrites(), QStringList{"41=05"});
    f->imgWrite->setFocus(Qt::TabFocusReason); // the panel's refresh after a write focuses the tabs
    key(f, Qt::Key_Enter);
    QCOMPARE(app.sim.chipWrites().size(), 2);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
