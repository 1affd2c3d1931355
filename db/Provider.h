#pragma once

#include "db/RecordSet.h"

#include <QString>

#include <memory>

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

// What an open connection does; one implementation per kind of database (FoxPro files, ODBC).
class Provider
{
public:
    virtual ~Provider() = default;

    // The tables schema row set: columns TABLE_NAME and TABLE_TYPE.
    virtual std::unique_ptr<RecordSet> openTablesSchema() = 0;
    // Runs SQL text; no result is read.
    virtual void execute(const QString& sql) = 0;
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
