#include "convert/TableFacts.h"

#include "db/AdoType.h"
#include "db/DbError.h"

#include <algorithm>

namespace convert {

namespace {

// Whether the values of a column of that type can carry a fact: text, or a number written in digits.
bool mayHoldFacts(int adoType)
{
    using namespace db::AdoType;
    switch (adoType) {
    case Char:
    case WChar:
    case VarChar:
    case LongVarChar:
    case VarWChar:
    case LongVarWChar:
    case Numeric:
    case db::AdoType::Decimal:
        return true;
    default:
        return false;
    }
}

} // namespace

std::vector<bool> columnsToLookAt(const db::RecordSet& rows, const TargetDialect& dialect)
{
    const std::vector<db::Field>& fields = rows.fields();
    std::vector<bool> wanted(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int codePage = rows.textCodePageOf(i);
        wanted[i] =
            mayHoldFacts(fields[i].type) && (codePage == 0 || !dialect.holdsEveryCharacterOf(codePage));
    }
    return wanted;
}

void FactsGatherer::noteDigits(std::size_t column, const db::DecimalDigits& digits)
{
    ColumnFacts& facts = m_facts.at(column);
    facts.integerDigits = std::max(facts.integerDigits, digits.integer);
    facts.decimals = std::max(facts.decimals, digits.fraction);
    facts.numberLength = std::max(facts.numberLength, digits.length);
}

void FactsGatherer::note(const std::vector<db::Value>& row)
{
    const std::size_t count = std::min(row.size(), m_facts.size());
    for (std::size_t i = 0; i < count; ++i) {
        ColumnFacts& facts = m_facts[i];
        if (const auto* text = std::get_if<QString>(&row[i])) {
            if (!facts.beyondCodePage && !m_dialect.holdsAll(*text))
                facts.beyondCodePage = true;
        } else if (const auto* decimal = std::get_if<db::Decimal>(&row[i])) {
            noteDigits(i, db::DecimalDigits::of(decimal->text));
        }
    }
}

TableFacts gatherFacts(db::RecordSet& rows, const TargetDialect& dialect, ReadCount* count,
                       const std::function<void(const std::vector<db::Value>&)>& alsoNote)
{
    ReadCount counted;
    FactsGatherer gatherer(dialect, rows.fields().size());
    std::vector<std::size_t> digitsCounted; // numbers whose digits the set counts from their bytes
    if (!alsoNote) {
        std::vector<bool> decoded = columnsToLookAt(rows, dialect);
        for (std::size_t i = 0; i < decoded.size(); ++i) {
            if (decoded[i] && rows.countsDigitsOf(i)) {
                decoded[i] = false;
                digitsCounted.push_back(i);
            }
        }
        rows.decodeOnly(decoded);
    }
    while (!rows.eof()) {
        try {
            gatherer.note(rows.values());
            if (alsoNote)
                alsoNote(rows.values());
            for (const std::size_t column : digitsCounted)
                gatherer.noteDigits(column, rows.numberDigits(column));
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
