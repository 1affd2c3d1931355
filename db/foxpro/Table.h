#pragma once

#include "db/RecordSet.h"
#include "db/foxpro/ByteSource.h"
#include "db/foxpro/CodePage.h"
#include "db/foxpro/MemoFile.h"
#include "db/foxpro/ReaderOptions.h"
#include "db/foxpro/TableHeader.h"

#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace db::foxpro {

// One open table: its header, its records read one at a time into a single buffer, and its memo
// file. Values are decoded from the buffer on request.
class Table
{
public:
    // Opens the table file and, when its fields need one, its memo file (.fpt, else .dbt; .dct for a
    // .dbc), found beside it without regard to case. Throws DbError naming the file and the problem;
    // MissingMemoFile when the memo file is missing, unless `options` ask to read the table without it.
    static std::unique_ptr<Table> open(const QString& path, const ReaderOptions& options = {});

    // A table over given sources; without `memo` every memo value is NULL.
    Table(std::unique_ptr<ByteSource> source, std::unique_ptr<ByteSource> memo, MemoFile::Style memoStyle,
          const ReaderOptions& options = {});

    const QString& fileName() const { return m_source->name(); }
    const TableHeader& header() const { return m_header; }
    const std::vector<int>& visibleFields() const { return m_visible; }

    // The visible fields as a record set reports them: ADO type code, width and decimals, named by
    // `names` (in visible-field order) or else by their header names in lower case.
    std::vector<Field> columns(const QStringList& names = {});
    // The header name of field `index`, decoded.
    QString fieldName(int index);

    // Whole records the file holds: the header's count, or fewer when the file ends early (or, once
    // load() has met it, at an end-of-file mark).
    quint32 wholeRecords() const { return m_wholeRecords; }

    // Loads record `index` (0-based) into the record buffer. False when the end-of-file mark (0x1A)
    // stands where the record's deletion flag should be: the table's data ends there, whatever bytes
    // follow, and wholeRecords() becomes `index`. Throws DbError when the record cannot be read.
    bool load(quint32 index);
    bool loadedIsDeleted() const { return m_record[0] == '*'; }
    // Whether the options ask for deleted records too, marked in a column of their own.
    bool marksDeleted() const { return m_markDeleted; }
    // Decodes the visible fields of the loaded record. A field that cannot be decoded is NULL and
    // counted among the problems, or, when the options refuse bad values, throws DbError naming the
    // file, the record number (1-based) and the field.
    void decodeVisible(std::vector<Value>& values);
    // From now on decodeVisible() leaves the fields `wanted` leaves out (when it is not empty) NULL,
    // unread, where reading them cannot fail.
    void decodeOnly(const std::vector<bool>& wanted);
    // Whether lookAtLoaded() can search the text of field `index`: C, V and text memos in a
    // single-byte code page (untranslated C and V fields read as Windows-1252 are).
    bool scansText(int index) const;
    // Looks at the loaded record for `look`, whose columns are positions among the visible fields:
    // counts the digits of its numbers from their bytes where they are plain, searches the bytes its
    // text is decoded from (a V field's up to its length, a memo's in the memo file; nothing for NULL
    // and for a memo that cannot be read, counted as decodeVisible() counts it), and decodes the
    // columns it asks decoded as decodeVisible() does. Throws DbError where decodeVisible() would.
    void lookAtLoaded(StoredBytesLook& look);
    // Loads the records from `index` on and looks at each as lookAtLoaded() does, deleted ones only
    // `withDeleted`, counting them readable; stops at the end of the data or at a record that cannot
    // be loaded, and returns its index.
    quint32 lookAtRecords(quint32 index, bool withDeleted, StoredBytesLook& look);
    bool refusesBadValues() const { return m_refuseBadValues; }
    // The record load() read last.
    quint32 loaded() const { return m_loaded; }
    // Decodes one field of the loaded record; throws ValueError.
    Value decode(int index);
    // The same into `value`, reusing the storage of the text it holds.
    void decode(int index, Value& value);
    // The stored bytes of memo field `index` of the loaded record (empty for block 0), valid until the
    // next memo is read; throws ValueError.
    QByteArrayView memoBytes(int index);
    // What decoding could not read as stored: memo values of a damaged memo file and values that do
    // not decode (given as NULL), text with bytes that are no character (given as U+FFFD).
    const ValueProblems& problems() const { return m_problems; }
    // The code page the table's text is read in, and where that choice came from.
    int codePage() const { return m_codePage.number(); }
    // The code page field `index` holds its text in; 0 for fields that hold no text.
    int textCodePageOf(int index) const;
    CodePage::Origin codePageOrigin() const { return m_codePageOrigin; }
    // Text in the table's code page.
    QString decodeText(QByteArrayView bytes) { return m_codePage.decode(bytes); }

private:
    // The digits of number field `index` (N or F) of the loaded record, counted from its bytes where
    // they are plain; NULL or throws DbError as decodeVisible() would.
    DecimalDigits numberDigits(int index);
    // Whether text field `index` of the loaded record holds one of `bytes` as lookAtLoaded() searches it.
    bool textHoldsAnyOf(int index, const ByteSet& bytes);
    // The code page of a table whose header names none: the user's, or guessed from its text.
    int unmarkedCodePage(const ReaderOptions& options);
    bool isNullBitSet(int bit) const
    {
        return bit >= 0 && bit < m_nullBits &&
               ((static_cast<unsigned char>(m_record[m_nullFlagsOffset + bit / 8]) >> (bit % 8)) & 1) != 0;
    }
    DbError cannotLoad(quint32 index) const;
    // Makes `value`, that of field `index` which failed to decode, NULL and counts it, or throws
    // DbError naming it when the options refuse bad values.
    void undecodable(int index, const ValueError& error, Value& value);
    // The error of field `index` of the loaded record, naming the file, the record and the field.
    DbError fieldError(int index, const ValueError& error);
    void text(const FieldDescriptor& field, QByteArrayView bytes, Value& value);
    void varying(const FieldDescriptor& field, QByteArrayView bytes, Value& value);
    // The bytes a V or Q field's value is: the field's, or as many as its last byte says.
    QByteArrayView varyingBytes(const FieldDescriptor& field, QByteArrayView bytes) const;
    // The data of memo field `index` of the loaded record; nothing without a memo file, or when the
    // memo cannot be read (counted).
    std::optional<QByteArrayView> memoData(int index);
    void wideText(QByteArrayView bytes, Value& value);
    void memo(const FieldDescriptor& field, int index, Value& value);

    std::unique_ptr<ByteSource> m_source;
    TableHeader m_header;
    std::vector<int> m_visible;
    std::optional<MemoFile> m_memo;
    CodePage m_codePage;
    CodePage::Origin m_codePageOrigin = CodePage::Origin::Header;
    CodePage m_binaryText;  // untranslated (NOCPTRANS) C and V fields read as Windows-1252
    QByteArray m_memoSpill; // memo bytes that could not be viewed in place
    bool m_refuseBadValues;
    bool m_markDeleted;
    ValueProblems m_problems;
    quint32 m_wholeRecords = 0;
    quint32 m_loaded = 0;
    // The loaded record: in m_block, a run of records the source shows in place (valid until the
    // source is read again, which only load() does), or copied into m_recordCopy.
    const char* m_record = nullptr;
    QByteArray m_recordCopy;
    int m_nullFlagsOffset = 0; // where the _NullFlags field's bits are in a record
    int m_nullBits = 0;        // and how many it has room for; 0 without one
    const char* m_block = nullptr;
    quint32 m_blockFirst = 0;
    quint32 m_blockCount = 0;

    // How decodeVisible() reads a visible field.
    enum class Reading
    {
        Decoded,
        DecodedUnlessPlain, // a number whose plain digits cannot fail to decode
    };
    std::vector<std::pair<std::size_t, Reading>> m_read; // the visible fields read, in field order
    std::vector<std::size_t> m_unread;                   // the visible fields left NULL
    Value m_looked; // the value lookAtLoaded() decoded last, kept for the storage of its text
};

// The ADO type code of a field.
int adoTypeOf(const FieldDescriptor& field);

} // namespace db::foxpro
