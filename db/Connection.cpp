#include "db/Connection.h"

#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "db/foxpro/FoxProProvider.h"
#include "db/odbc/OdbcProvider.h"

namespace db {

namespace {

DbError closedError()
{
    return DbError(QStringLiteral("Operation is not allowed when the object is closed."), -2146824584);
}

} // namespace

QString Provider::queryValue(const QString&)
{
    throw DbError(QStringLiteral("This connection answers no queries."));
}

Connection::Connection() = default;

Connection::~Connection()
{
    if (m_provider) {
        try {
            m_provider->close();
        } catch (...) {
            // Dropping a connection must not throw; whatever the driver says now has no reader.
        }
    }
}

void Connection::open(const QString& connectionString)
{
    if (m_provider)
        throw DbError(QStringLiteral("Operation is not allowed when the object is open."), -2146824583);

    const ConnectionString parsed = ConnectionString::parse(connectionString);
    const QString providerName = parsed.value(QStringLiteral("Provider")).value_or(QString()).trimmed();
    if (providerName.startsWith(QLatin1String("vfpoledb"), Qt::CaseInsensitive))
        m_provider = foxpro::openProvider(parsed, m_options);
    else if (providerName.isEmpty() || providerName.startsWith(QLatin1String("MSDASQL"), Qt::CaseInsensitive))
        m_provider = odbc::openProvider(connectionString, m_options);
    else
        throw DbError(QStringLiteral("Provider cannot be found. It may not be properly installed."),
                      -2146824582);
}

Provider& Connection::provider()
{
    if (!m_provider)
        throw closedError();
    return *m_provider;
}

std::unique_ptr<RecordSet> Connection::openSchema(int schema)
{
    if (schema != SchemaTables)
        throw DbError(QStringLiteral("Object or provider is not capable of performing requested operation."),
                      -2146825037);
    return provider().openTablesSchema();
}

void Connection::execute(const QString& sql)
{
    provider().execute(sql);
}

std::unique_ptr<RecordSet> Connection::openRecordSet(const QString& sql)
{
    return provider().openRecordSet(sql);
}

void Connection::close()
{
    std::unique_ptr<Provider> open = std::move(m_provider);
    if (!open)
        throw closedError();
    open->close();
}

} // namespace db
