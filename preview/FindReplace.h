#pragma once

#include <QString>

#include <optional>

namespace FindReplace {

// How "Replace" compares and how far it goes in a line; both off is the designed pass.
struct Options
{
    bool matchCase = false;
    bool everyOccurrence = false;
};

// `line` with the first occurrence of `find` (every occurrence, with `everyOccurrence`), compared
// without regard to case unless `matchCase`, replaced by `replacement` exactly as typed; nothing when
// `find` is empty or does not occur. The text put in is not searched again. No pattern characters,
// no whole-word rule, no trimming.
std::optional<QString> replace(const QString& line, const QString& find, const QString& replacement,
                               Options options = {});

} // namespace FindReplace
