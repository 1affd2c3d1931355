#pragma once

#include "db/MSSQL.h"

#include <QString>
#include <QStringList>

#include <vector>

// Registers the SQLite ODBC driver as "SQL Server" in a private ODBC configuration for this process.
void registerSqliteAsSqlServer();

// The sample tables gathered beside the program.
QString samplesFolder();

// The rows of a source table as the statements write them: each value's text, "" for NULL.
std::vector<QStringList> readSourceTable(const QString& folder, const QString& table);

// True when a source row and a target row hold the same values: equal texts, or equal numbers where
// the target stored a number (the engine keeps "12.50" in a NUMERIC column as 12.5).
bool sameRow(const QStringList& source, const QStringList& target);

QStringList sorted(QStringList names);

// A SQLite database file standing in for the target, read and written with the sqlite3 program so
// that the checks do not share a code path with the run.
class TargetDatabase
{
public:
    explicit TargetDatabase(QString path) : m_path(std::move(path)) {}

    // A login whose connection string opens this file through the "SQL Server" driver.
    MSSQLLogin login() const;
    // Runs SQL; fails the test (throws) when sqlite3 reports an error.
    void exec(const QString& sql) const;
    // The names of the tables, sorted.
    QStringList tables() const;
    // The rows of a table in insertion order, each value as text ("" for NULL).
    std::vector<QStringList> rows(const QString& table) const;

private:
    QString query(const QString& sql) const;

    QString m_path;
};
