// The register image: mirror rules, masks and the power-on defaults.

#include "registermap.h"

#include <QtTest>

using regs::RegisterImage;

class TestRegisterImage : public QObject {
    Q_OBJECT
private slots:
    void maskTable();
    void mirror_data();
    void mirror();
    void register40AlwaysKeepsItsResetBits();
    void resetKeepsTheAdcAttenuators();
    void readBackIsMasked();
};

void TestRegisterImage::maskTable()
{
    RegisterImage img;
    QVERIFY(std::all_of(img.mask.begin(), img.mask.end(), [](auto m) { return m == 0; }));
    img.fillMask();
    for (int i = 0; i < 32; ++i) {
        const int expected = i == 0 ? 0x3F : i == 5 ? 0x00 : i == 22 ? 0xC0 : 0xFF;
        QCOMPARE(int(img.mask[i]), expected);
    }
}

void TestRegisterImage::mirror_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("mirrored");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("shown");
    QTest::newRow("0x40 0x12") << 0x40 << 0x12 << true << 0xD2 << 0xD2;
    QTest::newRow("0x40 0x00") << 0x40 << 0x00 << true << 0xC0 << 0xC0;
    QTest::newRow("0x40 0x3F") << 0x40 << 0x3F << true << 0xFF << 0xFF;
    QTest::newRow("0x40 MRST request") << 0x40 << 0x40 << true << 0xC0 << 0xC0;
    QTest::newRow("0x45 flags never enter") << 0x45 << 0xFF << true << 0x00 << 0xFF;
    QTest::newRow("0x56 keeps 7..6") << 0x56 << 0xFF << true << 0xC0 << 0xFF;
    QTest::newRow("0x41 as written") << 0x41 << 0x0F << true << 0x0F << 0x0F;
    QTest::newRow("0x5E last") << 0x5E << 0x81 << true << 0x81 << 0x81;
    QTest::newRow("data above a byte") << 0x41 << 0x1FF << true << 0xFF << 0xFF;
    QTest::newRow("0x3F below") << 0x3F << 0x12 << false << 0 << -1;
    QTest::newRow("0x5F above") << 0x5F << 0x12 << false << 0 << -1;
    QTest::newRow("huge address") << int(0x80000040) << 0x12 << false << 0 << -1;
}

void TestRegisterImage::mirror()
{
    QFETCH(int, address);
    QFETCH(int, value);
    QFETCH(bool, mirrored);
    QFETCH(int, stored);
    QFETCH(int, shown);
    RegisterImage img;
    img.fillMask();
    const auto before = img.bytes;
    int seen = -1;
    QCOMPARE(img.mirrorWrite(unsigned(address), value, &seen), mirrored);
    QCOMPARE(seen, shown);
    if (mirrored)
        QCOMPARE(int(img.at(unsigned(address))), stored);
    else
        QVERIFY(img.bytes == before);
}

void TestRegisterImage::register40AlwaysKeepsItsResetBits()
{
    RegisterImage img;
    img.fillMask();
    for (int v = 0; v < 256; ++v) {
        img.mirrorWrite(0x40, v);
        QCOMPARE(img.bytes[0] & 0xC0, 0xC0);
        QCOMPARE(img.bytes[0] & 0x3F, v & 0x3F);
    }
}

void TestRegisterImage::resetKeepsTheAdcAttenuators()
{
    RegisterImage img;
    img.fillMask();
    img.bytes.fill(0x5A);
    img.mirrorWrite(0x58, 0x12);
    img.reset();
    QCOMPARE(int(img.at(0x40)), 0xC0);
    for (int a = 0x41; a <= 0x46; ++a) QCOMPARE(int(img.at(a)), 0x00);
    for (int a = 0x47; a <= 0x4F; ++a) QCOMPARE(int(img.at(a)), 0xFF);
    for (int a = 0x50; a <= 0x57; ++a) QCOMPARE(int(img.at(a)), 0x00);
    QCOMPARE(int(img.at(0x58)), 0x12);
    for (int a = 0x59; a <= 0x5E; ++a) QCOMPARE(int(img.at(a)), 0x5A);
}

void TestRegisterImage::readBackIsMasked()
{
    RegisterImage img;
    img.fillMask();
    img.storeReadBack(0, 0x05);
    img.storeReadBack(5, 0xA5);
    img.storeReadBack(22, 0xFF);
    img.storeReadBack(1, 0xA5);
    QCOMPARE(int(img.bytes[0]), 0x05); // the start-up sequence ORs 0xC0 in afterwards
    QCOMPARE(int(img.bytes[5]), 0x00);
    QCOMPARE(int(img.bytes[22]), 0xC0);
    QCOMPARE(int(img.bytes[1]), 0xA5);
}

QTEST_APPLESS_MAIN(TestRegisterImage)
#include "tst_registerimage.moc"
