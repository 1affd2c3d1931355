#include "db/foxpro/FoxProProvider.h"

#include "db/DbError.h"

namespace db::foxpro {

std::unique_ptr<Provider> openProvider(const ConnectionString&, const ConnectionOptions&)
{
    throw DbError(QStringLiteral("The FoxPro reader is not available yet."));
}

} // namespace db::foxpro
