#pragma once
// Conversions between an attenuation register code (255 = 0 dB) and the dB
// text of the attenuation edits, and the clamping of a typed dB value.

#include <QString>
#include <optional>

namespace atten {

constexpr int kZeroDb = 255;      // register code shown as 0.0 dB
constexpr int kFineMinimum = 129; // 0x81: -63.0 dB in 0.5 dB steps
constexpr int kWideMinimum = 155; // 0x9B: -100.0 dB in 1.0 dB steps

// True when bit 7 (DAMS) of register 0x46 selects 1.0 dB steps.
constexpr bool isWide(unsigned reg46)
{
    return (reg46 & 0x80) != 0;
}

// The dB text of register code `value`: (zeroDb - value) dB steps of -0.5
// (fine) or -1.0 (wide), one digit after `decimalPoint`, "0.0" without sign at 0.
QString dbText(int value, int zeroDb, bool wide, const QString& decimalPoint);

// Reads a decimal number held in single precision: optional blanks, sign,
// ASCII digits with at most one `decimalPoint`, optional exponent. Returns
// nothing for any other text. Magnitudes beyond the float range give infinity.
std::optional<float> parseDb(const QString& text, const QString& decimalPoint);

// Track bar position for the typed dB value `d`: d is clamped to the limits the
// bar's range allows ((max - zeroDb) / step and (min - zeroDb) / step, both
// truncated toward zero), then step * d + zeroDb truncated toward zero.
// step: 2 for 0.5 dB steps, 1 for 1.0 dB steps.
int editPosition(float d, int step, int minimum, int maximum, int zeroDb);

} // namespace atten
