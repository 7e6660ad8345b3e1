#pragma once
// The one integer text of the program: script fields, the direct-access
// fields, the command-line tool's numbers and the settings file's values.
// Optional leading spaces, an optional sign, then decimal digits or
// hexadecimal digits after "0x", "0X", "x", "X" or "$", and nothing after the
// digits. Empty text and a prefix without digits are no number.

#include <QStringView>

#include <cstdint>
#include <optional>
#include <string_view>

namespace evm {

enum class IntegerRange {
    // The settings file: the value lies in the signed 32-bit range, in
    // hexadecimal as in decimal (0x80000000 is no number there).
    Signed32,
    // Script numbers: decimal in the signed 32-bit range; hexadecimal of up to
    // 32 significant bits is a register's bit pattern, bit 31 set being
    // negative, and a sign works on that modulo 2^32 (-0x10 is -16,
    // 0xFFFFFFFF is -1).
    Pattern32,
};

// The value of text in range, or nullopt for any text that is no number there.
std::optional<std::int32_t> parseInteger(std::string_view text, IntegerRange range);
std::optional<std::int32_t> parseInteger(QStringView text, IntegerRange range);

} // namespace evm
