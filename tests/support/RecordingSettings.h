#pragma once

#include "settings/SettingsStore.h"

#include <QStringList>
#include <QTemporaryDir>

#include <utility>
#include <vector>

// A real settings file in a temporary folder that also records every write, in order.
class RecordingSettings final : public SettingsStore
{
public:
    RecordingSettings() : m_store(m_dir.filePath(QStringLiteral("Quenthal.ini"))) {}

    QString ReadSetting(const QString& key, const QString& defaultText) const override
    {
        return m_store.ReadSetting(key, defaultText);
    }
    void WriteSetting(const QString& key, const QString& value) override
    {
        writes.emplace_back(key, value);
        m_store.WriteSetting(key, value);
    }

    // The values written under one key, in order.
    QStringList writesOf(const SettingKey& key) const
    {
        QStringList values;
        for (const auto& [name, value] : writes) {
            if (name == QLatin1String(key.name))
                values << value;
        }
        return values;
    }
    // The stored text, or "<absent>".
    QString stored(const SettingKey& key) const
    {
        return ReadSetting(QLatin1String(key.name), QStringLiteral("<absent>"));
    }

    std::vector<std::pair<QString, QString>> writes;

private:
    QTemporaryDir m_dir;
    IniSettingsStore m_store;
};
