// The direct run into the SQLite stand-in as the try mode has it: a database file on disk, prepared by
// the try mode's own script (scripts/try.sh --prepare). Run by hand:
//
//     build/bench/bench_try [rows] [folder]    (defaults: 20000 rows, a folder beside this program)
//
// Prints the run's wall time and rows per second, the fastest of three runs each into a fresh file,
// against the sqlite3 program (when installed) loading the same rows in one transaction. Targets for
// 20,000 rows: under 1.5 s, and within 3x of sqlite3.
#include "base/HeadlessUiServices.h"
#include "bench/CustomerTable.h"
#include "convert/ConversionRun.h"
#include "tests/convert/RunHarness.h"
#include "tests/convert/TargetDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr int Rounds = 3;

// A desktop that answers nothing and turns an error box into a failed measurement.
class BenchUi final : public HeadlessUiServices
{
public:
    void showError(QObject*, const QString& text) override { throw std::runtime_error(text.toStdString()); }
};

// A whole direct-mode run into `database`; returns its wall time in seconds.
double directRun(const QString& folder, const QString& database)
{
    BenchUi ui;
    SharedState state;
    ScriptedRunWindow window;
    window.source.folder = folder;
    window.login = TargetDatabase(database).login();
    ScriptedPreview preview(state);
    RecordedDatatypes datatypes;
    QStringList list1;
    QStringList list2;
    ConversionRun run(window, state, ui, preview, datatypes, list1, list2);
    QElapsedTimer wall;
    wall.start();
    const RunOutcome outcome = run.start();
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    if (!outcome.started || outcome.failedSteps != 0)
        throw std::runtime_error("the run did not convert the table cleanly");
    return seconds;
}

// A fresh database file as the try mode prepares it, in `folder`.
QString tryModeDatabase(const QString& folder)
{
    const QString build = QCoreApplication::applicationDirPath() + QStringLiteral("/..");
    QProcess prepare;
    prepare.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    prepare.start(QStringLiteral(FERRANDINE_SOURCE_DIR "/scripts/try.sh"),
                  {QStringLiteral("--prepare"), build, folder});
    if (!prepare.waitForFinished(60000) || prepare.exitStatus() != QProcess::NormalExit ||
        prepare.exitCode() != 0)
        throw std::runtime_error("scripts/try.sh --prepare failed");
    return folder + QStringLiteral("/target.db");
}

// sqlite3 loading `script` into a fresh `database`; returns its wall time in seconds.
double sqliteLoad(const QString& program, const QString& script, const QString& database)
{
    QProcess sqlite;
    sqlite.setStandardInputFile(script);
    QElapsedTimer wall;
    wall.start();
    sqlite.start(program, {database});
    if (!sqlite.waitForFinished(600000) || sqlite.exitCode() != 0)
        throw std::runtime_error("sqlite3 could not load the rows");
    return double(wall.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;
    const QString parent =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QCoreApplication::applicationDirPath();
    QTemporaryDir work(parent + QStringLiteral("/bench-try-XXXXXX"));
    if (!work.isValid() || rows <= 0) {
        std::fprintf(stderr, "usage: bench_try [rows] [folder]\n");
        return 2;
    }
    try {
        registerSqliteAsSqlServer();
        const QString source = work.filePath(QStringLiteral("source"));
        QDir().mkpath(source);
        writeCustomerTable(source + QStringLiteral("/customers.dbf"), rows);

        double run = 1e9;
        QString firstRun;
        for (int round = 0; round < Rounds; ++round) {
            const QString database = tryModeDatabase(work.filePath(QStringLiteral("try-%1").arg(round)));
            run = std::min(run, directRun(source, database));
            if (round == 0)
                firstRun = database;
        }
        std::printf("%d rows into an SQLite file in %s\n", rows, qPrintable(work.path()));
        std::printf("%-40s %8.3f s %10.0f rows/s (target for 20,000 rows: under 1.5 s)\n",
                    "direct-mode run:", run, rows / run);

        const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (sqlite3.isEmpty()) {
            std::printf("sqlite3 is not installed: no comparison\n");
            return 0;
        }
        // The rows as sqlite3 writes them out, in one transaction.
        QProcess dump;
        dump.setStandardOutputFile(work.filePath(QStringLiteral("dump.sql")));
        dump.start(sqlite3, {firstRun, QStringLiteral(".dump")});
        if (!dump.waitForFinished(600000) || dump.exitCode() != 0)
            throw std::runtime_error("sqlite3 could not write the rows out");
        double load = 1e9;
        for (int round = 0; round < Rounds; ++round)
            load = std::min(load, sqliteLoad(sqlite3, work.filePath(QStringLiteral("dump.sql")),
                                             work.filePath(QStringLiteral("load-%1.db").arg(round))));
        std::printf("%-40s %8.3f s %10.0f rows/s\n", "sqlite3, the same rows in one transaction:", load,
                    rows / load);
        std::printf("%-40s %8.1f x (target: at most 3)\n", "the run against sqlite3:", run / load);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_try: %s\n", error.what());
        return 1;
    }
    return 0;
}
