#include "convert/InsertBatch.h"

#include "db/DbError.h"

namespace convert {

void InsertBatch::add(const QString& statement, qint64 row)
{
    m_statements.push_back(statement);
    m_rows.push_back(row);
    m_bytes += (statement.size() + 1) * qsizetype(sizeof(char16_t));
}

InsertBatch::Report InsertBatch::send(db::Connection& connection)
{
    Report report;
    const qsizetype count = m_statements.size();
    for (qsizetype start = 0; start < count;) {
        db::BatchResult result;
        try {
            result = connection.executeBatch(m_statements.mid(start));
        } catch (const db::ConnectionLost& lost) {
            result.lost = lost.description();
        } catch (const db::DbError&) {
        }
        // A batch that could not start, or accounted for nothing, gives way to its first statement alone.
        if (result.accounted == 0 && !result.lost)
            result = connection.executeEach({m_statements[start]});
        for (const auto& [index, description] : result.failures)
            report.failures.emplace_back(m_rows[std::size_t(start + index)], description);
        report.accounted += result.accounted;
        if (result.lost) {
            report.lost.emplace(m_rows[std::size_t(start + result.accounted)], *result.lost);
            break;
        }
        start += result.accounted;
        report.lastRow = m_rows[std::size_t(start - 1)];
    }
    m_statements.clear();
    m_rows.clear();
    m_bytes = 0;
    return report;
}

} // namespace convert
