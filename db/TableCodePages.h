#pragma once

#include "db/Connection.h"
#include "db/Foxpro.h"

#include <QString>
#include <QStringList>

#include <vector>

// The code page each table of a FoxPro source is read in, for the user to see what was chosen.
namespace TableCodePages {

struct Entry
{
    QString table;
    db::TextCodePage codePage;
    QString problem; // why the table could not be opened, or empty
};

// The names of the source's tables (not its views), in the order the source lists them.
QStringList tableNames(db::Connection& connection);

// Opens each of `tables` on the source connection.
std::vector<Entry> of(db::Connection& connection, const QStringList& tables);

// "866 Russian MS-DOS"; the number alone for a code page without a name.
QString describe(int codePage);

// The lines telling which tables name no code page and what they are read as, "" when all name one:
// "Tables that name no code page:\nname: read as 866 Russian MS-DOS (guessed from the text)\n...".
QString unmarkedText(const std::vector<Entry>& entries);

// The lines naming the tables that cannot be read and why, "" when every table can:
// "Tables that cannot be read:\nname: reason\n...".
QString unreadableText(const std::vector<Entry>& entries);

// unreadableText and unmarkedText for every table of the source; "" when the source cannot be read.
QString detailsOf(const FoxProSource& source);

} // namespace TableCodePages
