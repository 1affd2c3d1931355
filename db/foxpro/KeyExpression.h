#pragma once

#include "db/IndexDefinition.h"
#include "db/RecordSet.h"

#include <QStringList>

#include <vector>

namespace db::foxpro {

// What the names in a table's index expressions refer to.
struct ExpressionScope
{
    QString table;             // the table's own name, which may stand before a field ("orders.orderid")
    QString fileBase;          // its file name without extension, which may stand there too
    std::vector<Field> fields; // the record set's fields: long names where a container gives them
    QStringList headerNames;   // the same fields' names in the table header (up to 10 characters)
};

// Reduces `index.expression` to the columns it orders by and `index.filter` to conditions a filtered
// index can take, setting `columns`, `where`, `caseFolded`, `weaker` and, when either has no such
// form, `skipped`. Names match the long field names first, then the header's, without regard to case.
//
// Key expressions: fields joined by "+", each alone or inside UPPER, LOWER, ALLTRIM, LTRIM, TRIM,
// RTRIM, PADR, PADL, LEFT, SUBSTR(x,1,n), STR, DTOS, TTOC(x,1) or BINTOC. Each such function orders
// rows as its field does or merges some of them (then the column key is weaker, never stricter: rows
// the source holds unique stay unique). Anything else (another function, a variable, a literal,
// another table's field) has no column form.
//
// Filters: a filter that keeps only undeleted rows is dropped, since deleted rows are not copied.
// Otherwise terms joined by AND: ISNULL(field) and its negation; a numeric field compared with a
// number; a text field compared with >= or < to a text (FoxPro compares text only up to the length
// of the right-hand side, which gives those two operators the meaning SQL gives them, and not the
// others). Anything else has no form a filtered index can take.
void translateIndex(IndexDefinition& index, const ExpressionScope& scope);

} // namespace db::foxpro
