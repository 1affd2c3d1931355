#pragma once

#include "db/RecordSet.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace db {

// Settings a connection takes before it opens. The defaults are those of a fresh connection object.
struct ConnectionOptions
{
    static constexpr int UseServer = 2;
    static constexpr int UseClient = 3;

    int cursorLocation = UseServer;
    int commandTimeout = 30;    // seconds
    int connectionTimeout = 15; // seconds
};

// What became of a batch of statements sent together: the outcome of each statement from the first is
// known up to `accounted`. A batch ends early after a batch-aborting error or a lost connection; a
// server that reports no outcome for some statements (it counts no rows) runs the batch to its end
// and accounts for fewer.
struct BatchResult
{
    int accounted = 0;
    // The statements (index in the batch) that failed, each with its own description.
    std::vector<std::pair<int, QString>> failures;
    // The connection was lost at statement `accounted`: nothing from there on ran.
    std::optional<QString> lost;
    // The server ran the batch to its end: no error ended it early, and the statements from
    // `accounted` on ran with their outcome unknown.
    bool complete = false;
};

// What an open connection does; one implementation per kind of database (FoxPro files, ODBC).
class Provider
{
public:
    virtual ~Provider() = default;

    // The tables schema row set: columns TABLE_NAME and TABLE_TYPE.
    virtual std::unique_ptr<RecordSet> openTablesSchema() = 0;
    // Runs SQL text; no result is read.
    virtual void execute(const QString& sql) = 0;
    // How many statements executeBatch() takes at most; 1 when it runs them one per call. Whether the
    // database behind runs such a batch statement by statement is for the caller to know.
    virtual int batchLimit() const { return 1; }
    // Runs the statements in one round trip, one per line, after `opening` (statements that yield no
    // result of their own, such as settings), and accounts for each. Throws only when nothing of the
    // batch ran. By default: `opening` alone, then executeEach().
    virtual BatchResult executeBatch(const QStringList& statements, const QString& opening = {});
    // Runs the statements one per call, each outcome its own, until the connection is lost.
    BatchResult executeEach(const QStringList& statements);
    // Opens a record set over the result of a query.
    virtual std::unique_ptr<RecordSet> openRecordSet(const QString& sql) = 0;
    virtual void close() = 0;

    // The name of the database product behind the connection, as its driver reports it; empty when
    // the provider cannot tell.
    virtual QString dbmsName() { return {}; }
    // The first column of the first row a query returns, as text: empty when there is no row or the
    // value is NULL. Throws DbError when the query fails or the provider answers no queries.
    virtual QString queryValue(const QString& sql);
};

} // namespace db
