#pragma once

#include "convert/DateFormat.h"
#include "convert/TableFacts.h"
#include "convert/TargetDialect.h"
#include "convert/TypeMapping.h"
#include "db/RecordSet.h"
#include "db/Value.h"

#include <QLocale>
#include <QString>

#include <vector>

// The text of every statement a conversion produces: the source query sent to the FoxPro connection,
// and the DROP TABLE, CREATE TABLE and INSERT INTO statements sent to SQL Server. The builders are
// pure text functions; they never fail and never touch a connection. Preview and direct mode use the
// same builders, so they produce the same text.
namespace convert {

// How field values are written, fixed once from a locale (by default the user's, QLocale::system()):
// - text as it stands, trailing blanks kept;
// - numbers (integers, doubles, exact decimals, currency) with a point and without grouping whatever
//   the locale; a double in the shortest text that reads back as the same double, plainly written
//   from 1e-6 up to 1e21 in magnitude and in exponent notation ("1e+300") outside; not-a-number and
//   the infinities as "nan", "inf" and "-inf", which the server refuses like any value it cannot take;
//   currency exactly, without trailing zeros ("12.5");
// - dates in the locale's short date format with a four-digit year, ISO 8601 ("2021-08-31") under the
//   C/POSIX locale; date-times as the date, a blank and "hh:mm:ss" (with ".zzz" when the milliseconds
//   are not zero); an invalid date or date-time as the empty text;
// - booleans as "True" and "False";
// - bytes as a hexadecimal literal, "0x4A6F" (X'4A6F' on SQLite); no bytes as the empty text.
class ValueFormat
{
public:
    explicit ValueFormat(const QLocale& locale = QLocale::system());
    explicit ValueFormat(DateFormat dates);

    // The format of SQL Server's own column types (DATE, DATETIME2, BIT), which the server reads the
    // same whatever its language: dates and date-times in ISO 8601 ("2021-08-31",
    // "2021-08-31T14:05:09.000"), booleans as the numbers 1 and 0 without quotes.
    static const ValueFormat& nativeTypes();

    // The format of the user's locale, built once: QLocale::system(), which follows LC_ALL, LC_TIME
    // and LANG; with none of them set it is the C locale, and dates are ISO 8601.
    static const ValueFormat& system();

    // The value's text; the empty text for NULL.
    QString text(const db::Value& value) const;

private:
    friend class InsertBuilder;

    void appendText(TextOut& out, const db::Value& value) const;
    // Appends the values of `row` joined by ", ", each as an INSERT writes it: NULL for NULL, an empty
    // text and no bytes, the dialect's binary literal for bytes, otherwise the text between single
    // quotes with every quote in it doubled (N'...' where `nationals` holds 1 for its column; a column
    // beyond it is not national), written so that the target keeps every character (see
    // appendTextLiteral).
    void appendLiterals(TextOut& out, const std::vector<db::Value>& row, const std::vector<char>& nationals,
                        const TargetDialect& dialect) const;

    DateFormat m_dates;
    bool m_bitNumbers = false; // booleans as 1 and 0
};

// ``SELECT * FROM `t` ``: the query that opens a source table.
QString sourceQueryText(const QString& table);

// A table or column name as SQL Server statements write it: "[name]", every "]" in it doubled.
QString bracketedName(const QString& name);

// "DROP TABLE [t]". Here and in the other SQL Server statements a name goes between square brackets
// with every "]" in it doubled, so that a name cannot end its identifier early.
QString dropTableText(const QString& table);

// The name between square brackets, every "]" in it doubled.
QString bracketedName(const QString& name);

// "CREATE TABLE [t]([c1] TYPE,[c2] TYPE);": one clause per field, in field order, with the type
// mapColumnType gives for the dialect and the field's facts (`facts` empty: the declarations alone),
// and NOT NULL where the facts say so.
QString createTableText(const QString& table, const std::vector<db::Field>& fields,
                        const TargetDialect& dialect = TargetDialect::sqlServer(),
                        const TableFacts& facts = {}, ColumnTypes types = ColumnTypes::Design);

// A text value as a literal the target keeps character for character: between single quotes, every
// quote doubled, with N before the quote when `national`. What a literal cannot carry is written
// beside it and joined on with the dialect's operator: a NUL (which ends the statement text for some
// drivers) as CHAR(0), NCHAR(0) or char(0); and on SQL Server a backslash right before a line break
// ends its literal, the break starting the next one: 'C:\'+'<CR><LF>next'. A value joined so that
// passes 8000 bytes on the target starts with an empty literal of a MAX type, so that joining does
// not cut it; one that would need more than a few dozen pieces is one hexadecimal literal converted
// to text instead.
void appendTextLiteral(TextOut& out, QStringView text, bool national, const TargetDialect& dialect);

// Builds the INSERT statements of one table, "INSERT INTO [t] VALUES('1', NULL, 'x')": no column list,
// values in field order joined by ", ", no semicolon. Text of a column whose facts say the target's
// code page cannot hold it is written as N'...'. Holds what every row shares and a working buffer, so
// one builder serves all the rows of a table; it is not shared between threads.
class InsertBuilder
{
public:
    explicit InsertBuilder(const QString& table, const ValueFormat& format = ValueFormat::system(),
                           const TargetDialect& dialect = TargetDialect::sqlServer(),
                           const TableFacts& facts = {});

    QString text(const std::vector<db::Value>& row);
    // Appends the statement text() gives to `out`, for a caller that writes the text on at once and
    // keeps no string of it.
    void append(TextOut& out, const std::vector<db::Value>& row) const;

private:
    TextOut m_prefix;
    ValueFormat m_format;
    TargetDialect m_dialect;
    // Per field, 1 when national (chars rather than packed bits: read for every value); a field beyond
    // it is not national.
    std::vector<char> m_national;
    TextOut m_buffer;
};

} // namespace convert

namespace Main {

// The value's text, or `replacement` when the value is NULL.
QString ReplaceNull(const db::Value& value, const QString& replacement,
                    const convert::ValueFormat& format = convert::ValueFormat::system());

} // namespace Main
