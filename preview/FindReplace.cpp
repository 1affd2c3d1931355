#include "preview/FindReplace.h"

namespace FindReplace {

std::optional<QString> replace(const QString& line, const QString& find, const QString& replacement,
                               Options options)
{
    if (find.isEmpty())
        return std::nullopt;
    const Qt::CaseSensitivity sensitivity = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    qsizetype position = line.indexOf(find, 0, sensitivity);
    if (position < 0)
        return std::nullopt;
    QString result;
    qsizetype copied = 0;
    do {
        result += QStringView(line).sliced(copied, position - copied);
        result += replacement;
        copied = position + find.size();
        position = options.everyOccurrence ? line.indexOf(find, copied, sensitivity) : -1;
    } while (position >= 0);
    result += QStringView(line).sliced(copied);
    return result;
}

} // namespace FindReplace
