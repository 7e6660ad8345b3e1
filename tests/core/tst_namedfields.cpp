// The register bit fields by name: the naming rule over the register map, the
// table's invariants, the item and dB texts, and reading and writing values.

#include "namedfields.h"

#include <QJsonObject>
#include <QLocale>
#include <QtTest>

using namespace evm::fields;

Q_DECLARE_METATYPE(regs::RegisterInfo)

namespace {

// "NAME@0x41:3-0" for each field, in table order.
QStringList outline(const QList<Field>& fields)
{
    QStringList out;
    for (const Field& f : fields)
        out << QStringLiteral("%1@0x%2:%3-%4").arg(f.name).arg(f.reg, 0, 16).arg(f.high).arg(f.low);
    return out;
}

regs::RegisterInfo row(const QList<const char*>& names)
{
    regs::RegisterInfo r{{"-", "-", "-", "-", "-", "-", "-", "-"}, 0, 0xFF};
    for (int i = 0; i < names.size(); ++i) r.names[i] = names[i];
    return r;
}

} // namespace

class TestNamedFields : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void ruleOnTheRegisterMap_data();
    void ruleOnTheRegisterMap();
    void ruleOnOtherRows_data();
    void ruleOnOtherRows();
    void repeatedNameIsReported_data();
    void repeatedNameIsReported();
    void tableCoversEveryNamedBitOnce();
    void controlsAndTexts_data();
    void controlsAndTexts();
    void machineForm();
    void writeKeepsOtherBits_data();
    void writeKeepsOtherBits();
    void parsing_data();
    void parsing();
};

// Command lines use '.' whatever the user's locale: run everything under one
// whose decimal separator is a comma.
void TestNamedFields::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestNamedFields::ruleOnTheRegisterMap_data()
{
    QTest::addColumn<QString>("lookup");
    QTest::addColumn<QString>("name"); // empty: no such field
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    const struct {
        const char* name;
        int reg, high, low;
    } fields[] = {
        {"FMTDA", 0x41, 3, 0}, {"AMUTE", 0x40, 5, 2},  {"ATDA1", 0x48, 7, 0},  {"ATDA8", 0x4F, 7, 0},
        {"DEMP", 0x46, 5, 4},  {"SRDA", 0x40, 1, 0},   {"AZRO", 0x46, 2, 1},   {"OPEDA", 0x42, 7, 4},
        {"FLT", 0x42, 3, 0},   {"MSAD", 0x51, 6, 4},   {"ATAD0", 0x58, 7, 0},  {"ATAD6", 0x5E, 7, 0},
        {"PSMDA", 0x41, 7, 7}, {"DAMS", 0x46, 7, 7},   {"ZREV", 0x46, 0, 0},   {"MRST", 0x40, 7, 7},
        {"SRST", 0x40, 6, 6},  {"REVDA3", 0x43, 2, 2}, {"REVDA8", 0x43, 7, 7}, {"ZERO1", 0x45, 0, 0},
        {"OVF2", 0x56, 1, 1},  {"SEAD6", 0x53, 5, 5},  {"OVFP", 0x57, 0, 0},   {"ATMDAD", 0x57, 7, 7},
    };
    for (const auto& f : fields) QTest::newRow(f.name) << f.name << f.name << f.reg << f.high << f.low;
    // Names are found in any case, as SCPI and a shell user type them.
    QTest::newRow("fmtda") << "fmtda"
                           << "FMTDA" << 0x41 << 3 << 0;
    QTest::newRow("Atda1") << "Atda1"
                           << "ATDA1" << 0x48 << 7 << 0;
    // Bits of a field have no name of their own; a run short of 0 is no field.
    for (const char* none : {"FMTDA0", "ATDA10", "ATDA", "REVDA", "ZERO", "-", "", "FMTDA "})
        QTest::newRow(none[0] ? none : "empty") << none << QString() << 0 << 0 << 0;
}

void TestNamedFields::ruleOnTheRegisterMap()
{
    QFETCH(QString, lookup);
    QFETCH(QString, name);
    const Field* f = find(lookup);
    if (name.isEmpty()) {
        QVERIFY2(!f, qPrintable(f ? f->name : QString()));
        return;
    }
    QVERIFY(f);
    QCOMPARE(f->name, name);
    QTEST(f->reg, "reg");
    QTEST(f->high, "high");
    QTEST(f->low, "low");
}

// Rows the chip does not have, for the corners of the rule.
void TestNamedFields::ruleOnOtherRows_data()
{
    QTest::addColumn<regs::RegisterInfo>("info");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("lone X0") << row({"-", "-", "-", "-", "-", "-", "-", "X0"}) << QStringList{"X0@0x10:0-0"};
    QTest::newRow("gap") << row({"A1", "-", "A0"}) << QStringList{"A1@0x10:7-7", "A0@0x10:5-5"};
    QTest::newRow("rising") << row({"B0", "B1"}) << QStringList{"B0@0x10:7-7", "B1@0x10:6-6"};
    QTest::newRow("run after a stray")
        << row({"E5", "E1", "E0", "F2", "F1", "F0", "G1"})
        << QStringList{"E5@0x10:7-7", "E@0x10:6-5", "F@0x10:4-2", "G1@0x10:1-1"};
    QTest::newRow("run past bit 0") << row({"-", "-", "-", "-", "-", "H2", "H1", "H0"})
                                    << QStringList{"H@0x10:2-0"};
    QTest::newRow("longer neighbour") << row({"J1", "JJ0"}) << QStringList{"J1@0x10:7-7", "JJ0@0x10:6-6"};
    QTest::newRow("digit alone") << row({"1", "0"}) << QStringList{"1@0x10:7-7", "0@0x10:6-6"};
}

void TestNamedFields::ruleOnOtherRows()
{
    QFETCH(regs::RegisterInfo, info);
    QString error;
    const regs::RegisterInfo rows[] = {info};
    QTEST(outline(derive(rows, 0x10, &error)), "fields");
    QCOMPARE(error, QString());
}

// Lookup by name would be ambiguous: the table refuses a repeated name.
void TestNamedFields::repeatedNameIsReported_data()
{
    QTest::addColumn<QList<regs::RegisterInfo>>("rows");
    QTest::addColumn<QString>("error");
    QTest::newRow("field and bit")
        << QList{row({"K1", "K0"}), row({"K"})}
        << "The bit field name K occurs twice: register 0x10 bit 7 and register 0x11 bit 7";
    QTest::newRow("case")
        << QList{row({"Lx"}), row({"-", "LX"})}
        << "The bit field name LX occurs twice: register 0x10 bit 7 and register 0x11 bit 6";
    QTest::newRow("one register")
        << QList{row({"M", "-", "M"})}
        << "The bit field name M occurs twice: register 0x10 bit 7 and register 0x10 bit 5";
}

void TestNamedFields::repeatedNameIsReported()
{
    QFETCH(QList<regs::RegisterInfo>, rows);
    QString error;
    derive(rows, 0x10, &error);
    QTEST(error, "error");
}

void TestNamedFields::tableCoversEveryNamedBitOnce()
{
    QString error;
    derive(regs::kRegisterMap, regs::kFirst, &error);
    QCOMPARE(error, QString());

    int owner[regs::kCount][8];
    for (auto& r : owner) std::fill(std::begin(r), std::end(r), -1);
    QSet<QString> names;
    for (int i = 0; i < all().size(); ++i) {
        const Field& f = all()[i];
        const QByteArray where = f.name.toLatin1();
        QVERIFY2(regs::inImage(f.reg), where);
        QVERIFY2(0 <= f.low && f.low <= f.high && f.high <= 7, where);
        for (int bit = f.low; bit <= f.high; ++bit) {
            QVERIFY2(owner[f.reg - regs::kFirst][bit] == -1, where); // no overlap
            owner[f.reg - regs::kFirst][bit] = i;
            // The field's bits carry its name and their number within it.
            const QString bitName = regs::bitName(f.reg - regs::kFirst, bit);
            QCOMPARE(bitName, f.width() == 1 ? f.name : f.name + QString::number(bit - f.low));
        }
        names.insert(f.name.toUpper());
        QCOMPARE(find(f.name.toLower()), &f);
        QVERIFY2(f.items.size() <= qsizetype(f.maximum()) + 1, where); // every item fits the field
        QVERIFY2(!f.attenuation || f.width() == 8, where);
    }
    QCOMPARE(names.size(), all().size());
    for (int r = 0; r < regs::kCount; ++r)
        for (int bit = 0; bit < 8; ++bit)
            QVERIFY2((owner[r][bit] == -1) == (QLatin1String(regs::bitName(r, bit)) == QLatin1String("-")),
                     qPrintable(QStringLiteral("0x%1 bit %2").arg(r + regs::kFirst, 0, 16).arg(bit)));
}

void TestNamedFields::controlsAndTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("control");
    QTest::addColumn<unsigned>("value");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<QString>("text");
    const struct {
        const char* name;
        const char* control;
        unsigned value;
        bool wide;
        const char* text;
    } rows[] = {
        {"FMTDA", "cbDACFMT", 4, false, "FMTDA = 0x4 (24bit IIS DSP)"},
        {"FMTDA", "cbDACFMT", 10, false, "FMTDA = 0xA"}, // no item
        {"SRDA", "cbDACSAM", 3, false, "SRDA = 0x3 (Quad Rate)"},
        {"SRAD", "cbADCSAM", 3, false, "SRAD = 0x3"}, // the ADC side has three rates
        {"DEMP", "cbDEMP", 2, false, "DEMP = 0x2 (44.1kHz)"},
        {"AZRO", "cbZeroFunc", 2, false, "AZRO = 0x2 (ZERO1: DATA4, ZERO2: DATA1-3)"},
        {"ZREV", "cbZeroPole", 1, false, "ZREV = 0x1 (Low for Zero detect)"},
        {"OVFP", "cbOvfPole", 0, false, "OVFP = 0x0 (High for overflow detect)"},
        {"MSAD", "cbADCMasterSlave", 4, false, "MSAD = 0x4 (Master (256fs))"},
        {"MSAD", "cbADCMasterSlave", 5, false, "MSAD = 0x5"},
        {"FMTAD", "cbADCFMT", 7, false, "FMTAD = 0x7 (24bit Left Justified TDM)"},
        {"PSMDA", "rgDACPowSav", 1, false, "PSMDA = 0x1 (Disable)"},
        {"DAMS", "rgDACAttMode", 0, true, "DAMS = 0x0 (Fine Step (0.5dB Step))"},
        {"REVDA3", "cInvDAC3", 1, false, "REVDA3 = 0x1"},
        {"ZERO1", "", 1, false, "ZERO1 = 0x1"},
        // Fields that panel controls show bit by bit.
        {"FLT", "", 5, false, "FLT = 0x5"},
        {"OPEDA", "", 1, false, "OPEDA = 0x1"},
        {"AMUTE", "", 0xF, false, "AMUTE = 0xF"},
        {"ATDA1", "tkDAC1", 0xEA, false, "ATDA1 = 0xEA (-10.5 dB)"},
        {"ATDA1", "tkDAC1", 0xEA, true, "ATDA1 = 0xEA (-21.0 dB)"},
        {"ATDA8", "tkDAC8", 0xFF, true, "ATDA8 = 0xFF (0.0 dB)"},
        {"ATDA3", "tkDAC3", 0x00, false, "ATDA3 = 0x00 (-127.5 dB)"},
        {"ATAD0", "", 0x05, false, "ATAD0 = 0x05"}, // no dB on the ADC side
    };
    for (const auto& r : rows)
        QTest::addRow("%s %u%s", r.name, r.value, r.wide ? " wide" : "")
            << r.name << r.control << r.value << r.wide << r.text;
}

void TestNamedFields::controlsAndTexts()
{
    QFETCH(QString, name);
    QFETCH(unsigned, value);
    QFETCH(bool, wide);
    const Field* f = find(name);
    QVERIFY(f);
    QTEST(QString(f->control ? f->control : ""), "control");
    QTEST(describe(*f, value, wide), "text");
}

void TestNamedFields::machineForm()
{
    const QJsonObject fmt = toJson(*find(u"FMTDA"), 4, false);
    QCOMPARE(fmt, (QJsonObject{{"name", "FMTDA"},
                               {"register", 0x41},
                               {"high", 3},
                               {"low", 0},
                               {"value", 4},
                               {"text", "24bit IIS DSP"}}));
    QCOMPARE(toJson(*find(u"ATDA2"), 0xEA, true).value("text").toString(), QString("-21.0 dB"));
    QVERIFY(toJson(*find(u"ZERO1"), 1, false).value("text").isNull());
}

void TestNamedFields::writeKeepsOtherBits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("before");
    QTest::addColumn<unsigned>("value");
    QTest::addColumn<int>("after"); // -1: refused
    QTest::newRow("FMTDA set") << "FMTDA" << 0xF0 << 4u << 0xF4;
    QTest::newRow("FMTDA clear") << "FMTDA" << 0xFF << 0u << 0xF0;
    QTest::newRow("AMUTE set") << "AMUTE" << 0xC3 << 0xFu << 0xFF;
    QTest::newRow("AMUTE clear") << "AMUTE" << 0xFF << 0u << 0xC3;
    QTest::newRow("DEMP") << "DEMP" << 0x81 << 2u << 0xA1;
    QTest::newRow("AZRO") << "AZRO" << 0x81 << 2u << 0x85;
    QTest::newRow("MSAD") << "MSAD" << 0x03 << 2u << 0x23;
    QTest::newRow("PSMDA") << "PSMDA" << 0x05 << 1u << 0x85;
    QTest::newRow("ZREV") << "ZREV" << 0x80 << 1u << 0x81;
    QTest::newRow("ATDA1") << "ATDA1" << 0x00 << 0xEAu << 0xEA;
    QTest::newRow("FMTDA 16") << "FMTDA" << 0x00 << 16u << -1;
    QTest::newRow("ZREV 2") << "ZREV" << 0x00 << 2u << -1;
    QTest::newRow("SRDA huge") << "SRDA" << 0x00 << 0x80000001u << -1;
    QTest::newRow("ATDA1 256") << "ATDA1" << 0x00 << 256u << -1;
}

void TestNamedFields::writeKeepsOtherBits()
{
    QFETCH(QString, name);
    QFETCH(int, before);
    QFETCH(unsigned, value);
    QFETCH(int, after);
    const Field* f = find(name);
    QVERIFY(f);
    QString error;
    const std::optional<std::uint8_t> got = withValue(*f, std::uint8_t(before), value, &error);
    if (after < 0) {
        QVERIFY(!got);
        QVERIFY2(error.contains(name) && error.contains(QStringLiteral("does not fit")), qPrintable(error));
        return;
    }
    QVERIFY2(got, qPrintable(error));
    QCOMPARE(int(*got), after);
    QCOMPARE(valueOf(*f, *got), value);
}

void TestNamedFields::parsing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<int>("value"); // -1: refused
    QTest::addColumn<QString>("error");
    const struct {
        const char* name;
        const char* text;
        bool wide;
        int value;
        const char* error;
    } rows[] = {
        // Numbers in the script forms.
        {"FMTDA", "4", false, 4, ""},
        {"FMTDA", "0x4", false, 4, ""},
        {"FMTDA", "$a", false, 10, ""},
        {"FMTDA", "X0F", false, 15, ""},
        {"FMTDA", " 7 ", false, 7, ""},
        {"ATDA1", "0xEA", false, 0xEA, ""},
        {"FMTDA", "16", false, -1, "16 does not fit FMTDA (4 bits: 0x0 to 0xF)"},
        {"ZREV", "0x2", false, -1, "0x2 does not fit ZREV (1 bit: 0x0 to 0x1)"},
        {"SRDA", "-1", false, -1, "-1 does not fit SRDA (2 bits: 0x0 to 0x3)"},
        {"ATDA1", "0xFFFFFFFF", false, -1, "0xFFFFFFFF does not fit ATDA1 (8 bits: 0x00 to 0xFF)"},
        {"ATDA1", "-10", false, -1, "decibels take the suffix dB"},
        {"FMTDA", "abc", false, -1, "\"abc\" is no value for FMTDA"},
        {"FMTDA", "", false, -1, "\"\" is no value for FMTDA"},
        {"FMTDA", "4x", false, -1, "\"4x\" is no value for FMTDA"},
        // Decibels as the window's dB edit converts them, in the mode given.
        {"ATDA1", "-10.3dB", false, 234, ""},
        {"ATDA1", "-10.3dB", true, 244, ""},
        {"ATDA4", "-10.5 dB", false, 234, ""},
        {"ATDA4", "-10.5DB", false, 234, ""},
        {"ATDA4", "-10.5db", false, 234, ""},
        {"ATDA2", "-0.1dB", false, 254, ""},
        {"ATDA8", "5dB", false, 255, ""},
        {"ATDA1", "-80dB", false, 129, ""},
        {"ATDA1", "-120 dB", true, 155, ""},
        {"ATDA1", "-80dB", true, 175, ""},
        {"ATDA1", "-1e99dB", true, 155, ""},
        {"ATDA1", "-10,5dB", false, -1, "\"-10,5dB\" is no level in decibels for ATDA1"},
        {"ATDA1", "dB", false, -1, "is no level in decibels"},
        {"ATDA1", "0x10dB", false, -1, "is no level in decibels"},
        {"FMTDA", "4dB", false, -1, "FMTDA takes no decibels"},
        {"ATAD0", "-10dB", false, -1, "ATAD0 takes no decibels"},
    };
    for (const auto& r : rows)
        QTest::addRow("%s '%s'%s", r.name, r.text, r.wide ? " wide" : "")
            << r.name << r.text << r.wide << r.value << r.error;
}

void TestNamedFields::parsing()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, wide);
    QFETCH(int, value);
    QFETCH(QString, error);
    const Field* f = find(name);
    QVERIFY(f);
    QString message;
    const std::optional<unsigned> got = parseValue(*f, text, wide, &message);
    if (value < 0) {
        QVERIFY(!got);
        QVERIFY2(message.contains(error), qPrintable(message));
    } else {
        QVERIFY2(got, qPrintable(message));
        QCOMPARE(int(*got), value);
    }
}

QTEST_APPLESS_MAIN(TestNamedFields)
#include "tst_namedfields.moc"
