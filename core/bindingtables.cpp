#include "bindingtables.h"

namespace bind {

namespace {

// The item lists are the register encoding: item i stands for field value i.
constexpr const char* kMasterSlave[] = {"Slave",          "Master (768fs)", "Master (512fs)",
                                        "Master (384fs)", "Master (256fs)", "Master (192fs)",
                                        "Master (128fs)"};
constexpr const char* kSerialFormats[] = {"24bit IIS",
                                          "24bit Left Justified",
                                          "24bit Right Justified",
                                          "16bit Right Justified",
                                          "24bit IIS DSP",
                                          "24bit Left Justified DSP",
                                          "24bit IIS TDM",
                                          "24bit Left Justified TDM",
                                          "24bit High speed IIS TDM",
                                          "24bit High speed Left Justified TDM"};
constexpr const char* kSampling[] = {"Auto", "Single Rate", "Dual Rate", "Quad Rate"};
constexpr const char* kZeroFunction[] = {"ZERO1: DATA1 L-ch, ZERO2: DATA1 R-ch",
                                         "ZERO1: DATA1-4, ZERO2: DATA1-4", "ZERO1: DATA4, ZERO2: DATA1-3",
                                         "ZERO1: DATA1, ZERO2: DATA2-4"};
constexpr const char* kZeroPolarity[] = {"High for Zero detect", "Low for Zero detect"};
constexpr const char* kOverflowPolarity[] = {"High for overflow detect", "Low for overflow detect"};
constexpr const char* kDeEmphasis[] = {"Disable", "48kHz", "44.1kHz", "32kHz"};
constexpr const char* kRollOff[] = {"Sharp Roll-off", "Slow Roll-off"};

// The ADC side offers fewer choices than the DAC side: the leading items only.
template <std::size_t N>
constexpr std::span<const char* const> first(const char* const (&items)[N], std::size_t count)
{
    return std::span<const char* const>(items).first(count);
}

} // namespace

// clang-format off
const std::array<CheckDef, 24> kCheckDefs = {{
    {0, "cInvDAC1", 0x43, 0}, {1, "cInvDAC2", 0x43, 1}, {2, "cInvDAC3", 0x43, 2}, {3, "cInvDAC4", 0x43, 3},
    {4, "cInvDAC5", 0x43, 4}, {5, "cInvDAC6", 0x43, 5}, {6, "cInvDAC7", 0x43, 6}, {7, "cInvDAC8", 0x43, 7},
    {20, "cDAC1", 0x44, 0}, {21, "cDAC2", 0x44, 1}, {22, "cDAC3", 0x44, 2}, {23, "cDAC4", 0x44, 3},
    {24, "cDAC5", 0x44, 4}, {25, "cDAC6", 0x44, 5}, {26, "cDAC7", 0x44, 6}, {27, "cDAC8", 0x44, 7},
    {34, "cOPEDA0", 0x42, 4}, {35, "cOPEDA1", 0x42, 5}, {36, "cOPEDA2", 0x42, 6}, {37, "cOPEDA3", 0x42, 7},
    {38, "cbAMUTE1", 0x40, 2}, {39, "cbAMUTE2", 0x40, 3}, {40, "cbAMUTE3", 0x40, 4}, {41, "cbAMUTE4", 0x40, 5},
}};

const std::array<ComboDef, kComboCount> kComboDefs = {{
    {0, "cbDACMasterSlave", 0x41, 4, 3, kMasterSlave},
    {1, "cbDACFMT", 0x41, 0, 4, kSerialFormats},
    {2, "cbADCMasterSlave", 0x51, 4, 3, first(kMasterSlave, 5)},
    {3, "cbADCFMT", 0x51, 0, 3, first(kSerialFormats, 8)},
    {4, "cbDACSAM", 0x40, 0, 2, kSampling},
    {5, "cbADCSAM", 0x50, 0, 2, first(kSampling, 3)},
    {6, "cbZeroFunc", 0x46, 1, 2, kZeroFunction},
    {7, "cbZeroPole", 0x46, 0, 1, kZeroPolarity},
    {8, "cbOvfPole", 0x57, 0, 1, kOverflowPolarity},
    {9, "cbDEMP", 0x46, 4, 2, kDeEmphasis},
    {10, "cbFLT12", 0x42, 0, 1, kRollOff},
    {11, "cbFLT34", 0x42, 1, 1, kRollOff},
    {12, "cbFLT56", 0x42, 2, 1, kRollOff},
    {13, "cbFLT78", 0x42, 3, 1, kRollOff},
}};

const std::array<RadioDef, kRadioCount> kRadioDefs = {{
    {0, "rgDACPowSav", 0x41, 7, {"Enable", "Disable"}},
    {1, "rgDACAttMode", 0x46, 7, {"Fine Step (0.5dB Step)", "Wide Range (1.0dB step)"}},
    {2, "rgDACAttSpeed", 0x46, 6, {"N*2048/fs", "N*4096/fs"}},
}};

const std::array<AttenuationDef, kChannelCount> kAttenuationDefs = {{
    {1, "tkDAC1", "edDAC1", 0x48, 255}, {2, "tkDAC2", "edDAC2", 0x49, 255},
    {3, "tkDAC3", "edDAC3", 0x4A, 255}, {4, "tkDAC4", "edDAC4", 0x4B, 255},
    {5, "tkDAC5", "edDAC5", 0x4C, 255}, {6, "tkDAC6", "edDAC6", 0x4D, 255},
    {7, "tkDAC7", "edDAC7", 0x4E, 255}, {8, "tkDAC8", "edDAC8", 0x4F, 255},
}};
// clang-format on

} // namespace bind
