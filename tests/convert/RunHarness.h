#pragma once

#include "convert/ConversionRun.h"
#include "convert/DatatypeList.h"
#include "convert/SharedState.h"
#include "convert/StatementPreview.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

// The main window as a test scripts it: fixed options, a recorded progress bar and pointer, and
// hooks that run inside the run (at a progress change) to act as the user would between events.
class ScriptedRunWindow final : public RunWindow
{
public:
    QObject* runOwner() override { return nullptr; }
    bool previewMode() const override { return preview; }
    bool perFilePreview() const override { return perFile; }
    bool perTablePreview() const override { return perTable; }
    bool nativeTypes() const override { return native; }
    bool verifyValues() const override { return verify; }
    bool createIndexes() const override { return indexes; }
    FoxProSource foxProSource() const override { return source; }
    MSSQLLogin msSqlLogin() const override { return login; }
    void setBusyPointer(bool busy) override { pointers.push_back(busy); }
    void setProgressValue(double percent) override;
    void setProgressText(const QString& text) override;

    bool preview = false;
    bool perFile = false;
    bool perTable = false;
    bool native = false;
    bool verify = false;
    bool indexes = false;
    FoxProSource source;
    MSSQLLogin login;

    std::vector<bool> pointers; // true: busy, false: default
    std::vector<double> progressValues;
    QStringList progressTexts;
    std::function<void(double)> onProgressValue;
    std::function<void(const QString&)> onProgressText;
};

// The SQL Preview window as a test answers it. Each showing takes the next answer: Execute runs every
// non-blank line on the run's target connection and sets SQLFormOK, Skip clears SQLFormEndRun, Back
// changes nothing. Leaving discards the list, as the window does.
class ScriptedPreview final : public StatementPreview
{
public:
    enum class Answer
    {
        Execute,
        Skip,
        Back
    };

    explicit ScriptedPreview(SharedState& state) : m_state(state) {}

    void clearStatements() override { statements.clear(); }
    void appendStatement(const QString& statement) override { statements.push_back(statement); }
    void showModal() override;

    std::function<void()> onShow;   // runs as the window shows, before the answer
    std::deque<Answer> answers;     // an unanswered showing is left with Back
    std::vector<QStringList> shown; // the list at each showing
    QStringList statements;
    QStringList executionErrors;

private:
    SharedState& m_state;
};

// The Datatypes Conversion list as rows of four texts.
class RecordedDatatypes final : public DatatypeList
{
public:
    void clearRows() override { rows.clear(); }
    void addRow(const QString& table, const QString& column) override
    {
        rows.push_back({table, column, {}, {}});
    }
    void setLastRowType(const QString& matchKey, const QString& sqlType) override;

    std::vector<QStringList> rows;
};

// Three small tables with the shapes the run must carry: text with blanks and quotes, numbers with
// fractions, dates, logicals, blank values. They are listed alpha, beta, gamma; the run visits them
// from the last listed to the first. gamma has no rows.
void writeThreeTables(const QString& folder);

// A free table "keyed" with a structural index file: ID repeats a value under a candidate tag, CODE
// holds "a" and "A" under another, NUM is unique under a third; NAME has a descending regular tag
// and a tag without column form (SOUNDEX).
void writeKeyedTable(const QString& folder);
