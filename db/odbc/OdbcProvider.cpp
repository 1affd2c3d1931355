#include "db/odbc/OdbcProvider.h"

#include "db/AdoType.h"
#include "db/DbError.h"
#include "db/MemoryRecordSet.h"
#include "db/odbc/DriverResolution.h"
#include "db/odbc/OdbcBatch.h"
#include "db/odbc/OdbcHandle.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <optional>

namespace db::odbc {

namespace {

SQLPOINTER seconds(int value)
{
    if (value < 0)
        throw DbError(QStringLiteral("A timeout cannot be negative (%1 seconds).").arg(value));
    return reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(value));
}

// Closes the statement's cursor and drops its pending results when the scope ends, so that the
// handle serves the next statement whatever happened to this one.
class CursorCloser
{
public:
    explicit CursorCloser(const Handle& statement) : m_statement(statement) {}
    ~CursorCloser() { SQLFreeStmt(m_statement.get(), SQL_CLOSE); }
    CursorCloser(const CursorCloser&) = delete;
    CursorCloser& operator=(const CursorCloser&) = delete;

private:
    const Handle& m_statement;
};

// The value of one column of the current row as text, or nothing for NULL; long values come in
// several pieces.
std::optional<QString> columnValue(const Handle& statement, SQLUSMALLINT column)
{
    QString text;
    SQLWCHAR buffer[256];
    constexpr qsizetype room = qsizetype(std::size(buffer)) - 1;
    for (bool first = true;; first = false) {
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(statement.get(), column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (indicator == SQL_NULL_DATA) {
            if (first)
                return std::nullopt;
            break;
        }
        statement.check(rc, "SQLGetData");
        const bool whole = indicator != SQL_NO_TOTAL && qsizetype(indicator / sizeof(SQLWCHAR)) <= room;
        text += fromWide(buffer, whole ? qsizetype(indicator / sizeof(SQLWCHAR)) : room);
        if (rc == SQL_SUCCESS || whole)
            break;
    }
    return text;
}

// The text of one column of the current row; empty for NULL.
QString columnText(const Handle& statement, SQLUSMALLINT column)
{
    return columnValue(statement, column).value_or(QString());
}

// The rows of a query, fetched one at a time on a statement handle of their own; every value is its
// text (NULL stays NULL). The set must go before the connection that opened it.
class OdbcRecordSet final : public RecordSet
{
public:
    OdbcRecordSet(const Handle& connection, const QString& sql);

    const std::vector<Field>& fields() const override { return m_fields; }
    bool eof() const override { return m_eof; }
    bool bof() const override { return m_eof && m_read == 0; }
    const std::vector<Value>& values() const override;
    void moveNext() override;
    // The rows fetched so far: a query's rows are known only once they have all been read.
    qint64 recordCount() const override { return m_read; }
    void close() override { m_statement.reset(); }

private:
    void fetch();

    const Handle& m_connection;
    std::optional<Handle> m_statement;
    std::vector<Field> m_fields;
    std::vector<Value> m_values;
    qint64 m_read = 0;
    bool m_eof = false;
};

OdbcRecordSet::OdbcRecordSet(const Handle& connection, const QString& sql) : m_connection(connection)
{
    m_statement.emplace(SQL_HANDLE_STMT, connection.get());
    const Handle& st = *m_statement;
    try {
        st.check(SQLExecDirectW(st.get(), wide(sql), wideLength(sql)), "SQLExecDirect");
    } catch (const DbError& error) {
        throwIfConnectionLost(m_connection, st, error);
        throw;
    }
    SQLSMALLINT columns = 0;
    st.check(SQLNumResultCols(st.get(), &columns), "SQLNumResultCols");
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columns); ++c) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT length = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        st.check(SQLDescribeColW(st.get(), c, name, SQLSMALLINT(std::size(name)), &length, &type, &size,
                                 &digits, &nullable),
                 "SQLDescribeCol");
        m_fields.push_back({fromWide(name, std::min<qsizetype>(length, std::size(name) - 1)),
                            AdoType::VarWChar, int(std::min<SQLULEN>(size, INT_MAX)), digits});
    }
    fetch();
}

const std::vector<Value>& OdbcRecordSet::values() const
{
    if (m_eof)
        throw DbError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    return m_values;
}

void OdbcRecordSet::moveNext()
{
    if (m_eof)
        throw DbError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    fetch();
}

void OdbcRecordSet::fetch()
{
    if (!m_statement)
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed."));
    const Handle& st = *m_statement;
    try {
        const SQLRETURN rc = SQLFetch(st.get());
        if (rc == SQL_NO_DATA) {
            m_eof = true;
            return;
        }
        st.check(rc, "SQLFetch");
        m_values.clear();
        for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(m_fields.size()); ++c) {
            std::optional<QString> value = columnValue(st, c);
            m_values.push_back(value ? Value(std::move(*value)) : Value());
        }
    } catch (const DbError& error) {
        throwIfConnectionLost(m_connection, st, error);
        throw;
    }
    ++m_read;
}

// A connection through the driver manager. One statement handle serves every statement in turn;
// each record set has one of its own.
class OdbcProvider final : public Provider
{
public:
    OdbcProvider(const QString& connectionString, const ConnectionOptions& options);
    ~OdbcProvider() override;

    std::unique_ptr<RecordSet> openTablesSchema() override;
    void execute(const QString& sql) override;
    int batchLimit() const override { return BatchStatements; }
    BatchResult executeBatch(const QStringList& statements, const QString& opening) override;
    std::unique_ptr<RecordSet> openRecordSet(const QString& sql) override;
    void close() override;
    QString dbmsName() override;
    QString queryValue(const QString& sql) override;

private:
    const Handle& statement();

    Handle m_environment{SQL_HANDLE_ENV, SQL_NULL_HANDLE};
    std::optional<Handle> m_connection;
    std::optional<Handle> m_statement;
    SQLPOINTER m_queryTimeout;
    bool m_connected = false;
};

OdbcProvider::OdbcProvider(const QString& connectionString, const ConnectionOptions& options)
    : m_queryTimeout(seconds(options.commandTimeout))
{
    // The cursor location only chooses a cursor library for record sets, which this provider does not open.
    m_environment.check(SQLSetEnvAttr(m_environment.get(), SQL_ATTR_ODBC_VERSION,
                                      reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                        "SQLSetEnvAttr");
    ensureUtf8Ctype();
    m_connection.emplace(SQL_HANDLE_DBC, m_environment.get());
    m_connection->check(SQLSetConnectAttrW(m_connection->get(), SQL_ATTR_LOGIN_TIMEOUT,
                                           seconds(options.connectionTimeout), 0),
                        "SQLSetConnectAttr");

    const QString resolved = resolveDriver(connectionString);
    if (resolved.size() > std::numeric_limits<SQLSMALLINT>::max())
        throw DbError(
            QStringLiteral("The connection string is too long (%1 characters).").arg(resolved.size()));
    SQLSMALLINT completedLength = 0;
    try {
        m_connection->check(SQLDriverConnectW(m_connection->get(), nullptr, wide(resolved),
                                              static_cast<SQLSMALLINT>(resolved.size()), nullptr, 0,
                                              &completedLength, SQL_DRIVER_NOPROMPT),
                            "SQLDriverConnect");
    } catch (const DbError& error) {
        throw DbError(explainLoginFailure(error.description()), error.number());
    }
    m_connected = true;
}

OdbcProvider::~OdbcProvider()
{
    m_statement.reset();
    if (m_connected)
        SQLDisconnect(m_connection->get());
}

const Handle& OdbcProvider::statement()
{
    if (!m_connected)
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed."));
    if (!m_statement) {
        Handle created(SQL_HANDLE_STMT, m_connection->get());
        const SQLRETURN rc = SQLSetStmtAttrW(created.get(), SQL_ATTR_QUERY_TIMEOUT, m_queryTimeout, 0);
        // A driver that cannot stop a statement in time says so (HYC00); its statements still run.
        if (!SQL_SUCCEEDED(rc) && created.firstState() != QLatin1String("HYC00"))
            created.check(rc, "SQLSetStmtAttr");
        m_statement.emplace(std::move(created));
    }
    return *m_statement;
}

std::unique_ptr<RecordSet> OdbcProvider::openTablesSchema()
{
    const Handle& st = statement();
    CursorCloser closer(st);
    QString type = QStringLiteral("TABLE");
    st.check(SQLTablesW(st.get(), nullptr, 0, nullptr, 0, nullptr, 0, wide(type), SQLSMALLINT(type.size())),
             "SQLTables");
    std::vector<std::pair<QString, QString>> rows;
    for (;;) {
        const SQLRETURN rc = SQLFetch(st.get());
        if (rc == SQL_NO_DATA)
            break;
        st.check(rc, "SQLFetch");
        // The catalogue's columns: 3 is TABLE_NAME, 4 TABLE_TYPE.
        QString name = columnText(st, 3);
        rows.emplace_back(std::move(name), columnText(st, 4));
    }
    return tablesSchema(rows);
}

void OdbcProvider::execute(const QString& sql)
{
    const Handle& st = statement();
    CursorCloser closer(st);
    try {
        st.check(SQLExecDirectW(st.get(), wide(sql), wideLength(sql)), "SQLExecDirect");
        // A batch may fail in a later statement; its error only shows when the results are walked.
        for (SQLRETURN rc = SQLMoreResults(st.get()); rc != SQL_NO_DATA; rc = SQLMoreResults(st.get()))
            st.check(rc, "SQLMoreResults");
    } catch (const DbError& error) {
        throwIfConnectionLost(*m_connection, st, error);
        throw;
    }
}

BatchResult OdbcProvider::executeBatch(const QStringList& statements, const QString& opening)
{
    const Handle& st = statement();
    CursorCloser closer(st);
    return odbc::executeBatch(*m_connection, st, statements, opening);
}

std::unique_ptr<RecordSet> OdbcProvider::openRecordSet(const QString& sql)
{
    if (!m_connected)
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed."));
    return std::make_unique<OdbcRecordSet>(*m_connection, sql);
}

QString OdbcProvider::dbmsName()
{
    if (!m_connected)
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed."));
    SQLWCHAR name[128] = {};
    SQLSMALLINT bytes = 0;
    m_connection->check(SQLGetInfoW(m_connection->get(), SQL_DBMS_NAME, name, sizeof name, &bytes),
                        "SQLGetInfo");
    return fromWide(name, std::min<qsizetype>(bytes / qsizetype(sizeof(SQLWCHAR)), std::size(name) - 1));
}

QString OdbcProvider::queryValue(const QString& sql)
{
    const Handle& st = statement();
    CursorCloser closer(st);
    st.check(SQLExecDirectW(st.get(), wide(sql), wideLength(sql)), "SQLExecDirect");
    const SQLRETURN rc = SQLFetch(st.get());
    if (rc == SQL_NO_DATA)
        return {};
    st.check(rc, "SQLFetch");
    return columnText(st, 1);
}

void OdbcProvider::close()
{
    m_statement.reset();
    if (!m_connected)
        return;
    m_connected = false;
    m_connection->check(SQLDisconnect(m_connection->get()), "SQLDisconnect");
}

} // namespace

std::unique_ptr<Provider> openProvider(const QString& connectionString, const ConnectionOptions& options)
{
    return std::make_unique<OdbcProvider>(connectionString, options);
}

} // namespace db::odbc
