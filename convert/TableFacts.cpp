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

TableFacts gatherFacts(db::RecordSet& rows, const TargetDialect& dialect, ReadCount* count,
                       const std::function<void(const std::vector<db::Value>&)>& alsoNote)
{
    ReadCount counted;
    FactsGatherer gatherer(dialect, rows.fields().size());
    std::vector<std::size_t> digitsCounted; // numbers whose digits the set counts from their bytes
    struct ScannedText
    {
        std::size_t column;
        db::ByteSet refused;
    };
    std::vector<ScannedText> scanned; // text searched in its bytes until a refused one turns up
    std::vector<std::size_t> decoded; // the columns whose values are decoded and looked at
    if (!alsoNote) {
        const std::vector<bool> wanted = columnsToLookAt(rows, dialect);
        std::vector<bool> decode(wanted.size());
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            if (!wanted[i])
                continue;
            if (rows.countsDigitsOf(i)) {
                digitsCounted.push_back(i);
            } else if (rows.scansTextOf(i)) {
                scanned.push_back({i, dialect.bytesRefusedFrom(rows.textCodePageOf(i))});
            } else {
                decoded.push_back(i);
                decode[i] = true;
            }
        }
        rows.decodeOnly(decode);
    }
    while (!rows.eof()) {
        try {
            const std::vector<db::Value>& values = rows.values();
            if (alsoNote) {
                gatherer.note(values);
                alsoNote(values);
            }
            for (const std::size_t column : decoded)
                gatherer.noteValue(column, values[column]);
            for (const std::size_t column : digitsCounted)
                gatherer.noteDigits(column, rows.numberDigits(column));
            std::erase_if(scanned, [&](const ScannedText& text) {
                if (!rows.textHoldsAnyOf(text.column, text.refused))
                    return false;
                gatherer.noteBeyondCodePage(text.column);
                return true;
            });
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
