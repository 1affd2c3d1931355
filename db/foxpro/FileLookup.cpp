#include "db/foxpro/FileLookup.h"

#include <QDir>
#include <QFileInfo>

namespace db::foxpro {

QString findInFolder(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(name)))
        return dir.filePath(name);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return {};
}

QString resolveRelative(const QString& folder, const QString& relativePath)
{
    QString current = folder;
    const QStringList parts =
        QString(relativePath).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            current = QFileInfo(current).dir().path();
            continue;
        }
        current = findInFolder(current, part);
        if (current.isEmpty())
            return {};
    }
    return current;
}

} // namespace db::foxpro
