#pragma once

#include <QFileInfo>
#include <QString>
#include <QtTest>

// The collection of real FoxPro files and the SQL Server wire stand-in live outside the repository,
// in the shared folder beside it (../shared) or where FERRANDINE_SHARED_DIR points. A clone without
// them skips the tests that need them; where FERRANDINE_REQUIRE_SHARED is set (this repository's CI,
// which has the folder) a missing file fails instead, so a wrong path cannot skip them silently.
namespace SharedFiles {

inline QString path(const QString& relative)
{
    return QStringLiteral(FERRANDINE_SHARED_DIR "/") + relative;
}

// Empty when the file or folder is there; otherwise the line that says what is missing and how to
// provide it.
inline QString missing(const QString& relative)
{
    if (QFileInfo::exists(path(relative)))
        return {};
    return QStringLiteral("%1 is not there: this test needs the shared folder of real FoxPro files and "
                          "tools beside the repository (../shared), or name it with FERRANDINE_SHARED_DIR "
                          "(environment or CMake variable)")
        .arg(path(relative));
}

} // namespace SharedFiles

// Skips the calling test function (or, in initTestCase, the whole test) when `relative` is missing
// from the shared folder.
#define REQUIRE_SHARED(relative)                                                                             \
    do {                                                                                                     \
        const QString missingShared = SharedFiles::missing(relative);                                        \
        if (!missingShared.isEmpty()) {                                                                      \
            if (qEnvironmentVariableIsSet("FERRANDINE_REQUIRE_SHARED"))                                      \
                QFAIL(qPrintable(missingShared));                                                            \
            QSKIP(qPrintable(missingShared));                                                                \
        }                                                                                                    \
    } while (false)
