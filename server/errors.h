#pragma once
// The SCPI errors this instrument queues, with their standard texts.

namespace evm::scpi {

constexpr int kSyntaxError = -102;
constexpr int kDataTypeError = -104;
constexpr int kParameterNotAllowed = -108;
constexpr int kMissingParameter = -109;
constexpr int kUndefinedHeader = -113;
constexpr int kInvalidBlockData = -161;
constexpr int kExecutionError = -200;
constexpr int kDataOutOfRange = -222;
constexpr int kTooMuchData = -223;
constexpr int kIllegalParameterValue = -224;
constexpr int kHardwareError = -240;
constexpr int kHardwareMissing = -241;
constexpr int kQueueOverflow = -350;

// The standard text of code ("Undefined header"); "No error" for 0.
const char* errorText(int code);

} // namespace evm::scpi
