#include "db/foxpro/IndexFile.h"

#include "db/DbError.h"
#include "db/foxpro/ByteSource.h"

#include <QString>

#include <algorithm>
#include <set>

namespace db::foxpro {

namespace {

// Everything is in 512-byte pages; a tag header takes two: the numbers in the first, the expression
// pool in the second. The header at offset 0 describes the tag list, an index whose keys are the tag
// names and whose record numbers are the offsets of the tag headers.
constexpr qint64 PageSize = 512;
constexpr qint64 HeaderSize = 1024;
constexpr int PoolSize = 512;
constexpr int MaxKeyLength = 240;
constexpr quint8 CompactOption = 0x20;
constexpr quint8 CompoundOption = 0x40;
constexpr quint16 LeafAttribute = 0x02;
constexpr int LeafEntriesStart = 24;
constexpr int InteriorEntriesStart = 12;
// A tag list deeper than this is a loop in a damaged file, not a real tree.
constexpr int MaxDepth = 16;

[[noreturn]] void refuse(const ByteSource& source, const QString& problem)
{
    throw DbError(QStringLiteral("%1: %2").arg(source.name(), problem));
}

bool isPage(const ByteSource& source, qint64 offset, qint64 length = PageSize)
{
    return offset >= PageSize && offset % PageSize == 0 && source.contains(offset, length);
}

QByteArray readBytes(ByteSource& source, qint64 offset, qint64 length, const QString& what)
{
    QByteArray bytes(length, Qt::Uninitialized);
    if (!source.read(offset, bytes.data(), length))
        refuse(source, QStringLiteral("%1 at offset %2 lies beyond the end of the file (%3 bytes).")
                           .arg(what)
                           .arg(offset)
                           .arg(source.size()));
    return bytes;
}

// Text up to the first NUL, without trailing blanks (some writers pad expressions with them).
QByteArray cutText(QByteArrayView bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    QByteArray text = (nul < 0 ? bytes : bytes.first(nul)).toByteArray();
    while (text.endsWith(' '))
        text.chop(1);
    return text;
}

// The tag header at `offset`: its options, collation, direction and the two expressions.
IndexTag readTagHeader(ByteSource& source, qint64 offset, const QByteArray& name)
{
    const QByteArray h = readBytes(source, offset, HeaderSize,
                                   QStringLiteral("the header of tag %1").arg(QString::fromLatin1(name)));
    const QString tagName = QString::fromLatin1(name);
    const qint64 root = le32(h.constData());
    if (!isPage(source, root))
        refuse(source,
               QStringLiteral("tag %1 has its keys at offset %2, outside the file.").arg(tagName).arg(root));
    if (le16(h.constData() + 12) > MaxKeyLength)
        refuse(source, QStringLiteral("tag %1 has keys of %2 bytes, more than an index allows.")
                           .arg(tagName)
                           .arg(le16(h.constData() + 12)));
    int forPos = le16(h.constData() + 504);
    int forLength = le16(h.constData() + 506);
    const int keyPos = le16(h.constData() + 508);
    int keyLength = le16(h.constData() + 510);
    // Some writers leave the positions at 0: the FOR expression then follows the key expression.
    if (forPos == 0 && keyPos == 0 && keyLength > 0 && forLength > 0)
        forPos = keyLength;
    if (keyLength == 0 && forPos > keyPos)
        keyLength = forPos - keyPos;
    if (keyPos + keyLength > PoolSize || forPos + forLength > PoolSize)
        refuse(source, QStringLiteral("the expressions of tag %1 run past its header.").arg(tagName));
    IndexTag tag;
    tag.name = name;
    tag.options = static_cast<quint8>(h[14]);
    tag.collation = cutText(QByteArrayView(h).sliced(494, 8));
    tag.descending = le16(h.constData() + 502) != 0;
    tag.key = cutText(QByteArrayView(h).sliced(PageSize + keyPos, keyLength));
    tag.filter = cutText(QByteArrayView(h).sliced(PageSize + forPos, forLength));
    if (tag.key.isEmpty())
        refuse(source, QStringLiteral("tag %1 has no key expression.").arg(tagName));
    return tag;
}

// The tag list's leaves: from the root down the first children to the leftmost leaf, then along the
// right siblings. Each page is visited once at most.
class TagListWalk
{
public:
    TagListWalk(ByteSource& source, int keyLength) : m_source(source), m_keyLength(keyLength) {}

    // Adds each (tag name, header offset) found to `tags`.
    void run(qint64 root, std::vector<std::pair<QByteArray, qint64>>& tags)
    {
        qint64 node = root;
        QByteArray page = visit(node);
        for (int depth = 0; !(le16(page.constData()) & LeafAttribute); ++depth) {
            if (depth >= MaxDepth || le16(page.constData() + 2) == 0 ||
                InteriorEntriesStart + m_keyLength + 8 > PageSize)
                refuse(m_source, QStringLiteral("the tag list is damaged (node at offset %1).").arg(node));
            node = be32(page.constData() + InteriorEntriesStart + m_keyLength + 4);
            page = visit(node);
        }
        for (;;) {
            readLeaf(node, page, tags);
            const quint32 right = le32(page.constData() + 8);
            if (right == 0xFFFFFFFFu || right == 0)
                return;
            node = right;
            page = visit(node);
        }
    }

private:
    QByteArray visit(qint64 node)
    {
        if (!isPage(m_source, node) || !m_visited.insert(node).second)
            refuse(m_source, QStringLiteral("the tag list is damaged (a node at offset %1).").arg(node));
        return readBytes(m_source, node, PageSize, QStringLiteral("a node of the tag list"));
    }

    // A leaf packs each entry into `k` bytes: record number, duplicate count (bytes shared with the
    // previous key) and trailing count (blanks cut from the end), from the low bits up. The new bytes
    // of the keys are packed from the end of the page backwards.
    void readLeaf(qint64 node, const QByteArray& page, std::vector<std::pair<QByteArray, qint64>>& tags)
    {
        const auto* b = reinterpret_cast<const unsigned char*>(page.constData());
        const int count = le16(page.constData() + 2);
        const quint32 recordMask = le32(page.constData() + 14);
        const int recordBits = b[20];
        const int duplicateBits = b[21];
        const int trailBits = b[22];
        const int k = b[23];
        if (k < 1 || k > 8 || recordBits + duplicateBits + trailBits > 8 * k || duplicateBits > 8 ||
            trailBits > 8 || LeafEntriesStart + qint64(count) * k > PageSize)
            refuse(m_source, QStringLiteral("the tag list is damaged (leaf at offset %1).").arg(node));
        int end = PageSize; // the new bytes of the next key end here
        QByteArray previous(m_keyLength, ' ');
        for (int i = 0; i < count; ++i) {
            quint64 entry = 0;
            for (int byte = k - 1; byte >= 0; --byte)
                entry = (entry << 8) | b[LeafEntriesStart + i * k + byte];
            const int duplicates = int((entry >> recordBits) & ((1u << duplicateBits) - 1));
            const int trail = int((entry >> (recordBits + duplicateBits)) & ((1u << trailBits) - 1));
            const int fresh = m_keyLength - duplicates - trail;
            if (fresh < 0 || end - fresh < LeafEntriesStart + count * k)
                refuse(m_source, QStringLiteral("the tag list is damaged (leaf at offset %1).").arg(node));
            end -= fresh;
            QByteArray key = previous.left(duplicates) + page.mid(end, fresh) + QByteArray(trail, ' ');
            previous = key;
            tags.emplace_back(cutText(key), qint64(entry & recordMask));
        }
    }

    ByteSource& m_source;
    int m_keyLength;
    std::set<qint64> m_visited;
};

} // namespace

std::vector<IndexTag> readIndexTags(ByteSource& source, const QByteArray& singleName)
{
    if (source.size() < HeaderSize)
        refuse(source, QStringLiteral("the index file is cut short (%1 bytes).").arg(source.size()));
    const QByteArray header = readBytes(source, 0, PageSize, QStringLiteral("the header"));
    const auto options = static_cast<quint8>(header[14]);
    if (!(options & CompoundOption)) {
        if (!(options & CompactOption))
            refuse(source, QStringLiteral("not a compound index file (option byte 0x%1).")
                               .arg(options, 2, 16, QLatin1Char('0')));
        // One compact index under a compound index's name: its header is that of its only tag.
        return {readTagHeader(source, 0, singleName)};
    }
    const int keyLength = le16(header.constData() + 12);
    if (keyLength < 1 || keyLength > MaxKeyLength)
        refuse(source, QStringLiteral("the tag list has keys of %1 bytes.").arg(keyLength));
    std::vector<std::pair<QByteArray, qint64>> entries;
    TagListWalk(source, keyLength).run(le32(header.constData()), entries);
    // Creation order is the order of the headers in the file.
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    std::vector<IndexTag> tags;
    for (const auto& [name, offset] : entries) {
        if (!isPage(source, offset, HeaderSize))
            refuse(source, QStringLiteral("tag %1 has its header at offset %2, outside the file.")
                               .arg(QString::fromLatin1(name))
                               .arg(offset));
        tags.push_back(readTagHeader(source, offset, name));
    }
    return tags;
}

} // namespace db::foxpro
