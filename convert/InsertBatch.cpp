#include "convert/InsertBatch.h"

#include "db/DbError.h"

namespace convert {

namespace {

const QString Begin = QStringLiteral("BEGIN TRANSACTION");
const QString Commit = QStringLiteral("COMMIT TRANSACTION");
const QString Rollback = QStringLiteral("ROLLBACK TRANSACTION");
// A server whose sessions count no rows by default (the "user options" of a DBA) would report the
// outcome of no INSERT.
const QString BatchOpening = QStringLiteral("SET NOCOUNT OFF;\nBEGIN TRANSACTION;");

} // namespace

QString InsertBatch::Rows::text(const QString& table) const
{
    const QString rows = first == last ? QStringLiteral("row %1").arg(first)
                                       : QStringLiteral("rows %1 to %2").arg(first).arg(last);
    return QStringLiteral("table %1, %2: %3").arg(table, rows, description);
}

void InsertBatch::add(const QString& statement, qint64 row)
{
    m_statements.push_back(statement);
    m_rows.push_back(row);
    m_bytes += (statement.size() + 1) * qsizetype(sizeof(char16_t));
}

InsertBatch::Report InsertBatch::send(db::Connection& connection)
{
    Report report;
    for (qsizetype start = 0; start < m_statements.size();)
        start = sendFrom(connection, start, report);
    m_statements.clear();
    m_rows.clear();
    m_bytes = 0;
    return report;
}

qsizetype InsertBatch::sendFrom(db::Connection& connection, qsizetype start, Report& report)
{
    const auto row = [&](qsizetype index) { return m_rows[std::size_t(start + index)]; };
    QStringList part = m_statements.mid(start);
    db::BatchResult result;
    bool committing = true;
    try {
        if (m_oneRoundTrip) {
            result = connection.executeBatch(part, BatchOpening);
        } else {
            connection.execute(Begin);
            result = connection.executeEach(part);
        }
    } catch (const db::ConnectionLost& lost) {
        result.lost = lost.description();
    } catch (const db::DbError&) {
        // Nothing of the batch ran: its first statement alone, committed as it runs, tells why.
        part = QStringList{part.front()};
        result = connection.executeEach(part);
        committing = false;
    }
    std::optional<QString> commitFailure;
    if (committing && !result.lost) {
        try {
            connection.execute(Commit);
        } catch (const db::ConnectionLost& lost) {
            result.lost = lost.description();
        } catch (const db::DbError& error) {
            commitFailure = error.description();
            // Whatever the server still holds open of the transaction is not to stay either.
            try {
                connection.execute(Rollback);
            } catch (const db::ConnectionLost& lost) {
                result.lost = lost.description();
            } catch (const db::DbError&) {
                // No transaction was left open.
            }
        }
    }
    if (result.lost) {
        // The server rolls back the transaction of a connection that ends: nothing from `start` on
        // was stored, the failures of this transaction included.
        report.lost.emplace(row(0), *result.lost);
        return m_statements.size();
    }
    const qsizetype accounted = result.accounted;
    // A batch-aborting error ends the batch at its own statement: the rest never ran.
    const bool aborted = accounted < part.size() && !result.complete && !result.failures.empty() &&
                         result.failures.back().first == accounted - 1;
    const qsizetype ran = aborted ? accounted : part.size(); // or may have run
    if (commitFailure) {
        report.failures.push_back(
            {row(0), row(ran - 1),
             QStringLiteral("not stored, the transaction could not be committed: ") + *commitFailure});
        report.failed += ran;
    } else {
        for (const auto& [index, description] : result.failures)
            report.failures.push_back({row(index), row(index), description});
        report.failed += qint64(result.failures.size());
        report.stored += accounted - qint64(result.failures.size());
        if (accounted < ran)
            report.unknown = Rows{row(accounted), row(ran - 1),
                                  QStringLiteral("outcome unknown: the server did not report what became of "
                                                 "these %1 INSERT statement(s); they were not sent again.")
                                      .arg(ran - accounted)};
    }
    report.lastRow = row(ran - 1);
    return start + ran;
}

} // namespace convert
