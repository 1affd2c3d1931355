#include "db/foxpro/ReaderOptions.h"

namespace db::foxpro {

namespace {

const QString MissingMemoKey = QStringLiteral("Missing Memo");
const QString CodePageKey = QStringLiteral("Code Page");
const QString GuessWord = QStringLiteral("guess");

} // namespace

int ReaderOptions::codePageChoice(const QString& text)
{
    const QString word = text.trimmed();
    if (word.compare(GuessWord, Qt::CaseInsensitive) == 0)
        return Guess;
    bool number = false;
    const int page = word.toInt(&number);
    if (!number || !CodePage::isKnown(page))
        throw DbError(
            QStringLiteral("\"%1\" is neither a code page this reader knows nor \"guess\".").arg(text));
    return page;
}

QString ReaderOptions::codePageChoiceText(int choice)
{
    return choice == Guess ? GuessWord : QString::number(choice);
}

QString ReaderOptions::connectionText() const
{
    QString text;
    if (emptyMissingMemos)
        text += MissingMemoKey + QStringLiteral("=empty;");
    if (unmarkedCodePage != CodePage::Default)
        text += CodePageKey + u'=' + codePageChoiceText(unmarkedCodePage) + u';';
    return text;
}

ReaderOptions ReaderOptions::from(const ConnectionString& connectionString)
{
    ReaderOptions options;
    const QString missingMemo = connectionString.value(MissingMemoKey).value_or(QString()).trimmed();
    if (missingMemo.compare(QLatin1String("empty"), Qt::CaseInsensitive) == 0)
        options.emptyMissingMemos = true;
    else if (!missingMemo.isEmpty() && missingMemo.compare(QLatin1String("refuse"), Qt::CaseInsensitive) != 0)
        throw DbError(QStringLiteral("Missing Memo=%1: the value must be refuse or empty.").arg(missingMemo));
    if (const std::optional<QString> page = connectionString.value(CodePageKey))
        options.unmarkedCodePage = codePageChoice(*page);
    return options;
}

} // namespace db::foxpro
