#pragma once

#include <QString>

class QObject;
class UiServices;

// Choosing the folder of free tables.
namespace AddFolder {

// Shows the desktop's folder chooser, owned by `owner`, with `prompt` above it, opened at
// `startFolder` (the chooser's default place when empty), offering folders only. Returns the full
// path of the chosen folder, or empty text when the user cancels.
QString BrowseForFolder(UiServices& ui, QObject* owner, const QString& prompt, const QString& startFolder);

// Where a folder or file chooser opens for the path typed in a box: the path itself when it exists,
// else its nearest existing parent folder; empty (the chooser's own default) when the box is empty
// or nothing of the path exists.
QString StartingPlace(const QString& typed);

} // namespace AddFolder
