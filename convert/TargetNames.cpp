#include "convert/TargetNames.h"

#include <QHash>

namespace convert {

namespace {

QString refusal(const QString& table, const QString& reason)
{
    return QStringLiteral("Table %1 is not converted: %2.").arg(table, reason);
}

// "... has 130 characters, more than the 128 SQL Server allows"
QString tooLong(const QString& name)
{
    return QStringLiteral("has %1 characters, more than the %2 SQL Server allows")
        .arg(name.size())
        .arg(MaxNameLength);
}

} // namespace

QString tableNameProblem(const QString& table, const QStringList& earlier)
{
    if (table.size() > MaxNameLength)
        return refusal(table, QStringLiteral("its name ") + tooLong(table));
    for (const QString& other : earlier) {
        if (other.compare(table, Qt::CaseInsensitive) == 0)
            return refusal(
                table,
                QStringLiteral("on SQL Server its name is that of table %1, converted before it").arg(other));
    }
    return {};
}

QString fieldNameProblem(const QString& table, const std::vector<db::Field>& fields)
{
    QHash<QString, qsizetype> seen; // case-folded name -> the field's position
    for (qsizetype i = 0; i < qsizetype(fields.size()); ++i) {
        const QString& name = fields[std::size_t(i)].name;
        if (name.size() > MaxNameLength)
            return refusal(table, QStringLiteral("the name of its field %1 ").arg(name) + tooLong(name));
        const QString folded = name.toCaseFolded();
        if (const auto at = seen.constFind(folded); at != seen.cend())
            return refusal(table, QStringLiteral("its fields %1 (%2) and %3 (%4) have the same name on SQL "
                                                 "Server, which does not tell letter case apart in names")
                                      .arg(*at + 1)
                                      .arg(fields[std::size_t(*at)].name)
                                      .arg(i + 1)
                                      .arg(name));
        seen.insert(folded, i);
    }
    return {};
}

} // namespace convert
