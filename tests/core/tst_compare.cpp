// Comparing register snapshots: which registers differ, which bits, under
// which panel control, and which texts are no snapshot.

#include "snapshotcompare.h"

#include <QBuffer>
#include <QtTest>

namespace {

// The snapshot of a chip at its power-on values, with some registers changed.
QByteArray snapshot(const QMap<int, int>& changed = {}, const char* lineEnd = "\r\n")
{
    QByteArray out;
    for (int a = regs::kFirst; a <= regs::kLast; ++a) {
        const int v = changed.value(a, regs::kRegisterMap[std::size_t(a - regs::kFirst)].defaultValue & 0xFF);
        out += QByteArray("0x") + QByteArray::number(a, 16).toUpper() + ", 0x" +
               QByteArray::number(v, 16).toUpper().rightJustified(2, '0') + lineEnd;
    }
    return out;
}

bool readText(const QByteArray& text, evm::compare::Values* values, evm::compare::Problem* problem)
{
    QByteArray bytes = text;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return evm::compare::read(&buffer, values, problem);
}

QStringList compareTexts(const QByteArray& a, const QByteArray& b)
{
    evm::compare::Values va{}, vb{};
    evm::compare::Problem problem;
    if (!readText(a, &va, &problem) || !readText(b, &vb, &problem)) {
        qWarning() << problem.line << problem.text;
        return {QStringLiteral("trouble")};
    }
    QStringList out;
    for (const evm::compare::Difference& d : evm::compare::differences(va, vb))
        out << evm::compare::describe(d);
    return out;
}

} // namespace

class TestCompare : public QObject {
    Q_OBJECT
private slots:
    void differences_data();
    void differences();
    void againstChip();
    void trouble_data();
    void trouble();
};

void TestCompare::differences_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<QStringList>("expected");

    const QByteArray base = snapshot();
    QTest::newRow("same file") << base << base << QStringList{};
    QTest::newRow("other spellings and line ends")
        << base
        << snapshot({}, "\n").replace("0x41, 0x00", "65 0").replace("0x5E, 0xFF", "$5E, \"255\"") + "\r\n"
        << QStringList{};
    QTest::newRow("sleep and empty lines ignored")
        << base << "sleep, 100\n\n" + snapshot({}, "\n") + "SLEEP 5\n   \n"
        << QStringList{};
    QTest::newRow("later record wins") << base << snapshot({{0x43, 0x01}}) + "0x43, 0x00\r\n"
                                       << QStringList{};

    QTest::newRow("one bit of a check box")
        << base << snapshot({{0x43, 0x01}}) << QStringList{"0x43: 0x00 0x01  cInvDAC1: REVDA1"};
    QTest::newRow("bits grouped by control")
        << snapshot({{0x41, 0x05}}) << snapshot({{0x41, 0xB7}})
        << QStringList{"0x41: 0x05 0xB7  rgDACPowSav: PSMDA  cbDACMasterSlave: bit5 bit4  cbDACFMT: FMTDA1"};
    QTest::newRow("bits without a control")
        << base << snapshot({{0x40, 0x40}, {0x52, 0x11}})
        << QStringList{"0x40: 0xC0 0x40  MRST", "0x52: 0x00 0x11  PSVAD0 BYP0"};
    QTest::newRow("controls and bits without one in a register")
        << base << snapshot({{0x46, 0xCB}})
        << QStringList{"0x46: 0x00 0xCB  rgDACAttMode: DAMS  rgDACAttSpeed: bit6  bit3  cbZeroFunc: AZRO0  "
                       "cbZeroPole: ZREV"};
    QTest::newRow("attenuation channel")
        << base << snapshot({{0x48, 0xF0}, {0x4F, 0x7F}})
        << QStringList{"0x48: 0xFF 0xF0  tkDAC1: ATDA13 ATDA12 ATDA11 ATDA10",
                       "0x4F: 0xFF 0x7F  tkDAC8: ATDA87"};
    QTest::newRow("mute, sampling mode and overflow pole")
        << base << snapshot({{0x40, 0xC5}, {0x57, 0x01}})
        << QStringList{"0x40: 0xC0 0xC5  cbAMUTE1: AMUTE0  cbDACSAM: SRDA0",
                       "0x57: 0x00 0x01  cbOvfPole: OVFP"};

    QByteArray without45 = base;
    without45.replace("0x45, 0x00\r\n", "");
    QTest::newRow("missing on one side") << base << without45 << QStringList{"0x45: 0x00 missing"};
    QTest::newRow("missing on the other side") << without45 << base << QStringList{"0x45: missing 0x00"};
    QTest::newRow("missing on both sides") << without45 << without45 << QStringList{};
    QTest::newRow("empty file") << QByteArray() << QByteArray("0x5E, 0x0A")
                                << QStringList{"0x5E: missing 0x0A"};
}

void TestCompare::differences()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(QStringList, expected);
    QCOMPARE(compareTexts(a, b), expected);
}

void TestCompare::againstChip()
{
    std::array<std::uint8_t, regs::kCount> chip{};
    evm::compare::Values file{};
    evm::compare::Problem problem;
    QVERIFY(readText(snapshot(), &file, &problem));
    for (int i = 0; i < regs::kCount; ++i) chip[std::size_t(i)] = std::uint8_t(file[std::size_t(i)]);
    chip[0x5E - regs::kFirst] = 0x7F;
    const auto d = evm::compare::differences(file, evm::compare::fromChip(chip));
    QCOMPARE(d.size(), 1);
    QCOMPARE(evm::compare::describe(d[0]), QStringLiteral("0x5E: 0xFF 0x7F  ATAD67"));
}

void TestCompare::trouble_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("line");
    QTest::addColumn<QString>("message");
    const QString record = QStringLiteral("Invalid record was found on the Register setting file.");
    QTest::newRow("header line") << QByteArray("Address,Data\n0x40, 0xC0\n") << qint64(1) << record;
    QTest::newRow("record without data") << QByteArray("0x40, 0xC0\r\n\r\n0x41\r\n") << qint64(3) << record;
    QTest::newRow("data above 0xFF") << QByteArray("0x40, 0xC0\n0x41, 0x100\n") << qint64(2)
                                     << QStringLiteral("Invalid register data!");
    QTest::newRow("bad sleep") << QByteArray("sleep, -1\n") << qint64(1)
                               << QStringLiteral("Invalid sleep time.");
    QTest::newRow("register below the chip")
        << QByteArray("0x40, 0xC0\n0x3F, 0x00\n") << qint64(2)
        << QStringLiteral("Register 0x3F is not a chip register (0x40..0x5E).");
    QTest::newRow("register above the chip")
        << QByteArray("0x5F, 0x00") << qint64(1)
        << QStringLiteral("Register 0x5F is not a chip register (0x40..0x5E).");
}

void TestCompare::trouble()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, line);
    QFETCH(QString, message);
    evm::compare::Values values{};
    evm::compare::Problem problem;
    QVERIFY(!readText(text, &values, &problem));
    QCOMPARE(problem.line, line);
    QCOMPARE(problem.text, message);
}

QTEST_GUILESS_MAIN(TestCompare)
#include "tst_compare.moc"
