#include "db/foxpro/CodePage.h"

#include <QMutex>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <map>

namespace db::foxpro {

namespace {

// Header mark -> code page: FoxPro's own marks first, then the language-driver ids dBASE writers use.
int lookupMark(quint8 mark)
{
    static const std::map<quint8, int> marks = {
        {0x01, 437},  {0x69, 620},   {0x6A, 737},   {0x02, 850},   {0x64, 852},   {0x6B, 857},  {0x67, 861},
        {0x66, 865},  {0x65, 866},   {0x7C, 874},   {0x68, 895},   {0x7B, 932},   {0x7A, 936},  {0x79, 949},
        {0x78, 950},  {0xC8, 1250},  {0xC9, 1251},  {0x03, 1252},  {0xCB, 1253},  {0xCA, 1254}, {0x7D, 1255},
        {0x7E, 1256}, {0x04, 10000}, {0x98, 10006}, {0x96, 10007}, {0x97, 10029}, {0x08, 865},  {0x09, 437},
        {0x0A, 850},  {0x0B, 437},   {0x0D, 437},   {0x0E, 850},   {0x0F, 437},   {0x10, 850},  {0x11, 437},
        {0x12, 850},  {0x13, 932},   {0x14, 850},   {0x15, 437},   {0x16, 850},   {0x17, 865},  {0x18, 437},
        {0x19, 437},  {0x1A, 850},   {0x1B, 437},   {0x1C, 863},   {0x1D, 850},   {0x1F, 852},  {0x22, 852},
        {0x23, 852},  {0x24, 860},   {0x25, 850},   {0x26, 866},   {0x37, 850},   {0x40, 852},  {0x4D, 936},
        {0x4E, 949},  {0x4F, 950},   {0x50, 874},   {0x57, 1252},  {0x58, 1252},  {0x59, 1252}, {0x87, 852},
        {0xCC, 1257},
    };
    const auto it = marks.find(mark);
    return it == marks.end() ? 0 : it->second;
}

const char* converterName(int number)
{
    switch (number) {
    case 437:
    case 620: // Mazovia and Kamenicky are 437 with their own letters in 0x80..0xAF
    case 895:
        return "IBM437";
    case 737:
        return "IBM737";
    case 850:
        return "IBM850";
    case 852:
        return "IBM852";
    case 857:
        return "IBM857";
    case 860:
        return "IBM860";
    case 861:
        return "IBM861";
    case 863:
        return "IBM863";
    case 865:
        return "IBM865";
    case 866:
        return "IBM866";
    case 874:
        return "windows-874";
    case 932:
        return "windows-31j";
    case 936:
        return "windows-936";
    case 949:
        return "windows-949";
    case 950:
        return "windows-950";
    case 10000:
        return "macintosh";
    case 10006:
        return "x-mac-greek";
    case 10007:
        return "x-mac-cyrillic";
    case 10029:
        return "x-mac-centraleurroman";
    default:
        return nullptr;
    }
}

QByteArray windowsName(int number)
{
    return "windows-" + QByteArray::number(number);
}

// Polish DOS (Mazovia), bytes 0x80..0xAF; the rest is code page 437.
constexpr char16_t Mazovia[48] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x0105, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x0107, 0x00C4, 0x0104, 0x0118, 0x0119, 0x0142, 0x00F4, 0x00F6, 0x0106, 0x00FB, 0x00F9,
    0x015A, 0x00D6, 0x00DC, 0x00A2, 0x0141, 0x00A5, 0x015B, 0x0192, 0x0179, 0x017B, 0x00F3, 0x00D3,
    0x0144, 0x0143, 0x017A, 0x017C, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
};

// Czech and Slovak DOS (Kamenicky), bytes 0x80..0xAF; the rest is code page 437.
constexpr char16_t Kamenicky[48] = {
    0x010C, 0x00FC, 0x00E9, 0x010F, 0x00E4, 0x010E, 0x0164, 0x010D, 0x011B, 0x011A, 0x0139, 0x00CD,
    0x013E, 0x013A, 0x00C4, 0x00C1, 0x00C9, 0x017E, 0x017D, 0x00F4, 0x00F6, 0x00D3, 0x016F, 0x00DA,
    0x00FD, 0x00D6, 0x00DC, 0x0160, 0x013D, 0x00DD, 0x0158, 0x0165, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x0148, 0x0147, 0x016E, 0x00D4, 0x0161, 0x0159, 0x0155, 0x0154, 0x00BC, 0x00A7, 0x00AB, 0x00BB,
};

// Where the converter's table reads a byte otherwise than Windows does: the IBM tables give 0xE6 as
// the Greek mu where Windows gives the micro sign, and leave 0xAA of code page 852 undefined (Windows:
// the not sign); the converter reads 0xAA of code page 1253, which Windows leaves undefined (0 here),
// as the feminine ordinal; and it has no character for five single bytes of code page 932 that
// Windows maps.
struct WindowsReading
{
    const char* converter;
    quint8 byte;
    char16_t character;
};

constexpr WindowsReading WindowsReadings[] = {
    {"IBM437", 0xE6, 0x00B5},      {"IBM860", 0xE6, 0x00B5},      {"IBM861", 0xE6, 0x00B5},
    {"IBM863", 0xE6, 0x00B5},      {"IBM865", 0xE6, 0x00B5},      {"IBM852", 0xAA, 0x00AC},
    {"windows-1253", 0xAA, 0},
    {"windows-31j", 0x80, 0x0080}, {"windows-31j", 0xA0, 0xF8F0}, {"windows-31j", 0xFD, 0xF8F1},
    {"windows-31j", 0xFE, 0xF8F2}, {"windows-31j", 0xFF, 0xF8F3},
};

// What the converter gives for `bytes` alone: one character, or 0 for none (a lead byte waiting for
// its trail, or bytes it has no character for, which it reads as U+FFFD or U+001A).
char16_t convertOne(QStringDecoder& decoder, QByteArrayView bytes)
{
    decoder.resetState();
    const QString one = decoder.decode(bytes);
    if (one.size() != 1 || one.at(0) == QChar::ReplacementCharacter || one.at(0) == u'\x1A')
        return 0;
    return one.at(0).unicode();
}

// Windows' tables give a byte that a single-byte code page leaves undefined the C1 control of the same
// number, or (Thai) a private-use character, and the converter follows them: neither is a character of
// the code page. Apple's logo U+F8FF is a real character of the Macintosh code page.
bool isDefinedCharacter(char16_t c)
{
    const bool control = c >= 0x80 && c < 0xA0;
    const bool privateUse = c >= 0xE000 && c < 0xF8FF;
    return c != 0 && !control && !privateUse;
}

// Most stored text is ASCII, which every code page here reads alike: test eight bytes at a time.
bool isAscii(QByteArrayView bytes)
{
    quint64 seen = 0;
    qsizetype i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        quint64 word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        seen |= word;
    }
    for (; i < bytes.size(); ++i)
        seen |= static_cast<unsigned char>(bytes[i]);
    return (seen & 0x8080808080808080ULL) == 0;
}

bool isDoubleByte(int number)
{
    return number == 932 || number == 936 || number == 949 || number == 950;
}

QByteArray converterOf(int number)
{
    const char* name = converterName(number);
    return name ? QByteArray(name) : windowsName(number);
}

// The converter of code page `number`, or of Windows-1252 when there is none.
QStringDecoder converterFor(int& number)
{
    QStringDecoder decoder(converterOf(number).constData());
    if (!decoder.isValid()) {
        number = CodePage::Default;
        decoder = QStringDecoder(windowsName(number).constData());
    }
    return decoder;
}

void applyWindowsReadings(int number, std::array<char16_t, 256>& table)
{
    const QByteArray name = converterOf(number);
    for (const WindowsReading& reading : WindowsReadings) {
        if (name == reading.converter)
            table[reading.byte] = reading.character;
    }
}

} // namespace

// Single bytes and byte pairs of an East Asian code page, read once through the converter: a byte
// pair's table stays the same for every table of that code page.
struct CodePage::DoubleByteTable
{
    std::array<char16_t, 256> single{}; // 0 for a lead byte, and for a byte that is no character
    std::bitset<256> lead;
    std::vector<char16_t> pairs = std::vector<char16_t>(256 * 256); // [lead * 256 + trail], 0: none

    explicit DoubleByteTable(int number)
    {
        QStringDecoder decoder = converterFor(number);
        for (int byte = 0; byte < 0x80; ++byte)
            single[byte] = static_cast<char16_t>(byte);
        for (int byte = 0x80; byte < 0x100; ++byte) {
            const char c = static_cast<char>(byte);
            single[byte] = convertOne(decoder, QByteArrayView(&c, 1));
            decoder.resetState();
            lead[byte] = QString(decoder.decode(QByteArrayView(&c, 1))).isEmpty(); // waits for its trail
        }
        applyWindowsReadings(number, single);
        for (int first = 0x80; first < 0x100; ++first) {
            if (!lead[first])
                continue;
            for (int trail = 0x40; trail < 0x100; ++trail) {
                const char pair[2] = {static_cast<char>(first), static_cast<char>(trail)};
                pairs[first * 256 + trail] = convertOne(decoder, QByteArrayView(pair, 2));
            }
        }
    }
};

namespace {

std::shared_ptr<const CodePage::DoubleByteTable> doubleByteTable(int number)
{
    static QMutex mutex;
    static std::map<int, std::shared_ptr<const CodePage::DoubleByteTable>> built;
    const QMutexLocker lock(&mutex);
    auto& entry = built[number];
    if (!entry)
        entry = std::make_shared<const CodePage::DoubleByteTable>(number);
    return entry;
}

} // namespace

int CodePage::numberForMark(quint8 mark)
{
    const int number = lookupMark(mark);
    return number == 0 ? Default : number;
}

int CodePage::namedByMark(quint8 mark)
{
    return lookupMark(mark);
}

const std::vector<CodePage::Known>& CodePage::known()
{
    static const std::vector<Known> pages = {
        {437, "U.S. MS-DOS"},
        {620, "Mazovia (Polish) MS-DOS"},
        {737, "Greek MS-DOS (437G)"},
        {850, "International MS-DOS"},
        {852, "Eastern European MS-DOS"},
        {857, "Turkish MS-DOS"},
        {860, "Portuguese MS-DOS"},
        {861, "Icelandic MS-DOS"},
        {863, "Canadian French MS-DOS"},
        {865, "Nordic MS-DOS"},
        {866, "Russian MS-DOS"},
        {874, "Thai Windows"},
        {895, "Kamenicky (Czech) MS-DOS"},
        {932, "Japanese Windows"},
        {936, "Chinese Simplified (PRC, Singapore) Windows"},
        {949, "Korean Windows"},
        {950, "Traditional Chinese (Hong Kong SAR, Taiwan) Windows"},
        {1250, "Eastern European Windows"},
        {1251, "Russian Windows"},
        {1252, "Windows ANSI"},
        {1253, "Greek Windows"},
        {1254, "Turkish Windows"},
        {1255, "Hebrew Windows"},
        {1256, "Arabic Windows"},
        {1257, "Baltic Windows"},
        {10000, "Standard Macintosh"},
        {10006, "Greek Macintosh"},
        {10007, "Russian Macintosh"},
        {10029, "Macintosh EE"},
    };
    return pages;
}

bool CodePage::isKnown(int number)
{
    const std::vector<Known>& pages = known();
    return std::any_of(pages.begin(), pages.end(), [&](const Known& page) { return page.number == number; });
}

QString CodePage::originName(Origin origin)
{
    switch (origin) {
    case Origin::Header:
        return QStringLiteral("header");
    case Origin::User:
        return QStringLiteral("user");
    case Origin::Guess:
        break;
    }
    return QStringLiteral("guess");
}

CodePage::CodePage(int number) : m_number(number)
{
    QStringDecoder decoder = converterFor(m_number);
    if (isDoubleByte(m_number)) {
        m_pairs = doubleByteTable(m_number);
        return;
    }
    // The lower half is ASCII in every code page here; it is not taken from the converter, which
    // rotates a few control codes of the IBM pages.
    for (int byte = 0; byte < 0x80; ++byte)
        m_table[byte] = static_cast<char16_t>(byte);
    for (int byte = 0x80; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        m_table[byte] = convertOne(decoder, QByteArrayView(&c, 1));
    }
    applyWindowsReadings(m_number, m_table);
    const char16_t* own = m_number == 620 ? Mazovia : m_number == 895 ? Kamenicky : nullptr;
    if (own)
        std::copy(own, own + 48, m_table.begin() + 0x80);
    for (int byte = 0x80; byte < 256; ++byte) {
        m_defined[byte] = isDefinedCharacter(m_table[byte]);
        if (!m_defined[byte])
            m_table[byte] = static_cast<char16_t>(byte);
    }
}

QString CodePage::decode(QByteArrayView bytes)
{
    QString text;
    decode(bytes, text);
    return text;
}

namespace {

// Decodes the `Width` bytes at `in` (a multiple of 8) through `table` into `out`.
template <int Width>
void decodeRun(const unsigned char* in, char16_t* out, const std::array<char16_t, 256>& table)
{
    // A copy of its own, which the characters written cannot overlap: the widening runs as a few
    // vector steps.
    unsigned char run[Width];
    std::memcpy(run, in, sizeof run);
    quint64 words[Width / 8];
    std::memcpy(words, run, sizeof words);
    quint64 any = 0;
    for (const quint64 word : words)
        any |= word;
    if ((any & 0x8080808080808080ULL) == 0) {
        for (int k = 0; k < Width; ++k)
            out[k] = run[k];
    } else {
        for (int k = 0; k < Width; ++k)
            out[k] = table[run[k]];
    }
}

} // namespace

int CodePage::decode(QByteArrayView bytes, QString& text)
{
    if (m_pairs) {
        if (!isAscii(bytes))
            return decodeDoubleByte(bytes, text);
        text = QLatin1StringView(bytes.data(), bytes.size());
        return 0;
    }
    const qsizetype size = bytes.size();
    // A fixed-width field's text keeps its size from record to record: no call to resize it then.
    if (text.size() != size)
        text.resize(size);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    // Sixteen bytes at a time (eight in text shorter than that): runs of ASCII, which every code page
    // reads alike, are widened as they are; only runs with a byte of 0x80 or above are looked up. The
    // bytes after the last whole run are read as the run that ends the text, some of them again.
    if (size >= 16) {
        qsizetype i = 0;
        for (; i + 16 <= size; i += 16)
            decodeRun<16>(in + i, out + i, m_table);
        if (i < size)
            decodeRun<16>(in + size - 16, out + size - 16, m_table);
    } else if (size >= 8) {
        decodeRun<8>(in, out, m_table);
        decodeRun<8>(in + size - 8, out + size - 8, m_table);
    } else {
        for (qsizetype i = 0; i < size; ++i)
            out[i] = m_table[in[i]];
    }
    return 0;
}

// No more characters than bytes come out, so `text` is sized once and cut to what was written.
int CodePage::decodeDoubleByte(QByteArrayView bytes, QString& text) const
{
    const DoubleByteTable& table = *m_pairs;
    text.resize(bytes.size());
    char16_t* const start = reinterpret_cast<char16_t*>(text.data());
    char16_t* out = start;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    int missing = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char byte = in[i];
        char16_t c = table.single[byte];
        if (table.lead[byte])
            c = i + 1 < size ? table.pairs[byte * 256 + in[i + 1]] : 0;
        if (c == 0) {
            c = QChar::ReplacementCharacter;
            ++missing;
        } else if (table.lead[byte]) {
            ++i;
        }
        *out++ = c;
    }
    text.resize(out - start);
    return missing;
}

QString CodePage::characters() const
{
    QString all;
    if (m_pairs) {
        for (int byte = 0x80; byte < 256; ++byte) {
            if (m_pairs->single[byte] != 0)
                all += QChar(m_pairs->single[byte]);
        }
        for (char16_t c : m_pairs->pairs) {
            if (c != 0)
                all += QChar(c);
        }
    } else {
        for (int byte = 0; byte < 256; ++byte) {
            if (byte < 0x80 || m_defined[byte])
                all += QChar(m_table[byte]);
        }
    }
    return all;
}

} // namespace db::foxpro
