#pragma once

#include "db/ConnectionString.h"
#include "db/DbError.h"

#include <QString>

namespace db::foxpro {

// What a connection to FoxPro files decides for every table it reads, chosen by pairs of the
// connection string that only our reader knows: "Missing Memo=refuse|empty".
struct ReaderOptions
{
    // A table whose memo file is missing is read with every memo, general and blob value NULL
    // instead of being refused.
    bool emptyMissingMemos = false;

    // The pairs that choose these options, "" for the defaults: "Missing Memo=empty;".
    QString connectionText() const;
    // The options a connection string chooses; throws DbError naming a value it does not know.
    static ReaderOptions from(const ConnectionString& connectionString);
};

// A table has memo fields but its memo file is missing.
class MissingMemoFile : public DbError
{
public:
    using DbError::DbError;
};

} // namespace db::foxpro
