#pragma once
// Comparing register snapshots: the register lines of two script files, or of
// a file and the chip, register by register, naming the bits that differ
// grouped by the panel control each bit belongs to.

#include "registermap.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

class QIODevice;

namespace evm::compare {

// A register that a file does not write.
constexpr int kMissing = -1;
// Element = address - 0x40: the value 0..255, or kMissing.
using Values = std::array<int, regs::kCount>;

// Why a text is no snapshot: the 1-based line, or 0 when reading the device failed.
struct Problem {
    qint64 line = 0;
    QString text;
};

// Reads the register lines of script text: each record sets its register, a
// later record of the same register wins; sleep lines and empty lines are
// skipped. False, with *problem, at the first line that the script runner would
// refuse or that writes no chip register, and when reading fails.
bool read(QIODevice* device, Values* values, Problem* problem);

// Every register present, with the values read from the chip.
Values fromChip(const std::array<std::uint8_t, regs::kCount>& bytes);

struct BitGroup {
    QString control;  // the panel control the bits stand for; empty: no control
    QStringList bits; // register map names, highest bit first
};

struct Difference {
    int address = 0;
    int a = kMissing;
    int b = kMissing;
    QList<BitGroup> groups; // in the order of their highest bit; none when a side is missing
};

// The registers whose values differ, in address order. A register missing on
// both sides is no difference.
QList<Difference> differences(const Values& a, const Values& b);

// One line, e.g. "0x41: 0x05 0x25  cbDACMasterSlave: bit5  cbDACFMT: FMTDA2 FMTDA0",
// or "0x45: missing 0x81". Bits without a control come without a name before them.
QString describe(const Difference& d);

// The control bound to a bit of a chip register, or nullptr.
const char* controlOfBit(int address, int bit);

// The register map's name of a bit; "bit6" where the map names none.
QString bitLabel(int address, int bit);

} // namespace evm::compare
