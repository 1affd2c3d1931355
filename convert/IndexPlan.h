#pragma once

#include "convert/TableFacts.h"
#include "convert/TargetDialect.h"
#include "convert/TypeMapping.h"
#include "db/IndexDefinition.h"
#include "db/RecordSet.h"

#include <QStringList>

#include <vector>

// The keys and indexes a copied table gets on the target, from the indexes its source defines. They
// are created after the table's rows (loading into an unindexed table is faster):
// - the primary key becomes PRIMARY KEY, a candidate key UNIQUE (named PK_<table> and
//   UQ_<table>_<tag>); the SQLite stand-in takes both as unique indexes;
// - the source's UNIQUE indexes (which keep the first row of each key and reject nothing) and its
//   regular ones become plain indexes, IX_<table>_<tag>;
// - a filtered key becomes a filtered unique index; a filter that keeps only undeleted rows is dropped.
// The rows decide too: a key that the stored values break (repeated keys under the target's
// comparison, NULL in a primary key) becomes what they allow, a plain index or a unique key, so that
// no row is refused; the report says which key and how many rows.
namespace convert {

// What the rows hold under one key, as the target compares them.
struct KeyFacts
{
    qint64 repeated = 0; // rows whose key equals that of an earlier row
    qint64 nulls = 0;    // rows whose key has a NULL part
};

// One index of the source table and what it becomes.
struct PlannedIndex
{
    enum class Becomes
    {
        Nothing,
        PrimaryKey,
        UniqueKey,
        Index
    };

    db::IndexDefinition source;
    Becomes becomes = Becomes::Nothing;
    QString statement; // empty when the index is not created
    // For a key: the plain index sent in its place when the target refuses the key; empty otherwise.
    QString fallback;
    // What the user is told about it: why it is skipped, what became of a key the rows break, how the
    // target's key accepts more than the source's expression; empty when there is nothing to say.
    QStringList notes;
};

struct IndexPlan
{
    std::vector<PlannedIndex> indexes; // in the source's order
    QString problem;                   // why the source's indexes could not be read, or empty

    int keys() const;
    int plainIndexes() const;
    int skipped() const;
    // The notes of every index, each prefixed by the table's name, and the problem.
    QStringList report(const QString& table) const;
};

// The plan for table `table` whose fields are created with `types` and `facts`. `keyFacts` (one per
// index, from a KeyGatherer over every row) says what the rows allow; a primary key whose rows hold a
// NULL becomes a unique key.
IndexPlan planIndexes(const QString& table, const std::vector<db::Field>& fields,
                      const db::TableIndexes& source, const TargetDialect& dialect, const TableFacts& facts,
                      ColumnTypes types, const std::vector<KeyFacts>& keyFacts);

// Looks at every row of a table, during the pass that gathers its facts, for what its keys allow,
// then plans its indexes. Memory: eight bytes per row and key.
class KeyGatherer
{
public:
    KeyGatherer(const TargetDialect& dialect, db::TableIndexes indexes);
    ~KeyGatherer();

    // The columns note() reads of a row of `columns` (those of the keys it checks and of their
    // filters); none when it reads no row at all.
    std::vector<bool> columnsRead(std::size_t columns) const;
    void note(const std::vector<db::Value>& row);
    // The plan, once every row has been noted; marks the primary key's columns NOT NULL in `facts`
    // (the table's CREATE declares them so).
    IndexPlan plan(const QString& table, const std::vector<db::Field>& fields, TableFacts& facts,
                   ColumnTypes types);

private:
    struct Key;
    TargetDialect m_dialect;
    db::TableIndexes m_indexes;
    std::vector<Key> m_keys;
};

// "primary", "candidate", "unique" or "regular".
QString kindName(db::IndexDefinition::Kind kind);

} // namespace convert
