// Cost of the ODBC layer: 100,000 single-row INSERT statements into a SQLite database on /dev/shm,
// once through db::Connection and once through a minimal loop of raw ODBC calls, in one run.
//
//   build/bench/odbc_insert_bench [rows]
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/odbc/DriverResolution.h"

#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace {

const QString Table = QStringLiteral("bench_rows");

// Wall-clock and processor time of one loop, in milliseconds. Processor time is what the comparison
// uses: on a shared machine it does not count the time other processes take.
struct Timing
{
    double wall = 0;
    double cpu = 0;
};

double cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

class Stopwatch
{
public:
    Stopwatch() : m_cpu(cpuMilliseconds()) { m_wall.start(); }
    Timing elapsed() const { return {double(m_wall.nsecsElapsed()) / 1e6, cpuMilliseconds() - m_cpu}; }

private:
    QElapsedTimer m_wall;
    double m_cpu;
};

std::vector<QString> statements(int rows)
{
    std::vector<QString> result;
    result.reserve(std::size_t(rows));
    for (int i = 0; i < rows; ++i)
        result.push_back(QStringLiteral("INSERT INTO [%1] VALUES(%2,'customer %2',%3.25,'2021-08-31')")
                             .arg(Table)
                             .arg(i)
                             .arg(i % 1000));
    return result;
}

void recreateTable(const QString& connectionString)
{
    db::Connection conn;
    conn.open(connectionString);
    conn.execute(QStringLiteral("DROP TABLE IF EXISTS [%1]").arg(Table));
    conn.execute(
        QStringLiteral("CREATE TABLE [%1] ([id] int, [name] varchar(40), [amount] float, [day] datetime)")
            .arg(Table));
    conn.close();
}

Timing throughLayer(const QString& connectionString, const std::vector<QString>& sql)
{
    recreateTable(connectionString);
    db::Connection conn;
    conn.open(connectionString);
    const Stopwatch watch;
    for (const QString& statement : sql)
        conn.execute(statement);
    const Timing elapsed = watch.elapsed();
    conn.close();
    return elapsed;
}

void require(SQLRETURN rc, const char* call)
{
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
        std::fprintf(stderr, "%s failed (%d)\n", call, rc);
        std::exit(1);
    }
}

SQLWCHAR* wide(const QString& text)
{
    return reinterpret_cast<SQLWCHAR*>(
        const_cast<char16_t*>(reinterpret_cast<const char16_t*>(text.utf16())));
}

Timing rawCalls(const QString& connectionString, const std::vector<QString>& sql)
{
    recreateTable(connectionString);
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    require(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), "SQLAllocHandle");
    require(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
            "SQLSetEnvAttr");
    require(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), "SQLAllocHandle");
    require(SQLDriverConnectW(dbc, nullptr, wide(connectionString), SQL_NTS, nullptr, 0, nullptr,
                              SQL_DRIVER_NOPROMPT),
            "SQLDriverConnect");
    require(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), "SQLAllocHandle");
    const Stopwatch watch;
    for (const QString& statement : sql)
        require(SQLExecDirectW(stmt, wide(statement), SQLINTEGER(statement.size())), "SQLExecDirect");
    const Timing elapsed = watch.elapsed();
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return elapsed;
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const QString driver = db::odbc::findDriverLibrary(QStringLiteral("libsqlite3odbc.so"));
    if (driver.isEmpty()) {
        std::fprintf(stderr, "The SQLite ODBC driver (Debian package libsqliteodbc) is not installed.\n");
        return 1;
    }
    const QString database = QStringLiteral("/dev/shm/ferrandine-odbc-bench-%1.db").arg(getpid());
    const QString connectionString = QStringLiteral("Driver={%1};Database=%2;").arg(driver, database);
    const std::vector<QString> sql = statements(rows);

    // Alternate the two sides and keep the best round of each, so that a busy moment does not decide.
    constexpr int Rounds = 5;
    Timing raw{1e300, 1e300};
    Timing layer{1e300, 1e300};
    try {
        for (int round = 1; round <= Rounds; ++round) {
            const Timing r = rawCalls(connectionString, sql);
            const Timing l = throughLayer(connectionString, sql);
            std::printf("round %d: raw ODBC %.0f ms (cpu %.0f), db::Connection %.0f ms (cpu %.0f)\n", round,
                        r.wall, r.cpu, l.wall, l.cpu);
            raw = {std::min(raw.wall, r.wall), std::min(raw.cpu, r.cpu)};
            layer = {std::min(layer.wall, l.wall), std::min(layer.cpu, l.cpu)};
        }
    } catch (const db::DbError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        QFile::remove(database);
        return 1;
    }
    QFile::remove(database);
    std::printf("%d single-row INSERTs, best of %d rounds:\n"
                "  raw ODBC        %.0f ms wall, %.0f ms cpu (%.1f us/row)\n"
                "  db::Connection  %.0f ms wall, %.0f ms cpu (%.1f us/row)\n"
                "  ratio (cpu) %.3f, ratio (wall) %.3f\n",
                rows, Rounds, raw.wall, raw.cpu, 1000.0 * raw.cpu / rows, layer.wall, layer.cpu,
                1000.0 * layer.cpu / rows, layer.cpu / raw.cpu, layer.wall / raw.wall);
    return 0;
}
