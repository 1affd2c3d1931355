#pragma once

#include "db/Value.h"

#include <QString>

#include <vector>

namespace db {

// One column of a record set: its name, ADO type code, width and decimals as the source declares them.
struct Field
{
    QString name;
    int type = 0;
    int width = 0;
    int decimals = 0;
};

// A forward-only cursor over rows. After opening it stands on the first row, or at the end when there
// is none. Failures throw DbError.
class RecordSet
{
public:
    virtual ~RecordSet() = default;

    virtual const std::vector<Field>& fields() const = 0;

    // True once the cursor has moved past the last row (at once for an empty set).
    virtual bool eof() const = 0;
    // True when the set holds no row at all; the cursor never moves backwards.
    virtual bool bof() const = 0;

    // The current row's values in field order. Throws DbError at the end, or when the current row
    // could not be decoded (the error names the row and field); moveNext() still goes past such a row.
    virtual const std::vector<Value>& values() const = 0;
    virtual void moveNext() = 0;

    // The number of rows the set holds.
    virtual qint64 recordCount() const = 0;

    virtual void close() = 0;

    // The current row's value of the field with that name, compared without regard to case.
    const Value& value(const QString& fieldName) const;
};

} // namespace db
