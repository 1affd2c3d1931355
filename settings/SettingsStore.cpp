#include "settings/SettingsStore.h"

#include "base/Failure.h"
#include "settings/IniDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtDebug>

#include <cmath>
#include <limits>

namespace {

QString section()
{
    return QStringLiteral("Ferrandine");
}

// A settings file holds a few short lines; anything much larger is not one.
constexpr qint64 maxFileSize = 1 << 20;

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

QByteArray IniSettingsStore::fileText() const
{
    const QFileInfo info(m_filePath);
    if (!info.exists())
        return {};
    const QString problem = QStringLiteral("%1: the settings file cannot be read: %2").arg(m_filePath);
    if (!info.isFile())
        throw Failure(75, problem.arg(QStringLiteral("it is not a file")));
    if (info.size() > maxFileSize)
        throw Failure(7, problem.arg(QStringLiteral("it is larger than %1 bytes").arg(maxFileSize)));
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(75, problem.arg(file.errorString()));
    return file.read(maxFileSize);
}

QString IniSettingsStore::ReadSetting(const QString& key, const QString& defaultText) const
{
    const std::optional<QByteArray> raw = IniDocument(fileText()).rawValue(section(), key);
    if (!raw)
        return defaultText;
    const std::optional<QString> value = IniDocument::decodeValue(*raw);
    if (!value)
        throw Failure(13, QStringLiteral("%1: the setting \"%2\" is not UTF-8 text").arg(m_filePath, key));
    return *value;
}

// The file is rewritten whole, so a file that cannot be read is left alone rather than replaced by
// one that holds only this value. A value already stored as given leaves the file untouched,
// spelled as it was.
void IniSettingsStore::WriteSetting(const QString& key, const QString& value)
{
    try {
        IniDocument document(fileText());
        const std::optional<QByteArray> raw = document.rawValue(section(), key);
        if (raw && IniDocument::decodeValue(*raw) == value)
            return;
        document.setRawValue(section(), key, IniDocument::encodeValue(value));
        keepPrivate();
        QSaveFile file(m_filePath);
        if (!file.open(QIODevice::WriteOnly) || file.write(document.text()) < 0 || !file.commit())
            throw Failure(75, m_filePath + QStringLiteral(": ") + file.errorString());
        keepPrivate();
    } catch (const Failure& failure) {
        qWarning().noquote() << "The setting" << key << "could not be stored:" << failure.description();
    }
}

// The file is created empty with owner-only access before the first value goes into it; it is then
// replaced atomically, keeping the permissions of the file it replaces.
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
