#pragma once

#include "db/ConnectionString.h"
#include "db/Provider.h"

namespace db::foxpro {

// Opens the FoxPro files named by "Data Source" (a folder of free tables or a .dbc container).
// "Collating Sequence" is accepted and changes nothing: it orders comparisons, never stored values.
// The reader's own pairs (ReaderOptions) choose how it reads every table of the connection.
// Throws DbError naming the path when the source is missing or is no database container.
std::unique_ptr<Provider> openProvider(const ConnectionString& connectionString,
                                       const ConnectionOptions& options);

} // namespace db::foxpro
