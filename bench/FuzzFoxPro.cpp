// libFuzzer target for the table, memo, container and index readers (built by bench/fuzz.sh, not by
// CMake). Input: one byte choosing the memo style, a 32-bit little-endian table length, the table's
// bytes, then the memo file's bytes. Every record is decoded, then looked at again as the pass before
// a table's CREATE TABLE does (some columns only, digits and bytes of text); the table is read as a
// container too, and the memo bytes as a compound index file whose key and filter expressions are
// translated against the table's fields. Failures must be DbErrors, never crashes, hangs or huge
// allocations.
#include "db/DbError.h"
#include "db/foxpro/Container.h"
#include "db/foxpro/IndexFile.h"
#include "db/foxpro/KeyExpression.h"
#include "db/foxpro/Table.h"
#include "db/foxpro/TableRecordSet.h"

#include <cstddef>
#include <cstdint>

using namespace db::foxpro;

namespace {

std::unique_ptr<Table> makeTable(const QByteArray& table, const QByteArray& memo, MemoFile::Style style)
{
    return std::make_unique<Table>(std::make_unique<MemorySource>(QStringLiteral("t.dbf"), table),
                                   std::make_unique<MemorySource>(QStringLiteral("t.fpt"), memo), style);
}

// The pass before a table's CREATE TABLE: the digits of numbers and the bytes of text looked at in
// place, every other column decoded.
void lookAhead(const QByteArray& table, const QByteArray& memo, MemoFile::Style style)
{
    TableRecordSet records(makeTable(table, memo, style), {});
    db::StoredBytesLook look;
    // A few bytes are searched for with memchr(), a larger set without ASCII a word at a time.
    db::ByteSet few;
    few.add(0x81);
    few.add('a');
    db::ByteSet undefinedIn1252;
    for (const unsigned char byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        undefinedIn1252.add(byte);
    for (std::size_t column = 0; column < records.fields().size(); ++column) {
        if (records.countsDigitsOf(column))
            look.digits.push_back({column, {}});
        else if (records.scansTextOf(column))
            look.searches.push_back({column, column % 2 == 0 ? few : undefinedIn1252, false});
        else
            look.decoded.push_back(column);
    }
    look.noteDecoded = [](std::size_t, const db::Value&) {};
    records.lookAtStoredBytes(look);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 5)
        return 0;
    const auto style = static_cast<MemoFile::Style>(data[0] % 3);
    const std::size_t tableLength =
        std::min<std::size_t>(le32(reinterpret_cast<const char*>(data + 1)), size - 5);
    const QByteArray table(reinterpret_cast<const char*>(data + 5), qsizetype(tableLength));
    const QByteArray memo(reinterpret_cast<const char*>(data + 5 + tableLength),
                          qsizetype(size - 5 - tableLength));
    ExpressionScope scope{QStringLiteral("t"), QStringLiteral("t"), {}, {}};
    try {
        TableRecordSet records(makeTable(table, memo, style), {});
        scope.fields = records.fields();
        for (const db::Field& field : scope.fields)
            scope.headerNames << field.name;
        records.recordCount();
        for (; !records.eof(); records.moveNext()) {
            try {
                records.values();
            } catch (const db::DbError&) {
            }
        }
    } catch (const db::DbError&) {
    }
    try {
        lookAhead(table, memo, style);
    } catch (const db::DbError&) {
    }
    try {
        auto container = makeTable(table, memo, style);
        Container::read(*container);
    } catch (const db::DbError&) {
    }
    try {
        MemorySource index(QStringLiteral("t.cdx"), memo);
        for (const IndexTag& tag : readIndexTags(index, "T")) {
            db::IndexDefinition definition;
            definition.expression = QString::fromLatin1(tag.key);
            definition.filter = QString::fromLatin1(tag.filter);
            translateIndex(definition, scope);
        }
    } catch (const db::DbError&) {
    }
    return 0;
}
