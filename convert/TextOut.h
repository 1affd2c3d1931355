#pragma once

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace convert {

// Statement text is assembled in a std::u16string: its appends are inline and it keeps its capacity
// when cleared, so one buffer serves every row of a table.
using TextOut = std::u16string;

inline void appendView(TextOut& out, QStringView text)
{
    out.append(text.utf16(), static_cast<std::size_t>(text.size()));
}

// `text` must be ASCII.
inline void appendAscii(TextOut& out, std::string_view text)
{
    out.append(text.begin(), text.end());
}

// Appends the decimal digits of `magnitude`, zero-padded on the left to `minDigits`.
inline void appendDigits(TextOut& out, quint64 magnitude, int minDigits = 1)
{
    constexpr int capacity = 24;
    char16_t digits[capacity];
    int count = 0;
    do {
        digits[capacity - 1 - count++] = u'0' + magnitude % 10;
        magnitude /= 10;
    } while (magnitude != 0 || count < minDigits);
    out.append(digits + capacity - count, static_cast<std::size_t>(count));
}

// Appends an integer with a leading "-" when it is negative.
inline void appendSigned(TextOut& out, qint64 value, int minDigits = 1)
{
    if (value < 0)
        out.push_back(u'-');
    appendDigits(out, value < 0 ? 0u - static_cast<quint64>(value) : static_cast<quint64>(value), minDigits);
}

inline QString toQString(const TextOut& text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

} // namespace convert
