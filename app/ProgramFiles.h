#pragma once

#include <QString>

// The files the program expects beside its executable, in the program folder.
namespace ProgramFiles {

// The folder that holds the program's executable.
QString programFolder();
// `name` inside the program folder ("HAND-M.CUR", "x/o.cjs", ...).
QString inProgramFolder(const QString& name);

inline QString handCursorName()
{
    return QStringLiteral("HAND-M.CUR");
}
inline QString skinName()
{
    return QStringLiteral("x/o.cjs");
}
inline QString samplesName()
{
    return QStringLiteral("Samples");
}
inline QString localConnectionPictureName()
{
    return QStringLiteral("local-connection-example.jpg");
}

} // namespace ProgramFiles

// True when `path` names an existing file or folder; false for an empty or bad path. Never fails.
bool FileExists(const QString& path);
