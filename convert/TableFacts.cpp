#include "convert/TableFacts.h"

#include "db/DbError.h"

#include <algorithm>

namespace convert {

namespace {

// A decimal's text is plain: an optional "-", digits, optionally "." and digits.
void noteDecimal(QStringView text, ColumnFacts& facts)
{
    facts.numberLength = std::max(facts.numberLength, int(text.size()));
    if (text.startsWith(u'-'))
        text = text.sliced(1);
    qsizetype point = text.indexOf(u'.');
    if (point < 0)
        point = text.size();
    qsizetype first = 0;
    while (first < point && text[first] == u'0')
        ++first;
    qsizetype last = text.size();
    while (last > point + 1 && text[last - 1] == u'0')
        --last;
    facts.integerDigits = std::max(facts.integerDigits, int(point - first));
    facts.decimals = std::max(facts.decimals, int(std::max<qsizetype>(last - point - 1, 0)));
}

} // namespace

void FactsGatherer::note(const std::vector<db::Value>& row)
{
    const std::size_t count = std::min(row.size(), m_facts.size());
    for (std::size_t i = 0; i < count; ++i) {
        ColumnFacts& facts = m_facts[i];
        if (const auto* text = std::get_if<QString>(&row[i])) {
            if (!facts.beyondCodePage && !m_dialect.holdsAll(*text))
                facts.beyondCodePage = true;
        } else if (const auto* decimal = std::get_if<db::Decimal>(&row[i])) {
            noteDecimal(decimal->text, facts);
        }
    }
}

TableFacts gatherFacts(db::RecordSet& rows, const TargetDialect& dialect, ReadCount* count,
                       const std::function<void(const std::vector<db::Value>&)>& alsoNote)
{
    ReadCount counted;
    FactsGatherer gatherer(dialect, rows.fields().size());
    while (!rows.eof()) {
        try {
            gatherer.note(rows.values());
            if (alsoNote)
                alsoNote(rows.values());
            ++counted.readable;
        } catch (const db::DbError& failure) {
            if (counted.firstProblem.isEmpty())
                counted.firstProblem = failure.description();
            ++counted.unreadable;
        }
        try {
            rows.moveNext();
        } catch (const db::DbError&) {
            break; // the copy's own move to the next row fails there too, and ends its rows
        }
    }
    // The records a file cut short does not hold came as one row.
    if (const qint64 missing = rows.missingRecords(); missing > 0)
        counted.unreadable += missing - 1;
    if (count)
        *count = counted;
    return gatherer.facts();
}

} // namespace convert
