#include "db/odbc/DriverResolution.h"

#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "db/odbc/OdbcHandle.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace db::odbc {

namespace {

const QString SqlServer = QStringLiteral("SQL Server");
const QString FreeTds = QStringLiteral("FreeTDS");
const QString Microsoft18 = QStringLiteral("ODBC Driver 18 for SQL Server");
const QString Microsoft17 = QStringLiteral("ODBC Driver 17 for SQL Server");
const QString Encrypt = QStringLiteral("Encrypt");
const QString TrustServerCertificate = QStringLiteral("TrustServerCertificate");

bool same(const QString& a, const QString& b)
{
    return a.trimmed().compare(b, Qt::CaseInsensitive) == 0;
}

bool asksForSqlServer(const ConnectionString& parsed)
{
    return same(parsed.value(QStringLiteral("Driver")).value_or(QString()), SqlServer);
}

bool serverNamesPortOrInstance(const ConnectionString& parsed)
{
    const QString server = parsed.value(QStringLiteral("Server")).value_or(QString());
    return server.contains(QLatin1Char(',')) || server.contains(QLatin1Char('\\')) ||
           parsed.value(QStringLiteral("Port")).has_value();
}

enum class Level
{
    Optional,
    Mandatory,
    Strict
};

Level encryptionLevel(const ConnectionString& parsed)
{
    const QString value = parsed.value(Encrypt).value_or(QStringLiteral("optional"));
    if (same(value, QStringLiteral("optional")))
        return Level::Optional;
    if (same(value, QStringLiteral("mandatory")))
        return Level::Mandatory;
    if (same(value, QStringLiteral("strict")))
        return Level::Strict;
    throw DbError(QStringLiteral("Encrypt=%1 is not an encryption level; use optional, mandatory or strict.")
                      .arg(value));
}

bool trustsCertificate(const ConnectionString& parsed)
{
    return same(parsed.value(TrustServerCertificate).value_or(QString()), QStringLiteral("yes"));
}

// The string's pairs with the Driver replaced and the encryption keywords left out.
QString withDriver(const ConnectionString& parsed, const QString& driver)
{
    QString result;
    for (const auto& [keyword, value] : parsed.pairs()) {
        if (same(keyword, Encrypt) || same(keyword, TrustServerCertificate))
            continue;
        result += keyword + QLatin1Char('=') +
                  ConnectionString::quoteValue(same(keyword, QStringLiteral("Driver")) ? driver : value) +
                  QLatin1Char(';');
    }
    return result;
}

QString microsoftString(const ConnectionString& parsed, const QString& driver)
{
    const bool version18 = driver == Microsoft18;
    const Level level = encryptionLevel(parsed);
    QString encrypt;
    bool trust = true;
    switch (level) {
    case Level::Optional:
        encrypt = version18 ? QStringLiteral("Optional") : QStringLiteral("no");
        break;
    case Level::Mandatory:
        encrypt = version18 ? QStringLiteral("Mandatory") : QStringLiteral("yes");
        trust = trustsCertificate(parsed);
        break;
    case Level::Strict:
        encrypt = version18 ? QStringLiteral("Strict") : QStringLiteral("yes");
        trust = false;
        break;
    }
    return withDriver(parsed, driver) + Encrypt + QLatin1Char('=') + encrypt + QLatin1Char(';') +
           TrustServerCertificate + QLatin1Char('=') +
           (trust ? QStringLiteral("yes;") : QStringLiteral("no;"));
}

QString freeTdsString(const ConnectionString& parsed, const QString& driver)
{
    const Level level = encryptionLevel(parsed);
    if (level == Level::Strict)
        throw DbError(QStringLiteral(
            "Strict encryption needs Microsoft's ODBC Driver 18 or 17 for SQL Server: FreeTDS, which serves "
            "this connection, cannot be told to check the server's certificate. Install Microsoft's driver, "
            "or ask for mandatory encryption."));
    QString result = withDriver(parsed, driver);
    if (!serverNamesPortOrInstance(parsed))
        result += QStringLiteral("Port=1433;");
    if (!parsed.value(QStringLiteral("TDS_Version")))
        result += QStringLiteral("TDS_Version=7.4;");
    if (level == Level::Mandatory)
        result += QStringLiteral("Encryption=require;");
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
    for (const QString& microsoft : {Microsoft18, Microsoft17}) {
        if (installedDrivers.contains(microsoft, Qt::CaseInsensitive))
            return microsoftString(parsed, microsoft);
    }
    const bool freeTdsInstalled =
        installedDrivers.contains(FreeTds, Qt::CaseInsensitive) || freeTdsLibrary.isEmpty();
    return freeTdsString(parsed, freeTdsInstalled ? FreeTds : freeTdsLibrary);
}

QString explainLoginFailure(const QString& description)
{
    if (!description.contains(QLatin1String("certificate"), Qt::CaseInsensitive))
        return description;
    return description +
           QStringLiteral("\nThe server's certificate could not be verified. Install the certificate of the "
                          "authority that signed it on this machine, or trust it as it is: "
                          "--trust-server-certificate with --encrypt mandatory, or --encrypt optional.");
}

QString resolveDriver(const QString& connectionString)
{
    if (!asksForSqlServer(ConnectionString::parse(connectionString)))
        return connectionString;
    return resolveDriver(connectionString, installedDrivers(),
                         findDriverLibrary(QStringLiteral("libtdsodbc.so")));
}

} // namespace db::odbc
