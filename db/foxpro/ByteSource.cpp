#include "db/foxpro/ByteSource.h"

#include "db/DbError.h"

#include <QFileInfo>

namespace db::foxpro {

std::unique_ptr<FileSource> FileSource::open(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw DbError(QStringLiteral("%1: the file does not exist.").arg(path));
    if (!info.isFile())
        throw DbError(QStringLiteral("%1: not a file.").arg(path));
    std::unique_ptr<FileSource> source(new FileSource(path, info.size()));
    if (!source->m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw DbError(QStringLiteral("%1: cannot be opened (%2).").arg(path, source->m_file.errorString()));
    return source;
}

FileSource::FileSource(const QString& path, qint64 size) : ByteSource(path, size), m_file(path) {}

bool FileSource::readInside(qint64 offset, char* into, qint64 length)
{
    if (length > WindowSize)
        return readFile(offset, into, length);
    const std::optional<QByteArrayView> bytes = peekInside(offset, length);
    if (bytes)
        std::memcpy(into, bytes->data(), static_cast<std::size_t>(length));
    return bytes.has_value();
}

std::optional<QByteArrayView> FileSource::peekInside(qint64 offset, qint64 length)
{
    if (length > WindowSize)
        return std::nullopt;
    const qint64 windowEnd = m_windowStart + m_window.size();
    if (offset < m_windowStart || offset + length > windowEnd) {
        const qint64 fill = std::min(WindowSize, size() - offset);
        hold(0, {});
        m_window.resize(fill);
        m_windowStart = offset;
        if (!readFile(offset, m_window.data(), fill)) {
            m_window.clear();
            return std::nullopt;
        }
        hold(m_windowStart, m_window);
    }
    return QByteArrayView(m_window.constData() + (offset - m_windowStart), length);
}

bool FileSource::readFile(qint64 offset, char* into, qint64 length)
{
    if (!m_file.seek(offset))
        return false;
    qint64 done = 0;
    while (done < length) {
        const qint64 got = m_file.read(into + done, length - done);
        if (got <= 0)
            return false; // the file shrank under us, or the device failed
        done += got;
    }
    return true;
}

} // namespace db::foxpro
