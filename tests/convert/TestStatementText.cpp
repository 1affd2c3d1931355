#include "convert/StatementText.h"
#include "convert/TableReplacement.h"
#include "convert/TargetNames.h"
#include "convert/TypeMapping.h"
#include "db/AdoType.h"
#include "db/MemoryRecordSet.h"
#include "db/foxpro/CodePage.h"
#include "db/foxpro/TableRecordSet.h"
#include "tests/support/DbfBuilder.h"

#include <QFile>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace convert;
using db::Value;

namespace {

QByteArray golden(const char* name)
{
    QFile file(QStringLiteral(FERRANDINE_SOURCE_DIR "/tests/convert/golden/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read golden file %s", name);
    return file.readAll();
}

// Compares line by line first, so that a failure shows the line that differs, then byte for byte.
void compareWithGolden(const QString& actual, const char* name)
{
    const QByteArray expected = golden(name);
    const QList<QByteArray> expectedLines = expected.split('\n');
    const QList<QByteArray> actualLines = actual.toUtf8().split('\n');
    for (qsizetype i = 0; i < std::min(expectedLines.size(), actualLines.size()); ++i)
        QCOMPARE(actualLines.at(i), expectedLines.at(i));
    QCOMPARE(actual.toUtf8(), expected);
}

const ValueFormat& posix()
{
    static const ValueFormat format(QLocale::c());
    return format;
}

QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

QString insert(const QString& table, const std::vector<Value>& row, const ValueFormat& format = posix())
{
    return InsertBuilder(table, format).text(row);
}

// A table with a field of every FoxPro type, and rows with ordinary values, NULLs and edge values.
std::vector<db::Field> everyTypeFields()
{
    return std::vector<db::Field>{
        {"id", db::AdoType::Integer, 4, 0},        {"name", db::AdoType::Char, 20, 0},
        {"since", db::AdoType::DBDate, 8, 0},      {"amount", db::AdoType::Numeric, 10, 2},
        {"price", db::AdoType::Currency, 8, 4},    {"ratio", db::AdoType::Double, 8, 0},
        {"stamp", db::AdoType::DBTimeStamp, 8, 0}, {"ok", db::AdoType::Boolean, 1, 0},
        {"notes", db::AdoType::LongVarChar, 4, 0}, {"pic", db::AdoType::LongVarBinary, 4, 0},
        {"raw", db::AdoType::VarBinary, 10, 0}};
}

std::vector<std::vector<Value>> everyTypeRows()
{
    return std::vector<std::vector<Value>>{
        {17, QStringLiteral("O'Neil   "), QDate(2021, 8, 31), db::Decimal{"1234.50"}, db::Currency{125000},
         0.1, utc(2021, 8, 31, 14, 5, 9), true, QStringLiteral("line one\r\nline two"), QByteArray("Jo"),
         QByteArray()},
        std::vector<Value>(11),
        {std::numeric_limits<qint32>::min(), QStringLiteral("   "), QDate(1, 1, 1), db::Decimal{"-0.01"},
         db::Currency{-1}, 1e300, utc(1999, 12, 31, 23, 59, 59, 120), false, QString(),
         QByteArray("\x00\xff", 2), Value()}};
}

} // namespace

class TestStatementText : public QObject
{
    Q_OBJECT

private slots:
    void namesAndMappingOfEveryCode()
    {
        QString table;
        for (int code : {0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,
                         15,  16,  17,  18,  19,  20,  21,  64,  72,  128, 129, 130, 131, 132, 133,
                         134, 135, 136, 137, 138, 139, 200, 201, 202, 203, 204, 205, 206, 999, -1}) {
            const ColumnMapping mapping = mapColumnType(code, 10, 2);
            table += QStringLiteral("%1\t%2\t%3\t%4\n")
                         .arg(code)
                         .arg(Datatype::DatatypeName(code), mapping.matchKey, mapping.sqlType);
        }
        compareWithGolden(table, "type-mapping.txt");
    }

    // The stored numbers are given as the reader decodes them; the facts come from them.
    void numericAndDecimalCarryPrecisionAndScale_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("type");
        const QStringList none;
        QTest::newRow("N(10,2)") << 131 << 10 << 2 << none << "numeric"
                                 << "NUMERIC(10,2)";
        QTest::newRow("N(20,0) varnumeric") << 139 << 20 << 0 << none << "numeric"
                                            << "NUMERIC(20,0)";
        QTest::newRow("decimal") << 14 << 12 << 4 << none << "dec"
                                 << "DECIMAL(12,4)";
        QTest::newRow("width 0 gives precision 1") << 131 << 0 << 0 << none << "numeric"
                                                   << "NUMERIC(1,0)";
        QTest::newRow("width over 38") << 14 << 50 << 6 << none << "dec"
                                       << "DECIMAL(38,6)";
        QTest::newRow("scale over precision") << 131 << 5 << 9 << none << "numeric"
                                              << "NUMERIC(5,5)";
        QTest::newRow("negative header values") << 131 << -3 << -1 << none << "numeric"
                                                << "NUMERIC(1,0)";
        QTest::newRow("numbers within the declaration")
            << 131 << 10 << 2 << QStringList{"-1234567.50", "0.01", "0"} << "numeric"
            << "NUMERIC(10,2)";
        QTest::newRow("too wide for the decimals: FoxPro dropped them")
            << 131 << 5 << 2 << QStringList{"12345", "1.50"} << "numeric"
            << "NUMERIC(7,2)";
        QTest::newRow("more decimals than declared")
            << 131 << 13 << 3 << QStringList{"139.45052", "-0.5"} << "numeric"
            << "NUMERIC(13,5)";
        QTest::newRow("trailing and leading zeros do not count")
            << 131 << 4 << 1 << QStringList{"0007.5000", "-0.1"} << "numeric"
            << "NUMERIC(4,1)";
        QTest::newRow("exponent read as plain digits")
            << 131 << 10 << 0 << QStringList{"12000000000"} << "numeric"
            << "NUMERIC(11,0)";
        QTest::newRow("38 digits still fit")
            << 131 << 20 << 0 << QStringList{"1" + QString(37, '0')} << "numeric"
            << "NUMERIC(38,0)";
        QTest::newRow("beyond 38 digits: text as long as the longest number")
            << 131 << 20 << 10 << QStringList{"-1" + QString(29, '0'), "0.5"} << "numeric"
            << "VARCHAR(31) (stored numbers need 40 digits, more than NUMERIC holds: kept as text)";
        QTest::newRow("beyond 38 digits: text as wide as the field")
            << 14 << 42 << 0 << QStringList{"1" + QString(38, '0')} << "dec"
            << "VARCHAR(42) (stored numbers need 39 digits, more than NUMERIC holds: kept as text)";
    }
    void numericAndDecimalCarryPrecisionAndScale()
    {
        QFETCH(int, code);
        QFETCH(int, width);
        QFETCH(int, decimals);
        QFETCH(QStringList, stored);
        QFETCH(QString, key);
        QFETCH(QString, type);
        FactsGatherer facts(TargetDialect::sqlServer(), 1);
        for (const QString& number : stored)
            facts.note({db::Decimal{number}});
        const ColumnMapping mapping = mapColumnType(db::Field{QStringLiteral("n"), code, width, decimals},
                                                    TargetDialect::sqlServer(), facts.facts().at(0));
        QCOMPARE(mapping.matchKey, key);
        QCOMPARE(mapping.shownType(), type);
    }

    // One table of text, memo, number and binary columns with the values that a target may lose,
    // written for each dialect; the facts come from one pass over the rows, as in a run.
    void valuesTheTargetWouldLoseAreWrittenToKeep()
    {
        const std::vector<db::Field> fields{
            {"name", db::AdoType::Char, 20, 0},        {"city", db::AdoType::Char, 10, 0},
            {"notes", db::AdoType::LongVarChar, 4, 0}, {"amount", db::AdoType::Numeric, 5, 2},
            {"pic", db::AdoType::LongVarBinary, 4, 0}, {"chain", db::AdoType::LongVarChar, 4, 0},
            {"long", db::AdoType::LongVarChar, 4, 0},  {"big", db::AdoType::Numeric, 20, 0}};
        // 33 pieces are one hexadecimal literal; joined, 2,701 characters take 8,101 bytes in UTF-8.
        QString pieces;
        for (int i = 0; i < 16; ++i)
            pieces += QStringLiteral("a") + QChar(0) + QChar(0x4E2D);
        const QString chinese(1350, QChar(0x4E2D));
        const Value none;
        const std::vector<std::vector<Value>> rows{
            {QStringLiteral("Zoë"), QStringLiteral("Москва"), QStringLiteral("plain"), db::Decimal{"12345"},
             QByteArray("Jo"), none, none, none},
            {QStringLiteral("O'Brien"), none, QStringLiteral("C:\\data\\\r\nnext\\\nlast \\ \\\r"),
             db::Decimal{"1.505"}, QByteArray(), none, none, none},
            {QString(QChar(0)), QStringLiteral("Sofia"), QString::fromUtf16(u"a\0b''\0", 6),
             db::Decimal{"-0.5"}, none, none, none, none},
            {QStringLiteral("x"), QStringLiteral("Київ"), QStringLiteral("中文\\\n"), none, none, none, none,
             none},
            {none, none, none, none, none, pieces + "b", chinese + QChar(0) + chinese,
             db::Decimal{"-1234567890123456789012345678901234567890"}}};
        const QString table = QStringLiteral("t");
        QString text;
        for (const auto& [title, dialect] : std::vector<std::pair<QString, TargetDialect>>{
                 {"SQL Server, code page 1252", TargetDialect::sqlServer()},
                 {"SQL Server, code page 1251", TargetDialect::sqlServer(1251)},
                 {"SQL Server, Latin1_General_100_CI_AS_SC_UTF8",
                  TargetDialect::sqlServer(TargetDialect::Utf8CodePage, u"Latin1_General_100_CI_AS_SC_UTF8")},
                 {"SQL Server, Japanese_XJIS_140_CI_AS",
                  TargetDialect::sqlServer(932, u"Japanese_XJIS_140_CI_AS")},
                 {"SQLite", TargetDialect::sqlite()}}) {
            db::MemoryRecordSet source(fields, rows);
            const TableFacts facts = gatherFacts(source, dialect);
            text += "-- " + title + '\n' + createTableText(table, fields, dialect, facts) + '\n';
            InsertBuilder builder(table, posix(), dialect, facts);
            for (const auto& row : rows)
                text += builder.text(row) + '\n';
        }
        compareWithGolden(text, "target-dialects.sql");
    }

    // The pass over a real table reads only what may carry a fact: Cyrillic text into a Cyrillic
    // database needs no look, a field kept untranslated (read as Windows-1252) does, numbers always.
    void factsPassLooksAtWhatTheTargetMayNotHold_data()
    {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<bool>("nameBeyond");
        QTest::addColumn<bool>("rawBeyond");
        QTest::newRow("code page 1251") << 1251 << false << true;
        QTest::newRow("code page 1252") << 1252 << true << false;
        QTest::newRow("UTF-8") << int(TargetDialect::Utf8CodePage) << false << false;
    }
    void factsPassLooksAtWhatTheTargetMayNotHold()
    {
        QFETCH(int, codePage);
        QFETCH(bool, nameBeyond);
        QFETCH(bool, rawBeyond);
        DbfBuilder dbf(0x30, 0xC9); // Windows-1251
        dbf.field("NAME", 'C', 4)
            .field("RAW", 'C', 2, 0, db::foxpro::FieldDescriptor::BinaryFlag)
            .field("AMOUNT", 'N', 8, 2);
        dbf.record({"\xC4\xEE\xEC", "\xE9", "  123.45"}).record({"abc", "x", " -0.5"});
        db::foxpro::TableRecordSet rows(
            std::make_unique<db::foxpro::Table>(
                std::make_unique<db::foxpro::MemorySource>(QStringLiteral("t.dbf"), dbf.bytes()), nullptr,
                db::foxpro::MemoFile::Style::Fpt),
            {});
        const TableFacts facts = gatherFacts(rows, TargetDialect::sqlServer(codePage));
        QCOMPARE(facts.at(0).beyondCodePage, nameBeyond);
        QCOMPARE(facts.at(1).beyondCodePage, rawBeyond);
        QCOMPARE(facts.at(2), (ColumnFacts{false, 3, 2, 6}));
    }

    // The pass counts the digits of numbers from their bytes where they are plain: the facts must be
    // those of the values a copy reads, whatever the bytes hold.
    void numberDigitsFromBytesAgreeWithTheValues_data()
    {
        QTest::addColumn<QByteArray>("stored");
        for (const char* stored : {"  123.45", "-012.500", "    1,25", " 1.5E+2", "  -1e-3", "********",
                                   "       .", "      +3", " 0.00012", "   -.5  ", "        ", "00000000"})
            QTest::newRow(stored) << QByteArray(stored);
    }
    void numberDigitsFromBytesAgreeWithTheValues()
    {
        QFETCH(QByteArray, stored);
        DbfBuilder dbf;
        dbf.field("AMOUNT", 'N', 8, 3).record({stored});
        const auto open = [&] {
            return db::foxpro::TableRecordSet(
                std::make_unique<db::foxpro::Table>(
                    std::make_unique<db::foxpro::MemorySource>(QStringLiteral("t.dbf"), dbf.bytes()), nullptr,
                    db::foxpro::MemoFile::Style::Fpt),
                {});
        };
        auto counted = open();
        auto decoded = open();
        FactsGatherer fromValues(TargetDialect::sqlServer(), 1);
        fromValues.note(decoded.values());
        QCOMPARE(gatherFacts(counted, TargetDialect::sqlServer()).at(0), fromValues.facts().at(0));
    }

    // The pass looks for the bytes of characters the target refuses in the stored text of C, V and
    // memo fields instead of decoding it: the facts must be those of the values a copy reads.
    void textFactsFromBytesAgreeWithTheValues_data()
    {
        QTest::addColumn<int>("codePageMark");
        QTest::addColumn<QByteArray>("name");  // C(4), null bit 0
        QTest::addColumn<QByteArray>("note");  // V(4), length bit 1, null bit 2
        QTest::addColumn<QByteArray>("memo");  // M, null bit 3
        QTest::addColumn<int>("nullFlags");
        QTest::newRow("1252: a byte it leaves undefined") << 0x03 << QByteArray("\x81") << QByteArray("ab")
                                                         << QByteArray("Zo\xEB") << 0;
        QTest::newRow("1252: letters it holds") << 0x03 << QByteArray("Zo\xEB") << QByteArray("\xE9t\xE9")
                                                << QByteArray("caf\xE9") << 0;
        QTest::newRow("1251: Cyrillic, a byte it leaves undefined")
            << 0xC9 << QByteArray("\xC4\xEE\xEC") << QByteArray("\xE9") << QByteArray("\x98") << 0;
        QTest::newRow("NULL") << 0x03 << QByteArray("\x81") << QByteArray("\x81") << QByteArray("\x81")
                              << 0x0D;
        QTest::newRow("V cut by its length byte")
            << 0x03 << QByteArray("ab") << QByteArray("a\x81\x81\x01") << QByteArray("ab") << 0x02;
        QTest::newRow("memo: ninth byte") << 0x03 << QByteArray("ab") << QByteArray("ab")
                                          << QByteArray("abcdefgh\x81") << 0;
        QTest::newRow("memo: eighth byte of two words")
            << 0x03 << QByteArray("ab") << QByteArray("ab") << QByteArray("abcdefg\xD0ijklmnop") << 0;
    }
    void textFactsFromBytesAgreeWithTheValues()
    {
        QFETCH(int, codePageMark);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, note);
        QFETCH(QByteArray, memo);
        QFETCH(int, nullFlags);
        FptBuilder fpt;
        DbfBuilder dbf(0x30, quint8(codePageMark));
        dbf.field("NAME", 'C', 4, 0, 0x02)
            .field("NOTE", 'V', 4, 0, 0x02)
            .field("MEMO", 'M', 4, 0, 0x02)
            .field("_NullFlags", '0', 1, 0, 0x05)
            .record({name, note, le32(fpt.memo(memo)), QByteArray(1, char(nullFlags))});
        const auto open = [&] {
            return db::foxpro::TableRecordSet(
                std::make_unique<db::foxpro::Table>(
                    std::make_unique<db::foxpro::MemorySource>(QStringLiteral("t.dbf"), dbf.bytes()),
                    std::make_unique<db::foxpro::MemorySource>(QStringLiteral("t.fpt"), fpt.bytes()),
                    db::foxpro::MemoFile::Style::Fpt),
                {});
        };
        for (const int codePage : {1252, 1251, 0}) {
            const TargetDialect dialect = TargetDialect::sqlServer(codePage);
            auto counted = open();
            auto decoded = open();
            FactsGatherer fromValues(dialect, 3);
            fromValues.note(decoded.values());
            QCOMPARE(gatherFacts(counted, dialect), fromValues.facts());
        }
    }

    // Joining pieces cuts a varchar at 8000 bytes of the database's code page (4000 UTF-16 units of
    // nvarchar) unless the first is of a MAX type; more than 32 pieces are one hexadecimal literal.
    void joinedValuesKeepTheirLengthAndDepth_data()
    {
        QTest::addColumn<int>("codePage"); // 0: SQLite
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("starts");
        const QString x(u'x'), nul(QChar(0)), zhong(QChar(0x4E2D));
        const int utf8 = TargetDialect::Utf8CodePage;
        const QString joined = "'", maxText = "CAST('' AS VARCHAR(MAX))+'";
        QTest::newRow("1252: 8,000 bytes") << 1252 << x.repeated(7999) + nul << joined;
        QTest::newRow("1252: 8,001 bytes") << 1252 << x.repeated(8000) + nul << maxText;
        QTest::newRow("national: 4,000 units") << 1252 << x.repeated(3998) + nul + zhong << "N'";
        QTest::newRow("national: 4,001 units")
            << 1252 << x.repeated(3999) + nul + zhong << "CAST(N'' AS NVARCHAR(MAX))+N'";
        QTest::newRow("936: 8,000 bytes") << 936 << zhong.repeated(3999) + nul + x << joined;
        QTest::newRow("936: 8,001 bytes") << 936 << zhong.repeated(4000) + nul << maxText;
        QTest::newRow("UTF-8: 8,000 bytes") << utf8 << zhong.repeated(2666) + nul + x << joined;
        QTest::newRow("UTF-8: 8,001 bytes") << utf8 << zhong.repeated(2666) + nul + x + x << maxText;
        QTest::newRow("SQLite: no limit") << 0 << x.repeated(9000) + nul << joined;
        QTest::newRow("32 pieces stay joined") << 1252 << (x + nul).repeated(16) << joined;
        QTest::newRow("33 pieces: one hex literal")
            << 1252 << (x + nul).repeated(16) + x
            << "CAST(0x" + QString("7800").repeated(16) + "78 AS VARCHAR(MAX)))";
        QTest::newRow("33 pieces, national: UTF-16LE")
            << 1252 << (zhong + nul).repeated(16) + x
            << "CAST(0x" + QString("2D4E0000").repeated(16) + "7800 AS NVARCHAR(MAX)))";
        QTest::newRow("33 pieces, 936: its bytes")
            << 936 << (zhong + nul).repeated(16) + x
            << "CAST(0x" + QString("D6D000").repeated(16) + "78 AS VARCHAR(MAX)))";
        QTest::newRow("33 pieces, SQLite: UTF-8")
            << 0 << (zhong + nul).repeated(16) + x
            << "CAST(X'" + QString("E4B8AD00").repeated(16) + "78' AS TEXT))";
        QTest::newRow("quotes and a break past the first characters")
            << 1252 << x.repeated(15) + "'" + x.repeated(16) + "'" + x.repeated(20) + "\\\n" + x
            << "'" + x.repeated(15) + "''" + x.repeated(16) + "''" + x.repeated(20) + "\\'+'\n" + x + "')";
        QTest::newRow("backslash-breaks count as pieces")
            << 1252 << QString("a\\\n").repeated(32)
            << "CAST(0x" + QString("615C0A").repeated(32) + " AS VARCHAR(MAX)))";
    }
    void joinedValuesKeepTheirLengthAndDepth()
    {
        QFETCH(int, codePage);
        QFETCH(QString, value);
        QFETCH(QString, starts);
        const TargetDialect dialect = codePage ? TargetDialect::sqlServer(codePage) : TargetDialect::sqlite();
        const TableFacts facts{ColumnFacts{!dialect.holdsAll(value), 0, 0, 0}};
        const QString text = InsertBuilder("t", posix(), dialect, facts).text({value});
        QVERIFY2(text.startsWith("INSERT INTO [t] VALUES(" + starts), qPrintable(text.left(100)));
    }

    void codePagesHoldTheirOwnLetters_data()
    {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QString>("held");
        QTest::addColumn<QString>("notHeld");
        QTest::newRow("1252") << 1252 << QStringLiteral("Zoë €ÿ") << QStringLiteral("ā");
        QTest::newRow("1251") << 1251 << QStringLiteral("Привет №") << QStringLiteral("é");
        QTest::newRow("1250") << 1250 << QStringLiteral("Łódź") << QStringLiteral("ñ");
        QTest::newRow("936") << 936 << QStringLiteral("中文 Ж") << QStringLiteral("ก한€\uE4C6");
        QTest::newRow("932") << 932 << QStringLiteral("日本ｶﾀｶﾅ") << QStringLiteral("\uF8F0");
        QTest::newRow("949") << 949 << QStringLiteral("한국어") << QStringLiteral("\u0080");
        QTest::newRow("Unicode-only collation: ASCII") << 0 << QStringLiteral("abc") << QStringLiteral("é");
        QTest::newRow("unknown code page: ASCII") << 4242 << QStringLiteral("abc") << QStringLiteral("é");
        QTest::newRow("a lone surrogate") << 1252 << QString() << QString(QChar(0xD83D));
    }
    void codePagesHoldTheirOwnLetters()
    {
        QFETCH(int, codePage);
        QFETCH(QString, held);
        QFETCH(QString, notHeld);
        const TargetDialect dialect = TargetDialect::sqlServer(codePage);
        QVERIFY(dialect.holdsAll(held));
        for (const QChar c : notHeld)
            QVERIFY2(!dialect.holdsAll(QString(c)), qPrintable(QString(c)));
        QVERIFY(
            TargetDialect::sqlServer(TargetDialect::Utf8CodePage).holdsAll(held + notHeld + "\U0001F600"));
    }

    // Every single-byte code page the reader knows, against a table generated from Python's codecs
    // (tests/convert/data): the reader gives each defined byte its character and keeps an undefined one
    // as the character of its number, and a database of that code page holds exactly the characters its
    // defined bytes stand for.
    void codePagesHoldWhatTheirBytesDecodeTo_data()
    {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QStringList>("bytes");
        QFile file(QStringLiteral(FERRANDINE_SOURCE_DIR "/tests/convert/data/single-byte-code-pages.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        while (!file.atEnd()) {
            const QStringList cells = QString::fromLatin1(file.readLine()).trimmed().split(u' ');
            if (!cells.first().startsWith(u'#'))
                QTest::newRow(qPrintable(cells.first())) << cells.first().toInt() << cells.mid(1);
        }
    }
    void codePagesHoldWhatTheirBytesDecodeTo()
    {
        QFETCH(int, codePage);
        QFETCH(QStringList, bytes);
        QCOMPARE(bytes.size(), 128);
        db::foxpro::CodePage reader(codePage);
        std::vector<bool> held(0x10000);
        for (int byte = 0x80; byte < 0x100; ++byte) {
            const QString& cell = bytes[byte - 0x80];
            const bool defined = cell != QLatin1String("-");
            const char16_t expected = defined ? char16_t(cell.toUInt(nullptr, 16)) : char16_t(byte);
            const char c = char(byte);
            QCOMPARE(reader.decode(QByteArrayView(&c, 1)), QString(QChar(expected)));
            if (defined)
                held[expected] = true;
        }
        const TargetDialect dialect = TargetDialect::sqlServer(codePage);
        for (char16_t u = 0x80; u < 0xD800; ++u)
            QVERIFY2(dialect.holdsAll(QString(QChar(u))) == held[u], qPrintable(QString::number(u, 16)));
        for (char32_t u = 0xE000; u < 0x10000; ++u)
            QVERIFY2(dialect.holdsAll(QString(QChar(u))) == held[u], qPrintable(QString::number(u, 16)));
    }

    // Names SQL Server would refuse at the CREATE, found before anything is dropped.
    void namesTheTargetCannotTake_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("earlier");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("problem");
        const QStringList none;
        QTest::newRow("128 characters") << QString(128, u't') << none << QStringList{"a", "b"} << QString();
        QTest::newRow("129 characters")
            << QString(129, u't') << none << none
            << "Table " + QString(129, u't') +
                   " is not converted: its name has 129 characters, more than the "
                   "128 SQL Server allows.";
        QTest::newRow("a name taken before")
            << "Cust" << QStringList{"orders", "CUST"} << none
            << "Table Cust is not converted: on SQL Server its name is that of "
               "table CUST, converted before it.";
        QTest::newRow("fields equal once lower-cased")
            << "t" << none << QStringList{"Name", "id", "NAME"}
            << "Table t is not converted: its fields 1 (Name) and 3 "
               "(NAME) have the same name on SQL Server, which does "
               "not tell letter case apart in names.";
        QTest::newRow("a field name of 129 characters")
            << "t" << none << QStringList{"a", QString(129, u'f')}
            << "Table t is not converted: the name of its field " + QString(129, u'f') +
                   " has 129 characters, more than the 128 SQL Server allows.";
    }
    void namesTheTargetCannotTake()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, earlier);
        QFETCH(QStringList, fields);
        QFETCH(QString, problem);
        std::vector<db::Field> columns;
        for (const QString& name : fields)
            columns.push_back({name, db::AdoType::Char, 1, 0});
        const QString found = tableNameProblem(table, earlier);
        QCOMPARE(found.isEmpty() ? fieldNameProblem(table, columns) : found, problem);
    }

    void replacementPairsAreTheDropAndCreateOfOneTable_data()
    {
        QTest::addColumn<QString>("drop");
        QTest::addColumn<QString>("create");
        QTest::addColumn<bool>("pair");
        QTest::newRow("generated") << "DROP TABLE [a b]"
                                   << "CREATE TABLE [a b]([c] INT);" << true;
        QTest::newRow("case differs") << "drop table [Cust]"
                                      << "CREATE TABLE [cust]([c] INT);" << true;
        QTest::newRow("edited name") << "DROP TABLE [a]"
                                     << "CREATE TABLE [ab]([c] INT);" << false;
        QTest::newRow("unbracketed prefix") << "DROP TABLE t"
                                            << "CREATE TABLE tx([c] INT);" << false;
        QTest::newRow("not a create") << "DROP TABLE [a]"
                                      << "INSERT INTO [a] VALUES('1')" << false;
        QTest::newRow("not a drop") << "CREATE TABLE [a]([c] INT);"
                                    << "CREATE TABLE [a]([c] INT);" << false;
    }
    void replacementPairsAreTheDropAndCreateOfOneTable()
    {
        QFETCH(QString, drop);
        QFETCH(QString, create);
        QFETCH(bool, pair);
        QCOMPARE(TableReplacement::isReplacement(drop, create), pair);
    }

    void statementsOfATableWithEveryFoxProType()
    {
        const QString table = QStringLiteral("cust");
        QString text = sourceQueryText(table) + '\n' + dropTableText(table) + '\n' +
                       createTableText(table, everyTypeFields()) + '\n';
        InsertBuilder builder(table, posix());
        for (const auto& row : everyTypeRows())
            text += builder.text(row) + '\n';
        compareWithGolden(text, "statements.sql");
    }

    // SQL Server's own types, chosen instead of the designed mapping, and their SQLite neighbours.
    void nativeTypesOfEveryFoxProType()
    {
        const QString table = QStringLiteral("cust");
        QString text;
        for (const auto& [title, dialect] : std::vector<std::pair<QString, TargetDialect>>{
                 {"SQL Server, code page 1252", TargetDialect::sqlServer()},
                 {"SQL Server, code page 936", TargetDialect::sqlServer(936)},
                 {"SQL Server, UTF-8 collation", TargetDialect::sqlServer(TargetDialect::Utf8CodePage)},
                 {"SQLite", TargetDialect::sqlite()}}) {
            db::MemoryRecordSet source(everyTypeFields(), everyTypeRows());
            const TableFacts facts = gatherFacts(source, dialect);
            text += "-- " + title + '\n' +
                    createTableText(table, everyTypeFields(), dialect, facts, ColumnTypes::Native) + '\n';
            InsertBuilder builder(table, ValueFormat::nativeTypes(), dialect, facts);
            for (const auto& row : everyTypeRows())
                text += builder.text(row) + '\n';
        }
        compareWithGolden(text, "native-types.sql");
    }

    // A character column takes its sized type up to the limit of its kind, in the database's bytes
    // (8,000; 4,000 national or double-byte characters; 2,000 UTF-8 ones), and the MAX type beyond.
    void textColumnsTakeTheMaxTypeBeyondTheLimit_data()
    {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<bool>("native");
        QTest::addColumn<bool>("national"); // values the code page cannot hold
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("type");
        const int c = db::AdoType::Char, utf8 = TargetDialect::Utf8CodePage;
        QTest::newRow("1252: 8,000") << 1252 << true << false << c << 8000 << "VARCHAR(8000)";
        QTest::newRow("1252: 8,001") << 1252 << true << false << c << 8001 << "VARCHAR(MAX)";
        QTest::newRow("national: 10") << 1252 << true << true << c << 10 << "NVARCHAR(10)";
        QTest::newRow("national: 4,000") << 1252 << true << true << c << 4000 << "NVARCHAR(4000)";
        QTest::newRow("national: 4,001")
            << 1252 << true << true << int(db::AdoType::VarChar) << 4001 << "NVARCHAR(MAX)";
        QTest::newRow("national memo")
            << 1252 << true << true << int(db::AdoType::LongVarChar) << 4 << "NVARCHAR(MAX)";
        QTest::newRow("936: 4,000") << 936 << true << false << c << 4000 << "VARCHAR(8000)";
        QTest::newRow("936: 4,001") << 936 << true << false << c << 4001 << "VARCHAR(MAX)";
        QTest::newRow("UTF-8: 2,000") << utf8 << true << false << c << 2000 << "VARCHAR(8000)";
        QTest::newRow("UTF-8: 2,001") << utf8 << true << false << c << 2001 << "VARCHAR(MAX)";
        QTest::newRow("designed, national: 4,000") << 1252 << false << true << c << 4000 << "NVARCHAR(4000)";
        QTest::newRow("designed, national: 4,001") << 1252 << false << true << c << 4001 << "NVARCHAR(MAX)";
    }
    void textColumnsTakeTheMaxTypeBeyondTheLimit()
    {
        QFETCH(int, codePage);
        QFETCH(bool, native);
        QFETCH(bool, national);
        QFETCH(int, code);
        QFETCH(int, width);
        QFETCH(QString, type);
        const ColumnFacts facts{national, 0, 0, 0};
        QCOMPARE(mapColumnType({"c", code, width, 0}, TargetDialect::sqlServer(codePage), facts,
                               native ? ColumnTypes::Native : ColumnTypes::Design)
                     .sqlType,
                 type);
    }

    // The collation's name tells its code page where the server cannot be asked, and whether the
    // database takes TEXT columns.
    void collationsTellTheirCodePageAndLongTextType_data()
    {
        QTest::addColumn<QString>("collation");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QString>("longText");
        QTest::newRow("SQL default") << "SQL_Latin1_General_CP1_CI_AS" << 1252 << "TEXT";
        QTest::newRow("SQL, code page named") << "SQL_Latin1_General_CP1251_CS_AS" << 1251 << "TEXT";
        QTest::newRow("SQL Scandinavian is no _SC") << "SQL_Scandinavian_Cp850_CI_AS" << 850 << "TEXT";
        QTest::newRow("UTF-8") << "Latin1_General_100_CI_AS_SC_UTF8" << 65001 << "VARCHAR(MAX)";
        QTest::newRow("supplementary characters") << "Latin1_General_100_CI_AS_SC" << 1252 << "VARCHAR(MAX)";
        QTest::newRow("version 140") << "Japanese_XJIS_140_CI_AS" << 932 << "VARCHAR(MAX)";
        QTest::newRow("Chinese") << "Chinese_PRC_CI_AS" << 936 << "TEXT";
        QTest::newRow("traditional Chinese") << "Chinese_Taiwan_Stroke_CI_AS" << 950 << "TEXT";
        QTest::newRow("Greek") << "Greek_CI_AS" << 1253 << "TEXT";
        QTest::newRow("Hebrew") << "Hebrew_CI_AS" << 1255 << "TEXT";
        QTest::newRow("Lithuanian") << "Lithuanian_CI_AS" << 1257 << "TEXT";
        QTest::newRow("Unicode only") << "Indic_General_90_CI_AS" << 0 << "TEXT";
    }
    void collationsTellTheirCodePageAndLongTextType()
    {
        QFETCH(QString, collation);
        QFETCH(int, codePage);
        QFETCH(QString, longText);
        QCOMPARE(TargetDialect::codePageOfCollation(collation), codePage);
        const TargetDialect dialect = TargetDialect::sqlServer(codePage, collation);
        QCOMPARE(dialect.longTextType(), longText);
        QCOMPARE(mapColumnType(db::AdoType::Date, 8, 0, dialect).sqlType, longText);
    }

    void nullsBlanksQuotesAndCommas()
    {
        const QString t = QStringLiteral("Order Details");
        const QString x = QStringLiteral("x"), y = QStringLiteral("y");
        QString text = sourceQueryText(t) + '\n' + dropTableText(t) + '\n' +
                       createTableText(t, {{"c", db::AdoType::Integer, 4, 0}}) + '\n';
        for (const std::vector<Value>& row : std::vector<std::vector<Value>>{
                 {Value(), x, y},
                 {x, Value(), y},
                 {x, y, Value()},
                 {Value(), Value(), Value()},
                 {QString(""), QStringLiteral("   "), QStringLiteral("'")},
                 {QStringLiteral("O'Brien"), QStringLiteral("a,b"), QStringLiteral("1,234")},
                 {42},
                 {}})
            text += insert(t, row) + '\n';
        compareWithGolden(text, "edge-cases.sql");
    }

    // Long text is looked at in blocks and half blocks: a quote is doubled, and a NUL is written
    // beside the literal, wherever they stand.
    void quotesAndNulsAnywhereInLongText()
    {
        for (int at = 0; at < 40; ++at) {
            QString quoted(40, u'a');
            quoted[at] = u'\'';
            QCOMPARE(insert(QStringLiteral("t"), {quoted}),
                     "INSERT INTO [t] VALUES('" + QString(quoted).replace(u'\'', QStringLiteral("''")) +
                         "')");
            QString nul(40, u'a');
            nul[at] = QChar(0);
            const QString before = at > 0 ? "'" + QString(at, u'a') + "'+" : QString();
            const QString after = at < 39 ? "+'" + QString(39 - at, u'a') + "'" : QString();
            QCOMPARE(insert(QStringLiteral("t"), {nul}),
                     "INSERT INTO [t] VALUES(" + before + "CHAR(0)" + after + ")");
        }
    }

    void textOutsideAsciiPassesUnchanged()
    {
        QCOMPARE(insert(QStringLiteral("Bücher"), {QStringLiteral("Zoë's café \U0001F600")}),
                 QStringLiteral("INSERT INTO [Bücher] VALUES('Zoë''s café \U0001F600')"));
    }

    void closingBracketsInNamesAreDoubled()
    {
        QCOMPARE(dropTableText(QStringLiteral("a]b")), QStringLiteral("DROP TABLE [a]]b]"));
        QCOMPARE(createTableText(QStringLiteral("]"), {{"x]]", db::AdoType::Char, 1, 0}}),
                 QStringLiteral("CREATE TABLE []]]([x]]]]] VARCHAR(8000));"));
        QCOMPARE(insert(QStringLiteral("[t]"), {1}), QStringLiteral("INSERT INTO [[t]]] VALUES('1')"));
        QCOMPARE(dropTableText(QStringLiteral(" Mixed [Case] ")),
                 QStringLiteral("DROP TABLE [ Mixed [Case]] ]"));
        QCOMPARE(sourceQueryText(QStringLiteral("a]b")), QStringLiteral("SELECT * FROM `a]b`"));
    }

    void binaryValuesAreHexLiterals()
    {
        for (int code : {db::AdoType::Binary, db::AdoType::VarBinary, db::AdoType::LongVarBinary})
            QCOMPARE(mapColumnType(code, 10, 0).sqlType, QStringLiteral("VARBINARY(MAX)"));
        QCOMPARE(insert("b", {QByteArray("Jo"), QByteArray(), QByteArray("'\x7f\x80", 3), Value()}),
                 QStringLiteral("INSERT INTO [b] VALUES(0x4A6F, NULL, 0x277F80, NULL)"));
    }

    void numbersUseAPointAndTextStaysAsItIs_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("French") << QLocale(QLocale::French, QLocale::France);
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("C") << QLocale::c();
    }
    void numbersUseAPointAndTextStaysAsItIs()
    {
        QFETCH(QLocale, locale);
        const ValueFormat format(locale);
        QCOMPARE(insert("n", {1.5, 1234567.25, db::Decimal{"1234.56"}, db::Currency{12345678}, -7}, format),
                 QStringLiteral("INSERT INTO [n] VALUES('1.5', '1234567.25', '1234.56', '1234.5678', '-7')"));
        QCOMPARE(insert("s", {QStringLiteral("1,234"), QStringLiteral("1,5"), QStringLiteral("a,b")}, format),
                 QStringLiteral("INSERT INTO [s] VALUES('1,234', '1,5', 'a,b')"));
    }

    void doublesReadBackExactly()
    {
        for (double d : {0.1, 1.0 / 3, -2.5e-5, 123456789012345678.0, 9.999999999999999e20, 1e21, 1e-7,
                         5e-324, std::numeric_limits<double>::max(), 0.0, 100.0}) {
            const QString text = posix().text(d);
            bool ok = false;
            QCOMPARE(text.toDouble(&ok), d);
            QVERIFY2(ok, qPrintable(text));
            QVERIFY2(!text.contains(',') && !text.contains(' '), qPrintable(text));
        }
        QCOMPARE(posix().text(-2.5e-5), QStringLiteral("-0.000025"));
        QCOMPARE(posix().text(123456789012345678.0), QStringLiteral("123456789012345680"));
        QCOMPARE(posix().text(1e21), QStringLiteral("1e+21"));
        QCOMPARE(posix().text(1e-7), QStringLiteral("1e-07"));
        QCOMPARE(posix().text(100.0), QStringLiteral("100"));
    }

    void currencyIsExact()
    {
        QCOMPARE(posix().text(db::Currency{0}), QStringLiteral("0"));
        QCOMPARE(posix().text(db::Currency{10000}), QStringLiteral("1"));
        QCOMPARE(posix().text(db::Currency{-5000}), QStringLiteral("-0.5"));
        QCOMPARE(posix().text(db::Currency{-10001}), QStringLiteral("-1.0001"));
        QCOMPARE(posix().text(db::Currency{std::numeric_limits<qint64>::min()}),
                 QStringLiteral("-922337203685477.5808"));
        QCOMPARE(posix().text(db::Currency{std::numeric_limits<qint64>::max()}),
                 QStringLiteral("922337203685477.5807"));
    }

    void datesKeepAFourDigitYear_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("C is ISO 8601")
            << QLocale::c()
            << "'2021-08-31', '2021-08-31 14:05:09', '2021-08-31 00:00:00.007', 'True', 'False'";
        QTest::newRow("German short year widened")
            << QLocale(QLocale::German, QLocale::Germany)
            << "'31.08.2021', '31.08.2021 14:05:09', '31.08.2021 00:00:00.007', 'True', 'False'";
        QTest::newRow("US") << QLocale(QLocale::English, QLocale::UnitedStates)
                            << "'8/31/2021', '8/31/2021 14:05:09', '8/31/2021 00:00:00.007', 'True', 'False'";
    }
    void datesKeepAFourDigitYear()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        const std::vector<Value> row{QDate(2021, 8, 31), utc(2021, 8, 31, 14, 5, 9),
                                     utc(2021, 8, 31, 0, 0, 0, 7), true, false};
        QCOMPARE(insert("d", row, ValueFormat(locale)), "INSERT INTO [d] VALUES(" + expected + ")");
        QCOMPARE(insert("d", {QDate(), QDateTime()}), QStringLiteral("INSERT INTO [d] VALUES(NULL, NULL)"));
    }

    void dateTimesKeepTheirWallClock()
    {
        const QDateTime plusOneHour(QDate(2021, 3, 28), QTime(2, 30, 0), Qt::OffsetFromUTC, 3600);
        QCOMPARE(posix().text(plusOneHour), QStringLiteral("2021-03-28 02:30:00"));
        QCOMPARE(posix().text(utc(1899, 12, 30, 23, 59, 59, 999)), QStringLiteral("1899-12-30 23:59:59.999"));
        QCOMPARE(posix().text(utc(1970, 1, 1, 0, 0, 0)), QStringLiteral("1970-01-01 00:00:00"));
        QCOMPARE(posix().text(utc(1969, 12, 31, 23, 59, 59, 1)), QStringLiteral("1969-12-31 23:59:59.001"));
        QCOMPARE(posix().text(utc(9999, 12, 31, 23, 59, 59, 999)), QStringLiteral("9999-12-31 23:59:59.999"));
    }

    // ISO dates and date-times of years 1 to 9999 take a direct path; across that range and just past
    // it, on the first and last day of a year and the last day of February, they read as Qt writes them.
    void isoDatesMatchQtInEveryYear()
    {
        const QLocale c = QLocale::c();
        for (int year = -3; year <= 10002; ++year) {
            if (year == 0)
                continue;
            const QDate lastOfFebruary(year, 2, QDate(year, 2, 1).daysInMonth());
            for (const QDate& date : {QDate(year, 1, 1), lastOfFebruary, QDate(year, 12, 31)}) {
                QCOMPARE(posix().text(date), c.toString(date, QStringLiteral("yyyy-MM-dd")));
                const int milliseconds = std::abs(year) % 1000;
                const QDateTime dateTime(date, QTime(23, 59, 58, milliseconds), Qt::UTC);
                QCOMPARE(posix().text(dateTime),
                         c.toString(dateTime, milliseconds ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                                           : QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            }
        }
    }

    // Every locale Qt knows, against Qt's own formatting of its short date format with the year widened.
    void datesFollowEveryLocalesShortFormat()
    {
        const QDate dates[] = {QDate(2021, 8, 31), QDate(1999, 1, 2), QDate(845, 12, 25), QDate(2000, 2, 29),
                               QDate(1900, 3, 1),  QDate(1, 1, 1),    QDate(9999, 12, 31)};
        for (const QLocale& locale :
             QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
            if (locale.language() == QLocale::C || locale.zeroDigit() != QLatin1String("0"))
                continue;
            QString format = locale.dateFormat(QLocale::ShortFormat);
            format.replace(QRegularExpression("y+"), "yyyy");
            const ValueFormat ours(locale);
            for (const QDate& date : dates) {
                QCOMPARE(ours.text(date), locale.toString(date, format));
            }
        }
    }

    // Formats a user may set up (names, quoted text), against Qt's own formatting.
    void datesFollowFormatsWithNamesAndQuotedText_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("names") << "ddd dd MMM yy";
        QTest::newRow("long names") << "dddd, d. MMMM yyyy";
        QTest::newRow("quoted text") << "'Tag' d 'im' M'.' yyyy";
        QTest::newRow("quote marks") << "d''M ''yy'' 'it''s'";
        QTest::newRow("unclosed quote") << "d.M.yy 'rest";
        QTest::newRow("long runs") << "ddddd MMMMM yyyyy";
    }
    void datesFollowFormatsWithNamesAndQuotedText()
    {
        QFETCH(QString, format);
        const QLocale german(QLocale::German, QLocale::Germany);
        QString widened = format;
        widened.replace(QRegularExpression("y+"), "yyyy");
        for (const QDate& date : {QDate(2021, 8, 31), QDate(2024, 2, 4)})
            QCOMPARE(ValueFormat(DateFormat(german, format)).text(date), german.toString(date, widened));
    }

    void quotesInADateFormatAreDoubledInLiterals()
    {
        const ValueFormat format(DateFormat(QLocale::c(), QStringLiteral("d''M yy")));
        QCOMPARE(insert("q", {QDate(2021, 8, 31), utc(2021, 8, 31, 1, 2, 3), 5}, format),
                 QStringLiteral("INSERT INTO [q] VALUES('31''8 2021', '31''8 2021 01:02:03', '5')"));
    }

    void systemLocaleIsTheUsersLocale()
    {
        const QString expected = QLocale::system().language() == QLocale::C
                                     ? QStringLiteral("2021-08-31")
                                     : ValueFormat(QLocale::system()).text(QDate(2021, 8, 31));
        QCOMPARE(ValueFormat::system().text(QDate(2021, 8, 31)), expected);
        if (QLocale::system().name() == QLatin1String("de_DE"))
            QCOMPARE(expected, QStringLiteral("31.08.2021"));
    }

    void replaceNullGivesTheValueTextOrTheReplacement()
    {
        QCOMPARE(Main::ReplaceNull(Value(), QStringLiteral("-"), posix()), QStringLiteral("-"));
        QCOMPARE(Main::ReplaceNull(Value(), QString(), posix()), QString());
        QCOMPARE(Main::ReplaceNull(QStringLiteral(" a "), QStringLiteral("-"), posix()),
                 QStringLiteral(" a "));
        QCOMPARE(Main::ReplaceNull(QDate(2021, 8, 31), QString(), posix()), QStringLiteral("2021-08-31"));
    }
};

QTEST_APPLESS_MAIN(TestStatementText)
#include "TestStatementText.moc"
