// Layout data of the main window. The item lists of the bound combo boxes and
// radio groups are part of the register encoding (an item index is the value
// of its bit field), so they come from the binding tables.

#include "form1_controls.h"

#include "bindingtables.h"

namespace layout {

QString bitHint(int reg, int bit)
{
    return QString::asprintf("Reg#%02XH, Bit%d", reg, bit);
}
QString fieldHint(int reg, int high, int low)
{
    return QString::asprintf("Reg#%02XH, Bit%d-%d", reg, high, low);
}

namespace {

using K = Kind;

// The attenuation page's eight channel rows: tops of each element.
struct AttenuationRow {
    int labelTop;
    const char* labelName;
    int trackTop, editTop, dbTop;
    const char* dbName;
    int muteTop;
};
// clang-format off
constexpr AttenuationRow kAttenuationRows[8] = {
    {23,  "Label8",  12,  17,  19,  "Label7",  20},
    {47,  "Label2",  37,  40,  43,  "Label1",  43},
    {70,  "Label4",  60,  63,  66,  "Label3",  66},
    {93,  "Label11", 83,  86,  89,  "Label10", 89},
    {116, "Label13", 106, 109, 112, "Label12", 112},
    {139, "Label15", 129, 132, 135, "Label14", 135},
    {162, "Label17", 150, 155, 158, "Label16", 158},
    {185, "Label19", 175, 178, 181, "Label18", 181},
};
// clang-format on

// Phase check boxes cInvDAC1..8 in GroupBox2.
constexpr QPoint kInvertPlaces[8] = {{16, 24},  {16, 47},  {16, 70},  {135, 24},
                                     {135, 47}, {135, 71}, {256, 26}, {256, 49}};

// Lamps and the labels under them.
constexpr int kZeroLampLefts[8] = {22, 63, 103, 144, 182, 221, 261, 303};
constexpr int kZeroLabelLefts[8] = {16, 56, 96, 138, 175, 215, 255, 297};
constexpr int kOvfLampLefts[6] = {23, 64, 104, 145, 182, 222};
constexpr int kOvfLabelLefts[6] = {16, 56, 96, 138, 175, 215};

QStringList itemList(std::span<const char* const> items)
{
    QStringList list;
    list.reserve(qsizetype(items.size()));
    for (const char* item : items) list.append(QString::fromLatin1(item));
    return list;
}
QStringList comboItems(int tag)
{
    return itemList(bind::kComboDefs[tag].items);
}
QStringList radioItems(int tag)
{
    return itemList(bind::kRadioDefs[tag].items);
}

QString numbered(const QString& prefix, int n)
{
    return prefix + QString::number(n);
}

// The eight phase check boxes cInvDAC1..8 in GroupBox2.
void phaseBoxes(QList<ControlDef>& c)
{
    for (int n = 1; n <= 8; ++n) {
        const QPoint p = kInvertPlaces[n - 1];
        c.append({numbered("cInvDAC", n),
                  Kind::Check,
                  "GroupBox2",
                  {p.x(), p.y(), 97, 17},
                  numbered("DAC", n) + " Invert",
                  n - 1,
                  bitHint(0x43, n - 1)});
    }
}

// The attenuation page's channel rows: label, track bar, edit, "dB", mute box.
void attenuationRows(QList<ControlDef>& c)
{
    for (int n = 1; n <= 8; ++n) {
        const AttenuationRow& r = kAttenuationRows[n - 1];
        const QString hint = fieldHint(0x48 + n - 1, 7, 0);
        c.append({r.labelName, Kind::Label, "DACAtt", {24, r.labelTop, 32, 15}, numbered("DAC", n)});
        c.append({numbered("tkDAC", n), Kind::Track, "DACAtt", {67, r.trackTop, 240, 28}, {}, n, hint});
        c.append({numbered("edDAC", n), Kind::Edit, "DACAtt", {310, r.editTop, 41, 23}, "0.0", n, hint});
        c.append({r.dbName, Kind::Label, "DACAtt", {355, r.dbTop, 15, 15}, "dB"});
        c.append({numbered("cDAC", n),
                  Kind::Check,
                  "DACAtt",
                  {380, r.muteTop, 54, 17},
                  "Mute",
                  19 + n,
                  bitHint(0x44, n - 1)});
    }
}

} // namespace

QList<ControlDef> form1Controls()
{
    // clang-format off
    QList<ControlDef> c;
    c.reserve(200);
    c += QList<ControlDef>{
        // name             kind           parent        place                  text / caption                       tag  hint               items  flags
        // ---- Top level
        {"Image1",          K::Picture,    {},           {24, 8, 360, 19}},
        {"Image2",          K::Picture,    {},           {552, 7, 162, 19}},
        {"MainTab",         K::Tabs,       {},           {24, 37, 458, 420}},
        {"GroupBox23",      K::Group,      {},           {496, 32, 217, 354},   "Register setting history"},
        {"GroupBox25",      K::Group,      {},           {496, 392, 217, 65},   "Register direct access"},
        {"gbReset",         K::Group,      {},           {24, 464, 201, 70},    "Reset control"},
        {"GroupBox3",       K::Group,      {},           {258, 464, 223, 70},   "PC-EVM Communication and Status"},
        {"rgInterface",     K::Radio,      {},           {496, 464, 68, 70},    "Interface", kNoTag, {}, {"IIC", "SPI"}, OneColumn | SecondItem},
        {"Label20",         K::Label,      {},           {578, 472, 49, 15},    "Address:"},
        {"cbAddr",          K::Combo,      {},           {632, 468, 40, 23},    {}, kNoTag, {}, {"00", "01", "10", "11"}},
        {"imgExit",         K::ImageButton,{},           {592, 500, 111, 24},   "EXIT", 6},
        // ---- GroupBox23: history
        {"Memo1",           K::Memo,       "GroupBox23", {24, 24, 169, 286}},
        {"imgSave",         K::ImageButton,"GroupBox23", {24, 320, 79, 24},     "Save", 2},
        {"imgClear",        K::ImageButton,"GroupBox23", {116, 320, 79, 24},    "Clear", 3},
        // ---- GroupBox25: direct access
        {"Label68",         K::Label,      "GroupBox25", {8, 16, 42, 14},       "Address", kNoTag, {}, {}, Px11},
        {"Label69",         K::Label,      "GroupBox25", {60, 16, 22, 14},      "Data", kNoTag, {}, {}, Px11},
        {"RDA_reg",         K::Edit,       "GroupBox25", {14, 32, 33, 23},      "0x40"},
        {"RDA_data",        K::Edit,       "GroupBox25", {55, 32, 33, 23},      "0x00"},
        {"imgRead",         K::ImageButton,"GroupBox25", {96, 32, 53, 24},      "Read", 4},
        {"imgWrite",        K::ImageButton,"GroupBox25", {152, 32, 53, 24},     "Write", 5},
        // ---- gbReset
        {"Label60",         K::Label,      "gbReset",    {28, 20, 63, 12},      "Register Reset", kNoTag, {}, {}, Px9},
        {"Label64",         K::Label,      "gbReset",    {129, 20, 37, 12},     "Re-Sync", kNoTag, {}, {}, Px9},
        {"btnMRST",         K::Button,     "gbReset",    {28, 34, 60, 25},      "MRST", kNoTag, "Reg#40H, Bit7"},
        {"btnSRST",         K::Button,     "gbReset",    {116, 34, 60, 25},     "SRST", kNoTag, "Reg#40H, Bit6"},
        // ---- GroupBox3: connection
        {"Bevel2",          K::Bevel,      "GroupBox3",  {20, 37, 72, 19}},
        {"imgConnection",   K::Picture,    "GroupBox3",  {20, 37, 72, 19}},
        {"bBDRST",          K::Button,     "GroupBox3",  {115, 34, 89, 25},     "Reconnect"},
        // ---- Pages of MainTab, in tab order
        {"DACADCFunc",      K::Page,       "MainTab",    {},                    "DAC Inteface and Sampling Mode"},
        {"DACOperation",    K::Page,       "MainTab",    {},                    "DAC Operation"},
        {"DACAtt",          K::Page,       "MainTab",    {},                    "DAC Attenuation"},
        {"StatusFlag",      K::Page,       "MainTab",    {},                    "DAC Zero Flag"},
        {"AnalogPath",      K::Page,       "MainTab",    {},                    "DAC Analog Mute Function Control"},
        // ---- Page DACADCFunc
        {"GroupBox6",       K::Group,      "DACADCFunc", {24, 11, 401, 97},     "Audio interface"},
        {"Label63",         K::Label,      "GroupBox6",  {24, 30, 98, 15},      "DAC Master/Slave"},
        {"cbDACMasterSlave",K::Combo,      "GroupBox6",  {165, 27, 220, 23},    {}, 0, "Reg#41H, Bit6-4", comboItems(0), Disabled},
        {"Label42",         K::Label,      "GroupBox6",  {24, 60, 131, 15},     "DAC Serial Data Format"},
        {"cbDACFMT",        K::Combo,      "GroupBox6",  {165, 56, 220, 23},    {}, 1, "Reg#41H, Bit3-0", comboItems(1), Rows10},
        {"Label62",         K::Label,      "GroupBox6",  {24, 89, 98, 15},      "ADC Master/Slave", kNoTag, {}, {}, Hidden},
        {"cbADCMasterSlave",K::Combo,      "GroupBox6",  {165, 85, 220, 23},    {}, 2, "Reg#51H, Bit6-4", comboItems(2), Hidden},
        {"Label26",         K::Label,      "GroupBox6",  {24, 118, 131, 15},    "ADC Serial Data Format", kNoTag, {}, {}, Hidden},
        {"cbADCFMT",        K::Combo,      "GroupBox6",  {165, 114, 220, 23},   {}, 3, "Reg#51H, Bit2-0", comboItems(3), Hidden},
        {"GroupBox21",      K::Group,      "DACADCFunc", {24, 121, 401, 69},    "Sampling mode"},
        {"Label5",          K::Label,      "GroupBox21", {24, 30, 116, 15},     "DAC Sampling mode"},
        {"cbDACSAM",        K::Combo,      "GroupBox21", {165, 27, 220, 23},    {}, 4, "Reg#40H, Bit1-0", comboItems(4)},
        {"Label24",         K::Label,      "GroupBox21", {24, 62, 116, 15},     "ADC Sampling mode", kNoTag, {}, {}, Hidden},
        {"cbADCSAM",        K::Combo,      "GroupBox21", {165, 56, 220, 23},    {}, 5, "Reg#50H, Bit1-0", comboItems(5), Hidden},
        // ---- Page DACOperation
        {"rgDACPowSav",     K::Radio,      "DACOperation", {24, 16, 177, 48},   "DAC power save mode", 0, "Reg#41H, Bit7", radioItems(0)},
        {"DAC_ALC",         K::Group,      "DACOperation", {24, 70, 177, 143},  "DAC operation disable"},
        {"Label61",         K::Label,      "DAC_ALC",    {8, 13, 144, 15},      "with or without power save"},
        {"cOPEDA0",         K::Check,      "DAC_ALC",    {24, 41, 97, 17},      "DAC 1/2", 34, "Reg#42H, Bit4"},
        {"cOPEDA1",         K::Check,      "DAC_ALC",    {24, 64, 97, 17},      "DAC 3/4", 35, "Reg#42H, Bit5"},
        {"cOPEDA2",         K::Check,      "DAC_ALC",    {24, 87, 97, 17},      "DAC 5/6", 36, "Reg#42H, Bit6"},
        {"cOPEDA3",         K::Check,      "DAC_ALC",    {24, 110, 97, 17},     "DAC 7/8", 37, "Reg#42H, Bit7"},
        {"GroupBox9",       K::Group,      "DACOperation", {216, 16, 209, 48},  "DAC De-emphasis"},
        {"Label25",         K::Label,      "GroupBox9",  {14, 20, 104, 15},     "DAC De-emphasis"},
        {"cbDEMP",          K::Combo,      "GroupBox9",  {124, 15, 69, 23},     {}, 9, "Reg#46H, Bit5-4", comboItems(9)},
        {"GroupBox10",      K::Group,      "DACOperation", {216, 71, 207, 143}, "DAC digital filter roll-off"},
        {"LabelFLT12",      K::Label,      "GroupBox10", {14, 21, 45, 15},      "DAC 1/2"},
        {"cbFLT12",         K::Combo,      "GroupBox10", {72, 16, 121, 23},     {}, 10, "Reg#42H, Bit0", comboItems(10)},
        {"LabelFLT34",      K::Label,      "GroupBox10", {14, 48, 45, 15},      "DAC 3/4"},
        {"cbFLT34",         K::Combo,      "GroupBox10", {72, 45, 121, 23},     {}, 11, "Reg#42H, Bit1", comboItems(11)},
        {"LabelFLT56",      K::Label,      "GroupBox10", {14, 79, 45, 15},      "DAC 5/6"},
        {"cbFLT56",         K::Combo,      "GroupBox10", {72, 74, 121, 23},     {}, 12, "Reg#42H, Bit2", comboItems(12)},
        {"LabelFLT78",      K::Label,      "GroupBox10", {14, 108, 45, 15},     "DAC 7/8"},
        {"cbFLT78",         K::Combo,      "GroupBox10", {72, 103, 121, 23},    {}, 13, "Reg#42H, Bit3", comboItems(13)},
        {"GroupBox2",       K::Group,      "DACOperation", {24, 220, 399, 97},  "DAC output phase"},
        {"Label65",         K::Label,      "GroupBox2",  {256, 74, 106, 12},    "No Check: Normal phase", kNoTag, {}, {}, Px9},
        // cInvDAC1..8: see phaseBoxes()
    };
    // clang-format on
    phaseBoxes(c);
    attenuationRows(c);
    // clang-format off
    c += QList<ControlDef>{
        // ---- Page DACAtt, below the channel rows
        {"rgDACAttMode",    K::Radio,      "DACAtt",     {24, 225, 377, 48},    "Digital Attenuation mode", 1, "Reg#46H, Bit7", radioItems(1)},
        {"rgDACAttSpeed",   K::Radio,      "DACAtt",     {24, 279, 377, 48},    "Attenuation speed", 2, "Reg#46H, Bit6", radioItems(2), Hidden},
        {"cHPCC",           K::Check,      "DACAtt",     {32, 384, 209, 17},    "Connect dummy DAC to HPC", 47, "Reg#7DH, Bit7", {}, Hidden},
        // ---- Page StatusFlag
        {"GroupBox14",      K::Group,      "StatusFlag", {24, 3, 401, 166},     "DAC zero flag"},
        {"Label40",         K::Label,      "GroupBox14", {16, 22, 114, 15},     "Zero flag pin function"},
        {"cbZeroFunc",      K::Combo,      "GroupBox14", {145, 17, 240, 22},    {}, 6, "Reg#46H, Bit2-1", comboItems(6), Px11},
        {"Label36",         K::Label,      "GroupBox14", {16, 51, 90, 15},      "Zero flag polarity"},
        {"cbZeroPole",      K::Combo,      "GroupBox14", {145, 46, 240, 23},    {}, 7, "Reg#46H, Bit0", comboItems(7)},
        {"Label37",         K::Label,      "GroupBox14", {16, 95, 81, 15},      "Zer flag status:"},
        {"btnZeroClr",      K::Button,     "GroupBox14", {344, 75, 41, 25},     "Clear"},
        {"btnZeroRead",     K::Button,     "GroupBox14", {344, 112, 41, 25},    "Read"},
        {"GroupBox15",      K::Group,      "StatusFlag", {24, 175, 401, 139},   "ADC overflow flag", kNoTag, {}, {}, Hidden},
        {"Label35",         K::Label,      "GroupBox15", {16, 27, 112, 15},     "Overflow flag polarity"},
        {"cbOvfPole",       K::Combo,      "GroupBox15", {176, 22, 209, 23},    {}, 8, "Reg#57H, Bit0", comboItems(8)},
        {"Label50",         K::Label,      "GroupBox15", {16, 70, 110, 15},     "Overflow flag status:"},
        {"btnOVFClr",       K::Button,     "GroupBox15", {344, 51, 41, 25},     "Clear"},
        {"btnOVFRead",      K::Button,     "GroupBox15", {344, 88, 41, 25},     "Read"},
        // ZERO1..8 and OVF1..6 with their labels follow below.
        // ---- Page AnalogPath
        {"selDin",          K::Group,      "AnalogPath", {24, 16, 401, 145},    "Analog Mute Control Source Selection", kNoTag, "Reg#40H, Bit5-2"},
        {"Label6",          K::Label,      "selDin",     {16, 27, 185, 15},     "Analog Mute Control Controled by:"},
        {"cbAMUTE1",        K::Check,      "selDin",     {23, 48, 150, 17},     "SCKI lost", 38, "Reg#40H, Bit2"},
        {"cbAMUTE2",        K::Check,      "selDin",     {23, 71, 178, 17},     "Asynchronous detected", 39, "Reg#40H, Bit3"},
        {"cbAMUTE3",        K::Check,      "selDin",     {23, 94, 178, 17},     "ZERO1 or ZERO2 detected", 40, "Reg#40H, Bit4"},
        {"cbAMUTE4",        K::Check,      "selDin",     {23, 116, 178, 17},    "DAC disable command", 41, "Reg#40H, Bit5"},
    };
    // clang-format on

    // A row of flag lamps, each over a caption naming its channel.
    auto lampRow = [&c](const char* lamp, const char* caption, const char* group, int count,
                        const int* lampLefts, int lampTop, const int* labelLefts, int labelTop, int reg) {
        for (int n = 1; n <= count; ++n) {
            c.append({numbered(QLatin1String(lamp), n),
                      K::Picture,
                      group,
                      {lampLefts[n - 1], lampTop, 16, 16},
                      {},
                      kNoTag,
                      bitHint(reg, n - 1)});
            c.append({numbered(QLatin1String("Label") + QLatin1String(lamp), n),
                      K::Label,
                      group,
                      {labelLefts[n - 1], labelTop, 32, 15},
                      numbered(QLatin1String(caption), n)});
        }
    };
    lampRow("ZERO", "DAC", "GroupBox14", 8, kZeroLampLefts, 116, kZeroLabelLefts, 139, 0x45);
    lampRow("OVF", "ADC", "GroupBox15", 6, kOvfLampLefts, 92, kOvfLabelLefts, 114, 0x56);
    return c;
}

} // namespace layout
