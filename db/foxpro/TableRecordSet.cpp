#include "db/foxpro/TableRecordSet.h"

#include "db/AdoType.h"
#include "db/DbError.h"

#include <QFileInfo>

namespace db::foxpro {

namespace {

DbError noCurrentRecord()
{
    return DbError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                  "Requested operation requires a current record."));
}

// The column that marks deleted records, named so that no field has its name.
Field deletedColumn(const std::vector<Field>& fields)
{
    const auto taken = [&](const QString& name) {
        return std::any_of(fields.begin(), fields.end(), [&](const Field& field) {
            return field.name.compare(name, Qt::CaseInsensitive) == 0;
        });
    };
    QString name = QStringLiteral("deleted");
    for (int suffix = 1; taken(name); ++suffix)
        name = QStringLiteral("deleted_%1").arg(suffix);
    return Field{name, AdoType::Integer, 1, 0, true};
}

} // namespace

TableRecordSet::TableRecordSet(std::unique_ptr<Table> table, const QStringList& names, IndexContext context)
    : m_table(std::move(table)), m_indexContext(std::move(context)), m_markDeleted(m_table->marksDeleted())
{
    m_fields = m_table->columns(names);
    if (m_markDeleted)
        m_fields.push_back(deletedColumn(m_fields));
    advanceFrom(0);
    m_empty = m_atEnd;
}

// Moves to the first live record at or after `index`; past the last whole record, to the shortfall
// row once, then to the end.
void TableRecordSet::advanceFrom(quint32 index, bool decode)
{
    m_error.clear();
    for (; index < m_table->wholeRecords(); ++index) {
        try {
            if (!m_table->load(index))
                break;
            const bool deleted = m_table->loadedIsDeleted();
            if (deleted && !m_markDeleted)
                continue;
            if (decode) {
                m_table->decodeVisible(m_values);
                if (m_markDeleted)
                    m_values.emplace_back(qint32(deleted ? 1 : 0));
            }
        } catch (const DbError& failure) {
            m_error = failure.description();
        }
        m_current = index;
        m_next = index + 1;
        return;
    }
    const quint32 announced = m_table->header().recordCount;
    if (index < announced && !m_shortfallShown) {
        m_shortfallShown = true;
        m_error = QStringLiteral("%1: the header counts %2 records but the file holds only %3; the last %4 "
                                 "are missing.")
                      .arg(m_table->fileName())
                      .arg(announced)
                      .arg(index)
                      .arg(announced - index);
        m_next = announced;
        return;
    }
    m_atEnd = true;
}

const std::vector<Value>& TableRecordSet::values() const
{
    if (m_atEnd)
        throw noCurrentRecord();
    if (!m_error.isEmpty())
        throw DbError(m_error);
    return m_values;
}

void TableRecordSet::moveNext()
{
    if (m_atEnd)
        throw noCurrentRecord();
    advanceFrom(m_next);
}

bool TableRecordSet::countsDigitsOf(std::size_t column) const
{
    const std::vector<int>& visible = m_table->visibleFields();
    if (column >= visible.size())
        return false; // the column that marks deleted records
    const char type = m_table->header().fields.at(visible[column]).type;
    return type == 'N' || type == 'F';
}

bool TableRecordSet::scansTextOf(std::size_t column) const
{
    const std::vector<int>& visible = m_table->visibleFields();
    return column < visible.size() && m_table->scansText(visible[column]);
}

bool TableRecordSet::lookAtStoredBytes(StoredBytesLook& look)
{
    if (m_table->refusesBadValues())
        return false;
    if (!m_atEnd && m_error.isEmpty() && m_table->loaded() != m_current) {
        try {
            m_table->load(m_current); // counting the records may have loaded others since
        } catch (const DbError& failure) {
            m_error = failure.description();
        }
    }
    while (!m_atEnd) {
        if (m_error.isEmpty()) {
            m_table->lookAtLoaded(look);
            ++look.readable;
        } else {
            if (look.firstProblem.isEmpty())
                look.firstProblem = m_error;
            ++look.unreadable;
        }
        // The records after it in one loop, up to one that cannot be loaded, which is reached as a row.
        m_next = m_table->lookAtRecords(m_next, m_markDeleted, look);
        advanceFrom(m_next, false);
    }
    m_values.clear();
    return true;
}

qint64 TableRecordSet::recordCount() const
{
    if (!m_liveRecords) {
        qint64 live = 0;
        for (quint32 index = 0; index < m_table->wholeRecords(); ++index) {
            if (!m_table->load(index))
                break;
            live += m_table->loadedIsDeleted() && !m_markDeleted ? 0 : 1;
        }
        m_liveRecords = live;
    }
    return *m_liveRecords;
}

TableIndexes TableRecordSet::indexes()
{
    ExpressionScope scope{
        m_indexContext.table, QFileInfo(m_table->fileName()).completeBaseName(), m_fields, {}};
    for (int field : m_table->visibleFields())
        scope.headerNames.append(m_table->fieldName(field));
    return readStructuralIndex(*m_table, scope, m_indexContext.container);
}

void TableRecordSet::close()
{
    m_atEnd = true;
    m_values.clear();
}

} // namespace db::foxpro
