// Writes a Visual FoxPro table of N rows (default 1,000,000) with a memo file, for the speed and
// memory measurement of ferrandine-cli sql: big.dbf and big.fpt in the given folder.
//
//     make_big_table FOLDER [ROWS [CODEPAGE]]
//
// Fields: NAME C(30) nullable, AMOUNT N(12,2) nullable, QTY I, BORN D, SEEN T, ACTIVE L, PRICE Y,
// NOTES M nullable. Every 17th row has NULL in the nullable fields, every 13th a blank date.
// CODEPAGE 1252 (the default) writes English names and notes with a Western letter in each note;
// 1251 writes them in Russian, in a table marked Windows-1251.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct FieldSpec
{
    const char* name;
    char type;
    int length;
    int decimals;
    std::uint8_t flags;
};

const std::vector<FieldSpec> Fields = {
    {"NAME", 'C', 30, 0, 0x02}, {"AMOUNT", 'N', 12, 2, 0x02}, {"QTY", 'I', 4, 0, 0x04},
    {"BORN", 'D', 8, 0, 0},     {"SEEN", 'T', 8, 0, 0x04},    {"ACTIVE", 'L', 1, 0, 0},
    {"PRICE", 'Y', 8, 4, 0x04}, {"NOTES", 'M', 4, 0, 0x02},   {"_NullFlags", '0', 1, 0, 0x05},
};
constexpr int BlockSize = 64;

void putLe(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
}

void putBe(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>(value >> (8 * i));
}

// The text of one code page's table: its header mark and the printf formats of a name and a note.
struct Language
{
    int codePage;
    char mark;
    const char* name;
    const char* note;
};

const Language Languages[] = {
    {1252, '\x03', "Customer %u O'Hara", "Note %u: delivered on time, signed by the porter, Zo\xEB."},
    {1251, '\xC9', "\xCA\xEB\xE8\xE5\xED\xF2 %u \xCE'\xD5\xE0\xF0\xE0",
     "\xC7\xE0\xEC\xE5\xF2\xEA\xE0 %u: \xE4\xEE\xF1\xF2\xE0\xE2\xEB\xE5\xED\xEE "
     "\xE2\xEE\xE2\xF0\xE5\xEC\xFF."},
};

std::string header(std::uint32_t rows, int recordLength, char codePageMark)
{
    const int headerLength = 32 + 32 * int(Fields.size()) + 1 + 263;
    std::string h;
    h += '\x30';
    h += "\x18\x01\x01";
    putLe(h, rows, 4);
    putLe(h, std::uint64_t(headerLength), 2);
    putLe(h, std::uint64_t(recordLength), 2);
    h.append(16, '\0');
    h += '\x02'; // has a memo file
    h += codePageMark;
    h.append(2, '\0');
    int offset = 1;
    for (const FieldSpec& f : Fields) {
        std::string d(32, '\0');
        std::memcpy(d.data(), f.name, std::strlen(f.name));
        d[11] = f.type;
        std::string disp;
        putLe(disp, std::uint64_t(offset), 4);
        d.replace(12, 4, disp);
        d[16] = char(f.length);
        d[17] = char(f.decimals);
        d[18] = char(f.flags);
        h += d;
        offset += f.length;
    }
    h += '\r';
    h.append(263, '\0');
    return h;
}

std::string padded(std::string text, std::size_t width)
{
    text.resize(width, ' ');
    return text;
}

} // namespace

int main(int argc, char* argv[])
{
    const int codePage = argc > 3 ? std::atoi(argv[3]) : 1252;
    const Language* language = nullptr;
    for (const Language& candidate : Languages) {
        if (candidate.codePage == codePage)
            language = &candidate;
    }
    if (argc < 2 || !language) {
        std::fprintf(stderr, "usage: %s FOLDER [ROWS [1252|1251]]\n", argv[0]);
        return 1;
    }
    const std::string folder = argv[1];
    const std::uint32_t rows = argc > 2 ? std::uint32_t(std::strtoul(argv[2], nullptr, 10)) : 1000000u;
    int recordLength = 1;
    for (const FieldSpec& f : Fields)
        recordLength += f.length;

    FILE* dbf = std::fopen((folder + "/big.dbf").c_str(), "wb");
    FILE* fpt = std::fopen((folder + "/big.fpt").c_str(), "wb");
    if (!dbf || !fpt) {
        std::perror(folder.c_str());
        return 1;
    }
    const std::string head = header(rows, recordLength, language->mark);
    std::fwrite(head.data(), 1, head.size(), dbf);
    std::uint64_t nextBlock = 512 / BlockSize;
    std::string memoHeader;
    putBe(memoHeader, 0, 4); // next free block, written at the end
    putBe(memoHeader, 0, 2);
    putBe(memoHeader, BlockSize, 2);
    memoHeader.resize(512, '\0');
    std::fwrite(memoHeader.data(), 1, memoHeader.size(), fpt);

    std::string record;
    std::string memo;
    char text[96];
    for (std::uint32_t i = 0; i < rows; ++i) {
        const bool nulls = i % 17 == 5;
        record.assign(1, ' ');
        std::snprintf(text, sizeof text, language->name, i);
        record += nulls ? std::string(30, ' ') : padded(text, 30);
        std::snprintf(text, sizeof text, "%12.2f", (i % 100000) * 1.25 - 5000.0);
        record += nulls ? std::string(12, ' ') : std::string(text);
        putLe(record, std::uint32_t(i * 7), 4);
        std::snprintf(text, sizeof text, "%04u%02u%02u", 1950 + i % 70, 1 + i % 12, 1 + i % 28);
        record += i % 13 == 0 ? std::string(8, ' ') : std::string(text);
        putLe(record, 2440588 + i % 20000, 4);     // days from 1970-01-01
        putLe(record, (i * 1009u) % 86400000u, 4); // milliseconds since midnight
        record += i % 3 ? 'T' : 'F';
        putLe(record, std::uint64_t(std::int64_t(i) * 12345 - 99999), 8);
        if (nulls) {
            putLe(record, 0, 4);
        } else {
            std::snprintf(text, sizeof text, language->note, i);
            memo.clear();
            putBe(memo, 1, 4);
            putBe(memo, std::strlen(text), 4);
            memo += text;
            memo.resize((memo.size() + BlockSize - 1) / BlockSize * BlockSize, '\0');
            putLe(record, nextBlock, 4);
            nextBlock += memo.size() / BlockSize;
            std::fwrite(memo.data(), 1, memo.size(), fpt);
        }
        record += nulls ? '\x07' : '\x00'; // null bits of NAME, AMOUNT and NOTES
        std::fwrite(record.data(), 1, record.size(), dbf);
    }
    std::fputc(0x1A, dbf);
    std::string next;
    putBe(next, nextBlock, 4);
    std::fseek(fpt, 0, SEEK_SET);
    std::fwrite(next.data(), 1, 4, fpt);
    std::fclose(dbf);
    std::fclose(fpt);
    std::printf("%s/big.dbf: %u rows of %d bytes, code page %d\n", folder.c_str(), rows, recordLength,
                codePage);
    return 0;
}
