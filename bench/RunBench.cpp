// Direct-mode conversion of one large table into SQLite, against a bare ODBC loop executing the same
// statements on the same driver. Run by hand:
//
//     build/bin/bench_run [rows] [folder]      (defaults: 200000 rows, a folder under /dev/shm)
//
// Prints the time of each and the run's overhead; the goal is at most 10%. It also prints what
// letting window events run at every table, column, row and value costs.
#include "app/QtUiServices.h"
#include "convert/ConversionRun.h"
#include "convert/SharedState.h"
#include "convert/StatementPreview.h"
#include "convert/StatementText.h"
#include "db/Connection.h"
#include "tests/convert/RunHarness.h"
#include "tests/convert/TargetDatabase.h"
#include "tests/support/DbfTableWriter.h"
#include "tests/support/FakeUiServices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <stdexcept>

namespace {

void writeTable(const QString& path, int rows)
{
    DbfTableWriter table({{"ID", 'I', 4},
                          {"NAME", 'C', 30},
                          {"AMOUNT", 'N', 12, 2},
                          {"BORN", 'D', 8},
                          {"ACTIVE", 'L', 1},
                          {"NOTE", 'C', 20}});
    for (int i = 0; i < rows; ++i) {
        table.addRow({QString::number(i), QStringLiteral("Customer %1 O'Hara").arg(i),
                      QString::number(i % 100000) + QStringLiteral(".25"),
                      QDate(1950, 1, 1).addDays(i % 20000).toString(QStringLiteral("yyyyMMdd")),
                      i % 2 ? QStringLiteral("T") : QStringLiteral("F"),
                      i % 7 ? QStringLiteral("note") : QString()});
    }
    table.save(path);
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
    QElapsedTimer timer;
    timer.start();
    for (const QString& statement : statements) {
        std::u16string sql = statement.toStdU16String();
        check(SQLExecDirectW(stmt, reinterpret_cast<SQLWCHAR*>(sql.data()), SQLINTEGER(sql.size())),
              "execute");
        SQLFreeStmt(stmt, SQL_CLOSE);
    }
    const qint64 elapsed = timer.elapsed();
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return elapsed;
}

// A whole direct-mode run; returns its time in milliseconds.
qint64 directRun(UiServices& ui, const QString& folder, const QString& database)
{
    SharedState state;
    ScriptedRunWindow window;
    window.source.folder = folder;
    window.login = TargetDatabase(database).login();
    ScriptedPreview preview(state);
    RecordedDatatypes datatypes;
    QStringList list1;
    QStringList list2;
    ConversionRun run(window, state, ui, preview, datatypes, list1, list2);
    QElapsedTimer timer;
    timer.start();
    const RunOutcome outcome = run.start();
    const qint64 elapsed = timer.elapsed();
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
        writeTable(source + QStringLiteral("/big.dbf"), rows);

        const std::vector<QString> statements = statementsOf(source, QStringLiteral("big"));
        const QString rawDatabase = work.filePath(QStringLiteral("raw.db"));
        const qint64 raw = rawLoop(MSSQL::connectionString(TargetDatabase(rawDatabase).login()), statements);

        FakeUiServices quiet;
        const qint64 run = directRun(quiet, source, work.filePath(QStringLiteral("run.db")));
        QtUiServices desktop;
        const qint64 withEvents = directRun(desktop, source, work.filePath(QStringLiteral("events.db")));

        std::printf("rows: %d, statements: %zu\n", rows, statements.size());
        std::printf("bare ODBC loop:                  %6lld ms\n", static_cast<long long>(raw));
        std::printf("direct-mode run (no events):     %6lld ms  overhead %+.1f%%\n",
                    static_cast<long long>(run), 100.0 * double(run - raw) / double(raw));
        std::printf("direct-mode run (window events): %6lld ms  overhead %+.1f%%  (%d event points)\n",
                    static_cast<long long>(withEvents), 100.0 * double(withEvents - raw) / double(raw),
                    quiet.eventPumps);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_run: %s\n", error.what());
        return 1;
    }
    return 0;
}
