#pragma once

#include <QString>

// The Datatypes Conversion list as the conversion run writes it: one row per source column.
class DatatypeList
{
public:
    virtual ~DatatypeList() = default;

    virtual void clearRows() = 0;
    // Adds a row for a column of `table`.
    virtual void addRow(const QString& table, const QString& column) = 0;
    // Sets the match key and the SQL Server type of the row added last.
    virtual void setLastRowType(const QString& matchKey, const QString& sqlType) = 0;
};
