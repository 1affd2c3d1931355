#pragma once

#include "ui/PointerRules.h"
#include "ui_Form4.h"

#include <QDialog>

class SettingsStore;
class StatementListModel;
class UiServices;

// The Edit Line window: rewrites one line of the preview list. The caller sets ListLine, then the
// text, then shows the window; "OK" writes the text back unchanged into line ListLine, "Cancel" and
// the title bar leave the line as it was. The window can be resized, keeps the size the user gives
// it, and opens larger (up to two thirds of the screen) for a statement its box cannot show whole.
class Form4 : public QDialog
{
    Q_OBJECT

public:
    Form4(UiServices& ui, SettingsStore& settings, StatementListModel& statements, QWidget* parent = nullptr);

    // 1-based line of the preview list being edited.
    int ListLine = 0;
    void setText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void Form_Load();
    void PushButton1_Click();
    void PushButton2_Click();
    // Grows the window for a text its box cannot show whole.
    void fitText();

    UiServices& m_ui;
    SettingsStore& m_settings;
    StatementListModel& m_statements;
    Ui::Form4 m_form;
    PointerRules m_pointer{*this};
    QString m_text;  // the line's text as the caller gave it
    QString m_shown; // the same as the text box shows it
    QSize m_openedSize;
};
