#include "base/ErrorBox.h"

#include "base/AppInfo.h"

namespace ErrorBox {

QString text(const QString& description, const QString& location, int step)
{
    return description + QStringLiteral("\r\n") + AppInfo::locationPrefix() + location + QLatin1Char(' ') +
           QStringLiteral("at line ") + QString::number(step) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + AppInfo::supportEmail();
}

} // namespace ErrorBox
