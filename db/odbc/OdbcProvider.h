#pragma once

#include "db/Provider.h"

namespace db::odbc {

// Opens an ODBC connection through the driver manager with the whole connection string.
std::unique_ptr<Provider> openProvider(const QString& connectionString, const ConnectionOptions& options);

} // namespace db::odbc
