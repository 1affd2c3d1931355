#pragma once

#include "convert/CheckedValue.h"
#include "db/Connection.h"
#include "db/RecordSet.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The proof of what arrived: a table read back from the target and compared with its source, value by
// value. The target has no key to match rows by, so both sides are compared as multisets of rows (two
// equal rows count twice): each row is reduced to a 128-bit hash of its compared values (see
// CheckedValue.h), both sides' hashes are sorted and counted against each other. Only when they differ
// are both sides read a second time, side by side, to say which rows: a row one side holds more often
// than the other is set beside the unmatched rows of the other side read near it, and one that shares
// at least half of its values with such a row is taken for that row changed (its differing values are
// counted); the others are rows missing on the target or extra there. Memory holds the hashes (16 bytes
// a row) and a bounded window of differing rows, never a table's values.
namespace convert {

// One row that differs, as a report shows it.
struct RowDifference
{
    struct Value
    {
        QString column;
        QString source; // as shownValue() writes it
        QString target;
    };

    qint64 sourceRecord = 0; // 1-based; 0: a row only the target holds
    qint64 targetRow = 0;    // 1-based in the order the target gave its rows; 0: missing there
    // A changed row: the values that differ; a missing or extra row: all its values.
    std::vector<Value> values;
    // Why a source record could not be compared (it could not be read); empty otherwise.
    QString unreadable;
};

struct TableCheckReport
{
    static constexpr std::size_t ShownDifferences = 5;

    qint64 rowsRead = 0; // source records, those that could not be read included
    qint64 rowsOnTarget = 0;
    qint64 rowsMissing = 0; // source rows the target lacks, unreadable ones included
    qint64 rowsExtra = 0;   // target rows the source lacks
    qint64 rowsChanged = 0; // rows the target holds with some values different
    qint64 valuesChecked = 0;
    qint64 valuesDiffering = 0;
    std::vector<RowDifference> firstDifferences; // in the order they were found
    // The check stopped before its end (keepGoing said no); the counts cover what was read.
    bool stopped = false;

    bool matches() const { return !stopped && rowsMissing == 0 && rowsExtra == 0 && rowsChanged == 0; }
};

// What the check needs to know of a table.
struct TableCheckPlan
{
    QString table;
    // The target type of each source field, in field order, as the CREATE TABLE wrote it.
    std::vector<QString> columnTypes;
    const ValueFormat* format = &ValueFormat::system();
    TargetDialect dialect = TargetDialect::sqlServer();
};

// Compares the rows `openSource` gives (a fresh record set at each call, standing on its first row)
// with table `plan.table` on `target`. `keepGoing` is asked at every row of either side; false stops
// the check. A failure to read the target (no such table, a column missing, a lost connection) throws
// DbError; a source record that cannot be read counts as missing.
TableCheckReport checkTable(const TableCheckPlan& plan,
                            const std::function<std::unique_ptr<db::RecordSet>()>& openSource,
                            db::Connection& target, const std::function<bool()>& keepGoing = {});

// The rows the target holds in `table` (SELECT COUNT(*)); throws DbError when it cannot tell.
qint64 countRows(db::Connection& target, const QString& table);

// "table T: 1,000 rows sent, 1,180 on the server", or "" when the two agree.
QString countDifferenceText(const QString& table, qint64 sent, qint64 onTarget);

// One line: "1,000 rows read, 1,000 on the target: every value the same" or "... : 1 missing, 2
// extra, 3 values differ in 2 rows".
QString checkSummaryText(const TableCheckReport& report);

// The first differing rows, one line each: "record 17: NAME source "Zoë", target "Zo?"", "record 18
// is missing on the target: ID "18", NAME "x"", "target row 1001 is not in the source: ...".
QStringList differenceLines(const TableCheckReport& report);

} // namespace convert
