// The transport's error reports as the window's actions give them: one per
// operation. (The transport itself is tested on the board, tst_board.)

#include "fixture.h"
#include "widgets.h"

#include <QAction>
#include <QtTest>

class TestTransport : public QObject {
    Q_OBJECT
private slots:
    void eachOperationReportsItsFirstError();
};

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
