#pragma once

#include <QString>
#include <QTemporaryDir>

#include <utility>
#include <vector>

// A private ODBC configuration for one test process: a driver list and an empty data source list in a
// temporary folder, which the driver manager reads instead of the machine's (ODBCSYSINI, ODBCINI, and
// HOME for the user's own lists), and an empty FreeTDS configuration instead of the machine's
// (FREETDSCONF). The driver manager keeps the first configuration a process sees, so
// create it before the first ODBC call, and give each driver mapping its own test executable.
class PrivateOdbcConfig
{
public:
    // `drivers`: (driver name, library path) pairs, e.g. {"SQL Server", sqliteDriverLibrary()}.
    explicit PrivateOdbcConfig(const std::vector<std::pair<QString, QString>>& drivers);

    const QString& folder() const { return m_folder; }
    // Empty when the configuration was written; otherwise what went wrong.
    const QString& error() const { return m_error; }

    // The SQLite ODBC driver library: the machine's "SQLite3" driver entry, else the installed
    // library file; an empty text when there is none.
    static QString sqliteDriverLibrary();
    // The FreeTDS ODBC driver library, or an empty text.
    static QString freeTdsDriverLibrary();

    // Registers the SQLite ODBC driver as "SQL Server" for the rest of this process, so that the
    // program's own connection strings reach an SQLite database file named as the database. An empty
    // text when that worked; otherwise what went wrong.
    static QString registerSqliteAsSqlServer();

private:
    QTemporaryDir m_dir;
    QString m_folder;
    QString m_error;
};
