#include "db/Provider.h"

#include "db/DbError.h"

namespace db {

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
    return result;
}

} // namespace db
