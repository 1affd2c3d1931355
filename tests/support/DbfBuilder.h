#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// Writes small FoxPro tables and memo files byte by byte, for tests that need exact or damaged files.
struct DbfField
{
    QByteArray name;
    char type;
    int length;
    int decimals = 0;
    quint8 flags = 0;
};

class DbfBuilder
{
public:
    explicit DbfBuilder(quint8 version = 0x30, quint8 codePageMark = 0x03)
        : m_version(version), m_codePageMark(codePageMark)
    {}

    DbfBuilder& field(const QByteArray& name, char type, int length, int decimals = 0, quint8 flags = 0);
    // One record from its field bytes (each padded with blanks to the field's width); `deleted` marks it.
    DbfBuilder& record(const std::vector<QByteArray>& values, bool deleted = false);

    int recordLength() const;
    // The table file; the header counts `recordCount` records when it is not negative.
    QByteArray bytes(qint64 recordCount = -1) const;

private:
    quint8 m_version;
    quint8 m_codePageMark;
    std::vector<DbfField> m_fields;
    std::vector<QByteArray> m_records;
};

// A .fpt memo file: a 512-byte header, then one memo per call, each starting on a block boundary.
class FptBuilder
{
public:
    explicit FptBuilder(int blockSize = 64);
    // Appends a memo and returns its block number.
    quint32 memo(const QByteArray& data, quint32 type = 1);
    QByteArray bytes() const { return m_bytes; }

private:
    int m_blockSize;
    QByteArray m_bytes;
};

// A tag of a structural index file (.cdx): its name, key and FOR expressions, option byte
// (0x60 regular, +0x01 unique, +0x04 candidate, +0x08 FOR) and direction.
struct CdxTag
{
    QByteArray name;
    QByteArray key;
    QByteArray filter;
    quint8 options = 0x60;
    bool descending = false;
};

// The 1024-byte header of a tag whose keys start at `root`.
QByteArray cdxTagHeader(quint32 root, const CdxTag& tag);
// A compound index file as Visual FoxPro lays it out: the tag list's header at 0, its one leaf at
// 0x400, then each tag's header from 0x600 on (their key pages are not needed and left empty).
QByteArray cdxFile(const std::vector<CdxTag>& tags);

QByteArray le16(quint16 value);
QByteArray le32(quint32 value);
QByteArray le64(quint64 value);
// A T field: Julian day number and milliseconds since midnight.
QByteArray dateTimeBytes(qint32 julianDay, qint32 milliseconds);
// Throws std::runtime_error naming the file when it cannot be written.
void writeFile(const QString& path, const QByteArray& bytes);
