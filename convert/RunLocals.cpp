#include "convert/RunLocals.h"

#include "db/DbError.h"

RunLocals::RunLocals(ConversionRun& run)
    : m_run(run), m_window(run.m_window), m_state(run.m_state), m_ui(run.m_ui),
      m_steps(run.m_ui, run.m_window.runOwner(), QStringLiteral("Form1.PushButton7_Click")),
      m_events(run.m_ui, run.m_eventIntervalMs)
{}

db::RecordSet& RunLocals::recordSet()
{
    if (!foxpro_rs)
        throw db::DbError(QStringLiteral("Operation is not allowed when the object is closed."), -2146824584);
    return *foxpro_rs;
}

const convert::TableFacts& RunLocals::tableFacts() const
{
    if (!facts)
        throw db::DbError(QStringLiteral("The values of %1 could not be read.").arg(t));
    return *facts;
}
