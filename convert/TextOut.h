#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

namespace convert {

// Statement text is assembled in a buffer of UTF-16 code units whose appends are inline: room is one
// comparison of two pointers, and the storage grows only when it must. It keeps its capacity when
// cleared, so one buffer serves every row of a table.
class TextOut
{
public:
    TextOut() = default;
    TextOut(const TextOut& other) { append(other.data(), other.size()); }
    TextOut(TextOut&& other) noexcept { swap(other); }
    TextOut& operator=(TextOut other) noexcept
    {
        swap(other);
        return *this;
    }
    ~TextOut() = default;

    std::size_t size() const { return std::size_t(m_end - m_units.get()); }
    bool empty() const { return m_end == m_units.get(); }
    const char16_t* data() const { return m_units.get(); }
    QStringView view() const { return QStringView(m_units.get(), m_end); }

    void clear() { m_end = m_units.get(); }
    // Drops what was appended after the first `size` units.
    void truncate(std::size_t size) { m_end = m_units.get() + std::min(size, this->size()); }

    // Makes room for `count` more units at the end and returns where they start; the caller fills
    // them all.
    char16_t* grow(std::size_t count)
    {
        if (std::size_t(m_limit - m_end) < count)
            widen(count);
        char16_t* const at = m_end;
        m_end += count;
        return at;
    }
    void push_back(char16_t unit) { *grow(1) = unit; }
    void append(const char16_t* units, std::size_t count) { std::copy_n(units, count, grow(count)); }
    void append(QStringView text) { append(text.utf16(), std::size_t(text.size())); }
    TextOut& operator+=(QStringView text)
    {
        append(text);
        return *this;
    }

private:
    void swap(TextOut& other) noexcept
    {
        std::swap(m_units, other.m_units);
        std::swap(m_end, other.m_end);
        std::swap(m_limit, other.m_limit);
    }
    // At least doubles the storage, so that appending n units costs O(n) in all.
    void widen(std::size_t count)
    {
        const std::size_t used = size();
        const std::size_t capacity = std::max(2 * std::size_t(m_limit - m_units.get()), used + count + 64);
        auto units = std::make_unique_for_overwrite<char16_t[]>(capacity);
        std::copy_n(m_units.get(), used, units.get());
        m_units = std::move(units);
        m_end = m_units.get() + used;
        m_limit = m_units.get() + capacity;
    }

    std::unique_ptr<char16_t[]> m_units;
    char16_t* m_end = nullptr;   // after the last unit in use
    char16_t* m_limit = nullptr; // after the last unit of the storage
};

inline void appendView(TextOut& out, QStringView text)
{
    out.append(text);
}

// `text` must be ASCII.
inline void appendAscii(TextOut& out, std::string_view text)
{
    std::copy(text.begin(), text.end(), out.grow(text.size()));
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

// Writes the two digits of `value` (0 to 99) and returns their end.
inline char16_t* writePair(char16_t* at, quint32 value)
{
    at[0] = digitPairs[2 * value];
    at[1] = digitPairs[2 * value + 1];
    return at + 2;
}

// Writes the decimal digits of `magnitude` so that they end before `end`, and returns their start.
inline char16_t* writeDigitsBefore(char16_t* end, quint64 magnitude)
{
    char16_t* at = end;
    for (; magnitude >= 100; magnitude /= 100)
        writePair(at -= 2, quint32(magnitude % 100));
    if (magnitude >= 10)
        writePair(at -= 2, quint32(magnitude));
    else
        *--at = static_cast<char16_t>(u'0' + magnitude);
    return at;
}

// Appends the decimal digits of `magnitude`, zero-padded on the left to `minDigits`.
inline void appendDigits(TextOut& out, quint64 magnitude, int minDigits = 1)
{
    char16_t digits[24];
    char16_t* const end = std::end(digits);
    char16_t* at = writeDigitsBefore(end, magnitude);
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
    char16_t* at = out.grow(2 * std::size_t(bytes.size()));
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *at++ = hexDigits[b >> 4];
        *at++ = hexDigits[b & 0x0F];
    }
}

inline QString toQString(const TextOut& text)
{
    return text.view().toString();
}

} // namespace convert
