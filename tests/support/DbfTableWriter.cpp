#include "tests/support/DbfTableWriter.h"

#include <QDate>
#include <QFile>

#include <stdexcept>

namespace {

constexpr int BacklinkSize = 263;

void putLittleEndian(QByteArray& bytes, int offset, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

QByteArray encode(const DbfTableWriter::Column& column, const QString& cell)
{
    if (column.type == 'I') {
        QByteArray bytes(4, '\0');
        putLittleEndian(bytes, 0, static_cast<quint32>(cell.toInt()), 4);
        return bytes;
    }
    const QByteArray text = cell.toLatin1().left(column.width);
    if (column.type == 'N')
        return QByteArray(column.width - text.size(), ' ') + text;
    return text + QByteArray(column.width - text.size(), ' ');
}

} // namespace

DbfTableWriter::DbfTableWriter(std::vector<Column> columns) : m_columns(std::move(columns))
{
    for (const Column& column : m_columns)
        m_recordLength += column.width;
}

void DbfTableWriter::addRow(const QStringList& cells)
{
    m_records += ' ';
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        m_records +=
            encode(m_columns[i], i < static_cast<std::size_t>(cells.size()) ? cells[int(i)] : QString());
    ++m_rows;
}

void DbfTableWriter::save(const QString& path) const
{
    const int headerLength = 32 + 32 * static_cast<int>(m_columns.size()) + 1 + BacklinkSize;
    QByteArray header(32, '\0');
    header[0] = 0x30;
    const QDate today = QDate::currentDate();
    header[1] = static_cast<char>(today.year() % 100);
    header[2] = static_cast<char>(today.month());
    header[3] = static_cast<char>(today.day());
    putLittleEndian(header, 4, static_cast<quint32>(m_rows), 4);
    putLittleEndian(header, 8, static_cast<quint32>(headerLength), 2);
    putLittleEndian(header, 10, static_cast<quint32>(m_recordLength), 2);
    header[29] = 0x03; // code page 1252
    int offset = 1;
    for (const Column& column : m_columns) {
        QByteArray descriptor(32, '\0');
        const QByteArray name = column.name.toLatin1().left(10);
        descriptor.replace(0, name.size(), name);
        descriptor[11] = column.type;
        putLittleEndian(descriptor, 12, static_cast<quint32>(offset), 4);
        descriptor[16] = static_cast<char>(column.width);
        descriptor[17] = static_cast<char>(column.decimals);
        header += descriptor;
        offset += column.width;
    }
    header += '\x0D';
    header += QByteArray(BacklinkSize, '\0');

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(header) != header.size() ||
        file.write(m_records) != m_records.size() || (m_rows > 0 && !file.putChar('\x1A')))
        throw std::runtime_error("cannot write " + path.toStdString());
}
