#pragma once

#include <QString>

// The files the program expects beside its executable, in the program folder. An installed program
// keeps them in ../share/ferrandine relative to its executable instead (bin/ferrandine and
// share/ferrandine/ under one prefix); a file beside the executable wins.
namespace ProgramFiles {

// The folder that holds the program's executable.
QString programFolder();
// Where the companion file `name` ("HAND-M.CUR", "x/o.cjs", ...) is: in the program folder, else in
// the shared data folder; a file found in neither place is named in the program folder.
QString inProgramFolder(const QString& name);
// The same rule for an executable in `folder`.
QString companionFile(const QString& folder, const QString& name);

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
