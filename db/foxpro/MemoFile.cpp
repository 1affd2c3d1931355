#include "db/foxpro/MemoFile.h"

#include "db/DbError.h"

namespace db::foxpro {

namespace {

constexpr qint64 DBaseBlockSize = 512;
constexpr char EndMark = 0x1A;
constexpr quint32 FptObject = 2;

} // namespace

MemoFile::Style MemoFile::styleFor(const QString& memoFileName, quint8 tableVersion)
{
    if (!memoFileName.endsWith(QLatin1String(".dbt"), Qt::CaseInsensitive))
        return Style::Fpt;
    return tableVersion == 0x03 || tableVersion == 0x83 ? Style::DBase3 : Style::DBase4;
}

MemoFile::MemoFile(std::unique_ptr<ByteSource> source, Style style)
    : m_source(std::move(source)), m_style(style)
{
    char header[22];
    switch (m_style) {
    case Style::Fpt:
        if (!m_source->read(0, header, 8))
            throw DbError(
                QStringLiteral("%1: the memo file is too short to have a header.").arg(m_source->name()));
        m_blockSize = be16(header + 6);
        if (m_blockSize == 0)
            throw DbError(QStringLiteral("%1: the memo file's block size is 0.").arg(m_source->name()));
        break;
    case Style::DBase4:
        // dBASE IV keeps its block size at bytes 20-21; 0 or a short header means the usual 512.
        if (m_source->read(0, header, 22) && le16(header + 20) != 0)
            m_blockSize = le16(header + 20);
        break;
    case Style::DBase3:
        break;
    }
}

QByteArrayView MemoFile::read(quint64 block, QByteArray& spill)
{
    const qint64 start =
        static_cast<qint64>(block) * m_blockSize; // at most 10 digits times 16 bits: no overflow
    // An FPT memo past the end of the file cannot show its head, which readFpt() reports.
    if (m_style == Style::Fpt)
        return readFpt(start, block, spill);
    if (start >= m_source->size())
        throw ValueError{
            QStringLiteral("memo block %1 lies past the end of %2").arg(block).arg(m_source->name())};
    if (m_style == Style::DBase4) {
        char head[8];
        if (m_source->read(start, head, 8) && head[0] == '\xFF' && head[1] == '\xFF' && head[2] == 0x08 &&
            head[3] == 0) {
            const qint64 length = le32(head + 4); // includes these 8 bytes
            if (length < 8)
                throw ValueError{QStringLiteral("memo block %1 claims %2 bytes").arg(block).arg(length)};
            return readSpan(start + 8, length - 8, block, spill);
        }
    }
    return readUpToEndMark(start, spill);
}

QByteArrayView MemoFile::readFpt(qint64 start, quint64 block, QByteArray& spill)
{
    const std::optional<QByteArrayView> head = m_source->peek(start, 8);
    if (!head)
        throw ValueError{
            QStringLiteral("memo block %1 lies past the end of %2").arg(block).arg(m_source->name())};
    const quint32 type = be32(head->data());
    const quint32 length = be32(head->data() + 4);
    // A memo starts with its type: 0 picture, 1 text, 2 object; anything else is no memo's start.
    if (type > FptObject)
        throw ValueError{QStringLiteral("memo block %1 of %2 does not start a memo (type %3)")
                             .arg(block)
                             .arg(m_source->name())
                             .arg(type)};
    return readSpan(start + 8, length, block, spill);
}

QByteArrayView MemoFile::readSpan(qint64 start, qint64 length, quint64 block, QByteArray& spill)
{
    // Most memos lie in the bytes the file holds in memory: a peek alone finds them.
    if (const std::optional<QByteArrayView> bytes = m_source->peek(start, length))
        return *bytes;
    if (!m_source->contains(start, length))
        throw ValueError{QStringLiteral("memo block %1 claims %2 bytes, past the end of %3")
                             .arg(block)
                             .arg(length)
                             .arg(m_source->name())};
    spill.resize(length);
    if (!m_source->read(start, spill.data(), length))
        throw ValueError{
            QStringLiteral("memo block %1 cannot be read from %2").arg(block).arg(m_source->name())};
    return spill;
}

// dBASE III memos run from their block to the first 0x1A (or the end of the file).
QByteArrayView MemoFile::readUpToEndMark(qint64 start, QByteArray& spill)
{
    spill.clear();
    char chunk[DBaseBlockSize];
    for (qint64 pos = start; pos < m_source->size(); pos += DBaseBlockSize) {
        const qint64 length = std::min(DBaseBlockSize, m_source->size() - pos);
        if (!m_source->read(pos, chunk, length))
            throw ValueError{QStringLiteral("the memo at byte %1 cannot be read from %2")
                                 .arg(start)
                                 .arg(m_source->name())};
        const char* end =
            static_cast<const char*>(std::memchr(chunk, EndMark, static_cast<std::size_t>(length)));
        if (end) {
            spill.append(chunk, end - chunk);
            break;
        }
        spill.append(chunk, length);
    }
    return spill;
}

} // namespace db::foxpro
