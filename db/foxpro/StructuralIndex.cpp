#include "db/foxpro/StructuralIndex.h"

#include "db/DbError.h"
#include "db/foxpro/ByteSource.h"
#include "db/foxpro/FileLookup.h"
#include "db/foxpro/IndexFile.h"
#include "db/foxpro/Table.h"

#include <QFileInfo>

namespace db::foxpro {

namespace {

IndexDefinition::Kind kindOf(const IndexTag& tag, const QString& name,
                             const std::optional<ContainerKeys>& container)
{
    // Tag names are cut to 10 characters in the container as in the index file.
    if (tag.candidate())
        return container && container->primaryKey.compare(name, Qt::CaseInsensitive) == 0
                   ? IndexDefinition::Kind::Primary
                   : IndexDefinition::Kind::Candidate;
    return tag.unique() ? IndexDefinition::Kind::Unique : IndexDefinition::Kind::Regular;
}

} // namespace

TableIndexes readStructuralIndex(Table& table, const ExpressionScope& scope,
                                 const std::optional<ContainerKeys>& container)
{
    if (!(table.header().tableFlags & TableHeader::StructuralIndexFlag))
        return {};
    const QFileInfo info(table.fileName());
    const QString base = info.completeBaseName();
    const QString path = findInFolder(info.path(), base + QStringLiteral(".cdx"));
    if (path.isEmpty())
        return {{},
                QStringLiteral("%1: the table's index file %2.cdx is missing; its indexes are not created.")
                    .arg(table.fileName(), base)};
    TableIndexes result;
    try {
        const std::unique_ptr<FileSource> file = FileSource::open(path);
        for (const IndexTag& tag : readIndexTags(*file, base.toUpper().toLatin1())) {
            IndexDefinition index;
            index.tag = table.decodeText(tag.name);
            index.expression = table.decodeText(tag.key);
            index.filter = table.decodeText(tag.filter);
            index.kind = kindOf(tag, index.tag, container);
            index.descending = tag.descending;
            if (container && container->keyTags.contains(index.tag, Qt::CaseInsensitive) != tag.candidate())
                index.note =
                    tag.candidate()
                        ? QStringLiteral("the database container does not mark it as a key; the index "
                                         "file, which FoxPro enforces, does")
                        : QStringLiteral("the database container marks it as a key; the index file, "
                                         "which FoxPro enforces, does not");
            translateIndex(index, scope);
            result.indexes.push_back(std::move(index));
        }
    } catch (const DbError& damaged) {
        return {{}, damaged.description() + QStringLiteral(" The table's indexes are not created.")};
    }
    return result;
}

} // namespace db::foxpro
