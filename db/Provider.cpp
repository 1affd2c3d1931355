#include "db/Provider.h"

#include "db/DbError.h"

namespace db {

BatchResult Provider::executeBatch(const QStringList& statements, const QString& opening)
{
    if (!opening.isEmpty())
        execute(opening);
    return executeEach(statements);
}

BatchResult Provider::executeEach(const QStringList& statements)
{
    BatchResult result;
    for (const QString& statement : statements) {
        try {
            execute(statement);
        } catch (const ConnectionLost& lost) {
            result.lost = lost.description();
            return result;
        } catch (const DbError& error) {
            result.failures.emplace_back(result.accounted, error.description());
        }
        ++result.accounted;
    }
    result.complete = true;
    return result;
}

} // namespace db
