// The window serving its board to a remote SCPI client: the client's writes
// show in the panel, the history and the register map as the user's own; a
// client's command waits out the user's operation; a client's failure goes
// to its error queue, not into a box.

#include "fixture.h"

#include "boardservice.h"
#include "globals.h"
#include "regviewform.h"
#include "remote.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpSocket>
#include <QtTest>

namespace {

// The started window with its service on a free loopback port, and a client.
struct Remote {
    explicit Remote(AppFixture& app) : service(app.form()->board())
    {
        followRemoteClients(*app.form(), service.instrument());
        QString error;
        if (!service.listen({QHostAddress(QHostAddress::LocalHost), 0}, &error))
            qFatal("%s", qPrintable(error));
        client.connectToHost(QHostAddress::LocalHost, service.address().port);
        QSignalSpy connected(&client, &QTcpSocket::connected);
        if (!connected.wait(5000)) qFatal("not connected");
    }
    void send(const QByteArray& message)
    {
        client.write(message + '\n');
        client.flush();
    }
    // The next response line; empty after a timeout. The server answers
    // from this thread's event loop.
    QString line()
    {
        while (!client.canReadLine())
            if (QSignalSpy arrived(&client, &QIODevice::readyRead); !arrived.wait(5000)) return {};
        return QString::fromUtf8(client.readLine()).chopped(1);
    }
    evm::scpi::BoardService service;
    QTcpSocket client;
};

QStringList historyLines(TForm1* f)
{
    return f->Memo1->toPlainText().split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestRemote : public QObject {
    Q_OBJECT
private slots:
    void writesShowAsTheUsers();
    void clientWaitsOutTheUsersReset();
    void clientFailureIsNoBox();
};

void TestRemote::writesShowAsTheUsers()
{
    AppFixture app;
    app.startOverIic();
    Remote remote(app);
    remote.send("FIELD ATDA1,-10.5dB;:FIELD FMTDA,4;:REG:VAL 0x43,1;*OPC?");
    QCOMPARE(remote.line(), QStringLiteral("1"));
    QCOMPARE(app.find<TTrackBar>("tkDAC1")->value(), 0xEA);
    QCOMPARE(app.find<TEdit>("edDAC1")->text(), QStringLiteral("-10.5"));
    QCOMPARE(app.find<QComboBox>("cbDACFMT")->currentIndex(), 4);
    QVERIFY(app.find<QCheckBox>("cInvDAC1")->isChecked());
    QCOMPARE(RegViewForm->shownValue(0x48 - 0x40), 0xEA);
    const QStringList history = historyLines(app.form());
    for (const char* line : {"0x48, 0xEA", "0x41, 0x04", "0x43, 0x01"})
        QVERIFY2(history.contains(QLatin1String(line)), line);
}

// A client's write that arrives during the user's MRST runs after it: it is
// neither sent during the reset's wait nor wiped from the panel by the
// defaults the reset restores.
void TestRemote::clientWaitsOutTheUsersReset()
{
    AppFixture app;
    app.startOverIic();
    Remote remote(app);
    QStringList writesDuringReset;
    app.onWait = [&](int) {
        remote.send("REG:VAL 0x41,5;*OPC?");
        QTest::qWait(100); // the server hears the client meanwhile
        writesDuringReset = app.sim.chipWrites();
    };
    auto* mrst = app.find<QPushButton>("btnMRST");
    for (QWidget* p = mrst; p; p = p->parentWidget())
        if (const int i = app.form()->MainTab->indexOf(p); i >= 0) app.form()->MainTab->setCurrentIndex(i);
    app.sim.clearTrace();
    QTest::mouseClick(mrst, Qt::LeftButton);
    QCOMPARE(writesDuringReset, QStringList{"40=40"});
    QCOMPARE(remote.line(), QStringLiteral("1"));
    QCOMPARE(app.sim.chipWrites().last(), QStringLiteral("41=05"));
    QCOMPARE(app.find<QComboBox>("cbDACFMT")->currentIndex(), 5);
}

void TestRemote::clientFailureIsNoBox()
{
    AppFixture app;
    app.startOverIic();
    Remote remote(app);
    app.sim.failWrite(0, 0x41, 0x21);
    remote.send("REG:VAL 0x41,1;:SYST:ERR?");
    QCOMPARE(remote.line(), QStringLiteral("-240,\"Hardware error; WRERR0021\""));
    QCOMPARE(app.dialogs.texts(), QStringList());
    // The user's own failure is still shown.
    app.find<TEdit>("RDA_reg")->setText(QStringLiteral("0x41"));
    app.find<TEdit>("RDA_data")->setText(QStringLiteral("1"));
    QTest::mouseClick(app.find<QWidget>("imgWrite"), Qt::LeftButton);
    QCOMPARE(app.dialogs.texts(), QStringList{"Communication error: WRERR0021"});
}

QTEST_MAIN(TestRemote)
#include "tst_remote.moc"
