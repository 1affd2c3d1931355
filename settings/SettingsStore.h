#pragma once

#include <QString>

// One stored setting: its key and the text a reader gets when the key is absent.
struct SettingKey
{
    const char* name;
    const char* defaultText;
};

// Every value the program keeps between runs. The store holds text only; readers convert it
// themselves (see Conversions below).
namespace Setting {
inline constexpr SettingKey FreeTableFolder{"FreeTableFolder", ""};
inline constexpr SettingKey DBCFile{"DBCFile", ""};
// "2": the folder of free tables is the source; anything else (usually "1"): the DBC file.
inline constexpr SettingKey FoxproOption{"FoxproOption", ""};
inline constexpr SettingKey MSSQLServer{"MSSQL Server", ""};
inline constexpr SettingKey MSSQLUser{"MSSQL User", ""};
inline constexpr SettingKey MSSQLPassword{"MSSQL Password", ""};
inline constexpr SettingKey MSSQLDatabase{"MSSQL Database", ""};
inline constexpr SettingKey MSSQLPort{"MSSQL Port", "1433"};
// Exactly "0" leaves the port in the connection string; any other text leaves it out.
inline constexpr SettingKey LocalConnection{"Local Connection", "0"};
inline constexpr SettingKey Check1{"Check1", "1"};
inline constexpr SettingKey Option1{"Option1", "1"};
inline constexpr SettingKey Option2{"Option2", "0"};
// The size the user last gave a window, "WIDTHxHEIGHT" in pixels; empty: its designed size.
inline constexpr SettingKey PreviewSize{"SQL Preview Size", ""};
inline constexpr SettingKey EditLineSize{"Edit Line Size", ""};
// What Find and Replace was last given: its two texts and its two check boxes ("True" or "False").
inline constexpr SettingKey FindWhat{"Find What", ""};
inline constexpr SettingKey ReplaceWith{"Replace With", ""};
inline constexpr SettingKey MatchCase{"Match Case", "False"};
inline constexpr SettingKey EveryOccurrence{"Every Occurrence", "False"};
// Advanced Options' "Create columns with SQL Server's own types": "True" or "False".
inline constexpr SettingKey NativeTypes{"Native Types", "False"};
// Advanced Options' "Check every value after copying (reads each table back)": "True" or "False".
inline constexpr SettingKey VerifyValues{"Verify Values", "False"};
// Advanced Options' "Create keys and indexes from the .cdx files": "True" or "False".
inline constexpr SettingKey CreateIndexes{"Create Indexes", "False"};
// Advanced Options' "Copy deleted records too, marked in a column": "True" or "False".
inline constexpr SettingKey CopyDeleted{"Copy Deleted", "False"};
// The code page of source tables whose header names none: a code page number, or "guess".
inline constexpr SettingKey SourceCodePage{"Source Code Page", "1252"};
} // namespace Setting

// The per-user store of named text values, under the application "Quenthal" and the section
// "Ferrandine". Every write takes effect at once; nothing is cached, so a read sees the last write.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The stored text of `key`, or `defaultText` when the key is absent.
    virtual QString ReadSetting(const QString& key, const QString& defaultText) const = 0;
    // Stores `value` under `key`, creating what is missing.
    virtual void WriteSetting(const QString& key, const QString& value) = 0;

    QString read(const SettingKey& key) const
    {
        return ReadSetting(QString::fromLatin1(key.name), QString::fromLatin1(key.defaultText));
    }
    void write(const SettingKey& key, const QString& value)
    {
        WriteSetting(QString::fromLatin1(key.name), value);
    }
};

// The store as an INI file in the user's configuration folder ("Quenthal.ini", section
// [Ferrandine], see IniDocument for its spelling). Values written by hand are read as they stand;
// a write changes only its own line. A file that cannot be read makes every read fail and is not
// written. The file holds the SQL Server password in plain text, so it is created readable and
// writable by its owner only, and kept so.
class IniSettingsStore final : public SettingsStore
{
public:
    // The user's store.
    IniSettingsStore();
    // A store in the given file (tests).
    explicit IniSettingsStore(QString filePath);

    QString ReadSetting(const QString& key, const QString& defaultText) const override;
    void WriteSetting(const QString& key, const QString& value) override;

    const QString& filePath() const { return m_filePath; }

private:
    // The file's bytes; nothing when it does not exist. Throws Failure when it cannot be read.
    QByteArray fileText() const;
    void keepPrivate() const;

    QString m_filePath;
};

// Conversions the readers of stored texts apply. Both throw Failure naming the key and the text
// when the text cannot be converted.
namespace SettingConversion {

// A 16-bit whole number; a fractional number is rounded half to even.
short toWholeNumber(const QString& key, const QString& text);
// "True"/"False" in any letter case, or a number (0 false, any other true).
bool toBoolean(const QString& key, const QString& text);
// How a Boolean is stored: "True" or "False".
QString fromBoolean(bool value);

} // namespace SettingConversion
