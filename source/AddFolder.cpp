#include "source/AddFolder.h"

#include "app/UiServices.h"

namespace AddFolder {

QString BrowseForFolder(UiServices& ui, QObject* owner, const QString& prompt, const QString& startFolder)
{
    return ui.chooseFolder(owner, prompt, startFolder);
}

} // namespace AddFolder
