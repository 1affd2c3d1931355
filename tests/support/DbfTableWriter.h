#pragma once

#include "tests/support/DbfBuilder.h"

#include <QString>
#include <QStringList>

#include <vector>

// Writes small Visual FoxPro free tables (version 0x30, code page 1252, no memo) for tests and
// benchmarks that need a table of a chosen shape or size. Supported field types: C (text, padded with
// blanks), N (number text, right-aligned), D ("yyyyMMdd"), L ("T" or "F"), I (32-bit integer from its
// decimal text). An empty cell writes the type's blank value.
class DbfTableWriter
{
public:
    struct Column
    {
        QString name; // at most 10 characters
        char type;
        int width;
        int decimals = 0;
    };

    explicit DbfTableWriter(std::vector<Column> columns);

    void addRow(const QStringList& cells);
    // Writes the table; throws std::runtime_error naming the file when it cannot be written.
    void save(const QString& path) const;

private:
    std::vector<Column> m_columns;
    DbfBuilder m_table;
};
