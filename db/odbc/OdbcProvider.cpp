#include "db/odbc/OdbcProvider.h"

#include "db/DbError.h"

namespace db::odbc {

std::unique_ptr<Provider> openProvider(const QString&, const ConnectionOptions&)
{
    throw DbError(QStringLiteral("The ODBC layer is not available yet."));
}

} // namespace db::odbc
