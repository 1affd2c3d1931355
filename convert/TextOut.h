#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <array>
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

// "00", "01" ... "99", for writing digits two at a time.
inline constexpr std::array<char16_t, 200> digitPairs = [] {
    std::array<char16_t, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[std::size_t(2 * i)] = static_cast<char16_t>(u'0' + i / 10);
        pairs[std::size_t(2 * i + 1)] = static_cast<char16_t>(u'0' + i % 10);
    }
    return pairs;
}();

// Writes the last `count` decimal digits of `value`, zero-padded, and returns the end of them.
inline char16_t* writeDigits(char16_t* at, quint64 value, int count)
{
    int left = count;
    for (; left >= 2; left -= 2) {
        const std::size_t pair = 2 * static_cast<std::size_t>(value % 100);
        at[left - 2] = digitPairs[pair];
        at[left - 1] = digitPairs[pair + 1];
        value /= 100;
    }
    if (left == 1)
        at[0] = static_cast<char16_t>(u'0' + value % 10);
    return at + count;
}

// Appends the decimal digits of `magnitude`, zero-padded on the left to `minDigits`.
inline void appendDigits(TextOut& out, quint64 magnitude, int minDigits = 1)
{
    constexpr int capacity = 24;
    char16_t digits[capacity];
    char16_t* const end = digits + capacity;
    char16_t* at = end;
    for (; magnitude >= 100; magnitude /= 100) {
        const std::size_t pair = 2 * static_cast<std::size_t>(magnitude % 100);
        *--at = digitPairs[pair + 1];
        *--at = digitPairs[pair];
    }
    if (magnitude >= 10) {
        *--at = digitPairs[2 * magnitude + 1];
        *--at = digitPairs[2 * magnitude];
    } else {
        *--at = static_cast<char16_t>(u'0' + magnitude);
    }
    while (end - at < minDigits)
        *--at = u'0';
    out.append(at, static_cast<std::size_t>(end - at));
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
