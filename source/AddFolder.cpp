#include "source/AddFolder.h"

#include "base/UiServices.h"

#include <QDir>
#include <QFileInfo>

namespace AddFolder {

QString BrowseForFolder(UiServices& ui, QObject* owner, const QString& prompt, const QString& startFolder)
{
    return ui.chooseFolder(owner, prompt, startFolder);
}

QString StartingPlace(const QString& typed)
{
    if (typed.trimmed().isEmpty())
        return {};
    QFileInfo place(QDir::cleanPath(typed));
    while (!place.exists()) {
        const QString parent = place.absolutePath();
        if (parent == place.absoluteFilePath())
            return {};
        place.setFile(parent);
    }
    return place.absoluteFilePath();
}

} // namespace AddFolder
