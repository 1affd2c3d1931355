#include "db/foxpro/ReaderOptions.h"

namespace db::foxpro {

namespace {

const QString MissingMemoKey = QStringLiteral("Missing Memo");
const QString CodePageKey = QStringLiteral("Code Page");
const QString GuessWord = QStringLiteral("guess");
const QString BadValuesKey = QStringLiteral("Bad Values");
const QString DeletedKey = QStringLiteral("Deleted");

// The value of pair `key`: true for `yes`, false for `no` or when the pair is missing; throws DbError
// naming any other word.
bool choice(const ConnectionString& connectionString, const QString& key, const char* no, const char* yes)
{
    const QString word = connectionString.value(key).value_or(QString()).trimmed();
    if (word.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0)
        return true;
    if (!word.isEmpty() && word.compare(QLatin1String(no), Qt::CaseInsensitive) != 0)
        throw DbError(QStringLiteral("%1=%2: the value must be %3 or %4.")
                          .arg(key, word, QLatin1String(no), QLatin1String(yes)));
    return false;
}

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
    if (refuseBadValues)
        text += BadValuesKey + QStringLiteral("=refuse;");
    if (markDeleted)
        text += DeletedKey + QStringLiteral("=mark;");
    return text;
}

ReaderOptions ReaderOptions::from(const ConnectionString& connectionString)
{
    ReaderOptions options;
    options.emptyMissingMemos = choice(connectionString, MissingMemoKey, "refuse", "empty");
    if (const std::optional<QString> page = connectionString.value(CodePageKey))
        options.unmarkedCodePage = codePageChoice(*page);
    options.refuseBadValues = choice(connectionString, BadValuesKey, "null", "refuse");
    options.markDeleted = choice(connectionString, DeletedKey, "skip", "mark");
    return options;
}

} // namespace db::foxpro
