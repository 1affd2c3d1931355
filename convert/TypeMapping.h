#pragma once

#include "db/RecordSet.h"

#include <QString>

// The `Datatype` module: the names of the ADO data type codes a source field can report.
namespace Datatype {

// The ADO constant name of `code` ("adChar", "adNumeric", ...), or the empty text for a code that is
// not one of the 39 known ones.
QString DatatypeName(int code);

} // namespace Datatype

namespace convert {

// How a source column is created on SQL Server: the match key that decided it (shown to the user in
// the Datatypes Conversion list) and the column's type text in the CREATE TABLE statement.
struct ColumnMapping
{
    QString matchKey;
    QString sqlType;
    friend bool operator==(const ColumnMapping&, const ColumnMapping&) = default;
};

// Maps a column from its ADO type code. The lower-cased type name is tested against a fixed, ordered
// list of key texts; the first one it contains decides, and a name that contains none (an unknown
// code included) gives "OTHER TYPES" and TEXT. Two type texts depend on more than the code:
// - NUMERIC and DECIMAL carry the column's precision and scale, NUMERIC(p,s) with p the field width
//   (1 to 38) and s its decimals (0 to p): the server's default NUMERIC(18,0) would round away every
//   fraction;
// - the binary codes (adBinary, adVarBinary, adLongVarBinary) become VARBINARY(MAX), which takes the
//   hexadecimal literals their values are written as; the match key stays what the tests gave.
ColumnMapping mapColumnType(int code, int width, int decimals);
ColumnMapping mapColumnType(const db::Field& field);

} // namespace convert
