#pragma once

#include "base/EventPump.h"
#include "base/Steps.h"
#include "convert/ConversionRun.h"
#include "convert/IndexPlan.h"
#include "convert/InsertBatch.h"
#include "convert/SharedState.h"
#include "convert/StatementText.h"
#include "convert/TableCheck.h"
#include "convert/TableFacts.h"
#include "convert/TableReplacement.h"
#include "convert/TargetDialect.h"
#include "convert/TypeMapping.h"
#include "db/Connection.h"
#include "db/RecordSet.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// What the parts of one run of PushButton7_Click share: the windows and services it works through, its
// numbered steps, and its locals (the connections, the table being copied and the row being read, the
// tallies). The steps themselves are RunSteps (ConversionRun.cpp); the SourceReading, StatementSender
// and TableProof do their parts of a table on the same locals. Everything lives on the calling thread
// for the length of one start().
struct RunLocals
{
    explicit RunLocals(ConversionRun& run);

    // The window closed while events ran, or the target's connection was lost: the run only winds
    // down from here.
    bool abandoned() const { return m_run.m_abandoned || m_state.targetLost; }
    void letEventsRun() { m_events.run(); }
    // The open record set of the current table; a table that could not be opened has none.
    db::RecordSet& recordSet();
    // What the pass before the CREATE TABLE found in the current table's values.
    const convert::TableFacts& tableFacts() const;

    ConversionRun& m_run;
    RunWindow& m_window;
    SharedState& m_state;
    UiServices& m_ui;
    Steps m_steps;
    EventPump m_events;

    // The connections and what the run learnt of them.
    std::unique_ptr<db::Connection> foxpro_conn;
    FoxProSource source;
    MSSQLLogin login;
    bool connectionsOpen = false;
    QString targetFailure; // why the target's connection test said no
    // What the target is, asked once its connection is open.
    convert::TargetDialect dialect = convert::TargetDialect::sqlServer();
    // Every table on the target, whatever its name holds; List1 shows those without "SYS" in it.
    QStringList existingTables;

    // The current table: its name and place, its record set and what the pass before its CREATE TABLE
    // found, the statements made for it, and the row being read.
    QString t;
    int tableIndex = 0; // its place in List2: the tables still to come after it
    std::unique_ptr<db::RecordSet> foxpro_rs;
    std::optional<convert::TableFacts> facts;
    convert::ReadCount readCount;
    // With keys and indexes asked for: what the pass before the CREATE TABLE finds under the table's
    // keys, then the plan made of it.
    std::optional<convert::KeyGatherer> keys;
    std::optional<convert::IndexPlan> indexPlan;
    convert::ColumnTypes types = convert::ColumnTypes::Design;
    convert::TableReplacement replacement;
    QString createText;
    QString columnName;
    std::optional<convert::InsertBuilder> inserts;
    // What a check of the table needs; set once its CREATE TABLE was written.
    std::optional<convert::TableCheckPlan> plan;
    // Its INSERTs waiting to be sent together, in direct mode on a target that takes batches.
    std::optional<convert::InsertBatch> batch;
    qint64 rowCounter = 0;
    qint64 rowCount = 0;
    QElapsedTimer m_rowShown; // since the row was last shown in the progress text

    // What the run has done so far.
    std::vector<TableTally> tallies; // the last one is the current table's
    QStringList m_unreadableValues;
    QStringList m_skipped;  // tables passed over at the user's word, each with why
    bool m_listed = false;  // the preview's list holds statements
    bool m_stopped = false; // the user left a preview before its list had run
};
