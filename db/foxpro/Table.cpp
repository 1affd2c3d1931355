#include "db/foxpro/Table.h"

#include "db/AdoType.h"
#include "db/DbError.h"
#include "db/foxpro/CodePageGuess.h"
#include "db/foxpro/FieldValues.h"
#include "db/foxpro/FileLookup.h"

#include <QFileInfo>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace db::foxpro {

namespace {

constexpr int WindowsLatin = 1252;
constexpr char EndMark = 0x1A;
// The most bytes of records load() asks its source to show at once.
constexpr qsizetype RecordBlock = 32 * 1024;

// Whether `text` holds one of `bytes`. A set of a few is searched for byte by byte with memchr(),
// whatever the text. A larger set with no ASCII byte in it, as when it names the bytes of characters
// a target may not hold, is searched for eight bytes at a time: a word of ASCII is passed over, a
// word with one byte above 0x7F has that byte looked up, a word with more has all eight; the few
// bytes after the last whole word are read as a word that ends the text (text shorter than a word as
// a word padded with NUL). Any other set is searched for a byte at a time.
bool holdsAnyOf(QByteArrayView text, const ByteSet& bytes)
{
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const auto size = static_cast<std::size_t>(text.size());
    if (const std::span<const unsigned char> few = bytes.few(); !few.empty()) {
        return size > 0 && std::any_of(few.begin(), few.end(), [&](unsigned char byte) {
            return std::memchr(in, byte, size) != nullptr;
        });
    }
    if (bytes.hasAscii())
        return std::any_of(in, in + size, [&](unsigned char byte) { return bytes.has(byte); });
    constexpr quint64 HighBits = 0x8080808080808080ULL;
    const auto wordHolds = [&](const unsigned char* at) {
        quint64 word;
        std::memcpy(&word, at, sizeof word);
        const quint64 high = word & HighBits;
        if (high == 0)
            return false;
        if ((high & (high - 1)) == 0) {
            const int byte = std::countr_zero(high) / 8;
            return bytes.has(at[std::endian::native == std::endian::little ? byte : 7 - byte]);
        }
        bool found = false;
        for (std::size_t k = 0; k < sizeof word; ++k)
            found |= bytes.has(at[k]);
        return found;
    };
    if (size < sizeof(quint64)) {
        unsigned char padded[sizeof(quint64)] = {};
        if (size > 0)
            std::memcpy(padded, in, size);
        return wordHolds(padded);
    }
    for (std::size_t i = 0; i + sizeof(quint64) <= size; i += sizeof(quint64)) {
        if (wordHolds(in + i))
            return true;
    }
    return wordHolds(in + size - sizeof(quint64));
}

QString memoFileFor(const QString& path)
{
    const QFileInfo info(path);
    const QString base = info.fileName().left(info.fileName().size() - info.suffix().size());
    const QStringList extensions = info.suffix().compare(QLatin1String("dbc"), Qt::CaseInsensitive) == 0
                                       ? QStringList{QStringLiteral("dct")}
                                       : QStringList{QStringLiteral("fpt"), QStringLiteral("dbt")};
    for (const QString& extension : extensions) {
        const QString found = findInFolder(info.path(), base + extension);
        if (!found.isEmpty() && QFileInfo(found).isFile())
            return found;
    }
    return {};
}

// The value of a field whose bytes hold it whole: dates, date-times, logicals and binary numbers.
// Each takes its place in `value` without a value in between.
void fixedWidthValue(char type, QByteArrayView bytes, Value& value)
{
    switch (type) {
    case 'D':
        dateValue(bytes, value);
        return;
    case 'T':
        dateTimeValue(bytes, value);
        return;
    case 'L':
        logicalValue(bytes, value);
        return;
    case 'I':
        value.emplace<qint32>(static_cast<qint32>(le32(bytes.data())));
        return;
    case 'Y':
        value.emplace<Currency>(Currency{static_cast<qint64>(le64(bytes.data()))});
        return;
    default: { // 'B', a Visual FoxPro double
        const quint64 bits = le64(bytes.data());
        double number;
        std::memcpy(&number, &bits, sizeof number);
        // Not-a-number and the infinities are no value a database column of numbers takes.
        if (!std::isfinite(number)) {
            const QString stored = std::isnan(number) ? QStringLiteral("NaN")
                                   : number > 0       ? QStringLiteral("Infinity")
                                                      : QStringLiteral("-Infinity");
            throw ValueError{QStringLiteral("double %1 is not a number a database holds").arg(stored),
                             stored};
        }
        value.emplace<double>(number);
        return;
    }
    }
}

} // namespace

int adoTypeOf(const FieldDescriptor& field)
{
    switch (field.type) {
    case 'C':
        return AdoType::Char;
    case 'V':
        return AdoType::VarChar;
    case 'M':
        return field.binary ? AdoType::LongVarBinary : AdoType::LongVarChar;
    case 'N':
    case 'F':
        return AdoType::Numeric;
    case 'I':
        return AdoType::Integer;
    case 'B':
        return field.memoPointer ? AdoType::LongVarBinary : AdoType::Double;
    case 'Y':
        return AdoType::Currency;
    case 'D':
        return AdoType::DBDate;
    case 'T':
        return AdoType::DBTimeStamp;
    case 'L':
        return AdoType::Boolean;
    case 'Q':
        return AdoType::VarBinary;
    case 'W':
        return field.memoPointer ? AdoType::LongVarBinary : AdoType::WChar;
    default:
        return AdoType::LongVarBinary; // G, P
    }
}

std::unique_ptr<Table> Table::open(const QString& path, const ReaderOptions& options)
{
    std::unique_ptr<ByteSource> source = FileSource::open(path);
    const TableHeader header = readTableHeader(*source);
    std::unique_ptr<ByteSource> memo;
    QString memoPath;
    if (header.needsMemoFile()) {
        memoPath = memoFileFor(path);
        if (!memoPath.isEmpty())
            memo = FileSource::open(memoPath);
        else if (!options.emptyMissingMemos)
            throw MissingMemoFile(
                QStringLiteral("%1: the table has memo fields but its memo file is missing.").arg(path));
    }
    return std::make_unique<Table>(std::move(source), std::move(memo),
                                   MemoFile::styleFor(memoPath, header.version), options);
}

Table::Table(std::unique_ptr<ByteSource> source, std::unique_ptr<ByteSource> memo, MemoFile::Style memoStyle,
             const ReaderOptions& options)
    : m_source(std::move(source)), m_header(readTableHeader(*m_source)), m_visible(m_header.visibleFields()),
      m_codePage(CodePage::numberForMark(m_header.codePageMark)), m_binaryText(WindowsLatin),
      m_refuseBadValues(options.refuseBadValues), m_markDeleted(options.markDeleted)
{
    if (m_header.needsMemoFile() && memo)
        m_memo.emplace(std::move(memo), memoStyle);
    const qint64 room = (m_source->size() - m_header.headerLength) / m_header.recordLength;
    m_wholeRecords = static_cast<quint32>(std::min<qint64>(m_header.recordCount, room));
    m_recordCopy.resize(m_header.recordLength);
    if (m_header.nullFlagsField >= 0) {
        // A bit the _NullFlags field has no room for is never set.
        m_nullFlagsOffset = m_header.fields[m_header.nullFlagsField].offset;
        m_nullBits = 8 * m_header.fields[m_header.nullFlagsField].length;
    }
    decodeOnly({});
    if (CodePage::namedByMark(m_header.codePageMark) == 0) {
        m_codePageOrigin = options.unmarkedCodePage == ReaderOptions::Guess ? CodePage::Origin::Guess
                                                                            : CodePage::Origin::User;
        const int number = unmarkedCodePage(options);
        if (number != m_codePage.number())
            m_codePage = CodePage(number);
    }
}

// The guess reads the text fields of the first records, up to the guesser's sample size.
int Table::unmarkedCodePage(const ReaderOptions& options)
{
    if (options.unmarkedCodePage != ReaderOptions::Guess)
        return options.unmarkedCodePage;
    std::vector<const FieldDescriptor*> texts;
    for (int index : m_visible) {
        const FieldDescriptor& field = m_header.fields[index];
        if ((field.type == 'C' || field.type == 'V') && !field.binary)
            texts.push_back(&field);
    }
    CodePageGuess guess;
    try {
        for (quint32 index = 0; !texts.empty() && index < m_wholeRecords && !guess.full(); ++index) {
            if (!load(index))
                break;
            for (const FieldDescriptor* field : texts)
                guess.add(QByteArrayView(m_record + field->offset, field->length));
        }
    } catch (const DbError&) {
        // A record that cannot be read ends the sample; reading the table reports it.
    }
    return guess.bestCodePage();
}

std::vector<Field> Table::columns(const QStringList& names)
{
    std::vector<Field> result;
    result.reserve(m_visible.size());
    for (std::size_t i = 0; i < m_visible.size(); ++i) {
        const FieldDescriptor& f = m_header.fields[m_visible[i]];
        const QString name = i < std::size_t(names.size()) ? names[i] : fieldName(m_visible[i]).toLower();
        result.push_back(Field{name, adoTypeOf(f), f.reportedWidth(), f.decimals});
    }
    return result;
}

QString Table::fieldName(int index)
{
    return m_codePage.decode(m_header.fields[index].name);
}

// Records are found in place, a block of them at a time, where the source lets them be; a record it
// cannot show in place is copied.
bool Table::load(quint32 index)
{
    const qsizetype length = m_header.recordLength;
    if (index >= m_wholeRecords)
        throw cannotLoad(index);
    if (index - m_blockFirst >= m_blockCount) {
        const auto count = std::min<quint32>(m_wholeRecords - index, std::max<qsizetype>(1, RecordBlock / length));
        const qint64 offset = m_header.headerLength + qint64(index) * length;
        if (const std::optional<QByteArrayView> block = m_source->peek(offset, qint64(count) * length)) {
            m_block = block->data();
            m_blockFirst = index;
            m_blockCount = count;
        } else {
            m_blockCount = 0;
            if (!m_source->read(offset, m_recordCopy.data(), length))
                throw cannotLoad(index);
        }
    }
    m_record = m_blockCount > 0 ? m_block + qsizetype(index - m_blockFirst) * length : m_recordCopy.constData();
    if (m_record[0] == EndMark) {
        m_wholeRecords = index;
        return false;
    }
    m_loaded = index;
    return true;
}

DbError Table::cannotLoad(quint32 index) const
{
    return DbError(QStringLiteral("%1: record %2 cannot be read.").arg(fileName()).arg(qint64(index) + 1));
}

void Table::decodeVisible(std::vector<Value>& values)
{
    values.resize(m_visible.size());
    for (const std::size_t position : m_unread) {
        if (!isNull(values[position]))
            values[position] = Value();
    }
    for (const auto& [position, reading] : m_read) {
        if (reading == Reading::DecodedUnlessPlain) {
            const FieldDescriptor& field = m_header.fields[m_visible[position]];
            if (plainNumberDigits(QByteArrayView(m_record + field.offset, field.length))) {
                if (!isNull(values[position]))
                    values[position] = Value();
                continue;
            }
        }
        const int index = m_visible[position];
        try {
            decode(index, values[position]);
        } catch (const ValueError& error) {
            undecodable(index, error, values[position]);
        }
    }
}

// A value that does not decode costs that value only, unless the options refuse its record.
void Table::undecodable(int index, const ValueError& error, Value& value)
{
    if (m_refuseBadValues)
        throw fieldError(index, error);
    value = {};
    m_problems.values.add(qint64(m_loaded) + 1, fieldName(index), error.stored);
}

// A field left out is still read where reading it may fail, so that a record the options refuse is
// found: when they refuse bad values, everything but text, memos (an unreadable one is NULL) and
// numbers whose digits are plain.
void Table::decodeOnly(const std::vector<bool>& wanted)
{
    m_read.clear();
    m_unread.clear();
    for (std::size_t position = 0; position < m_visible.size(); ++position) {
        const FieldDescriptor& field = m_header.fields[m_visible[position]];
        if (position >= wanted.size() || wanted[position])
            m_read.emplace_back(position, Reading::Decoded);
        else if (!m_refuseBadValues || field.type == 'C' || field.type == 'V' || field.memoPointer)
            m_unread.push_back(position);
        else if (field.type == 'N' || field.type == 'F')
            m_read.emplace_back(position, Reading::DecodedUnlessPlain);
        else
            m_read.emplace_back(position, Reading::Decoded);
    }
}

DbError Table::fieldError(int index, const ValueError& error)
{
    return DbError(QStringLiteral("%1: record %2, field %3: %4.")
                       .arg(fileName())
                       .arg(qint64(m_loaded) + 1)
                       .arg(fieldName(index), error.problem));
}

DecimalDigits Table::numberDigits(int index)
{
    const FieldDescriptor& field = m_header.fields[index];
    if (isNullBitSet(field.nullBit))
        return {};
    const QByteArrayView bytes(m_record + field.offset, field.length);
    if (const std::optional<DecimalDigits> plain = plainNumberDigits(bytes))
        return *plain;
    Value value;
    try {
        numericValue(bytes, value);
    } catch (const ValueError& error) {
        if (m_refuseBadValues)
            throw fieldError(index, error);
        return {}; // NULL, as decodeVisible() gives it
    }
    const auto* decimal = std::get_if<Decimal>(&value);
    return decimal ? DecimalDigits::of(decimal->text) : DecimalDigits{};
}

void Table::lookAtLoaded(StoredBytesLook& look)
{
    for (StoredBytesLook::Digits& digits : look.digits)
        digits.widest.widen(numberDigits(m_visible[digits.column]));
    for (StoredBytesLook::Search& search : look.searches) {
        if (!search.found)
            search.found = textHoldsAnyOf(m_visible[search.column], search.bytes);
    }
    for (const std::size_t position : look.decoded) {
        const int index = m_visible[position];
        try {
            decode(index, m_looked);
        } catch (const ValueError& error) {
            undecodable(index, error, m_looked);
        }
        look.noteDecoded(position, m_looked);
    }
}

quint32 Table::lookAtRecords(quint32 index, bool withDeleted, StoredBytesLook& look)
{
    try {
        for (; index < m_wholeRecords && load(index); ++index) {
            if (withDeleted || !loadedIsDeleted()) {
                lookAtLoaded(look);
                ++look.readable;
            }
        }
    } catch (const DbError&) {
        // The record that cannot be loaded is the caller's to report.
    }
    return index;
}

bool Table::scansText(int index) const
{
    const FieldDescriptor& field = m_header.fields.at(index);
    const bool text = field.type == 'C' || field.type == 'V' || (field.type == 'M' && !field.binary);
    return text && (field.binary || m_codePage.singleByte());
}

bool Table::textHoldsAnyOf(int index, const ByteSet& bytes)
{
    const FieldDescriptor& field = m_header.fields[index];
    if (field.length == 0 || isNullBitSet(field.nullBit))
        return false;
    QByteArrayView text(m_record + field.offset, field.length);
    if (field.memoPointer) {
        const std::optional<QByteArrayView> data = memoData(index);
        if (!data)
            return false;
        text = *data;
    } else if (field.type == 'V') {
        text = varyingBytes(field, text);
    }
    return holdsAnyOf(text, bytes);
}

int Table::textCodePageOf(int index) const
{
    const FieldDescriptor& field = m_header.fields.at(index);
    switch (field.type) {
    case 'C':
    case 'V':
        return field.binary ? m_binaryText.number() : m_codePage.number();
    case 'M':
        return field.binary ? 0 : m_codePage.number();
    default:
        return 0;
    }
}

Value Table::decode(int index)
{
    Value value;
    decode(index, value);
    return value;
}

void Table::decode(int index, Value& value)
{
    const FieldDescriptor& field = m_header.fields[index];
    if (field.length == 0 || isNullBitSet(field.nullBit)) {
        value.emplace<std::monostate>();
        return;
    }
    const QByteArrayView bytes(m_record + field.offset, field.length);
    if (field.memoPointer) {
        memo(field, index, value);
        return;
    }
    switch (field.type) {
    case 'C':
        text(field, bytes, value);
        break;
    case 'V':
    case 'Q':
        varying(field, bytes, value);
        break;
    case 'N':
    case 'F':
        numericValue(bytes, value);
        break;
    case 'W':
        wideText(bytes, value);
        break;
    default:
        fixedWidthValue(field.type, bytes, value);
    }
}

// Text replaces the string `value` holds in place, so that its storage serves the next record too.
void Table::text(const FieldDescriptor& field, QByteArrayView bytes, Value& value)
{
    QString* text = std::get_if<QString>(&value);
    if (!text)
        text = &value.emplace<QString>();
    if ((field.binary ? m_binaryText : m_codePage).decode(bytes, *text) > 0)
        m_problems.characters.add(qint64(m_loaded) + 1, m_codePage.decode(field.name));
}

// W fields wider than a blob pointer hold UTF-16LE text, padded with NULs.
void Table::wideText(QByteArrayView bytes, Value& value)
{
    QString* text = std::get_if<QString>(&value);
    if (!text)
        text = &value.emplace<QString>();
    qsizetype units = bytes.size() / 2;
    while (units > 0 && bytes[2 * units - 2] == 0 && bytes[2 * units - 1] == 0)
        --units;
    text->resize(units);
    for (qsizetype i = 0; i < units; ++i)
        (*text)[i] = QChar(char16_t(le16(bytes.data() + 2 * i)));
}

// V and Q fill their width unless their length bit is set; then the last byte holds the length.
void Table::varying(const FieldDescriptor& field, QByteArrayView bytes, Value& value)
{
    bytes = varyingBytes(field, bytes);
    if (field.type == 'Q')
        value = bytes.toByteArray();
    else
        text(field, bytes, value);
}

QByteArrayView Table::varyingBytes(const FieldDescriptor& field, QByteArrayView bytes) const
{
    if (!isNullBitSet(field.lengthBit))
        return bytes;
    return bytes.first(std::min<int>(static_cast<unsigned char>(bytes.back()), field.length - 1));
}

void Table::memo(const FieldDescriptor& field, int index, Value& value)
{
    const std::optional<QByteArrayView> data = memoData(index);
    if (!data)
        value = {};
    else if (field.type == 'M' && !field.binary)
        text(field, *data, value);
    else
        value = data->toByteArray();
}

// A memo that cannot be read costs its own value only: it is NULL, and counted.
std::optional<QByteArrayView> Table::memoData(int index)
{
    if (!m_memo)
        return std::nullopt; // read without its missing memo file
    try {
        return memoBytes(index);
    } catch (const ValueError&) {
        m_problems.memos.add(qint64(m_loaded) + 1);
        return std::nullopt;
    }
}

QByteArrayView Table::memoBytes(int index)
{
    const FieldDescriptor& field = m_header.fields[index];
    const quint64 block = memoBlock(QByteArrayView(m_record + field.offset, field.length));
    return block == 0 ? QByteArrayView() : m_memo->read(block, m_memoSpill);
}

} // namespace db::foxpro
