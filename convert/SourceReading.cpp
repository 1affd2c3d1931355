#include "convert/SourceReading.h"

#include "base/UiServices.h"
#include "convert/MemoProblems.h"
#include "convert/RunLocals.h"
#include "convert/UnreadableReport.h"


bool SourceReading::openTable()
{
    RunLocals& run = m_locals;
    run.facts.reset();
    run.readCount = {};
    run.keys.reset();
    run.indexPlan.reset();
    convert::SourceTable table =
        convert::openSourceTable(*run.foxpro_conn, run.source, run.t, run.m_ui, run.m_window.runOwner());
    if (!table.rows)
        return false;
    run.foxpro_rs = std::move(table.rows);
    if (run.m_window.createIndexes())
        run.keys.emplace(run.dialect, run.foxpro_rs->indexes());
    run.facts = convert::gatherFacts(*table.ahead, run.dialect, &run.readCount, run.keys ? &*run.keys : nullptr);
    return true;
}

bool SourceReading::askOverwrite()
{
    RunLocals& run = m_locals;
    if (!run.readCount.damaged())
        return run.m_ui.askYesNo(run.m_window.runOwner(),
                                 QStringLiteral("Would you like to overwrite ") + run.t + u'?',
                                 QStringLiteral("Overwrite?"));
    return run.m_ui.askYesNo(
        run.m_window.runOwner(),
        QStringLiteral("The source table %1 is damaged: only %2 of its %3 records can be read. Overwrite "
                       "anyway?\r\r%4")
            .arg(run.t)
            .arg(run.readCount.readable)
            .arg(run.readCount.records())
            .arg(run.readCount.firstProblem),
        ConversionRun::damagedOverwriteTitle());
}

void SourceReading::reportUnreadableValues()
{
    RunLocals& run = m_locals;
    const QStringList lines = run.foxpro_rs
                                  ? convert::unreadableValueTexts(run.t, run.foxpro_rs->unreadableValues())
                                  : QStringList();
    if (lines.isEmpty() || run.abandoned())
        return;
    run.m_ui.showMessage(run.m_window.runOwner(), lines.join(u'\n'));
    run.m_unreadableValues << lines;
    if (!run.tallies.empty()) {
        const db::ValueProblems problems = run.foxpro_rs->unreadableValues();
        run.tallies.back().valuesLeftEmpty = problems.memos.count + problems.values.count;
    }
}
