#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace db {

// A connection string of "Keyword=value;" pairs as ODBC and the data-access layer read them: keywords
// in any case, blanks around them ignored, a value enclosed in braces may hold ";" ("Pwd={a;b}",
// with "}}" standing for one "}"). A later duplicate keyword does not replace the first.
class ConnectionString
{
public:
    static ConnectionString parse(const QString& text);

    // The value of the first pair with that keyword (compared without regard to case).
    std::optional<QString> value(const QString& keyword) const;

    const std::vector<std::pair<QString, QString>>& pairs() const { return m_pairs; }

    // A value as it must be written after "Keyword=": unchanged, unless it holds ";" or begins with
    // "{", in which case it is enclosed in braces with every "}" doubled.
    static QString quoteValue(const QString& value);

private:
    std::vector<std::pair<QString, QString>> m_pairs;
};

} // namespace db
