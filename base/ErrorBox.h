#pragma once

#include <QString>

namespace ErrorBox {

inline QString title()
{
    return QStringLiteral("Application Error");
}

// The text of the error box for a failure in a numbered step:
//   description CR LF "in Carrowdel2021/08/31." location " " "at line " step CR CR
//   "Please email screenshot of this message to " support address
// where location is "Window.Procedure" (or "Module.Procedure").
QString text(const QString& description, const QString& location, int step);

} // namespace ErrorBox
