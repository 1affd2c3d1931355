#pragma once

#include "db/Provider.h"

namespace db {

// A database connection as the rest of the program sees it. The connection string chooses the
// provider when the connection opens: "Provider=vfpoledb..." reads FoxPro tables with our own reader;
// no provider (or MSDASQL) goes through the ODBC driver manager. Every failure throws DbError.
class Connection
{
public:
    // The tables schema, the only schema row set the program asks for.
    static constexpr int SchemaTables = 20;

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setCursorLocation(int location) { m_options.cursorLocation = location; }
    void setCommandTimeout(int seconds) { m_options.commandTimeout = seconds; }
    void setConnectionTimeout(int seconds) { m_options.connectionTimeout = seconds; }
    const ConnectionOptions& options() const { return m_options; }

    void open(const QString& connectionString);
    bool isOpen() const { return m_provider != nullptr; }

    std::unique_ptr<RecordSet> openSchema(int schema);
    void execute(const QString& sql);
    int batchLimit() { return provider().batchLimit(); }
    BatchResult executeBatch(const QStringList& statements, const QString& opening = {})
    {
        return provider().executeBatch(statements, opening);
    }
    BatchResult executeEach(const QStringList& statements) { return provider().executeEach(statements); }
    std::unique_ptr<RecordSet> openRecordSet(const QString& sql);
    QString dbmsName() { return provider().dbmsName(); }
    QString queryValue(const QString& sql) { return provider().queryValue(sql); }
    // Closing a closed connection is a failure, as it is for the data-access objects.
    void close();

private:
    Provider& provider();

    ConnectionOptions m_options;
    std::unique_ptr<Provider> m_provider;
};

} // namespace db
