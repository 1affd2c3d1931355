#include "app/Form1RunWindow.h"

#include "app/Form1.h"
#include "report/Form7.h"

QObject* Form1RunWindow::runOwner()
{
    return &m_form;
}

bool Form1RunWindow::previewMode() const
{
    return m_form.previewEnabled();
}

bool Form1RunWindow::perFilePreview() const
{
    return m_form.previewPerFile();
}

bool Form1RunWindow::perTablePreview() const
{
    return m_form.previewPerTable();
}

bool Form1RunWindow::nativeTypes() const
{
    return m_form.nativeTypes();
}

bool Form1RunWindow::verifyValues() const
{
    return m_form.verifyValues();
}

bool Form1RunWindow::createIndexes() const
{
    return m_form.createIndexes();
}

FoxProSource Form1RunWindow::foxProSource() const
{
    return m_form.foxProSource();
}

MSSQLLogin Form1RunWindow::msSqlLogin() const
{
    return m_form.mssqlLogin();
}

void Form1RunWindow::setBusyPointer(bool busy)
{
    m_form.setBusyPointer(busy);
}

void Form1RunWindow::setProgressValue(double percent)
{
    m_form.progressBar().setValue(qRound(percent));
}

void Form1RunWindow::setProgressText(const QString& text)
{
    m_form.progressBar().setFormat(text);
}

void Form1RunWindow::showRunReport(UiServices& ui, const RunReport& report)
{
    delete m_report;
    m_report = new Form7(ui, report, &m_form);
    m_report->setAttribute(Qt::WA_DeleteOnClose);
    m_report->open();
}

Form1Conversion::Form1Conversion(Form1& form, UiServices& ui, SettingsStore& settings)
    : m_preview(ui, settings, form.state(), m_datatypes, &form), m_window(form),
      m_run(m_window, form.state(), ui, m_preview, m_datatypes, form.List1, form.List2)
{
    form.setConversionRun([this] { m_run.start(); }, [this] { return m_run.isConverting(); });
    QObject::connect(&form, &Form1::closing, &form, [this] { m_run.abandon(); });
}
