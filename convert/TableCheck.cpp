#include "convert/TableCheck.h"

#include "db/DbError.h"

#include <QLocale>

#include <algorithm>
#include <deque>

namespace convert {

namespace {

// A row's compared values, reduced to 128 bits.
struct RowKey
{
    quint64 high = 0;
    quint64 low = 0;
    friend auto operator<=>(const RowKey&, const RowKey&) = default;
};

using Row = std::vector<CheckedValue>;

// Hashes rows through one buffer that keeps its capacity: NULL and every text are written with a mark
// and the text's length, so that no two different rows give the same bytes.
class RowHasher
{
public:
    RowKey key(const Row& row)
    {
        m_bytes.clear();
        for (const CheckedValue& value : row) {
            if (!value) {
                m_bytes.append('\0');
                continue;
            }
            const qint64 length = value->size();
            m_bytes.append('\1');
            m_bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
            m_bytes.append(reinterpret_cast<const char*>(value->utf16()), length * 2);
        }
        return {quint64(qHashBits(m_bytes.constData(), std::size_t(m_bytes.size()), 0x9E3779B97F4A7C15ULL)),
                quint64(qHashBits(m_bytes.constData(), std::size_t(m_bytes.size()), 0x2545F4914F6CDD1DULL))};
    }

private:
    QByteArray m_bytes;
};

struct ReadRow
{
    qint64 number = 0; // 1-based
    Row values;
    QString unreadable; // the source's error for a record it could not give
};

// One side's rows in their compared form. On the source a record that cannot be read is given with its
// error and a failed move to the next one ends the rows, as the copy itself does; on the target every
// failure throws.
class Side
{
public:
    using Convert = std::function<Row(const std::vector<db::Value>&)>;

    Side(std::unique_ptr<db::RecordSet> rows, Convert convert, bool source)
        : m_rows(std::move(rows)), m_convert(std::move(convert)), m_source(source)
    {}

    bool next(ReadRow& row)
    {
        if (m_ended || m_rows->eof())
            return false;
        row.number = ++m_read;
        row.unreadable.clear();
        try {
            row.values = m_convert(m_rows->values());
        } catch (const db::DbError& error) {
            if (!m_source)
                throw;
            row.values.clear();
            row.unreadable = error.description();
        }
        try {
            m_rows->moveNext();
        } catch (const db::DbError&) {
            if (!m_source)
                throw;
            m_ended = true;
        }
        return true;
    }

private:
    std::unique_ptr<db::RecordSet> m_rows;
    Convert m_convert;
    bool m_source;
    qint64 m_read = 0;
    bool m_ended = false;
};

// Rows of one key that one side holds more often than the other: those after the first `matched`
// occurrences are the surplus.
struct Surplus
{
    RowKey key;
    qint64 matched = 0;
    qint64 seen = 0;
};

class Check
{
public:
    Check(const TableCheckPlan& plan, const std::function<std::unique_ptr<db::RecordSet>()>& openSource,
          db::Connection& target, const std::function<bool()>& keepGoing)
        : m_plan(plan), m_openSource(openSource), m_target(target), m_keepGoing(keepGoing)
    {
        for (const QString& type : plan.columnTypes)
            m_kinds.push_back(readBackOf(type));
    }

    TableCheckReport run();

private:
    Side openSide(bool source);
    // The values of a side's row as the check compares them, each made by `value` with its column's
    // read-back kind; a column the row lacks compares as NULL.
    template <class Value> Side::Convert rowsOf(Value value) const
    {
        return [this, value](const std::vector<db::Value>& values) {
            Row row;
            row.reserve(m_kinds.size());
            for (std::size_t i = 0; i < m_kinds.size(); ++i)
                row.push_back(i < values.size() ? value(values[i], m_kinds[i]) : std::nullopt);
            return row;
        };
    }
    bool goOn()
    {
        if (m_keepGoing && !m_keepGoing())
            m_report.stopped = true;
        return !m_report.stopped;
    }
    std::vector<RowKey> sortedKeys(bool source);
    void findSurplus(const std::vector<RowKey>& source, const std::vector<RowKey>& target);
    void placeDifferences();
    bool isSurplus(std::vector<Surplus>& surplus, const ReadRow& row);
    void arrive(ReadRow&& row, bool source);
    void unmatched(const ReadRow& row, bool source);
    void note(RowDifference difference);

    const TableCheckPlan& m_plan;
    const std::function<std::unique_ptr<db::RecordSet>()>& m_openSource;
    db::Connection& m_target;
    const std::function<bool()>& m_keepGoing;
    std::vector<TargetDialect::ReadBack> m_kinds;
    QStringList m_columns;
    RowHasher m_hasher;
    TableCheckReport m_report;
    std::vector<Surplus> m_sourceSurplus;
    std::vector<Surplus> m_targetSurplus;
    qint64 m_surplusRows[2] = {0, 0}; // source, target
    // Differing rows read but not yet matched with a row of the other side, per side.
    std::deque<ReadRow> m_waiting[2];
};

// How many unmatched rows of each side wait for a changed twin from the other side.
constexpr std::size_t Window = 1000;

Side Check::openSide(bool source)
{
    if (source) {
        std::unique_ptr<db::RecordSet> rows = m_openSource();
        m_columns.clear();
        for (const db::Field& field : rows->fields())
            m_columns << field.name;
        return Side(std::move(rows), rowsOf([this](const db::Value& value, TargetDialect::ReadBack kind) {
                        return expectedValue(value, kind, *m_plan.format);
                    }),
                    true);
    }
    QStringList items;
    for (qsizetype i = 0; i < m_columns.size() && i < qsizetype(m_kinds.size()); ++i)
        items << m_plan.dialect.readBackItem(bracketedName(m_columns[i]), m_kinds[std::size_t(i)]);
    std::unique_ptr<db::RecordSet> rows =
        m_target.openRecordSet(QStringLiteral("SELECT ") + items.join(u',') + QStringLiteral(" FROM ") +
                               bracketedName(m_plan.table));
    return Side(std::move(rows), rowsOf(heldValue), false);
}

std::vector<RowKey> Check::sortedKeys(bool source)
{
    Side side = openSide(source);
    std::vector<RowKey> keys;
    ReadRow row;
    while (goOn() && side.next(row)) {
        if (!row.unreadable.isEmpty()) {
            ++m_report.rowsMissing;
            note({row.number, 0, {}, row.unreadable});
            continue;
        }
        keys.push_back(m_hasher.key(row.values));
    }
    (source ? m_report.rowsRead : m_report.rowsOnTarget) =
        source ? qint64(keys.size()) + m_report.rowsMissing : qint64(keys.size());
    std::sort(keys.begin(), keys.end());
    return keys;
}

void Check::findSurplus(const std::vector<RowKey>& source, const std::vector<RowKey>& target)
{
    auto s = source.begin();
    auto t = target.begin();
    while (s != source.end() || t != target.end()) {
        const RowKey key = (t == target.end() || (s != source.end() && *s < *t)) ? *s : *t;
        const auto sourceEnd = std::find_if(s, source.end(), [&](const RowKey& k) { return k != key; });
        const auto targetEnd = std::find_if(t, target.end(), [&](const RowKey& k) { return k != key; });
        const qint64 inSource = sourceEnd - s;
        const qint64 inTarget = targetEnd - t;
        if (inSource > inTarget) {
            m_sourceSurplus.push_back({key, inTarget});
            m_surplusRows[0] += inSource - inTarget;
        } else if (inTarget > inSource) {
            m_targetSurplus.push_back({key, inSource});
            m_surplusRows[1] += inTarget - inSource;
        }
        s = sourceEnd;
        t = targetEnd;
    }
}

bool Check::isSurplus(std::vector<Surplus>& surplus, const ReadRow& row)
{
    const RowKey key = m_hasher.key(row.values);
    const auto found = std::lower_bound(surplus.begin(), surplus.end(), key,
                                        [](const Surplus& entry, const RowKey& k) { return entry.key < k; });
    return found != surplus.end() && found->key == key && ++found->seen > found->matched;
}

void Check::note(RowDifference difference)
{
    if (m_report.firstDifferences.size() < TableCheckReport::ShownDifferences)
        m_report.firstDifferences.push_back(std::move(difference));
}

void Check::unmatched(const ReadRow& row, bool source)
{
    RowDifference difference{source ? row.number : 0, source ? 0 : row.number, {}, {}};
    for (std::size_t i = 0; i < row.values.size(); ++i) {
        const QString shown = shownValue(row.values[i]);
        difference.values.push_back(
            {m_columns.value(qsizetype(i)), source ? shown : QString(), source ? QString() : shown});
    }
    note(std::move(difference));
}

// A differing row meets the rows of the other side waiting unmatched: the one sharing the most values,
// at least half of them, is its changed twin.
void Check::arrive(ReadRow&& row, bool source)
{
    std::deque<ReadRow>& others = m_waiting[source ? 1 : 0];
    const std::size_t columns = row.values.size();
    auto best = others.end();
    std::size_t bestEqual = 0;
    for (auto other = others.begin(); other != others.end(); ++other) {
        std::size_t equal = 0;
        for (std::size_t i = 0; i < columns && i < other->values.size(); ++i)
            equal += row.values[i] == other->values[i];
        if (equal > bestEqual && equal * 2 >= columns) {
            best = other;
            bestEqual = equal;
        }
    }
    if (best == others.end()) {
        std::deque<ReadRow>& mine = m_waiting[source ? 0 : 1];
        mine.push_back(std::move(row));
        if (mine.size() > Window) {
            unmatched(mine.front(), source);
            mine.pop_front();
        }
        return;
    }
    const ReadRow& sourceRow = source ? row : *best;
    const ReadRow& targetRow = source ? *best : row;
    RowDifference difference{sourceRow.number, targetRow.number, {}, {}};
    for (std::size_t i = 0; i < columns; ++i) {
        if (sourceRow.values[i] != targetRow.values[i])
            difference.values.push_back({m_columns.value(qsizetype(i)), shownValue(sourceRow.values[i]),
                                         shownValue(targetRow.values[i])});
    }
    ++m_report.rowsChanged;
    m_report.valuesDiffering += qint64(difference.values.size());
    note(std::move(difference));
    others.erase(best);
}

void Check::placeDifferences()
{
    Side source = openSide(true);
    Side target = openSide(false);
    ReadRow row;
    for (bool more = true; more && goOn();) {
        more = false;
        if (source.next(row)) {
            more = true;
            if (row.unreadable.isEmpty() && isSurplus(m_sourceSurplus, row))
                arrive(std::move(row), true);
        }
        if (target.next(row)) {
            more = true;
            if (isSurplus(m_targetSurplus, row))
                arrive(std::move(row), false);
        }
    }
    for (int side = 0; side < 2; ++side) {
        for (const ReadRow& waiting : m_waiting[side])
            unmatched(waiting, side == 0);
    }
}

TableCheckReport Check::run()
{
    {
        const std::vector<RowKey> source = sortedKeys(true);
        const std::vector<RowKey> target = sortedKeys(false);
        findSurplus(source, target);
    }
    m_report.valuesChecked = m_report.rowsRead * qint64(m_kinds.size());
    if (m_surplusRows[0] + m_surplusRows[1] > 0 && !m_report.stopped)
        placeDifferences();
    m_report.rowsMissing += m_surplusRows[0] - m_report.rowsChanged;
    m_report.rowsExtra = m_surplusRows[1] - m_report.rowsChanged;
    return m_report;
}

QString grouped(qint64 number)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(number);
}

QString plural(qint64 number, const char* one, const char* many)
{
    return grouped(number) + u' ' + QLatin1StringView(number == 1 ? one : many);
}

} // namespace

TableCheckReport checkTable(const TableCheckPlan& plan,
                            const std::function<std::unique_ptr<db::RecordSet>()>& openSource,
                            db::Connection& target, const std::function<bool()>& keepGoing)
{
    return Check(plan, openSource, target, keepGoing).run();
}

qint64 countRows(db::Connection& target, const QString& table)
{
    const QString answer = target.queryValue(QStringLiteral("SELECT COUNT(*) FROM ") + bracketedName(table));
    bool ok = false;
    const qint64 rows = answer.trimmed().toLongLong(&ok);
    if (!ok)
        throw db::DbError(QStringLiteral("The target did not say how many rows table %1 holds (\"%2\").")
                              .arg(table, answer));
    return rows;
}

QString countDifferenceText(const QString& table, qint64 sent, qint64 onTarget)
{
    if (sent == onTarget)
        return {};
    return QStringLiteral("table %1: %2 sent, %3 on the server")
        .arg(table, plural(sent, "row", "rows"), grouped(onTarget));
}

QString checkSummaryText(const TableCheckReport& report)
{
    QString text = QStringLiteral("%1 read, %2 on the target: ")
                       .arg(plural(report.rowsRead, "row", "rows"), grouped(report.rowsOnTarget));
    if (report.matches())
        return text + QStringLiteral("every value the same");
    QStringList parts;
    parts << QStringLiteral("%1 missing").arg(grouped(report.rowsMissing))
          << QStringLiteral("%1 extra").arg(grouped(report.rowsExtra))
          << QStringLiteral("%1 in %2")
                 .arg(plural(report.valuesDiffering, "value differs", "values differ"),
                      plural(report.rowsChanged, "row", "rows"));
    if (report.stopped)
        parts << QStringLiteral("the check was stopped");
    return text + parts.join(QStringLiteral(", "));
}

QStringList differenceLines(const TableCheckReport& report)
{
    QStringList lines;
    for (const RowDifference& difference : report.firstDifferences) {
        QStringList values;
        for (const RowDifference::Value& value : difference.values) {
            if (difference.sourceRecord > 0 && difference.targetRow > 0)
                values << QStringLiteral("%1 source %2, target %3")
                              .arg(value.column, value.source, value.target);
            else
                values << value.column + u' ' + (value.source.isEmpty() ? value.target : value.source);
        }
        if (!difference.unreadable.isEmpty())
            lines << QStringLiteral("record %1 could not be read: %2")
                         .arg(difference.sourceRecord)
                         .arg(difference.unreadable);
        else if (difference.targetRow == 0)
            lines << QStringLiteral("record %1 is missing on the target: %2")
                         .arg(difference.sourceRecord)
                         .arg(values.join(QStringLiteral(", ")));
        else if (difference.sourceRecord == 0)
            lines << QStringLiteral("target row %1 is not in the source: %2")
                         .arg(difference.targetRow)
                         .arg(values.join(QStringLiteral(", ")));
        else
            lines << QStringLiteral("record %1 (target row %2): %3")
                         .arg(difference.sourceRecord)
                         .arg(difference.targetRow)
                         .arg(values.join(QStringLiteral("; ")));
    }
    return lines;
}

} // namespace convert
