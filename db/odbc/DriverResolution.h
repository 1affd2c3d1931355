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
// "SQL Server" goes unchanged when such a driver is installed. Otherwise Microsoft's "ODBC Driver 18
// for SQL Server", else its "ODBC Driver 17 for SQL Server", serves it when installed, else FreeTDS.
//
// The string's "Encrypt" (optional, mandatory or strict; optional when absent) and
// "TrustServerCertificate" (yes or no) become the chosen driver's own keywords:
// - Microsoft's drivers get Encrypt and TrustServerCertificate always, since version 18 would
//   otherwise demand encryption with a verified certificate. Optional is "Encrypt=Optional" (17:
//   "no") with the certificate trusted, as a server that requires encryption gets it without a
//   check; mandatory is "Mandatory" (17: "yes"), the certificate trusted only when the string says
//   so; strict is "Strict" (17: "yes" with the certificate checked).
// - FreeTDS gets "Encryption=require" for mandatory and nothing for optional; it checks a
//   certificate only against a CA file named in its own configuration, so strict, which could not
//   be kept, throws DbError. Besides, the Driver keyword names the installed driver "FreeTDS", or
//   else `freeTdsLibrary`; "Port=1433" is added when the server names neither a port ("host,port")
//   nor an instance ("host\instance") and no Port keyword is given, since FreeTDS then opens no
//   socket at all; and "TDS_Version=7.4" is added unless a version is given, since with version
//   probing a server that accepts the connection and never answers keeps FreeTDS waiting whatever
//   the login timeout.
QString resolveDriver(const QString& connectionString, const QStringList& installedDrivers,
                      const QString& freeTdsLibrary);

// A failed login's description, with what to change when the server's certificate was refused.
QString explainLoginFailure(const QString& description);

// resolveDriver() with this machine's drivers.
QString resolveDriver(const QString& connectionString);

} // namespace db::odbc
