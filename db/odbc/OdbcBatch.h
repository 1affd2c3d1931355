#pragma once

#include "db/Provider.h"
#include "db/odbc/OdbcHandle.h"

namespace db::odbc {

// Statements per batch at most: the round trip is paid once for all of them.
constexpr int BatchStatements = 200;

// Sends `statements` as one SQL text, one statement per line, on `statement` and walks every result
// with SQLMoreResults. The text begins with `opening` (statements that yield no result of their own),
// then a "SELECT 1;" line: with a result set first, the driver manager keeps the batch open after a
// failing first statement (it ends a statement whose execution failed), so every statement's own
// result, and its own diagnostics, can be read. It ends with a second SELECT, the mark that the server
// ran the batch to its end (BatchResult::complete). A batch that yields fewer results than statements
// without its mark was ended by the server (a batch-aborting error) or by the connection
// (BatchResult::lost). Throws only when the batch could not start, ConnectionLost when the connection
// is gone.
BatchResult executeBatch(const Handle& connection, const Handle& statement, const QStringList& statements,
                         const QString& opening);

} // namespace db::odbc
