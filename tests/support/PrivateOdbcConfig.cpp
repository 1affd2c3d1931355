#include "PrivateOdbcConfig.h"

#include "db/odbc/DriverResolution.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

} // namespace

PrivateOdbcConfig::PrivateOdbcConfig(const std::vector<std::pair<QString, QString>>& drivers)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder: ") + m_dir.errorString();
        return;
    }
    m_folder = m_dir.path();
    QByteArray ini;
    for (const auto& [name, library] : drivers)
        ini +=
            '[' + name.toUtf8() + "]\nDescription=" + name.toUtf8() + "\nDriver=" + library.toUtf8() + "\n\n";
    const QString odbcIni = m_folder + QStringLiteral("/odbc.ini");
    const QString freeTdsConf = m_folder + QStringLiteral("/freetds.conf");
    if (!writeFile(m_folder + QStringLiteral("/odbcinst.ini"), ini) || !writeFile(odbcIni, {}) ||
        !writeFile(freeTdsConf, {})) {
        m_error = QStringLiteral("cannot write the ODBC configuration in ") + m_folder;
        return;
    }
    // The machine's FreeTDS settings must not decide an outcome either: connection strings carry all.
    qputenv("FREETDSCONF", QFile::encodeName(freeTdsConf));
    qputenv("ODBCSYSINI", QFile::encodeName(m_folder));
    qputenv("ODBCINI", QFile::encodeName(odbcIni));
    qunsetenv("ODBCINSTINI");
    // The user's own ~/.odbcinst.ini and ~/.odbc.ini would add to the lists.
    qputenv("HOME", QFile::encodeName(m_folder));
}

QString PrivateOdbcConfig::sqliteDriverLibrary()
{
    const QSettings machine(QStringLiteral("/etc/odbcinst.ini"), QSettings::IniFormat);
    const QString registered = machine.value(QStringLiteral("SQLite3/Driver")).toString();
    if (!registered.isEmpty()) {
        if (QFileInfo(registered).isAbsolute() && QFileInfo(registered).isFile())
            return registered;
        const QString found = db::odbc::findDriverLibrary(QFileInfo(registered).fileName());
        if (!found.isEmpty())
            return found;
    }
    return db::odbc::findDriverLibrary(QStringLiteral("libsqlite3odbc.so"));
}

QString PrivateOdbcConfig::freeTdsDriverLibrary()
{
    return db::odbc::findDriverLibrary(QStringLiteral("libtdsodbc.so"));
}

QString PrivateOdbcConfig::registerSqliteAsSqlServer()
{
    const QString driver = sqliteDriverLibrary();
    if (driver.isEmpty())
        return QStringLiteral("The SQLite ODBC driver (Debian package libsqliteodbc) is not installed.");
    static const PrivateOdbcConfig config({{QStringLiteral("SQL Server"), driver}});
    return config.error();
}
