#pragma once

#include <QByteArrayView>
#include <QString>

#include <array>
#include <bitset>
#include <memory>
#include <vector>

namespace db::foxpro {

// The character set a table's text is stored in, chosen by the code page mark in its header.
// Bytes read as Windows reads them. Single-byte code pages decode through a 256-entry table built once;
// a byte a single-byte code page leaves undefined reads as the character with the same number
// (U+0080..U+00FF), so no byte is ever lost or replaced. The four East Asian double-byte code pages
// decode through a table of their byte pairs, built once per program; a lead byte whose trail byte
// is missing (cut off by the end of the field) or does not pair with it reads as U+FFFD, and the trail
// byte is read on its own.
class CodePage
{
public:
    struct Known
    {
        int number;
        const char* name;
    };

    // Where a table's code page came from: its header mark, the user's choice for tables whose header
    // names none, or a guess from their text.
    enum class Origin
    {
        Header,
        User,
        Guess
    };

    // The code page of tables whose header names none, unless the user chooses another.
    static constexpr int Default = 1252;

    // The code page number a header mark names; mark 0 (none) and unknown marks read as Windows-1252.
    static int numberForMark(quint8 mark);
    // The code page a header mark names, or 0 when it names none this reader knows.
    static int namedByMark(quint8 mark);
    // Every code page this reader decodes, with its name, in ascending number.
    static const std::vector<Known>& known();
    static bool isKnown(int number);
    static QString originName(Origin origin);

    // A code page this reader does not know reads as Windows-1252.
    explicit CodePage(int number);

    int number() const { return m_number; }
    // One byte a character: every byte decodes on its own.
    bool singleByte() const { return !m_pairs; }
    QString decode(QByteArrayView bytes);
    // Decodes into `text`, reusing its storage when it has room: one string serves a field in every
    // record. Returns how many bytes were no character (each read as U+FFFD): 0 but for a lead byte of
    // a double-byte code page without its trail byte.
    int decode(QByteArrayView bytes, QString& text);
    // Every character a byte or byte pair of this code page stands for; bytes the code page leaves
    // undefined stand for none.
    QString characters() const;

    struct DoubleByteTable;

private:
    int decodeDoubleByte(QByteArrayView bytes, QString& text) const;

    int m_number;
    std::array<char16_t, 256> m_table{};
    std::bitset<256> m_defined;
    std::shared_ptr<const DoubleByteTable> m_pairs; // the double-byte code pages' table; null otherwise
};

} // namespace db::foxpro
