#pragma once
// The 64-byte record handed to the board library's _init.

#include <cstdint>
#include <cstring>

struct LinkSettings {
    std::int32_t interfaceKind; // 1 = IIC, 3 = SPI
    std::int32_t deviceAddress; // IIC device address, 0 under SPI
    std::uint8_t reserved[48];
    std::int32_t word56; // 3, set once when the window is created
    std::uint8_t tail[4];
};
static_assert(sizeof(LinkSettings) == 64, "LinkSettings must be exactly 64 bytes");

namespace evmlink {
constexpr std::int32_t kKindIic = 1;
constexpr std::int32_t kKindSpi = 3;
constexpr int kChannelChip = 0;
constexpr int kChannelBoard = 7;
constexpr int kBufferSize = 10;

// Zero-fill and give the record its start values.
inline void initLinkSettings(LinkSettings& s)
{
    std::memset(&s, 0, sizeof s);
    s.word56 = 3;
}
// ApplyInterface: index 0 is IIC with the device address, anything else SPI.
inline void applyInterface(LinkSettings& s, int index, std::int32_t deviceAddress)
{
    if (index == 0) {
        s.interfaceKind = kKindIic;
        s.deviceAddress = deviceAddress;
    } else {
        s.interfaceKind = kKindSpi;
        s.deviceAddress = 0;
    }
}
} // namespace evmlink
