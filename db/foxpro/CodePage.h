#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <array>

namespace db::foxpro {

// The character set a table's text is stored in, chosen by the code page mark in its header.
// Single-byte code pages decode through a 256-entry table built once; the four East Asian double-byte
// code pages go through a converter. A byte a code page leaves undefined reads as the character with
// the same number (U+0080..U+00FF), so no byte is ever lost or replaced.
class CodePage
{
public:
    // The code page number a header mark names; mark 0 (none) and unknown marks read as Windows-1252.
    static int numberForMark(quint8 mark);

    // A code page this reader does not know reads as Windows-1252.
    explicit CodePage(int number);

    int number() const { return m_number; }
    QString decode(QByteArrayView bytes);
    // Decodes into `text`, reusing its storage when it has room: one string serves a field in every record.
    void decode(QByteArrayView bytes, QString& text);

private:
    int m_number;
    bool m_singleByte = true;
    std::array<char16_t, 256> m_table{};
    QStringDecoder m_decoder;
};

} // namespace db::foxpro
