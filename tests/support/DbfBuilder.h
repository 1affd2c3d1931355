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

QByteArray le32(quint32 value);
QByteArray le64(quint64 value);
// A T field: Julian day number and milliseconds since midnight.
QByteArray dateTimeBytes(qint32 julianDay, qint32 milliseconds);
// Throws std::runtime_error naming the file when it cannot be written.
void writeFile(const QString& path, const QByteArray& bytes);
