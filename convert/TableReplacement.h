#pragma once

#include <QString>
#include <QStringView>

namespace db {
class Connection;
}

namespace convert {

// Replacing a table on the target: its DROP TABLE and the CREATE TABLE that follows run in one
// transaction, so that when the server refuses the CREATE the user's old table is back. Both SQL
// Server and SQLite can undo a DROP TABLE; the statements themselves are sent as they are.
// A lost connection is thrown as it is: nothing can be undone on it, and the server rolls back the
// transaction of a connection that ends.
class TableReplacement
{
public:
    TableReplacement() = default;
    TableReplacement(const TableReplacement&) = delete;
    TableReplacement& operator=(const TableReplacement&) = delete;
    ~TableReplacement();

    // Opens the transaction and drops. A DROP that fails is undone and its error thrown.
    void drop(db::Connection& connection, const QString& dropText);
    // Creates, then commits the replacement a drop() started; a CREATE that fails undoes the drop
    // and its error is thrown. Without a drop before it, the CREATE simply runs.
    void create(db::Connection& connection, const QString& createText);
    // Undoes a drop whose CREATE was never sent; throws when that fails. Nothing happens when no drop
    // is pending.
    void cancel();

    bool pending() const { return m_connection != nullptr; }

    // Whether two lines of a statement list are one table's replacement: "DROP TABLE [t]" and then
    // "CREATE TABLE [t](...". Names compare without regard to case, as SQL Server's do by default.
    static bool isReplacement(QStringView dropLine, QStringView createLine);

private:
    // Runs a statement of the pending replacement; when it fails, rolls back and throws its error
    // (a lost connection as it is).
    void executeOrRollBack(const QString& statement);
    // Rolls back; false when that fails, whose description is then added to `error`.
    bool rollBack(QString& error);

    db::Connection* m_connection = nullptr;
};

} // namespace convert
