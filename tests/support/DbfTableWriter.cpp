#include "tests/support/DbfTableWriter.h"

namespace {

QByteArray encode(const DbfTableWriter::Column& column, const QString& cell)
{
    if (column.type == 'I')
        return le32(static_cast<quint32>(cell.toInt()));
    const QByteArray text = cell.toLatin1().left(column.width);
    if (column.type == 'N')
        return QByteArray(column.width - text.size(), ' ') + text;
    return text;
}

} // namespace

DbfTableWriter::DbfTableWriter(std::vector<Column> columns) : m_columns(std::move(columns))
{
    for (const Column& column : m_columns)
        m_table.field(column.name.toLatin1().left(10), column.type, column.width, column.decimals);
}

void DbfTableWriter::addRow(const QStringList& cells)
{
    std::vector<QByteArray> values;
    values.reserve(m_columns.size());
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        values.push_back(
            encode(m_columns[i], i < static_cast<std::size_t>(cells.size()) ? cells[int(i)] : QString()));
    m_table.record(values);
}

void DbfTableWriter::save(const QString& path) const
{
    writeFile(path, m_table.bytes());
}
