#include "convert/TargetDialect.h"

#include "db/Connection.h"
#include "db/foxpro/CodePage.h"

#include <QMutex>
#include <QRegularExpression>

#include <algorithm>
#include <bitset>
#include <map>

namespace convert {

namespace {

bool isDoubleByte(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

// The bytes of every character a code page holds: what its bytes (and for the East Asian code pages
// its byte pairs) decode to with the same tables that read the source. A byte the code page leaves
// undefined holds nothing, though the reader keeps it as the character of the same number. A
// character that two byte sequences decode to keeps the first.
TargetDialect::Encoding encodingOf(int codePage)
{
    TargetDialect::Encoding bytes(0x10000, 0);
    for (int c = 0; c < 0x80; ++c)
        bytes[std::size_t(c)] = quint16(c);
    if (codePage <= 0)
        return bytes;
    db::foxpro::CodePage decoder(codePage);
    if (decoder.number() != codePage)
        return bytes; // not a code page we know: only ASCII is certain
    std::bitset<0x10000> defined;
    for (const QChar c : decoder.characters())
        defined.set(c.unicode());
    // Converters disagree on the private-use characters of the East Asian pages and on their single
    // bytes above 0x7F (Windows reads 0x80 of 936 as the euro sign, other converters as nothing, and
    // 0x80 of 949 and 950 as U+0080): text holding them goes as national text, which keeps it whatever
    // the server's converter. The single bytes of 932 are half-width katakana every converter knows.
    const bool doubleByte = isDoubleByte(codePage);
    const auto note = [&](QByteArrayView sequence, quint16 code) {
        const QString text = decoder.decode(sequence);
        if (text.size() != 1 || (doubleByte && text.at(0).category() == QChar::Other_PrivateUse))
            return;
        if (defined.test(text.at(0).unicode()) && bytes[text.at(0).unicode()] == 0)
            bytes[text.at(0).unicode()] = code;
    };
    const int lastSingleByte = doubleByte && codePage != 932 ? 0x80 : 0x100;
    for (int byte = 0x80; byte < lastSingleByte; ++byte) {
        const char one = char(byte);
        note(QByteArrayView(&one, 1), quint16(byte));
    }
    if (doubleByte) {
        for (int lead = 0x81; lead < 0xFF; ++lead) {
            for (int trail = 0x40; trail < 0xFF; ++trail) {
                const char pair[2] = {char(lead), char(trail)};
                note(QByteArrayView(pair, 2), quint16(lead << 8 | trail));
            }
        }
    }
    return bytes;
}

// Built once per code page and shared by every dialect of that code page.
std::shared_ptr<const TargetDialect::Encoding> encodingFor(int codePage)
{
    static QMutex mutex;
    static std::map<int, std::shared_ptr<const TargetDialect::Encoding>> built;
    const QMutexLocker lock(&mutex);
    auto& entry = built[codePage];
    if (!entry)
        entry = std::make_shared<const TargetDialect::Encoding>(encodingOf(codePage));
    return entry;
}

// SQL Server refuses TEXT in a database whose collation has the _UTF8 or _SC flag, or is one of the
// version-140 collations (which all hold supplementary characters).
bool takesLegacyLobTypes(QStringView collation)
{
    static const QRegularExpression refused(QStringLiteral("_UTF8|_SC(_|$)|_140_"),
                                            QRegularExpression::CaseInsensitiveOption);
    return !refused.match(collation).hasMatch();
}

// Whether the collation's name has `flag` among its parts: Latin1_General_100_CS_AS_SC has CS and AS.
bool hasFlag(QStringView collation, QStringView flag)
{
    for (const QStringView part : collation.tokenize(u'_'))
        if (part.compare(flag, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The language prefixes of SQL Server's Windows collations and the code page of their varchar data;
// the first prefix a name starts with decides.
struct CollationCodePage
{
    const char* prefix;
    int codePage;
};

// clang-format off
constexpr CollationCodePage collationCodePages[] = {
    {"albanian", 1250}, {"arabic", 1256}, {"azeri_cyrillic", 1251}, {"azeri_latin", 1254},
    {"bashkir", 1251}, {"bosnian_cyrillic", 1251}, {"bosnian_latin", 1250}, {"chinese_hong_kong", 950},
    {"chinese_taiwan", 950}, {"chinese_traditional", 950}, {"chinese", 936}, {"croatian", 1250},
    {"cyrillic", 1251}, {"czech", 1250}, {"dari", 1256}, {"estonian", 1257}, {"greek", 1253},
    {"hebrew", 1255}, {"hungarian", 1250}, {"japanese", 932}, {"kazakh", 1251}, {"korean", 949},
    {"latvian", 1257}, {"lithuanian", 1257}, {"macedonian", 1251}, {"mongolian", 1251},
    {"persian", 1256}, {"polish", 1250}, {"romanian", 1250}, {"serbian_cyrillic", 1251},
    {"serbian_latin", 1250}, {"slovak", 1250}, {"slovenian", 1250}, {"tatar", 1251}, {"thai", 874},
    {"turkish", 1254}, {"turkmen", 1250}, {"uighur", 1256}, {"ukrainian", 1251}, {"urdu", 1256},
    {"uzbek_latin", 1254}, {"vietnamese", 1258}, {"yakut", 1251},
    // Languages without a Windows code page: their collations hold ASCII only in varchar.
    {"assamese", 0}, {"bengali", 0}, {"divehi", 0}, {"georgian", 0}, {"hindi", 0}, {"indic", 0},
    {"khmer", 0}, {"lao", 0}, {"maltese", 0}, {"maori", 0}, {"nepali", 0}, {"pashto", 0},
    {"syriac", 0}, {"tibetan", 0}, {"welsh", 0},
};
// clang-format on

const QString CollationQuery =
    QStringLiteral("SELECT CONVERT(nvarchar(128), DATABASEPROPERTYEX(DB_NAME(), 'Collation'))");
const QString CodePageQuery = QStringLiteral(
    "SELECT COLLATIONPROPERTY(CONVERT(nvarchar(128), DATABASEPROPERTYEX(DB_NAME(), 'Collation')), "
    "'CodePage')");

} // namespace

TargetDialect::TargetDialect(bool sqlServer, int codePage, QStringView collation)
    : m_sqlServer(sqlServer), m_codePage(codePage), m_legacyLobTypes(takesLegacyLobTypes(collation)),
      m_caseSensitive(hasFlag(collation, u"CS") || hasFlag(collation, u"BIN") || hasFlag(collation, u"BIN2")),
      m_accentInsensitive(hasFlag(collation, u"AI")),
      m_encoding(sqlServer && codePage != Utf8CodePage ? encodingFor(codePage) : nullptr)
{}

bool TargetDialect::indexes(QStringView sqlType) const
{
    if (!m_sqlServer)
        return true;
    return !sqlType.endsWith(u"(MAX)", Qt::CaseInsensitive) &&
           sqlType.compare(u"TEXT", Qt::CaseInsensitive) != 0 &&
           sqlType.compare(u"NTEXT", Qt::CaseInsensitive) != 0 &&
           sqlType.compare(u"IMAGE", Qt::CaseInsensitive) != 0;
}

TargetDialect TargetDialect::sqlServer(int codePage, QStringView collation)
{
    return TargetDialect(true, codePage, collation);
}

TargetDialect TargetDialect::sqlite()
{
    return TargetDialect(false, Utf8CodePage, {});
}

int TargetDialect::codePageOfCollation(QStringView collation)
{
    const QString name = collation.toString().toLower();
    if (name.contains(QLatin1String("_utf8")))
        return Utf8CodePage;
    if (name.startsWith(QLatin1String("sql_"))) {
        // SQL collations name their code page: SQL_Latin1_General_CP1_CI_AS is 1252,
        // SQL_Latin1_General_CP1251_CS_AS 1251, SQL_Scandinavian_Cp850_CI_AS 850.
        static const QRegularExpression named(QStringLiteral("_cp(\\d+)_"));
        const QRegularExpressionMatch match = named.match(name);
        const int number = match.hasMatch() ? match.captured(1).toInt() : 1;
        return number == 1 ? DefaultCodePage : number;
    }
    for (const CollationCodePage& entry : collationCodePages) {
        if (name.startsWith(QLatin1String(entry.prefix)))
            return entry.codePage;
    }
    return DefaultCodePage; // Latin1_General and the Western European languages
}

TargetDialect TargetDialect::ofConnection(db::Connection& connection)
{
    try {
        if (connection.dbmsName().contains(QLatin1String("SQLite"), Qt::CaseInsensitive))
            return sqlite();
    } catch (...) {
        // A driver that cannot name its database is taken for SQL Server, the program's target.
    }
    QString collation;
    try {
        collation = connection.queryValue(CollationQuery).trimmed();
    } catch (...) {
        // No answer: a collation that takes TEXT, as SQL Server's default one does.
    }
    try {
        bool number = false;
        const int codePage = connection.queryValue(CodePageQuery).trimmed().toInt(&number);
        if (number)
            return sqlServer(codePage, collation);
    } catch (...) {
        // No answer: the code page of SQL Server's default collation.
    }
    return sqlServer(DefaultCodePage, collation);
}

QString TargetDialect::longTextType() const
{
    return m_legacyLobTypes ? QStringLiteral("TEXT") : QStringLiteral("VARCHAR(MAX)");
}

bool TargetDialect::holdsAll(QStringView text) const
{
    if (!m_encoding)
        return true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Characters beyond the Basic Multilingual Plane arrive as surrogate pairs, which no code
        // page but UTF-8 holds.
        if (u >= 0x80 && (c.isSurrogate() || (*m_encoding)[u] == 0))
            return false;
    }
    return true;
}

QByteArray TargetDialect::varcharBytes(QStringView text) const
{
    if (!m_encoding)
        return text.toUtf8();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const quint16 code = c.isSurrogate() ? 0 : (*m_encoding)[c.unicode()];
        if (code > 0xFF)
            bytes.append(char(code >> 8));
        bytes.append(code == 0 && c.unicode() != 0 ? '?' : char(code & 0xFF));
    }
    return bytes;
}

bool TargetDialect::holdsEveryCharacterOf(int codePage) const
{
    if (!m_encoding)
        return true;
    // A pair of bytes that is no character reads as one no code page holds.
    return db::foxpro::CodePage(codePage).singleByte() && bytesRefusedFrom(codePage).empty();
}

db::ByteSet TargetDialect::bytesRefusedFrom(int codePage) const
{
    db::ByteSet refused;
    if (!m_encoding)
        return refused;
    db::foxpro::CodePage page(codePage);
    for (int byte = 0; byte < 256; ++byte) {
        const char c = char(byte);
        if (!holdsAll(page.decode(QByteArrayView(&c, 1))))
            refused.add(static_cast<unsigned char>(byte));
    }
    return refused;
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

QStringView TargetDialect::joinPrefix(QStringView text, bool national) const
{
    constexpr qsizetype Limit = 8000;
    if (!m_sqlServer)
        return {};
    if (national)
        return text.size() * 2 > Limit ? u"CAST(N'' AS NVARCHAR(MAX))+" : u"";
    // No UTF-16 unit takes more than three bytes: only a longer text needs counting.
    if (text.size() <= Limit / 3 || varcharBytes(text).size() <= Limit)
        return {};
    return u"CAST('' AS VARCHAR(MAX))+";
}

void TargetDialect::appendHexText(TextOut& out, QStringView text, bool national) const
{
    if (!m_sqlServer) {
        appendView(out, u"CAST(X'");
        appendHexDigits(out, text.toUtf8());
        appendView(out, u"' AS TEXT)");
        return;
    }
    appendView(out, u"CAST(0x");
    if (national) {
        QByteArray units;
        units.reserve(text.size() * 2);
        for (const QChar c : text)
            units.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        appendHexDigits(out, units);
        appendView(out, u" AS NVARCHAR(MAX))");
    } else {
        appendHexDigits(out, varcharBytes(text));
        appendView(out, u" AS VARCHAR(MAX))");
    }
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

QString TargetDialect::readBackItem(const QString& name, ReadBack kind) const
{
    if (!m_sqlServer) {
        return kind == ReadBack::Binary
                   ? QStringLiteral("CASE WHEN %1 IS NULL THEN NULL ELSE hex(%1) END").arg(name)
                   : name;
    }
    int style = 0;
    switch (kind) {
    case ReadBack::Float:
        style = 3;
        break;
    case ReadBack::Money:
        style = 2;
        break;
    case ReadBack::Date:
        style = 23;
        break;
    case ReadBack::DateTime:
        style = 126;
        break;
    case ReadBack::Binary:
        style = 1;
        break;
    default:
        return QStringLiteral("CONVERT(NVARCHAR(MAX), %1)").arg(name);
    }
    return QStringLiteral("CONVERT(NVARCHAR(MAX), %1, %2)").arg(name).arg(style);
}

} // namespace convert
