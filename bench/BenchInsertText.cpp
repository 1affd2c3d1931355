// Measures how fast INSERT statements are built: 1,000,000 rows (or the count given as the first
// argument) of a 10-column table with quoted text, numbers, dates, a boolean and NULLs, under the
// user's locale. The rows come from a prepared pool, so only the statement text is timed.
#include "convert/StatementText.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

std::vector<std::vector<db::Value>> rowPool()
{
    std::vector<std::vector<db::Value>> rows;
    const QDate start(2021, 1, 1);
    for (int i = 0; i < 1000; ++i) {
        rows.push_back({
            db::Value(i * 7919),
            db::Value(QStringLiteral("O'Neil & Sons %1  ").arg(i)),
            db::Value(QStringLiteral("Customer name number %1").arg(i)),
            i % 3 == 0 ? db::Value() : db::Value(i * 1.25 + 0.1),
            db::Value(db::Decimal{QStringLiteral("%1.%2").arg(i * 13).arg(i % 100, 2, 10, QLatin1Char('0'))}),
            db::Value(db::Currency{qint64(i) * 12345}),
            db::Value(start.addDays(i)),
            db::Value(QDateTime(start.addDays(i), QTime(i % 24, i % 60, i % 59), Qt::UTC)),
            db::Value(i % 2 == 0),
            i % 4 == 0 ? db::Value(QString()) : db::Value(),
        });
    }
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    const long rowCount = argc > 1 ? std::atol(argv[1]) : 1'000'000;
    const auto rows = rowPool();
    convert::InsertBuilder builder(QStringLiteral("Order Details"));

    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    qint64 characters = 0;
    for (long i = 0; i < rowCount; ++i)
        characters += builder.text(rows[static_cast<std::size_t>(i) % rows.size()]).size();
    const qint64 nanoseconds = timer.nsecsElapsed();
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    QTextStream out(stdout);
    // CPU time is the figure to trust on a busy machine: wall time also counts time spent waiting.
    out << "rows: " << rowCount << ", characters: " << characters << ", wall seconds: " << nanoseconds / 1e9
        << ", CPU seconds: " << cpuSeconds << "\n"
        << "rows per second (wall): " << qint64(rowCount * 1e9 / std::max<qint64>(nanoseconds, 1)) << "\n"
        << "rows per second (CPU): " << qint64(rowCount / std::max(cpuSeconds, 1e-9)) << "\n"
        << "sample: " << builder.text(rows[1]) << "\n";
    return 0;
}
