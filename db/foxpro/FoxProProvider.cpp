#include "db/foxpro/FoxProProvider.h"

#include "db/DbError.h"
#include "db/MemoryRecordSet.h"
#include "db/foxpro/Container.h"
#include "db/foxpro/FileLookup.h"
#include "db/foxpro/Table.h"
#include "db/foxpro/TableRecordSet.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace db::foxpro {

namespace {

const QString TableType = QStringLiteral("TABLE");
const QString ViewType = QStringLiteral("VIEW");

using NamedEntries = std::vector<std::pair<QString, QString>>;

void sortByName(NamedEntries& entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
    });
}

// The table name of the one query the source answers: SELECT * FROM `t`.
QString tableNameOf(const QString& sql)
{
    static const QRegularExpression select(
        QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+`([^`]+)`\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = select.match(sql);
    if (!match.hasMatch())
        throw DbError(
            QStringLiteral("The FoxPro source only answers SELECT * FROM `table`, not: %1").arg(sql));
    return match.captured(1);
}

// The *.dbf files of a folder (extension in any case), each with its table name: the file name
// without extension, in lower case.
NamedEntries freeTables(const QString& folder)
{
    NamedEntries tables;
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& file : files) {
        if (file.size() > 4 && file.endsWith(QLatin1String(".dbf"), Qt::CaseInsensitive))
            tables.emplace_back(file.chopped(4).toLower(), QDir(folder).filePath(file));
    }
    sortByName(tables);
    return tables;
}

class FoxProProvider final : public Provider
{
public:
    FoxProProvider(const QString& dataSource, const ReaderOptions& options);

    std::unique_ptr<RecordSet> openTablesSchema() override;
    void execute(const QString& sql) override;
    std::unique_ptr<RecordSet> openRecordSet(const QString& sql) override;
    void close() override {}

private:
    std::unique_ptr<RecordSet> openFreeTable(const QString& name);
    std::unique_ptr<RecordSet> openContainerTable(const QString& name);

    QString m_dataSource;
    ReaderOptions m_options;
    std::optional<Container> m_container;
};

FoxProProvider::FoxProProvider(const QString& dataSource, const ReaderOptions& options)
    : m_dataSource(dataSource), m_options(options)
{
    if (dataSource.isEmpty())
        throw DbError(
            QStringLiteral("The Data Source is empty: it must name a folder of tables or a database "
                           "container (.dbc)."));
    const QFileInfo info(dataSource);
    if (!info.exists())
        throw DbError(QStringLiteral("%1: no such folder or file.").arg(dataSource));
    if (info.isDir()) {
        if (!info.isReadable() || !info.isExecutable())
            throw DbError(QStringLiteral("%1: the folder cannot be read.").arg(dataSource));
        return;
    }
    m_container = Container::read(dataSource);
}

std::unique_ptr<RecordSet> FoxProProvider::openTablesSchema()
{
    NamedEntries rows;
    if (!m_container) {
        // Files whose names differ only in case give one table name: it is listed once, and opening
        // it names both files.
        for (const auto& [name, path] : freeTables(m_dataSource)) {
            if (rows.empty() || rows.back().first != name)
                rows.emplace_back(name, TableType);
        }
    } else {
        for (const Container::TableEntry& table : m_container->tables)
            rows.emplace_back(table.name, TableType);
        for (const QString& view : m_container->views)
            rows.emplace_back(view, ViewType);
        sortByName(rows);
    }
    return tablesSchema(rows);
}

void FoxProProvider::execute(const QString&)
{
    throw DbError(QStringLiteral("The FoxPro source is read only: it does not execute statements."));
}

std::unique_ptr<RecordSet> FoxProProvider::openRecordSet(const QString& sql)
{
    const QString name = tableNameOf(sql);
    return m_container ? openContainerTable(name) : openFreeTable(name);
}

// SQL Server compares table names without regard to case, so two files whose names differ only in
// case ("A.dbf", "a.dbf") cannot both become a table: neither is taken, and the error names both.
std::unique_ptr<RecordSet> FoxProProvider::openFreeTable(const QString& name)
{
    QStringList paths;
    QStringList files;
    for (const auto& [tableName, path] : freeTables(m_dataSource)) {
        if (tableName.compare(name, Qt::CaseInsensitive) == 0) {
            paths.push_back(path);
            files.push_back(QFileInfo(path).fileName());
        }
    }
    if (paths.isEmpty())
        throw DbError(
            QStringLiteral("%1: there is no table named %2 (no file %2.dbf).").arg(m_dataSource, name));
    if (paths.size() > 1)
        throw DbError(QStringLiteral("%1: the files %2 would both become table %3, and SQL Server does not "
                                     "tell table names apart by letter case; rename all but one of them.")
                          .arg(m_dataSource, files.join(QStringLiteral(" and ")), name));
    return std::make_unique<TableRecordSet>(Table::open(paths.first(), m_options), QStringList(),
                                            IndexContext{name, std::nullopt});
}

std::unique_ptr<RecordSet> FoxProProvider::openContainerTable(const QString& name)
{
    for (const QString& view : m_container->views) {
        if (view.compare(name, Qt::CaseInsensitive) == 0)
            throw DbError(
                QStringLiteral("%1: %2 is a view; only tables can be read.").arg(m_dataSource, view));
    }
    const auto entry =
        std::find_if(m_container->tables.begin(), m_container->tables.end(),
                     [&](const auto& t) { return t.name.compare(name, Qt::CaseInsensitive) == 0; });
    if (entry == m_container->tables.end())
        throw DbError(QStringLiteral("%1: the database has no table named %2.").arg(m_dataSource, name));
    if (!entry->problem.isEmpty())
        throw DbError(QStringLiteral("%1: the properties of table %2 cannot be read: %3")
                          .arg(m_dataSource, entry->name, entry->problem));
    if (entry->path.isEmpty())
        throw DbError(QStringLiteral("%1: table %2 names no file.").arg(m_dataSource, entry->name));
    const QString path = resolveRelative(QFileInfo(m_dataSource).path(), entry->path);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw DbError(QStringLiteral("%1: the file of table %2 (%3) does not exist.")
                          .arg(m_dataSource, entry->name, entry->path));
    std::unique_ptr<Table> table = Table::open(path, m_options);
    // Long names pair with the table's fields by position; when the counts differ the container
    // does not describe this file, and the header's names stand.
    const bool matching = std::size_t(entry->fields.size()) == table->visibleFields().size();
    return std::make_unique<TableRecordSet>(
        std::move(table), matching ? entry->fields : QStringList(),
        IndexContext{entry->name, ContainerKeys{entry->primaryKey, entry->keyTags}});
}

} // namespace

std::unique_ptr<Provider> openProvider(const ConnectionString& connectionString, const ConnectionOptions&)
{
    return std::make_unique<FoxProProvider>(
        connectionString.value(QStringLiteral("Data Source")).value_or(QString()),
        ReaderOptions::from(connectionString));
}

} // namespace db::foxpro
