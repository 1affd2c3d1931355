#pragma once

#include <QByteArray>

#include <vector>

namespace db::foxpro {

class ByteSource;

// One tag of a compound index file (.cdx) as its 1024-byte tag header describes it. The B-tree of
// keys behind it is not read: a copy needs only the definition.
struct IndexTag
{
    // Bits of the option byte.
    static constexpr quint8 UniqueOption = 0x01;    // INDEX ... UNIQUE: first record of each key only
    static constexpr quint8 CandidateOption = 0x04; // set on primary and candidate tags, and only there
    static constexpr quint8 ForOption = 0x08;       // the tag has a FOR filter

    QByteArray name;      // as the tag list stores it (upper case, at most 10 characters)
    QByteArray key;       // the key expression, as stored
    QByteArray filter;    // the FOR expression, empty when there is none
    QByteArray collation; // "GENERAL", "PINYIN"...; empty for MACHINE
    quint8 options = 0;
    bool descending = false;

    bool unique() const { return options & UniqueOption; }
    bool candidate() const { return options & CandidateOption; }
};

// Reads the tags of a compound index file, in the order they were created (the order of their headers
// in the file). A compact single index (.idx layout) stored under a .cdx name is one tag, named
// `singleName`. Throws DbError naming the file and the problem when the file is cut short or its
// header, tag list or a tag header is damaged; nothing read from the file sizes an allocation or
// leads outside it.
std::vector<IndexTag> readIndexTags(ByteSource& source, const QByteArray& singleName);

} // namespace db::foxpro
