#pragma once

#include "convert/TableReplacement.h"

#include <QString>

#include <vector>

class QObject;
class StatementListModel;
class Steps;
class UiServices;
struct SharedState;

// What "Execute SQL" shows on its window while it works.
class ExecutionView
{
public:
    virtual ~ExecutionView() = default;

    virtual void setBusyPointer(bool busy) = 0;
    // `percent` from 0 to 100; the text is shown on the progress bar.
    virtual void setProgressValue(double percent) = 0;
    virtual void setProgressText(const QString& text) = 0;
    virtual void selectLine(int line) = 0;
    virtual void scrollToLine(int line) = 0;
    virtual void setErrorText(const QString& description) = 0;
    // The user has left the window: the lines not yet run are not to be sent.
    virtual bool stopRequested() const { return false; }
};

// "Execute SQL" of the SQL Preview window: runs every non-blank line, top to bottom, each as its own
// statement on the run's target connection, then sets SQLFormOK. A line that ran is not run again by a
// later run() of the same execution: after failures the user mends the failed lines and runs the
// rest, that is the lines that failed or never ran.
//
// A DROP line followed by the CREATE line of the same table runs with it in one transaction, undone
// when the CREATE fails.
//
// Failure rule: an error whose description contains "SQLException" (in any case) stops the execution
// at its line: ErrorLine takes the line, which is selected and shown with the description in the
// error pane, and "Error found." is shown. Any other error shows the error box of the step and the
// execution goes on with the next line; such a line is listed in the error pane ("Line N:
// description") and the first of them becomes ErrorLine, so that Jump, Copy and Email have it at hand.
// A list whose run had such failures is not executed (Outcome::Failed, SQLFormOK unchanged); the
// window stays open on them. When the failing line is a CREATE TABLE,
// the INSERT INTO lines of that table that follow it are not run (nor listed): they would only fail
// one by one, or land in a table the list did not create.
//
// When the user leaves the window while the list runs (ExecutionView::stopRequested), the execution
// stops before its next line. A lost connection ends the execution at its line: one box names the
// line and how many statements were not sent, SharedState::targetLost is set and the window is reset.
class StatementExecution
{
public:
    enum class Outcome
    {
        NothingToRun, // the list is empty: "No SQL to run." was shown
        Stopped,      // a stopping error; ErrorLine names its line
        Left,         // the user left the window; the lines from the next one on were not sent
        Lost,         // the connection to the target was lost; nothing more was sent
        Failed,       // every line was visited and failedLines() failed
        Completed     // every line has run and SQLFormOK is true
    };

    StatementExecution(UiServices& ui, QObject* owner, ExecutionView& view, SharedState& shared,
                       int& errorLine)
        : m_ui(ui), m_owner(owner), m_view(view), m_shared(shared), m_errorLine(errorLine)
    {}

    Outcome run(const StatementListModel& statements);

    // The lines the last run() reported as failed, in list order, and how many lines it sent.
    const std::vector<int>& failedLines() const { return m_failedLines; }
    int linesSent() const { return m_linesSent; }

    static QString progressText(int line, int count);
    static QString idleProgressText() { return QStringLiteral("Progress Bar"); }

private:
    void execute(const StatementListModel& statements, int line);
    void markRun(int line);
    void stopAt(int line, const QString& description);
    void listFailure(int line, const QString& description);
    void loseConnection(Steps& steps, int step, int line, int notSent, const QString& description);

    UiServices& m_ui;
    QObject* m_owner;
    ExecutionView& m_view;
    SharedState& m_shared;
    int& m_errorLine;
    convert::TableReplacement m_replacement;
    QString m_failures; // the last run's failed lines, as the error pane lists them
    std::vector<int> m_failedLines;
    int m_linesSent = 0;
    std::vector<bool> m_ran; // by row: the line ran, so a later run passes it over
    int m_droppedLine = 0;   // the DROP line of a pending replacement; it has run once its CREATE has
};
