#pragma once

#include "db/IndexDefinition.h"
#include "db/Value.h"

#include <QString>

#include <array>
#include <functional>
#include <span>
#include <vector>

namespace db {

// A set of byte values, for looking at stored text without decoding it.
class ByteSet
{
public:
    // A set of at most this many bytes lists them, so that text can be searched for each in turn.
    static constexpr std::size_t Few = 2;

    void add(unsigned char byte)
    {
        if (m_has[byte])
            return;
        m_has[byte] = true;
        if (m_count < Few)
            m_few[m_count] = byte;
        ++m_count;
        m_hasAscii = m_hasAscii || byte < 0x80;
    }
    bool has(unsigned char byte) const { return m_has[byte]; }
    bool empty() const { return m_count == 0; }
    // Whether a byte below 0x80 is in the set: text in ASCII can be passed over without a look when
    // none is.
    bool hasAscii() const { return m_hasAscii; }
    // The bytes of a set of at most Few, in the order added; none for a larger set.
    std::span<const unsigned char> few() const
    {
        return {m_few.data(), m_count <= Few ? m_count : 0};
    }

private:
    std::array<bool, 256> m_has{};
    std::array<unsigned char, Few> m_few{};
    std::size_t m_count = 0;
    bool m_hasAscii = false;
};

// One column of a record set: its name, ADO type code, width and decimals as the source declares them.
struct Field
{
    QString name;
    int type = 0;
    int width = 0;
    int decimals = 0;
    // The column a reader adds, on request, after a table's fields: 1 for a record marked deleted,
    // 0 for the others.
    bool deletedMark = false;
};

// Values of one kind a source could not read as stored and gave otherwise: how many, in how many
// records, the first few of those records (1-based), and the first few values with their field and
// what was stored, as a user may be shown it.
struct UnreadableValues
{
    static constexpr std::size_t ListedRecords = 5;
    static constexpr std::size_t ListedValues = 5;

    struct Listed
    {
        qint64 record = 0;
        QString field;
        QString stored;
        friend bool operator==(const Listed&, const Listed&) = default;
    };

    qint64 count = 0;
    qint64 records = 0;
    std::vector<qint64> firstRecords;
    std::vector<Listed> firstValues;

    // Records come in increasing order.
    void add(qint64 record, const QString& field = {}, const QString& stored = {})
    {
        if (firstValues.size() < ListedValues)
            firstValues.push_back({record, field, stored});
        ++count;
        if (records > 0 && m_lastRecord == record)
            return;
        ++records;
        m_lastRecord = record;
        if (firstRecords.size() < ListedRecords)
            firstRecords.push_back(record);
    }

private:
    qint64 m_lastRecord = 0;
};

// What the rows read so far held that could not be read as stored, by kind.
struct ValueProblems
{
    UnreadableValues memos;      // memo values a damaged memo file could not give: NULL
    UnreadableValues values;     // values that do not decode (a date "NotAYear", a NaN): NULL
    UnreadableValues characters; // text with bytes that are no character of its code page: U+FFFD
};

// The code page a set's text is decoded from, and where that choice came from ("header", "user" or
// "guess"); number 0 for sources that hand their text as it is.
struct TextCodePage
{
    int number = 0;
    QString origin;
};

// A pass over rows that needs facts about some of their values rather than the values: the widest
// number of each column whose digits it counts, whether the stored text of each column it searches
// holds one of its bytes (a column is searched until it does), and the values of the columns it
// must decode; and how many rows it could read, and why the first it could not was unreadable.
struct StoredBytesLook
{
    struct Digits
    {
        std::size_t column = 0;
        DecimalDigits widest; // the most digits before the point, after it, and the longest text
    };
    struct Search
    {
        std::size_t column = 0;
        ByteSet bytes;
        bool found = false;
    };

    std::vector<Digits> digits;
    std::vector<Search> searches;
    std::vector<std::size_t> decoded;
    std::function<void(std::size_t column, const Value& value)> noteDecoded;

    qint64 readable = 0;
    qint64 unreadable = 0;
    QString firstProblem;
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
    // Records the source announces but does not hold (a file cut short): reading reaches them as one
    // last row whose values() fails naming them. None for most sources.
    virtual qint64 missingRecords() const { return 0; }

    virtual void close() = 0;

    // What the rows read so far held that could not be read; nothing for most sources.
    virtual ValueProblems unreadableValues() const { return {}; }
    virtual TextCodePage textCodePage() const { return {}; }
    // The indexes the source defines on the set's table; none for most sources.
    virtual TableIndexes indexes() { return {}; }
    // The code page the text of `column` is decoded from; 0 where the column holds no decoded text or
    // the source does not say.
    virtual int textCodePageOf(std::size_t column) const
    {
        (void)column;
        return 0;
    }
    // For a pass that needs only some columns: from the next move on, values() holds NULL in every
    // column `wanted` leaves out, which the set then need not read at all. Sets whose values cost
    // little to read may ignore it.
    virtual void decodeOnly(const std::vector<bool>& wanted) { (void)wanted; }
    // Whether lookAtStoredBytes() can count the digits of `column`: numbers the set keeps as digits.
    virtual bool countsDigitsOf(std::size_t column) const
    {
        (void)column;
        return false;
    }
    // Whether lookAtStoredBytes() can search the text of `column`: text the set keeps in a single-byte
    // code page, one character to a byte.
    virtual bool scansTextOf(std::size_t column) const
    {
        (void)column;
        return false;
    }
    // Reads the rest of the rows for `look`, looking at nothing but what it asks, and moves to the
    // end. False, having read nothing, where the set cannot: then read the values.
    virtual bool lookAtStoredBytes(StoredBytesLook& look)
    {
        (void)look;
        return false;
    }

    // The current row's value of the field with that name, compared without regard to case.
    const Value& value(const QString& fieldName) const;
};

} // namespace db
