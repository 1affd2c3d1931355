#pragma once

#include "db/RecordSet.h"

#include <memory>
#include <utility>

namespace db {

// A record set over rows held in memory: schema row sets of the providers, and tests.
class MemoryRecordSet final : public RecordSet
{
public:
    MemoryRecordSet(std::vector<Field> fields, std::vector<std::vector<Value>> rows);

    const std::vector<Field>& fields() const override { return m_fields; }
    bool eof() const override { return m_current >= m_rows.size(); }
    bool bof() const override { return m_rows.empty(); }
    const std::vector<Value>& values() const override;
    void moveNext() override;
    qint64 recordCount() const override { return static_cast<qint64>(m_rows.size()); }
    void close() override;

private:
    std::vector<Field> m_fields;
    std::vector<std::vector<Value>> m_rows;
    std::size_t m_current = 0;
};

// The tables schema row set: the columns TABLE_NAME and TABLE_TYPE, one row per (name, type).
std::unique_ptr<RecordSet> tablesSchema(const std::vector<std::pair<QString, QString>>& nameAndType);

} // namespace db
