#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstring>
#include <memory>
#include <optional>

namespace db::foxpro {

// The bytes of one file (or of a buffer standing in for one). Every read names its range and is
// refused when any part of it lies outside the source, so that no length taken from a header can
// read past the end or size an allocation the file cannot back.
class ByteSource
{
public:
    explicit ByteSource(QString name, qint64 size) : m_name(std::move(name)), m_size(size) {}
    virtual ~ByteSource() = default;
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    // The name error messages use for this source (the file's path).
    const QString& name() const { return m_name; }
    qint64 size() const { return m_size; }

    bool contains(qint64 offset, qint64 length) const
    {
        return offset >= 0 && length >= 0 && offset <= m_size && length <= m_size - offset;
    }

    // Copies `length` bytes at `offset`; false when the range is not inside the source or the read failed.
    bool read(qint64 offset, char* into, qint64 length)
    {
        return contains(offset, length) && (length == 0 || readInside(offset, into, length));
    }

    // The bytes at `offset` without a copy, valid until the next read or peek; nothing when the range
    // is not inside the source, cannot be read, or is too long to be held at once (then read it).
    // Bytes the source holds in memory already are found without a call.
    std::optional<QByteArrayView> peek(qint64 offset, qint64 length)
    {
        if (offset >= m_heldStart && length >= 0 && offset - m_heldStart <= m_held.size() &&
            length <= m_held.size() - (offset - m_heldStart))
            return m_held.sliced(offset - m_heldStart, length);
        if (!contains(offset, length))
            return std::nullopt;
        return peekInside(offset, length);
    }

protected:
    // The bytes of the source at `start` that it holds in memory now (inside the source), until the
    // next call of this.
    void hold(qint64 start, QByteArrayView bytes)
    {
        m_heldStart = start;
        m_held = bytes;
    }

private:
    virtual bool readInside(qint64 offset, char* into, qint64 length) = 0;
    virtual std::optional<QByteArrayView> peekInside(qint64 offset, qint64 length) = 0;

    QString m_name;
    qint64 m_size;
    qint64 m_heldStart = 0;
    QByteArrayView m_held;
};

class MemorySource final : public ByteSource
{
public:
    MemorySource(QString name, QByteArray bytes)
        : ByteSource(std::move(name), bytes.size()), m_bytes(std::move(bytes))
    {
        hold(0, m_bytes);
    }

private:
    bool readInside(qint64 offset, char* into, qint64 length) override
    {
        std::memcpy(into, m_bytes.constData() + offset, static_cast<std::size_t>(length));
        return true;
    }
    std::optional<QByteArrayView> peekInside(qint64 offset, qint64 length) override
    {
        return QByteArrayView(m_bytes.constData() + offset, length);
    }

    QByteArray m_bytes;
};

// A file read through one fixed window: sequential records and neighbouring memo blocks come from
// memory, and the memory used does not grow with the file.
class FileSource final : public ByteSource
{
public:
    // Throws DbError naming the path when the file cannot be opened.
    static std::unique_ptr<FileSource> open(const QString& path);

private:
    static constexpr qint64 WindowSize = 64 * 1024;

    FileSource(const QString& path, qint64 size);
    bool readInside(qint64 offset, char* into, qint64 length) override;
    std::optional<QByteArrayView> peekInside(qint64 offset, qint64 length) override;
    bool readFile(qint64 offset, char* into, qint64 length);

    QFile m_file;
    QByteArray m_window;
    qint64 m_windowStart = 0;
};

// Little-endian and big-endian integers, assembled byte by byte.
inline quint16 le16(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<quint16>(b[0] | (b[1] << 8));
}
inline quint32 le32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return quint32(b[0]) | (quint32(b[1]) << 8) | (quint32(b[2]) << 16) | (quint32(b[3]) << 24);
}
inline quint64 le64(const char* p)
{
    return quint64(le32(p)) | (quint64(le32(p + 4)) << 32);
}
inline quint16 be16(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<quint16>((b[0] << 8) | b[1]);
}
inline quint32 be32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | quint32(b[3]);
}

} // namespace db::foxpro
