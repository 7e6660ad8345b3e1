#pragma once
// The number syntax of script fields and of the direct-access fields: optional
// leading spaces, an optional sign, then decimal digits or hexadecimal digits
// after "0x", "0X", "x", "X" or "$", and nothing after the digits.

#include <QStringView>

#include <cstdint>
#include <string_view>

namespace scriptnum {

// Parses text as a script number. Returns false, leaving *value untouched, for
// anything that is no number: empty text, a prefix without digits, any other
// character, a decimal value outside the 32-bit signed range or a hexadecimal
// value wider than 32 bits. A hexadecimal value with bit 31 set is the negative
// number of that bit pattern; a sign is applied after that (-0x10 is -16).
bool parse(std::string_view text, std::int32_t* value);
bool parse(QStringView text, std::int32_t* value);

} // namespace scriptnum
