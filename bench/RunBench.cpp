// Direct-mode conversion of one large table into SQLite, against a bare ODBC loop executing the same
// statements on the same driver. Run by hand:
//
//     build/bench/bench_run [rows] [folder]    (defaults: 200000 rows, a folder under /dev/shm)
//
// Prints the processor time of each and the run's overhead; the goal is at most 10%. It also prints what
// letting window events run at every table, column, row and value costs.
#include "base/EventPump.h"
#include "base/HeadlessUiServices.h"
#include "bench/CustomerTable.h"
#include "convert/ConversionRun.h"
#include "convert/SharedState.h"
#include "convert/StatementPreview.h"
#include "convert/StatementText.h"
#include "db/Connection.h"
#include "tests/convert/RunHarness.h"
#include "tests/convert/TargetDatabase.h"

#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QTemporaryDir>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace {

constexpr int Rounds = 5;

// The processor time this process used, in milliseconds. The driver and the engine run inside the
// process, so this is the whole cost of a conversion, and other programs on a busy machine weigh
// little on it.
qint64 cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The statements a direct-mode run executes for the table, built as the run builds them.
std::vector<QString> statementsOf(const QString& folder, const QString& table)
{
    FoxProSource source;
    source.folder = folder;
    db::Connection connection;
    connection.open(Foxpro::connectionString(source, Foxpro::Collating::Machine));
    std::unique_ptr<db::RecordSet> records = connection.openRecordSet(convert::sourceQueryText(table));
    std::vector<QString> statements{convert::createTableText(table, records->fields())};
    convert::InsertBuilder inserts(table);
    for (; !records->eof(); records->moveNext())
        statements.push_back(inserts.text(records->values()));
    return statements;
}

void check(SQLRETURN rc, const char* what)
{
    if (!SQL_SUCCEEDED(rc))
        throw std::runtime_error(what);
}

// The bare loop: one statement handle, SQLExecDirectW per statement.
qint64 rawLoop(const QString& connectionString, const std::vector<QString>& statements)
{
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), "env");
    check(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
          "version");
    check(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), "dbc");
    std::u16string text = connectionString.toStdU16String();
    check(SQLDriverConnectW(dbc, nullptr, reinterpret_cast<SQLWCHAR*>(text.data()), SQLSMALLINT(text.size()),
                            nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
          "connect");
    check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), "stmt");
    const qint64 started = cpuMilliseconds();
    for (const QString& statement : statements) {
        std::u16string sql = statement.toStdU16String();
        check(SQLExecDirectW(stmt, reinterpret_cast<SQLWCHAR*>(sql.data()), SQLINTEGER(sql.size())),
              "execute");
        SQLFreeStmt(stmt, SQL_CLOSE);
    }
    const qint64 elapsed = cpuMilliseconds() - started;
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return elapsed;
}

// A desktop that answers nothing and, when asked to, lets the window system run its events.
class BenchUi final : public HeadlessUiServices
{
public:
    explicit BenchUi(bool events) : m_events(events) {}
    void showError(QObject*, const QString& text) override { throw std::runtime_error(text.toStdString()); }
    void processEvents() override
    {
        ++eventPoints;
        if (m_events)
            QCoreApplication::processEvents();
    }
    long long eventPoints = 0;

private:
    bool m_events;
};

// The main window's part in a run: a visible progress bar with its text.
class BenchWindow final : public RunWindow
{
public:
    BenchWindow(const QString& folder, const QString& database)
    {
        m_source.folder = folder;
        m_login = TargetDatabase(database).login();
        m_bar.setRange(0, 100);
        m_bar.show();
    }
    QObject* runOwner() override { return &m_bar; }
    bool previewMode() const override { return false; }
    bool perFilePreview() const override { return false; }
    bool perTablePreview() const override { return false; }
    FoxProSource foxProSource() const override { return m_source; }
    MSSQLLogin msSqlLogin() const override { return m_login; }
    void setBusyPointer(bool) override {}
    void setProgressValue(double percent) override { m_bar.setValue(int(percent)); }
    void setProgressText(const QString& text) override { m_bar.setFormat(text); }

private:
    FoxProSource m_source;
    MSSQLLogin m_login;
    QProgressBar m_bar;
};

// A whole direct-mode run; returns its time in milliseconds.
qint64 directRun(UiServices& ui, int eventIntervalMs, const QString& folder, const QString& database)
{
    SharedState state;
    BenchWindow window(folder, database);
    ScriptedPreview preview(state);
    RecordedDatatypes datatypes;
    QStringList list1;
    QStringList list2;
    ConversionRun run(window, state, ui, preview, datatypes, list1, list2);
    run.setEventInterval(eventIntervalMs);
    const qint64 started = cpuMilliseconds();
    const RunOutcome outcome = run.start();
    const qint64 elapsed = cpuMilliseconds() - started;
    if (!outcome.started || outcome.failedSteps != 0)
        throw std::runtime_error("the run did not convert the table cleanly");
    return elapsed;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200000;
    QTemporaryDir work(argc > 2 ? QString::fromLocal8Bit(argv[2]) + QStringLiteral("/bench-XXXXXX")
                                : QStringLiteral("/dev/shm/ferrandine-bench-XXXXXX"));
    if (!work.isValid() || rows <= 0) {
        std::fprintf(stderr, "usage: bench_run [rows] [folder]\n");
        return 2;
    }
    try {
        registerSqliteAsSqlServer();
        const QString source = work.filePath(QStringLiteral("source"));
        QDir().mkpath(source);
        writeCustomerTable(source + QStringLiteral("/big.dbf"), rows);

        const qint64 readStarted = cpuMilliseconds();
        const std::vector<QString> statements = statementsOf(source, QStringLiteral("big"));
        const qint64 readAndBuild = cpuMilliseconds() - readStarted;
        // Each measurement is the best of `Rounds` rounds, each into a fresh database, taken in turn so
        // that a busy machine weighs on all of them alike.
        qint64 raw = LLONG_MAX, run = LLONG_MAX, unthrottled = LLONG_MAX, withEvents = LLONG_MAX;
        BenchUi quiet(false);
        BenchUi everyPoint(true);
        BenchUi throttled(true);
        for (int round = 0; round < Rounds; ++round) {
            const auto database = [&](const char* name) {
                return work.filePath(QStringLiteral("%1-%2.db").arg(QLatin1String(name)).arg(round));
            };
            const QString rawString = MSSQL::connectionString(TargetDatabase(database("raw")).login());
            raw = std::min(raw, rawLoop(rawString, statements));
            run = std::min(run, directRun(quiet, 0, source, database("run")));
            unthrottled = std::min(unthrottled, directRun(everyPoint, 0, source, database("every")));
            withEvents = std::min(
                withEvents, directRun(throttled, EventPump::DefaultIntervalMs, source, database("events")));
        }

        std::printf("rows: %d, statements: %zu\n", rows, statements.size());
        std::printf("%-48s %6lld ms\n",
                    "reading the table and building its statements:", static_cast<long long>(readAndBuild));
        std::printf("%-48s %6lld ms\n", "bare ODBC loop:", static_cast<long long>(raw));
        const auto line = [raw](const char* what, qint64 ms, long long events) {
            std::printf("%-48s %6lld ms  overhead %+6.1f%%  (%lld event runs)\n", what,
                        static_cast<long long>(ms), 100.0 * double(ms - raw) / double(raw), events);
        };
        line("direct-mode run, events never run:", run, 0);
        line("direct-mode run, events at every point:", unthrottled, everyPoint.eventPoints / Rounds);
        line("direct-mode run, events at most every 20 ms:", withEvents, throttled.eventPoints / Rounds);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_run: %s\n", error.what());
        return 1;
    }
    return 0;
}
