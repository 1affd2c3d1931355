#include "db/foxpro/ReaderOptions.h"

namespace db::foxpro {

namespace {

const QString MissingMemoKey = QStringLiteral("Missing Memo");

} // namespace

QString ReaderOptions::connectionText() const
{
    return emptyMissingMemos ? MissingMemoKey + QStringLiteral("=empty;") : QString();
}

ReaderOptions ReaderOptions::from(const ConnectionString& connectionString)
{
    ReaderOptions options;
    const QString missingMemo = connectionString.value(MissingMemoKey).value_or(QString()).trimmed();
    if (missingMemo.compare(QLatin1String("empty"), Qt::CaseInsensitive) == 0)
        options.emptyMissingMemos = true;
    else if (!missingMemo.isEmpty() && missingMemo.compare(QLatin1String("refuse"), Qt::CaseInsensitive) != 0)
        throw DbError(QStringLiteral("Missing Memo=%1: the value must be refuse or empty.").arg(missingMemo));
    return options;
}

} // namespace db::foxpro
