// The zero-flag lamps: "Read" shows register 0x45, "Clear" blanks them.

#include "fixture.h"

#include <QLabel>
#include <QtTest>

namespace {

// The picture each lamp shows, ZERO1 first.
QList<int> lampPictures(AppFixture& app)
{
    QList<int> out;
    for (int n = 1; n <= 8; ++n) {
        auto* lamp = app.find<QLabel>(QStringLiteral("ZERO%1").arg(n));
        const int index = lamp ? lamp->property("imageIndex").toInt() : -1;
        // What is drawn is the picture of that index.
        const QImage shown = lamp ? lamp->pixmap().toImage() : QImage();
        out << (shown == app.form()->ImageList1->images.value(index).toImage() ? index : -1);
    }
    return out;
}

QList<int> lampsFor(int flags)
{
    QList<int> out;
    for (int i = 0; i < 8; ++i) out << ((flags >> i) & 1 ? 2 : 0);
    return out;
}
} // namespace

class TestZeroFlags : public QObject {
    Q_OBJECT
private slots:
    void lampsStartUnlit();
    void readShowsEachFlag_data();
    void readShowsEachFlag();
    void clearBlanksWithoutTraffic();
    void readWithoutBoardShowsUnlit();
    void failedReadShowsWhatWasReturned();
};

void TestZeroFlags::lampsStartUnlit()
{
    AppFixture app;
    app.create();
    const QVector<QPixmap>& pictures = app.form()->ImageList1->images;
    QCOMPARE(pictures.size(), 3);
    QVERIFY(pictures[0].toImage() != pictures[2].toImage()); // unlit and green tell apart
    QCOMPARE(lampPictures(app), lampsFor(0));
    for (int n = 1; n <= 8; ++n)
        QCOMPARE(app.form()->ZeroLamps[n - 1], app.find<QLabel>(QStringLiteral("ZERO%1").arg(n)));
}

void TestZeroFlags::readShowsEachFlag_data()
{
    QTest::addColumn<int>("flags");
    QTest::newRow("ZERO1 and ZERO8") << 0x81;
    QTest::newRow("none") << 0x00;
    QTest::newRow("all") << 0xFF;
    QTest::newRow("alternate") << 0x5A;
}

void TestZeroFlags::readShowsEachFlag()
{
    QFETCH(int, flags);
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    app.sim.setZeroFlags(flags);
    app.sim.clearTrace();
    const auto image = f->board().image().bytes;

    app.clickOnPage("btnZeroRead");
    QCOMPARE(lampPictures(app), lampsFor(flags));
    // One raw read; the flags are status and stay out of the register image.
    const QString read = QString::number(flags, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    QCOMPARE(app.sim.trace(), QStringList{"read ch=0 addr=0x45 -> 0x" + read + " rc=0x0"});
    QVERIFY(f->board().image().bytes == image);
    QCOMPARE(f->board().image().at(0x45), 0);
    QVERIFY(app.dialogs.shown.isEmpty());
}

void TestZeroFlags::clearBlanksWithoutTraffic()
{
    AppFixture app;
    app.startOverIic();
    app.sim.setZeroFlags(0x81);
    app.clickOnPage("btnZeroRead");
    QCOMPARE(lampPictures(app), lampsFor(0x81));
    app.sim.clearTrace();

    app.clickOnPage("btnZeroClr");
    QCOMPARE(lampPictures(app), lampsFor(0));
    QVERIFY(app.sim.trace().isEmpty());
}

void TestZeroFlags::readWithoutBoardShowsUnlit()
{
    AppFixture app;
    app.sim.setPresent(false);
    app.start();
    app.sim.setZeroFlags(0xFF);
    app.sim.clearTrace();
    app.dialogs.clear();
    app.clickOnPage("btnZeroRead");
    QCOMPARE(lampPictures(app), lampsFor(0));
    QVERIFY(app.sim.trace().isEmpty());
    // No flags were read: the lamps are not shown as if they had been.
    QCOMPARE(app.dialogs.texts("error"), QStringList{"No EVM was found"});
}

void TestZeroFlags::failedReadShowsWhatWasReturned()
{
    AppFixture app;
    app.startOverIic();
    app.sim.setZeroFlags(0x81);
    app.clickOnPage("btnZeroRead");
    app.sim.failRead(0x45, 0x21);

    app.clickOnPage("btnZeroRead");
    QCOMPARE(app.dialogs.texts("message"),
             QStringList{"Communication error: RDERR0021\nPlease check interface setting."});
    QCOMPARE(lampPictures(app), lampsFor(0));
    app.clickOnPage("btnZeroRead"); // a new click is a new operation, reported again
    QCOMPARE(app.dialogs.texts("message").size(), 2);
}

QTEST_MAIN(TestZeroFlags)
#include "tst_zeroflags.moc"
