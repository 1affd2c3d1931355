#include "convert/TypeMapping.h"

#include "db/AdoType.h"

#include <algorithm>
#include <array>

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
    {"adlongvarbinary", "VARBINARY(MAX)", false},
    {"numeric", "NUMERIC", true},
    {"date", "TEXT", false},
    {"timestamp", "TEXT", false},
    {"double", "FLOAT", false},
}};

constexpr int maxPrecision = 38;

// adBinary and adVarBinary match no key; they take the same type as adLongVarBinary.
bool isBinaryCode(int code)
{
    return code == db::AdoType::Binary || code == db::AdoType::VarBinary;
}

QString withPrecision(const char* type, int width, int decimals)
{
    const int precision = std::clamp(width, 1, maxPrecision);
    const int scale = std::clamp(decimals, 0, precision);
    return QStringLiteral("%1(%2,%3)").arg(QLatin1StringView(type)).arg(precision).arg(scale);
}

} // namespace

QString Datatype::DatatypeName(int code)
{
    const auto found = std::find_if(typeNames.begin(), typeNames.end(),
                                    [code](const NamedCode& entry) { return entry.code == code; });
    return found == typeNames.end() ? QString() : QString::fromLatin1(found->name);
}

convert::ColumnMapping convert::mapColumnType(int code, int width, int decimals)
{
    const QString name = Datatype::DatatypeName(code).toLower();
    for (const KeyTest& test : keyTests) {
        if (!name.contains(QLatin1StringView(test.key)))
            continue;
        const QString key = QString::fromLatin1(test.key);
        if (test.takesPrecision)
            return {key, withPrecision(test.sqlType, width, decimals)};
        return {key, QString::fromLatin1(test.sqlType)};
    }
    return {QStringLiteral("OTHER TYPES"),
            isBinaryCode(code) ? QStringLiteral("VARBINARY(MAX)") : QStringLiteral("TEXT")};
}

convert::ColumnMapping convert::mapColumnType(const db::Field& field)
{
    return mapColumnType(field.type, field.width, field.decimals);
}
