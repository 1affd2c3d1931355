#pragma once

#include "db/IndexDefinition.h"
#include "db/foxpro/KeyExpression.h"

#include <QStringList>

#include <optional>

namespace db::foxpro {

class Table;

// What a database container says about a table's keys.
struct ContainerKeys
{
    QString primaryKey;  // the tag of the primary key; empty when there is none
    QStringList keyTags; // the tags it marks primary or candidate
};

// Where a table came from, for reading its indexes: its name, and its container's word on its keys
// (nothing for a free table).
struct IndexContext
{
    QString table;
    std::optional<ContainerKeys> container;
};

// The indexes of an open table, from its structural index file (<table>.cdx beside it, found without
// regard to case) when its header says it has one. The tag's candidate bit makes a key (the file is
// what FoxPro enforces, so it decides where the container disagrees): the primary key when `container`
// names the tag so, a candidate key otherwise; free tables have no primary key. A missing or damaged
// index file costs the indexes, never the rows: it gives no indexes and a problem naming the file.
TableIndexes readStructuralIndex(Table& table, const ExpressionScope& scope,
                                 const std::optional<ContainerKeys>& container);

} // namespace db::foxpro
