#include "app/SettingsStore.h"

#include "app/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QtDebug>

#include <cmath>
#include <limits>

namespace {

QString section()
{
    return QStringLiteral("Ferrandine");
}

constexpr QFile::Permissions ownerOnly =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;

// Number syntax of stored texts: blanks around the number, a point as the decimal separator.
bool parseNumber(const QString& text, double& number)
{
    bool ok = false;
    number = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(number);
}

} // namespace

IniSettingsStore::IniSettingsStore()
    : IniSettingsStore(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                       QStringLiteral("/Quenthal.ini"))
{}

IniSettingsStore::IniSettingsStore(QString filePath) : m_filePath(std::move(filePath)) {}

QString IniSettingsStore::ReadSetting(const QString& key, const QString& defaultText) const
{
    QSettings settings(m_filePath, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        throw Failure(1, m_filePath + QStringLiteral(": the settings file cannot be read"));
    settings.beginGroup(section());
    return settings.value(key, defaultText).toString();
}

void IniSettingsStore::WriteSetting(const QString& key, const QString& value)
{
    keepPrivate();
    QSettings settings(m_filePath, QSettings::IniFormat);
    settings.beginGroup(section());
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qWarning().noquote() << m_filePath << ": the setting" << key << "could not be stored";
    keepPrivate();
}

// The file is created empty with owner-only access before the first value goes into it; QSettings
// replaces it atomically and keeps the permissions of the file it replaces.
void IniSettingsStore::keepPrivate() const
{
    QFileInfo info(m_filePath);
    if (!info.exists()) {
        QDir().mkpath(info.absolutePath());
        QFile file(m_filePath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
            return;
    }
    if ((QFile::permissions(m_filePath) & ~ownerOnly) != 0)
        QFile::setPermissions(m_filePath, ownerOnly);
}

namespace SettingConversion {

short toWholeNumber(const QString& key, const QString& text)
{
    double number = 0;
    if (!parseNumber(text, number))
        throw Failure(13, QStringLiteral("Setting \"%1\": \"%2\" is not a whole number").arg(key, text));
    const double rounded = std::nearbyint(number); // the default rounding mode: half to even
    if (rounded < std::numeric_limits<short>::min() || rounded > std::numeric_limits<short>::max())
        throw Failure(6, QStringLiteral("Setting \"%1\": \"%2\" is out of range").arg(key, text));
    return static_cast<short>(rounded);
}

bool toBoolean(const QString& key, const QString& text)
{
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    double number = 0;
    if (!parseNumber(text, number))
        throw Failure(
            13, QStringLiteral("Setting \"%1\": \"%2\" is neither True, False nor a number").arg(key, text));
    return number != 0;
}

QString fromBoolean(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace SettingConversion
