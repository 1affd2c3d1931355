#pragma once

#include "convert/ConversionRun.h"

class Form1;

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
    FoxProSource foxProSource() const override;
    MSSQLLogin msSqlLogin() const override;
    void setBusyPointer(bool busy) override;
    void setProgressValue(double percent) override;
    void setProgressText(const QString& text) override;

private:
    Form1& m_form;
};
