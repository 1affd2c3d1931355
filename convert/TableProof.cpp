#include "convert/TableProof.h"

#include "base/UiServices.h"
#include "convert/MemoProblems.h"
#include "convert/RunLocals.h"
#include "db/DbError.h"

void TableProof::proveTable(std::size_t index, const convert::TableCheckPlan& checked)
{
    RunLocals& run = m_locals;
    // A lost connection ends the run as it does for a statement; its box says what happened.
    const auto onTarget = [&](const std::function<void()>& work) {
        try {
            work();
        } catch (const db::ConnectionLost&) {
            run.m_state.targetLost = true;
            throw;
        }
    };
    TableTally& tally = run.tallies[index];
    run.m_steps.run(393, [&] {
        onTarget([&] { tally.rowsOnTarget = convert::countRows(*run.m_state.mssql_conn, checked.table); });
        const QString difference =
            convert::countDifferenceText(checked.table, tally.rowsSent, tally.rowsOnTarget);
        if (!difference.isEmpty())
            run.m_ui.showMessage(run.m_window.runOwner(), difference);
    });
    if (run.abandoned() || !run.m_window.verifyValues())
        return;
    run.m_window.setProgressText(QStringLiteral("Please wait.. Checking table ") + checked.table);
    run.m_steps.run(395, [&] {
        onTarget([&] {
            tally.check = convert::checkTable(
                checked,
                [&] { return convert::reopenSourceTable(*run.foxpro_conn, run.source, checked.table); },
                *run.m_state.mssql_conn,
                [&] {
                    run.letEventsRun();
                    return !run.abandoned();
                });
        });
    });
}

void TableProof::proveListed()
{
    if (m_locals.m_state.SQLFormOK) {
        for (const auto& [index, checked] : m_toProve) {
            if (m_locals.abandoned())
                break;
            proveTable(index, checked);
        }
    }
    m_toProve.clear();
}
