// What each kind of script line asks the run to do.

#include "scriptline.h"

#include <QtTest>

using scriptline::Kind;
Q_DECLARE_METATYPE(scriptline::Kind)

class TestScriptLine : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void errorTexts();
};

void TestScriptLine::parse_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    // Register records in every accepted spelling.
    for (const char* l : {"0x40, 0xC1", "0x40,0xC1", "0x40 0xC1", "64, 193", "$40, $C1", "x40, xC1",
                          "0X40,XC1", "\"0x40\",\"0xC1\"", "\" 0x40\", \" 193\"", "  0x40  ,  0xC1  "})
        QTest::newRow(l) << QByteArray(l) << Kind::Write << 0x40 << 0xC1;
    QTest::newRow("data 0xFF") << QByteArray("0x40, 0xFF") << Kind::Write << 0x40 << 0xFF;
    QTest::newRow("data 255") << QByteArray("0x40, 255") << Kind::Write << 0x40 << 255;
    QTest::newRow("data 0") << QByteArray("0x40, 0") << Kind::Write << 0x40 << 0;
    QTest::newRow("remark ignored") << QByteArray("0x41, 0x05, set format") << Kind::Write << 0x41 << 5;
    QTest::newRow("bad third field ignored") << QByteArray("0x41, 0x05, \"") << Kind::Write << 0x41 << 5;
    QTest::newRow("address below range") << QByteArray("0x20, 0x01") << Kind::Write << 0x20 << 1;
    QTest::newRow("address above range") << QByteArray("0x7F, 0x00") << Kind::Write << 0x7F << 0;
    QTest::newRow("negative address") << QByteArray("-1, 0x00") << Kind::Write << -1 << 0;
    // Waits.
    for (const char* l :
         {"SLEEP, 100", "Sleep,100", "sleep 100", "sLeEp, 0x64", "\"sleep\", \"100\"", "sleep,100,ms"})
        QTest::newRow(l) << QByteArray(l) << Kind::Wait << 100 << 0;
    QTest::newRow("sleep 0") << QByteArray("sleep, 0") << Kind::Wait << 0 << 0;
    QTest::newRow("sleep only") << QByteArray("sleep") << Kind::BadWait << 0 << 0;
    QTest::newRow("sleep fraction") << QByteArray("sleep, 1.5") << Kind::BadWait << 0 << 0;
    QTest::newRow("sleep empty") << QByteArray("sleep,,100") << Kind::BadWait << 0 << 0;
    QTest::newRow("sleep negative") << QByteArray("sleep, -1") << Kind::BadWait << 0 << 0;
    QTest::newRow("sleep top-bit hex") << QByteArray("sleep, 0xFFFFFFFF") << Kind::BadWait << 0 << 0;
    QTest::newRow("sleeps is no keyword") << QByteArray("sleeps, 100") << Kind::BadRecord << 0 << 0;
    QTest::newRow("sleep with doubled quote")
        << QByteArray("\"sleep\"\"\", 100") << Kind::BadRecord << 0 << 0;
    // Records that are no records.
    QTest::newRow("address alone") << QByteArray("0x40") << Kind::BadRecord << 0 << 0;
    QTest::newRow("empty data") << QByteArray("0x40,,0x01") << Kind::BadRecord << 0 << 0;
    QTest::newRow("trailing comma") << QByteArray("0x40,") << Kind::BadRecord << 0 << 0;
    QTest::newRow("bad digit") << QByteArray("0x4G, 0x01") << Kind::BadRecord << 0 << 0;
    QTest::newRow("header") << QByteArray("Address,Data") << Kind::BadRecord << 0 << 0;
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF"
                                                   "0x40, 0x01")
                                     << Kind::BadRecord << 0 << 0;
    QTest::newRow("quote in number") << QByteArray("\"0x40\"\"\", 1") << Kind::BadRecord << 0 << 0;
    QTest::newRow("bad address, bad data") << QByteArray("zz, 0x100") << Kind::BadRecord << 0 << 0;
    QTest::newRow("comment-like") << QByteArray("// 0x40, 1") << Kind::BadRecord << 0 << 0;
    // Data out of range.
    QTest::newRow("0x100") << QByteArray("0x40, 0x100") << Kind::BadData << 0 << 0;
    QTest::newRow("256") << QByteArray("0x40, 256") << Kind::BadData << 0 << 0;
    QTest::newRow("-1") << QByteArray("0x40, -1") << Kind::BadData << 0 << 0;
    QTest::newRow("0x1FF") << QByteArray("0x40, 0x1FF") << Kind::BadData << 0 << 0;
    // Nothing at all.
    QTest::newRow("empty") << QByteArray() << Kind::Empty << 0 << 0;
    QTest::newRow("blanks") << QByteArray(" \t\x01 ") << Kind::Empty << 0 << 0;
}

void TestScriptLine::parse()
{
    QFETCH(QByteArray, line);
    QFETCH(Kind, kind);
    QFETCH(int, first);
    QFETCH(int, second);
    const scriptline::Line got = scriptline::parse(line);
    QCOMPARE(got.kind, kind);
    if (kind == Kind::Write || kind == Kind::Wait) QCOMPARE(got.first, first);
    if (kind == Kind::Write) QCOMPARE(got.second, second);
}

void TestScriptLine::errorTexts()
{
    QCOMPARE(scriptline::errorText(Kind::BadWait), QString("Invalid sleep time."));
    QCOMPARE(scriptline::errorText(Kind::BadRecord),
             QString("Invalid record was found on the Register setting file."));
    QCOMPARE(scriptline::errorText(Kind::BadData), QString("Invalid register data!"));
    QVERIFY(scriptline::errorText(Kind::Write).isEmpty());
}

QTEST_APPLESS_MAIN(TestScriptLine)
#include "tst_scriptline.moc"
