// Direct mode into a SQL Server endpoint on loopback through FreeTDS: fake_tds_server.py with an
// added latency per answer and per commit (--latency-ms X --commit-latency-ms X), one INSERT per call
// (each committed on its own) against batched INSERTs (one transaction each). Run by hand:
//
//     build/bench/bench_batches [rows [statements per batch]]    (defaults: 5000 rows, 200)
//
// Each figure is the fastest of three runs, so that other programs on a busy machine weigh little.
// Prints rows per second of each at 0 and 1 ms, the ratios (the batched run at 1 ms against 0 ms is
// to stay within 2x), and this process's processor time, so that what the fake server itself costs
// (a Python program, one statement after another) shows apart from the run's own work. Last, the
// batched run into a server that stores the rows (--store), without and with the value check that
// reads every value back.
#include "bench/CustomerTable.h"
#include "convert/ConversionRun.h"
#include "tests/convert/RunHarness.h"
#include "tests/support/FakeTdsServer.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/PrivateOdbcConfig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

qint64 cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

struct Measure
{
    double seconds = 0;
    double cpuSeconds = 0;
    qsizetype inserts = 0;
    qsizetype errors = 0;
};

// Into a server that logs what it is sent, or one that stores it too (--store), whose rows the run's
// value check may read back.
enum class Into
{
    LoggingServer,
    StoringServer,
    StoringServerChecked
};

Measure convertOnce(const QString& folder, double latencyMs, int batchStatements, Into into)
{
    QStringList options{QStringLiteral("--latency-ms"), QString::number(latencyMs),
                        QStringLiteral("--commit-latency-ms"), QString::number(latencyMs)};
    if (into != Into::LoggingServer)
        options << QStringLiteral("--store");
    FakeTdsServer server(options);
    if (!server.error().isEmpty())
        qFatal("%s", qPrintable(server.error()));
    FakeUiServices ui;
    SharedState state;
    ScriptedRunWindow window;
    window.source.folder = folder;
    window.login = server.login();
    window.verify = into == Into::StoringServerChecked;
    ScriptedPreview preview(state);
    RecordedDatatypes datatypes;
    QStringList list1;
    QStringList list2;
    ConversionRun run(window, state, ui, preview, datatypes, list1, list2);
    run.setBatchStatements(batchStatements);
    const qint64 cpu = cpuMilliseconds();
    QElapsedTimer wall;
    wall.start();
    run.start();
    Measure measure;
    measure.seconds = double(wall.elapsed()) / 1000.0;
    measure.cpuSeconds = double(cpuMilliseconds() - cpu) / 1000.0;
    measure.inserts = server.statementsRun().filter(QStringLiteral("INSERT INTO")).size();
    measure.errors = ui.errors().size();
    return measure;
}

// The fastest of three runs.
Measure fastestOf(const QString& folder, double latencyMs, int batchStatements,
                  Into into = Into::LoggingServer)
{
    Measure fastest = convertOnce(folder, latencyMs, batchStatements, into);
    for (int round = 1; round < 3; ++round) {
        const Measure again = convertOnce(folder, latencyMs, batchStatements, into);
        if (again.seconds < fastest.seconds)
            fastest = again;
    }
    return fastest;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int batched = argc > 2 ? std::atoi(argv[2]) : 200;
    const PrivateOdbcConfig config({{QStringLiteral("FreeTDS"), PrivateOdbcConfig::freeTdsDriverLibrary()}});
    if (!config.error().isEmpty())
        qFatal("no private ODBC configuration: %s", qPrintable(config.error()));

    QTemporaryDir folder;
    writeCustomerTable(folder.filePath(QStringLiteral("customers.dbf")), rows);

    std::printf("%d rows through FreeTDS into fake_tds_server.py, latency per answer and per commit\n", rows);
    std::printf("%-10s %-14s %10s %12s %14s %8s\n", "latency", "statements", "seconds", "rows/s", "our CPU s",
                "errors");
    double batchedAtZero = 0;
    for (const double latency : {0.0, 1.0}) {
        double perCall = 0;
        for (const int batch : {1, batched}) {
            const Measure m = fastestOf(folder.path(), latency, batch);
            if (m.inserts != rows)
                std::printf("  (the server saw %lld INSERTs)\n", static_cast<long long>(m.inserts));
            std::printf("%-10s %-14s %10.2f %12.0f %14.2f %8lld\n",
                        qPrintable(QStringLiteral("%1 ms").arg(latency)),
                        qPrintable(batch == 1 ? QStringLiteral("1 per call")
                                              : QStringLiteral("%1 per batch").arg(batch)),
                        m.seconds, rows / m.seconds, m.cpuSeconds, static_cast<long long>(m.errors));
            if (batch == 1) {
                perCall = m.seconds;
                continue;
            }
            std::printf("%-10s batched is %.1f times faster\n", "", perCall / m.seconds);
            // Batched without latency, the time left over from our own processor time is the fake
            // server's (and the driver's) work, statement by statement.
            if (latency == 0.0) {
                batchedAtZero = m.seconds;
                std::printf("%-10s the fake server spends about %.0f microseconds per statement\n", "",
                            (m.seconds - m.cpuSeconds) / rows * 1e6);
            } else {
                std::printf(
                    "%-10s batched at %g ms takes %.2f times as long as at 0 ms (target: at most 2)\n", "",
                    latency, m.seconds / batchedAtZero);
            }
        }
    }
    const Measure stored = fastestOf(folder.path(), 0, batched, Into::StoringServer);
    const Measure checked = fastestOf(folder.path(), 0, batched, Into::StoringServerChecked);
    std::printf("into a storing server, %d per batch: %.2f s, with the value check %.2f s (the check %.2fx "
                "the load), %lld errors\n",
                batched, stored.seconds, checked.seconds, (checked.seconds - stored.seconds) / stored.seconds,
                static_cast<long long>(checked.errors));
    return 0;
}
