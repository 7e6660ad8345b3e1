#include "core/settingstext.h"

#include <QtTest>

class TestSettingsText : public QObject {
    Q_OBJECT
private slots:
    void validText_data();
    void validText();
    void invalidText_data();
    void invalidText();
    void deviceAddressRange_data();
    void deviceAddressRange();
};

void TestSettingsText::validText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << "77" << 77;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("leading zeros") << "0076" << 76;
    QTest::newRow("leading blanks") << "   80" << 80;
    QTest::newRow("plus") << "+5" << 5;
    QTest::newRow("minus") << "-3" << -3;
    QTest::newRow("blanks then sign") << "  -12" << -12;
    QTest::newRow("0x upper digits") << "0x4C" << 0x4C;
    QTest::newRow("0X lower digits") << "0X4f" << 0x4F;
    QTest::newRow("x") << "x4D" << 0x4D;
    QTest::newRow("X") << "X10" << 0x10;
    QTest::newRow("dollar") << "$4e" << 0x4E;
    QTest::newRow("signed hex") << "-$10" << -16;
    QTest::newRow("blanks signed 0x") << " +0x1F" << 31;
    QTest::newRow("max") << "2147483647" << 2147483647;
    QTest::newRow("min") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("max hex") << "0x7FFFFFFF" << 0x7FFFFFFF;
    QTest::newRow("many leading zeros") << "000000000000000000001" << 1;
}

void TestSettingsText::validText()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    const auto n = evmlink::parseIntegerText(text);
    QVERIFY2(n.has_value(), qPrintable(text));
    QCOMPARE(*n, value);
}

void TestSettingsText::invalidText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("sign only") << "-";
    QTest::newRow("letters") << "abc";
    QTest::newRow("hex without prefix") << "4C";
    QTest::newRow("prefix only 0x") << "0x";
    QTest::newRow("prefix only $") << "$";
    QTest::newRow("trailing blank") << "77 ";
    QTest::newRow("tab before") << "\t77";
    QTest::newRow("inner blank") << "7 7";
    QTest::newRow("two signs") << "+-1";
    QTest::newRow("sign after prefix") << "0x-1";
    QTest::newRow("sign after blanks after sign") << "- 1";
    QTest::newRow("decimal point") << "1.0";
    QTest::newRow("bad hex digit") << "0x4G";
    QTest::newRow("two prefixes") << "0x$4C";
    QTest::newRow("comma list") << "1,2";
    QTest::newRow("too large") << "2147483648";
    QTest::newRow("too small") << "-2147483649";
    QTest::newRow("hex too large") << "0x80000000";
    QTest::newRow("huge") << "99999999999999999999999999";
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0667\u0667");
    QTest::newRow("fullwidth digits") << QString::fromUtf8("\uFF17\uFF17");
}

void TestSettingsText::invalidText()
{
    QFETCH(QString, text);
    QVERIFY2(!evmlink::parseIntegerText(text).has_value(), qPrintable(text));
}

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
