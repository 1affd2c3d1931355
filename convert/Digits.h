#pragma once

#include <QString>

namespace convert {

// Appends the decimal digits of `magnitude` in ASCII, zero-padded on the left to `minDigits`.
inline void appendDigits(QString& out, quint64 magnitude, int minDigits = 1)
{
    constexpr int capacity = 24;
    char16_t digits[capacity];
    int count = 0;
    do {
        digits[capacity - 1 - count++] = u'0' + magnitude % 10;
        magnitude /= 10;
    } while (magnitude != 0 || count < minDigits);
    out.append(reinterpret_cast<const QChar*>(digits + capacity - count), count);
}

// Appends an integer with a leading "-" when it is negative.
inline void appendSigned(QString& out, qint64 value, int minDigits = 1)
{
    if (value < 0)
        out.append(QLatin1Char('-'));
    appendDigits(out, value < 0 ? 0u - static_cast<quint64>(value) : static_cast<quint64>(value), minDigits);
}

} // namespace convert
