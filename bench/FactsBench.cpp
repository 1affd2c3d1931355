// The pass that reads a table once before its CREATE TABLE, to learn what its values need on the
// target (characters beyond the code page, the widest numbers). Run by hand on the tables
// make_big_table writes, in the code page of a Western target and in one such a target cannot hold:
//
//     build/bench/make_big_table /dev/shm/big && build/bench/bench_facts /dev/shm/big [TABLE]
//     build/bench/make_big_table /dev/shm/big1251 1000000 1251 && build/bench/bench_facts /dev/shm/big1251
//
// Prints, best of three rounds, the time to read every row alone and the time of the whole pass for
// targets of several code pages, the pass as a share of the read (target: under 10 % where the
// table's code page fits the target's), and the resident memory before and after the passes (the
// pass keeps nothing per row, so it stays flat).
#include "convert/TableFacts.h"
#include "db/Connection.h"
#include "db/Foxpro.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

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

// The best time of `Rounds` rounds of `body` on a freshly opened table, in milliseconds.
qint64 best(db::Connection& source, const QString& table, const std::function<void(db::RecordSet&)>& body)
{
    qint64 fastest = -1;
    for (int round = 0; round < Rounds; ++round) {
        auto rows = source.openRecordSet(QStringLiteral("SELECT * FROM `%1`").arg(table));
        QElapsedTimer timer;
        timer.start();
        body(*rows);
        fastest = fastest < 0 ? timer.elapsed() : std::min(fastest, timer.elapsed());
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
    const qint64 read = best(source, table, [&](db::RecordSet& rows) {
        rowCount = 0;
        for (; !rows.eof(); rows.moveNext()) {
            rows.values();
            ++rowCount;
        }
    });
    std::printf("%lld rows: reading alone %lld ms\n", static_cast<long long>(rowCount),
                static_cast<long long>(read));
    for (const auto& [name, dialect] :
         {std::pair{"SQL Server, code page 1252", convert::TargetDialect::sqlServer()},
          std::pair{"SQL Server, code page 1251", convert::TargetDialect::sqlServer(1251)},
          std::pair{"SQL Server, code page 936", convert::TargetDialect::sqlServer(936)},
          std::pair{"SQLite", convert::TargetDialect::sqlite()}}) {
        const qint64 pass =
            best(source, table, [&](db::RecordSet& rows) { convert::gatherFacts(rows, dialect); });
        std::printf("%-28s the facts pass %5lld ms, %5.1f %% of reading alone (%.0f ns per row)\n", name,
                    static_cast<long long>(pass), read ? 100.0 * double(pass) / double(read) : 0.0,
                    rowCount ? double(pass) * 1e6 / double(rowCount) : 0.0);
    }
    std::printf("resident memory: %.1f MiB before the passes, %.1f MiB after\n", before, residentMiB());
    return 0;
}
