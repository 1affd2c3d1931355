#pragma once

#include "preview/StatementExecution.h"
#include "ui/PointerRules.h"
#include "ui_Form2.h"

#include <QDialog>

class DatatypeRowsModel;
class StatementListModel;
class UiServices;
struct SharedState;

// The SQL Preview window: shows the statements the run collected, one per line, and lets the user
// edit a line (Form4), find and replace (Form3), look at the type mapping (Form5), copy or mail, and
// finally leave in one of three ways: "Execute SQL" (runs the list on the run's target connection,
// sets SQLFormOK and, once the whole list ran, clears SQLFormEndRun), "Skip Table / Do Not Execute
// SQL" (clears SQLFormEndRun) or "< Back" / Escape / the title bar (changes nothing). The list has
// the focus when the window opens, so Space and Enter act on lines rather than on a button.
//
// The window works on lists it does not own: the statements and the datatype rows, and ErrorLine,
// the line of the last stopping error, which outlives every window.
class Form2 : public QDialog, private ExecutionView
{
    Q_OBJECT

public:
    Form2(UiServices& ui, SharedState& shared, StatementListModel& statements, DatatypeRowsModel& datatypes,
          int& errorLine, QWidget* parent = nullptr);

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
    // Leaving while "Execute SQL" runs asks first; Yes stops the list at its next line.
    bool mayLeave();
    bool hasTickedLine() const;

    QString errorText() const;
    bool hasErrorText() const;

    void setBusyPointer(bool busy) override;
    void setProgressValue(double percent) override;
    void setProgressText(const QString& text) override;
    void selectLine(int line) override;
    void scrollToLine(int line) override;
    void setErrorText(const QString& description) override;
    bool stopRequested() const override { return m_stopRequested; }

    UiServices& m_ui;
    SharedState& m_shared;
    StatementListModel& m_statements;
    DatatypeRowsModel& m_datatypes;
    int& ErrorLine;
    QString m_errorText;  // the last stopping error's description
    QString m_errorShown; // the same as the pane shows it
    bool m_executing = false;
    bool m_stopRequested = false;
    Ui::Form2 m_form;
    PointerRules m_pointer{*this};
};
