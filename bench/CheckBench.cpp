// What the proof of a run costs: one large table copied into SQLite in direct mode, once without and
// once with the value check, each into a fresh target. Run by hand:
//
//     build/bench/bench_check [rows] [folder]    (defaults: 1000000 rows, a folder under /dev/shm)
//
// Prints the wall time of the load, of the count and of the check, and the process's peak memory after
// each run; the goal is a check that costs at most what the load took, with memory flat.
#include "base/HeadlessUiServices.h"
#include "convert/ConversionRun.h"
#include "convert/SharedState.h"
#include "tests/convert/RunHarness.h"
#include "tests/convert/TargetDatabase.h"
#include "tests/support/DbfTableWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void writeTable(const QString& path, int rows)
{
    DbfTableWriter table({{"ID", 'I', 4}, {"NAME", 'C', 30}, {"AMOUNT", 'N', 12, 2}, {"BORN", 'D', 8}});
    for (int i = 0; i < rows; ++i)
        table.addRow({QString::number(i), QStringLiteral("Customer %1 O'Hara").arg(i),
                      QString::number(i % 100000) + QStringLiteral(".25"),
                      QDate(1950, 1, 1).addDays(i % 20000).toString(QStringLiteral("yyyyMMdd"))});
    table.save(path);
}

// Seconds of the whole run, and the check's own seconds (from the progress text that announces it).
struct Timing
{
    double run = 0;
    double check = 0;
    bool matched = false;
};

Timing convertInto(const QString& folder, const QString& target, bool verify)
{
    QFile::remove(target);
    HeadlessUiServices ui;
    SharedState state;
    ScriptedRunWindow window;
    ScriptedPreview preview(state);
    RecordedDatatypes datatypes;
    QStringList list1;
    QStringList list2;
    window.source.folder = folder;
    window.login = TargetDatabase(target).login();
    window.verify = verify;
    QElapsedTimer clock;
    qint64 checkStarted = -1;
    window.onProgressText = [&](const QString& text) {
        if (text.startsWith(QLatin1String("Please wait.. Checking")))
            checkStarted = clock.elapsed();
    };
    ConversionRun run(window, state, ui, preview, datatypes, list1, list2);
    clock.start();
    const RunOutcome outcome = run.start();
    Timing timing{clock.elapsed() / 1000.0, 0, false};
    if (checkStarted >= 0)
        timing.check = (clock.elapsed() - checkStarted) / 1000.0;
    timing.matched = !outcome.tables.empty() && outcome.tables[0].check && outcome.tables[0].check->matches();
    return timing;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir scratch(argc > 2 ? QString::fromLocal8Bit(argv[2]) + QStringLiteral("/check-XXXXXX")
                                   : QStringLiteral("/dev/shm/ferrandine-check-XXXXXX"));
    registerSqliteAsSqlServer();
    const QString folder = scratch.filePath(QStringLiteral("source"));
    QDir().mkpath(folder);
    writeTable(folder + QStringLiteral("/big.dbf"), rows);
    const QString target = scratch.filePath(QStringLiteral("target.db"));
    const Timing plain = convertInto(folder, target, false);
    std::printf("%d rows into SQLite: load and count %.2f s, peak %ld MB\n", rows, plain.run,
                peakMegabytes());
    const Timing checked = convertInto(folder, target, true);
    std::printf("with the value check: %.2f s in all, the check %.2f s (%.2fx the load), %s, peak %ld MB\n",
                checked.run, checked.check, checked.check / (checked.run - checked.check),
                checked.matched ? "every value the same" : "DIFFERENCES", peakMegabytes());
    return 0;
}
