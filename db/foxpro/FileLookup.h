#pragma once

#include <QString>

namespace db::foxpro {

// Names in FoxPro sources come from Windows, where case does not matter; on this system it does.

// The path of the entry `name` in `folder`, matched without regard to case (an exact match first),
// or an empty text when there is none.
QString findInFolder(const QString& folder, const QString& name);

// Resolves a relative Windows path (backslashes, "..", any case) against `folder`; an empty text when
// some part of it does not exist.
QString resolveRelative(const QString& folder, const QString& relativePath);

} // namespace db::foxpro
