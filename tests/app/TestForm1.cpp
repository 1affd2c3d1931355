// The main window offscreen: its start-up from the settings store, the panels' handlers and
// messages, and the pointer rules. Settings live in a temporary file; the desktop is scripted.
#include "app/Form1.h"
#include "base/AppInfo.h"
#include "base/ErrorBox.h"
#include "base/Failure.h"
#include "base/ProgramFiles.h"
#include "source/Form6.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/RecordingSettings.h"
#include "ui/WindowSetup.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Kind = FakeUiServices::Kind;

namespace {

// A configuration folder of its own (XDG_CONFIG_HOME) for as long as it lives.
class ConfigFolder
{
public:
    ConfigFolder() : m_saved(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
    }
    ~ConfigFolder() { qputenv("XDG_CONFIG_HOME", m_saved); }
    ConfigFolder(const ConfigFolder&) = delete;
    ConfigFolder& operator=(const ConfigFolder&) = delete;

    QByteArray read() const
    {
        QFile file(m_dir.filePath(QStringLiteral("Quenthal.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void write(const QByteArray& text) const
    {
        QFile file(m_dir.filePath(QStringLiteral("Quenthal.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_saved;
};

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeUiServices> m_ui;
    std::unique_ptr<RecordingSettings> m_settings;
    std::unique_ptr<Form1> m_form;
    int m_draw = 1;

    Form1& load()
    {
        m_form = std::make_unique<Form1>(*m_ui, *m_settings, nullptr, [this] { return m_draw; });
        return *m_form;
    }
    template <class T = QWidget> T* child(const char* name)
    {
        return m_form->findChild<T*>(QLatin1String(name));
    }
    QLineEdit* box(const char* name) { return child<QLineEdit>(name); }
    QAbstractButton* button(const char* name) { return child<QAbstractButton>(name); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void store(const SettingKey& key, const QString& value) { m_settings->write(key, value); }

private slots:
    void init()
    {
        m_ui = std::make_unique<FakeUiServices>();
        m_settings = std::make_unique<RecordingSettings>();
        m_draw = 1;
    }
    void cleanup() { m_form.reset(); }

    void emptyStoreGivesTheDefaults()
    {
        load();
        QVERIFY(button("Check1")->isChecked());
        QVERIFY(button("Option1")->isChecked() && button("Option1")->isEnabled());
        QVERIFY(!button("Option2")->isChecked() && button("Option2")->isEnabled());
        for (const char* name : {"Text2", "Text5", "Text3", "Text4", "Text8"})
            QCOMPARE(box(name)->text(), QString());
        QCOMPARE(box("Text6")->text(), QStringLiteral("1433"));
        QVERIFY(!button("Check4")->isChecked());
        QVERIFY(m_form->state().OptionDBC1);
        QCOMPARE(m_form->state().DBCPath1, QString());
        // The load writes back only what its handlers store.
        QCOMPARE(m_settings->stored(Setting::MSSQLPort), QStringLiteral("1433"));
        QCOMPARE(m_settings->stored(Setting::Check1), QStringLiteral("1"));
        QCOMPARE(m_settings->stored(Setting::Option1), QStringLiteral("<absent>"));
        QCOMPARE(m_settings->stored(Setting::FoxproOption), QStringLiteral("<absent>"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Ferrandine ") + AppInfo::version());
        QCOMPARE(m_ui->applicationTitle(), QStringLiteral("Ferrandine"));
        QVERIFY(!m_form->windowIcon().isNull());
        QVERIFY(m_ui->calls.empty());
    }

    void storedStateIsRestored()
    {
        store(Setting::MSSQLServer, QStringLiteral("db1"));
        store(Setting::MSSQLUser, QStringLiteral("sa"));
        store(Setting::MSSQLPassword, QStringLiteral("pw;1"));
        store(Setting::MSSQLDatabase, QStringLiteral("sales"));
        store(Setting::MSSQLPort, QStringLiteral("14330"));
        store(Setting::Check1, QStringLiteral("0"));
        store(Setting::Option1, QStringLiteral("False"));
        store(Setting::Option2, QStringLiteral("true"));
        load();
        QCOMPARE(box("Text5")->text(), QStringLiteral("db1"));
        QCOMPARE(box("Text3")->text(), QStringLiteral("sa"));
        QCOMPARE(box("Text4")->text(), QStringLiteral("pw;1"));
        QCOMPARE(box("Text4")->displayText(), QStringLiteral("****"));
        QCOMPARE(box("Text8")->text(), QStringLiteral("sales"));
        QCOMPARE(box("Text6")->text(), QStringLiteral("14330"));
        QVERIFY(!button("Check1")->isChecked());
        QVERIFY(button("Option2")->isChecked() && !button("Option1")->isChecked());
        QVERIFY(!button("Option1")->isEnabled() && !button("Option2")->isEnabled());
        QVERIFY(m_ui->errors().isEmpty());
    }

    // A stored folder always wins: its change handler stores "2" before the mode is read.
    void storedFolderStartsInFolderMode()
    {
        store(Setting::FreeTableFolder, QStringLiteral("/data/tables/"));
        store(Setting::FoxproOption, QStringLiteral("1"));
        store(Setting::DBCFile, QStringLiteral("/data/shop.dbc"));
        load();
        QVERIFY(!m_form->state().OptionDBC1);
        QCOMPARE(m_form->state().DBCPath1, QStringLiteral("/data/shop.dbc"));
        QCOMPARE(m_settings->stored(Setting::FoxproOption), QStringLiteral("2"));
        QCOMPARE(m_form->foxProSource().folder, QStringLiteral("/data/tables/"));
        QVERIFY(!child<QLabel>("SourceLine")->isVisibleTo(m_form.get()));
    }

    void storedDbcFileWithoutFolderStartsInDbcMode()
    {
        store(Setting::FoxproOption, QStringLiteral("1"));
        store(Setting::DBCFile, QStringLiteral("/data/shop.dbc"));
        load();
        QVERIFY(m_form->state().OptionDBC1);
        QCOMPARE(m_form->state().DBCPath1, QStringLiteral("/data/shop.dbc"));
        // The window says which source will be read, until a folder takes over.
        auto* source = child<QLabel>("SourceLine");
        QVERIFY(source->isVisibleTo(m_form.get()));
        QCOMPARE(source->text(), QStringLiteral("Source: shop.dbc"));
        QVERIFY(box("Text2")->toolTip().contains(QLatin1String("/data/shop.dbc")));
        QTest::keyClicks(box("Text2"), QStringLiteral("/"));
        QVERIFY(!source->isVisibleTo(m_form.get()));
        QCOMPARE(box("Text2")->toolTip(), QString());
    }

    void localConnection_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("checked");
        QTest::newRow("absent") << "<absent>" << false;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("one") << "1" << true;
        QTest::newRow("zero with a blank") << "0 " << true;
        QTest::newRow("double zero") << "00" << true;
        QTest::newRow("empty") << "" << true;
    }
    void localConnection()
    {
        QFETCH(QString, stored);
        QFETCH(bool, checked);
        if (stored != QLatin1String("<absent>"))
            store(Setting::LocalConnection, stored);
        load();
        QCOMPARE(button("Check4")->isChecked(), checked);
        QCOMPARE(m_form->mssqlLogin().localConnection, checked);
    }

    // The failing step shows the error box, the control keeps its state and the load goes on; the
    // stored text stays as the user left it, also when a partner option is stored at the load.
    void unreadableStoredValuesAreReportedAndKept_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("step");
        QTest::newRow("Check1 not a number") << "Check1"
                                             << "abc" << 128;
        QTest::newRow("Check1 out of range") << "Check1"
                                             << "2" << 128;
        QTest::newRow("Option1 neither Boolean nor number") << "Option1"
                                                            << "yes" << 130;
        QTest::newRow("Option2 neither Boolean nor number") << "Option2"
                                                            << "maybe" << 132;
    }
    void unreadableStoredValuesAreReportedAndKept()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(int, step);
        store(Setting::Option2, QStringLiteral("True"));
        m_settings->WriteSetting(key, text);
        store(Setting::MSSQLServer, QStringLiteral("db1"));
        load();
        const QStringList errors = m_ui->errors();
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].startsWith(QStringLiteral("Setting \"%1\": \"%2\"").arg(key, text)) ||
                errors[0].startsWith(QStringLiteral("Check1: invalid value")));
        QVERIFY(errors[0].endsWith(QStringLiteral("\r\nin Carrowdel2021/08/31.Form1.Form_Load at line %1\r\r"
                                                  "Please email screenshot of this message to ")
                                       .arg(step) +
                                   AppInfo::supportEmail()));
        QCOMPARE(m_settings->ReadSetting(key, {}), text);
        QCOMPARE(box("Text5")->text(), QStringLiteral("db1"));
        if (key == QLatin1String("Check1"))
            QVERIFY(!button("Check1")->isChecked() && !button("Option1")->isEnabled());
        // A click after the load is the user's choice and is stored.
        click("Check1");
        if (!button("Check1")->isChecked())
            click("Check1");
        click("Option2");
        click("Option1");
        QCOMPARE(m_settings->stored(Setting::Check1), QStringLiteral("1"));
        QCOMPARE(m_settings->stored(Setting::Option1), QStringLiteral("True"));
        QCOMPARE(m_settings->stored(Setting::Option2), QStringLiteral("False"));
    }

    // The settings file as users keep, copy and edit it: the application's file "Quenthal.ini" in
    // the configuration folder, the section and the twelve key names written here byte for byte,
    // blanks in names spelled as the file format spells them, values as a user would type them.
    void settingsFileWrittenByHandIsShown()
    {
        const QByteArray text = "[Ferrandine]\n"
                                "FreeTableFolder=/data/free tables\n"
                                "DBCFile=/data/shop.dbc\n"
                                "FoxproOption=1\n"
                                "MSSQL%20Server=srv,1433\n"
                                "MSSQL%20User= sa\n"
                                "MSSQL%20Password=pa\"ss;1 \n"
                                "MSSQL%20Database=sales\n"
                                "MSSQL%20Port=14330\n"
                                "Local%20Connection=1\n"
                                "Check1=0\n"
                                "Option1=False\n"
                                "Option2=True\n";
        const ConfigFolder config;
        config.write(text);
        IniSettingsStore settings;
        m_form = std::make_unique<Form1>(*m_ui, settings, nullptr, [] { return 1; });
        QVERIFY(m_ui->calls.empty());
        QCOMPARE(box("Text2")->text(), QStringLiteral("/data/free tables"));
        QCOMPARE(m_form->state().DBCPath1, QStringLiteral("/data/shop.dbc"));
        QCOMPARE(box("Text5")->text(), QStringLiteral("srv,1433"));
        QCOMPARE(box("Text3")->text(), QStringLiteral(" sa"));
        QCOMPARE(box("Text4")->text(), QStringLiteral("pa\"ss;1 "));
        QCOMPARE(box("Text8")->text(), QStringLiteral("sales"));
        QCOMPARE(box("Text6")->text(), QStringLiteral("14330"));
        QVERIFY(button("Check4")->isChecked());
        QVERIFY(!button("Check1")->isChecked());
        QVERIFY(button("Option2")->isChecked() && !button("Option1")->isChecked());
        // A stored folder makes the folder the source; every other line keeps its bytes.
        QVERIFY(!m_form->state().OptionDBC1);
        QCOMPARE(config.read(), QByteArray(text).replace("FoxproOption=1", "FoxproOption=2"));
    }

    // The reverse: what is typed and clicked lands under the same names, quoted where commas,
    // semicolons or outer blanks would otherwise change the text for a reader of the format.
    void typedValuesLandUnderTheirKeyNames()
    {
        const ConfigFolder config;
        IniSettingsStore settings;
        m_form = std::make_unique<Form1>(*m_ui, settings, nullptr, [] { return 1; });
        QTest::keyClicks(box("Text2"), QStringLiteral("/data/t"));
        QTest::keyClicks(box("Text5"), QStringLiteral("srv,1433"));
        QTest::keyClicks(box("Text3"), QStringLiteral("sa"));
        QTest::keyClicks(box("Text4"), QStringLiteral(" p;w\""));
        QTest::keyClicks(box("Text8"), QStringLiteral("sales"));
        box("Text6")->clear();
        QTest::keyClicks(box("Text6"), QStringLiteral("14330"));
        click("Check4");
        click("Option2");
        click("Check1");
        Form6 options(*m_ui, settings, m_form->state(), m_form.get());
        QTest::keyClicks(options.findChild<QLineEdit*>(QStringLiteral("Text1")),
                         QStringLiteral("/d/shop.dbc"));
        QTest::mouseClick(options.findChild<QPushButton*>(QStringLiteral("PushButton1")), Qt::LeftButton);
        QList<QByteArray> lines = config.read().split('\n');
        std::sort(lines.begin(), lines.end());
        QCOMPARE(lines,
                 QList<QByteArray>({"", "Check1=0", "DBCFile=/d/shop.dbc", "FoxproOption=1",
                                    "FreeTableFolder=/data/t", "Local%20Connection=1",
                                    "MSSQL%20Database=sales", "MSSQL%20Password=\" p;w\\\"\"",
                                    "MSSQL%20Port=14330", "MSSQL%20Server=\"srv,1433\"", "MSSQL%20User=sa",
                                    "Option1=False", "Option2=True", "[Ferrandine]"}));
        QVERIFY(config.read().startsWith("[Ferrandine]\n"));
    }

    void vendorSiteOpensOnlyOnSeven()
    {
        m_draw = 8;
        load();
        QVERIFY(m_ui->callsOf(Kind::OpenUrl).empty());
        m_draw = 7;
        load();
        QCOMPARE(m_ui->callsOf(Kind::OpenUrl).size(), size_t(1));
        QCOMPARE(m_ui->callsOf(Kind::OpenUrl)[0].text, AppInfo::vendorSite());
    }

    void applicationTitle()
    {
        // 49 characters: removing the last word once is enough.
        QCOMPARE(
            Form1::applicationTitleFor(QStringLiteral("Quenthal FoxPro Database Converter 2021 Corporate")),
            QStringLiteral("Quenthal FoxPro Database Converter 2021"));
        QCOMPARE(
            Form1::applicationTitleFor(QStringLiteral("Quenthal Data Tool Professional Edition Extra 2021")),
            QStringLiteral("Quenthal Data Tool Professional Edition"));
        QCOMPARE(Form1::applicationTitleFor(QStringLiteral("Quenthal FoxPro Converter 2021")),
                 QStringLiteral("Quenthal FoxPro Converter"));
        QCOMPARE(Form1::applicationTitleFor(QStringLiteral("Ferrandine")), QStringLiteral("Ferrandine"));
    }

    void everyKeystrokeIsStored()
    {
        load();
        m_settings->writes.clear();
        QTest::keyClicks(box("Text5"), QStringLiteral("abc"));
        QCOMPARE(m_settings->writesOf(Setting::MSSQLServer), QStringList({"a", "ab", "abc"}));
        QTest::keyClicks(box("Text4"), QStringLiteral("p;w"));
        QCOMPARE(m_settings->stored(Setting::MSSQLPassword), QStringLiteral("p;w"));
        QTest::keyClicks(box("Text3"), QStringLiteral("sa"));
        QTest::keyClicks(box("Text8"), QStringLiteral("db"));
        box("Text6")->clear();
        // The port box takes only what can be a port, 1 to 65535.
        QTest::keyClicks(box("Text6"), QStringLiteral("0a1-"));
        QCOMPARE(m_settings->stored(Setting::MSSQLUser), QStringLiteral("sa"));
        QCOMPARE(m_settings->stored(Setting::MSSQLDatabase), QStringLiteral("db"));
        QCOMPARE(m_settings->writesOf(Setting::MSSQLPort), QStringList({"", "1"}));
        box("Text6")->clear();
        QTest::keyClicks(box("Text6"), QStringLiteral("65536"));
        QCOMPARE(box("Text6")->text(), QStringLiteral("6553"));
    }

    // The first keystroke switches to folder mode; emptying the box does not switch back.
    void typingAFolderSwitchesToFolderMode()
    {
        store(Setting::FoxproOption, QStringLiteral("1"));
        load();
        QVERIFY(m_form->state().OptionDBC1);
        QTest::keyClicks(box("Text2"), QStringLiteral("/"));
        QVERIFY(!m_form->state().OptionDBC1);
        QCOMPARE(m_settings->stored(Setting::FoxproOption), QStringLiteral("2"));
        store(Setting::FoxproOption, QStringLiteral("1"));
        QTest::keyClick(box("Text2"), Qt::Key_Backspace);
        QCOMPARE(m_settings->stored(Setting::FreeTableFolder), QString());
        QCOMPARE(m_settings->stored(Setting::FoxproOption), QStringLiteral("1"));
    }

    void folderPicker()
    {
        load();
        box("Text2")->setText(QStringLiteral("/old/tables"));
        click("PushButton1"); // cancelled
        QCOMPARE(box("Text2")->text(), QStringLiteral("/old/tables"));
        const auto calls = m_ui->callsOf(Kind::ChooseFolder);
        QCOMPARE(calls.size(), size_t(1));
        QCOMPARE(calls[0].extra, QStringLiteral("/")); // the nearest existing folder of the typed path
        QCOMPARE(calls[0].owner, m_form.get());
        QCOMPARE(calls[0].text, QStringLiteral("Please select folder:"));
        m_ui->chosenPaths.push_back(QStringLiteral("/data/Straße"));
        click("PushButton1");
        QCOMPARE(box("Text2")->text(), QStringLiteral("/data/Straße"));
        QCOMPARE(m_settings->stored(Setting::FreeTableFolder), QStringLiteral("/data/Straße"));
    }

    void sampleButtonPointsAtTheSamplesFolder()
    {
        store(Setting::FoxproOption, QStringLiteral("1"));
        load();
        click("PushButton2");
        const QString samples = ProgramFiles::programFolder() + QStringLiteral("/Samples");
        QCOMPARE(box("Text2")->text(), samples);
        QCOMPARE(m_settings->stored(Setting::FreeTableFolder), samples);
        QCOMPARE(m_settings->stored(Setting::FoxproOption), QStringLiteral("2"));
        QVERIFY(!m_form->state().OptionDBC1);
    }

    // A companion file beside the executable wins; an installed program finds it in
    // ../share/ferrandine; one found nowhere is named beside the executable.
    void companionFilesBesideTheProgramOrInstalled_data()
    {
        QTest::addColumn<bool>("beside");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("beside") << true << true << QStringLiteral("bin/Samples");
        QTest::newRow("installed") << false << true << QStringLiteral("share/ferrandine/Samples");
        QTest::newRow("nowhere") << false << false << QStringLiteral("bin/Samples");
    }
    void companionFilesBesideTheProgramOrInstalled()
    {
        QFETCH(bool, beside);
        QFETCH(bool, installed);
        QFETCH(QString, expected);
        QTemporaryDir prefix;
        const QDir root(prefix.path());
        QVERIFY(root.mkpath(QStringLiteral("bin")));
        if (beside)
            QVERIFY(root.mkpath(QStringLiteral("bin/Samples")));
        if (installed)
            QVERIFY(root.mkpath(QStringLiteral("share/ferrandine/Samples")));
        QCOMPARE(
            ProgramFiles::companionFile(root.filePath(QStringLiteral("bin")), ProgramFiles::samplesName()),
            root.filePath(expected));
    }

    // Greying out keeps the selection; the options store both keys as Boolean words.
    void previewOptions()
    {
        load();
        click("Option2");
        QCOMPARE(m_settings->stored(Setting::Option1), QStringLiteral("False"));
        QCOMPARE(m_settings->stored(Setting::Option2), QStringLiteral("True"));
        QVERIFY(m_form->previewPerTable());
        click("Check1");
        QVERIFY(!m_form->previewEnabled());
        QVERIFY(!button("Option1")->isEnabled() && !button("Option2")->isEnabled());
        QVERIFY(button("Option2")->isChecked());
        QCOMPARE(m_settings->stored(Setting::Check1), QStringLiteral("0"));
        click("Check1");
        QVERIFY(button("Option2")->isEnabled() && button("Option2")->isChecked());
        QCOMPARE(m_settings->stored(Setting::Check1), QStringLiteral("1"));
        click("Check4");
        QCOMPARE(m_settings->stored(Setting::LocalConnection), QStringLiteral("1"));
        QVERIFY(box("Text6")->isEnabled());
        click("Check4");
        QCOMPARE(m_settings->stored(Setting::LocalConnection), QStringLiteral("0"));
    }

    void generalHelp()
    {
        load();
        click("PushButton5");
        QCOMPARE(
            m_ui->messages(),
            QStringList(QStringLiteral("This software transfers text-based, numeric and binary / pictures "
                                       "fields (binary fields become VARBINARY(MAX) columns).\r\n\r\nSQL "
                                       "Preview lists one line per row: it handles a million lines (about "
                                       "200 MB of memory); convert larger tables without it.\r\n\r\n"
                                       "Questions? Please "
                                       "contact Team Quenthal at ") +
                        AppInfo::contactPage()));
    }

    void connectionHelp()
    {
        load();
        click("PushButton4"); // "No" to the picture
        QCOMPARE(
            m_ui->messages(),
            QStringList(QStringLiteral(
                "If you cannot establish connection to your MS SQL Server database with this program, try to "
                "connect to the same database (with the same login information you are using here) with "
                "another "
                "client: sqlcmd, Microsoft's command-line tool for SQL Server, or tsql of FreeTDS (Debian "
                "package "
                "freetds-bin). This will determine if the login you are using is correct.\r\rThis program "
                "reaches the server through an ODBC driver: Microsoft's ODBC Driver for SQL Server, or "
                "FreeTDS "
                "(Debian package tdsodbc).")));
        const auto questions = m_ui->callsOf(Kind::Question);
        QCOMPARE(questions.size(), size_t(1));
        QCOMPARE(questions[0].text,
                 QStringLiteral("Would you like to see an image of how I connect locally?"));
        QVERIFY(m_ui->callsOf(Kind::OpenDocument).empty());
        m_ui->answers.push_back(true);
        click("PushButton4");
        const auto opened = m_ui->callsOf(Kind::OpenDocument);
        QCOMPARE(opened.size(), size_t(1));
        QCOMPARE(opened[0].text,
                 ProgramFiles::programFolder() + QStringLiteral("/local-connection-example.jpg"));
        QCOMPARE(m_ui->messages().size(), 2); // the advice, twice
        // A desktop that cannot open the picture says so.
        m_ui->desktopOpens = false;
        m_ui->answers.push_back(true);
        click("PushButton4");
        QCOMPARE(m_ui->messages().size(), 4);
        QVERIFY(m_ui->messages()[3].startsWith(QLatin1String("The desktop could not open the picture ")));
    }

    void startConvertingCallsTheRun()
    {
        load();
        click("PushButton7"); // nothing set: nothing happens
        int runs = 0;
        m_form->setConversionRun([&] { ++runs; }, {});
        m_form->show();
        button("PushButton7")->setFocus();
        QTest::keyClick(button("PushButton7"), Qt::Key_Return);
        QCOMPARE(runs, 1);
        // Enter after the closing message does not start the next run.
        QVERIFY(QApplication::focusWidget() != button("PushButton7"));
        QTest::keyClick(m_form.get(), Qt::Key_Return);
        QCOMPARE(runs, 1);
    }

    // The pointer belongs to the window: buttons set the hand, background, frames and three text
    // boxes the default pointer, other controls nothing; nothing changes while busy.
    void pointerRules()
    {
        load();
        auto move = [&](const char* name) {
            QWidget* widget = child(name ? name : "centralwidget");
            QMouseEvent event(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(widget, &event);
            return m_form->cursor().shape();
        };
        QCOMPARE(move("PushButton8"), Qt::PointingHandCursor); // no HAND-M.CUR beside the tests
        QCOMPARE(move("Text3"), m_form->cursor().shape());     // unchanged
        QVERIFY(move("Label2") != Qt::ArrowCursor);
        QCOMPARE(move("Frame3"), Qt::ArrowCursor);
        move("PushButton7");
        QCOMPARE(move(nullptr), Qt::ArrowCursor);
        move("PushButton7");
        QCOMPARE(move("Text6"), Qt::ArrowCursor);
        m_form->setBusyPointer(true);
        QCOMPARE(move("PushButton1"), Qt::WaitCursor);
        m_form->setBusyPointer(false);
        QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
    }

    void handCursorFileIsReadable()
    {
        const QCursor hand =
            WindowSetup::loadHandCursor(QStringLiteral(FERRANDINE_SOURCE_DIR "/app/companion/HAND-M.CUR"));
        QCOMPARE(hand.pixmap().size(), QSize(32, 32));
        QCOMPARE(hand.hotSpot(), QPoint(7, 0));
        QTemporaryDir dir;
        const QString bad = dir.filePath(QStringLiteral("HAND-M.CUR"));
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\0\0\2\0\1\0", 6) + QByteArray(40, '\xff'));
        file.close();
        QVERIFY_THROWS_EXCEPTION(Failure, WindowSetup::loadHandCursor(bad));
        QVERIFY_THROWS_EXCEPTION(Failure, WindowSetup::loadHandCursor(dir.filePath(QStringLiteral("none"))));
    }

    // Only the user's Tab or click selects: coming back to the window must not, or the next key
    // would replace a stored server or path.
    void focusSelectsTheWholeText_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("selects");
        QTest::newRow("click") << int(Qt::MouseFocusReason) << true;
        QTest::newRow("Tab") << int(Qt::TabFocusReason) << true;
        QTest::newRow("Shift+Tab") << int(Qt::BacktabFocusReason) << true;
        QTest::newRow("window active again") << int(Qt::ActiveWindowFocusReason) << false;
    }
    void focusSelectsTheWholeText()
    {
        QFETCH(int, reason);
        QFETCH(bool, selects);
        load();
        box("Text5")->setText(QStringLiteral("server"));
        box("Text3")->setText(QStringLiteral("user"));
        for (const char* name : {"Text5", "Text3"}) {
            QFocusEvent focus(QEvent::FocusIn, Qt::FocusReason(reason));
            box(name)->deselect();
            QApplication::sendEvent(box(name), &focus);
        }
        QCoreApplication::processEvents();
        QCOMPARE(box("Text5")->selectedText(), selects ? QStringLiteral("server") : QString());
        if (reason == Qt::MouseFocusReason) // a box without the rule (Qt's own selects on Tab)
            QCOMPARE(box("Text3")->selectedText(), QString());
    }

    // Enter presses the focused button (here the general help).
    void enterPressesTheFocusedButton()
    {
        load();
        QTest::keyClick(button("PushButton5"), Qt::Key_Return);
        QCOMPARE(m_ui->messages().size(), 1);
    }

    // Closing the window while a run is in progress asks first; No keeps the window and the run.
    void closingDuringARunAsksFirst()
    {
        load();
        bool running = true;
        m_form->setConversionRun([] {}, [&] { return running; });
        m_form->show();
        QVERIFY(!m_form->close());
        QVERIFY(m_form->isVisible());
        const auto questions = m_ui->callsOf(Kind::Question);
        QCOMPARE(questions.size(), size_t(1));
        QCOMPARE(questions[0].text, QStringLiteral("A conversion is running. Stop it? The table being "
                                                   "copied will be incomplete."));
        QSignalSpy closing(m_form.get(), &Form1::closing);
        m_ui->answers.push_back(true);
        QVERIFY(m_form->close());
        QCOMPARE(closing.size(), 1);
        running = false;
        m_form->show();
        QVERIFY(m_form->close());
        QCOMPARE(m_ui->callsOf(Kind::Question).size(), size_t(2));
    }

    // Every caption shows whole, and the layout follows the form's twips at 15 per pixel.
    void layoutAndCaptions()
    {
        load();
        const double factor = m_form->logicalDpiY() / 96.0;
        QCOMPARE(m_form->size(), QSize(qRound(536 * factor), qRound(508 * factor)));
        // A window of fixed size offers no maximise button.
        QVERIFY(m_form->windowFlags() & Qt::CustomizeWindowHint);
        QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(m_form->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(child("Frame3")->geometry(),
                 QRect(qRound(8 * factor), qRound(144 * factor), qRound(520 * factor), qRound(209 * factor)));
        for (QWidget* widget : m_form->findChildren<QWidget*>()) {
            QString text;
            if (auto* label = qobject_cast<QLabel*>(widget))
                text = label->text();
            else if (auto* b = qobject_cast<QAbstractButton*>(widget))
                text = b->text();
            if (text.isEmpty())
                continue;
            const int needed = qobject_cast<QPushButton*>(widget)
                                   ? widget->fontMetrics().horizontalAdvance(text) + 8
                                   : widget->sizeHint().width();
            QVERIFY2(needed <= widget->width(), qPrintable(widget->objectName()));
        }
    }
};

QTEST_MAIN(TestForm1)
#include "TestForm1.moc"
