#include "db/odbc/OdbcBatch.h"

#include "db/DbError.h"

namespace db::odbc {

namespace {

bool hasColumns(const Handle& statement)
{
    SQLSMALLINT columns = 0;
    return SQL_SUCCEEDED(SQLNumResultCols(statement.get(), &columns)) && columns > 0;
}

} // namespace

BatchResult executeBatch(const Handle& connection, const Handle& statement, const QStringList& statements,
                         const QString& opening)
{
    // The statements are INSERTs, which yield no result set: the only one after the first is the mark.
    // The mark's line starts with ';' so that no statement runs on into it.
    const QString text = (opening.isEmpty() ? QString() : opening + QLatin1Char('\n')) +
                         QStringLiteral("SELECT 1;\n") + statements.join(QLatin1Char('\n')) +
                         QStringLiteral("\n;SELECT 2");
    BatchResult result;
    const SQLHSTMT st = statement.get();
    try {
        statement.check(SQLExecDirectW(st, wide(text), wideLength(text)), "SQLExecDirect");
    } catch (const DbError& error) {
        throwIfConnectionLost(connection, statement, error);
        throw;
    }
    const int count = int(statements.size());
    for (SQLRETURN rc = SQLMoreResults(st); rc != SQL_NO_DATA; rc = SQLMoreResults(st)) {
        if (!SQL_SUCCEEDED(rc)) {
            QString description = statement.diagnostics();
            if (description.isEmpty())
                description =
                    QStringLiteral("SQLMoreResults failed (return code %1) without a diagnostic record.")
                        .arg(rc);
            if (isConnectionLost(connection, statement)) {
                result.lost = description;
                return result;
            }
            if (result.accounted < count)
                result.failures.emplace_back(result.accounted, description);
        } else if (hasColumns(statement)) {
            result.complete = true;
            continue;
        }
        // A statement that yields more than one result (a trigger's own row counts) cannot be told
        // apart; the count stops at the batch's size.
        result.accounted = std::min(result.accounted + 1, count);
    }
    return result;
}

} // namespace db::odbc
