// The integer text shared by scripts, the direct-access fields, the
// command-line tool (Pattern32) and the settings file (Signed32): every text
// is read in both ranges, from UTF-16 and from its UTF-8 bytes.

#include "integertext.h"

#include <QtTest>

#include <limits>
#include <utility>

using evm::IntegerRange;

namespace {
constexpr qint64 kNone = std::numeric_limits<qint64>::min(); // no number
constexpr qint64 kMin = -2147483648LL;

void row(const char* name, const QString& text, qint64 signed32, qint64 pattern32)
{
    QTest::newRow(name) << text << signed32 << pattern32;
}
void both(const char* name, const QString& text, qint64 value)
{
    row(name, text, value, value);
}
void none(const char* name, const QString& text)
{
    row(name, text, kNone, kNone);
}
} // namespace

class TestIntegerText : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
};

void TestIntegerText::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("signed32");
    QTest::addColumn<qint64>("pattern32");
    // Decimal.
    both("zero", "0", 0);
    both("decimal", "193", 193);
    both("leading zeros", "000064", 64);
    both("many leading zeros", "0000000000000000000001", 1);
    both("plus", "+5", 5);
    both("minus", "-3", -3);
    both("minus zero", "-0", 0);
    both("int max", "2147483647", 2147483647);
    both("int min", "-2147483648", kMin);
    both("leading spaces", "   12", 12);
    both("spaces before sign", "  -12", -12);
    // Hexadecimal: every prefix, both cases of digits.
    both("0x", "0x4C", 0x4C);
    both("0X lower digits", "0X4f", 0x4F);
    both("x", "x4D", 0x4D);
    both("X", "XC1", 0xC1);
    both("dollar lower digits", "$4e", 0x4E);
    both("all letters", "0xabcdef", 0xABCDEF);
    both("mixed digits", "0xAbC", 0xABC);
    both("above a byte", "0x1FF", 0x1FF);
    both("hex zero", "0x0", 0);
    both("hex leading zeros beyond 32 bits", "0x000000000000001F", 0x1F);
    both("hex int max", "0x7FFFFFFF", 2147483647);
    both("minus hex", "-0x10", -16);
    both("minus dollar", "-$10", -16);
    both("plus dollar", "+$10", 16);
    both("spaces, plus, 0x", " +0x1F", 31);
    both("spaces then hex", " $ff", 255);
    both("minus top bit", "-0x80000000", kMin);
    // Beyond the signed range only a bit pattern is a number.
    row("top bit set", "0x80000000", kNone, kMin);
    row("all ones", "0xFFFFFFFF", kNone, -1);
    row("minus all ones", "-0xFFFFFFFF", kNone, 1);
    row("minus below int min", "-0x80000001", kNone, 2147483647);
    none("decimal above int max", "2147483648");
    none("decimal below int min", "-2147483649");
    none("decimal far beyond", "99999999999999999999999999");
    none("hex 33 bits", "0x100000000");
    none("hex 33 bits after zeros", "0x0000100000000");
    // No number.
    none("empty", "");
    none("spaces only", "   ");
    none("minus only", "-");
    none("plus only", "+");
    none("0x without digits", "0x");
    none("x without digits", "x");
    none("dollar without digits", "$");
    none("signed prefix without digits", "-0x");
    none("bad hex digit", "0x4G");
    none("letters", "abc");
    none("hex without prefix", "4C");
    none("trailing space", "12 ");
    none("trailing letter", "12h");
    none("inner space", "7 7");
    none("tab before", "\t1");
    none("fraction", "1.5");
    none("exponent", "1e3");
    none("list", "1,2");
    none("two signs", "+-1");
    none("sign after prefix", "0x-1");
    none("sign after dollar", "$-1");
    none("space after sign", "- 1");
    none("double prefix", "0x0x1");
    none("0x and dollar", "0x$4C");
    none("dollar and x", "$x1");
    none("quote", "\"1\"");
    none("binary", "0b1");
    none("letter o prefix", "0o7");
    none("header word", "Address");
    none("nul inside", QString::fromLatin1("1\0"
                                           "2",
                                           3));
    // Other digits and marks are none; UTF-8 bytes above 0x7F neither.
    none("fullwidth digits", QStringView(u"\uFF11\uFF12").toString());
    none("arabic-indic digits", QStringView(u"\u0667\u0667").toString());
    none("byte-order mark", QStringView(u"\uFEFF0x40").toString());
    none("low byte a digit", QStringView(u"\u0131").toString()); // U+0131: low byte '1'
}

void TestIntegerText::parse()
{
    QFETCH(QString, text);
    QFETCH(qint64, signed32);
    QFETCH(qint64, pattern32);
    const QByteArray utf8 = text.toUtf8();
    const std::string_view bytes(utf8.constData(), std::size_t(utf8.size()));
    const auto value = [](std::optional<std::int32_t> n) { return n ? qint64(*n) : kNone; };
    for (const auto& [range, expected] :
         {std::pair(IntegerRange::Signed32, signed32), std::pair(IntegerRange::Pattern32, pattern32)}) {
        QCOMPARE(value(evm::parseInteger(QStringView(text), range)), expected);
        QCOMPARE(value(evm::parseInteger(bytes, range)), expected);
    }
}

QTEST_APPLESS_MAIN(TestIntegerText)
#include "tst_integertext.moc"
