// The FoxPro reader on tables written byte by byte: every field type and its ADO code, NULLs and
// blank values, damaged and hostile headers and memo files, code pages and database containers.
#include "tests/support/DbfBuilder.h"

#include "db/AdoType.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/foxpro/CodePage.h"
#include "db/foxpro/CodePageGuess.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace db;

namespace {

constexpr qint32 May3rd2013 = 2456416;

QString source(const QString& path)
{
    return QStringLiteral("Provider=vfpoledb.1;Data Source=%1;Collating Sequence=machine;").arg(path);
}

// Text written in a single-byte code page; a character it lacks becomes "?".
QByteArray encoded(const QString& text, int codePage)
{
    foxpro::CodePage page(codePage);
    QByteArray bytes;
    for (QChar c : text) {
        char found = '?';
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            if (page.decode(QByteArrayView(&byte, 1)).at(0) == c)
                found = byte;
        }
        bytes += found;
    }
    return bytes;
}

const QString Russian = QStringLiteral(
    "Рефакторинг. Улучшение существующего кода. Мартин Фаулер. Совершенный код. Стив Макконнелл. Приёмы "
    "объектно-ориентированного проектирования. Чистый код: создание, анализ и рефакторинг. "
    "Программист-прагматик.");
const QString Ukrainian = QStringLiteral(
    "Кобзар. Тарас Шевченко. Лісова пісня. Леся Українка. Тіні забутих предків. Михайло Коцюбинський. Захар "
    "Беркут. Іван Франко. Місто. Валер'ян Підмогильний. Інтермецо. Земля. Ольга Кобилянська. Її щастя є.");
const QString Polish = QStringLiteral(
    "Pan Tadeusz, czyli ostatni zajazd na Litwie. Adam Mickiewicz. Lalka. Bolesław Prus. Ogniem i mieczem. "
    "Henryk Sienkiewicz. Wrocław, Łódź, Gdańsk, Kraków, Poznań. Źródło, żółć, gęślą jaźń. Przedwiośnie.");
const QString Czech = QStringLiteral(
    "Osudy dobrého vojáka Švejka za světové války. Jaroslav Hašek. Babička. Božena Němcová. Válka s mloky. "
    "Karel Čapek. Žluťoučký kůň úpěl ďábelské ódy. Příliš mnoho řečí. Plzeň, Ústí nad Labem, České "
    "Budějovice.");
const QString Greek = QStringLiteral(
    "Η Οδύσσεια του Ομήρου. Ο Καπετάν Μιχάλης. Νίκος Καζαντζάκης. Βίος και πολιτεία του Αλέξη Ζορμπά. Η "
    "φόνισσα. Αλέξανδρος Παπαδιαμάντης. Αθήνα, Θεσσαλονίκη, Πάτρα, Ηράκλειο.");
const QString Turkish = QStringLiteral(
    "Çalıkuşu. Reşat Nuri Güntekin. İnce Memed. Yaşar Kemal. Kürk Mantolu Madonna. Sabahattin Ali. Saatleri "
    "Ayarlama Enstitüsü. Ahmet Hamdi Tanpınar. İstanbul, İzmir, Eskişehir, Muğla, Diyarbakır.");
const QString Western = QStringLiteral("Die Leiden des jungen Werther. Johann Wolfgang von Goethe. Der "
                                       "Zauberberg. Straße, Müller, Köln, Zürich. "
                                       "À la recherche du temps perdu. Les Misérables. Cien años de soledad. "
                                       "Gabriel García Márquez. São Paulo.");

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DbError& error) {
        return error.description();
    }
    return {};
}

} // namespace

class TestFoxProReader : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // `pairs`: the reader's own pairs of the connection string, "Bad Values=refuse;" and the like.
    std::unique_ptr<RecordSet> open(const QString& table, const QString& pairs = {})
    {
        m_connection = std::make_unique<Connection>();
        m_connection->open(source(m_dir.path()) + pairs);
        return m_connection->openRecordSet(QStringLiteral("SELECT * FROM `%1`").arg(table));
    }

    std::unique_ptr<Connection> m_connection;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_connection.reset();
        for (const QString& file : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(path(file));
    }

    void readsEveryFieldTypeWithItsAdoCode()
    {
        FptBuilder memo;
        const quint32 text = memo.memo("first line\r\nsecond ");
        const quint32 blob = memo.memo(QByteArray("\x00\x01\xFF", 3), 0);
        writeFile(path("every.fpt"), memo.bytes());
        DbfBuilder table(0x32);
        table.field("NAME", 'C', 8)
            .field("RAW", 'C', 4, 0, 0x04)
            .field("AMOUNT", 'N', 8, 2)
            .field("RATIO", 'F', 10, 3)
            .field("COUNT", 'I', 4)
            .field("SCORE", 'B', 8)
            .field("PRICE", 'Y', 8, 4)
            .field("BORN", 'D', 8)
            .field("SEEN", 'T', 8)
            .field("OK", 'L', 1)
            .field("NOTES", 'M', 4)
            .field("PICTURE", 'W', 4)
            .field("SHORT", 'V', 10)
            .field("BYTES", 'Q', 6)
            .field("LABEL", 'W', 8) // wider than a blob pointer: UTF-16LE text, NUL padded
            .field("_NullFlags", '0', 1, 0, 0x05);
        double score = -2.5e-3;
        QByteArray scoreBytes(reinterpret_cast<const char*>(&score), 8);
        table.record({"Zo\xEB", "a\x81", "  -12.50", " 1.5E+2", le32(quint32(-7)), scoreBytes,
                      le64(quint64(-123456)), "20130503", dateTimeBytes(May3rd2013, 60380123), "t",
                      le32(text), le32(blob), QByteArray("abc       ", 9) + '\x03',
                      QByteArray("\x01\x02\x00\x00\x00", 5) + '\x02',
                      QByteArray("\xA9\x03\xE9\x00\0\0\0\0", 8), QByteArray(1, '\x03')});
        writeFile(path("every.dbf"), table.bytes());

        auto rs = open(QStringLiteral("EVERY"));
        const std::vector<int> codes = {AdoType::Char,     AdoType::Char,        AdoType::Numeric,
                                        AdoType::Numeric,  AdoType::Integer,     AdoType::Double,
                                        AdoType::Currency, AdoType::DBDate,      AdoType::DBTimeStamp,
                                        AdoType::Boolean,  AdoType::LongVarChar, AdoType::LongVarBinary,
                                        AdoType::VarChar,  AdoType::VarBinary,   AdoType::WChar};
        QCOMPARE(rs->fields().size(), codes.size());
        for (std::size_t i = 0; i < codes.size(); ++i)
            QCOMPARE(rs->fields()[i].type, codes[i]);
        QCOMPARE(rs->fields()[0].name, QStringLiteral("name"));
        QCOMPARE(rs->fields()[2].width, 8);
        QCOMPARE(rs->fields()[2].decimals, 2);

        const std::vector<Value>& v = rs->values();
        QCOMPARE(std::get<QString>(v[0]), QStringLiteral("Zo\u00EB     "));
        QCOMPARE(std::get<QString>(v[1]), QStringLiteral("a\u0081  ")); // untranslated bytes as Windows-1252
        QCOMPARE(std::get<Decimal>(v[2]).text, QStringLiteral("-12.50"));
        QCOMPARE(std::get<Decimal>(v[3]).text, QStringLiteral("150"));
        QCOMPARE(std::get<qint32>(v[4]), -7);
        QCOMPARE(std::get<double>(v[5]), score);
        QCOMPARE(std::get<Currency>(v[6]).tenThousandths, -123456);
        QCOMPARE(std::get<QDate>(v[7]), QDate(2013, 5, 3));
        QCOMPARE(std::get<QDateTime>(v[8]), QDateTime(QDate(2013, 5, 3), QTime(16, 46, 20, 123), Qt::UTC));
        QCOMPARE(std::get<bool>(v[9]), true);
        QCOMPARE(std::get<QString>(v[10]), QStringLiteral("first line\r\nsecond "));
        QCOMPARE(std::get<QByteArray>(v[11]), QByteArray("\x00\x01\xFF", 3));
        QCOMPARE(std::get<QString>(v[12]), QStringLiteral("abc")); // the length byte counts
        QCOMPARE(std::get<QByteArray>(v[13]), QByteArray("\x01\x02", 2));
        QCOMPARE(std::get<QString>(v[14]), QStringLiteral("Ωé"));
        QCOMPARE(rs->fields()[14].width, 4); // characters
        QCOMPARE(rs->recordCount(), 1);
    }

    void nullBitsCountOnlyTheFieldsThatUseThem()
    {
        // A non-nullable field first takes no bit; a nullable V takes its length bit, then its null bit.
        DbfBuilder table(0x32);
        table.field("ID", 'I', 4, 0, 0x0C)
            .field("CITY", 'C', 6, 0, 0x02)
            .field("REGION", 'C', 6, 0, 0x02)
            .field("NOTE", 'V', 5, 0, 0x02)
            .field("_NullFlags", '0', 1, 0, 0x05);
        table.record({le32(1), "Bern", "", "x", QByteArray(1, '\x02')}); // bit 1: REGION
        table.record({le32(2), "", "Ost", "", QByteArray(1, '\x08')});   // bit 3: NOTE's null bit
        table.record({le32(3), "Chur", "", QByteArray("    \0", 5),
                      QByteArray(1, '\x04')}); // bit 2: NOTE's length bit
        writeFile(path("places.dbf"), table.bytes());
        auto rs = open(QStringLiteral("places"));
        QCOMPARE(std::get<QString>(rs->values()[1]), QStringLiteral("Bern  "));
        QVERIFY(isNull(rs->values()[2]));
        QCOMPARE(std::get<QString>(rs->values()[3]), QStringLiteral("x    "));
        rs->moveNext();
        QCOMPARE(std::get<QString>(rs->values()[1]), QStringLiteral("      ")); // blank text is not NULL
        QVERIFY(isNull(rs->values()[3]));
        rs->moveNext();
        QCOMPARE(std::get<QString>(rs->values()[3]), QString()); // length byte 0: an empty value
    }

    // A value that does not decode is NULL and counted, its record read; "Bad Values=refuse" refuses
    // the record instead, naming it.
    void blankValuesAreNullAndBadValuesNameTheirRecord_data()
    {
        QTest::addColumn<bool>("refuse");
        QTest::newRow("bad values null") << false;
        QTest::newRow("bad values refused") << true;
    }
    void blankValuesAreNullAndBadValuesNameTheirRecord()
    {
        QFETCH(bool, refuse);
        DbfBuilder table(0x30);
        // Fields of no width (Z, I, Y, M) hold nothing: columns of NULLs; the table still reads.
        table.field("N", 'N', 5, 1)
            .field("F", 'F', 6)
            .field("D", 'D', 8)
            .field("T", 'T', 8)
            .field("L", 'L', 1)
            .field("Z", 'C', 0)
            .field("I", 'I', 0)
            .field("Y", 'Y', 0)
            .field("M", 'M', 0);
        const QByteArray none;
        table.record({"", "", "", QByteArray(8, '\0'), " ", none, none, none, none});
        table.record({"*****", "  ", "00000000", QByteArray(8, ' '), "?", none, none, none, none});
        table.record({"1", "2", "20241301", dateTimeBytes(0, 0), "F", none, none, none, none},
                     true); // deleted: never read
        table.record({"12a", "2", "", QByteArray(8, '\0'), "N", none, none, none, none});
        table.record({"3.5", "", "2024O101", QByteArray(8, '\0'), "", none, none, none, none});
        table.record({"", "", "", dateTimeBytes(May3rd2013, 86400000), "", none, none, none, none});
        table.record({"", "", "", QByteArray(8, '\0'), "x", none, none, none, none});
        table.record({"-.5", "1e2", "20240229", dateTimeBytes(May3rd2013, 0), "y", none, none, none, none});
        writeFile(path("blanks.dbf"), table.bytes());
        auto rs = open(QStringLiteral("blanks"), refuse ? QStringLiteral("Bad Values=refuse;") : QString());
        QCOMPARE(rs->recordCount(), 7);
        for (int row = 0; row < 2; ++row) {
            for (const Value& value : rs->values())
                QVERIFY(isNull(value));
            rs->moveNext();
        }
        const QStringList problems = {
            QStringLiteral("record 4, field N"), QStringLiteral("record 5, field D"),
            QStringLiteral("record 6, field T"), QStringLiteral("record 7, field L")};
        const std::size_t bad[] = {0, 2, 3, 4};
        for (int row = 0; row < 4; ++row) {
            const QString error = errorOf([&] { rs->values(); });
            if (refuse)
                QVERIFY2(error.startsWith(path("blanks.dbf") + QStringLiteral(": ") + problems[row]),
                         qPrintable(error));
            else
                QVERIFY(error.isEmpty() && isNull(rs->values()[bad[row]]));
            rs->moveNext(); // a refused row is passed over
        }
        using Listed = UnreadableValues::Listed;
        const std::vector<Listed> listed = refuse ? std::vector<Listed>()
                                                  : std::vector<Listed>{{4, "N", "\"12a\""},
                                                                        {5, "D", "\"2024O101\""},
                                                                        {6, "T", "day 2456416, 86400000 ms"},
                                                                        {7, "L", "\"x\""}};
        QCOMPARE(rs->unreadableValues().values.firstValues, listed);
        QCOMPARE(std::get<Decimal>(rs->values()[0]).text, QStringLiteral("-0.5"));
        QCOMPARE(std::get<Decimal>(rs->values()[1]).text, QStringLiteral("100"));
        QCOMPARE(std::get<QDate>(rs->values()[2]), QDate(2024, 2, 29));
        QCOMPARE(std::get<bool>(rs->values()[4]), true);
        for (std::size_t zeroWidth = 5; zeroWidth < 9; ++zeroWidth)
            QVERIFY(isNull(rs->values()[zeroWidth]));
        QCOMPARE(rs->fields()[5].width, 0);
        rs->moveNext();
        QVERIFY(rs->eof());
    }

    // A date is a day of the Gregorian calendar from year 1 to 9999; any other is NULL and counted.
    // Zeros are an empty date, NULL without a count.
    void datesAreDaysOfTheCalendar_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QDate>("expected");
        QTest::addColumn<int>("counted");
        QTest::newRow("leap day, fourth year") << QByteArray("20240229") << QDate(2024, 2, 29) << 0;
        QTest::newRow("leap day, fourth century") << QByteArray("20000229") << QDate(2000, 2, 29) << 0;
        QTest::newRow("no leap day, century") << QByteArray("19000229") << QDate() << 1;
        QTest::newRow("no leap day, 2023") << QByteArray("20230229") << QDate() << 1;
        QTest::newRow("April 31st") << QByteArray("20230431") << QDate() << 1;
        QTest::newRow("day 0") << QByteArray("20230100") << QDate() << 1;
        QTest::newRow("month 0") << QByteArray("20230015") << QDate() << 1;
        QTest::newRow("year 0") << QByteArray("00000315") << QDate() << 1;
        QTest::newRow("first day") << QByteArray("00010101") << QDate(1, 1, 1) << 0;
        QTest::newRow("last day") << QByteArray("99991231") << QDate(9999, 12, 31) << 0;
        QTest::newRow("zeros") << QByteArray("00000000") << QDate() << 0;
        QTest::newRow("zeros and blanks") << QByteArray("0000    ") << QDate() << 0;
    }
    void datesAreDaysOfTheCalendar()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QDate, expected);
        QFETCH(int, counted);
        DbfBuilder table(0x30);
        table.field("D", 'D', 8).record({stored});
        writeFile(path("dates.dbf"), table.bytes());
        auto rs = open(QStringLiteral("dates"));
        const Value& value = rs->values()[0];
        QCOMPARE(expected.isValid() ? std::get<QDate>(value) : QDate(), expected);
        QCOMPARE(isNull(value), !expected.isValid());
        QCOMPARE(rs->unreadableValues().values.count, counted);
    }

    // Deleted records are left out, or with "Deleted=mark" read too, with one more column telling
    // them, named so that no field has its name.
    void deletedRecordsAreSkippedOrMarked()
    {
        DbfBuilder table(0x30);
        table.field("ID", 'N', 1).field("DELETED", 'C', 1);
        table.record({"1", "a"}, true).record({"2", "b"}).record({"3", "c"}, true).record({"4", "d"});
        table.record({"5", "e"}, true);
        writeFile(path("gone.dbf"), table.bytes());
        auto skipped = open(QStringLiteral("gone"));
        QCOMPARE(skipped->recordCount(), 2);
        QCOMPARE(skipped->fields().size(), std::size_t(2));
        QCOMPARE(std::get<Decimal>(skipped->values()[0]).text, QStringLiteral("2"));
        auto marked = open(QStringLiteral("gone"), QStringLiteral("Deleted=mark;"));
        QCOMPARE(marked->recordCount(), 5);
        QCOMPARE(marked->fields().back().name, QStringLiteral("deleted_1"));
        QVERIFY(marked->fields().back().deletedMark);
        QStringList seen;
        for (; !marked->eof(); marked->moveNext())
            seen << std::get<Decimal>(marked->values()[0]).text + u':' +
                        QString::number(std::get<qint32>(marked->values()[2]));
        QCOMPARE(seen, (QStringList{"1:1", "2:0", "3:1", "4:0", "5:1"}));
    }

    void refusesDamagedHeaders_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");
        DbfBuilder good(0x30);
        good.field("NAME", 'C', 10).field("QTY", 'N', 4).record({"a", "1"});
        const QByteArray valid = good.bytes();
        QByteArray shortHeader = valid;
        shortHeader[8] = 20;
        shortHeader[9] = 0;
        QByteArray longHeader = valid;
        longHeader[9] = char(0x7F);
        QByteArray narrowRecord = valid;
        narrowRecord[10] = 5;
        QByteArray noFields = valid;
        noFields[32] = '\r';

        QTest::newRow("empty file") << QByteArray() << "too short to be a table";
        QTest::newRow("truncated header") << valid.left(31) << "too short to be a table";
        QTest::newRow("header length under 33") << shortHeader << "header length 20";
        QTest::newRow("header past the end") << longHeader << "runs past the end of the file";
        QTest::newRow("fields wider than the record") << narrowRecord << "the fields take 15 bytes";
        QTest::newRow("no fields") << noFields << "no fields";
        QTest::newRow("dBASE 7") << QByteArray("\x8C") + valid.mid(1) << "dBASE 7";
        QTest::newRow("dBASE II") << QByteArray("\x02") + valid.mid(1) << "dBASE II";
        QTest::newRow("unknown version") << QByteArray("\x45") + valid.mid(1) << "unknown version byte 0x45";
        QTest::newRow("text file") << QByteArray("this is text, not a table\n").repeated(4)
                                   << "bad.dbf is not a dBASE or FoxPro table.";
        QTest::newRow("unknown type")
            << DbfBuilder().field("X", 'O', 8).bytes() << "field 1 (X) has type 'O'";
        QTest::newRow("date of 10 bytes")
            << DbfBuilder().field("WHEN", 'D', 10).bytes() << "type D is 10 bytes";
        QTest::newRow("integer of 2 bytes") << DbfBuilder().field("I", 'I', 2).bytes() << "type I is 2 bytes";
        QTest::newRow("W text of an odd width")
            << DbfBuilder().field("W", 'W', 9).bytes() << "type W is 9 bytes";
        QTest::newRow("system field outside Visual FoxPro")
            << DbfBuilder(0x03).field("X", '0', 1).bytes() << "has type '0'";
        QTest::newRow("memo file missing")
            << DbfBuilder().field("M", 'M', 4).bytes() << "memo file is missing";
    }

    void refusesDamagedHeaders()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        writeFile(path("bad.dbf"), bytes);
        const QString error = errorOf([&] { open(QStringLiteral("bad")); });
        QVERIFY2(error.startsWith(path("bad.dbf")), qPrintable(error));
        QVERIFY2(error.contains(problem), qPrintable(error));
    }

    void readsTheWholeRecordsOfAShortFileAndReportsTheShortfall()
    {
        DbfBuilder table(0x30);
        table.field("ID", 'N', 3).record({"1"}).record({"2"}, true).record({"3"});
        QByteArray bytes = table.bytes(1000000); // the header promises far more than the file holds
        bytes.chop(3);                           // no end mark, and half of record 3 gone
        writeFile(path("short.dbf"), bytes);
        auto rs = open(QStringLiteral("short"));
        QCOMPARE(rs->recordCount(), 1);
        QCOMPARE(std::get<Decimal>(rs->values()[0]).text, QStringLiteral("1"));
        rs->moveNext();
        const QString error = errorOf([&] { rs->values(); });
        QVERIFY2(error.contains(QLatin1String("header counts 1000000 records but the file holds only 2")),
                 qPrintable(error));
        rs->moveNext();
        QVERIFY(rs->eof());

        // The end-of-file mark ends the records even when bytes follow it: they are no records.
        DbfBuilder padded(0x30);
        padded.field("NAME", 'C', 7).record({"Ann"}).record({"Bob"});
        writeFile(path("padded.dbf"), padded.bytes(4) + QByteArray(20, 'x'));
        rs = open(QStringLiteral("padded"));
        QCOMPARE(rs->recordCount(), 2);
        rs->moveNext();
        rs->moveNext();
        const QString padding = errorOf([&] { rs->values(); });
        QVERIFY2(padding.contains(QLatin1String("header counts 4 records but the file holds only 2")),
                 qPrintable(padding));
        rs->moveNext();
        QVERIFY(rs->eof());
    }

    // A memo file whose header is unusable refuses its table; a damaged memo costs its own value only.
    void hostileMemoFiles_data()
    {
        QTest::addColumn<QByteArray>("memo");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<quint32>("block");
        QTest::addColumn<QString>("refusal");
        FptBuilder fpt;
        const quint32 good = fpt.memo("hello");
        QByteArray zeroBlocks = fpt.bytes();
        zeroBlocks[6] = zeroBlocks[7] = 0;
        QByteArray hugeBlocks = fpt.bytes();
        hugeBlocks[6] = hugeBlocks[7] = char(0xFF);
        QByteArray hugeLength = fpt.bytes();
        hugeLength.replace(good * 64 + 4, 4, QByteArray("\x7F\xFF\xFF\xFF", 4));
        QByteArray noMemoStart = fpt.bytes() + QByteArray(64, 'x');
        QByteArray dBase4(512, '\0');
        dBase4 += QByteArray("\xFF\xFF\x08\x00\x04\x00\x00\x00", 8) + QByteArray(504, ' ');
        const QString none;
        QTest::newRow("pointer past the end") << fpt.bytes() << "FPT" << quint32(4000000000u) << none;
        QTest::newRow("huge memo length") << hugeLength << "FPT" << good << none;
        QTest::newRow("huge block size") << hugeBlocks << "FPT" << good << none;
        QTest::newRow("no memo starts there") << noMemoStart << "FPT" << good + 1 << none;
        QTest::newRow("dBASE IV length under its header") << dBase4 << "dbt" << quint32(1) << none;
        QTest::newRow("header cut short")
            << QByteArray(5, '\0') << "FPT" << good << "too short to have a header";
        QTest::newRow("block size zero") << zeroBlocks << "FPT" << good << "block size is 0";
    }

    void hostileMemoFiles()
    {
        QFETCH(QByteArray, memo);
        QFETCH(QString, extension);
        QFETCH(quint32, block);
        QFETCH(QString, refusal);
        writeFile(path("notes.") + extension, memo); // found whatever its case
        const bool fpt = extension == QLatin1String("FPT");
        DbfBuilder table(fpt ? 0x30 : 0x8B);
        const auto pointer = [&](quint32 at) {
            return fpt ? le32(at) : QByteArray::number(at).rightJustified(10);
        };
        table.field("ID", 'C', 2).field("TEXT", 'M', fpt ? 4 : 10);
        table.record({"a", pointer(block)}).record({"b", pointer(block)}).record({"c", pointer(0)});
        writeFile(path("notes.dbf"), table.bytes());
        if (!refusal.isEmpty()) {
            const QString error = errorOf([&] { open(QStringLiteral("notes")); });
            QVERIFY2(error.contains(QLatin1String("notes")) && error.contains(refusal), qPrintable(error));
            return;
        }
        auto rs = open(QStringLiteral("notes"));
        for (const char* id : {"a ", "b "}) {
            QCOMPARE(std::get<QString>(rs->values()[0]), QString::fromLatin1(id));
            QVERIFY(isNull(rs->values()[1]));
            rs->moveNext();
        }
        QCOMPARE(std::get<QString>(rs->values()[1]), QString());
        QCOMPARE(rs->unreadableValues().memos.count, 2);
        QCOMPARE(rs->unreadableValues().memos.firstRecords, (std::vector<qint64>{1, 2}));
    }

    void readsDBaseMemosAndTenDigitPointers()
    {
        QByteArray dbt(512, '\0');
        dbt += "dBASE III text\x1A\x1A" + QByteArray(512 - 16, '\0');
        dbt += "runs to the end";
        writeFile(path("old.dbt"), dbt);
        DbfBuilder table(0x83, 0x00);
        table.field("MEMO", 'M', 10).record({"         1"}).record({"2"}).record({"          "});
        writeFile(path("old.dbf"), table.bytes());
        auto rs = open(QStringLiteral("old"));
        QCOMPARE(rs->fields()[0].type, AdoType::LongVarChar);
        QCOMPARE(std::get<QString>(rs->values()[0]), QStringLiteral("dBASE III text"));
        rs->moveNext();
        QCOMPARE(std::get<QString>(rs->values()[0]), QStringLiteral("runs to the end"));
        rs->moveNext();
        QCOMPARE(std::get<QString>(rs->values()[0]), QString());
    }

    void decodesTextInTheTablesCodePage_data()
    {
        QTest::addColumn<int>("mark");
        QTest::addColumn<QString>("choice"); // for tables that name no code page
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString none;
        QTest::newRow("Mazovia") << 0x69 << none << QByteArray("\x86\x8D\x92\x9E\xA4\xA7")
                                 << QStringLiteral("ąćłśńż");
        QTest::newRow("Kamenicky") << 0x68 << none << QByteArray("\x80\x87\x9B\xA6\xA8")
                                   << QStringLiteral("ČčŠŮš");
        QTest::newRow("Russian DOS") << 0x65 << none << QByteArray("\x8C\xAE\xE1") << QStringLiteral("Мос");
        QTest::newRow("Eastern European Windows")
            << 0xC8 << none << QByteArray("\x8A\xB9") << QStringLiteral("Šą");
        QTest::newRow("Chinese Windows")
            << 0x7A << none << QByteArray("\xD6\xD0\xCE\xC4") << QStringLiteral("中文");
        QTest::newRow("Japanese Windows, bytes only Windows maps")
            << 0x7B << none << QByteArray("\x80\xA0\xFD\xFE\xFF")
            << QStringLiteral("\u0080\uF8F0\uF8F1\uF8F2\uF8F3");
        QTest::newRow("Japanese Windows, pairs and half-width")
            << 0x7B << none << QByteArray("\x82\xA0\xB1\x81\x80") << QStringLiteral("あｱ÷");
        QTest::newRow("Japanese Windows, lead bytes without their trail")
            << 0x7B << none << QByteArray("\x85|ab\x82") << QStringLiteral("\uFFFD|ab\uFFFD");
        QTest::newRow("no mark") << 0x00 << none << QByteArray("\x80\xE9") << QStringLiteral("€é");
        QTest::newRow("unknown mark") << 0xEE << none << QByteArray("\x80\x8D") << QStringLiteral("€\u008D");
        QTest::newRow("no mark, 866 chosen")
            << 0x00 << "866" << QByteArray("\x8C\xAE\xE1") << QStringLiteral("Мос");
        QTest::newRow("no mark, guess") << 0x00 << "guess" << encoded(Russian, 866) << Russian;
        QTest::newRow("no mark, ASCII, guess") << 0x00 << "guess" << QByteArray("Moscow") << "Moscow";
        QTest::newRow("no mark, ASCII, 866") << 0x00 << "866" << QByteArray("Moscow") << "Moscow";
        QTest::newRow("named, 866 chosen") << 0xC9 << "866" << encoded(Russian, 1251) << Russian;
        QTest::newRow("named, guess") << 0x03 << "guess" << encoded(Russian, 1251)
                                      << foxpro::CodePage(1252).decode(encoded(Russian, 1251));
    }

    void decodesTextInTheTablesCodePage()
    {
        QFETCH(int, mark);
        QFETCH(QString, choice);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        writeFile(path("words.dbf"),
                  DbfBuilder(0x30, quint8(mark)).field("W", 'C', bytes.size()).record({bytes}).bytes());
        m_connection = std::make_unique<Connection>();
        m_connection->open(source(m_dir.path()) +
                           (choice.isEmpty() ? QString() : "Code Page=" + choice + ';'));
        auto rs = m_connection->openRecordSet(QStringLiteral("SELECT * FROM `words`"));
        QCOMPARE(std::get<QString>(rs->values()[0]), text);
        const bool named = foxpro::CodePage::namedByMark(quint8(mark)) != 0;
        QCOMPARE(rs->textCodePage().origin, named ? "header" : choice == "guess" ? "guess" : "user");
    }

    // The guess on texts in each code page; short texts and texts in two code pages fall back.
    void guessesTheCodePageOfText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("written"); // the code page whose reading must come out, 0: must fall back
        QString ukrainianDos = Ukrainian;
        ukrainianDos.replace(u'і', u'i')
            .replace(u'І', u'I'); // code page 866 has no і: DOS used the Latin one
        const std::vector<std::tuple<const char*, QString, int>> texts = {
            {"Russian", Russian, 866},      {"Russian", Russian, 1251}, {"Ukrainian", ukrainianDos, 866},
            {"Ukrainian", Ukrainian, 1251}, {"Polish", Polish, 852},    {"Polish", Polish, 1250},
            {"Czech", Czech, 852},          {"Czech", Czech, 1250},     {"Greek", Greek, 737},
            {"Greek", Greek, 1253},         {"Turkish", Turkish, 857},  {"Turkish", Turkish, 1254},
            {"Western", Western, 437},      {"Western", Western, 850},  {"Western", Western, 1252},
        };
        for (const auto& [language, text, page] : texts)
            QTest::addRow("%s %d", language, page) << encoded(text, page) << page;
        QTest::newRow("ASCII only") << QByteArray("Plain names, no accents at all") << 0;
        QTest::newRow("short Russian") << encoded(QStringLiteral("Да, Юг"), 866) << 0;
        QTest::newRow("short Polish") << encoded(QStringLiteral("Łódź, Kraków"), 1250) << 0;
        QTest::newRow("Russian in two pages") << encoded(Russian, 866) + encoded(Russian, 1251) << 0;
        QTest::newRow("Greek and Russian DOS") << encoded(Greek, 737) + encoded(Russian, 866) << 0;
    }

    void guessesTheCodePageOfText()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, written);
        foxpro::CodePageGuess guess;
        for (qsizetype at = 0; at < text.size(); at += 7) // fed field by field
            guess.add(text.mid(at, 7));
        const int guessed = guess.bestCodePage();
        if (written == 0)
            QCOMPARE(guessed, 1252);
        else // a code page that reads the text alike serves as well (437 and 850 for most Western text)
            QCOMPARE(foxpro::CodePage(guessed).decode(text), foxpro::CodePage(written).decode(text));
    }

    void listsFolderTablesAndRefusesMissingSources()
    {
        writeFile(path("Orders.DBF"), DbfBuilder().field("A", 'C', 1).bytes());
        writeFile(path("customers.dbf"), DbfBuilder().field("A", 'C', 1).bytes());
        writeFile(path("broken.dbf"), "not a table");
        writeFile(path("readme.txt"), "x");
        writeFile(path("Twin.dbf"), DbfBuilder().field("A", 'C', 1).bytes());
        writeFile(path("twin.DBF"), DbfBuilder().field("B", 'C', 1).bytes());
        Connection connection;
        connection.open(source(m_dir.path() + QLatin1Char('/')));
        QStringList names;
        for (auto rs = connection.openSchema(Connection::SchemaTables); !rs->eof(); rs->moveNext())
            names << std::get<QString>(rs->value(QStringLiteral("TABLE_NAME")));
        QCOMPARE(names, QStringList({"broken", "customers", "orders", "twin"}));
        // Names that differ only in case cannot both become tables: neither is read, both are named.
        QCOMPARE(errorOf([&] { connection.openRecordSet(QStringLiteral("SELECT * FROM `twin`")); }),
                 m_dir.path() +
                     QStringLiteral("/: the files Twin.dbf and twin.DBF would both become table twin, "
                                    "and SQL Server does not tell table names apart by letter "
                                    "case; rename all but one of them."));
        QVERIFY(
            errorOf([&] { connection.execute(QStringLiteral("DELETE FROM orders")); }).contains("read only"));
        QVERIFY(errorOf([&] {
                    connection.openRecordSet(QStringLiteral("SELECT * FROM `nothere`"));
                }).contains(QLatin1String("no table named nothere")));

        const QString missing = path("gone");
        Connection other;
        QCOMPARE(errorOf([&] { other.open(source(missing)); }),
                 missing + QStringLiteral(": no such folder or file."));
        QVERIFY(errorOf([&] {
                    other.open(QStringLiteral("Provider=vfpoledb.1;Data Source=;"));
                }).contains("empty"));
    }

    void readsADatabaseContainer()
    {
        QDir(m_dir.path()).mkdir(QStringLiteral("Data"));
        writeFile(
            path("Data/Long File.DBF"),
            DbfBuilder().field("CUSTOMERNA", 'C', 5).field("AMOUNT", 'N', 3).record({"Ann", "7"}).bytes());
        FptBuilder dct;
        const auto prop = [](quint8 id, const QByteArray& value) {
            return le32(quint32(7 + value.size())) + QByteArray("\x01\x00", 2) + char(id) + value;
        };
        const quint32 tableProps =
            dct.memo(prop(2, "\x01") + prop(1, QByteArray("data\\long file.dbf\0", 19)));
        writeFile(path("shop.dct"), dct.bytes());
        DbfBuilder dbc(0x30);
        dbc.field("OBJECTID", 'I', 4)
            .field("PARENTID", 'I', 4)
            .field("OBJECTTYPE", 'C', 10)
            .field("OBJECTNAME", 'C', 128)
            .field("PROPERTY", 'M', 4, 0, 0x04);
        dbc.record({le32(1), le32(1), "Database", "Database", le32(0)});
        dbc.record({le32(6), le32(1), "Table", "Customer_Orders", le32(tableProps)});
        dbc.record({le32(7), le32(6), "Field", "customername", le32(0)});
        dbc.record({le32(8), le32(6), "Field", "amount", le32(0)});
        dbc.record({le32(9), le32(1), "View", "big_orders", le32(0)});
        dbc.record({le32(10), le32(1), "Table", "Dropped", le32(0)}, true);
        dbc.record({le32(11), le32(1), "Table", "Damaged", le32(4000000)}); // properties past the end
        writeFile(path("shop.dbc"), dbc.bytes());

        Connection connection;
        connection.open(source(path("shop.dbc")));
        QStringList listed;
        for (auto rs = connection.openSchema(Connection::SchemaTables); !rs->eof(); rs->moveNext())
            listed << std::get<QString>(rs->values()[0]) + QLatin1Char('=') +
                          std::get<QString>(rs->values()[1]);
        QCOMPARE(listed, QStringList({"big_orders=VIEW", "Customer_Orders=TABLE", "Damaged=TABLE"}));
        auto rs = connection.openRecordSet(QStringLiteral("SELECT * FROM `customer_orders`"));
        QCOMPARE(rs->fields()[0].name, QStringLiteral("customername"));
        QCOMPARE(std::get<QString>(rs->values()[0]), QStringLiteral("Ann  "));
        QVERIFY(errorOf([&] {
                    connection.openRecordSet(QStringLiteral("SELECT * FROM `BIG_ORDERS`"));
                }).contains(QLatin1String("is a view")));
        // A table whose properties cannot be read fails alone, naming itself and the damage.
        const QString damaged =
            errorOf([&] { connection.openRecordSet(QStringLiteral("SELECT * FROM `damaged`")); });
        QVERIFY2(damaged.startsWith(path("shop.dbc") + QStringLiteral(": the properties of table Damaged")) &&
                     damaged.contains(QLatin1String("record 7: memo block 4000000 lies past the end")),
                 qPrintable(damaged));

        // A table that is no container, under a container's name, is refused naming it.
        writeFile(path("plain.dbc"), DbfBuilder().field("A", 'C', 1).bytes());
        Connection plain;
        QCOMPARE(errorOf([&] { plain.open(source(path("plain.dbc"))); }),
                 path("plain.dbc") + QStringLiteral(": not a database container."));
    }
};

QTEST_GUILESS_MAIN(TestFoxProReader)
#include "TestFoxProReader.moc"
