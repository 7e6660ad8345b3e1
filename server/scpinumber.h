#pragma once
// Numeric parameters: the forms script files take (decimal, 0x41, $41, x41,
// each with an optional sign) and SCPI's non-decimal forms #H41, #B1000001
// and #Q101 (no sign, at most 32 bits).

#include <QByteArrayView>

#include <cstdint>

namespace evm::scpi {

enum class NumberStatus { Ok, NotANumber, TooLarge };

// Reads a whole parameter (no blanks around it) as an integer. TooLarge: the
// text has a number's form but more bits than 32.
NumberStatus parseNumber(QByteArrayView text, std::int64_t* value);

} // namespace evm::scpi
