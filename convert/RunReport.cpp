#include "convert/RunReport.h"

#include <QLocale>

namespace convert {

QString groupedNumber(qint64 number)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(number);
}

namespace {

QString counted(qint64 number)
{
    return number < 0 ? QStringLiteral("-") : groupedNumber(number);
}

} // namespace

QStringList reportHeadings()
{
    return {QStringLiteral("Table"),
            QStringLiteral("Rows read"),
            QStringLiteral("Succeeded"),
            QStringLiteral("Failed"),
            QStringLiteral("On the target"),
            QStringLiteral("Values checked"),
            QStringLiteral("Values differing"),
            QStringLiteral("Values left empty")};
}

QStringList reportRow(const TableTally& tally)
{
    return {tally.table,
            groupedNumber(tally.rowsRead),
            groupedNumber(tally.statementsSucceeded),
            groupedNumber(tally.statementsFailed),
            counted(tally.rowsOnTarget),
            tally.check ? groupedNumber(tally.check->valuesChecked) : QStringLiteral("-"),
            tally.check ? groupedNumber(tally.check->valuesDiffering) : QStringLiteral("-"),
            groupedNumber(tally.valuesLeftEmpty)};
}

TableTally reportTotals(const std::vector<TableTally>& tables)
{
    TableTally total{.table = QStringLiteral("Total")};
    for (const TableTally& tally : tables) {
        total.rowsRead += tally.rowsRead;
        total.statementsSucceeded += tally.statementsSucceeded;
        total.statementsFailed += tally.statementsFailed;
        total.rowsSent += tally.rowsSent;
        total.valuesLeftEmpty += tally.valuesLeftEmpty;
        if (tally.rowsOnTarget >= 0)
            total.rowsOnTarget = std::max<qint64>(total.rowsOnTarget, 0) + tally.rowsOnTarget;
        if (tally.check) {
            if (!total.check)
                total.check.emplace();
            total.check->valuesChecked += tally.check->valuesChecked;
            total.check->valuesDiffering += tally.check->valuesDiffering;
        }
    }
    return total;
}

QStringList reportFindings(const TableTally& tally)
{
    QStringList findings;
    if (tally.rowsOnTarget >= 0) {
        const QString difference = countDifferenceText(tally.table, tally.rowsSent, tally.rowsOnTarget);
        if (!difference.isEmpty())
            findings << difference;
    }
    if (tally.check) {
        findings << tally.table + QStringLiteral(": ") + checkSummaryText(*tally.check);
        for (const QString& line : differenceLines(*tally.check))
            findings << tally.table + QStringLiteral(": ") + line;
    }
    return findings + tally.indexNotes;
}

QString skippedText(const RunReport& report)
{
    if (report.skipped.isEmpty())
        return {};
    return QStringLiteral("Not copied: ") + report.skipped.join(QStringLiteral(", ")) + u'.';
}

QString runEndText(const RunReport& report)
{
    const QString skipped = skippedText(report);
    return skipped.isEmpty() ? report.firstLine : report.firstLine + QStringLiteral("\r\r") + skipped;
}

QString runReportText(const RunReport& report)
{
    QStringList lines{report.firstLine};
    if (!report.skipped.isEmpty())
        lines << skippedText(report);
    lines << reportHeadings().join(u'\t');
    for (const TableTally& tally : report.tables)
        lines << reportRow(tally).join(u'\t');
    lines << reportRow(reportTotals(report.tables)).join(u'\t');
    for (const TableTally& tally : report.tables)
        lines << reportFindings(tally);
    return lines.join(u'\n') + u'\n';
}

} // namespace convert
