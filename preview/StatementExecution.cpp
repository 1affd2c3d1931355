#include "preview/StatementExecution.h"

#include "base/EventPump.h"
#include "base/Steps.h"
#include "base/UiServices.h"
#include "convert/SharedState.h"
#include "db/DbError.h"
#include "preview/StatementListModel.h"

#include <optional>
#include <utility>

namespace {

// Runs one step under the execution's failure rule: a failure whose description names an
// "SQLException" is handed back as the reason to stop; any other goes to `steps`, which reports it
// so that the execution goes on.
// `failure`, when given, receives the description of a failure that is reported.
template <class Body>
std::optional<QString> stoppingStep(Steps& steps, int step, Body&& body, QString* failure = nullptr)
{
    std::optional<QString> stop;
    steps.run(step, [&] {
        try {
            body();
        } catch (...) {
            const QString description = Steps::describe(std::current_exception());
            if (!description.contains(QLatin1String("SQLException"), Qt::CaseInsensitive)) {
                if (failure)
                    *failure = description;
                throw;
            }
            stop = description;
        }
    });
    return stop;
}

// The bracketed table name that follows `keyword` in `line` ("CREATE TABLE [a]]b]" gives "a]b"), or
// nothing. With `atStart` the keyword must begin the line.
std::optional<QString> tableAfter(const QString& line, QLatin1String keyword, bool atStart)
{
    const QString marker = keyword + QLatin1String(" [");
    const qsizetype at = atStart ? (line.trimmed().startsWith(marker, Qt::CaseInsensitive)
                                        ? line.indexOf(marker, 0, Qt::CaseInsensitive)
                                        : -1)
                                 : line.indexOf(marker, 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    QString name;
    for (qsizetype i = at + marker.size(); i < line.size(); ++i) {
        if (line[i] != u']') {
            name += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == u']') {
            name += u']';
            ++i;
        } else {
            return name;
        }
    }
    return std::nullopt;
}

// Non-blank lines from `line` to the end of the list.
int statementsFrom(const StatementListModel& statements, int line)
{
    int count = 0;
    for (int l = line; l <= statements.lineCount(); ++l)
        count += statements.lineText(l).trimmed().isEmpty() ? 0 : 1;
    return count;
}

} // namespace

QString StatementExecution::progressText(int line, int count)
{
    return QStringLiteral("Please wait.. Processing row: %1 of %2").arg(line).arg(count);
}

StatementExecution::Outcome StatementExecution::run(const StatementListModel& statements)
{
    Steps s(m_ui, m_owner, QStringLiteral("Form2.PushButton1_Click"));
    if (!s.test(104, [&] { return statements.lineCount() > 0; })) {
        s.run(148, [&] { m_ui.showMessage(m_owner, QStringLiteral("No SQL to run.")); });
        return Outcome::NothingToRun;
    }
    s.run(106, [&] { m_view.setBusyPointer(true); });
    EventPump pump(m_ui);
    const int count = statements.lineCount();
    m_ran.resize(std::size_t(count), false);
    m_failures.clear();
    m_failedLines.clear();
    m_linesSent = 0;
    m_droppedLine = 0;
    // The table whose CREATE TABLE failed, while its INSERT lines follow.
    std::optional<QString> uncreated;
    for (int line = 1; line <= count; ++line) {
        if (m_ran[std::size_t(StatementListModel::lineToRow(line))])
            continue;
        std::optional<QString> stop = stoppingStep(s, 112, [&] { pump.run(); });
        if (m_view.stopRequested()) {
            if (m_replacement.pending()) // left between a DROP and its CREATE
                s.run(134, [&] { m_replacement.cancel(); });
            m_view.setBusyPointer(false);
            return Outcome::Left;
        }
        if (!stop)
            stop = stoppingStep(s, 114, [&] { m_view.setProgressValue(double(line) / count * 100.0); });
        if (!stop)
            stop = stoppingStep(s, 116, [&] { m_view.setProgressText(progressText(line, count)); });
        const QString& statement = statements.lineText(line);
        if (!stop && uncreated &&
            tableAfter(statement, QLatin1String("INSERT INTO"), true)
                    .value_or(QString())
                    .compare(*uncreated, Qt::CaseInsensitive) == 0)
            continue;
        if (!stop && statement.trimmed().isEmpty()) {
            markRun(line);
        } else if (!stop) {
            const int step =
                statement.contains(QLatin1String("INSERT INTO"), Qt::CaseInsensitive) ? 132 : 134;
            QString failure;
            std::optional<QString> lost;
            ++m_linesSent;
            stop = stoppingStep(
                s, step,
                [&] {
                    try {
                        execute(statements, line);
                    } catch (const db::ConnectionLost& error) {
                        lost = error.description();
                    }
                },
                &failure);
            if (lost) {
                loseConnection(s, step, line, statementsFrom(statements, line), *lost);
                return Outcome::Lost;
            }
            if (!failure.isEmpty())
                listFailure(line, failure);
            else if (!stop)
                markRun(line);
            uncreated = failure.isEmpty() ? std::nullopt
                                          : tableAfter(statement, QLatin1String("CREATE TABLE"), false);
        }
        if (stop) {
            if (m_replacement.pending()) // stopped between a DROP and its CREATE
                s.run(134, [&] { m_replacement.cancel(); });
            stopAt(line, *stop);
            return Outcome::Stopped;
        }
    }
    if (!m_failedLines.empty()) {
        s.run(144, [&] { m_view.setBusyPointer(false); });
        s.run(140, [&] { m_view.setProgressValue(0); });
        s.run(142, [&] { m_view.setProgressText(idleProgressText()); });
        return Outcome::Failed;
    }
    s.run(138, [&] { m_shared.SQLFormOK = true; });
    s.run(144, [&] { m_view.setBusyPointer(false); });
    s.run(140, [&] { m_view.setProgressValue(0); });
    s.run(142, [&] { m_view.setProgressText(idleProgressText()); });
    return Outcome::Completed;
}

// A DROP line has run once the CREATE line of its replacement has.
void StatementExecution::markRun(int line)
{
    if (m_replacement.pending()) {
        m_droppedLine = line;
        return;
    }
    if (m_droppedLine > 0)
        m_ran[std::size_t(StatementListModel::lineToRow(std::exchange(m_droppedLine, 0)))] = true;
    m_ran[std::size_t(StatementListModel::lineToRow(line))] = true;
}

// A DROP line followed by the CREATE line of the same table runs with it in one transaction, undone
// when the CREATE fails, so that the old table is not lost.
void StatementExecution::execute(const StatementListModel& statements, int line)
{
    if (!m_shared.mssql_conn)
        throw db::DbError(QStringLiteral("There is no connection to the SQL Server database."));
    db::Connection& connection = *m_shared.mssql_conn;
    const QString& statement = statements.lineText(line);
    if (m_replacement.pending())
        m_replacement.create(connection, statement);
    else if (line < statements.lineCount() &&
             convert::TableReplacement::isReplacement(statement, statements.lineText(line + 1)))
        m_replacement.drop(connection, statement);
    else
        connection.execute(statement);
}

void StatementExecution::listFailure(int line, const QString& description)
{
    m_droppedLine = 0; // a failed CREATE has undone its DROP
    m_failedLines.push_back(line);
    if (m_failures.isEmpty())
        m_errorLine = line;
    else
        m_failures += QStringLiteral("\r\n");
    m_failures += QStringLiteral("Line %1: %2").arg(line).arg(description);
    m_view.setErrorText(m_failures);
}

void StatementExecution::loseConnection(Steps& steps, int step, int line, int notSent,
                                        const QString& description)
{
    m_shared.targetLost = true;
    m_ui.reportFailure(
        m_owner,
        QStringLiteral("The connection to the server was lost at list line %1: %2 statement(s) "
                       "were not sent.\n")
                .arg(line)
                .arg(notSent) +
            description,
        steps.location(), step);
    m_view.setBusyPointer(false);
    m_view.setProgressValue(0);
    m_view.setProgressText(idleProgressText());
}

void StatementExecution::stopAt(int line, const QString& description)
{
    Steps s(m_ui, m_owner, QStringLiteral("Form2.PushButton1_Click"));
    s.run(152, [&] { m_errorLine = line; });
    s.run(154, [&] { m_view.selectLine(line); });
    s.run(156, [&] { m_view.scrollToLine(line); });
    s.run(158, [&] { m_view.setErrorText(description); });
    s.run(164, [&] { m_view.setBusyPointer(false); });
    s.run(160, [&] { m_view.setProgressValue(0); });
    s.run(162, [&] { m_view.setProgressText(idleProgressText()); });
    s.run(166, [&] { m_ui.showMessage(m_owner, QStringLiteral("Error found.")); });
}
