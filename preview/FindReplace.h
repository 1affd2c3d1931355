#pragma once

#include <QString>

#include <optional>

namespace FindReplace {

// `line` with the first occurrence of `find`, compared without regard to case, replaced by
// `replacement` exactly as typed; nothing when `find` is empty or does not occur. No pattern
// characters, no whole-word rule, no trimming.
std::optional<QString> replaceFirst(const QString& line, const QString& find, const QString& replacement);

} // namespace FindReplace
