#pragma once
// Which register bit field each panel control stands for, indexed by the
// control's Tag, and the item texts of the combo boxes and radio groups. Pure
// data: the window looks the controls up by name and builds them with these
// items; the named-field table shows a field's value by the same texts.

#include <array>
#include <cstdint>
#include <span>

namespace bind {

struct CheckDef {
    int tag;
    const char* control;
    std::uint8_t reg;
    int bit;
};
struct ComboDef {
    int tag;
    const char* control;
    std::uint8_t reg;
    int shift;
    int width;
    std::span<const char* const> items; // item i is field value i
};
struct RadioDef {
    int tag;
    const char* control;
    std::uint8_t reg;
    int bit;
    std::array<const char*, 2> items; // item i is bit value i
};
struct AttenuationDef {
    int tag;
    const char* track;
    const char* edit;
    std::uint8_t reg;
    int zeroDbValue;
};

constexpr int kCheckTagCount = 42; // Tags 0..41; cHPCC (47) has no binding
constexpr int kComboCount = 14;
constexpr int kRadioCount = 3;
constexpr int kChannelCount = 8; // attenuation Tags 1..8

extern const std::array<CheckDef, 24> kCheckDefs; // in Tag order
extern const std::array<ComboDef, kComboCount> kComboDefs;
extern const std::array<RadioDef, kRadioCount> kRadioDefs;
extern const std::array<AttenuationDef, kChannelCount> kAttenuationDefs;

// Read-modify-write helpers; every result is taken to 8 bits.
constexpr std::uint8_t withBit(std::uint8_t v, int bit, int b)
{
    return std::uint8_t((v & ~(1u << bit)) | (unsigned(b & 1) << bit));
}
constexpr std::uint8_t keepMask(int shift, int width)
{
    return std::uint8_t((0xFFu << (shift + width)) | (0xFFu >> (8 - shift)));
}
// The item index is not limited to the field: every item list fits its field.
constexpr unsigned withField(std::uint8_t v, int shift, int width, int index)
{
    return (unsigned(index) << shift) | (v & keepMask(shift, width));
}
constexpr int fieldValue(std::uint8_t v, int shift, int width)
{
    return (v >> shift) & (0xFF >> (8 - width));
}

} // namespace bind
