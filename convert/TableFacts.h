#pragma once

#include "convert/TargetDialect.h"
#include "db/RecordSet.h"
#include "db/Value.h"

#include <vector>

namespace convert {

// What the stored values of one column need on the target, beyond what its declaration says.
struct ColumnFacts
{
    // A text value holds a character the target's code page cannot: the column needs national text.
    bool beyondCodePage = false;
    // The most digits a stored number has before its point (leading zeros not counted), and the
    // most after it (trailing zeros not counted). A field may hold numbers wider or finer than it
    // declares: FoxPro drops decimals to fit a number, other writers store more decimals.
    int integerDigits = 0;
    int decimals = 0;
    // The longest stored number's text, in characters.
    int numberLength = 0;
    // The column belongs to the primary key the table gets and holds no NULL: it is declared NOT NULL.
    bool notNull = false;

    friend bool operator==(const ColumnFacts&, const ColumnFacts&) = default;
};

// One entry per field, in field order.
using TableFacts = std::vector<ColumnFacts>;

// Gathers the facts of a table row by row, in the reader's values; holds nothing but the facts.
class FactsGatherer
{
public:
    FactsGatherer(const TargetDialect& dialect, std::size_t columns) : m_dialect(dialect), m_facts(columns) {}

    void note(const std::vector<db::Value>& row);
    void noteValue(std::size_t column, const db::Value& value);
    void noteDigits(std::size_t column, const db::DecimalDigits& digits);
    void noteBeyondCodePage(std::size_t column) { m_facts.at(column).beyondCodePage = true; }
    const TableFacts& facts() const { return m_facts; }

private:
    TargetDialect m_dialect;
    TableFacts m_facts;
};

// How much of a table the pass over it could read: the records whose values it read, those it could
// not (rows whose values fail, and records the table announces but does not hold), and the reader's
// description of the first problem.
struct ReadCount
{
    qint64 readable = 0;
    qint64 unreadable = 0;
    QString firstProblem;

    bool damaged() const { return unreadable > 0; }
    qint64 records() const { return readable + unreadable; }
};

// The columns whose values the facts pass must look at: numbers, and text whose code page the target
// may not hold whole. The reader still decodes the others where decoding may fail, so that a row
// that cannot be read is found.
std::vector<bool> columnsToLookAt(const db::RecordSet& rows, const TargetDialect& dialect);

class KeyGatherer;

// Reads `rows` to its end and returns the facts of its fields, counting in `count` (when given) what
// it could read; `keys` (when given) sees each readable row too, decoded in the columns it reads.
// Where no key reads the rows, only the columns columnsToLookAt() names are looked at, from their
// stored bytes where the set can: the digits of numbers are counted, and text in a single-byte code
// page is searched for the bytes whose characters the target refuses, until one is found. A row
// that cannot be read is passed over, and a failed move to the next row ends the pass: copying the
// rows reports both.
TableFacts gatherFacts(db::RecordSet& rows, const TargetDialect& dialect, ReadCount* count = nullptr,
                       KeyGatherer* keys = nullptr);

} // namespace convert
