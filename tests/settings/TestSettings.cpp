// The settings store on a real INI file in a temporary folder, and the conversions of stored texts.
#include "base/Failure.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file() const { return m_dir.filePath(QStringLiteral("sub/Quenthal.ini")); }
    QByteArray fileBytes() const
    {
        QFile ini(file());
        return ini.open(QIODevice::ReadOnly) ? ini.readAll() : QByteArray();
    }
    void writeFile(const QByteArray& text) const
    {
        QDir().mkpath(m_dir.filePath(QStringLiteral("sub")));
        QFile ini(file());
        QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(text) == text.size());
    }

private slots:
    void init() { QFile::remove(file()); }

    void absentKeysGiveTheirDefaults()
    {
        IniSettingsStore store(file());
        QCOMPARE(store.read(Setting::MSSQLPort), QStringLiteral("1433"));
        QCOMPARE(store.read(Setting::LocalConnection), QStringLiteral("0"));
        QCOMPARE(store.read(Setting::Check1), QStringLiteral("1"));
        QCOMPARE(store.read(Setting::Option1), QStringLiteral("1"));
        QCOMPARE(store.read(Setting::Option2), QStringLiteral("0"));
        QCOMPARE(store.read(Setting::FoxproOption), QString());
        QVERIFY(!QFile::exists(file())); // reading creates nothing
    }

    // Values reach the file at once, under [Ferrandine], and come back unchanged, however odd.
    void valuesSurviveAsTheyStand_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("comma") << "srv,1433";
        QTest::newRow("semicolon and braces") << "pa;ss{w}ord";
        QTest::newRow("blanks around") << "  spaced  ";
        QTest::newRow("leading at sign") << "@Variant(x)";
        QTest::newRow("quotes and backslashes") << "C:\\data\\\"q\"";
        QTest::newRow("non-ASCII") << "Zürich Ørsted ✓ 🙂";
        QTest::newRow("control character before a digit") << "a\x01"
                                                             "1";
        QTest::newRow("NUL before a hex digit") << QStringLiteral("a") + QChar(0) + QStringLiteral("1f");
        QTest::newRow("only a trailing blank") << "pass ";
        QTest::newRow("empty") << "";
        QTest::newRow("line break") << "a\r\nb";
    }
    void valuesSurviveAsTheyStand()
    {
        QFETCH(QString, value);
        IniSettingsStore(file()).write(Setting::MSSQLPassword, value);
        QCOMPARE(IniSettingsStore(file()).read(Setting::MSSQLPassword), value);
        QVERIFY(fileBytes().startsWith("[Ferrandine]\nMSSQL%20Password="));
        // Earlier versions read the file through Qt's INI format. Qt keeps parsed files by path and
        // trusts an unchanged size and time, so each row reads a copy of its own.
        const QString older = m_dir.filePath(QStringLiteral("older %1.ini").arg(QTest::currentDataTag()));
        QVERIFY(QFile::copy(file(), older));
        QCOMPARE(QSettings(older, QSettings::IniFormat).value("Ferrandine/MSSQL Password").toString(), value);
    }

    // Files edited by hand: values are read as they stand, and writing another key keeps every line.
    void handWrittenFilesAreReadAsTheyStand_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("server"); // "<absent>": the default is read; "<failure>"
        const QByteArray head = "[Ferrandine]\n";
        QTest::newRow("unquoted comma") << head + "MSSQL%20Server=srv,1433\n"
                                        << "srv,1433";
        QTest::newRow("blanks around") << head + "MSSQL%20Server=  srv  \n"
                                       << "  srv  ";
        QTest::newRow("lone quotes") << head + "MSSQL%20Server=\"pa\"ss\n"
                                     << "\"pa\"ss";
        QTest::newRow("semicolon") << head + "MSSQL%20Server=a;b\n"
                                   << "a;b";
        QTest::newRow("quoted whole") << head + "MSSQL%20Server= \"a, b\" \n"
                                      << "a, b";
        QTest::newRow("escapes") << head + "MSSQL%20Server=C:\\\\d\\\"q\\\"\\tx\n"
                                 << "C:\\d\"q\"\tx";
        QTest::newRow("lone backslash") << head + "MSSQL%20Server=C:\\data\\\n"
                                        << "C:\\data\\";
        QTest::newRow("doubled at sign") << head + "MSSQL%20Server=@@srv\n"
                                         << "@srv";
        QTest::newRow("CR LF lines") << QByteArray("[Ferrandine]\r\nMSSQL%20Server=srv\r\n") << "srv";
        QTest::newRow("blank in the key") << head + "MSSQL Server=srv\n"
                                          << "srv";
        QTest::newRow("no newline at the end") << head + "MSSQL%20Server=srv"
                                               << "srv";
        QTest::newRow("the last occurrence counts")
            << head + "MSSQL%20Server=a\n[Other]\nMSSQL%20Server=b\n\n[Ferrandine]\nMSSQL%20Server=c\n; end\n"
            << "c";
        QTest::newRow("other section") << QByteArray("[Other]\nMSSQL%20Server=a\n") << "<absent>";
        QTest::newRow("comment") << head + ";MSSQL%20Server=a\n"
                                 << "<absent>";
        QTest::newRow("header without bracket") << QByteArray("[Ferrandine\nMSSQL%20Server=a\n") << "a";
        QTest::newRow("line without equals") << head + "damaged\nMSSQL%20Server=a\n"
                                             << "a";
        QTest::newRow("not UTF-8") << head + "MSSQL%20Server=Z\xfcrich\n"
                                   << "<failure>";
    }
    void handWrittenFilesAreReadAsTheyStand()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, server);
        writeFile(text);
        IniSettingsStore store(file());
        const auto read = [&] {
            try {
                return store.ReadSetting(QStringLiteral("MSSQL Server"), QStringLiteral("<absent>"));
            } catch (const Failure& failure) { // naming the key
                return failure.description().contains("\"MSSQL Server\"") ? QStringLiteral("<failure>")
                                                                          : failure.description();
            }
        };
        QCOMPARE(read(), server);
        store.write(Setting::MSSQLUser, QStringLiteral("sa"));
        QCOMPARE(store.read(Setting::MSSQLUser), QStringLiteral("sa"));
        QCOMPARE(read(), server);
        const QList<QByteArray> lines = fileBytes().split('\n');
        for (const QByteArray& line : text.split('\n'))
            QVERIFY2(lines.contains(line), line.constData());
    }

    // A file that cannot be read fails every read and is not replaced by one holding a single value.
    void unreadableFileIsLeftAlone()
    {
        const QByteArray text = "[Ferrandine]\nCheck1=0\n" + QByteArray(2 << 20, ';');
        writeFile(text);
        IniSettingsStore store(file());
        QVERIFY_THROWS_EXCEPTION(Failure, store.read(Setting::Check1));
        store.write(Setting::Check1, QStringLiteral("1"));
        QCOMPARE(fileBytes(), text);
    }

    // It holds the password in plain text: readable and writable by its owner only, also when it
    // existed before with wider permissions.
    void fileIsPrivateToItsOwner()
    {
        IniSettingsStore store(file());
        store.write(Setting::MSSQLPassword, QStringLiteral("secret"));
        const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        QCOMPARE(QFile::permissions(file()), ownerOnly);
        QFile::setPermissions(file(), ownerOnly | QFile::ReadGroup | QFile::ReadOther);
        store.write(Setting::MSSQLUser, QStringLiteral("sa"));
        QCOMPARE(QFile::permissions(file()), ownerOnly);
    }

    void userStoreLivesInTheConfigurationFolder()
    {
        QStandardPaths::setTestModeEnabled(true);
        IniSettingsStore store;
        QCOMPARE(store.filePath(),
                 QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Quenthal.ini");
        QStandardPaths::setTestModeEnabled(false);
    }

    void wholeNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -1000: a failure
        QTest::newRow("one") << "1" << 1;
        QTest::newRow("zero with blanks") << " 0 " << 0;
        QTest::newRow("fraction rounds half to even") << "2.5" << 2;
        QTest::newRow("largest") << "32767" << 32767;
        QTest::newRow("overflow") << "32768" << -1000;
        QTest::newRow("word") << "abc" << -1000;
        QTest::newRow("empty") << "" << -1000;
        QTest::newRow("Boolean word") << "True" << -1000;
    }
    void wholeNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        if (expected == -1000) {
            try {
                SettingConversion::toWholeNumber(QStringLiteral("Check1"), text);
                QFAIL("no failure");
            } catch (const Failure& failure) {
                QVERIFY(failure.description().contains(QStringLiteral("\"Check1\"")));
                QVERIFY(failure.description().contains(QLatin1Char('"') + text + QLatin1Char('"')));
            }
        } else {
            QCOMPARE(SettingConversion::toWholeNumber(QStringLiteral("Check1"), text), expected);
        }
    }

    void booleans_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // 1 true, 0 false, -1 a failure
        QTest::newRow("True") << "True" << 1;
        QTest::newRow("false in lower case") << "false" << 0;
        QTest::newRow("TRUE in upper case") << "TRUE" << 1;
        QTest::newRow("number one") << "1" << 1;
        QTest::newRow("number zero") << "0" << 0;
        QTest::newRow("negative number") << "-1" << 1;
        QTest::newRow("yes") << "yes" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void booleans()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        if (expected < 0) {
            QVERIFY_THROWS_EXCEPTION(Failure, SettingConversion::toBoolean(QStringLiteral("Option1"), text));
        } else {
            QCOMPARE(SettingConversion::toBoolean(QStringLiteral("Option1"), text), expected == 1);
        }
        QCOMPARE(SettingConversion::fromBoolean(true), QStringLiteral("True"));
        QCOMPARE(SettingConversion::fromBoolean(false), QStringLiteral("False"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "TestSettings.moc"
