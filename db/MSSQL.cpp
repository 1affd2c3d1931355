#include "db/MSSQL.h"

#include "base/Steps.h"
#include "base/UiServices.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"

namespace MSSQL {

namespace {

QString text(const db::Value& value)
{
    const QString* string = std::get_if<QString>(&value);
    return string ? *string : QString();
}

QString encryptionKeywords(const MSSQLLogin& login)
{
    QString keywords;
    if (login.encryption == Encryption::Mandatory)
        keywords += QStringLiteral("Encrypt=mandatory;");
    else if (login.encryption == Encryption::Strict)
        keywords += QStringLiteral("Encrypt=strict;");
    if (login.trustServerCertificate)
        keywords += QStringLiteral("TrustServerCertificate=yes;");
    return keywords;
}

} // namespace

QString connectionString(const MSSQLLogin& login)
{
    // A value holding ";" or beginning with "{" is braced, so that a password such as "se;cret" stays
    // one value instead of cutting the string short; every other value goes in as typed.
    using db::ConnectionString;
    const QString server =
        login.localConnection ? login.server : login.server + QLatin1Char(',') + login.port;
    return QStringLiteral("Driver={SQL Server};Server=") + ConnectionString::quoteValue(server) +
           QStringLiteral(";Database=") + ConnectionString::quoteValue(login.database) +
           QStringLiteral(";Uid=") + ConnectionString::quoteValue(login.user) + QStringLiteral(";Pwd=") +
           ConnectionString::quoteValue(login.password) + QLatin1Char(';') + encryptionKeywords(login);
}

bool IsValidMSSQLConnection(const MSSQLLogin& login, QString* reason)
{
    try {
        db::Connection connection;
        connection.open(connectionString(login));
        return true;
    } catch (...) {
        if (reason)
            *reason = Steps::describe(std::current_exception());
        return false;
    }
}

void AddTablesToMSSQLListbox(UiServices& ui, const MSSQLLogin& login, QStringList& list,
                             QStringList* everyTable)
{
    db::Connection connection;
    connection.open(connectionString(login));
    std::unique_ptr<db::RecordSet> tables = connection.openSchema(db::Connection::SchemaTables);
    list.clear();
    if (everyTable)
        everyTable->clear();
    while (!tables->eof()) {
        if (text(tables->value(QStringLiteral("TABLE_TYPE"))) == QLatin1String("TABLE")) {
            ui.processEvents();
            const QString name = text(tables->value(QStringLiteral("TABLE_NAME")));
            if (!name.toUpper().contains(QLatin1String("SYS")))
                list.append(name);
            if (everyTable)
                everyTable->append(name);
        }
        tables->moveNext();
    }
    tables->close();
    connection.close();
}

bool IsTableInListbox(const QStringList& list, const QString& name)
{
    const QString lower = name.toLower();
    for (const QString& entry : list) {
        if (entry.toLower() == lower)
            return true;
    }
    return false;
}

void RemoveTableFromListbox(QStringList& list, const QString& name)
{
    list.removeAll(name);
}

} // namespace MSSQL
