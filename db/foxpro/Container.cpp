#include "db/foxpro/Container.h"

#include "db/DbError.h"
#include "db/foxpro/Table.h"

#include <map>

namespace db::foxpro {

namespace {

constexpr quint8 PathProperty = 1;
constexpr quint8 PrimaryOrCandidateProperty = 17;
constexpr quint8 PrimaryKeyProperty = 20;

struct Columns
{
    int objectId = -1;
    int parentId = -1;
    int objectType = -1;
    int objectName = -1;
    int property = -1;
};

Columns findColumns(Table& table)
{
    Columns columns;
    const std::vector<FieldDescriptor>& fields = table.header().fields;
    const auto find = [&](const char* name, char type) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0 && fields[i].type == type)
                return static_cast<int>(i);
        }
        return -1;
    };
    columns.objectId = find("OBJECTID", 'I');
    columns.parentId = find("PARENTID", 'I');
    columns.objectType = find("OBJECTTYPE", 'C');
    columns.objectName = find("OBJECTNAME", 'C');
    columns.property = find("PROPERTY", 'M');
    const bool complete = columns.objectId >= 0 && columns.parentId >= 0 && columns.objectType >= 0 &&
                          columns.objectName >= 0 && columns.property >= 0;
    if (!table.header().visualFoxPro || !complete)
        throw DbError(QStringLiteral("%1: not a database container.").arg(table.fileName()));
    return columns;
}

QString trimmedText(const Value& value)
{
    const QString* text = std::get_if<QString>(&value);
    QString result = text ? *text : QString();
    while (!result.isEmpty() && (result.back() == QLatin1Char(' ') || result.back() == QChar(0)))
        result.chop(1);
    return result;
}

qint32 integer(const Value& value)
{
    const qint32* number = std::get_if<qint32>(&value);
    return number ? *number : 0;
}

// The PROPERTY memo is a run of entries: a 32-bit little-endian length (of the whole entry), a
// 16-bit id length (1), the id, then the value; text values end with a NUL.
QByteArray property(const QByteArray& packed, quint8 id)
{
    qsizetype pos = 0;
    while (pos + 7 <= packed.size()) {
        const qint64 length = le32(packed.constData() + pos);
        if (length < 7 || length > packed.size() - pos)
            break;
        if (static_cast<quint8>(packed[pos + 6]) == id) {
            const QByteArray value = packed.mid(pos + 7, length - 7);
            const qsizetype end = value.indexOf('\0');
            return end < 0 ? value : value.left(end);
        }
        pos += length;
    }
    return {};
}

struct Object
{
    qint32 id = 0;
    qint32 parent = 0;
    QString type;
    QString name;
    QByteArray properties;
    QString propertyProblem; // why `properties` could not be read, or empty
};

std::vector<Object> readObjects(Table& table, const Columns& columns)
{
    std::vector<Object> objects;
    for (quint32 index = 0; index < table.wholeRecords(); ++index) {
        if (!table.load(index))
            break;
        if (table.loadedIsDeleted())
            continue;
        Object object;
        object.type = trimmedText(table.decode(columns.objectType));
        object.id = integer(table.decode(columns.objectId));
        object.parent = integer(table.decode(columns.parentId));
        object.name = trimmedText(table.decode(columns.objectName));
        // A damaged property memo spoils only its own table, which reports it when it is opened.
        try {
            if (object.type == QLatin1String("Table") || object.type == QLatin1String("Index"))
                object.properties = table.memoBytes(columns.property).toByteArray();
        } catch (const ValueError& error) {
            object.propertyProblem = QStringLiteral("record %1: %2.").arg(index + 1).arg(error.problem);
        }
        objects.push_back(std::move(object));
    }
    return objects;
}

} // namespace

Container Container::read(const QString& path)
{
    std::unique_ptr<Table> table = Table::open(path);
    return read(*table);
}

Container Container::read(Table& table)
{
    const Columns columns = findColumns(table);
    const std::vector<Object> objects = readObjects(table, columns);
    Container container;
    std::map<qint32, std::size_t> tableById;
    for (const Object& object : objects) {
        if (object.type == QLatin1String("View"))
            container.views.append(object.name);
        if (object.type != QLatin1String("Table"))
            continue;
        tableById[object.id] = container.tables.size();
        container.tables.push_back(
            TableEntry{object.name,
                       table.decodeText(property(object.properties, PathProperty)),
                       {},
                       object.propertyProblem,
                       table.decodeText(property(object.properties, PrimaryKeyProperty)),
                       {}});
    }
    // A table's fields are the Field objects it owns, in container order: the same order as the
    // table's own fields.
    for (const Object& object : objects) {
        const auto owner = tableById.find(object.parent);
        if (owner == tableById.end())
            continue;
        if (object.type == QLatin1String("Field"))
            container.tables[owner->second].fields.append(object.name);
        if (object.type == QLatin1String("Index") &&
            property(object.properties, PrimaryOrCandidateProperty) == "\x01")
            container.tables[owner->second].keyTags.append(object.name);
    }
    return container;
}

} // namespace db::foxpro
