#include "convert/MemoProblems.h"

#include "base/UiServices.h"
#include "convert/StatementText.h"

namespace convert {

const QString MissingMemoTitle = QStringLiteral("Memo file missing");

namespace {

// A connection of its own reads this one table without its memo file; the table's records stay
// readable after the connection is gone, since they hold their files themselves.
std::unique_ptr<db::RecordSet> openWithoutMemo(db::Connection& connection, const FoxProSource& source,
                                               const QString& query)
{
    FoxProSource withoutMemo = source;
    withoutMemo.reader.emptyMissingMemos = true;
    db::Connection lenient;
    lenient.setCursorLocation(connection.options().cursorLocation);
    lenient.open(Foxpro::connectionString(withoutMemo, Foxpro::Collating::Machine));
    return lenient.openRecordSet(query);
}

} // namespace

SourceTable openSourceTable(db::Connection& connection, const FoxProSource& source, const QString& table,
                            UiServices& ui, QObject* owner)
{
    const QString query = sourceQueryText(table);
    try {
        return {connection.openRecordSet(query), connection.openRecordSet(query)};
    } catch (const db::foxpro::MissingMemoFile&) {
        if (!ui.askYesNo(owner,
                         QStringLiteral("The memo file of table %1 is missing. Copy the table without its "
                                        "memo text (memo columns left empty)?")
                             .arg(table),
                         MissingMemoTitle))
            return {};
    }
    return {openWithoutMemo(connection, source, query), openWithoutMemo(connection, source, query)};
}

std::unique_ptr<db::RecordSet> reopenSourceTable(db::Connection& connection, const FoxProSource& source,
                                                 const QString& table)
{
    const QString query = sourceQueryText(table);
    try {
        return connection.openRecordSet(query);
    } catch (const db::foxpro::MissingMemoFile&) {
        return openWithoutMemo(connection, source, query);
    }
}

} // namespace convert
