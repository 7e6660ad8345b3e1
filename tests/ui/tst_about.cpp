// Help > About: the library version, the port and the dialog itself.

#include "fixture.h"

#include "aboutdialog.h"
#include "globals.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {
// Opens Help > About; returns what the two value labels showed.
QPair<QString, QString> showAbout(AppFixture& app)
{
    QPair<QString, QString> seen;
    app.dialogs.onModal = [&seen](QDialog*) {
        seen = {AboutDialog->lDLLver->text(), AboutDialog->lPort->text()};
        return int(QDialog::Accepted);
    };
    app.form()->findChild<QAction*>(QStringLiteral("About2"))->trigger();
    app.dialogs.onModal = nullptr;
    return seen;
}

int modalCount(const AppFixture& app)
{
    int n = 0;
    for (const auto& s : app.dialogs.shown)
        if (s.kind == QLatin1String("modal") && s.text == QLatin1String("AboutDialog")) ++n;
    return n;
}
} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void libraryVersion_data();
    void libraryVersion();
    void noLibrary();
    void libraryWithoutGetVer();
    void noBoardShowsVersionAndPortZero();
    void portFollowsReconnect();
    void layout();
    void okEnterAndCloseBoxEndIt();
    void centredOverMainWindow();
};

void TestAbout::libraryVersion_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("shown");
    QTest::newRow("0x1234") << 0x1234 << "1.2.3.4";
    QTest::newRow("0x10000") << 0x10000 << "16.0.0.0";
    QTest::newRow("0x00FF") << 0x00FF << "0.0.15.15";
    QTest::newRow("0x1100") << 0x1100 << "1.1.0.0";
    QTest::newRow("zero") << 0 << "0.0.0.0";
    QTest::newRow("-1") << -1 << "0.0.0.-1";
    QTest::newRow("-0x1234") << -0x1234 << "-1.-2.-3.-4";
    QTest::newRow("largest") << 0x7FFFFFFF << "524287.15.15.15";
}

void TestAbout::libraryVersion()
{
    QFETCH(int, version);
    QFETCH(QString, shown);
    AppFixture app;
    app.sim.setVersion(version);
    app.sim.setPort(3);
    app.start();
    const auto seen = showAbout(app);
    QCOMPARE(seen.first, shown);
    QCOMPARE(seen.second, QString("3"));
    QCOMPARE(modalCount(app), 1);
    // The label takes the width of its text.
    QVERIFY(AboutDialog->lDLLver->width() >= AboutDialog->lDLLver->fontMetrics().horizontalAdvance(shown));
}

void TestAbout::noLibrary()
{
    AppFixture app("NoSuchLib");
    app.start();
    QCOMPARE(showAbout(app), (QPair<QString, QString>{"0.0.0.0", "0"}));
    QVERIFY(app.sim.trace().isEmpty());
}

void TestAbout::libraryWithoutGetVer()
{
    AppFixture app("HxBusNoVer", "HxBusNoVer");
    app.start();
    QCOMPARE(showAbout(app), (QPair<QString, QString>{"0.0.0.0", "0"}));
    QVERIFY(app.sim.trace().isEmpty()); // the unloaded library is never called
}

void TestAbout::noBoardShowsVersionAndPortZero()
{
    AppFixture app;
    app.sim.setPresent(false);
    app.sim.setVersion(0x1234);
    app.start();
    QCOMPARE(showAbout(app), (QPair<QString, QString>{"1.2.3.4", "0"}));
}

void TestAbout::portFollowsReconnect()
{
    AppFixture app;
    app.start();
    QCOMPARE(showAbout(app).second, QString("1"));
    app.sim.setPort(7);
    QTest::mouseClick(app.find<QPushButton>("bBDRST"), Qt::LeftButton);
    QCOMPARE(app.form()->board().port(), 7);
    QCOMPARE(showAbout(app).second, QString("7"));
    app.sim.setPort(-2); // shown as a signed number
    QTest::mouseClick(app.find<QPushButton>("bBDRST"), Qt::LeftButton);
    QCOMPARE(showAbout(app).second, QString("-2"));
}

void TestAbout::layout()
{
    AppFixture app;
    app.create();
    TAboutDialog* d = AboutDialog;
    QCOMPARE(d->windowTitle(), QString("About"));
    QCOMPARE(d->size(), QSize(313, 214));
    QCOMPARE(d->minimumSize(), d->maximumSize());
    QVERIFY(d->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(d->isHidden());
    app.form()->About2Click(); // the labels take their size as the dialog is shown
    QCOMPARE(d->font().family(), QString("MS PGothic"));
    QCOMPARE(d->font().pixelSize(), 12);

    auto* bevel = d->findChild<QFrame*>("Bevel1");
    QVERIFY(bevel);
    QCOMPARE(bevel->geometry(), QRect(8, 8, 297, 161));
    QCOMPARE(bevel->frameShadow(), QFrame::Sunken);

    struct Row {
        const char* name;
        QPoint at;
        const char* text;
        const char* family;
        int pixels;
    };
    const Row rows[] = {
        {"Label1", {96, 32}, "ORV2280/1", "Arial Black", 19},
        {"Label3", {40, 70}, " EVM Control software", "Arial Black", 19},
        {"Label2", {96, 105}, "Version 1.1.1", "Arial Black", 16},
        {"Label4", {96, 140}, "DLL: ", "MS PGothic", 12},
        {"lDLLver", {128, 140}, "0.0.0.0", "MS PGothic", 12},
        {"Label5", {177, 140}, "Port:", "MS PGothic", 12},
        {"lPort", {208, 140}, "0", "MS PGothic", 12},
    };
    for (const Row& r : rows) {
        auto* l = d->findChild<QLabel*>(QLatin1String(r.name));
        QVERIFY2(l, r.name);
        QCOMPARE(l->pos(), r.at);
        QCOMPARE(l->text(), QString(r.text));
        QCOMPARE(l->font().family(), QString(r.family));
        QCOMPARE(l->font().pixelSize(), r.pixels);
        QVERIFY2(l->width() >= l->fontMetrics().horizontalAdvance(l->text()), r.name);
    }

    QPushButton* ok = d->OKBtn;
    QCOMPARE(ok->objectName(), QString("OKBtn"));
    QCOMPARE(ok->text(), QString("OK"));
    QCOMPARE(ok->geometry(), QRect(119, 180, 75, 25));
    QVERIFY(ok->isDefault());
}

void TestAbout::okEnterAndCloseBoxEndIt()
{
    AppFixture app;
    app.start();
    QList<int> results;
    auto run = [&](const std::function<void(QDialog*)>& end) {
        app.dialogs.onModal = [&](QDialog* d) {
            d->setResult(-1);
            d->show();
            end(d);
            results << d->result();
            return d->result();
        };
        app.form()->findChild<QAction*>(QStringLiteral("About2"))->trigger();
        QVERIFY(!AboutDialog->isVisible());
    };
    run([](QDialog*) { QTest::mouseClick(AboutDialog->OKBtn, Qt::LeftButton); });
    run([](QDialog* d) { QTest::keyClick(d, Qt::Key_Return); });
    run([](QDialog* d) { QTest::keyClick(d, Qt::Key_Enter, Qt::KeypadModifier); });
    run([](QDialog* d) {
        QTest::keyClick(d, Qt::Key_Escape); // no Cancel button: Escape ends nothing
        QVERIFY(d->isVisible());
        d->close();
    });
    QCOMPARE(results,
             (QList<int>{QDialog::Accepted, QDialog::Accepted, QDialog::Accepted, QDialog::Rejected}));
}

void TestAbout::centredOverMainWindow()
{
    AppFixture app;
    app.start();
    app.form()->move(150, 120);
    QPoint dialogCentre;
    app.dialogs.onModal = [&](QDialog* d) {
        d->show();
        dialogCentre = d->frameGeometry().center();
        d->accept();
        return d->result();
    };
    app.form()->findChild<QAction*>(QStringLiteral("About2"))->trigger();
    const QPoint mainCentre = app.form()->frameGeometry().center();
    QVERIFY2((dialogCentre - mainCentre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("dialog centre %1,%2, main window centre %3,%4")
                            .arg(dialogCentre.x())
                            .arg(dialogCentre.y())
                            .arg(mainCentre.x())
                            .arg(mainCentre.y())));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
