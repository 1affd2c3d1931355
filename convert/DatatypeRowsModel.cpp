#include "convert/DatatypeRowsModel.h"

#include "base/Failure.h"

void DatatypeRowsModel::clearRows()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void DatatypeRowsModel::addRow(const QString& table, const QString& column)
{
    const int row = int(m_rows.size());
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back({table, column, QString(), QString()});
    endInsertRows();
}

void DatatypeRowsModel::setLastRowType(const QString& matchKey, const QString& sqlType)
{
    if (m_rows.empty())
        throw Failure(9, QStringLiteral("Datatypes Conversion list: there is no row to set the type of."));
    Row& last = m_rows.back();
    last.matchKey = matchKey;
    last.sqlType = sqlType;
    const int row = int(m_rows.size()) - 1;
    emit dataChanged(index(row, MatchKeyColumn), index(row, SqlTypeColumn), {Qt::DisplayRole});
}

int DatatypeRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DatatypeRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DatatypeRowsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        role != Qt::DisplayRole)
        return {};
    const Row& row = m_rows[std::size_t(index.row())];
    switch (index.column()) {
    case TableColumn:
        return row.table;
    case FieldColumn:
        return row.column;
    case MatchKeyColumn:
        return row.matchKey;
    default:
        return row.sqlType;
    }
}

QVariant DatatypeRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case TableColumn:
        return QStringLiteral("FoxPro Table");
    case FieldColumn:
        return QStringLiteral("FoxPro Table Field");
    case MatchKeyColumn:
        return QStringLiteral("FoxPro Field Datatype");
    case SqlTypeColumn:
        return QStringLiteral("New MS SQL Server Datatype");
    default:
        return {};
    }
}
