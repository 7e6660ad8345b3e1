#pragma once
// The 64-byte record handed to the board library's _init, as the program
// fills it. Its layout is the board library's contract.

#include "hxbus_contract.h"

#include <cstdint>
#include <cstring>

using LinkSettings = HxBusLinkSettings;

namespace evmlink {
constexpr std::int32_t kKindIic = HXBUS_KIND_IIC;
constexpr std::int32_t kKindSpi = HXBUS_KIND_SPI;
constexpr int kChannelChip = HXBUS_CHANNEL_CHIP;
constexpr int kChannelBoard = HXBUS_CHANNEL_BOARD;
constexpr int kBufferSize = HXBUS_BUFFER_SIZE;

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
