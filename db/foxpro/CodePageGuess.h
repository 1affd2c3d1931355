#pragma once

#include <QByteArrayView>

#include <array>

namespace db::foxpro {

// Guesses the code page of text whose table names none, from the bytes above 0x7F: each candidate
// code page decodes them, and each language its candidate serves scores the characters by how often
// the language uses them (letters it does not use, box drawing and control characters cost much).
// The candidates and the languages are data (CodePageGuess.cpp). The best candidate must be clearly
// better than Windows-1252 and than every candidate that reads the text differently; otherwise, and
// for text with too few bytes beyond ASCII, the answer is Windows-1252.
class CodePageGuess
{
public:
    // Text fed beyond this many bytes is not looked at.
    static constexpr qsizetype SampleLimit = 1 << 20;

    void add(QByteArrayView text);
    bool full() const { return m_sampled >= SampleLimit; }
    int bestCodePage() const;

private:
    std::array<qint64, 128> m_high{}; // occurrences of each byte 0x80..0xFF
    qsizetype m_sampled = 0;
};

} // namespace db::foxpro
