#pragma once

#include "db/Value.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace db {

// One condition of a filtered index: a column compared with a literal, or tested for NULL.
struct FilterTerm
{
    enum class Op
    {
        Equal,
        NotEqual,
        Less,
        LessOrEqual,
        Greater,
        GreaterOrEqual,
        IsNull,
        IsNotNull
    };

    int column = 0; // index in the record set's fields
    Op op = Op::Equal;
    Value literal; // a Decimal or a text; NULL for IsNull and IsNotNull

    friend bool operator==(const FilterTerm&, const FilterTerm&) = default;
};

// An index of a source table, in the terms of the table's record set: which columns it orders by, and
// what the source's own definition was.
struct IndexDefinition
{
    enum class Kind
    {
        Primary,   // the table's primary key
        Candidate, // a unique key
        Unique,    // the source keeps the first row of each key; it rejects no duplicates
        Regular
    };

    QString tag;        // the source's name for it
    QString expression; // the key expression, as the source stores it
    QString filter;     // the source's filter expression, empty when it has none
    Kind kind = Kind::Regular;
    bool descending = false;
    std::vector<int> columns;      // record set fields, in key order; empty when `skipped`
    std::vector<FilterTerm> where; // joined by AND; empty: every copied row
    // The key folds case (UPPER, LOWER): where the target tells case apart, its key accepts more.
    bool caseFolded = false;
    // Other ways the column key accepts more rows than the source's expression ("leading blanks",
    // "decimals beyond 2"...); empty when it accepts the same.
    QStringList weaker;
    // Why the index has no column form; empty when it has one.
    QString skipped;
    // Something else the user should know about the definition; empty when there is nothing.
    QString note;

    friend bool operator==(const IndexDefinition&, const IndexDefinition&) = default;
};

// The indexes of one table, and why they could not be read (then `indexes` is empty).
struct TableIndexes
{
    std::vector<IndexDefinition> indexes;
    QString problem;
};

} // namespace db
