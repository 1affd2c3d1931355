#pragma once

#include "db/ConnectionString.h"
#include "db/Provider.h"

namespace db::foxpro {

// Opens the FoxPro files named by "Data Source" (a folder of free tables or a .dbc container).
std::unique_ptr<Provider> openProvider(const ConnectionString& connectionString,
                                       const ConnectionOptions& options);

} // namespace db::foxpro
