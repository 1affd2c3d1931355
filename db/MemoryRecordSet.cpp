#include "db/MemoryRecordSet.h"

#include "db/AdoType.h"
#include "db/DbError.h"

namespace db {

MemoryRecordSet::MemoryRecordSet(std::vector<Field> fields, std::vector<std::vector<Value>> rows)
    : m_fields(std::move(fields)), m_rows(std::move(rows))
{}

const std::vector<Value>& MemoryRecordSet::values() const
{
    if (eof())
        throw DbError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                     "Requested operation requires a current record."));
    return m_rows[m_current];
}

void MemoryRecordSet::moveNext()
{
    if (eof())
        throw DbError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                     "Requested operation requires a current record."));
    ++m_current;
}

void MemoryRecordSet::close()
{
    m_rows.clear();
    m_current = 0;
}

std::unique_ptr<RecordSet> tablesSchema(const std::vector<std::pair<QString, QString>>& nameAndType)
{
    std::vector<std::vector<Value>> rows;
    rows.reserve(nameAndType.size());
    for (const auto& [name, type] : nameAndType)
        rows.push_back({name, type});
    return std::make_unique<MemoryRecordSet>(
        std::vector<Field>{{QStringLiteral("TABLE_NAME"), AdoType::VarWChar, 128, 0},
                           {QStringLiteral("TABLE_TYPE"), AdoType::VarWChar, 32, 0}},
        std::move(rows));
}

} // namespace db
