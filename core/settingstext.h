#pragma once
// The rules that turn the settings file's values into an interface choice and
// a device address (their text is read as evm::IntegerRange::Signed32).

#include <cstdint>

namespace evmlink {

constexpr int kIicIndex = 0;
constexpr int kSpiIndex = 1;
constexpr std::int32_t kFirstIicAddress = 0x4C;
constexpr std::int32_t kLastIicAddress = 0x4F;

// The stored "Type": 0 selects IIC, any other value SPI.
constexpr int interfaceIndexFromType(std::int32_t type)
{
    return type == 0 ? kIicIndex : kSpiIndex;
}

// A stored device address brought into the range of the interface: under IIC
// 0x4C..0x4F (anything else 0x4C), under SPI 0..3 (anything else 0).
constexpr std::int32_t clampDeviceAddress(int interfaceIndex, std::int32_t address)
{
    if (interfaceIndex == kIicIndex)
        return address < kFirstIicAddress || address > kLastIicAddress ? kFirstIicAddress : address;
    return address < 0 || address > 3 ? 0 : address;
}

// The cbAddr item that shows a clamped address.
constexpr int addressItem(int interfaceIndex, std::int32_t address)
{
    return interfaceIndex == kIicIndex ? address - kFirstIicAddress : address;
}

// The device address that cbAddr item stands for: under IIC 0x4C + item, under SPI the item.
constexpr std::int32_t itemAddress(int interfaceIndex, int item)
{
    return interfaceIndex == kIicIndex ? kFirstIicAddress + item : item;
}

} // namespace evmlink
