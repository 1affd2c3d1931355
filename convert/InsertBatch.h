#pragma once

#include "db/Connection.h"

#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace convert {

// The INSERT statements of one table on their way to a target that takes batches: collected up to a
// number of statements or 1 MiB of text, whichever comes first, then sent in one round trip. A batch
// the server ended early (after a batch-aborting error) is sent again from its first statement that
// did not run, so that every row is sent exactly once.
class InsertBatch
{
public:
    static constexpr qsizetype MaxBytes = 1 << 20; // of UTF-16 text

    explicit InsertBatch(int maxStatements) : m_maxStatements(maxStatements) {}

    void add(const QString& statement, qint64 row);
    bool full() const { return m_statements.size() >= m_maxStatements || m_bytes >= MaxBytes; }
    bool empty() const { return m_statements.isEmpty(); }

    struct Report
    {
        // The rows whose statement failed, each with its own description, in order.
        std::vector<std::pair<qint64, QString>> failures;
        // The connection was lost at this row (with the description); nothing from there on was sent.
        std::optional<std::pair<qint64, QString>> lost;
        // The last row whose statement was accounted for.
        qint64 lastRow = 0;
        // How many statements were accounted for (failed ones included).
        qint64 accounted = 0;
    };

    // Sends what was collected and empties the batch.
    Report send(db::Connection& connection);

private:
    int m_maxStatements;
    QStringList m_statements;
    std::vector<qint64> m_rows;
    qsizetype m_bytes = 0;
};

} // namespace convert
