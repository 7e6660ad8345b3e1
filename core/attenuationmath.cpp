#include "attenuationmath.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace atten {

QString dbText(int value, int zeroDb, bool wide, const QString& decimalPoint)
{
    // Every code is a whole number of half or whole dB, so the text is built
    // from tenths of a dB in integers: exact, and never "-0.0".
    const long tenths = long(zeroDb - value) * (wide ? -10 : -5);
    const long magnitude = tenths < 0 ? -tenths : tenths;
    QString text;
    text.reserve(8);
    if (tenths < 0) text += QLatin1Char('-');
    text += QString::number(magnitude / 10);
    text += decimalPoint;
    text += QLatin1Char(char('0' + magnitude % 10));
    return text;
}

std::optional<float> parseDb(const QString& text, const QString& decimalPoint)
{
    // Only the plain number forms are accepted: no group separators, no
    // "inf" or "nan", which the clamping could not order.
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && text[i] == QLatin1Char(' ')) ++i;
    };
    auto isDigit = [&](qsizetype k) {
        return k < n && text[k] >= QLatin1Char('0') && text[k] <= QLatin1Char('9');
    };

    QString ascii;
    ascii.reserve(n);
    skipBlanks();
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) ascii += text[i++];
    int digits = 0;
    while (isDigit(i)) {
        ascii += text[i++];
        ++digits;
    }
    if (!decimalPoint.isEmpty() && QStringView(text).mid(i).startsWith(decimalPoint)) {
        i += decimalPoint.size();
        ascii += QLatin1Char('.');
        while (isDigit(i)) {
            ascii += text[i++];
            ++digits;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ascii += QLatin1Char('e');
        ++i;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) ascii += text[i++];
        if (!isDigit(i)) return std::nullopt;
        while (isDigit(i)) ascii += text[i++];
    }
    skipBlanks();
    if (i != n) return std::nullopt;

    bool ok = false;
    const double d = QLocale::c().toDouble(ascii, &ok);
    if (std::isinf(d))
        return d < 0 ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    if (!ok) return 0.0f; // the syntax is valid: only an underflow is left
    constexpr double kFloatMax = std::numeric_limits<float>::max();
    if (d > kFloatMax) return std::numeric_limits<float>::infinity();
    if (d < -kFloatMax) return -std::numeric_limits<float>::infinity();
    return float(d);
}

int editPosition(float d, int step, int minimum, int maximum, int zeroDb)
{
    const int upper = (maximum - zeroDb) / step; // C++ division truncates toward zero
    const int lower = (minimum - zeroDb) / step;
    if (d > float(upper)) d = float(upper);
    if (d < float(lower)) d = float(lower);
    // In double the sum is exact for every float input that matters, so a value
    // a hair below a step truncates to the step with more attenuation; float
    // arithmetic would round, e.g., 255 - 2e-6 up to 255.
    return int(std::trunc(double(step) * double(d) + double(zeroDb)));
}

} // namespace atten
