#include "db/odbc/OdbcBatch.h"

#include "db/DbError.h"

namespace db::odbc {

BatchResult executeBatch(const Handle& connection, const Handle& statement, const QStringList& statements)
{
    const QString text = QStringLiteral("SELECT 1;\n") + statements.join(QLatin1Char('\n'));
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
        }
        // A statement that yields more than one result (a trigger's own row counts) cannot be told
        // apart; the count stops at the batch's size.
        result.accounted = std::min(result.accounted + 1, count);
    }
    return result;
}

} // namespace db::odbc
