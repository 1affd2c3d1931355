#pragma once

#include <QByteArray>

#include <vector>

namespace db::foxpro {

class ByteSource;

// One field descriptor, with the offset of the field inside a record (after the deletion flag).
struct FieldDescriptor
{
    QByteArray name; // as stored, cut at the first NUL
    char type = 0;
    int offset = 0;
    int length = 0;
    int decimals = 0;
    quint8 flags = 0;
    int nullBit = -1;         // bit in _NullFlags telling NULL, or -1
    int lengthBit = -1;       // V/Q: bit in _NullFlags telling that the last byte holds the length, or -1
    bool binary = false;      // Visual FoxPro's NOCPTRANS flag on a C, V or M field: bytes, not text
    bool memoPointer = false; // M, G, P, W (and B in dBASE tables): a block number in the memo file

    // The width a reader reports: bytes, but characters for W fields holding text (two bytes each).
    int reportedWidth() const { return type == 'W' && !memoPointer ? length / 2 : length; }

    static constexpr quint8 SystemFlag = 0x01;
    static constexpr quint8 NullableFlag = 0x02;
    static constexpr quint8 BinaryFlag = 0x04;
};

// The 32-byte table header and the field descriptors after it.
struct TableHeader
{
    quint8 version = 0;
    quint32 recordCount = 0;
    int headerLength = 0;
    int recordLength = 0;
    quint8 codePageMark = 0;
    quint8 tableFlags = 0; // byte 28: 0x01 a structural index file (.cdx) goes with the table
    bool visualFoxPro = false;
    std::vector<FieldDescriptor> fields; // every descriptor, the hidden system fields included
    int nullFlagsField = -1;             // index of _NullFlags in `fields`, or -1

    static constexpr quint8 StructuralIndexFlag = 0x01;

    bool needsMemoFile() const;
    // The fields a reader sees: all but Visual FoxPro's hidden system fields.
    std::vector<int> visibleFields() const;
};

// Reads and checks the header of a table. Throws DbError naming the source and the problem when the
// file is not a table this reader accepts: Visual FoxPro (0x30-0x32), FoxPro 2.x and FoxBASE (0xF5,
// 0xFB), dBASE III (0x03, 0x83) and dBASE IV (0x8B).
TableHeader readTableHeader(ByteSource& source);

} // namespace db::foxpro
