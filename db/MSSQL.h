#pragma once

#include <QString>
#include <QStringList>

class UiServices;

// The SQL Server login panel's values.
struct MSSQLLogin
{
    QString server;               // Text5
    QString port;                 // Text6
    QString database;             // Text8
    QString user;                 // Text3
    QString password;             // Text4
    bool localConnection = false; // Check4: leave the port out
};

// The SQL Server target: its connection string, the connection test and the table catalogue.
namespace MSSQL {

// "Driver={SQL Server};Server=" + server [+ "," + port] + ";Database=...;Uid=...;Pwd=...;", each value
// enclosed in braces when it holds ";" or begins with "{".
QString connectionString(const MSSQLLogin& login);

// True when a connection opens; every failure is the answer false, its description in `reason`.
bool IsValidMSSQLConnection(const MSSQLLogin& login, QString* reason = nullptr);
// What the user is told when the target cannot be reached.
inline QString connectionFailedText()
{
    return QStringLiteral("Could not connect. Please check with your administrator.");
}

// Replaces `list` with the target's base tables, less those whose name contains "SYS" in any case.
// Failures throw to the caller.
void AddTablesToMSSQLListbox(UiServices& ui, const MSSQLLogin& login, QStringList& list);

// True when `name` equals an entry without regard to case.
bool IsTableInListbox(const QStringList& list, const QString& name);

// Removes every entry exactly equal to `name`.
void RemoveTableFromListbox(QStringList& list, const QString& name);

} // namespace MSSQL
