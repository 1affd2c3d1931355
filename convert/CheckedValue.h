#pragma once

#include "convert/StatementText.h"
#include "convert/TargetDialect.h"
#include "db/Value.h"

#include <QString>

#include <optional>

// The form in which a source value and the value the target holds are compared: the text of what the
// target's column type keeps, made independent of how either side writes it. Texts compare exactly
// (trailing blanks included); numbers as exact decimals ("12.50", "12.5" and "1.25e1" are one number);
// doubles to 15 significant digits, what a FLOAT keeps of any text; dates and date-times as their ISO
// 8601 text; logicals as 1 and 0; binary data as upper-case hex digits. NULL is no text at all.
namespace convert {

using CheckedValue = std::optional<QString>;

// What the values of a column of the target type `sqlType` (as the mapping wrote it) are read back as.
TargetDialect::ReadBack readBackOf(const QString& sqlType);

// What the source value `value` must be on the target, written by an INSERT in `format` into a column
// read back as `kind`: an empty text or no bytes (which the INSERT sends as NULL), not-a-number and the
// infinities are NULL.
CheckedValue expectedValue(const db::Value& value, TargetDialect::ReadBack kind, const ValueFormat& format);

// The compared form of the text the target gave for a column read back as `kind` (readBackItem).
CheckedValue heldValue(const db::Value& text, TargetDialect::ReadBack kind);

// A compared value as a report shows it: NULL, or the text between double quotes.
QString shownValue(const CheckedValue& value);

// An exact decimal in its shortest plain form: no "+", no leading zeros before the point, no trailing
// zeros after it, no "-" on zero ("-0012.500" is "-12.5", "1.5e3" is "1500"); nothing when `text` is
// not a number.
std::optional<QString> normalizedDecimal(QStringView text);

} // namespace convert
