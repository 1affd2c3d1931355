#pragma once

#include "db/foxpro/ByteSource.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace db::foxpro {

// A problem with one stored value; the record reader adds the table, record and field to it.
struct ValueError
{
    explicit ValueError(QString problem, QString stored = {})
        : problem(std::move(problem)), stored(std::move(stored))
    {}

    QString problem;
    // What was stored, as a report of unreadable values shows it: "\"NotAYear\"", "NaN".
    QString stored;
};

// The memo file of a table: .fpt (FoxPro, and .dct for a database container) or .dbt (dBASE).
// Blocks are read on demand; nothing is cached.
class MemoFile
{
public:
    enum class Style
    {
        Fpt,    // 512-byte header with a big-endian block size; each memo: type, length, data
        DBase3, // 512-byte blocks, text up to a 0x1A byte
        DBase4  // block size in the header; each memo: FF FF 08 00, length, data
    };

    // The style a memo file has, from its name and the table's version byte.
    static Style styleFor(const QString& memoFileName, quint8 tableVersion);

    // Throws DbError naming the file when its header is unusable.
    MemoFile(std::unique_ptr<ByteSource> source, Style style);

    // The data of the memo at `block` (not 0), valid until the next read: a view of the file's bytes,
    // or of `spill` when they had to be copied. Throws ValueError when the memo does not lie inside
    // the file: no allocation is larger than the file.
    QByteArrayView read(quint64 block, QByteArray& spill);

private:
    QByteArrayView readFpt(qint64 start, quint64 block, QByteArray& spill);
    QByteArrayView readSpan(qint64 start, qint64 length, quint64 block, QByteArray& spill);
    QByteArrayView readUpToEndMark(qint64 start, QByteArray& spill);

    std::unique_ptr<ByteSource> m_source;
    Style m_style;
    qint64 m_blockSize = 512;
};

} // namespace db::foxpro
