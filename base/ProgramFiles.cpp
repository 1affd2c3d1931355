#include "base/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ProgramFiles {

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString inProgramFolder(const QString& name)
{
    return companionFile(programFolder(), name);
}

QString companionFile(const QString& folder, const QString& name)
{
    const QString beside = folder + QLatin1Char('/') + name;
    if (FileExists(beside))
        return beside;
    const QString shared = QDir::cleanPath(folder + QStringLiteral("/../share/ferrandine/") + name);
    return FileExists(shared) ? shared : beside;
}

} // namespace ProgramFiles

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}
