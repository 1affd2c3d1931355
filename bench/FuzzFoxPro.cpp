// libFuzzer target for the table, memo and container readers (built by bench/fuzz.sh, not by CMake).
// Input: one byte choosing the memo style, a 32-bit little-endian table length, the table's bytes,
// then the memo file's bytes. Every record is decoded, and the table is read as a container too;
// failures must be DbErrors, never crashes, hangs or huge allocations.
#include "db/DbError.h"
#include "db/foxpro/Container.h"
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
    try {
        TableRecordSet records(makeTable(table, memo, style), {});
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
        auto container = makeTable(table, memo, style);
        Container::read(*container);
    } catch (const db::DbError&) {
    }
    return 0;
}
