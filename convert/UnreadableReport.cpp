#include "convert/UnreadableReport.h"

namespace convert {

namespace {

// "records 17, 18, ...": the first records, and "..." when there were more.
QString recordList(const db::UnreadableValues& unreadable)
{
    QStringList records;
    for (const qint64 record : unreadable.firstRecords)
        records << QString::number(record);
    if (unreadable.records > qint64(unreadable.firstRecords.size()))
        records << QStringLiteral("...");
    return (unreadable.records == 1 ? QStringLiteral("record ") : QStringLiteral("records ")) +
           records.join(QStringLiteral(", "));
}

// "record 17 (BIRTHDATE: "NotAYear", PAID: "X"), record 18 (...), ...": the first values, those of one
// record together, each with what was stored when it is given; "..." when there were more.
QString valueList(const db::UnreadableValues& unreadable)
{
    QStringList records;
    QStringList fields;
    for (std::size_t i = 0; i < unreadable.firstValues.size(); ++i) {
        const db::UnreadableValues::Listed& value = unreadable.firstValues[i];
        fields << (value.stored.isEmpty() ? value.field : value.field + QStringLiteral(": ") + value.stored);
        const bool lastOfRecord =
            i + 1 == unreadable.firstValues.size() || unreadable.firstValues[i + 1].record != value.record;
        if (lastOfRecord) {
            records
                << QStringLiteral("record %1 (%2)").arg(value.record).arg(fields.join(QStringLiteral(", ")));
            fields.clear();
        }
    }
    if (unreadable.count > qint64(unreadable.firstValues.size()))
        records << QStringLiteral("...");
    return records.join(QStringLiteral(", "));
}

// "N <kind>s of table T <what>: <where>", in the singular for one value.
QString line(const db::UnreadableValues& unreadable, const QString& table, const char* kind,
             const char* oneWhat, const char* manyWhat, const QString& where)
{
    const bool one = unreadable.count == 1;
    return QStringLiteral("%1 %2%3 of table %4 %5: %6")
        .arg(unreadable.count)
        .arg(QLatin1String(kind), one ? QString() : QStringLiteral("s"), table,
             QLatin1String(one ? oneWhat : manyWhat), where);
}

} // namespace

QStringList unreadableValueTexts(const QString& table, const db::ValueProblems& problems)
{
    QStringList lines;
    if (problems.values.count > 0)
        lines << line(problems.values, table, "value", "could not be read and was left empty",
                      "could not be read and were left empty", valueList(problems.values));
    if (problems.memos.count > 0)
        lines << line(problems.memos, table, "memo value", "could not be read and was left empty",
                      "could not be read and were left empty", recordList(problems.memos));
    if (problems.characters.count > 0)
        lines << line(problems.characters, table, "value",
                      "holds bytes that are no character of its code page, read as U+FFFD",
                      "hold bytes that are no character of their code page, read as U+FFFD",
                      valueList(problems.characters));
    return lines;
}

} // namespace convert
