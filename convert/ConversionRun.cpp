#include "convert/ConversionRun.h"

#include "base/BusyWait.h"
#include "base/EventPump.h"
#include "base/Steps.h"
#include "base/UiServices.h"
#include "convert/DatatypeList.h"
#include "convert/IndexPlan.h"
#include "convert/InsertBatch.h"
#include "convert/RunLocals.h"
#include "convert/SharedState.h"
#include "convert/SourceReading.h"
#include "convert/StatementPreview.h"
#include "convert/StatementSender.h"
#include "convert/StatementText.h"
#include "convert/TableCheck.h"
#include "convert/TableFacts.h"
#include "convert/TableProof.h"
#include "convert/TableReplacement.h"
#include "convert/TargetDialect.h"
#include "convert/TargetNames.h"
#include "convert/TypeMapping.h"
#include "db/DbError.h"
#include "db/RecordSet.h"

#include <memory>
#include <optional>

namespace {

// The overwrite answer: none (the table is new), Yes or No, with the message box's codes.
enum Answer
{
    NotAsked = 0,
    Yes = 6,
    No = 7
};

constexpr int ClientCursor = 3;
constexpr int ServerCursor = 2;
constexpr int TimeoutSeconds = 5000;

// How the INSERTs of a table created with `types` write its values.
const convert::ValueFormat& formatOf(convert::ColumnTypes types)
{
    return types == convert::ColumnTypes::Native ? convert::ValueFormat::nativeTypes()
                                                 : convert::ValueFormat::system();
}

} // namespace

// One run of PushButton7_Click: its numbered steps, on the run's locals.
class RunSteps : private RunLocals
{
public:
    explicit RunSteps(ConversionRun& run) : RunLocals(run) {}

    RunOutcome run();

private:
    bool connectionsTested();
    void fillListsAndOpen();
    // One table; false when the table loop is to end here (a per-table preview left otherwise than
    // by "Skip Table / Do Not Execute SQL").
    bool convertTable(int i);
    // True when the CREATE TABLE ran (or was listed).
    bool createTable();
    void copyRows();
    void readRows();
    // The row's INSERT text, or nothing when a value could not be read.
    std::optional<QString> insertText();
    void closeRecordSet();
    void endRun();
    RunReport report(const QString& firstLine) const { return {firstLine, tallies, m_skipped}; }

    // Shows a name the target cannot take as the failure of `step`; false when there is one.
    bool nameTaken(int step, const QString& problem)
    {
        return m_steps.runPlainly(step, [&] {
            if (!problem.isEmpty())
                throw db::DbError(problem);
        });
    }
    void windDown();
    // "Please wait.. Processing table T", in direct mode with the row being read.
    void showRowInProgress();

    StatementSender m_sender{*this};
    TableProof m_proof{*this};
    SourceReading m_reading{*this};
    int answer = NotAsked;
};

RunOutcome RunSteps::run()
{
    Steps& s = m_steps;
    m_state.targetLost = false;
    s.run(102, [&] { m_run.IsConverting = true; });
    s.run(104, [&] { m_state.mssql_conn = std::make_unique<db::Connection>(); });
    s.run(108, [&] { foxpro_conn = std::make_unique<db::Connection>(); });
    s.run(110, [&] { foxpro_rs.reset(); });
    if (!connectionsTested()) {
        m_run.IsConverting = false; // 442
        return {false, s.failures(), {}, {}, targetFailure, false};
    }
    fillListsAndOpen();
    s.run(158, [&] {
        m_run.m_preview.clearStatements();
        m_listed = false;
    });
    s.run(160, [&] { m_run.m_datatypes.clearRows(); });
    // 156: the last listed table comes first.
    for (int i = static_cast<int>(m_run.List2.size()) - 1; i >= 0 && !abandoned(); --i) {
        if (!convertTable(i))
            break;
    }
    if (abandoned())
        windDown();
    else
        endRun();
    return {true, s.failures(), m_unreadableValues, std::move(tallies), {}, m_state.targetLost};
}

bool RunSteps::connectionsTested()
{
    Steps& s = m_steps;
    source = m_window.foxProSource();
    login = m_window.msSqlLogin();
    // A test that fails enters its block, which here is the end of the run, with the message the
    // panel's "Test Connection" shows for it.
    QString reason;
    if (s.test(116, [&] {
            return !Foxpro::IsValidFoxProConnection(m_ui, m_window.runOwner(), source, &reason);
        })) {
        m_ui.showMessage(m_window.runOwner(), Foxpro::connectionFailedText(), reason);
        return false;
    }
    // The login may wait for its timeout; the windows keep painting meanwhile, under the busy pointer.
    if (s.test(118, [&] {
            bool connected = false;
            m_window.setBusyPointer(true);
            runWhileWindowsPaint([&] { connected = MSSQL::IsValidMSSQLConnection(login, &reason); });
            m_window.setBusyPointer(false);
            return !connected;
        })) {
        targetFailure = reason;
        m_ui.showMessage(m_window.runOwner(), MSSQL::connectionFailedText(), reason);
        return false;
    }
    return true;
}

void RunSteps::fillListsAndOpen()
{
    Steps& s = m_steps;
    s.run(120, [&] { m_window.setBusyPointer(true); });
    s.run(122, [&] { m_run.List1.clear(); });
    s.run(124, [&] { m_run.List2.clear(); });
    s.run(126, [&] { MSSQL::AddTablesToMSSQLListbox(m_ui, login, m_run.List1, &existingTables); });
    s.run(128, [&] { Foxpro::AddTablesToFoxproListbox(m_ui, m_window.runOwner(), source, m_run.List2); });
    s.run(130, [&] { foxpro_conn->setCursorLocation(ClientCursor); });
    s.run(132, [&] { foxpro_conn->setCommandTimeout(TimeoutSeconds); });
    s.run(134, [&] { foxpro_conn->setConnectionTimeout(TimeoutSeconds); });
    // 136: the run always reads with the "machine" collating sequence, a folder of free tables too.
    const QString foxproString = Foxpro::connectionString(source, Foxpro::Collating::Machine);
    s.run(source.OptionDBC1 ? 138 : 140, [&] { foxpro_conn->open(foxproString); });
    s.run(142, [&] { m_state.mssql_conn->setCursorLocation(ServerCursor); });
    s.run(144, [&] { m_state.mssql_conn->setCommandTimeout(TimeoutSeconds); });
    s.run(146, [&] { m_state.mssql_conn->setConnectionTimeout(TimeoutSeconds); });
    s.run(148, [&] { connectionsOpen = true; });
    // 150: "Local Connection" leaves the port out of the string.
    s.run(login.localConnection ? 152 : 154,
          [&] { m_state.mssql_conn->open(MSSQL::connectionString(login)); });
    // What the statements are written for; a target that cannot say is taken for SQL Server with its
    // default code page.
    dialect = convert::TargetDialect::ofConnection(*m_state.mssql_conn);
}

bool RunSteps::convertTable(int i)
{
    Steps& s = m_steps;
    s.run(162, [&] { letEventsRun(); });
    s.run(164, [&] { t = m_run.List2.at(i); });
    tableIndex = i;
    // A name the target cannot take would fail the CREATE after the DROP: such a table is left alone.
    if (!nameTaken(164, convert::tableNameProblem(t, m_run.List2.mid(i + 1))))
        return true;
    // The source table is opened, and read once, before the question: a damaged table is named in
    // it, and one that cannot be opened costs its one box and leaves the target's table as it is,
    // rather than dropped with nothing to replace it.
    s.run(190, [&] { m_window.setProgressText(QStringLiteral("Please wait.. Processing table ") + t); });
    bool declined = false;
    if (!s.runPlainly(192, [&] { declined = !m_reading.openTable(); }) || declined) {
        if (declined)
            m_skipped << QStringLiteral("%1 (its memo file is missing)").arg(t);
        else
            tallies.push_back({.table = t});
        s.run(406, [&] { m_window.setProgressText(QString()); });
        return true;
    }
    if (!nameTaken(192, convert::fieldNameProblem(t, recordSet().fields()))) {
        foxpro_rs.reset();
        s.run(406, [&] { m_window.setProgressText(QString()); });
        return true;
    }
    if (s.test(166, [&] { return MSSQL::IsTableInListbox(existingTables, t); }))
        s.run(168, [&] { answer = m_reading.askOverwrite() ? Yes : No; });
    else
        s.run(170, [&] { answer = NotAsked; });
    if (s.test(172, [&] { return answer == No; })) {
        foxpro_rs.reset();
    } else {
        tallies.push_back({.table = t});
        if (s.test(174, [&] { return m_window.perTablePreview(); })) {
            s.run(176, [&] {
                m_run.m_preview.clearStatements();
                m_listed = false;
            });
            s.run(178, [&] { m_run.m_datatypes.clearRows(); });
        }
        if (s.test(180, [&] { return answer == Yes; })) {
            // In direct mode a replaced table's DROP and CREATE run in one transaction, undone when
            // the CREATE fails.
            const QString drop = convert::dropTableText(t);
            m_sender.dispatch(184, 186, drop, [&] { replacement.drop(*m_state.mssql_conn, drop); });
            s.run(188, [&] {
                MSSQL::RemoveTableFromListbox(m_run.List1, t.toLower());
                MSSQL::RemoveTableFromListbox(existingTables, t.toLower());
            });
        }
        const bool created = createTable();
        m_reading.reportUnreadableValues();
        if (replacement.pending()) // dropped, and its CREATE never sent: put the old table back
            s.run(332, [&] { replacement.cancel(); });
        closeRecordSet();
        if (!tallies.empty())
            tallies.back().rowsRead = rowCounter;
        if (abandoned())
            return false;
        if (created && plan) {
            if (m_window.previewMode())
                m_proof.awaitList(tallies.size() - 1, *plan);
            else
                m_proof.proveTable(tallies.size() - 1, *plan);
        }
        s.run(396, [&] { m_state.SQLFormEndRun = true; });
        if (s.test(398, [&] { return m_window.previewMode() && m_window.perTablePreview(); })) {
            m_state.SQLFormOK = false; // set again by an "Execute SQL" that runs the whole list
            s.run(402, [&] { m_run.m_preview.showModal(); });
            m_proof.proveListed();
            if (s.test(404, [&] { return m_state.SQLFormEndRun; })) {
                m_stopped = m_listed;
                return false;
            }
        }
    }
    s.run(406, [&] { m_window.setProgressText(QString()); });
    return true;
}

bool RunSteps::createTable()
{
    Steps& s = m_steps;
    s.run(194, [&] {
        createText.clear();
        inserts.reset();
        plan.reset();
        types = m_window.nativeTypes() ? convert::ColumnTypes::Native : convert::ColumnTypes::Design;
        inserts.emplace(t, formatOf(types), dialect, tableFacts());
        if (keys) // the plan may declare the primary key's columns NOT NULL
            indexPlan = keys->plan(t, recordSet().fields(), *facts, types);
        keys.reset();
    });
    s.run(196, [&] { columnName.clear(); });
    s.run(198, [&] { rowCounter = 0; });
    // 200: a failure to reach the fields (no record set) ends the field loop.
    const std::vector<db::Field>* fields = nullptr;
    s.run(200, [&] { fields = &recordSet().fields(); });
    for (std::size_t f = 0; fields && f < fields->size() && !abandoned(); ++f) {
        const db::Field& field = (*fields)[f];
        s.run(202, [&] { letEventsRun(); });
        s.run(204, [&] { m_run.m_datatypes.addRow(t, field.name); });
        s.run(208, [&] { columnName = field.name; });
        s.run(210, [&] {
            const convert::ColumnMapping mapping =
                convert::mapColumnType(field, dialect, tableFacts().at(f), types);
            m_run.m_datatypes.setLastRowType(mapping.matchKey, mapping.shownType());
        });
    }
    s.run(326, [&] {
        createText = convert::createTableText(t, recordSet().fields(), dialect, tableFacts(), types);
        convert::TableCheckPlan checked{t, {}, &formatOf(types), dialect};
        for (std::size_t f = 0; f < recordSet().fields().size(); ++f)
            checked.columnTypes.push_back(
                convert::mapColumnType(recordSet().fields()[f], dialect, tableFacts().at(f), types).sqlType);
        plan = std::move(checked);
    });
    // A CREATE that could not be built is not sent, and a table the target would not create gets no
    // rows: they would go into whatever table of that name is there already, or fail one by one.
    const auto create = [&] { replacement.create(*m_state.mssql_conn, createText); };
    if (abandoned() || createText.isEmpty() || !m_sender.dispatch(330, 332, createText, create))
        return false;
    if (s.test(334, [&] { return !recordSet().eof() && !recordSet().bof(); }))
        copyRows();
    if (indexPlan && !abandoned())
        m_sender.createIndexes(*indexPlan);
    return true;
}

void RunSteps::copyRows()
{
    m_steps.run(336, [&] {
        rowCount = recordSet().recordCount();
        const int limit = std::min(m_run.m_batchStatements, m_state.mssql_conn->batchLimit());
        if (!m_window.previewMode() && limit > 1)
            batch.emplace(limit, dialect.takesBatches());
    });
    readRows();
    if (!abandoned())
        m_sender.flushBatch();
    batch.reset();
}

void RunSteps::readRows()
{
    Steps& s = m_steps;
    do {
        s.run(338, [&] { letEventsRun(); });
        s.run(342, [&] { ++rowCounter; });
        showRowInProgress();
        if (!batch || !dialect.takesBatches()) {
            s.run(344, [&] {
                m_window.setProgressValue(static_cast<double>(rowCounter + 1) /
                                          static_cast<double>(rowCount + 1) * 100.0);
            });
        }
        if (abandoned())
            return;
        const std::optional<QString> insert = insertText();
        if (!insert) // a row that could not be read or written counts as a failed statement
            ++tallies.back().statementsFailed;
        else if (!abandoned())
            m_sender.dispatch(378, 388, *insert);
        if (!s.run(390, [&] { recordSet().moveNext(); }))
            return;
    } while (!s.test(392, [&] { return recordSet().eof(); }));
}

void RunSteps::showRowInProgress()
{
    constexpr int IntervalMs = 100;
    if (m_window.previewMode() ||
        (rowCounter > 1 && m_rowShown.isValid() && m_rowShown.elapsed() < IntervalMs))
        return;
    m_rowShown.start();
    m_window.setProgressText(
        QStringLiteral("Please wait.. Processing table %1 (row %2 of %3)")
            .arg(t, convert::groupedNumber(rowCounter), convert::groupedNumber(rowCount)));
}

std::optional<QString> RunSteps::insertText()
{
    std::optional<QString> text;
    m_steps.run(346, [&] {
        if (!inserts)
            throw db::DbError(QStringLiteral("The INSERT statements of %1 could not be prepared.").arg(t));
        const std::vector<db::Value>& values = recordSet().values();
        for (std::size_t v = 0; v < values.size(); ++v)
            letEventsRun(); // 352
        text = inserts->text(values);
    });
    return text;
}

void RunSteps::closeRecordSet()
{
    m_steps.run(394, [&] {
        db::RecordSet& closing = recordSet();
        std::unique_ptr<db::RecordSet> owned = std::move(foxpro_rs);
        closing.close();
    });
}

void RunSteps::endRun()
{
    Steps& s = m_steps;
    if (s.test(410, [&] { return m_window.previewMode() && m_window.perFilePreview(); })) {
        s.run(414, [&] { m_state.SQLFormOK = false; });
        s.run(416, [&] { m_run.m_preview.showModal(); });
        if (abandoned()) {
            windDown();
            return;
        }
        m_proof.proveListed();
        if (s.test(418, [&] { return !m_state.SQLFormOK; })) {
            m_stopped = m_listed;
            s.run(420, [&] { m_state.mssql_conn->close(); });
            s.run(422, [&] { foxpro_conn->close(); });
            s.run(424, [&] { connectionsOpen = false; });
            s.run(426, [&] { m_window.setProgressText(QString()); });
        }
    }
    if (s.test(428, [&] { return connectionsOpen; })) {
        s.run(430, [&] { m_state.mssql_conn->close(); });
        s.run(432, [&] { foxpro_conn->close(); });
    }
    s.run(434, [&] { m_window.setBusyPointer(false); });
    s.run(436, [&] { m_window.setProgressValue(0); });
    s.run(438, [&] { m_window.setProgressText(QStringLiteral("Progress Bar")); });
    s.run(440, [&] {
        m_window.showRunReport(m_ui, report(m_stopped ? RunReport::stoppedLine() : RunReport::doneLine()));
    });
    s.run(442, [&] { m_run.IsConverting = false; });
}

void RunSteps::windDown()
{
    // No steps and no boxes: the program is ending and nobody would read them.
    const auto closeQuietly = [](db::Connection* connection) {
        try {
            if (connection && connection->isOpen())
                connection->close();
        } catch (...) {
        }
    };
    closeQuietly(m_state.mssql_conn.get());
    closeQuietly(foxpro_conn.get());
    if (m_state.targetLost) {
        // The window stays: it shows the run as ended.
        m_window.setBusyPointer(false);
        m_window.setProgressValue(0);
        m_window.setProgressText(QStringLiteral("Progress Bar"));
        m_window.showRunReport(m_ui, report(RunReport::lostLine()));
    }
    m_run.m_abandoned = false;
    m_run.IsConverting = false;
}

ConversionRun::ConversionRun(RunWindow& window, SharedState& state, UiServices& ui, StatementPreview& preview,
                             DatatypeList& datatypes, QStringList& list1, QStringList& list2)
    : m_window(window), m_state(state), m_ui(ui), m_preview(preview), m_datatypes(datatypes), List1(list1),
      List2(list2), m_eventIntervalMs(EventPump::DefaultIntervalMs)
{}

void RunWindow::showRunReport(UiServices& ui, const RunReport& report)
{
    ui.showMessage(runOwner(), convert::runEndText(report));
}

RunOutcome ConversionRun::start()
{
    if (IsConverting) // 100
        return {};
    return RunSteps(*this).run();
}
