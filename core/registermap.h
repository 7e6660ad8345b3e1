#pragma once
// The ORV2280 register file as the program models it: 31 eight-bit registers
// 0x40..0x5E, their bit names, power-on defaults and the masks applied to
// read-backs and mirrored writes.

#include <array>
#include <cstdint>

namespace regs {

constexpr int kFirst = 0x40;
constexpr int kLast = 0x5E;
constexpr int kCount = kLast - kFirst + 1; // 31
constexpr int kKept = -1;                  // ResetRegisterImage leaves the register alone

struct RegisterInfo {
    std::array<const char*, 8> names; // bit 7 first; "-" marks a bit without function
    int defaultValue;                 // 0..255, or kKept
    std::uint8_t mask;                // what a read-back or a mirrored write keeps
};

// One row per register, in address order.
extern const std::array<RegisterInfo, kCount> kRegisterMap;

// A register address travels as one byte: 0x00..0xFF reach the chip, any
// other value is none.
constexpr int kAddressLimit = 0xFF;
constexpr bool isAddress(long long address)
{
    return address >= 0 && address <= kAddressLimit;
}

// A masked write: the bits set in `mask` from `data`, the others kept from `old`.
constexpr std::uint8_t merged(std::uint8_t old, std::uint8_t data, std::uint8_t mask)
{
    return std::uint8_t((old & ~mask) | (data & mask));
}

// True for addresses whose value the image mirrors.
constexpr bool inImage(unsigned address)
{
    return address >= unsigned(kFirst) && address <= unsigned(kLast);
}

// Name of bit `bit` (0..7) of register 0x40 + row.
inline const char* bitName(int row, int bit)
{
    return kRegisterMap[row].names[7 - bit];
}

// The main window's copy of the chip registers with its mask table.
class RegisterImage {
public:
    std::array<std::uint8_t, kCount> bytes{}; // element = address - 0x40
    std::array<std::uint8_t, 32> mask{};      // filled by fillMask(); zero until then

    // Start-up step: every entry 0xFF, then 0x40 -> 0x3F, 0x45 -> 0x00, 0x56 -> 0xC0.
    void fillMask();

    // ResetRegisterImage: 0x40..0x57 := 0, 0x40 := 0xC0, 0x47..0x4F := 0xFF; 0x58..0x5E kept.
    void reset();

    // Mirror of a register write. Returns false for addresses outside the image.
    // Otherwise stores the byte and sets *shown to what the register map displays.
    bool mirrorWrite(unsigned address, int value, int* shown = nullptr);

    // Start-up read-back of element i: the masked value read.
    void storeReadBack(int index, std::uint8_t value) { bytes[index] = value & mask[index]; }

    std::uint8_t at(unsigned address) const { return bytes[address - kFirst]; }
    std::uint8_t& at(unsigned address) { return bytes[address - kFirst]; }
};

} // namespace regs
