#pragma once

#include "db/RecordSet.h"

#include <QString>
#include <QStringList>

#include <vector>

// Names SQL Server cannot take. Its CREATE TABLE would fail after the table's DROP, so a run checks
// a table's names first and leaves a table that fails the check alone.
namespace convert {

// The most characters of a SQL Server table or column name.
constexpr qsizetype MaxNameLength = 128;

// Why table `table` cannot be created under its name: a name over 128 characters, or the name of a
// table of `earlier` (the tables the run took before it) once letter case is set aside, as SQL
// Server's default collations compare names. Empty when it can.
QString tableNameProblem(const QString& table, const QStringList& earlier);

// Why `fields` cannot be the columns of one table: a name over 128 characters, or two names equal
// once letter case is set aside. Empty when they can.
QString fieldNameProblem(const QString& table, const std::vector<db::Field>& fields);

} // namespace convert
