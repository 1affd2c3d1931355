#include "tests/convert/RunHarness.h"

#include "app/Failure.h"

void ScriptedRunWindow::setProgressValue(double percent)
{
    progressValues.push_back(percent);
    if (onProgressValue)
        onProgressValue(percent);
}

void ScriptedRunWindow::setProgressText(const QString& text)
{
    progressTexts.push_back(text);
    if (onProgressText)
        onProgressText(text);
}

void ScriptedPreview::showModal()
{
    shown.push_back(statements);
    if (onShow)
        onShow();
    const Answer answer = answers.empty() ? Answer::Back : answers.front();
    if (!answers.empty())
        answers.pop_front();
    if (answer == Answer::Execute) {
        for (const QString& line : std::as_const(statements)) {
            if (line.trimmed().isEmpty())
                continue;
            try {
                m_state.mssql_conn->execute(line);
            } catch (const Failure& failure) {
                executionErrors.push_back(failure.description());
            }
        }
        m_state.SQLFormOK = true;
    } else if (answer == Answer::Skip) {
        m_state.SQLFormEndRun = false;
    }
    statements.clear();
}

void RecordedDatatypes::setLastRowType(const QString& matchKey, const QString& sqlType)
{
    if (rows.empty())
        throw Failure(35600, QStringLiteral("Index out of bounds"));
    rows.back()[2] = matchKey;
    rows.back()[3] = sqlType;
}
