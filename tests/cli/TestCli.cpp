// ferrandine-cli's commands on a small table written byte by byte.
#include "tests/support/DbfBuilder.h"
#include "tests/support/SharedFiles.h"

#include "cli/Cli.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

struct Result
{
    int code;
    QString out;
    QString err;
};

Result run(const QStringList& arguments)
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int code = cli::run(arguments, out, err);
    return {code, QString::fromUtf8(out.data()), QString::fromUtf8(err.data())};
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        FptBuilder memo;
        const quint32 note = memo.memo("two\nlines \"quoted\"");
        writeFile(m_dir.filePath(QStringLiteral("people.fpt")), memo.bytes());
        DbfBuilder people(0x30);
        people.field("NAME", 'C', 6)
            .field("SINCE", 'D', 8)
            .field("SEEN", 'T', 8)
            .field("PAID", 'Y', 8, 4)
            .field("RATE", 'B', 8)
            .field("OK", 'L', 1)
            .field("NOTE", 'M', 4)
            .field("PIC", 'W', 4)
            .field("QTY", 'N', 5, 1);
        double rate = 0.1;
        const QByteArray rateBytes(reinterpret_cast<const char*>(&rate), 8);
        people.record({"O'Neil", "20210831", dateTimeBytes(2459458, 45296007), le64(125000), rateBytes, "T",
                       le32(note), le32(0), " 12.5"});
        people.record({"Zo\xEB", "", QByteArray(8, '\0'), le64(quint64(-1)), QByteArray(8, '\0'), "F",
                       le32(0), le32(0), ""});
        people.record({"bad", "2021x831", QByteArray(8, '\0'), le64(0), QByteArray(8, '\0'), "?", le32(0),
                       le32(0), "*****"});
        writeFile(m_dir.filePath(QStringLiteral("People.DBF")), people.bytes());
        writeFile(m_dir.filePath(QStringLiteral("empty.dbf")), DbfBuilder().field("A", 'I', 4).bytes());
    }

    void listsTables()
    {
        const Result r = run({QStringLiteral("tables"), m_dir.path()});
        QCOMPARE(r.out, QStringLiteral("empty\t1252\theader\npeople\t1252\theader\n"));
        QCOMPARE(r.code, 0);
        // The code page of a table that names none: the user's, or a guess; a wrong choice is refused.
        writeFile(m_dir.filePath(QStringLiteral("dos.dbf")),
                  DbfBuilder(0x03, 0).field("A", 'C', 3).record({"\x8C\xAE\xE1"}).bytes());
        QCOMPARE(run({"tables", "--source-code-page", "866", m_dir.path()}).out.section('\n', 0, 0),
                 "dos\t866\tuser");
        QCOMPARE(run({"tables", m_dir.path(), "--source-code-page", "guess"}).out.section('\n', 0, 0),
                 "dos\t1252\tguess");
        QCOMPARE(run({"rows", "--source-code-page", "866", m_dir.path(), "dos"}).out.section('\n', 1, 1),
                 "[\"Мос\"]");
        const Result wrong = run({"tables", m_dir.path(), "--source-code-page", "65001"});
        QCOMPARE(wrong.code, 1);
        QVERIFY2(wrong.err.contains("\"65001\" is neither a code page this reader knows nor \"guess\""),
                 qPrintable(wrong.err));
        QFile::remove(m_dir.filePath(QStringLiteral("dos.dbf")));
    }

    void listsColumnsWithTheirMapping()
    {
        const Result r = run({QStringLiteral("columns"), m_dir.path(), QStringLiteral("PEOPLE")});
        const QStringList lines = r.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QStringLiteral("name\t129\tadChar\tchar\tVARCHAR(8000)"));
        QCOMPARE(lines.at(8), QStringLiteral("qty\t131\tadNumeric\tnumeric\tNUMERIC(5,1)"));
        QCOMPARE(r.code, 0);
    }

    // A bad value is null and reported in one line after the rows; --bad-values refuse leaves its
    // record out with the reader's error instead.
    void printsRowsAsJsonLinesAndReportsABadRecord()
    {
        const Result r = run({QStringLiteral("rows"), m_dir.path(), QStringLiteral("people")});
        const QStringList lines = r.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 5); // header, three records, the end of the last line
        QVERIFY(lines[0].startsWith(QStringLiteral("{\"table\":\"people\",\"columns\":[{\"name\":\"name\","
                                                   "\"type\":129,\"width\":6,\"decimals\":0},")));
        QVERIFY(lines[0].endsWith(
            QStringLiteral("{\"name\":\"qty\",\"type\":131,\"width\":5,\"decimals\":1}]}")));
        QCOMPARE(lines[1],
                 QStringLiteral("[\"O'Neil\",\"2021-08-31\",\"2021-08-31T12:34:56.007\",\"12.5000\",0.1,true,"
                                "\"two\\nlines \\\"quoted\\\"\",{\"hex\":\"\"},\"12.5\"]"));
        QCOMPARE(lines[2],
                 QStringLiteral("[\"Zo\u00EB   \",null,null,\"-0.0001\",0,false,\"\",{\"hex\":\"\"},null]"));
        QCOMPARE(lines[3],
                 QStringLiteral("[\"bad   \",null,null,\"0.0000\",0,null,\"\",{\"hex\":\"\"},null]"));
        QCOMPARE(r.err,
                 QStringLiteral("ferrandine-cli: 1 value of table people could not be read and was left "
                                "empty: record 3 (SINCE: \"2021x831\")\n"));
        QCOMPARE(r.code, 1);
        const Result refused =
            run({QStringLiteral("rows"), m_dir.path(), QStringLiteral("people"), "--bad-values", "refuse"});
        QCOMPARE(refused.out.count(u'\n'), 3);
        QCOMPARE(refused.err,
                 QStringLiteral("ferrandine-cli: ") + m_dir.filePath(QStringLiteral("People.DBF")) +
                     QStringLiteral(": record 3, field SINCE: date \"2021x831\" is not valid.\n"));
        QCOMPARE(refused.code, 1);
    }

    // Each kind of value that does not decode, in the first and the last record and several in one
    // row: every record arrives, and one line per kind follows the rows.
    void unreadableValuesAreNullAndReportedOnce_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("printed");
        QTest::addColumn<QString>("error");
        const QString valuesLine = QStringLiteral(
            "ferrandine-cli: 6 values of table odd could not be read and were left empty: record 1 (BORN: "
            "\"NotAYear\", OK: \"x\"), record 3 (RATE: NaN), record 4 (RATE: -Infinity), record 5 (SEEN: day "
            "2456416, 86400000 ms), ...\n");
        const QString charactersLine = QStringLiteral(
            "ferrandine-cli: 1 value of table odd holds bytes that are no character of its code "
            "page, read as U+FFFD: record 4 (NAME)\n");
        QTest::newRow("null") << QStringList()
                              << QStringList{"[null,null,1.5,null,\"a\"]",
                                             "[\"2013-05-03\",true,2,\"2013-05-03T00:00:00\",\"b\"]",
                                             "[null,false,null,null,\"c\"]",
                                             "[null,false,null,null,\"\uFFFD\"]",
                                             "[null,false,3,null,\"e\"]",
                                             "[null,null,4,null,\"f\"]"}
                              << valuesLine + charactersLine;
        QTest::newRow("refuse") << QStringList{"--bad-values", "refuse"}
                                << QStringList{"[\"2013-05-03\",true,2,\"2013-05-03T00:00:00\",\"b\"]"}
                                << QStringLiteral("record 6, field OK: logical \"Q\" is not valid");
    }
    void unreadableValuesAreNullAndReportedOnce()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, printed);
        QFETCH(QString, error);
        const auto number = [](double value) { return QByteArray(reinterpret_cast<const char*>(&value), 8); };
        const QByteArray noon = dateTimeBytes(2456416, 0);
        QTemporaryDir dir;
        DbfBuilder odd(0x30, 0x7B); // code page 932
        odd.field("BORN", 'D', 8).field("OK", 'L', 1).field("RATE", 'B', 8).field("SEEN", 'T', 8);
        odd.field("NAME", 'C', 1);
        odd.record({"NotAYear", "x", number(1.5), QByteArray(8, '\0'), "a"});
        odd.record({"20130503", "T", number(2), noon, "b"});
        odd.record({"", "F", number(std::nan("")), QByteArray(8, '\0'), "c"});
        odd.record({"", "F", number(-INFINITY), QByteArray(8, '\0'), "\x82"}); // a lead byte cut off
        odd.record({"", "F", number(3), dateTimeBytes(2456416, 86400000), "e"});
        odd.record({"", "Q", number(4), QByteArray(8, '\0'), "f"});
        writeFile(dir.filePath(QStringLiteral("odd.dbf")), odd.bytes());
        const Result r = run(QStringList{QStringLiteral("rows")} + options + QStringList{dir.path(), "odd"});
        QCOMPARE(r.out.section(u'\n', 1).split(u'\n', Qt::SkipEmptyParts), printed);
        QVERIFY2(options.isEmpty() ? r.err == error : r.err.contains(error), qPrintable(r.err));
        QCOMPARE(r.code, 1);
    }

    // FoxPro 2.x and dBASE IV write an empty N or F field with decimals as blanks around the point;
    // some writers group the digits with commas. A number that does not decode is null, reported.
    void readsNumbersAsTheirWritersStoreThem_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("problem");
        const QString none;
        QTest::newRow("FoxPro 2.x, empty") << 0xF5 << QByteArray("   .  ") << "null" << none;
        QTest::newRow("dBASE IV, empty") << 0x8B << QByteArray(" .  ") << "null" << none;
        QTest::newRow("NUL padding") << 0xF5 << QByteArray("\0\0.\0\0", 5) << "null" << none;
        QTest::newRow("value") << 0xF5 << QByteArray("  -1.5") << "\"-1.5\"" << none;
        QTest::newRow("decimal comma") << 0xF5 << QByteArray("  12,5") << "\"12.5\"" << none;
        QTest::newRow("leading zeros") << 0xF5 << QByteArray(" -007.50") << "\"-7.50\"" << none;
        QTest::newRow("point without decimals") << 0xF5 << QByteArray("    5.") << "\"5\"" << none;
        QTest::newRow("thousands separator") << 0x30 << QByteArray("1,200.00") << "\"1200.00\"" << none;
        QTest::newRow("thousands and millions")
            << 0x30 << QByteArray("-1,234,567.5") << "\"-1234567.5\"" << none;
        QTest::newRow("groups of two") << 0x30 << QByteArray("1,20.00") << "null"
                                       << "\"1,20.00\"";
        QTest::newRow("comma without decimals") << 0x30 << QByteArray("1,200,000") << "null"
                                                << "\"1,200,000\"";
        QTest::newRow("point before comma") << 0x30 << QByteArray("1.200,50") << "null"
                                            << "\"1.200,50\"";
        QTest::newRow("not a number") << 0x30 << QByteArray("  nan") << "null"
                                      << "\"nan\"";
        QTest::newRow("lone sign") << 0xF5 << QByteArray("   -   ") << "null"
                                   << "\"-\"";
        QTest::newRow("letters") << 0x8B << QByteArray("  ab   ") << "null"
                                 << "\"ab\"";
        QTest::newRow("two points") << 0x8B << QByteArray("  ..   ") << "null"
                                    << "\"..\"";
    }

    void readsNumbersAsTheirWritersStoreThem()
    {
        QFETCH(int, version);
        QFETCH(QByteArray, stored);
        QFETCH(QString, printed);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        DbfBuilder table(quint8(version), 0);
        table.field("AMOUNT", 'N', 12, 2).field("RATIO", 'F', 20, 18).record({stored, stored});
        writeFile(dir.filePath(QStringLiteral("figures.dbf")), table.bytes());
        const Result r = run({QStringLiteral("rows"), dir.path(), QStringLiteral("figures")});
        QCOMPARE(r.out.section(u'\n', 1, 1), QStringLiteral("[%1,%1]").arg(printed));
        QCOMPARE(r.err, problem.isEmpty()
                            ? QString()
                            : QStringLiteral("ferrandine-cli: 2 values of table figures could not "
                                             "be read and were left empty: record 1 (AMOUNT: %1, "
                                             "RATIO: %1)\n")
                                  .arg(problem));
        QCOMPARE(r.code, problem.isEmpty() ? 0 : 1);
    }

    // A missing memo file refuses the table unless --missing-memo empty; a damaged memo value is
    // null, its row printed, and one line tells which records lost theirs.
    void memoProblemsCostOnlyTheirText_data()
    {
        QTest::addColumn<bool>("memoFile");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("error");
        const QString lost = QStringLiteral("ferrandine-cli: 2 memo values of table notes could not be read "
                                            "and were left empty: records 1, 3\n");
        QTest::newRow("missing") << false << QStringList() << QString() << "memo file is missing";
        QTest::newRow("missing, refuse")
            << false << QStringList{"--missing-memo", "refuse"} << QString() << "memo file is missing";
        QTest::newRow("missing, empty") << false << QStringList{"--missing-memo", "empty"}
                                        << "[\"a\",null][\"b\",null][\"c\",null]" << QString();
        QTest::newRow("damaged") << true << QStringList() << "[\"a\",null][\"b\",\"kept\"][\"c\",null]"
                                 << lost;
        QTest::newRow("damaged, empty") << true << QStringList{"--missing-memo", "empty"}
                                        << "[\"a\",null][\"b\",\"kept\"][\"c\",null]" << lost;
        QTest::newRow("wrong word")
            << true << QStringList{"--missing-memo", "skip"} << QString()
            << "ferrandine-cli rows: --missing-memo takes refuse or empty, not \"skip\"\n";
    }

    void memoProblemsCostOnlyTheirText()
    {
        QFETCH(bool, memoFile);
        QFETCH(QStringList, options);
        QFETCH(QString, printed);
        QFETCH(QString, error);
        QTemporaryDir dir;
        FptBuilder memo;
        const quint32 kept = memo.memo("kept");
        if (memoFile)
            writeFile(dir.filePath(QStringLiteral("notes.fpt")), memo.bytes());
        DbfBuilder notes(0x30);
        notes.field("ID", 'C', 1).field("TEXT", 'M', 4);
        notes.record({"a", le32(900)}).record({"b", le32(kept)}).record({"c", le32(kept + 7)});
        writeFile(dir.filePath(QStringLiteral("notes.dbf")), notes.bytes());
        const Result r =
            run(QStringList{QStringLiteral("rows")} + options + QStringList{dir.path(), "notes"});
        QCOMPARE(r.out.section(QLatin1Char('\n'), 1).remove(QLatin1Char('\n')), printed);
        QVERIFY2(error.contains(QLatin1String("memo values")) ? r.err == error : r.err.contains(error),
                 qPrintable(r.err));
        QCOMPARE(r.code, error.isEmpty() ? 0 : 1);
    }

    void printsTheStatementsOfEveryTableInTheRunsOrder()
    {
        const Result r = run({QStringLiteral("sql"), m_dir.path()});
        const QStringList lines = r.out.split(QLatin1Char('\n'));
        QCOMPARE(lines[0],
                 QStringLiteral(
                     "CREATE TABLE [people]([name] VARCHAR(8000),[since] TEXT,[seen] TEXT,[paid] "
                     "TEXT,[rate] FLOAT,[ok] TEXT,[note] TEXT,[pic] VARBINARY(MAX),[qty] NUMERIC(5,1));"));
        QCOMPARE(
            lines[1],
            QStringLiteral("INSERT INTO [people] VALUES('O''Neil', '2021-08-31', '2021-08-31 12:34:56.007', "
                           "'12.5', '0.1', 'True', 'two"));
        QCOMPARE(
            lines[3],
            QStringLiteral("INSERT INTO [people] VALUES('Zo\u00EB   ', NULL, NULL, '-0.0001', '0', 'False', "
                           "NULL, NULL, NULL)"));
        QCOMPARE(lines[4], QStringLiteral("INSERT INTO [people] VALUES('bad   ', NULL, NULL, '0', '0', NULL, "
                                          "NULL, NULL, NULL)"));
        QCOMPARE(lines[5], QStringLiteral("CREATE TABLE [empty]([a] INT);"));
        QCOMPARE(lines.size(), 7);
        QCOMPARE(r.code, 1); // the bad value of people
    }

    // Written for a database of code page 1251, which has no "ë": that column becomes national text;
    // under a collation that refuses TEXT such columns are VARCHAR(MAX), in its code page (932 has no "ë").
    void writesForTheCollationAndCodePageGiven()
    {
        const Result r = run({QStringLiteral("sql"), m_dir.path(), QStringLiteral("--code-page"),
                              QStringLiteral("1251"), QStringLiteral("people")});
        const QStringList lines = r.out.split(QLatin1Char('\n'));
        QVERIFY2(
            lines[0].startsWith(QStringLiteral("CREATE TABLE [people]([name] NVARCHAR(4000),[since] TEXT,")),
            qPrintable(lines[0]));
        QVERIFY2(lines[3].startsWith(QStringLiteral("INSERT INTO [people] VALUES(N'Zo\u00EB   ', NULL,")),
                 qPrintable(lines[3]));
        const Result columns = run({QStringLiteral("columns"), m_dir.path(), QStringLiteral("people"),
                                    QStringLiteral("--code-page"), QStringLiteral("1251")});
        QCOMPARE(columns.out.section(u'\n', 0, 0), QStringLiteral("name\t129\tadChar\tchar\tNVARCHAR(4000)"));
        const Result japanese =
            run({QStringLiteral("columns"), m_dir.path(), QStringLiteral("people"),
                 QStringLiteral("--collation"), QStringLiteral("Japanese_XJIS_140_CI_AS")});
        QCOMPARE(japanese.out.section(u'\n', 0, 1),
                 QStringLiteral("name\t129\tadChar\tchar\tNVARCHAR(4000)\n"
                                "since\t133\tadDBDate\tdate\tVARCHAR(MAX)"));
        const Result utf8 =
            run({QStringLiteral("sql"), m_dir.path(), QStringLiteral("people"), QStringLiteral("--collation"),
                 QStringLiteral("Latin1_General_100_CI_AS_SC_UTF8")});
        QVERIFY2(utf8.out.startsWith(
                     QStringLiteral("CREATE TABLE [people]([name] VARCHAR(8000),[since] VARCHAR(MAX),")),
                 qPrintable(utf8.out));
        const Result native = run({QStringLiteral("sql"), m_dir.path(), QStringLiteral("people"),
                                   QStringLiteral("--types"), QStringLiteral("native")});
        QCOMPARE(
            native.out.section(u'\n', 0, 0),
            QStringLiteral("CREATE TABLE [people]([name] VARCHAR(6),[since] DATE,[seen] DATETIME2(3),[paid] "
                           "MONEY,[rate] FLOAT,[ok] BIT,[note] VARCHAR(MAX),[pic] VARBINARY(MAX),[qty] "
                           "NUMERIC(5,1));"));
        QVERIFY2(native.out.section(u'\n', 1, 1)
                     .startsWith(QStringLiteral("INSERT INTO [people] VALUES('O''Neil', '2021-08-31', "
                                                "'2021-08-31T12:34:56.007', '12.5', '0.1', 1, 'two")),
                 qPrintable(native.out));
        QVERIFY(run({QStringLiteral("sql"), m_dir.path(), QStringLiteral("--types"), QStringLiteral("maybe")})
                    .err.contains(QLatin1String("--types takes design or native")));
        const Result wrong = run({QStringLiteral("sql"), m_dir.path(), QStringLiteral("--code-page")});
        QVERIFY(wrong.err.contains(QLatin1String("--code-page takes a code page number")));
        QCOMPARE(wrong.code, 1);
        QVERIFY(run({QStringLiteral("columns"), m_dir.path(), QStringLiteral("people"),
                     QStringLiteral("--collation")})
                    .err.contains(QLatin1String("--collation takes a collation name")));
    }

    // Keys and indexes from the .cdx files: listed with what they become, and added after the rows.
    void listsIndexesAndAddsThemAfterTheRows()
    {
        REQUIRE_SHARED("fixtures/real/VFPX-Samples");
        const QString northwind =
            SharedFiles::path(QStringLiteral("fixtures/real/VFPX-Samples/Northwind/northwind.dbc"));
        const Result listed = run({QStringLiteral("indexes"), northwind, QStringLiteral("OrderDetails")});
        QCOMPARE(
            listed.out.section(u'\n', 2, 2),
            QStringLiteral(
                "OrderDetails\tPRIMARYKEY\tprimary\tSTR(orderid)+STR(productid)\t\tALTER TABLE "
                "[OrderDetails] ADD CONSTRAINT [PK_OrderDetails] PRIMARY KEY ([orderid],[productid])\t"));
        QCOMPARE(listed.code, 0);
        const Result sql =
            run({QStringLiteral("sql"), northwind, QStringLiteral("Region"), QStringLiteral("--indexes")});
        const QStringList lines = sql.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.first(),
                 QStringLiteral(
                     "CREATE TABLE [Region]([regionid] INT NOT NULL,[regiondescription] VARCHAR(8000));"));
        QCOMPARE(lines.size(), 6); // the CREATE, four rows, the key
        QCOMPARE(lines.last(),
                 QStringLiteral("ALTER TABLE [Region] ADD CONSTRAINT [PK_Region] PRIMARY KEY ([regionid])"));
        // The dates of the orders are TEXT in the designed mapping, and SQL Server indexes no TEXT.
        const Result orders = run({QStringLiteral("indexes"), northwind, QStringLiteral("Orders")});
        QVERIFY2(orders.out.contains(
                     QLatin1String("not created\tregular index ORDERDATE (orderdate) is not created: "
                                   "column orderdate is TEXT on the target")),
                 qPrintable(orders.out));
    }

    void failsCleanlyOnBadCommandLinesAndSources()
    {
        const Result missing = run({QStringLiteral("tables"), m_dir.filePath(QStringLiteral("nowhere"))});
        QCOMPARE(missing.err, QStringLiteral("ferrandine-cli: %1: no such folder or file.\n")
                                  .arg(m_dir.filePath(QStringLiteral("nowhere"))));
        QCOMPARE(missing.code, 1);
        QCOMPARE(run({QStringLiteral("rows"), m_dir.path()}).code, 1);
        QVERIFY(run({QStringLiteral("frobnicate")}).err.contains(QLatin1String("unknown command")));
        const Result help = run({QStringLiteral("--help")});
        QCOMPARE(help.code, 0);
        QVERIFY(help.out.contains(QLatin1String("sql SOURCE [TABLE...] [--collation NAME] [--code-page N]")));
        QCOMPARE(run({}).code, 1);
        QCOMPARE(run({"rows", m_dir.path(), "people", "--deleted", "keep"}).err,
                 QStringLiteral("ferrandine-cli rows: --deleted takes skip or mark, not \"keep\"\n"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "TestCli.moc"
