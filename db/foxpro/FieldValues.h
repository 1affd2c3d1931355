#pragma once

#include "db/Value.h"

#include <QByteArrayView>

#include <optional>

namespace db::foxpro {

// Decoding of the fixed-width field types from their stored bytes. A blank field (no value entered)
// is NULL, as is a number of asterisks (FoxPro's overflow marker) or a lone point among blanks; bytes that
// are no valid value throw ValueError.

// N and F: ASCII digits, right-aligned, optional sign, "." (or ",") and exponent -> exact decimal text,
// written into `value`, whose decimal text (from the previous record) is reused.
void numericValue(QByteArrayView bytes, Value& value);
// N and F: the digits numericValue() would give, counted from the bytes when they are plain (digits
// around at most one "." or ",", or what reads as NULL); nothing when only decoding can tell.
std::optional<DecimalDigits> plainNumberDigits(QByteArrayView bytes);
// The next three write into `value`, reusing what it holds where they can.
// D: "YYYYMMDD".
void dateValue(QByteArrayView bytes, Value& value);
// T: Julian day number and milliseconds since midnight, two little-endian 32-bit integers.
void dateTimeValue(QByteArrayView bytes, Value& value);
// L: T/t/Y/y true, F/f/N/n false, "?" or blank not set.
void logicalValue(QByteArrayView bytes, Value& value);
// M, G, P, W: a 4-byte little-endian block number, or (FoxPro 2.x and dBASE) 10 ASCII digits.
quint64 memoBlock(QByteArrayView bytes);

} // namespace db::foxpro
