#include "db/Foxpro.h"

#include "base/Steps.h"
#include "base/UiServices.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"

#include <optional>

namespace Foxpro {

namespace {

QString text(const db::Value& value)
{
    const QString* string = std::get_if<QString>(&value);
    return string ? *string : QString();
}

} // namespace

QString connectionString(const FoxProSource& source, Collating collating)
{
    // The path goes in as typed; only a path holding ";" (or starting with "{") is enclosed in braces,
    // since otherwise the connection string would end it there and name another folder.
    const QString path = source.OptionDBC1 ? source.DBCPath1 : source.folder;
    return QStringLiteral("Provider=vfpoledb.1;Data Source=") + db::ConnectionString::quoteValue(path) +
           (collating == Collating::Machine ? QStringLiteral(";Collating Sequence=machine;")
                                            : QStringLiteral(";Collating Sequence=general;")) +
           source.reader.connectionText();
}

bool IsValidFoxProConnection(UiServices& ui, QObject* owner, const FoxProSource& source, QString* reason)
{
    Steps s(ui, owner, QStringLiteral("Foxpro.IsValidFoxProConnection"));
    std::optional<db::Connection> connection;
    s.run(100, [&] { connection.emplace(); });
    if (!connection)
        return false;
    // 102 on: every failure is the answer false, without a message.
    try {
        connection->setCursorLocation(db::ConnectionOptions::UseServer);
        connection->open(
            connectionString(source, source.OptionDBC1 ? Collating::Machine : Collating::General));
        return true;
    } catch (...) {
        if (reason)
            *reason = Steps::describe(std::current_exception());
        return false;
    }
}

void AddTablesToFoxproListbox(UiServices& ui, QObject* owner, const FoxProSource& source, QStringList& list)
{
    Steps s(ui, owner, QStringLiteral("Foxpro.AddTablesToFoxproListbox"));
    QString connectionText;
    if (s.test(100, [&] { return source.OptionDBC1; }))
        s.run(102, [&] { connectionText = connectionString(source, Collating::Machine); });
    else
        s.run(104, [&] { connectionText = connectionString(source, Collating::General); });
    // 106 created the row set object; here the schema request creates it (112).
    std::unique_ptr<db::RecordSet> tables;
    std::optional<db::Connection> connection;
    s.run(108, [&] { connection.emplace(); });
    // Without an open connection or a row set there is nothing to read: the procedure ends.
    if (!s.run(110, [&] { connection.value().open(connectionText); }))
        return;
    if (!s.run(112, [&] { tables = connection->openSchema(db::Connection::SchemaTables); }))
        return;
    s.run(114, [&] { list.clear(); });
    while (!tables->eof()) { // 116
        if (s.test(118, [&] {
                return text(tables->value(QStringLiteral("TABLE_TYPE"))) == QLatin1String("TABLE");
            })) {
            s.run(120, [&] { ui.processEvents(); });
            s.run(122, [&] { list.append(text(tables->value(QStringLiteral("TABLE_NAME")))); });
        }
        if (!s.run(124, [&] { tables->moveNext(); }))
            break; // a row set that cannot move on would keep the loop on this row for ever
    }
    s.run(126, [&] { tables->close(); });
    s.run(128, [&] { tables.reset(); });
    s.run(130, [&] { connection->close(); });
    s.run(132, [&] { connection.reset(); });
}

} // namespace Foxpro
