#include "convert/TableReplacement.h"

#include "db/Connection.h"
#include "db/DbError.h"

namespace convert {

namespace {

const QString Begin = QStringLiteral("BEGIN TRANSACTION");
const QString Commit = QStringLiteral("COMMIT TRANSACTION");
const QString Rollback = QStringLiteral("ROLLBACK TRANSACTION");

} // namespace

TableReplacement::~TableReplacement()
{
    try {
        cancel();
    } catch (const db::DbError&) {
        // Going away with the connection, which ends its transaction all the same.
    }
}

void TableReplacement::drop(db::Connection& connection, const QString& dropText)
{
    cancel();
    connection.execute(Begin);
    m_connection = &connection;
    executeOrRollBack(dropText);
}

void TableReplacement::create(db::Connection& connection, const QString& createText)
{
    if (m_connection != &connection) {
        cancel();
        connection.execute(createText);
        return;
    }
    executeOrRollBack(createText);
    m_connection = nullptr;
    connection.execute(Commit);
}

void TableReplacement::executeOrRollBack(const QString& statement)
{
    try {
        m_connection->execute(statement);
    } catch (const db::ConnectionLost&) {
        m_connection = nullptr; // the server ends the transaction with the connection
        throw;
    } catch (const db::DbError& error) {
        QString description = error.description();
        rollBack(description);
        throw db::DbError(description, error.number());
    }
}

void TableReplacement::cancel()
{
    if (!m_connection)
        return;
    QString description = QStringLiteral("The table was dropped and not created again.");
    if (!rollBack(description))
        throw db::DbError(description);
}

bool TableReplacement::rollBack(QString& error)
{
    db::Connection* connection = m_connection;
    m_connection = nullptr;
    try {
        connection->execute(Rollback);
        return true;
    } catch (const db::DbError& failure) {
        error += QStringLiteral("\nThe dropped table could not be restored: ") + failure.description();
        return false;
    }
}

bool TableReplacement::isReplacement(QStringView dropLine, QStringView createLine)
{
    static const QString dropStart = QStringLiteral("DROP TABLE ");
    static const QString createStart = QStringLiteral("CREATE TABLE ");
    if (!dropLine.startsWith(dropStart, Qt::CaseInsensitive))
        return false;
    const QStringView name = dropLine.sliced(dropStart.size()).trimmed();
    return !name.isEmpty() && createLine.startsWith(createStart, Qt::CaseInsensitive) &&
           createLine.sliced(createStart.size()).startsWith(name, Qt::CaseInsensitive) &&
           createLine.sliced(createStart.size() + name.size()).trimmed().startsWith(u'(');
}

} // namespace convert
