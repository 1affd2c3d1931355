#pragma once

#include "db/Connection.h"
#include "db/Foxpro.h"

#include <QString>

#include <memory>

class QObject;
class UiServices;

// What a conversion does about memo files: a missing one costs the table's memo text after the user
// agrees, a damaged one the values it cannot give (see UnreadableReport); either way the rest of the
// table is copied.
namespace convert {

// The title of the question asked when a table's memo file is missing.
extern const QString MissingMemoTitle;

// A source table opened twice the same way: once to look at its values before its CREATE TABLE is
// written, once for the rows to copy.
struct SourceTable
{
    std::unique_ptr<db::RecordSet> ahead;
    std::unique_ptr<db::RecordSet> rows;
};

// Opens `table` on the run's source connection. When its memo file is missing, asks once whether to
// copy the table without its memo text; Yes opens it so (every memo, general and blob value NULL),
// No gives a SourceTable without record sets: the table is not to be copied.
SourceTable openSourceTable(db::Connection& connection, const FoxProSource& source, const QString& table,
                            UiServices& ui, QObject* owner);

// Opens `table` again as openSourceTable() did after a Yes: without its memo file when that is missing,
// without asking.
std::unique_ptr<db::RecordSet> reopenSourceTable(db::Connection& connection, const FoxProSource& source,
                                                 const QString& table);

} // namespace convert
