#include "db/ConnectionString.h"

namespace db {

ConnectionString ConnectionString::parse(const QString& text)
{
    ConnectionString result;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        const qsizetype equals = text.indexOf(QLatin1Char('='), pos);
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), pos);
        if (equals < 0 || (semicolon >= 0 && semicolon < equals)) {
            // A piece without "=" names no value; skip it.
            if (semicolon < 0)
                break;
            pos = semicolon + 1;
            continue;
        }
        const QString keyword = text.mid(pos, equals - pos).trimmed();
        pos = equals + 1;
        while (pos < size && text.at(pos) == QLatin1Char(' '))
            ++pos;

        QString value;
        if (pos < size && text.at(pos) == QLatin1Char('{')) {
            ++pos;
            while (pos < size) {
                const QChar c = text.at(pos);
                if (c == QLatin1Char('}')) {
                    if (pos + 1 < size && text.at(pos + 1) == QLatin1Char('}')) {
                        value += c;
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                value += c;
                ++pos;
            }
            const qsizetype end = text.indexOf(QLatin1Char(';'), pos);
            pos = end < 0 ? size : end + 1;
        } else {
            const qsizetype end = text.indexOf(QLatin1Char(';'), pos);
            value = text.mid(pos, (end < 0 ? size : end) - pos).trimmed();
            pos = end < 0 ? size : end + 1;
        }
        if (!keyword.isEmpty() && !result.value(keyword))
            result.m_pairs.emplace_back(keyword, value);
    }
    return result;
}

std::optional<QString> ConnectionString::value(const QString& keyword) const
{
    for (const auto& [key, value] : m_pairs) {
        if (key.compare(keyword, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

QString ConnectionString::quoteValue(const QString& value)
{
    if (!value.contains(QLatin1Char(';')) && !value.startsWith(QLatin1Char('{')))
        return value;
    QString doubled = value;
    doubled.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + doubled + QLatin1Char('}');
}

} // namespace db
