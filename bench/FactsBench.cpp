// The pass that reads a table once before its CREATE TABLE, to learn what its values need on the
// target (characters beyond the code page, the widest numbers). Run by hand on the tables
// make_big_table writes, in the code page of a Western target and in one such a target cannot hold:
//
//     build/bench/make_big_table /dev/shm/big && build/bench/bench_facts /dev/shm/big [TABLE]
//     build/bench/make_big_table /dev/shm/big1251 1000000 1251 && build/bench/bench_facts /dev/shm/big1251
//
// Prints, best of three rounds, the time to read every row alone and the time of the whole pass for
// targets of several code pages, the pass as a share of the read (target: under 10 % where the
// table's code page fits the target's), the part of each spent in the kernel copying the files'
// bytes, and the resident memory before and after the passes (the pass keeps nothing per row, so it
// stays flat).
#include "convert/TableFacts.h"
#include "db/Connection.h"
#include "db/Foxpro.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int Rounds = 3;

// Resident memory now, in MiB, from /proc/self/statm.
double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1024 * 1024) : 0;
}

// The time of a round, and of it the time spent in the kernel (copying the files' bytes), in ms.
struct Timing
{
    double wall = -1;
    double system = 0;
};

double systemMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_stime.tv_sec) * 1e3 + double(usage.ru_stime.tv_usec) / 1e3;
}

// The best of `Rounds` rounds of `body` on a freshly opened table.
Timing best(db::Connection& source, const QString& table, const std::function<void(db::RecordSet&)>& body)
{
    Timing fastest;
    for (int round = 0; round < Rounds; ++round) {
        auto rows = source.openRecordSet(QStringLiteral("SELECT * FROM `%1`").arg(table));
        const double systemBefore = systemMs();
        QElapsedTimer timer;
        timer.start();
        body(*rows);
        const double wall = double(timer.nsecsElapsed()) / 1e6;
        if (fastest.wall < 0 || wall < fastest.wall)
            fastest = {wall, systemMs() - systemBefore};
    }
    return fastest;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [TABLE]\n", argv[0]);
        return 1;
    }
    const QString table = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("big");
    FoxProSource foxpro;
    foxpro.folder = QString::fromLocal8Bit(argv[1]);
    db::Connection source;
    source.setCursorLocation(db::ConnectionOptions::UseClient);
    source.open(Foxpro::connectionString(foxpro, Foxpro::Collating::Machine));

    std::printf("table %s, code page %d\n", qPrintable(table),
                source.openRecordSet(QStringLiteral("SELECT * FROM `%1`").arg(table))->textCodePage().number);
    const double before = residentMiB();
    qint64 rowCount = 0;
    const Timing read = best(source, table, [&](db::RecordSet& rows) {
        rowCount = 0;
        for (; !rows.eof(); rows.moveNext()) {
            rows.values();
            ++rowCount;
        }
    });
    std::printf("%lld rows: reading alone %.0f ms (%.0f ms of it in the kernel)\n",
                static_cast<long long>(rowCount), read.wall, read.system);
    for (const auto& [name, dialect] :
         {std::pair{"SQL Server, code page 1252", convert::TargetDialect::sqlServer()},
          std::pair{"SQL Server, code page 1251", convert::TargetDialect::sqlServer(1251)},
          std::pair{"SQL Server, code page 936", convert::TargetDialect::sqlServer(936)},
          std::pair{"SQLite", convert::TargetDialect::sqlite()}}) {
        const Timing pass =
            best(source, table, [&](db::RecordSet& rows) { convert::gatherFacts(rows, dialect); });
        std::printf("%-28s the facts pass %5.0f ms, %5.1f %% of reading alone (%.0f ns per row; %.0f ms in "
                    "the kernel)\n",
                    name, pass.wall, 100.0 * pass.wall / read.wall,
                    rowCount ? pass.wall * 1e6 / double(rowCount) : 0.0, pass.system);
    }
    // The floor of any such pass: finding every record, looking at none of its fields.
    const Timing records = best(source, table, [&](db::RecordSet& rows) {
        db::StoredBytesLook nothing;
        rows.lookAtStoredBytes(nothing);
    });
    std::printf("%-28s loading the records alone %5.0f ms, %5.1f %% of reading alone (%.0f ms in the kernel)\n",
                "", records.wall, 100.0 * records.wall / read.wall, records.system);
    std::printf("resident memory: %.1f MiB before the passes, %.1f MiB after\n", before, residentMiB());
    return 0;
}
