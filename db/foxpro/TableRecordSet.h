#pragma once

#include "db/RecordSet.h"
#include "db/foxpro/StructuralIndex.h"
#include "db/foxpro/Table.h"

#include <memory>
#include <optional>

namespace db::foxpro {

// The live records of one table, in file order, decoded one at a time. Deleted records are skipped,
// unless the table's options mark them: then every record is read, and one more column after the
// fields, "deleted" (or "deleted_1", ... where a field has that name), holds 1 for a deleted record
// and 0 for the others.
// When the header counts more records than the file holds, the set ends on one more row whose values
// cannot be read: reading it raises the error that reports the shortfall.
class TableRecordSet final : public RecordSet
{
public:
    // `names` overrides the field names (a database container's long names), in field order;
    // `context` tells where the table came from, for its indexes.
    TableRecordSet(std::unique_ptr<Table> table, const QStringList& names, IndexContext context = {});

    const std::vector<Field>& fields() const override { return m_fields; }
    bool eof() const override { return m_atEnd; }
    bool bof() const override { return m_empty; }
    const std::vector<Value>& values() const override;
    void moveNext() override;
    // The records the file holds that the set reads (the shortfall row is not one of them).
    qint64 recordCount() const override;
    qint64 missingRecords() const override
    {
        return qint64(m_table->header().recordCount) - m_table->wholeRecords();
    }
    void close() override;
    ValueProblems unreadableValues() const override { return m_table->problems(); }
    TextCodePage textCodePage() const override
    {
        return {m_table->codePage(), CodePage::originName(m_table->codePageOrigin())};
    }
    // Read from the structural index file at each call.
    TableIndexes indexes() override;
    // The column that marks deleted records, after the fields, holds no text.
    int textCodePageOf(std::size_t column) const override
    {
        const std::vector<int>& visible = m_table->visibleFields();
        return column < visible.size() ? m_table->textCodePageOf(visible[column]) : 0;
    }
    void decodeOnly(const std::vector<bool>& wanted) override { m_table->decodeOnly(wanted); }
    bool countsDigitsOf(std::size_t column) const override;
    bool scansTextOf(std::size_t column) const override;
    // Looks at each record in place, without decoding the others' values; false when the table's
    // options refuse records with bad values, which only decoding every value finds.
    bool lookAtStoredBytes(StoredBytesLook& look) override;

private:
    // Moves to the first row at or after record `index`, decoding its values unless `decode` is false.
    void advanceFrom(quint32 index, bool decode = true);

    std::unique_ptr<Table> m_table;
    IndexContext m_indexContext;
    std::vector<Field> m_fields;
    std::vector<Value> m_values;
    QString m_error;            // why the current row cannot be read, or empty
    quint32 m_current = 0;      // the record the cursor stands on
    quint32 m_next = 0;         // the record to look at after the current one
    bool m_markDeleted;
    bool m_atEnd = false;
    bool m_empty = false;
    bool m_shortfallShown = false;
    mutable std::optional<qint64> m_liveRecords;
};

} // namespace db::foxpro
