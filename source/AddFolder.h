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

} // namespace AddFolder
