#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <algorithm>
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

// Makes room for `count` more characters at the end of `out` and returns where they start; the caller
// fills them all.
inline char16_t* grow(TextOut& out, std::size_t count)
{
    const std::size_t start = out.size();
    out.resize(start + count);
    return out.data() + start;
}

// `text` must be ASCII.
inline void appendAscii(TextOut& out, std::string_view text)
{
    std::copy(text.begin(), text.end(), grow(out, text.size()));
}

// Writes the last `count` decimal digits of `value`, zero-padded, and returns the end of them.
inline char16_t* writeDigits(char16_t* at, quint64 value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        at[i] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    }
    return at + count;
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

// Appends two upper-case hexadecimal digits per byte.
inline void appendHexDigits(TextOut& out, QByteArrayView bytes)
{
    static constexpr char16_t hexDigits[] = u"0123456789ABCDEF";
    char16_t* at = grow(out, 2 * std::size_t(bytes.size()));
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *at++ = hexDigits[b >> 4];
        *at++ = hexDigits[b & 0x0F];
    }
}

inline QString toQString(const TextOut& text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

} // namespace convert
