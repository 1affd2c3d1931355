// The main window's login and option panels, the general help and "Start Converting".
#include "app/Form1.h"
#include "base/AppInfo.h"
#include "base/BusyWait.h"
#include "base/Failure.h"
#include "base/ProgramFiles.h"
#include "base/Steps.h"
#include "base/UiServices.h"
#include "db/TableCodePages.h"
#include "settings/SettingsStore.h"
#include "source/AddFolder.h"
#include "source/Form6.h"

#include <QFileInfo>

namespace {

QString checkValue(const QAbstractButton& box)
{
    return box.isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

// A stored Boolean of Advanced Options; a stored text that is no Boolean counts as false.
bool storedChoice(const SettingsStore& settings, const SettingKey& key)
{
    try {
        return SettingConversion::toBoolean(QLatin1String(key.name), settings.read(key));
    } catch (const Failure&) {
        return false;
    }
}

} // namespace

FoxProSource Form1::foxProSource() const
{
    db::foxpro::ReaderOptions reader;
    reader.unmarkedCodePage = Form6::storedCodePageChoice(m_settings);
    reader.markDeleted = storedChoice(m_settings, Setting::CopyDeleted);
    return FoxProSource{m_state.OptionDBC1, m_state.DBCPath1, m_form.Text2->text(), reader};
}

MSSQLLogin Form1::mssqlLogin() const
{
    return MSSQLLogin{m_form.Text5->text(), m_form.Text6->text(), m_form.Text8->text(),
                      m_form.Text3->text(), m_form.Text4->text(), m_form.Check4->isChecked()};
}

bool Form1::previewEnabled() const
{
    return m_form.Check1->isChecked();
}

bool Form1::previewPerFile() const
{
    return m_form.Option1->isChecked();
}

bool Form1::previewPerTable() const
{
    return m_form.Option2->isChecked();
}

bool Form1::nativeTypes() const
{
    return storedChoice(m_settings, Setting::NativeTypes);
}

bool Form1::verifyValues() const
{
    return storedChoice(m_settings, Setting::VerifyValues);
}

bool Form1::createIndexes() const
{
    return storedChoice(m_settings, Setting::CreateIndexes);
}

// ---- FoxPro Login ----------------------------------------------------------------------------

// Any non-empty folder makes the folder the source; emptying the box leaves the source as it was.
void Form1::Text2_Change()
{
    const QString folder = m_form.Text2->text();
    m_settings.write(Setting::FreeTableFolder, folder);
    if (!folder.isEmpty()) {
        m_settings.write(Setting::FoxproOption, QStringLiteral("2"));
        m_state.OptionDBC1 = false;
    }
    showSource();
}

// Once a DBC file is the source the folder box no longer names it: a short line under the panel's
// buttons and the box's tool tip say which file will be read.
void Form1::showSource()
{
    const bool dbc = m_state.OptionDBC1 && !m_state.DBCPath1.isEmpty();
    m_form.SourceLine->setVisible(dbc);
    m_form.SourceLine->setText(dbc ? QStringLiteral("Source: ") + QFileInfo(m_state.DBCPath1).fileName()
                                   : QString());
    m_form.SourceLine->setToolTip(dbc ? m_state.DBCPath1 : QString());
    m_form.Text2->setToolTip(dbc ? QStringLiteral("The source is %1, chosen under \"dbc\". A folder typed or "
                                                  "chosen here becomes the source instead.")
                                       .arg(m_state.DBCPath1)
                                 : QString());
}

void Form1::PushButton1_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form1.PushButton1_Click"));
    QString folder;
    s.run(100, [&] {
        folder = AddFolder::BrowseForFolder(m_ui, this, QStringLiteral("Please select folder:"),
                                            AddFolder::StartingPlace(m_form.Text2->text()));
    });
    if (folder.isEmpty()) // 102: cancelled
        return;
    s.run(104, [&] { m_form.Text2->setText(folder); });
}

// The samples folder is not checked here: a missing one shows up as a failed connection test.
void Form1::PushButton2_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form1.PushButton2_Click"));
    s.run(100, [&] { m_settings.write(Setting::FoxproOption, QStringLiteral("2")); });
    s.run(102, [&] { m_state.OptionDBC1 = false; });
    s.run(104, [&] { m_form.Text2->setText(ProgramFiles::inProgramFolder(ProgramFiles::samplesName())); });
    showSource();
}

void Form1::PushButton8_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form1.PushButton8_Click"));
    s.run(100, [&] { setBusyPointer(true); });
    bool valid = false;
    QString reason;
    s.run(102, [&] { valid = Foxpro::IsValidFoxProConnection(m_ui, this, foxProSource(), &reason); });
    if (valid)
        s.run(104, [&] {
            m_ui.showMessage(this, QStringLiteral("Connection successful."),
                             TableCodePages::detailsOf(foxProSource()));
        });
    else
        s.run(106, [&] { m_ui.showMessage(this, Foxpro::connectionFailedText(), reason); });
    s.run(108, [&] { setBusyPointer(false); });
}

void Form1::PushButton12_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form1.PushButton12_Click"));
    s.run(100, [&] {
        Form6 options(m_ui, m_settings, m_state, this);
        options.exec();
    });
    showSource();
}

// ---- MS SQL Server Login -----------------------------------------------------------------------

void Form1::Text5_Change()
{
    m_settings.write(Setting::MSSQLServer, m_form.Text5->text());
}

void Form1::Text6_Change()
{
    m_settings.write(Setting::MSSQLPort, m_form.Text6->text());
}

void Form1::Text3_Change()
{
    m_settings.write(Setting::MSSQLUser, m_form.Text3->text());
}

void Form1::Text4_Change()
{
    m_settings.write(Setting::MSSQLPassword, m_form.Text4->text());
}

void Form1::Text8_Change()
{
    m_settings.write(Setting::MSSQLDatabase, m_form.Text8->text());
}

// Only the form of the connection string depends on it; the port box stays editable.
void Form1::Check4_Click()
{
    m_settings.write(Setting::LocalConnection, checkValue(*m_form.Check4));
}

// Every failure to reach the server is the one message below, the driver's reason in its details.
// Nothing stays open: the run opens its own connection.
void Form1::PushButton6_Click()
{
    setBusyPointer(true);
    const MSSQLLogin login = mssqlLogin();
    QString reason;
    bool connected = false;
    runWhileWindowsPaint([&] { connected = MSSQL::IsValidMSSQLConnection(login, &reason); });
    if (connected)
        m_ui.showMessage(this, QStringLiteral("Connection successful."));
    else
        m_ui.showMessage(this, MSSQL::connectionFailedText(), reason);
    setBusyPointer(false);
}

void Form1::PushButton4_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form1.PushButton4_Click"));
    // A client of its own tells a wrong login from a fault of this program.
    const QString advice = QStringLiteral(
        "If you cannot establish connection to your MS SQL Server database with this program, "
        "try to connect to the same database (with the same login information you are using "
        "here) with another client: sqlcmd, Microsoft's command-line tool for SQL Server, or "
        "tsql of FreeTDS (Debian package freetds-bin). This will determine if the login you are "
        "using is correct.\r\rThis program reaches the server through an ODBC driver: "
        "Microsoft's ODBC Driver for SQL Server, or FreeTDS (Debian package tdsodbc).");
    s.run(114, [&] { m_ui.showMessage(this, advice); });
    bool yes = false;
    s.run(116, [&] {
        yes = m_ui.askYesNo(this, QStringLiteral("Would you like to see an image of how I connect locally?"));
    });
    if (!yes)
        return;
    s.run(118, [&] {
        const QString picture = ProgramFiles::inProgramFolder(ProgramFiles::localConnectionPictureName());
        if (!m_ui.openDocument(picture))
            m_ui.showMessage(this, QStringLiteral("The desktop could not open the picture ") + picture +
                                       QStringLiteral(". Please open it with an image viewer."));
    });
}

// ---- SQL Preview -----------------------------------------------------------------------------

// Greying the option buttons out keeps which one is selected.
void Form1::Check1_Click()
{
    const bool on = m_form.Check1->isChecked();
    m_form.Option1->setEnabled(on);
    m_form.Option2->setEnabled(on);
    storeClick(Setting::Check1, checkValue(*m_form.Check1));
}

void Form1::Option_Click()
{
    storeClick(Setting::Option1, SettingConversion::fromBoolean(m_form.Option1->isChecked()));
    storeClick(Setting::Option2, SettingConversion::fromBoolean(m_form.Option2->isChecked()));
}

// A stored text the load could not read stays as the user left it: the load does not replace it
// with whatever the control happened to show. Clicks after the load store as usual.
void Form1::storeClick(const SettingKey& key, const QString& value)
{
    if (!m_unreadAtLoad.contains(QLatin1String(key.name)))
        m_settings.write(key, value);
}

// ---- General help and the run ----------------------------------------------------------------

void Form1::PushButton5_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form1.PushButton5_Click"));
    const QString crlf2 = QStringLiteral("\r\n\r\n");
    s.run(100, [&] {
        m_ui.showMessage(
            this,
            QStringLiteral("This software transfers text-based, numeric and binary / pictures fields (binary "
                           "fields become VARBINARY(MAX) columns).") +
                crlf2 +
                QStringLiteral("SQL Preview lists one line per row: it handles a million lines (about 200 MB "
                               "of memory); convert larger tables without it.") +
                crlf2 + QStringLiteral("Questions? Please contact Team Quenthal at ") +
                AppInfo::contactPage());
    });
}

// The conversion run is set from outside (see setConversionRun); it guards itself against a
// second start while it runs.
void Form1::PushButton7_Click()
{
    if (!m_conversionRun)
        return;
    m_conversionRun();
    // Enter after the closing message must not start the next run.
    m_form.PushButton7->clearFocus();
}
