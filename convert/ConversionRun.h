#pragma once

#include "convert/RunReport.h"
#include "db/Foxpro.h"
#include "db/MSSQL.h"

#include <QString>
#include <QStringList>

#include <limits>
#include <vector>

class DatatypeList;
class QObject;
class StatementPreview;
class UiServices;
struct SharedState;

// The main window as the conversion run sees it: the options it reads, the logins, the pointer and
// the progress bar. The options are asked afresh each time the run needs them, so a change made while
// the run lets events run applies to the statements still to come.
class RunWindow
{
public:
    virtual ~RunWindow() = default;

    // The window that owns the run's message boxes; null when there is none (headless).
    virtual QObject* runOwner() = 0;

    virtual bool previewMode() const = 0;     // Check1: collect statements instead of executing them
    virtual bool perFilePreview() const = 0;  // Option1: one preview after all tables
    virtual bool perTablePreview() const = 0; // Option2: one preview after each table
    // "Create columns with SQL Server's own types": the native column mapping instead of the designed
    // one. Asked at the start of each table.
    virtual bool nativeTypes() const { return false; }
    // "Create keys and indexes from the .cdx files": each table's keys and indexes follow its rows.
    // Asked when each table is opened.
    virtual bool createIndexes() const { return false; }

    // "Check every value after copying (reads each table back)": once a table is complete on the
    // target, read it back and compare it with the source value by value. Asked after each table.
    virtual bool verifyValues() const { return false; }

    virtual FoxProSource foxProSource() const = 0;
    virtual MSSQLLogin msSqlLogin() const = 0;

    virtual void setBusyPointer(bool busy) = 0;
    // 0 to 100, not rounded.
    virtual void setProgressValue(double percent) = 0;
    virtual void setProgressText(const QString& text) = 0;

    // The end of a run: by default its closing message (runEndText) in a message box with an OK
    // button; the main window shows the whole report in its Run Report window.
    virtual void showRunReport(UiServices& ui, const RunReport& report);
};

// What one call of start() did.
struct RunOutcome
{
    // False when the run did nothing: a run was already in progress, or a connection test said no.
    bool started = false;
    // Steps that failed and were reported in the error box.
    int failedSteps = 0;
    // The lines about tables some of whose values could not be read as stored (see UnreadableReport).
    QStringList unreadableValues;
    // The tables the run took on, in the order it visited them; a table the user declined to
    // overwrite is not among them.
    std::vector<TableTally> tables;
    // Why the target's connection test said no; empty when it did not.
    QString targetFailure;
    // The connection to the target was lost: the run stopped sending there and wound down.
    bool connectionLost = false;
};

// The conversion run behind "Start Converting": tests both connections, refills the two name lists
// (List1: tables on the target, List2: source tables), then copies every source table, last listed
// first: it asks before overwriting a table that exists, drops it, creates it with the mapped column
// types and sends one INSERT per row. Without preview the statements run on the target as they come; in
// preview mode the statements are collected in the StatementPreview and the user executes them there,
// after each table or once after all tables.
//
// Every step is numbered; a step that fails shows the error box with its number and the run goes on
// with the next step, so one bad row costs one box and the table keeps going. A table that cannot be
// opened costs one box in plain words, and its later steps are not attempted.
//
// Direct mode sends a table's INSERTs in transactions of a batch each (see InsertBatch), so that the
// target commits once per batch; on a target that takes batches (SQL Server, as the target's dialect
// says) a batch goes in one round trip and the progress bar moves as each batch is accounted for. Each
// failed statement still gets its own box, which names its table and source row ("table T, row N: "
// before the target's own description); rows whose outcome the target did not report get one box.
// Four guards keep a failure from turning into wrong data on the target:
// - a source table that cannot be opened is not dropped on the target, since nothing would replace it,
//   and one that cannot be read whole is named in the overwrite question, before any DROP;
// - a row whose values cannot all be read, or whose INSERT text could not be finished, is reported
//   and not sent: no half-built statement and no text left over from an earlier row is executed;
// - when a table's CREATE TABLE fails on the target, its rows are not sent either: they would land in
//   a table the run did not create (one it was told not to touch, or one it failed to drop);
// - a failed move to the next row ends that table's rows instead of reading the same row forever.
// After a table's last statement ran (in direct mode), or after "Execute SQL" ran a list to its end
// for every table the list created, the run asks the target how many rows the table holds (step 393)
// and says so in one message when that is not the number of INSERTs that succeeded; on request it
// then reads the table back and compares it with the source value by value (step 395, TableCheck).
// Both go into the table's tally, and the run ends with a report of every table (showRunReport)
// whose first line is the designed "Done.", or says that the connection to the server was lost.
//
// A value costs no more than itself: a table whose memo file is missing is copied without its memo
// text when the user agrees, and values the reader cannot give as stored (a damaged memo, a date
// "NotAYear", a NaN) are left empty and reported in one message after their table.
//
// A statement that fails because the connection to the target is gone ends the run instead: one box
// names the table and the first row not stored (the server rolls back the transaction it cut) and how
// many statements were not stored, then the run winds
// down as when the window closes, with the pointer and progress bar reset. The same holds when
// "Execute SQL" of a preview loses the connection.
//
// The run lives as long as the main window; a start() while one is in progress returns at once.
// Everything runs on the calling thread; events are let run at each table, column, row and value
// (throttled, see setEventInterval).
class ConversionRun
{
public:
    ConversionRun(RunWindow& window, SharedState& state, UiServices& ui, StatementPreview& preview,
                  DatatypeList& datatypes, QStringList& list1, QStringList& list2);

    // PushButton7_Click.
    RunOutcome start();

    // The title of the overwrite question for a source table some of whose records cannot be read.
    static QString damagedOverwriteTitle() { return QStringLiteral("Overwrite with a damaged table?"); }

    bool isConverting() const { return IsConverting; }

    // The main window is closing, which ends the program: a run in progress stops at its next event
    // point. It reads, sends and shows nothing more, closes both connections and returns; what it
    // sent so far stays on the target. Without a run in progress nothing happens.
    void abandon()
    {
        if (IsConverting)
            m_abandoned = true;
    }

    // Events run at the first point of a run and then at most once per interval, so that they keep
    // the windows responsive without dominating a large run; 0 lets them run at every point.
    void setEventInterval(int milliseconds) { m_eventIntervalMs = milliseconds; }

    // The most INSERT statements sent together (in one transaction, and in one round trip where the
    // target takes batches) in direct mode; 1 sends each alone, committed as it runs. The target's
    // own bound applies too.
    void setBatchStatements(int statements) { m_batchStatements = statements; }

private:
    // One start()'s numbered steps, and the parts of a table that share its locals (RunLocals.h).
    friend class RunSteps;
    friend struct RunLocals;
    friend class StatementSender;

    RunWindow& m_window;
    SharedState& m_state;
    UiServices& m_ui;
    StatementPreview& m_preview;
    DatatypeList& m_datatypes;
    QStringList& List1;
    QStringList& List2;
    bool IsConverting = false;
    bool m_abandoned = false;
    int m_eventIntervalMs;
    int m_batchStatements = std::numeric_limits<int>::max();
};
