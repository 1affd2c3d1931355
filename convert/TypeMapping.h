#pragma once

#include "convert/TableFacts.h"
#include "convert/TargetDialect.h"
#include "db/RecordSet.h"

#include <QString>

// The `Datatype` module: the names of the ADO data type codes a source field can report.
namespace Datatype {

// The ADO constant name of `code` ("adChar", "adNumeric", ...), or the empty text for a code that is
// not one of the 39 known ones.
QString DatatypeName(int code);

} // namespace Datatype

namespace convert {

// Which column types a run creates: the designed mapping (the default), or SQL Server's own types,
// which the user may choose.
enum class ColumnTypes
{
    Design,
    Native
};

// How a source column is created on SQL Server: the match key that decided it (shown to the user in
// the Datatypes Conversion list) and the column's type text in the CREATE TABLE statement.
struct ColumnMapping
{
    QString matchKey;
    QString sqlType;
    // Why the type is not what the column's declaration alone would give, when that matters to the
    // user; empty otherwise.
    QString note;
    friend bool operator==(const ColumnMapping&, const ColumnMapping&) = default;

    // The type as the Datatypes Conversion list shows it: the type text, then the note in brackets.
    QString shownType() const;
};

// Maps a column from its ADO type code. The lower-cased type name is tested against a fixed, ordered
// list of key texts; the first one it contains decides, and a name that contains none (an unknown
// code included) gives "OTHER TYPES" and TEXT. Some type texts depend on more than the code:
// - NUMERIC and DECIMAL carry precision and scale. The scale is the larger of the field's decimals
//   and the most decimals a stored number has; the precision the scale plus the most integer digits
//   stored, and at least the field's width (at most 38). The server's default NUMERIC(18,0) would
//   round away every fraction, and a number wider than its field would be refused. A column whose
//   numbers need more than 38 digits becomes VARCHAR holding their exact text, as wide as the field
//   and the longest of them, with a note saying why;
// - the binary codes (adBinary, adVarBinary, adLongVarBinary) become the dialect's binary type, which
//   takes the literals their values are written as; the match key stays what the tests gave;
// - where the target has national text, a VARCHAR(8000) or TEXT column whose values its code page
//   cannot all hold becomes NVARCHAR(4000) (NVARCHAR(MAX) for a field wider than 4000) or
//   NVARCHAR(MAX);
// - TEXT is VARCHAR(MAX) where the target's collation refuses TEXT.
// The column a reader adds to mark deleted records takes the match key "DELETED RECORDS" and BIT
// (INTEGER on SQLite) in both mappings, with a note saying what 1 means.
// With ColumnTypes::Native the match key stays, and the type is the server's own where it has one:
// character fields VARCHAR(n) (NVARCHAR as above), memos VARCHAR(MAX), binary data VARBINARY(MAX),
// currency MONEY, dates DATE, date-times DATETIME2(3), logicals BIT; numbers, integers and doubles
// as in the designed mapping.
ColumnMapping mapColumnType(int code, int width, int decimals,
                            const TargetDialect& dialect = TargetDialect::sqlServer(),
                            const ColumnFacts& facts = {});
ColumnMapping mapColumnType(const db::Field& field, const TargetDialect& dialect = TargetDialect::sqlServer(),
                            const ColumnFacts& facts = {}, ColumnTypes types = ColumnTypes::Design);

} // namespace convert
