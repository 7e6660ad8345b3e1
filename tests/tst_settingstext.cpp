// The interface and device address that the settings file's values select.

#include "core/settingstext.h"

#include <QtTest>

class TestSettingsText : public QObject {
    Q_OBJECT
private slots:
    void deviceAddressRange_data();
    void deviceAddressRange();
};

void TestSettingsText::deviceAddressRange_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("item");
    QTest::newRow("IIC first") << 0 << 0x4C << 0 << 0x4C << 0;
    QTest::newRow("IIC last") << 0 << 0x4F << 0 << 0x4F << 3;
    QTest::newRow("IIC above") << 0 << 0x50 << 0 << 0x4C << 0;
    QTest::newRow("IIC below") << 0 << 0x4B << 0 << 0x4C << 0;
    QTest::newRow("IIC negative") << 0 << -1 << 0 << 0x4C << 0;
    QTest::newRow("SPI in range") << 1 << 2 << 1 << 2 << 2;
    QTest::newRow("SPI default 77") << 1 << 77 << 1 << 0 << 0;
    QTest::newRow("SPI negative") << 1 << -1 << 1 << 0 << 0;
    QTest::newRow("other type is SPI") << 5 << 3 << 1 << 3 << 3;
    QTest::newRow("negative type is SPI") << -1 << 0x4C << 1 << 0 << 0;
}

void TestSettingsText::deviceAddressRange()
{
    QFETCH(int, type);
    QFETCH(int, stored);
    QFETCH(int, index);
    QFETCH(int, address);
    QFETCH(int, item);
    const int i = evmlink::interfaceIndexFromType(type);
    QCOMPARE(i, index);
    const int a = evmlink::clampDeviceAddress(i, stored);
    QCOMPARE(a, address);
    QCOMPARE(evmlink::addressItem(i, a), item);
}

QTEST_APPLESS_MAIN(TestSettingsText)
#include "tst_settingstext.moc"
