#pragma once

#include "convert/ConversionRun.h"
#include "convert/DatatypeRowsModel.h"
#include "preview/PreviewController.h"

#include <QPointer>

class Form1;
class Form7;

// The main window as the conversion run sees it: the preview options and logins read from its
// panels each time the run asks, its pointer, and its progress bar with the bar's text.
class Form1RunWindow final : public RunWindow
{
public:
    explicit Form1RunWindow(Form1& form) : m_form(form) {}

    QObject* runOwner() override;
    bool previewMode() const override;
    bool perFilePreview() const override;
    bool perTablePreview() const override;
    bool nativeTypes() const override;
    bool verifyValues() const override;
    bool createIndexes() const override;
    FoxProSource foxProSource() const override;
    MSSQLLogin msSqlLogin() const override;
    void setBusyPointer(bool busy) override;
    void setProgressValue(double percent) override;
    void setProgressText(const QString& text) override;
    // Opens the Run Report window over the main window, without waiting for it to close; the report
    // of a new run replaces one still open.
    void showRunReport(UiServices& ui, const RunReport& report) override;

private:
    Form1& m_form;
    QPointer<Form7> m_report;
};

// What "Start Converting" needs beside the main window, wired to it: the Datatypes rows and the SQL
// Preview the run fills (the preview shows modally over the main window), and the run itself.
class Form1Conversion
{
public:
    Form1Conversion(Form1& form, UiServices& ui, SettingsStore& settings);

private:
    DatatypeRowsModel m_datatypes;
    PreviewController m_preview;
    Form1RunWindow m_window;
    ConversionRun m_run;
};
