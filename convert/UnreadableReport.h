#pragma once

#include "db/RecordSet.h"

#include <QString>
#include <QStringList>

// The report of a table's values that could not be read as stored, given once after its rows: the
// row arrives, such a value empty (or its text with U+FFFD), and the user learns where.
namespace convert {

// One line per kind of problem the table had, none when every value was read:
// "2 values of table T could not be read and were left empty: record 17 (BIRTHDATE: "NotAYear"),
// record 18 (PAID: "X")", "3 memo values of table T could not be read and were left empty: records
// 17, 18, 40" and "1 value of table T holds bytes that are no character of its code page, read as
// U+FFFD: record 3 (NAME)". Each lists the first five values (or records), then "...".
QStringList unreadableValueTexts(const QString& table, const db::ValueProblems& problems);

} // namespace convert
