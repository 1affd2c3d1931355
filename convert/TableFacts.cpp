#include "convert/TableFacts.h"

#include "convert/IndexPlan.h"

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
    for (std::size_t i = 0; i < count; ++i)
        noteValue(i, row[i]);
}

void FactsGatherer::noteValue(std::size_t column, const db::Value& value)
{
    ColumnFacts& facts = m_facts.at(column);
    if (const auto* text = std::get_if<QString>(&value)) {
        if (!facts.beyondCodePage && !m_dialect.holdsAll(*text))
            facts.beyondCodePage = true;
    } else if (const auto* decimal = std::get_if<db::Decimal>(&value)) {
        noteDigits(column, db::DecimalDigits::of(decimal->text));
    }
}

namespace {

// The pass in the set's stored bytes, where it can look at them; false when it cannot.
bool lookAtStoredBytes(db::RecordSet& rows, const std::vector<bool>& wanted, const TargetDialect& dialect,
                       FactsGatherer& gatherer, ReadCount& counted)
{
    db::StoredBytesLook look;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (!wanted[i])
            continue;
        if (rows.countsDigitsOf(i))
            look.digits.push_back({i, {}});
        else if (rows.scansTextOf(i))
            look.searches.push_back({i, dialect.bytesRefusedFrom(rows.textCodePageOf(i)), false});
        else
            look.decoded.push_back(i);
    }
    look.noteDecoded = [&](std::size_t column, const db::Value& value) { gatherer.noteValue(column, value); };
    if (!rows.lookAtStoredBytes(look))
        return false;
    for (const db::StoredBytesLook::Digits& digits : look.digits)
        gatherer.noteDigits(digits.column, digits.widest);
    for (const db::StoredBytesLook::Search& search : look.searches) {
        if (search.found)
            gatherer.noteBeyondCodePage(search.column);
    }
    counted = {look.readable, look.unreadable, look.firstProblem};
    return true;
}

// The pass in the values, row by row.
void readValues(db::RecordSet& rows, FactsGatherer& gatherer, ReadCount& counted, KeyGatherer* keys)
{
    while (!rows.eof()) {
        try {
            const std::vector<db::Value>& values = rows.values();
            gatherer.note(values);
            if (keys)
                keys->note(values);
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
}

} // namespace

TableFacts gatherFacts(db::RecordSet& rows, const TargetDialect& dialect, ReadCount* count, KeyGatherer* keys)
{
    ReadCount counted;
    FactsGatherer gatherer(dialect, rows.fields().size());
    std::vector<bool> wanted = columnsToLookAt(rows, dialect);
    const std::vector<bool> keyColumns = keys ? keys->columnsRead(wanted.size()) : std::vector<bool>();
    const bool keysReadRows = std::find(keyColumns.begin(), keyColumns.end(), true) != keyColumns.end();
    if (keysReadRows || !lookAtStoredBytes(rows, wanted, dialect, gatherer, counted)) {
        for (std::size_t i = 0; i < keyColumns.size(); ++i)
            wanted[i] = wanted[i] || keyColumns[i];
        rows.decodeOnly(wanted);
        readValues(rows, gatherer, counted, keysReadRows ? keys : nullptr);
    }
    // The records a file cut short does not hold came as one row.
    if (const qint64 missing = rows.missingRecords(); missing > 0)
        counted.unreadable += missing - 1;
    if (count)
        *count = counted;
    return gatherer.facts();
}

} // namespace convert
