#pragma once

#include "convert/DatatypeList.h"

#include <QAbstractTableModel>

#include <vector>

// The rows of the Datatypes Conversion window: one row per source column with its table, its name,
// the match key of its source type and the SQL Server type chosen for it, in the order the run
// visited them. The run writes them through DatatypeList; the window only shows them.
class DatatypeRowsModel final : public QAbstractTableModel, public DatatypeList
{
    Q_OBJECT

public:
    enum Column
    {
        TableColumn,
        FieldColumn,
        MatchKeyColumn,
        SqlTypeColumn,
        ColumnCount
    };

    struct Row
    {
        QString table;
        QString column;
        QString matchKey;
        QString sqlType;
    };

    using QAbstractTableModel::QAbstractTableModel;

    void clearRows() override;
    void addRow(const QString& table, const QString& column) override;
    // Fails when there is no row yet.
    void setLastRowType(const QString& matchKey, const QString& sqlType) override;

    const std::vector<Row>& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<Row> m_rows;
};
