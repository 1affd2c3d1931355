#include "preview/FindReplace.h"

namespace FindReplace {

std::optional<QString> replaceFirst(const QString& line, const QString& find, const QString& replacement)
{
    if (find.isEmpty())
        return std::nullopt;
    const qsizetype position = line.indexOf(find, 0, Qt::CaseInsensitive);
    if (position < 0)
        return std::nullopt;
    QString result;
    result.reserve(line.size() - find.size() + replacement.size());
    result += QStringView(line).left(position);
    result += replacement;
    result += QStringView(line).mid(position + find.size());
    return result;
}

} // namespace FindReplace
