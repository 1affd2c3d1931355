#include "db/foxpro/TableHeader.h"

#include "db/DbError.h"
#include "db/foxpro/ByteSource.h"

namespace db::foxpro {

namespace {

constexpr int PrefixSize = 32;
constexpr int DescriptorSize = 32;

[[noreturn]] void refuse(const ByteSource& source, const QString& problem)
{
    throw DbError(QStringLiteral("%1: %2").arg(source.name(), problem));
}

QString versionProblem(quint8 version)
{
    if ((version & 0x07) == 0x04)
        return QStringLiteral("a dBASE 7 table (version byte 0x%1), which is not a FoxPro format.")
            .arg(version, 2, 16, QLatin1Char('0'));
    if (version == 0x02)
        return QStringLiteral("a dBASE II / FoxBASE table (version byte 0x02), whose layout is not read.");
    return QStringLiteral("not a FoxPro table (unknown version byte 0x%1).")
        .arg(version, 2, 16, QLatin1Char('0'));
}

// Every table of the dBASE family opens with its version byte and its last update as year, month
// and day; some writers leave the date zero. A month or day beyond those can only be another kind of
// file, such as text, whose first byte would otherwise be read as a version.
bool looksLikeTable(const char* prefix)
{
    return static_cast<quint8>(prefix[2]) <= 12 && static_cast<quint8>(prefix[3]) <= 31;
}

bool isAccepted(quint8 version)
{
    switch (version) {
    case 0x30:
    case 0x31:
    case 0x32:
    case 0xF5:
    case 0xFB:
    case 0x03:
    case 0x83:
    case 0x8B:
        return true;
    default:
        return false;
    }
}

QString describeField(std::size_t index, const FieldDescriptor& field)
{
    return QStringLiteral("field %1 (%2)").arg(index + 1).arg(QString::fromLatin1(field.name));
}

// The sizes each type allows. Returns an empty text when the field is acceptable.
QString checkType(FieldDescriptor& field, bool visualFoxPro)
{
    // Some writers leave a field of no width: it holds no value, so it reads as a column of NULLs of
    // its type, and the table is still read.
    if (field.length == 0 && QByteArrayView("CNFVQDTYILBMGPW").contains(field.type))
        return QString();
    const auto wantLength = [&](std::initializer_list<int> allowed) {
        for (int length : allowed) {
            if (field.length == length)
                return QString();
        }
        return QStringLiteral("type %1 is %2 bytes wide, which that type never is")
            .arg(QLatin1Char(field.type))
            .arg(field.length);
    };
    switch (field.type) {
    case 'C':
    case 'N':
    case 'F':
    case 'V':
    case 'Q':
        return QString();
    case 'D':
    case 'T':
    case 'Y':
        return wantLength({8});
    case 'I':
        return wantLength({4});
    case 'L':
        return wantLength({1});
    case 'B':
        field.memoPointer = !visualFoxPro; // dBASE: a binary memo; Visual FoxPro: a double
        return visualFoxPro ? wantLength({8}) : wantLength({10});
    case 'W':
        // A blob's 4-byte pointer; some writers keep UTF-16LE text of a fixed width in W fields
        // instead (seen in a real table with fields 64 bytes wide).
        field.memoPointer = field.length == 4;
        return field.length > 4 && field.length % 2 == 0 ? QString() : wantLength({4});
    case 'M':
    case 'G':
    case 'P':
        field.memoPointer = true;
        return wantLength({4, 10});
    case '0':
        if (visualFoxPro && (field.flags & FieldDescriptor::SystemFlag))
            return QString();
        break;
    default:
        break;
    }
    const bool printable = field.type > ' ' && field.type < 0x7F;
    return QStringLiteral("has type %1, which is not a FoxPro field type")
        .arg(printable ? QStringLiteral("'%1'").arg(QLatin1Char(field.type))
                       : QStringLiteral("0x%1").arg(quint8(field.type), 2, 16, QLatin1Char('0')));
}

FieldDescriptor readDescriptor(const char* d)
{
    FieldDescriptor field;
    const QByteArray name(d, 11);
    field.name = name.left(name.indexOf('\0') < 0 ? 11 : name.indexOf('\0'));
    field.type = d[11];
    field.length = static_cast<unsigned char>(d[16]);
    field.decimals = static_cast<unsigned char>(d[17]);
    field.flags = static_cast<quint8>(d[18]);
    return field;
}

// Some writers keep the high byte of a character field's width (over 255) in the decimals byte,
// others leave junk there: use that reading only when the header's record length confirms it.
void applyWideCharacterFields(std::vector<FieldDescriptor>& fields, int recordLength)
{
    qint64 plain = 1;
    qint64 wide = 1;
    for (const FieldDescriptor& f : fields) {
        plain += f.length;
        wide += f.length + (f.type == 'C' ? 256 * f.decimals : 0);
    }
    if (wide == plain || wide != recordLength)
        return;
    for (FieldDescriptor& f : fields) {
        if (f.type == 'C') {
            f.length += 256 * f.decimals;
            f.decimals = 0;
        }
    }
}

// Fields lie one after the other behind the deletion flag. The displacement bytes of the descriptors
// are not used: writers other than FoxPro fill them wrongly.
int placeFields(std::vector<FieldDescriptor>& fields)
{
    int offset = 1;
    for (FieldDescriptor& f : fields) {
        f.offset = offset;
        offset += f.length;
    }
    return offset;
}

// Visual FoxPro numbers the _NullFlags bits in field order: a V or Q field first takes a bit telling
// that its last byte holds the length, then every nullable field takes its null bit.
void assignNullBits(TableHeader& header)
{
    int bit = 0;
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        FieldDescriptor& f = header.fields[i];
        if (f.flags & FieldDescriptor::SystemFlag) {
            if (f.type == '0')
                header.nullFlagsField = static_cast<int>(i);
            continue;
        }
        if (f.type == 'V' || f.type == 'Q')
            f.lengthBit = bit++;
        if (f.flags & FieldDescriptor::NullableFlag)
            f.nullBit = bit++;
        f.binary =
            (f.flags & FieldDescriptor::BinaryFlag) && (f.type == 'C' || f.type == 'V' || f.type == 'M');
    }
}

std::vector<FieldDescriptor> readDescriptors(ByteSource& source, const QByteArray& header, bool visualFoxPro)
{
    std::vector<FieldDescriptor> fields;
    // Descriptors end at 0x0D (a few writers put 0x0A) or where the header ends.
    for (int pos = PrefixSize; pos + DescriptorSize <= header.size(); pos += DescriptorSize) {
        if (header[pos] == '\r' || header[pos] == '\n')
            break;
        fields.push_back(readDescriptor(header.constData() + pos));
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!visualFoxPro)
            fields[i].flags = 0; // only Visual FoxPro gives the flag byte a meaning
        const QString problem = checkType(fields[i], visualFoxPro);
        if (!problem.isEmpty())
            refuse(source, describeField(i, fields[i]) + QLatin1Char(' ') + problem + QLatin1Char('.'));
    }
    return fields;
}

} // namespace

bool TableHeader::needsMemoFile() const
{
    for (const FieldDescriptor& f : fields) {
        if (f.memoPointer)
            return true;
    }
    return false;
}

std::vector<int> TableHeader::visibleFields() const
{
    std::vector<int> visible;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!(fields[i].flags & FieldDescriptor::SystemFlag))
            visible.push_back(static_cast<int>(i));
    }
    return visible;
}

TableHeader readTableHeader(ByteSource& source)
{
    char prefix[PrefixSize];
    if (!source.read(0, prefix, PrefixSize))
        refuse(source, QStringLiteral("the file is too short to be a table (%1 bytes).").arg(source.size()));
    if (!looksLikeTable(prefix))
        throw DbError(QStringLiteral("%1 is not a dBASE or FoxPro table.").arg(source.name()));
    TableHeader header;
    header.version = static_cast<quint8>(prefix[0]);
    if (!isAccepted(header.version))
        refuse(source, versionProblem(header.version));
    header.visualFoxPro = header.version >= 0x30 && header.version <= 0x32;
    header.recordCount = le32(prefix + 4);
    header.headerLength = le16(prefix + 8);
    header.recordLength = le16(prefix + 10);
    header.tableFlags = static_cast<quint8>(prefix[28]);
    header.codePageMark = static_cast<quint8>(prefix[29]);
    if (header.headerLength < PrefixSize + 1)
        refuse(source, QStringLiteral("the header length %1 is too small.").arg(header.headerLength));
    if (header.headerLength > source.size())
        refuse(source, QStringLiteral("the header (%1 bytes) runs past the end of the file (%2 bytes).")
                           .arg(header.headerLength)
                           .arg(source.size()));

    QByteArray bytes(header.headerLength, Qt::Uninitialized);
    if (!source.read(0, bytes.data(), bytes.size()))
        refuse(source, QStringLiteral("the header cannot be read."));
    header.fields = readDescriptors(source, bytes, header.visualFoxPro);
    if (header.fields.empty())
        refuse(source, QStringLiteral("the table has no fields."));
    applyWideCharacterFields(header.fields, header.recordLength);
    const int used = placeFields(header.fields);
    if (used > header.recordLength)
        refuse(source, QStringLiteral("the fields take %1 bytes but a record is %2 bytes long.")
                           .arg(used)
                           .arg(header.recordLength));
    if (header.visualFoxPro)
        assignNullBits(header);
    return header;
}

} // namespace db::foxpro
