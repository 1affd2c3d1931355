#include "db/TableCodePages.h"

#include "base/Failure.h"
#include "db/foxpro/CodePage.h"

namespace TableCodePages {

QStringList tableNames(db::Connection& connection)
{
    QStringList names;
    for (auto schema = connection.openSchema(db::Connection::SchemaTables); !schema->eof();
         schema->moveNext()) {
        const db::Value& type = schema->value(QStringLiteral("TABLE_TYPE"));
        if (std::get_if<QString>(&type) && std::get<QString>(type) == QLatin1String("TABLE"))
            names << std::get<QString>(schema->value(QStringLiteral("TABLE_NAME")));
    }
    return names;
}

std::vector<Entry> of(db::Connection& connection, const QStringList& tables)
{
    std::vector<Entry> entries;
    for (const QString& table : tables) {
        Entry entry{table, {}, {}};
        try {
            entry.codePage =
                connection.openRecordSet(QStringLiteral("SELECT * FROM `%1`").arg(table))->textCodePage();
        } catch (const Failure& failure) {
            entry.problem = failure.description();
        }
        entries.push_back(entry);
    }
    return entries;
}

QString describe(int codePage)
{
    for (const db::foxpro::CodePage::Known& page : db::foxpro::CodePage::known()) {
        if (page.number == codePage)
            return QStringLiteral("%1 %2").arg(codePage).arg(QLatin1String(page.name));
    }
    return QString::number(codePage);
}

QString unmarkedText(const std::vector<Entry>& entries)
{
    QString text;
    for (const Entry& entry : entries) {
        if (!entry.problem.isEmpty() || entry.codePage.origin == QLatin1String("header"))
            continue;
        text += QStringLiteral("%1: read as %2 (%3)\n")
                    .arg(entry.table, describe(entry.codePage.number),
                         entry.codePage.origin == QLatin1String("guess")
                             ? QStringLiteral("guessed from the text")
                             : QStringLiteral("chosen in the options"));
    }
    return text.isEmpty() ? text : QStringLiteral("Tables that name no code page:\n") + text;
}

QString unreadableText(const std::vector<Entry>& entries)
{
    QString text;
    for (const Entry& entry : entries) {
        if (!entry.problem.isEmpty())
            text += QStringLiteral("%1: %2\n").arg(entry.table, entry.problem);
    }
    return text.isEmpty() ? text : QStringLiteral("Tables that cannot be read:\n") + text;
}

QString detailsOf(const FoxProSource& source)
{
    try {
        db::Connection connection;
        connection.open(Foxpro::connectionString(source, Foxpro::Collating::Machine));
        const std::vector<Entry> entries = of(connection, tableNames(connection));
        const QString unreadable = unreadableText(entries);
        const QString unmarked = unmarkedText(entries);
        return unreadable + (unreadable.isEmpty() || unmarked.isEmpty() ? QString() : QStringLiteral("\n")) +
               unmarked;
    } catch (const Failure&) {
        return {};
    }
}

} // namespace TableCodePages
