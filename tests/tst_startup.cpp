#include "tests/fixture.h"

#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void iicStartupTrafficInOrder();
};

void TestStartup::iicStartupTrafficInOrder()
{
    AppFixture app;
    app.writeFile("EVM2280.ini", "[SerialInterface]\nType=0\nAddr=0x4C\n");
    app.start();
    const QStringList t = app.sim.trace();
    QVERIFY(!t.isEmpty());
    QVERIFY(t.first().startsWith("init port=0"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
