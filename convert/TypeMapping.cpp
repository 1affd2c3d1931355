#include "convert/TypeMapping.h"

#include "db/AdoType.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

struct NamedCode
{
    int code;
    const char* name;
};

// The codes and names of the ADO data type enumeration.
constexpr std::array<NamedCode, 39> typeNames{{
    {0, "adEmpty"},
    {2, "adSmallInt"},
    {3, "adInteger"},
    {4, "adSingle"},
    {5, "adDouble"},
    {6, "adCurrency"},
    {7, "adDate"},
    {8, "adBSTR"},
    {9, "adIDispatch"},
    {10, "adError"},
    {11, "adBoolean"},
    {12, "adVariant"},
    {13, "adIUnknown"},
    {14, "adDecimal"},
    {16, "adTinyInt"},
    {17, "adUnsignedTinyInt"},
    {18, "adUnsignedSmallInt"},
    {19, "adUnsignedInt"},
    {20, "adBigInt"},
    {21, "adUnsignedBigInt"},
    {64, "adFileTime"},
    {72, "adGUID"},
    {128, "adBinary"},
    {129, "adChar"},
    {130, "adWChar"},
    {131, "adNumeric"},
    {132, "adUserDefined"},
    {133, "adDBDate"},
    {134, "adDBTime"},
    {135, "adDBTimeStamp"},
    {136, "adChapter"},
    {138, "adPropVariant"},
    {139, "adVarNumeric"},
    {200, "adVarChar"},
    {201, "adLongVarChar"},
    {202, "adVarWChar"},
    {203, "adLongVarWChar"},
    {204, "adVarBinary"},
    {205, "adLongVarBinary"},
}};

struct KeyTest
{
    const char* key;
    const char* sqlType;
    bool takesPrecision;
};

// Tested in this order against the lower-cased name; the first key the name contains decides.
// "adlongvarchar" comes before "char", and "smallint" before "int", on purpose.
constexpr std::array<KeyTest, 10> keyTests{{
    {"adlongvarchar", "TEXT", false},
    {"char", "VARCHAR(8000)", false},
    {"dec", "DECIMAL", true},
    {"smallint", "SMALLINT", false},
    {"int", "INT", false},
    {"adlongvarbinary", "", false}, // the dialect's binary type
    {"numeric", "NUMERIC", true},
    {"date", "TEXT", false},
    {"timestamp", "TEXT", false},
    {"double", "FLOAT", false},
}};

constexpr int maxPrecision = 38;
constexpr int maxNationalLength = 4000;

// adBinary and adVarBinary match no key; all three binary codes take the dialect's binary type.
bool isBinaryCode(int code)
{
    return code == db::AdoType::Binary || code == db::AdoType::VarBinary ||
           code == db::AdoType::LongVarBinary;
}

convert::ColumnMapping withPrecision(const QString& key, const char* type, int width, int decimals,
                                     const convert::ColumnFacts& facts)
{
    const int declared = std::clamp(width, 1, maxPrecision);
    const int scale = std::max(std::clamp(decimals, 0, declared), facts.decimals);
    const int precision = std::max(declared, scale + facts.integerDigits);
    if (precision > maxPrecision)
        return {key, QStringLiteral("VARCHAR(%1)").arg(std::max({width, facts.numberLength, 1})),
                QStringLiteral("stored numbers need %1 digits, more than NUMERIC holds: kept as text")
                    .arg(precision)};
    return {key, QStringLiteral("%1(%2,%3)").arg(QLatin1StringView(type)).arg(precision).arg(scale), {}};
}

// The national type that keeps every character of a text column the code page cannot hold.
QString nationalType(const QString& sqlType, int width)
{
    if (sqlType == QLatin1String("TEXT") || width > maxNationalLength)
        return QStringLiteral("NVARCHAR(MAX)");
    return QStringLiteral("NVARCHAR(%1)").arg(maxNationalLength);
}

bool isTextType(const QString& sqlType)
{
    return sqlType == QLatin1String("TEXT") || sqlType == QLatin1String("VARCHAR(8000)");
}

// The server's own type for a source type code; none where the designed type is already the one.
std::optional<convert::TargetDialect::NativeType> nativeTypeOf(int code)
{
    using Native = convert::TargetDialect::NativeType;
    namespace Ado = db::AdoType;
    switch (code) {
    case Ado::Char:
    case Ado::WChar:
    case Ado::VarChar:
    case Ado::VarWChar:
        return Native::Text;
    case Ado::LongVarChar:
    case Ado::LongVarWChar:
        return Native::Memo;
    case Ado::Binary:
    case Ado::VarBinary:
    case Ado::LongVarBinary:
        return Native::Binary;
    case Ado::Currency:
        return Native::Money;
    case Ado::Date:
    case Ado::DBDate:
        return Native::Date;
    case Ado::DBTimeStamp:
        return Native::DateTime;
    case Ado::Boolean:
        return Native::Bit;
    default:
        return std::nullopt;
    }
}

} // namespace

QString convert::ColumnMapping::shownType() const
{
    return note.isEmpty() ? sqlType : sqlType + QStringLiteral(" (") + note + u')';
}

QString Datatype::DatatypeName(int code)
{
    const auto found = std::find_if(typeNames.begin(), typeNames.end(),
                                    [code](const NamedCode& entry) { return entry.code == code; });
    return found == typeNames.end() ? QString() : QString::fromLatin1(found->name);
}

convert::ColumnMapping convert::mapColumnType(int code, int width, int decimals, const TargetDialect& dialect,
                                              const ColumnFacts& facts)
{
    const QString name = Datatype::DatatypeName(code).toLower();
    const auto found = std::find_if(keyTests.begin(), keyTests.end(), [&](const KeyTest& test) {
        return name.contains(QLatin1StringView(test.key));
    });
    const QString key =
        found == keyTests.end() ? QStringLiteral("OTHER TYPES") : QString::fromLatin1(found->key);
    if (found != keyTests.end() && found->takesPrecision)
        return withPrecision(key, found->sqlType, width, decimals, facts);
    if (isBinaryCode(code))
        return {key, dialect.binaryType(), {}};
    const QString type =
        found == keyTests.end() ? QStringLiteral("TEXT") : QString::fromLatin1(found->sqlType);
    if (facts.beyondCodePage && dialect.hasNationalText() && isTextType(type))
        return {key, nationalType(type, width), {}};
    return {key, type == QLatin1String("TEXT") ? dialect.longTextType() : type, {}};
}

convert::ColumnMapping convert::mapColumnType(const db::Field& field, const TargetDialect& dialect,
                                              const ColumnFacts& facts, ColumnTypes types)
{
    if (field.deletedMark)
        return {QStringLiteral("DELETED RECORDS"),
                dialect.nativeType(TargetDialect::NativeType::Bit, 1, false),
                field.name == QLatin1String("deleted")
                    ? QStringLiteral("1 marks a deleted record")
                    : QStringLiteral("1 marks a deleted record; a field is named deleted")};
    ColumnMapping mapping = mapColumnType(field.type, field.width, field.decimals, dialect, facts);
    if (types == ColumnTypes::Native) {
        if (const std::optional<TargetDialect::NativeType> native = nativeTypeOf(field.type))
            mapping.sqlType =
                dialect.nativeType(*native, field.width, facts.beyondCodePage && dialect.hasNationalText());
    }
    return mapping;
}
