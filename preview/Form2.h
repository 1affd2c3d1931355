#pragma once

#include "preview/StatementExecution.h"
#include "ui/PointerRules.h"
#include "ui_Form2.h"

#include <QDialog>

class DatatypeRowsModel;
class SettingsStore;
class StatementListModel;
class UiServices;
struct SharedState;

// The SQL Preview window: shows the statements the run collected, one per line, and lets the user
// edit a line (Form4), find and replace (Form3), look at the type mapping (Form5), copy or mail, and
// finally leave in one of three ways: "Execute SQL" (runs the list on the run's target connection,
// sets SQLFormOK and, once the whole list ran, clears SQLFormEndRun), "Skip Table / Do Not Execute
// SQL" (clears SQLFormEndRun) or "< Back" / Escape / the title bar (changes nothing; asks first when
// a line was edited or replaced). The list has the focus when the window opens, so Space and Enter
// act on lines rather than on a button.
//
// When lines fail, "Execute SQL" keeps the window open on them: they are ticked, listed in the error
// pane and the first is selected, and the next "Execute SQL" runs only the lines that failed or never
// ran.
//
// The window works on lists it does not own: the statements and the datatype rows, and ErrorLine,
// the line of the last stopping error, which outlives every window.
class Form2 : public QDialog, private ExecutionView
{
    Q_OBJECT

public:
    Form2(UiServices& ui, SettingsStore& settings, SharedState& shared, StatementListModel& statements,
          DatatypeRowsModel& datatypes, int& errorLine, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton6_Click();
    void PushButton7_Click();
    void PushButton8_Click();
    void PushButton9_Click();
    void ListView1_Click(int line);

    // Every way out of the window ends here (buttons, Escape, the title bar).
    void done(int result) override;
    // Leaving while "Execute SQL" runs asks first; Yes stops the list at its next line. Leaving
    // otherwise than by Execute or Skip after an edit asks whether to discard it.
    bool mayLeave();
    bool hasTickedLine() const;
    // Ticks and lists the lines the last "Execute SQL" could not run.
    void showFailedLines();
    void saveStatements();

    bool hasErrorText() const;

    void setBusyPointer(bool busy) override;
    void setProgressValue(double percent) override;
    void setProgressText(const QString& text) override;
    void selectLine(int line) override;
    void scrollToLine(int line) override;
    void setErrorText(const QString& description) override;
    bool stopRequested() const override { return m_stopRequested; }

    UiServices& m_ui;
    SettingsStore& m_settings;
    SharedState& m_shared;
    StatementListModel& m_statements;
    DatatypeRowsModel& m_datatypes;
    int& ErrorLine;
    QString m_errorText; // what the pane shows, exactly as the server wrote it
    bool m_executing = false;
    bool m_stopRequested = false;
    bool m_edited = false;  // a line was edited or replaced since the window opened
    bool m_leaving = false; // Execute or Skip is closing the window
    QSize m_openedSize;     // a size the user gives the window is kept for its next opening
    Ui::Form2 m_form;
    StatementExecution m_execution{m_ui, this, *this, m_shared, ErrorLine};
    PointerRules m_pointer{*this};
};
