#pragma once

#include <QString>
#include <QStringList>

namespace db::odbc {

// The names of the drivers the driver manager knows (its system and user driver lists).
QStringList installedDrivers();

// The full path of an installed ODBC driver library such as "libtdsodbc.so", or an empty text: looked
// for beside the driver manager's own library (and in its "odbc" folder), then under /usr/local/lib.
QString findDriverLibrary(const QString& fileName);

// The connection string as it goes to the driver manager. A string that asks for the driver
// "SQL Server" goes unchanged when such a driver is installed. Otherwise FreeTDS serves it: the
// Driver keyword names the installed driver "FreeTDS", or else `freeTdsLibrary`; "Port=1433" is added
// when the server names neither a port ("host,port") nor an instance ("host\instance") and no Port
// keyword is given, since FreeTDS then opens no socket at all; and "TDS_Version=7.4" is added unless
// a version is given, since with version probing a server that accepts the connection and never
// answers keeps FreeTDS waiting whatever the login timeout.
QString resolveDriver(const QString& connectionString, const QStringList& installedDrivers,
                      const QString& freeTdsLibrary);

// resolveDriver() with this machine's drivers.
QString resolveDriver(const QString& connectionString);

} // namespace db::odbc
