#include "convert/StatementSender.h"

#include "base/UiServices.h"
#include "convert/IndexPlan.h"
#include "convert/RunLocals.h"
#include "convert/StatementPreview.h"
#include "db/DbError.h"

StatementSender::StatementSender(RunLocals& locals) : m_locals(locals) {}

bool StatementSender::dispatch(int previewStep, int directStep, const QString& statement,
                               const std::function<void()>& direct)
{
    RunLocals& run = m_locals;
    // The preview check box is read afresh for every statement.
    bool done = false;
    if (run.m_steps.test(previewStep - 2, [&] { return run.m_window.previewMode(); })) {
        flushBatch();
        done = run.m_steps.run(previewStep, [&] { run.m_run.m_preview.appendStatement(statement); });
        run.m_listed = run.m_listed || done;
    } else if (run.batch && directStep == 388) {
        // Counted when its batch has been sent.
        run.batch->add(statement, run.rowCounter);
        if (run.batch->full())
            flushBatch();
        return !run.m_state.targetLost;
    } else {
        done = run.m_steps.run(directStep, [&] {
            try {
                if (direct)
                    direct();
                else
                    run.m_state.mssql_conn->execute(statement);
            } catch (const db::ConnectionLost& lost) {
                reportLostConnection(directStep, lost.description(), run.rowCounter);
            }
        });
    }
    // A statement the lost connection did not take is among those its box counts as not stored.
    if (run.m_state.targetLost)
        return false;
    if (!run.tallies.empty()) {
        ++(done ? run.tallies.back().statementsSucceeded : run.tallies.back().statementsFailed);
        if (done && directStep == 388)
            ++run.tallies.back().rowsSent;
    }
    return done;
}

void StatementSender::flushBatch()
{
    RunLocals& run = m_locals;
    if (!run.batch || run.batch->empty())
        return;
    std::optional<convert::InsertBatch::Report> report;
    run.m_steps.run(388, [&] { report = run.batch->send(*run.m_state.mssql_conn); });
    if (!report)
        return;
    for (const convert::InsertBatch::Rows& failure : report->failures)
        run.m_steps.run(388, [&] { throw db::DbError(failure.text(run.t)); });
    if (report->unknown)
        run.m_steps.run(388, [&] { throw db::DbError(report->unknown->text(run.t)); });
    TableTally& tally = run.tallies.back();
    tally.statementsFailed += report->failed;
    tally.statementsSucceeded += report->stored;
    tally.rowsSent += report->stored;
    if (report->lost) {
        reportLostConnection(388, report->lost->second, report->lost->first);
        return;
    }
    // Statements that go one per call have moved the bar row by row.
    if (!run.dialect.takesBatches())
        return;
    run.m_steps.run(344, [&] {
        run.m_window.setProgressValue(static_cast<double>(report->lastRow + 1) /
                                      static_cast<double>(run.rowCount + 1) * 100.0);
    });
}

void StatementSender::createIndexes(const convert::IndexPlan& plan)
{
    TableTally& tally = m_locals.tallies.back();
    QStringList fellBack;
    for (const convert::PlannedIndex& planned : plan.indexes) {
        if (m_locals.abandoned())
            return;
        if (planned.statement.isEmpty()) {
            ++tally.indexesSkipped;
        } else if (dispatch(462, 464, planned.statement)) {
            ++(planned.becomes == convert::PlannedIndex::Becomes::Index ? tally.indexesCreated
                                                                        : tally.keysCreated);
        } else if (!planned.fallback.isEmpty() && !m_locals.abandoned() &&
                   dispatch(462, 464, planned.fallback)) {
            // The key's box said why the target refused it; its rows keep an index all the same.
            ++tally.indexesCreated;
            fellBack << QStringLiteral(
                            "%1: %2 %3 (%4) was refused by the target; a plain index took its place")
                            .arg(m_locals.t, convert::kindName(planned.source.kind), planned.source.tag,
                                 planned.source.expression);
        } else {
            ++tally.indexesSkipped;
        }
    }
    tally.indexNotes = plan.report(m_locals.t) + fellBack;
}

void StatementSender::reportLostConnection(int directStep, const QString& description, qint64 row)
{
    RunLocals& run = m_locals;
    run.m_state.targetLost = true;
    qint64 rows = 0;
    try {
        rows = run.recordSet().recordCount();
    } catch (...) {
    }
    QString where;
    qint64 notSent = 0;
    switch (directStep) {
    case 186:
        where = QStringLiteral("DROP TABLE");
        notSent = rows + 2;
        break;
    case 332:
        where = QStringLiteral("CREATE TABLE");
        notSent = rows + 1;
        break;
    default:
        where = QStringLiteral("row %1").arg(row);
        notSent = rows - row + 1;
    }
    run.m_ui.reportFailure(
        run.m_window.runOwner(),
        QStringLiteral("The connection to the server was lost at table %1, %2: %3 statement(s) "
                       "of that table were not stored, nor any of the %4 table(s) after it.\n")
                .arg(run.t, where)
                .arg(notSent)
                .arg(run.tableIndex) +
            description,
        run.m_steps.location(), directStep);
}
