#pragma once

#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "db/foxpro/CodePage.h"

#include <QString>

namespace db::foxpro {

// What a connection to FoxPro files decides for every table it reads, chosen by pairs of the
// connection string that only our reader knows: "Missing Memo=refuse|empty", "Code Page=N|guess",
// "Bad Values=null|refuse" and "Deleted=skip|mark".
struct ReaderOptions
{
    // unmarkedCodePage: guess the code page from the table's text.
    static constexpr int Guess = 0;

    // A table whose memo file is missing is read with every memo, general and blob value NULL
    // instead of being refused.
    bool emptyMissingMemos = false;
    // The code page of tables whose header names none (one CodePage knows), or Guess. A table that
    // names its code page is always read with it.
    int unmarkedCodePage = CodePage::Default;
    // A record holding a value that does not decode (a date "NotAYear", a NaN) is refused whole,
    // instead of being read with that value NULL and the value counted.
    bool refuseBadValues = false;
    // Deleted records are read too, and every table gets one more column at its end telling which
    // records are deleted (1) and which are not (0).
    bool markDeleted = false;

    // The choice as a user writes it: the number, or "guess". Throws DbError naming a text that is
    // neither a known code page nor "guess".
    static int codePageChoice(const QString& text);
    static QString codePageChoiceText(int choice);

    // The pairs that choose these options, "" for the defaults: "Missing Memo=empty;Code Page=866;".
    QString connectionText() const;
    // The options a connection string chooses; throws DbError naming a value it does not know.
    static ReaderOptions from(const ConnectionString& connectionString);
};

// A table has memo fields but its memo file is missing.
class MissingMemoFile : public DbError
{
public:
    using DbError::DbError;
};

} // namespace db::foxpro
