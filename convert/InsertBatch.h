#pragma once

#include "db/Connection.h"

#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace convert {

// The INSERT statements of one table on their way to the target: collected up to a number of
// statements or 1 MiB of text, whichever comes first, then sent in one transaction, so that the
// target commits once per batch instead of once per row. A target that takes batches (SQL Server)
// gets them in one round trip, each batch starting with SET NOCOUNT OFF so that every statement
// reports its outcome whatever the server's defaults; otherwise each statement goes in a call of its
// own between BEGIN and COMMIT.
//
// Every row is sent at most once, and what is reported stored is what the target committed:
// - a failing statement fails alone; the others of its batch are committed;
// - a batch the server ended early (a batch-aborting error, which leaves the transaction open) has
//   what it ran committed, and the rest is sent again from its first statement that did not run;
// - a batch the server ran to its end while reporting the outcome of fewer statements than were sent
//   is not sent again: the rows it did not account for are reported with their outcome unknown;
// - a connection lost before the COMMIT leaves nothing of that transaction on the server, which
//   rolls it back: the rows from its first one on are reported not stored;
// - a COMMIT that fails stores nothing of its transaction, which is rolled back.
class InsertBatch
{
public:
    static constexpr qsizetype MaxBytes = 1 << 20; // of UTF-16 text

    // `oneRoundTrip`: the target runs a batch statement after statement and reports each one's outcome.
    InsertBatch(int maxStatements, bool oneRoundTrip)
        : m_maxStatements(maxStatements), m_oneRoundTrip(oneRoundTrip)
    {}

    void add(const QString& statement, qint64 row);
    bool full() const { return m_statements.size() >= m_maxStatements || m_bytes >= MaxBytes; }
    bool empty() const { return m_statements.isEmpty(); }

    // Source rows `first` to `last` and what became of them.
    struct Rows
    {
        qint64 first = 0;
        qint64 last = 0;
        QString description;

        // "table T, row N: description", or "rows A to B" for several.
        QString text(const QString& table) const;
    };

    struct Report
    {
        // Statements that failed, each with its own description, in order; a failed COMMIT names all
        // the rows of its transaction.
        std::vector<Rows> failures;
        // Rows the target stored, and rows it did not (failed statements, a failed COMMIT's rows).
        qint64 stored = 0;
        qint64 failed = 0;
        // Rows whose outcome the target did not report; they were not sent again.
        std::optional<Rows> unknown;
        // The connection was lost: the first row not stored, with the description. Nothing from that
        // row on was stored.
        std::optional<std::pair<qint64, QString>> lost;
        // The last row whose statement was accounted for.
        qint64 lastRow = 0;
    };

    // Sends what was collected and empties the batch.
    Report send(db::Connection& connection);

private:
    // Sends the statements from `start` on in one transaction, adds what became of them to `report`,
    // and returns where the statements still to be sent start.
    qsizetype sendFrom(db::Connection& connection, qsizetype start, Report& report);

    int m_maxStatements;
    bool m_oneRoundTrip;
    QStringList m_statements;
    std::vector<qint64> m_rows;
    qsizetype m_bytes = 0;
};

} // namespace convert
