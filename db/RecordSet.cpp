#include "db/RecordSet.h"

#include "db/DbError.h"

namespace db {

const Value& RecordSet::value(const QString& fieldName) const
{
    const std::vector<Field>& all = fields();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return values().at(i);
    }
    throw DbError(QStringLiteral("Item cannot be found in the collection corresponding to the requested name "
                                 "or ordinal: %1")
                      .arg(fieldName));
}

} // namespace db
