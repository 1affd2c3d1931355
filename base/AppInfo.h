#pragma once

#include "base/Version.h"

#include <QString>

// The product's fixed texts and addresses, kept in one place so that every window, message and
// mail hand-off reads the same.
namespace AppInfo {

inline QString productTitle()
{
    return QStringLiteral("Ferrandine");
}
// The release, as the package, `ferrandine-cli --version` and the main window's caption show it.
inline QString version()
{
    return QStringLiteral(FERRANDINE_VERSION);
}
inline QString organisation()
{
    return QStringLiteral("Quenthal");
}

// Prefix of the location line of the error box: it is followed by "Window.Procedure ".
inline QString locationPrefix()
{
    return QStringLiteral("in Carrowdel2021/08/31.");
}

inline QString supportEmail()
{
    return QStringLiteral("support@quenthal.example");
}
inline QString vendorSite()
{
    return QStringLiteral("https://www.quenthal.example/");
}
inline QString contactPage()
{
    return QStringLiteral("https://www.quenthal.example/contact");
}

} // namespace AppInfo
