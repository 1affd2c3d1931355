#pragma once

#include <QString>
#include <QStringList>

class UiServices;

// How much encryption the connection asks for. Optional asks for none (the server may still require
// it) and never fails on the server's certificate; Mandatory always encrypts and checks the certificate
// unless the login trusts it; Strict always encrypts and always checks the certificate.
enum class Encryption
{
    Optional,
    Mandatory,
    Strict
};

// The SQL Server login panel's values, and the command line's encryption choice.
struct MSSQLLogin
{
    QString server;               // Text5
    QString port;                 // Text6
    QString database;             // Text8
    QString user;                 // Text3
    QString password;             // Text4
    bool localConnection = false; // Check4: leave the port out
    Encryption encryption = Encryption::Optional;
    bool trustServerCertificate = false;
};

// The SQL Server target: its connection string, the connection test and the table catalogue.
namespace MSSQL {

// "Driver={SQL Server};Server=" + server [+ "," + port] + ";Database=...;Uid=...;Pwd=...;", each value
// enclosed in braces when it holds ";" or begins with "{". A login that asks for more than optional
// encryption adds "Encrypt=mandatory;" or "Encrypt=strict;", and one that trusts the certificate
// "TrustServerCertificate=yes;"; the driver resolution turns them into the chosen driver's keywords.
QString connectionString(const MSSQLLogin& login);

// True when a connection opens; every failure is the answer false, its description in `reason`.
bool IsValidMSSQLConnection(const MSSQLLogin& login, QString* reason = nullptr);
// What the user is told when the target cannot be reached.
inline QString connectionFailedText()
{
    return QStringLiteral("Could not connect. Please check with your administrator.");
}

// Replaces `list` with the target's base tables, less those whose name contains "SYS" in any case,
// and `everyTable`, when given, with all of them. Failures throw to the caller.
void AddTablesToMSSQLListbox(UiServices& ui, const MSSQLLogin& login, QStringList& list,
                             QStringList* everyTable = nullptr);

// True when `name` equals an entry without regard to case.
bool IsTableInListbox(const QStringList& list, const QString& name);

// Removes every entry exactly equal to `name`.
void RemoveTableFromListbox(QStringList& list, const QString& name);

} // namespace MSSQL
