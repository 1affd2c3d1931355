#include "preview/StatementListModel.h"

std::size_t StatementListModel::checkedRow(int line) const
{
    const int row = lineToRow(line);
    if (row < 0 || row >= lineCount())
        throw Failure(9, QStringLiteral("SQL Preview list: there is no line %1 (the list has %2).")
                             .arg(line)
                             .arg(lineCount()));
    return std::size_t(row);
}

const QString& StatementListModel::lineText(int line) const
{
    return m_lines[checkedRow(line)];
}

void StatementListModel::setLineText(int line, const QString& text)
{
    const std::size_t row = checkedRow(line);
    if (m_lines[row] == text)
        return;
    m_lines[row] = text;
    announceChanged(int(row), int(row), Qt::DisplayRole);
}

void StatementListModel::clear()
{
    if (m_lines.empty())
        return;
    beginResetModel();
    // Swapping rather than clearing gives a million-line list's memory back at once.
    std::vector<QString>().swap(m_lines);
    std::vector<bool>().swap(m_checked);
    std::vector<Rewritten>().swap(m_lastRewrite);
    endResetModel();
}

void StatementListModel::append(const QString& statement)
{
    const int row = lineCount();
    beginInsertRows(QModelIndex(), row, row);
    m_lines.push_back(statement);
    m_checked.push_back(false);
    endInsertRows();
}

void StatementListModel::append(std::vector<QString> statements)
{
    if (statements.empty())
        return;
    const int first = lineCount();
    beginInsertRows(QModelIndex(), first, first + int(statements.size()) - 1);
    m_lines.insert(m_lines.end(), std::make_move_iterator(statements.begin()),
                   std::make_move_iterator(statements.end()));
    m_checked.resize(m_lines.size(), false);
    endInsertRows();
}

int StatementListModel::undoRewrite()
{
    int first = -1;
    int last = -1;
    int restored = 0;
    for (Rewritten& rewritten : m_lastRewrite) {
        QString& text = m_lines[std::size_t(rewritten.row)];
        if (text != rewritten.after)
            continue;
        text = std::move(rewritten.before);
        if (first < 0)
            first = rewritten.row;
        last = rewritten.row;
        ++restored;
    }
    std::vector<Rewritten>().swap(m_lastRewrite);
    if (restored > 0)
        announceChanged(first, last, Qt::DisplayRole);
    return restored;
}

bool StatementListModel::isChecked(int line) const
{
    return m_checked[checkedRow(line)];
}

void StatementListModel::setAllChecked(bool checked)
{
    if (m_lines.empty())
        return;
    m_checked.assign(m_lines.size(), checked);
    announceChanged(0, lineCount() - 1, Qt::CheckStateRole);
}

void StatementListModel::toggleChecked(const std::vector<int>& rows)
{
    if (rows.empty())
        return;
    const bool checked = !m_checked[checkedRow(rowToLine(rows.front()))];
    int first = rows.front();
    int last = rows.front();
    for (int row : rows) {
        m_checked[checkedRow(rowToLine(row))] = checked;
        first = std::min(first, row);
        last = std::max(last, row);
    }
    announceChanged(first, last, Qt::CheckStateRole);
}

void StatementListModel::announceChanged(int firstRow, int lastRow, int role)
{
    emit dataChanged(index(firstRow), index(lastRow), {role});
}

int StatementListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : lineCount();
}

QVariant StatementListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const std::size_t row = std::size_t(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return m_lines[row];
    case Qt::CheckStateRole:
        return m_checked[row] ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool StatementListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    m_checked[std::size_t(index.row())] = value.toInt() == Qt::Checked;
    announceChanged(index.row(), index.row(), Qt::CheckStateRole);
    return true;
}

Qt::ItemFlags StatementListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

QVariant StatementListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("SQL Preview");
    return {};
}
