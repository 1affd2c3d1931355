#pragma once

#include <QString>

// The SQL Preview window as the conversion run sees it: a list the run fills, and a modal showing
// from which the run learns the outcome through SharedState (SQLFormOK, SQLFormEndRun).
class StatementPreview
{
public:
    virtual ~StatementPreview() = default;

    virtual void clearStatements() = 0;
    virtual void appendStatement(const QString& statement) = 0;
    // Shows the list modally, owned by the main window, and returns when the user has left it.
    // Leaving it discards the list.
    virtual void showModal() = 0;
};
