#include "convert/TargetDialect.h"

#include "db/Connection.h"
#include "db/foxpro/CodePage.h"

#include <QMutex>

#include <algorithm>
#include <map>

namespace convert {

namespace {

bool isDoubleByte(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

// The characters a code page holds: what its bytes (and for the East Asian code pages its byte pairs)
// decode to with the same tables that read the source. A byte the code page leaves undefined holds
// nothing, though the reader keeps it as the character of the same number.
std::bitset<0x10000> decodeRepertoire(int codePage)
{
    std::bitset<0x10000> held;
    for (int c = 0; c < 0x80; ++c)
        held.set(std::size_t(c));
    if (codePage <= 0)
        return held;
    const db::foxpro::CodePage decoder(codePage);
    if (decoder.number() != codePage)
        return held; // not a code page we know: only ASCII is certain
    for (const QChar c : decoder.characters())
        held.set(c.unicode());
    return held;
}

// Built once per code page and shared by every dialect of that code page.
std::shared_ptr<const std::bitset<0x10000>> repertoireOf(int codePage)
{
    static QMutex mutex;
    static std::map<int, std::shared_ptr<const std::bitset<0x10000>>> built;
    const QMutexLocker lock(&mutex);
    auto& entry = built[codePage];
    if (!entry)
        entry = std::make_shared<const std::bitset<0x10000>>(decodeRepertoire(codePage));
    return entry;
}

const QString CodePageQuery = QStringLiteral(
    "SELECT COLLATIONPROPERTY(CONVERT(nvarchar(128), DATABASEPROPERTYEX(DB_NAME(), 'Collation')), "
    "'CodePage')");

} // namespace

TargetDialect::TargetDialect(bool sqlServer, int codePage)
    : m_sqlServer(sqlServer), m_codePage(codePage),
      m_repertoire(sqlServer && codePage != Utf8CodePage ? repertoireOf(codePage) : nullptr)
{}

TargetDialect TargetDialect::sqlServer(int codePage)
{
    return TargetDialect(true, codePage);
}

TargetDialect TargetDialect::sqlite()
{
    return TargetDialect(false, Utf8CodePage);
}

TargetDialect TargetDialect::ofConnection(db::Connection& connection)
{
    try {
        if (connection.dbmsName().contains(QLatin1String("SQLite"), Qt::CaseInsensitive))
            return sqlite();
    } catch (...) {
        // A driver that cannot name its database is taken for SQL Server, the program's target.
    }
    try {
        bool number = false;
        const int codePage = connection.queryValue(CodePageQuery).trimmed().toInt(&number);
        if (number)
            return sqlServer(codePage);
    } catch (...) {
        // No answer: the code page of SQL Server's default collation.
    }
    return sqlServer();
}

bool TargetDialect::holdsAll(QStringView text) const
{
    if (!m_repertoire)
        return true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Characters beyond the Basic Multilingual Plane arrive as surrogate pairs, which no code
        // page but UTF-8 holds.
        if (u >= 0x80 && (c.isSurrogate() || !m_repertoire->test(u)))
            return false;
    }
    return true;
}

QStringView TargetDialect::joinOperator() const
{
    return m_sqlServer ? u"+" : u"||";
}

QStringView TargetDialect::nulCharacter(bool national) const
{
    if (!m_sqlServer)
        return u"char(0)";
    return national ? u"NCHAR(0)" : u"CHAR(0)";
}

QStringView TargetDialect::longJoinPrefix(bool national) const
{
    if (!m_sqlServer)
        return {};
    return national ? u"CAST(N'' AS NVARCHAR(MAX))+" : u"CAST('' AS VARCHAR(MAX))+";
}

QString TargetDialect::binaryType() const
{
    return m_sqlServer ? QStringLiteral("VARBINARY(MAX)") : QStringLiteral("BLOB");
}

// A varchar's length counts bytes of the database's code page: a character may take two of them in
// the East Asian code pages and up to four in UTF-8. An nvarchar's counts characters (UTF-16 units).
QString TargetDialect::nativeType(NativeType type, int width, bool national) const
{
    if (!m_sqlServer) {
        switch (type) {
        case NativeType::Text:
            return QStringLiteral("VARCHAR(%1)").arg(std::max(width, 1));
        case NativeType::Binary:
            return binaryType();
        case NativeType::Money:
            return QStringLiteral("NUMERIC");
        case NativeType::Bit:
            return QStringLiteral("INTEGER");
        default:
            return QStringLiteral("TEXT"); // memo text, and dates as their ISO 8601 text
        }
    }
    const QString prefix = national ? QStringLiteral("NVARCHAR") : QStringLiteral("VARCHAR");
    switch (type) {
    case NativeType::Text: {
        const int bytesPerCharacter = national                     ? 1
                                      : m_codePage == Utf8CodePage ? 4
                                      : isDoubleByte(m_codePage)   ? 2
                                                                   : 1;
        const qint64 length = qint64(std::max(width, 1)) * bytesPerCharacter;
        if (length > (national ? 4000 : 8000))
            return prefix + QStringLiteral("(MAX)");
        return prefix + QStringLiteral("(%1)").arg(length);
    }
    case NativeType::Memo:
        return prefix + QStringLiteral("(MAX)");
    case NativeType::Binary:
        return binaryType();
    case NativeType::Money:
        return QStringLiteral("MONEY");
    case NativeType::Date:
        return QStringLiteral("DATE");
    case NativeType::DateTime:
        return QStringLiteral("DATETIME2(3)");
    case NativeType::Bit:
        return QStringLiteral("BIT");
    }
    return {};
}

void TargetDialect::appendBinary(TextOut& out, const QByteArray& bytes) const
{
    appendView(out, m_sqlServer ? u"0x" : u"X'");
    appendHexDigits(out, bytes);
    if (!m_sqlServer)
        out.push_back(u'\'');
}

} // namespace convert
