#include "tests/support/DbfBuilder.h"

#include <QFile>

#include <stdexcept>

DbfBuilder& DbfBuilder::field(const QByteArray& name, char type, int length, int decimals, quint8 flags)
{
    m_fields.push_back(DbfField{name, type, length, decimals, flags});
    return *this;
}

DbfBuilder& DbfBuilder::record(const std::vector<QByteArray>& values, bool deleted)
{
    QByteArray record(1, deleted ? '*' : ' ');
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        QByteArray value = i < values.size() ? values[i] : QByteArray();
        value = value.left(m_fields[i].length);
        record += value + QByteArray(m_fields[i].length - value.size(), ' ');
    }
    m_records.push_back(record);
    return *this;
}

int DbfBuilder::recordLength() const
{
    int length = 1;
    for (const DbfField& f : m_fields)
        length += f.length;
    return length;
}

QByteArray DbfBuilder::bytes(qint64 recordCount) const
{
    const bool visualFoxPro = m_version >= 0x30 && m_version <= 0x32;
    const int headerLength = 32 + 32 * int(m_fields.size()) + 1 + (visualFoxPro ? 263 : 0);
    QByteArray out(32, '\0');
    out[0] = char(m_version);
    out[1] = 24;
    out[2] = 1;
    out[3] = 1;
    out.replace(4, 4, le32(quint32(recordCount < 0 ? qint64(m_records.size()) : recordCount)));
    out[8] = char(headerLength & 0xFF);
    out[9] = char(headerLength >> 8);
    out[10] = char(recordLength() & 0xFF);
    out[11] = char(recordLength() >> 8);
    out[29] = char(m_codePageMark);
    int offset = 1;
    for (const DbfField& f : m_fields) {
        QByteArray d(32, '\0');
        d.replace(0, f.name.size(), f.name);
        d[11] = f.type;
        d.replace(12, 4, le32(quint32(offset)));
        d[16] = char(f.length);
        d[17] = char(f.decimals);
        d[18] = char(f.flags);
        out += d;
        offset += f.length;
    }
    out += '\r';
    out += QByteArray(headerLength - out.size(), '\0');
    for (const QByteArray& r : m_records)
        out += r;
    out += '\x1A';
    return out;
}

FptBuilder::FptBuilder(int blockSize) : m_blockSize(blockSize), m_bytes(512, '\0')
{
    m_bytes[6] = char(blockSize >> 8);
    m_bytes[7] = char(blockSize & 0xFF);
}

quint32 FptBuilder::memo(const QByteArray& data, quint32 type)
{
    const quint32 block = quint32(m_bytes.size() / m_blockSize);
    QByteArray head(8, '\0');
    for (int i = 0; i < 4; ++i) {
        head[i] = char(type >> (24 - 8 * i));
        head[4 + i] = char(quint32(data.size()) >> (24 - 8 * i));
    }
    m_bytes += head + data;
    const int pad = (m_blockSize - m_bytes.size() % m_blockSize) % m_blockSize;
    m_bytes += QByteArray(pad, '\0');
    return block;
}

QByteArray le32(quint32 value)
{
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char(value >> (8 * i));
    return out;
}

QByteArray le64(quint64 value)
{
    return le32(quint32(value)) + le32(quint32(value >> 32));
}

QByteArray dateTimeBytes(qint32 julianDay, qint32 milliseconds)
{
    return le32(quint32(julianDay)) + le32(quint32(milliseconds));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

namespace {

void put(QByteArray& bytes, qsizetype at, const QByteArray& what)
{
    bytes.replace(at, what.size(), what);
}

} // namespace

QByteArray le16(quint16 value)
{
    return QByteArray(1, char(value & 0xFF)) + char(value >> 8);
}

QByteArray cdxTagHeader(quint32 root, const CdxTag& tag)
{
    QByteArray h(1024, '\0');
    put(h, 0, le32(root));
    put(h, 12, le16(10));
    h[14] = char(tag.options);
    h[15] = 1;
    put(h, 502, le16(tag.descending ? 1 : 0));
    put(h, 504, le16(quint16(tag.key.size() + 1)));
    put(h, 506, le16(quint16(tag.filter.size() + 1)));
    put(h, 510, le16(quint16(tag.key.size() + 1)));
    put(h, 512, tag.key + '\0' + tag.filter + '\0');
    return h;
}

QByteArray cdxFile(const std::vector<CdxTag>& tags)
{
    QByteArray file = cdxTagHeader(0x400, {{}, {}, {}, 0xE0, false});
    // One leaf: 4-byte entries of 24 bits of header offset, 4 of shared bytes (none), 4 of blanks cut.
    QByteArray leaf(512, '\0');
    put(leaf, 0, le16(3));
    put(leaf, 2, le16(quint16(tags.size())));
    put(leaf, 4, le32(0xFFFFFFFF));
    put(leaf, 8, le32(0xFFFFFFFF));
    put(leaf, 14, le32(0x00FFFFFF));
    leaf[18] = 0x0F;
    leaf[19] = 0x0F;
    leaf[20] = 24;
    leaf[21] = 4;
    leaf[22] = 4;
    leaf[23] = 4;
    int end = 512;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        const quint32 offset = 0x600 + quint32(i) * 0x400;
        const QByteArray name = tags[i].name.left(10);
        const quint32 trail = quint32(10 - name.size());
        put(leaf, 24 + qsizetype(i) * 4, le32(offset | (trail << 28)));
        end -= int(name.size());
        put(leaf, end, name);
    }
    file += leaf;
    for (const CdxTag& tag : tags)
        file += cdxTagHeader(0x200, tag);
    return file + QByteArray(512, '\0');
}
