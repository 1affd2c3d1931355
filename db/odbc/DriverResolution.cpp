#include "db/odbc/DriverResolution.h"

#include "db/ConnectionString.h"
#include "db/odbc/OdbcHandle.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace db::odbc {

namespace {

const QString SqlServer = QStringLiteral("SQL Server");
const QString FreeTds = QStringLiteral("FreeTDS");

bool asksForSqlServer(const ConnectionString& parsed)
{
    return parsed.value(QStringLiteral("Driver"))
               .value_or(QString())
               .trimmed()
               .compare(SqlServer, Qt::CaseInsensitive) == 0;
}

bool serverNamesPortOrInstance(const ConnectionString& parsed)
{
    const QString server = parsed.value(QStringLiteral("Server")).value_or(QString());
    return server.contains(QLatin1Char(',')) || server.contains(QLatin1Char('\\')) ||
           parsed.value(QStringLiteral("Port")).has_value();
}

QString freeTdsString(const ConnectionString& parsed, const QString& driver)
{
    QString result;
    for (const auto& [keyword, value] : parsed.pairs()) {
        const bool isDriver = keyword.compare(QLatin1String("Driver"), Qt::CaseInsensitive) == 0;
        result += keyword + QLatin1Char('=') + ConnectionString::quoteValue(isDriver ? driver : value) +
                  QLatin1Char(';');
    }
    if (!serverNamesPortOrInstance(parsed))
        result += QStringLiteral("Port=1433;");
    if (!parsed.value(QStringLiteral("TDS_Version")))
        result += QStringLiteral("TDS_Version=7.4;");
    return result;
}

} // namespace

QStringList installedDrivers()
{
    Handle env(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    env.check(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              "SQLSetEnvAttr");
    QStringList names;
    SQLWCHAR name[1024];
    SQLWCHAR attributes[4];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        const SQLRETURN rc =
            SQLDriversW(env.get(), direction, name, SQLSMALLINT(std::size(name)), &nameLength, attributes,
                        SQLSMALLINT(std::size(attributes)), &attributesLength);
        if (rc == SQL_NO_DATA)
            break;
        env.check(rc, "SQLDrivers");
        names << fromWide(name, std::min<qsizetype>(nameLength, qsizetype(std::size(name)) - 1));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

QString findDriverLibrary(const QString& fileName)
{
    QStringList folders;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&SQLAllocHandle), &info) && info.dli_fname) {
        const QString managerFolder = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
        folders << managerFolder + QStringLiteral("/odbc") << managerFolder;
    }
    folders << QStringLiteral("/usr/local/lib/odbc") << QStringLiteral("/usr/local/lib");
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(fileName);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString resolveDriver(const QString& connectionString, const QStringList& installedDrivers,
                      const QString& freeTdsLibrary)
{
    const ConnectionString parsed = ConnectionString::parse(connectionString);
    if (!asksForSqlServer(parsed) || installedDrivers.contains(SqlServer, Qt::CaseInsensitive))
        return connectionString;
    const bool freeTdsInstalled =
        installedDrivers.contains(FreeTds, Qt::CaseInsensitive) || freeTdsLibrary.isEmpty();
    return freeTdsString(parsed, freeTdsInstalled ? FreeTds : freeTdsLibrary);
}

QString resolveDriver(const QString& connectionString)
{
    if (!asksForSqlServer(ConnectionString::parse(connectionString)))
        return connectionString;
    return resolveDriver(connectionString, installedDrivers(),
                         findDriverLibrary(QStringLiteral("libtdsodbc.so")));
}

} // namespace db::odbc
