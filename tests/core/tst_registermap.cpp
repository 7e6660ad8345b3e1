// The constant tables: register map, defaults, masks and the Tag tables that
// bind controls to register fields.

#include "bindingtables.h"
#include "registermap.h"

#include <QSet>
#include <QtTest>
#include <cstring>

using namespace regs;

class TestRegisterMap : public QObject {
    Q_OBJECT
private slots:
    void mapRowsHaveEightShortNames();
    void attenuationRowsNameTheirBits();
    void maskAndDefaultColumns();
    void checkBindingsMatchTheMap_data();
    void checkBindingsMatchTheMap();
    void radioBindingsMatchTheMap();
    void comboFieldsLieInsideTheirRegister();
    void tagsAndNamesAreUnique();
    void attenuationChannels();
    void readModifyWriteHelpers();
};

void TestRegisterMap::mapRowsHaveEightShortNames()
{
    QCOMPARE(int(kRegisterMap.size()), 31);
    QCOMPARE(kCount, 31);
    for (int row = 0; row < kCount; ++row) {
        for (const char* name : kRegisterMap[row].names) {
            QVERIFY2(name && *name, qPrintable(QString::number(row)));
            QVERIFY2(std::strlen(name) <= 6, name);
        }
    }
    QCOMPARE(QString(bitName(0, 7)), QStringLiteral("MRST"));
    QCOMPARE(QString(bitName(0, 0)), QStringLiteral("SRDA0"));
    QCOMPARE(QString(bitName(0x46 - kFirst, 7)), QStringLiteral("DAMS"));
    QCOMPARE(QString(bitName(0x46 - kFirst, 6)), QStringLiteral("-"));
    QCOMPARE(QString(bitName(0x57 - kFirst, 0)), QStringLiteral("OVFP"));
    for (int bit = 0; bit < 8; ++bit) QCOMPARE(QString(bitName(0x47 - kFirst, bit)), QStringLiteral("-"));
}

// In the attenuation rows the last digit of a name is its bit number.
void TestRegisterMap::attenuationRowsNameTheirBits()
{
    for (int ch = 0; ch < 8; ++ch)
        for (int bit = 0; bit < 8; ++bit)
            QCOMPARE(QString(bitName(0x48 - kFirst + ch, bit)),
                     QStringLiteral("ATDA%1%2").arg(ch + 1).arg(bit));
    for (int ch = 0; ch < 7; ++ch)
        for (int bit = 0; bit < 8; ++bit)
            QCOMPARE(QString(bitName(0x58 - kFirst + ch, bit)), QStringLiteral("ATAD%1%2").arg(ch).arg(bit));
}

// The image's own rules (mirror, reset) are tested with the image; here the
// columns they are built from.
void TestRegisterMap::maskAndDefaultColumns()
{
    for (int i = 0; i < kCount; ++i) {
        const int a = kFirst + i;
        int mask = 0xFF;
        if (a == 0x40) mask = 0x3F;
        if (a == 0x45) mask = 0x00;
        if (a == 0x56) mask = 0xC0;
        int value = 0x00;
        if (a == 0x40) value = 0xC0;
        if (a >= 0x47 && a <= 0x4F) value = 0xFF;
        if (a >= 0x58) value = kKept;
        const QByteArray where = QByteArray::number(a, 16);
        QVERIFY2(kRegisterMap[i].mask == mask, where);
        QVERIFY2(kRegisterMap[i].defaultValue == value, where);
    }
}

void TestRegisterMap::checkBindingsMatchTheMap_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("bitName");
    for (int n = 1; n <= 8; ++n) {
        QTest::addRow("cInvDAC%d", n)
            << n - 1 << QStringLiteral("cInvDAC%1").arg(n) << QStringLiteral("REVDA%1").arg(n);
        QTest::addRow("cDAC%d", n) << 19 + n << QStringLiteral("cDAC%1").arg(n)
                                   << QStringLiteral("MUTDA%1").arg(n);
    }
    for (int n = 0; n < 4; ++n) {
        QTest::addRow("cOPEDA%d", n) << 34 + n << QStringLiteral("cOPEDA%1").arg(n)
                                     << QStringLiteral("OPEDA%1").arg(n);
        QTest::addRow("cbAMUTE%d", n + 1)
            << 38 + n << QStringLiteral("cbAMUTE%1").arg(n + 1) << QStringLiteral("AMUTE%1").arg(n);
    }
}

void TestRegisterMap::checkBindingsMatchTheMap()
{
    QFETCH(int, tag);
    QFETCH(QString, control);
    QFETCH(QString, bitName);
    const auto it = std::find_if(bind::kCheckDefs.begin(), bind::kCheckDefs.end(),
                                 [&](const bind::CheckDef& d) { return d.tag == tag; });
    QVERIFY(it != bind::kCheckDefs.end());
    QCOMPARE(QString(it->control), control);
    QVERIFY(it->tag < bind::kCheckTagCount);
    QVERIFY(inImage(it->reg));
    QVERIFY(it->bit >= 0 && it->bit <= 7);
    QCOMPARE(QString(regs::bitName(it->reg - kFirst, it->bit)), bitName);
}

void TestRegisterMap::radioBindingsMatchTheMap()
{
    const char* names[] = {"PSMDA", "DAMS", "-"};
    const char* controls[] = {"rgDACPowSav", "rgDACAttMode", "rgDACAttSpeed"};
    for (int tag = 0; tag < bind::kRadioCount; ++tag) {
        const bind::RadioDef& d = bind::kRadioDefs[tag];
        QCOMPARE(d.tag, tag);
        QCOMPARE(QString(d.control), QString(controls[tag]));
        QVERIFY(inImage(d.reg));
        QVERIFY(d.bit >= 0 && d.bit <= 7);
        QCOMPARE(QString(bitName(d.reg - kFirst, d.bit)), QString(names[tag]));
    }
}

void TestRegisterMap::comboFieldsLieInsideTheirRegister()
{
    // Lowest bit name of each field, where the field has named bits.
    const char* lowest[bind::kComboCount] = {"-",    "FMTDA0", "MSAD0", "FMTAD0", "SRDA0", "SRAD0", "AZRO0",
                                             "ZREV", "OVFP",   "DEMP0", "FLT0",   "FLT1",  "FLT2",  "FLT3"};
    // Items each list holds; the field must be able to carry every index.
    const int items[bind::kComboCount] = {7, 10, 5, 8, 4, 3, 4, 2, 2, 4, 2, 2, 2, 2};
    for (int tag = 0; tag < bind::kComboCount; ++tag) {
        const bind::ComboDef& d = bind::kComboDefs[tag];
        QCOMPARE(d.tag, tag);
        QVERIFY(inImage(d.reg));
        QVERIFY2(d.width >= 1 && d.width <= 4, d.control);
        QVERIFY2(d.shift >= 0 && d.shift + d.width <= 8, d.control);
        QVERIFY2(items[tag] <= (1 << d.width), d.control);
        QCOMPARE(QString(bitName(d.reg - kFirst, d.shift)), QString(lowest[tag]));
    }
}

void TestRegisterMap::tagsAndNamesAreUnique()
{
    QSet<QString> names;
    int lastTag = -1;
    for (const bind::CheckDef& d : bind::kCheckDefs) {
        QVERIFY2(d.tag > lastTag, d.control); // in Tag order
        lastTag = d.tag;
        names.insert(QString(d.control));
    }
    for (const bind::ComboDef& d : bind::kComboDefs) names.insert(QString(d.control));
    for (const bind::RadioDef& d : bind::kRadioDefs) names.insert(QString(d.control));
    QCOMPARE(names.size(),
             qsizetype(bind::kCheckDefs.size() + bind::kComboDefs.size() + bind::kRadioDefs.size()));
    // No two check boxes share a bit.
    QSet<int> bits;
    for (const bind::CheckDef& d : bind::kCheckDefs) bits.insert(d.reg * 8 + d.bit);
    QCOMPARE(bits.size(), qsizetype(bind::kCheckDefs.size()));
}

void TestRegisterMap::attenuationChannels()
{
    for (int n = 1; n <= bind::kChannelCount; ++n) {
        const bind::AttenuationDef& d = bind::kAttenuationDefs[n - 1];
        QCOMPARE(d.tag, n);
        QCOMPARE(QString(d.track), QStringLiteral("tkDAC%1").arg(n));
        QCOMPARE(QString(d.edit), QStringLiteral("edDAC%1").arg(n));
        QCOMPARE(int(d.reg), 0x47 + n);
        QCOMPARE(d.zeroDbValue, 255);
        QCOMPARE(QString(bitName(d.reg - kFirst, 7)), QStringLiteral("ATDA%1").arg(n * 10 + 7));
    }
}

void TestRegisterMap::readModifyWriteHelpers()
{
    QCOMPARE(int(bind::keepMask(4, 3)), 0x8F);
    QCOMPARE(int(bind::keepMask(0, 4)), 0xF0);
    QCOMPARE(int(bind::keepMask(4, 2)), 0xCF); // cbDEMP
    QCOMPARE(int(bind::keepMask(1, 2)), 0xF9); // cbZeroFunc
    QCOMPARE(int(bind::keepMask(0, 2)), 0xFC);
    QCOMPARE(int(bind::keepMask(3, 1)), 0xF7);
    QCOMPARE(int(bind::withField(0xC4, 0, 2, 2)), 0xC6);
    QCOMPARE(int(bind::withField(0x81, 4, 2, 2)), 0xA1);
    QCOMPARE(int(bind::withField(0x81, 1, 2, 2)), 0x85);
    QCOMPARE(int(bind::withField(0x03, 4, 3, 2)), 0x23);
    QCOMPARE(int(bind::withBit(0x10, 2, 1)), 0x14);
    QCOMPARE(int(bind::withBit(0x14, 2, 0)), 0x10);
    QCOMPARE(int(bind::withBit(0x05, 7, 1)), 0x85);
    QCOMPARE(bind::fieldValue(0xC6, 0, 2), 2);
    QCOMPARE(bind::fieldValue(0x7F, 4, 3), 7);
    QCOMPARE(bind::fieldValue(0x0F, 0, 4), 15);
}

QTEST_APPLESS_MAIN(TestRegisterMap)
#include "tst_registermap.moc"
