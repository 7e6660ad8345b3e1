// The number syntax shared by script fields and the direct-access fields.

#include "core/scriptnumber.h"

#include <QtTest>

class TestScriptNumber : public QObject {
    Q_OBJECT
private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void nonLatinCharactersAreRefused();
};

void TestScriptNumber::accepted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");
    // Decimal.
    QTest::newRow("zero") << "0" << qint64(0);
    QTest::newRow("decimal") << "193" << qint64(193);
    QTest::newRow("leading zeros") << "000064" << qint64(64);
    QTest::newRow("plus") << "+5" << qint64(5);
    QTest::newRow("minus") << "-1" << qint64(-1);
    QTest::newRow("minus zero") << "-0" << qint64(0);
    QTest::newRow("int max") << "2147483647" << qint64(2147483647);
    QTest::newRow("int min") << "-2147483648" << qint64(-2147483648LL);
    QTest::newRow("leading spaces") << "   12" << qint64(12);
    QTest::newRow("spaces before sign") << "  -12" << qint64(-12);
    QTest::newRow("many leading zeros") << "0000000000000000000001" << qint64(1);
    // Hexadecimal, every prefix, both cases of digits.
    QTest::newRow("0x") << "0x40" << qint64(0x40);
    QTest::newRow("0X") << "0X40" << qint64(0x40);
    QTest::newRow("x") << "x40" << qint64(0x40);
    QTest::newRow("X") << "XC1" << qint64(0xC1);
    QTest::newRow("dollar") << "$C1" << qint64(0xC1);
    QTest::newRow("lower digits") << "0xabcdef" << qint64(0xABCDEF);
    QTest::newRow("mixed digits") << "0xAbC" << qint64(0xABC);
    QTest::newRow("above a byte") << "0x1FF" << qint64(0x1FF);
    QTest::newRow("hex zero") << "0x0" << qint64(0);
    QTest::newRow("hex leading zeros beyond 32 bits") << "0x000000000000001F" << qint64(0x1F);
    QTest::newRow("hex int max") << "0x7FFFFFFF" << qint64(2147483647);
    QTest::newRow("top bit set is negative") << "0x80000000" << qint64(-2147483648LL);
    QTest::newRow("all ones") << "0xFFFFFFFF" << qint64(-1);
    QTest::newRow("minus hex") << "-0x10" << qint64(-16);
    QTest::newRow("plus hex") << "+$10" << qint64(16);
    QTest::newRow("minus all ones") << "-0xFFFFFFFF" << qint64(1);
    QTest::newRow("minus top bit") << "-0x80000000" << qint64(-2147483648LL);
    QTest::newRow("spaces then hex") << " $ff" << qint64(255);
}

void TestScriptNumber::accepted()
{
    QFETCH(QString, text);
    QFETCH(qint64, value);
    std::int32_t got = 12345;
    QVERIFY(scriptnum::parse(QStringView(text), &got));
    QCOMPARE(qint64(got), value);
    const QByteArray bytes = text.toLatin1();
    got = 12345;
    QVERIFY(scriptnum::parse(std::string_view(bytes.constData(), std::size_t(bytes.size())), &got));
    QCOMPARE(qint64(got), value);
}

void TestScriptNumber::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("spaces only") << "   ";
    QTest::newRow("sign only") << "-";
    QTest::newRow("plus only") << "+";
    QTest::newRow("0x without digits") << "0x";
    QTest::newRow("x without digits") << "x";
    QTest::newRow("dollar without digits") << "$";
    QTest::newRow("signed prefix without digits") << "-0x";
    QTest::newRow("bad hex digit") << "0x4G";
    QTest::newRow("letters") << "abc";
    QTest::newRow("trailing space") << "12 ";
    QTest::newRow("trailing letter") << "12h";
    QTest::newRow("fraction") << "1.5";
    QTest::newRow("exponent") << "1e3";
    QTest::newRow("two signs") << "+-1";
    QTest::newRow("sign after prefix") << "0x-1";
    QTest::newRow("sign after dollar") << "$-1";
    QTest::newRow("space after sign") << "- 1";
    QTest::newRow("double prefix") << "0x0x1";
    QTest::newRow("dollar and x") << "$x1";
    QTest::newRow("decimal above int max") << "2147483648";
    QTest::newRow("decimal below int min") << "-2147483649";
    QTest::newRow("decimal far beyond") << "99999999999999999999";
    QTest::newRow("hex 33 bits") << "0x100000000";
    QTest::newRow("hex 33 bits after zeros") << "0x0000100000000";
    QTest::newRow("tab before") << "\t1";
    QTest::newRow("quote") << "\"1\"";
    QTest::newRow("binary") << "0b1";
    QTest::newRow("letter o prefix") << "0o7";
    QTest::newRow("header word") << "Address";
    QTest::newRow("nul inside") << QString::fromLatin1("1\0"
                                                       "2",
                                                       3);
}

void TestScriptNumber::refused()
{
    QFETCH(QString, text);
    std::int32_t got = 777;
    QVERIFY(!scriptnum::parse(QStringView(text), &got));
    QCOMPARE(got, 777);
    const QByteArray bytes = text.toLatin1();
    QVERIFY(!scriptnum::parse(std::string_view(bytes.constData(), std::size_t(bytes.size())), &got));
    QCOMPARE(got, 777);
}

void TestScriptNumber::nonLatinCharactersAreRefused()
{
    std::int32_t got = 0;
    // Full-width digits and a byte-order mark are no digits.
    QVERIFY(!scriptnum::parse(QStringView(u"\uFF11\uFF12"), &got));
    QVERIFY(!scriptnum::parse(QStringView(u"\uFEFF0x40"), &got));
    QVERIFY(!scriptnum::parse(std::string_view("\xEF\xBB\xBF"
                                               "0x40"),
                              &got));
    // A character whose low byte is a digit must not pass as that digit.
    QVERIFY(!scriptnum::parse(QStringView(u"\u0131"), &got)); // 0x0131, low byte '1'
}

QTEST_APPLESS_MAIN(TestScriptNumber)
#include "tst_scriptnumber.moc"
