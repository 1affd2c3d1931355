#pragma once

#include "db/foxpro/ReaderOptions.h"

#include <QString>
#include <QStringList>

class QObject;
class UiServices;

// What the main window holds about the FoxPro source.
struct FoxProSource
{
    bool OptionDBC1 = false; // true: the DBC file DBCPath1; false: the folder `folder` (Text2)
    QString DBCPath1;
    QString folder;
    // How every table of the source is read where its files leave a choice.
    db::foxpro::ReaderOptions reader;
};

// The FoxPro source: its connection string, the connection test and the table list.
namespace Foxpro {

enum class Collating
{
    Machine,
    General
};

// "Provider=vfpoledb.1;Data Source=" + DBC path or folder + ";Collating Sequence=machine|general;", then
// the reader's options where they differ from its defaults.
QString connectionString(const FoxProSource& source, Collating collating);

// True when a connection to the source opens; a failure to open is the answer false, not a message,
// with the reader's description in `reason`.
bool IsValidFoxProConnection(UiServices& ui, QObject* owner, const FoxProSource& source,
                             QString* reason = nullptr);
// What the user is told when the source cannot be reached.
inline QString connectionFailedText()
{
    return QStringLiteral("Could not connect.");
}

// Replaces `list` with the names of the source's base tables, in the order the source lists them.
// Failures show the error box and the procedure goes on.
void AddTablesToFoxproListbox(UiServices& ui, QObject* owner, const FoxProSource& source, QStringList& list);

} // namespace Foxpro
