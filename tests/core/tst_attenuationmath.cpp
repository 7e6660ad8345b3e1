// dB text, dB parsing and the edit's clamping, without a window.

#include "attenuationmath.h"

#include <QLocale>
#include <QtTest>
#include <cmath>

using namespace atten;

class TestAttenuationMath : public QObject {
    Q_OBJECT
private slots:
    void formats_data();
    void formats();
    void formatsWithCommaSeparator();
    void parses_data();
    void parses();
    void rejects_data();
    void rejects();
    void parsesWithCommaSeparator();
    void position_data();
    void position();
    void typedTextToPosition_data();
    void typedTextToPosition();
};

void TestAttenuationMath::formats_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero fine") << 255 << false << "0.0";
    QTest::newRow("zero wide") << 255 << true << "0.0";
    QTest::newRow("one step fine") << 254 << false << "-0.5";
    QTest::newRow("one step wide") << 254 << true << "-1.0";
    QTest::newRow("fine minimum") << 129 << false << "-63.0";
    QTest::newRow("wide minimum") << 155 << true << "-100.0";
    QTest::newRow("234 fine") << 234 << false << "-10.5";
    QTest::newRow("244 wide") << 244 << true << "-11.0";
    QTest::newRow("200 fine") << 200 << false << "-27.5";
    QTest::newRow("200 wide") << 200 << true << "-55.0";
    QTest::newRow("155 fine") << 155 << false << "-50.0";
    QTest::newRow("code 0 fine") << 0 << false << "-127.5";
    QTest::newRow("code 0 wide") << 0 << true << "-255.0";
    QTest::newRow("code 1 fine") << 1 << false << "-127.0";
    QTest::newRow("above zero dB") << 256 << false << "0.5";
}

void TestAttenuationMath::formats()
{
    QFETCH(int, value);
    QFETCH(bool, wide);
    QFETCH(QString, text);
    QCOMPARE(dbText(value, kZeroDb, wide, QStringLiteral(".")), text);
}

void TestAttenuationMath::formatsWithCommaSeparator()
{
    const QString comma = QLocale(QLocale::German, QLocale::Germany).decimalPoint();
    QCOMPARE(comma, QStringLiteral(","));
    QCOMPARE(dbText(234, kZeroDb, false, comma), QStringLiteral("-10,5"));
    QCOMPARE(dbText(255, kZeroDb, false, comma), QStringLiteral("0,0"));
    QCOMPARE(dbText(155, kZeroDb, true, comma), QStringLiteral("-100,0"));
}

void TestAttenuationMath::parses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("value");
    QTest::newRow("integer") << "5" << 5.0f;
    QTest::newRow("negative fraction") << "-10.3" << -10.3f;
    QTest::newRow("plus sign") << "+2.5" << 2.5f;
    QTest::newRow("leading point") << ".5" << 0.5f;
    QTest::newRow("trailing point") << "-7." << -7.0f;
    QTest::newRow("blanks around") << "  -3.5 " << -3.5f;
    QTest::newRow("exponent") << "-1.5e1" << -15.0f;
    QTest::newRow("exponent sign") << "250E-1" << 25.0f;
    QTest::newRow("negative zero") << "-0" << 0.0f;
    QTest::newRow("underflow") << "1e-400" << 0.0f;
}

void TestAttenuationMath::parses()
{
    QFETCH(QString, text);
    QFETCH(float, value);
    const auto d = parseDb(text, QStringLiteral("."));
    QVERIFY(d.has_value());
    QCOMPARE(*d, value);
}

void TestAttenuationMath::rejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("blank") << "  ";
    QTest::newRow("letters") << "abc";
    QTest::newRow("sign only") << "-";
    QTest::newRow("point only") << ".";
    QTest::newRow("unit") << "-10dB";
    QTest::newRow("two points") << "1.2.3";
    QTest::newRow("comma with point locale") << "-10,5";
    QTest::newRow("bare exponent") << "1e";
    QTest::newRow("infinity") << "inf";
    QTest::newRow("nan") << "nan";
    QTest::newRow("hex") << "0x10";
    QTest::newRow("inner blank") << "- 5";
}

void TestAttenuationMath::rejects()
{
    QFETCH(QString, text);
    QVERIFY(!parseDb(text, QStringLiteral(".")).has_value());
}

void TestAttenuationMath::parsesWithCommaSeparator()
{
    const QString comma = QStringLiteral(",");
    QCOMPARE(parseDb(QStringLiteral("-10,3"), comma).value_or(1.0f), -10.3f);
    QCOMPARE(parseDb(QStringLiteral("-10"), comma).value_or(1.0f), -10.0f);
    QVERIFY(!parseDb(QStringLiteral("-10.3"), comma).has_value());
    // What dbText writes reads back as the same number.
    QCOMPARE(parseDb(dbText(201, kZeroDb, false, comma), comma).value_or(1.0f), -27.0f);
}

void TestAttenuationMath::position_data()
{
    QTest::addColumn<float>("d");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("position");
    QTest::newRow("-10.3 fine") << -10.3f << 2 << kFineMinimum << 234;
    QTest::newRow("-10.3 wide") << -10.3f << 1 << kWideMinimum << 244;
    QTest::newRow("-10.5 fine exact") << -10.5f << 2 << kFineMinimum << 234;
    QTest::newRow("-0.1 fine") << -0.1f << 2 << kFineMinimum << 254;
    QTest::newRow("zero") << 0.0f << 2 << kFineMinimum << 255;
    QTest::newRow("above 0 dB") << 5.0f << 2 << kFineMinimum << 255;
    QTest::newRow("below fine range") << -80.0f << 2 << kFineMinimum << 129;
    QTest::newRow("below wide range") << -120.0f << 1 << kWideMinimum << 155;
    QTest::newRow("fine limit") << -63.0f << 2 << kFineMinimum << 129;
    QTest::newRow("wide limit") << -100.0f << 1 << kWideMinimum << 155;
    QTest::newRow("just below a step") << -0.000001f << 2 << kFineMinimum << 254;
    QTest::newRow("wide step fraction") << -0.999f << 1 << kWideMinimum << 254;
    QTest::newRow("fine step in wide range") << -63.0f << 2 << kWideMinimum << 155;
    QTest::newRow("plus infinity") << std::numeric_limits<float>::infinity() << 2 << kFineMinimum << 255;
    QTest::newRow("minus infinity") << -std::numeric_limits<float>::infinity() << 1 << kWideMinimum << 155;
    // An odd distance to the minimum: the lower limit truncates toward zero.
    QTest::newRow("odd minimum") << -80.0f << 2 << 130 << 131;
}

void TestAttenuationMath::position()
{
    QFETCH(float, d);
    QFETCH(int, step);
    QFETCH(int, minimum);
    QFETCH(int, position);
    QCOMPARE(editPosition(d, step, minimum, 255, kZeroDb), position);
}

// The whole road from typed text to the text shown after the bar moved.
void TestAttenuationMath::typedTextToPosition_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<QString>("shown");
    QTest::newRow("-10.3 fine") << "-10.3" << false << "-10.5";
    QTest::newRow("-10.3 wide") << "-10.3" << true << "-11.0";
    QTest::newRow("-0.1 fine") << "-0.1" << false << "-0.5";
    QTest::newRow("0 fine") << "0" << false << "0.0";
    QTest::newRow("-80 fine") << "-80" << false << "-63.0";
    QTest::newRow("-120 wide") << "-120" << true << "-100.0";
    QTest::newRow("huge negative wide") << "-1e300" << true << "-100.0";
}

void TestAttenuationMath::typedTextToPosition()
{
    QFETCH(QString, typed);
    QFETCH(bool, wide);
    QFETCH(QString, shown);
    const QString point = QStringLiteral(".");
    const auto d = parseDb(typed, point);
    QVERIFY(d.has_value());
    const int p = editPosition(*d, wide ? 1 : 2, wide ? kWideMinimum : kFineMinimum, 255, kZeroDb);
    QCOMPARE(dbText(p, kZeroDb, wide, point), shown);
}

QTEST_APPLESS_MAIN(TestAttenuationMath)
#include "tst_attenuationmath.moc"
