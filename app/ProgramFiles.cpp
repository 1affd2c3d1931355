#include "app/ProgramFiles.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace ProgramFiles {

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString inProgramFolder(const QString& name)
{
    return programFolder() + QLatin1Char('/') + name;
}

} // namespace ProgramFiles

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}
