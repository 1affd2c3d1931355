#pragma once

#include "convert/TableCheck.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What became of one table the run converted: the rows read from the source, the statements that ran
// (or were listed, in preview mode) and that failed, and what the target holds afterwards.
struct TableTally
{
    QString table;
    qint64 rowsRead = 0;
    qint64 statementsSucceeded = 0;
    qint64 statementsFailed = 0;
    // INSERTs that ran without failing and were committed (in preview mode: that were listed).
    qint64 rowsSent = 0;
    // The rows the target holds once the table was sent or its list executed; -1 when not counted.
    qint64 rowsOnTarget = -1;
    // Memo and other values the source could not give and that were left empty.
    qint64 valuesLeftEmpty = 0;
    // The value-by-value check, when it was asked for and done.
    std::optional<convert::TableCheckReport> check = std::nullopt;
    // With keys and indexes asked for: those created (listed, in preview mode), those not created, and
    // what they lost or why they were not created (one line each, starting with the table's name).
    int keysCreated = 0;
    int indexesCreated = 0;
    int indexesSkipped = 0;
    QStringList indexNotes = {};
};

// The end of a run as the Run Report window shows it and the command line prints it.
struct RunReport
{
    static QString doneLine() { return QStringLiteral("Done."); }
    static QString stoppedLine() { return QStringLiteral("Stopped."); }
    static QString lostLine() { return QStringLiteral("The connection to the server was lost."); }

    // One of the three lines above: "Stopped." when the user left a preview before its list had run.
    QString firstLine = doneLine();
    std::vector<TableTally> tables;
    // The tables passed over at the user's word, each with why.
    QStringList skipped = {};
};

namespace convert {

// "200,000": a count with its thousands grouped by commas, the same in every locale.
QString groupedNumber(qint64 number);

// The column headings of a report's table rows, and the texts of one row (a table's or the totals').
QStringList reportHeadings();
QStringList reportRow(const TableTally& tally);
// Every table's figures added up, under the name "Total"; columns no table has stay uncounted.
TableTally reportTotals(const std::vector<TableTally>& tables);

// What a table's figures do not show: the count that disagrees, the check's summary and its first
// differing rows, what its keys and indexes lost, each line starting with the table's name; nothing
// for a table without a count, check or index notes.
QStringList reportFindings(const TableTally& tally);

// "Not copied: T1 (why), T2 (why).", or "" when no table was passed over.
QString skippedText(const RunReport& report);
// The run's closing message: the first line, then skippedText() after a blank line.
QString runEndText(const RunReport& report);

// The whole report as text: the closing message, a tab-separated line of headings, one per table and the
// totals, then the findings.
QString runReportText(const RunReport& report);

} // namespace convert
