#pragma once

#include "convert/SharedState.h"
#include "db/Foxpro.h"
#include "db/MSSQL.h"
#include "ui/PointerRules.h"
#include "ui_Form1.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>

class SettingsStore;
class UiServices;

// The main window: the program's start-up window and the owner of its working state.
//
// Its load (run by the constructor) restores the panels from the settings store; from then on every
// change of a text box, check box or option button is stored at once, so nothing is stored when
// the window closes. The two login panels test the FoxPro source and the SQL Server target, the
// "dbc" button opens Advanced Options, and "Start Converting" hands over to the conversion run,
// which reads the panels through the accessors below and the shared state through state().
// Closing this window ends the program.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    // Draws a whole number from 1 to 100; the vendor's site opens when it draws 7.
    using ChanceSource = std::function<int()>;

    Form1(UiServices& ui, SettingsStore& settings, QWidget* parent = nullptr, ChanceSource chance = {});

    SharedState& state() { return m_state; }
    // Hidden work lists of the run: tables that exist on the target, and the source tables.
    QStringList List1;
    QStringList List2;

    // The panels as the run and the connection tests read them.
    FoxProSource foxProSource() const;
    MSSQLLogin mssqlLogin() const;
    bool previewEnabled() const;  // Check1
    bool previewPerFile() const;  // Option1
    bool previewPerTable() const; // Option2
    // Advanced Options' "Create columns with SQL Server's own types", as stored; a stored text that
    // is no Boolean counts as not chosen.
    bool nativeTypes() const;
    // Advanced Options' "Check every value after copying (reads each table back)", likewise.
    bool verifyValues() const;
    // Advanced Options' "Create keys and indexes from the .cdx files", as stored.
    bool createIndexes() const;
    QProgressBar& progressBar() { return *m_form.ProgressBar1; }
    void setBusyPointer(bool busy) { m_pointer.setBusy(busy); }

    // What "Start Converting" starts, and whether it is in progress. Until one is set the button
    // does nothing.
    void setConversionRun(std::function<void()> run, std::function<bool()> inProgress)
    {
        m_conversionRun = std::move(run);
        m_runInProgress = std::move(inProgress);
    }

    // The application title for a product title: its last word removed (at least once) until it is
    // 40 characters or fewer. A title without a space is used whole.
    static QString applicationTitleFor(const QString& productTitle);

signals:
    // The window is closing and the program ends: whatever is in progress stops.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Form_Load();
    void Text2_Change();
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton8_Click();
    void PushButton12_Click();
    void Text5_Change();
    void Text6_Change();
    void Text3_Change();
    void Text4_Change();
    void Text8_Change();
    void Check4_Click();
    void PushButton6_Click();
    void PushButton4_Click();
    void Check1_Click();
    void Option_Click();
    void PushButton5_Click();
    void PushButton7_Click();

private:
    void connectHandlers();
    void setUpPointer();
    void ApplySkin();
    void OpenVendorSiteByChance();
    void SetApplicationTitle();
    void restorePreviewOptions(class Steps& s);
    void restoreTexts(class Steps& s);
    void storeClick(const struct SettingKey& key, const QString& value);
    void showSource();

    UiServices& m_ui;
    SettingsStore& m_settings;
    ChanceSource m_chance;
    Ui::Form1 m_form;
    PointerRules m_pointer{*this};
    SharedState m_state;
    std::function<void()> m_conversionRun;
    std::function<bool()> m_runInProgress;
    // Keys whose stored text the running load could not read.
    QStringList m_unreadAtLoad;
};
