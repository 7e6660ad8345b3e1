// The register transport: flags, mirror, history lines and error reports.

#include "core/linktext.h"
#include "tests/fixture.h"
#include "ui/widgets.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QtTest>

namespace {
QStringList history(TForm1* f)
{
    return f->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts);
}
} // namespace

class TestTransport : public QObject {
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void withoutABoardNothingHappens();
    void suppressedWritesStillMirrorAndLog();
    void registerErrorsShareOneReport();
    void everyBoardControlFailureIsReported();
    void failedWriteIsStillMirroredAndLogged();
    void addressesOutsideTheImageReachTheChip();
    void valueAboveAByte();
    void eachOperationReportsItsFirstError();
};

void TestTransport::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("write 31") << evmlink::writeErrorText(31) << "Communication error: WRERR001F";
    QTest::newRow("five digits") << evmlink::writeErrorText(0x12345) << "Communication error: WRERR12345";
    QTest::newRow("negative") << evmlink::boardErrorText(-2) << "Communication error: SPERRFFFFFFFE";
    QTest::newRow("read hint") << evmlink::readErrorText(0xAB)
                               << "Communication error: RDERR00AB\nPlease check interface setting.";
    QTest::newRow("record") << evmlink::recordLine(0x4A, 10) << "0x4A, 0x0A";
    QTest::newRow("record wide") << evmlink::recordLine(0x41, 0x1FF) << "0x41, 0x1FF";
    QTest::newRow("record negative") << evmlink::recordLine(0x41, unsigned(-1)) << "0x41, 0xFFFFFFFF";
}

void TestTransport::texts()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void TestTransport::withoutABoardNothingHappens()
{
    AppFixture app;
    app.sim.setPresent(false);
    app.start();
    TForm1* f = app.form();
    f->board().LogHistory = true;
    f->board().SuppressWrites = false;
    app.dialogs.clear();
    app.sim.clearTrace();
    const auto before = f->board().image.bytes;
    f->board().WriteRegister(0x41, 0x05);
    f->board().WriteRegister(0x40, 0x00);
    QCOMPARE(int(f->board().ReadRegister(0x41)), 0);
    f->board().WriteBoardControl(0x37, 0);
    QVERIFY(f->board().image.bytes == before);
    QVERIFY(history(f).isEmpty());
    QVERIFY(app.sim.trace().isEmpty());
    QVERIFY(app.dialogs.shown.isEmpty());
}

void TestTransport::suppressedWritesStillMirrorAndLog()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    app.sim.clearTrace();
    f->board().SuppressWrites = true;
    f->board().WriteRegister(0x43, 0x81);
    f->board().WriteBoardControl(0x37, 0);
    QCOMPARE(int(f->board().ReadRegister(0x48)), 0xFF); // reads are never suppressed
    QCOMPARE(int(f->board().image.at(0x43)), 0x81);
    QCOMPARE(history(f), QStringList{"0x43, 0x81"});
    QCOMPARE(app.sim.trace(), QStringList{"read ch=0 addr=0x48 -> 0xFF rc=0x0"});
    QCOMPARE(app.sim.reg(0x43), 0x00);
    f->board().LogHistory = false;
    f->board().SuppressWrites = false;
    f->board().WriteRegister(0x43, 0x82);
    QCOMPARE(history(f), QStringList{"0x43, 0x81"});
    QCOMPARE(app.sim.reg(0x43), 0x82);
}

void TestTransport::registerErrorsShareOneReport()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    app.sim.failWrite(0, -1, 0x1F);
    app.sim.failRead(-1, 0x22);
    f->board().WriteRegister(0x41, 1);
    f->board().WriteRegister(0x42, 2);
    f->board().ReadRegister(0x41);
    QCOMPARE(app.dialogs.texts(), QStringList{"Communication error: WRERR001F"});
    QCOMPARE(app.dialogs.shown[0].kind, QString("message"));
    QVERIFY(f->board().ErrorShown);
    f->board().ErrorShown = false;
    f->board().ReadRegister(0x41);
    QCOMPARE(app.dialogs.texts().last(),
             QString("Communication error: RDERR0022\nPlease check interface setting."));
    QCOMPARE(app.dialogs.shown.size(), 2);
}

void TestTransport::everyBoardControlFailureIsReported()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    app.sim.failWrite(7, 0x37, 2);
    f->board().ErrorShown = true;
    f->board().WriteBoardControl(0x37, 1);
    f->board().WriteBoardControl(0x37, 0);
    QCOMPARE(app.dialogs.texts(), QStringList(2, "Communication error: SPERR0002"));
    QVERIFY(f->board().ErrorShown);
    f->board().ErrorShown = false;
    f->board().WriteBoardControl(0x37, 0);
    QVERIFY(!f->board().ErrorShown); // the board-control report never sets the flag
}

void TestTransport::failedWriteIsStillMirroredAndLogged()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    app.sim.failWrite(0, 0x44, 0x33);
    f->board().WriteRegister(0x44, 0x0F);
    QCOMPARE(int(f->board().image.at(0x44)), 0x0F);
    QCOMPARE(history(f), QStringList{"0x44, 0x0F"});
    QCOMPARE(app.sim.reg(0x44), 0x00);
    QCOMPARE(app.dialogs.texts(), QStringList{"Communication error: WRERR0033"});
}

void TestTransport::addressesOutsideTheImageReachTheChip()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    app.sim.clearTrace();
    const auto before = f->board().image.bytes;
    f->board().WriteRegister(0x3F, 0x12);
    f->board().WriteRegister(0x5F, 0x34);
    QCOMPARE(app.sim.chipWrites(), (QStringList{"3F=12", "5F=34"}));
    QCOMPARE(history(f), (QStringList{"0x3F, 0x12", "0x5F, 0x34"}));
    QVERIFY(f->board().image.bytes == before);
}

void TestTransport::valueAboveAByte()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    app.sim.clearTrace();
    f->board().WriteRegister(0x41, 0x1FF);
    QCOMPARE(app.sim.chipWrites(), QStringList{"41=FF"});
    QCOMPARE(int(f->board().image.at(0x41)), 0xFF);
    QCOMPARE(history(f), QStringList{"0x41, 0xFF"});
}

// One report per operation: the first failure of a user's action is shown,
// the rest of that action's failures are not, and the next action that fails
// is reported again.
void TestTransport::eachOperationReportsItsFirstError()
{
    AppFixture app;
    app.startOverIic();
    TForm1* f = app.form();
    app.sim.failWrite(0, -1, 0x1F);
    const QString wrErr = "Communication error: WRERR001F";

    app.writeFile("three.csv", "0x44, 0x01\r\n0x45, 0x02\r\n0x46, 0x03\r\n");
    app.dialogs.openAnswers << app.path("three.csv");
    f->findChild<QAction*>("Open1")->trigger();
    QCOMPARE(app.dialogs.texts("message"), QStringList{wrErr});

    app.dialogs.clear();
    f->RDA_reg->setText("0x41");
    f->RDA_data->setText("0x12");
    QTest::mouseClick(f->imgWrite, Qt::LeftButton);
    QTest::mouseClick(f->imgWrite, Qt::LeftButton);
    QCOMPARE(app.dialogs.texts("message"), (QStringList{wrErr, wrErr}));

    app.dialogs.clear();
    app.sim.failRead(0x50, 0x22);
    app.dialogs.saveAnswers << app.path("snap.csv");
    f->findChild<QAction*>("SaveRegisterDump")->trigger();
    QCOMPARE(app.dialogs.texts("message"),
             QStringList{"Communication error: RDERR0022\nPlease check interface setting."});
}

QTEST_MAIN(TestTransport)
#include "tst_transport.moc"
