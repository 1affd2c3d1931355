#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace db::foxpro {

class Table;

// A database container (.dbc): a Visual FoxPro table of objects (the database, its tables, views,
// fields, indexes...) whose PROPERTY memo packs each object's properties.
struct Container
{
    struct TableEntry
    {
        QString name;        // OBJECTNAME as stored
        QString path;        // property 1: the table's file, relative to the container's folder
        QStringList fields;  // the long names of its fields, in the table's field order
        QString problem;     // why its properties cannot be read (then `path` is empty), or empty
        QString primaryKey;  // property 20: the tag of its primary key; empty when it has none
        QStringList keyTags; // its live Index objects marked primary or candidate (property 17)
    };

    std::vector<TableEntry> tables; // live Table objects
    QStringList views;              // live View objects

    // Reads the container file at `path`. Throws DbError naming the file when it is no container.
    static Container read(const QString& path);
    // Reads an open container table.
    static Container read(Table& table);
};

} // namespace db::foxpro
