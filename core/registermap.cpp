#include "registermap.h"

namespace regs {

// clang-format off
const std::array<RegisterInfo, kCount> kRegisterMap = {{
    {{"MRST",   "SRST",   "AMUTE3", "AMUTE2", "AMUTE1", "AMUTE0", "SRDA1",  "SRDA0"},  0xC0, 0x3F}, // 0x40
    {{"PSMDA",  "-",      "-",      "-",      "FMTDA3", "FMTDA2", "FMTDA1", "FMTDA0"}, 0x00, 0xFF}, // 0x41
    {{"OPEDA3", "OPEDA2", "OPEDA1", "OPEDA0", "FLT3",   "FLT2",   "FLT1",   "FLT0"},   0x00, 0xFF}, // 0x42
    {{"REVDA8", "REVDA7", "REVDA6", "REVDA5", "REVDA4", "REVDA3", "REVDA2", "REVDA1"}, 0x00, 0xFF}, // 0x43
    {{"MUTDA8", "MUTDA7", "MUTDA6", "MUTDA5", "MUTDA4", "MUTDA3", "MUTDA2", "MUTDA1"}, 0x00, 0xFF}, // 0x44
    {{"ZERO8",  "ZERO7",  "ZERO6",  "ZERO5",  "ZERO4",  "ZERO3",  "ZERO2",  "ZERO1"},  0x00, 0x00}, // 0x45
    {{"DAMS",   "-",      "DEMP1",  "DEMP0",  "-",      "AZRO1",  "AZRO0",  "ZREV"},   0x00, 0xFF}, // 0x46
    {{"-",      "-",      "-",      "-",      "-",      "-",      "-",      "-"},      0xFF, 0xFF}, // 0x47
    {{"ATDA17", "ATDA16", "ATDA15", "ATDA14", "ATDA13", "ATDA12", "ATDA11", "ATDA10"}, 0xFF, 0xFF}, // 0x48
    {{"ATDA27", "ATDA26", "ATDA25", "ATDA24", "ATDA23", "ATDA22", "ATDA21", "ATDA20"}, 0xFF, 0xFF}, // 0x49
    {{"ATDA37", "ATDA36", "ATDA35", "ATDA34", "ATDA33", "ATDA32", "ATDA31", "ATDA30"}, 0xFF, 0xFF}, // 0x4A
    {{"ATDA47", "ATDA46", "ATDA45", "ATDA44", "ATDA43", "ATDA42", "ATDA41", "ATDA40"}, 0xFF, 0xFF}, // 0x4B
    {{"ATDA57", "ATDA56", "ATDA55", "ATDA54", "ATDA53", "ATDA52", "ATDA51", "ATDA50"}, 0xFF, 0xFF}, // 0x4C
    {{"ATDA67", "ATDA66", "ATDA65", "ATDA64", "ATDA63", "ATDA62", "ATDA61", "ATDA60"}, 0xFF, 0xFF}, // 0x4D
    {{"ATDA77", "ATDA76", "ATDA75", "ATDA74", "ATDA73", "ATDA72", "ATDA71", "ATDA70"}, 0xFF, 0xFF}, // 0x4E
    {{"ATDA87", "ATDA86", "ATDA85", "ATDA84", "ATDA83", "ATDA82", "ATDA81", "ATDA80"}, 0xFF, 0xFF}, // 0x4F
    {{"-",      "-",      "-",      "-",      "-",      "-",      "SRAD1",  "SRAD0"},  0x00, 0xFF}, // 0x50
    {{"-",      "MSAD2",  "MSAD1",  "MSAD0",  "-",      "FMTAD2", "FMTAD1", "FMTAD0"}, 0x00, 0xFF}, // 0x51
    {{"-",      "PSVAD2", "PSVAD1", "PSVAD0", "-",      "BYP2",   "BYP1",   "BYP0"},   0x00, 0xFF}, // 0x52
    {{"-",      "-",      "SEAD6",  "SEAD5",  "SEAD4",  "SEAD3",  "SEAD2",  "SEAD1"},  0x00, 0xFF}, // 0x53
    {{"-",      "-",      "REVAD6", "REVAD5", "REVAD4", "REVAD3", "REVAD2", "REVAD1"}, 0x00, 0xFF}, // 0x54
    {{"-",      "-",      "MUTAD6", "MUTAD5", "MUTAD4", "MUTAD3", "MUTAD2", "MUTAD1"}, 0x00, 0xFF}, // 0x55
    {{"-",      "-",      "OVF6",   "OVF5",   "OVF4",   "OVF3",   "OVF2",   "OVF1"},   0x00, 0xC0}, // 0x56
    {{"ATMDAD", "ATSPAD", "-",      "-",      "-",      "-",      "-",      "OVFP"},   0x00, 0xFF}, // 0x57
    {{"ATAD07", "ATAD06", "ATAD05", "ATAD04", "ATAD03", "ATAD02", "ATAD01", "ATAD00"}, kKept, 0xFF}, // 0x58
    {{"ATAD17", "ATAD16", "ATAD15", "ATAD14", "ATAD13", "ATAD12", "ATAD11", "ATAD10"}, kKept, 0xFF}, // 0x59
    {{"ATAD27", "ATAD26", "ATAD25", "ATAD24", "ATAD23", "ATAD22", "ATAD21", "ATAD20"}, kKept, 0xFF}, // 0x5A
    {{"ATAD37", "ATAD36", "ATAD35", "ATAD34", "ATAD33", "ATAD32", "ATAD31", "ATAD30"}, kKept, 0xFF}, // 0x5B
    {{"ATAD47", "ATAD46", "ATAD45", "ATAD44", "ATAD43", "ATAD42", "ATAD41", "ATAD40"}, kKept, 0xFF}, // 0x5C
    {{"ATAD57", "ATAD56", "ATAD55", "ATAD54", "ATAD53", "ATAD52", "ATAD51", "ATAD50"}, kKept, 0xFF}, // 0x5D
    {{"ATAD67", "ATAD66", "ATAD65", "ATAD64", "ATAD63", "ATAD62", "ATAD61", "ATAD60"}, kKept, 0xFF}, // 0x5E
}};
// clang-format on

void RegisterImage::fillMask()
{
    mask.fill(0xFF);
    // Taken from the table so that the two can never disagree.
    for (int i = 0; i < kCount; ++i) mask[i] = kRegisterMap[i].mask;
}

void RegisterImage::reset()
{
    for (int i = 0; i < kCount; ++i)
        if (kRegisterMap[i].defaultValue != kKept) bytes[i] = std::uint8_t(kRegisterMap[i].defaultValue);
}

bool RegisterImage::mirrorWrite(unsigned address, int value, int* shown)
{
    if (!inImage(address)) return false;
    const std::uint8_t v = std::uint8_t(value);
    if (address == unsigned(kFirst)) {
        // MRST and SRST always read back as 1: the reset requests are pulses.
        bytes[0] = v | 0xC0;
        if (shown) *shown = (v & 0x3F) | 0xC0;
    } else {
        bytes[address - kFirst] = v & mask[address - kFirst];
        if (shown) *shown = v;
    }
    return true;
}

} // namespace regs
