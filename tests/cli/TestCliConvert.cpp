// ferrandine-cli convert, run as its own process against SQLite registered as "SQL Server".
#include "tests/convert/TargetDatabase.h"
#include "tests/support/DbfTableWriter.h"

#include <QDir>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Password = QStringLiteral("pw-never-shown-42");

struct Result
{
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class TestCliConvert : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerSqliteAsSqlServer(); }
    void init();

    void convertsEveryTable();
    void existingTableFollowsOverwrite();
    void failedStepsArePrintedAndGiveExitCode2();
    void missingMemoFileFollowsTheOption();
    void commandLineErrors_data();
    void commandLineErrors();
    void targetThatCannotBeReached();
    void verifyFindsWhatChangedBehindTheRun();

private:
    Result convert(const QStringList& options, const QByteArray& stdinText = Password.toUtf8() + "\n",
                   const QString& command = QStringLiteral("convert"));

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source;
    std::unique_ptr<TargetDatabase> m_target;
};

void TestCliConvert::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_source = m_dir->filePath("source");
    QVERIFY(QDir().mkpath(m_source));
    m_target = std::make_unique<TargetDatabase>(m_dir->filePath("target.db"));
    DbfTableWriter alpha({{"ID", 'I', 4}, {"NAME", 'C', 8}});
    alpha.addRow({"1", "Zoë"});
    alpha.addRow({"2", "O'Neil"});
    alpha.save(m_source + "/alpha.dbf");
    DbfTableWriter beta({{"N", 'N', 6, 2}});
    beta.addRow({"2.50"});
    beta.save(m_source + "/beta.dbf");
}

Result TestCliConvert::convert(const QStringList& options, const QByteArray& stdinText,
                               const QString& command)
{
    QProcess cli;
    cli.start(QStringLiteral(FERRANDINE_BIN_DIR "/ferrandine-cli"), QStringList{command} + options);
    cli.write(stdinText);
    cli.closeWriteChannel();
    if (!cli.waitForFinished(60000))
        return {};
    return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
            QString::fromUtf8(cli.readAllStandardError())};
}

void TestCliConvert::convertsEveryTable()
{
    // FoxPro 2.x and dBASE IV write an empty number with decimals as blanks around its point.
    for (const auto& [name, version] : {std::pair{"dos", 0xF5}, std::pair{"dbase", 0x8B}}) {
        DbfBuilder figures(quint8(version), 0);
        figures.field("AMOUNT", 'N', 7, 2).field("RATIO", 'F', 20, 18);
        figures.record({"   .  ", " .                  "}).record({"  1.25", "0.5"});
        writeFile(m_source + "/" + name + ".dbf", figures.bytes());
    }
    // Russian DOS text in a table whose header names no code page, read with the guess.
    const QString title = QStringLiteral("Рефакторинг. Улучшение существующего кода");
    QStringEncoder dos("IBM866");
    QVERIFY(dos.isValid());
    writeFile(m_source + "/books.dbf",
              DbfBuilder(0x03, 0).field("TITLE", 'C', title.size()).record({dos.encode(title)}).bytes());
    const Result result = convert({m_source, "--server", "db.example", "--port", "1500", "--database",
                                   m_dir->filePath("target.db"), "--user", "sa", "--password-stdin",
                                   "--source-code-page", "guess", "--verify"});
    QCOMPARE(result.err, QString());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out,
             QString("dos: 2 row(s) read, 3 statement(s) succeeded, 0 failed, 2 on the target.\n"
                     "dos: 2 rows read, 2 on the target: every value the same\n"
                     "dbase: 2 row(s) read, 3 statement(s) succeeded, 0 failed, 2 on the target.\n"
                     "dbase: 2 rows read, 2 on the target: every value the same\n"
                     "books: 1 row(s) read, 2 statement(s) succeeded, 0 failed, 1 on the target.\n"
                     "books: 1 row read, 1 on the target: every value the same\n"
                     "beta: 1 row(s) read, 2 statement(s) succeeded, 0 failed, 1 on the target.\n"
                     "beta: 1 row read, 1 on the target: every value the same\n"
                     "alpha: 2 row(s) read, 3 statement(s) succeeded, 0 failed, 2 on the target.\n"
                     "alpha: 2 rows read, 2 on the target: every value the same\n"
                     "Done: 5 table(s), 0 failed step(s).\n"));
    QCOMPARE(m_target->tables(), (QStringList{"alpha", "beta", "books", "dbase", "dos"}));
    QCOMPARE(m_target->rows("books"), (std::vector<QStringList>{{title}}));
    for (const char* name : {"dos", "dbase"})
        QCOMPARE(m_target->rows(name), (std::vector<QStringList>{{"", ""}, {"1.25", "0.5"}}));
    QCOMPARE(m_target->rows("alpha"), (std::vector<QStringList>{{"1", "Zoë     "}, {"2", "O'Neil  "}}));
    QCOMPARE(m_target->rows("beta"), (std::vector<QStringList>{{"2.5"}}));
}

void TestCliConvert::existingTableFollowsOverwrite()
{
    m_target->exec("CREATE TABLE alpha(old TEXT); INSERT INTO alpha VALUES('old');");
    const QStringList options{m_source,  "--server",   "x",
                              "--local", "--database", m_dir->filePath("target.db")};
    Result result = convert(options + QStringList{"--overwrite", "no"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.startsWith("Would you like to overwrite alpha? No (--overwrite no)\n"));
    QCOMPARE(m_target->rows("alpha"), (std::vector<QStringList>{{"old"}}));

    result = convert(options + QStringList{"--overwrite", "yes"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(m_target->rows("alpha").size(), std::size_t(2));

    // A source table cut short replaces the complete copy only with --damaged copy.
    DbfBuilder cut(0x30);
    cut.field("ID", 'I', 4).record({le32(1)}).record({le32(2)});
    writeFile(m_source + "/cut.dbf", cut.bytes().chopped(5 + 1));
    m_target->exec("CREATE TABLE cut(ID INT); INSERT INTO cut VALUES(1),(2);");
    result = convert(options + QStringList{"--overwrite", "yes"});
    QVERIFY2(result.out.contains(
                 QRegularExpression("^The source table cut is damaged: only 1 of its 2 records can "
                                    "be read. Overwrite anyway\\? .*cut.dbf.* No \\(--damaged "
                                    "skip\\)$",
                                    QRegularExpression::MultilineOption)),
             qPrintable(result.out));
    QCOMPARE(m_target->rows("cut").size(), std::size_t(2));
    result = convert(options + QStringList{"--overwrite", "yes", "--damaged", "copy"});
    QVERIFY2(result.out.contains("Overwrite anyway? "), qPrintable(result.out));
    QVERIFY2(result.out.contains(" Yes (--damaged copy)\n"), qPrintable(result.out));
    QCOMPARE(m_target->rows("cut").size(), std::size_t(1));
}

void TestCliConvert::failedStepsArePrintedAndGiveExitCode2()
{
    // An index holds the name: the catalogue lists no table of it, and the table's CREATE fails.
    DbfTableWriter taken({{"V", 'C', 3}});
    taken.addRow({"new"});
    taken.save(m_source + "/taken.dbf");
    m_target->exec("CREATE TABLE other(V TEXT); CREATE INDEX taken ON other(V);");
    qputenv("FERRANDINE_PASSWORD", Password.toUtf8());
    const Result result =
        convert({m_source, "--server", "x", "--database", m_dir->filePath("target.db")}, {});
    qunsetenv("FERRANDINE_PASSWORD");
    QCOMPARE(result.exitCode, 2);
    const QStringList lines = result.err.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].startsWith("step 332: ") && lines[0].contains("taken"), qPrintable(lines[0]));
    QVERIFY2(result.out.startsWith("taken: 0 row(s) read, 0 statement(s) succeeded, 1 failed.\n"),
             qPrintable(result.out));
    QVERIFY(!result.err.contains(Password) && !result.out.contains(Password));
    QCOMPARE(m_target->rows("alpha").size(), std::size_t(2));
}

void TestCliConvert::missingMemoFileFollowsTheOption()
{
    DbfBuilder notes(0x30);
    notes.field("ID", 'I', 4).field("TEXT", 'M', 4).record({le32(7), le32(8)});
    writeFile(m_source + "/notes.dbf", notes.bytes());
    const QStringList options{m_source,      "--server", "x", "--database", m_dir->filePath("target.db"),
                              "--overwrite", "yes"};
    Result result = convert(options);
    // Refusing is the option's answer, not a failure.
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.startsWith("The memo file of table notes is missing. Copy the table without its memo "
                                   "text (memo columns left empty)? No (--missing-memo refuse)\n"),
             qPrintable(result.out));
    QCOMPARE(result.err, QString());
    QCOMPARE(m_target->tables(), (QStringList{"alpha", "beta"}));

    result = convert(options + QStringList{"--missing-memo", "empty"});
    QCOMPARE(result.err, QString());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(m_target->rows("notes"), (std::vector<QStringList>{{"7", ""}}));
}

void TestCliConvert::commandLineErrors_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("no server") << QStringList{"--database", "t.db"};
    QTest::newRow("password on the command line")
        << QStringList{"--server", "x", "--database", "t.db", "--password", "pw"};
    QTest::newRow("overwrite word") << QStringList{"--server", "x",           "--database",
                                                   "t.db",     "--overwrite", "maybe"};
    QTest::newRow("option without value") << QStringList{"--server", "x", "--database"};
    QTest::newRow("encryption word") << QStringList{"--server", "x",         "--database",
                                                    "t.db",     "--encrypt", "yes"};
    QTest::newRow("strict with a trusted certificate") << QStringList{
        "--server", "x", "--database", "t.db", "--encrypt", "strict", "--trust-server-certificate"};
}

void TestCliConvert::commandLineErrors()
{
    QFETCH(QStringList, options);
    const Result result = convert(QStringList{m_source} + options);
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.err.startsWith("ferrandine-cli convert: "));
    QVERIFY(!result.err.contains("pw\n"));
    QVERIFY(m_target->tables().isEmpty());
}

void TestCliConvert::targetThatCannotBeReached()
{
    const Result result = convert(
        {m_source, "--server", "x", "--database", m_dir->filePath("missing/target.db"), "--password-stdin"});
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.err.contains("cannot connect to database"));
    QVERIFY(!result.err.contains(Password));
}

// verify on a table loaded earlier: clean, then with a row deleted, a row there twice and a value
// altered behind the run's back, each reported exactly.
void TestCliConvert::verifyFindsWhatChangedBehindTheRun()
{
    DbfTableWriter people({{"ID", 'I', 4}, {"NAME", 'C', 3}});
    int id = 0;
    for (const char* name : {"Ann", "Bob", "Cy", "Dee"})
        people.addRow({QString::number(++id), name});
    people.save(m_source + "/people.dbf");
    const QStringList login{m_source,          "--server", "x", "--database", m_dir->filePath("target.db"),
                            "--password-stdin"};
    QCOMPARE(convert(login).exitCode, 0);
    Result result = convert(login + QStringList{"people"}, Password.toUtf8() + "\n", "verify");
    QCOMPARE(result.err, QString());
    QCOMPARE(result.out, QString("people: 4 rows read, 4 on the target: every value the same\n"));
    QCOMPARE(result.exitCode, 0);

    m_target->exec("DELETE FROM people WHERE ID = 2; UPDATE people SET NAME = 'DEE' WHERE ID = 4;"
                   "INSERT INTO people VALUES(3, 'Cy ');");
    result = convert(login + QStringList{"people"}, Password.toUtf8() + "\n", "verify");
    QCOMPARE(result.err, QString());
    QCOMPARE(result.out,
             QString("people: 4 rows read, 4 on the target: 1 missing, 1 extra, 1 value differs in 1 row\n"
                     "people: record 4 (target row 3): name source \"Dee\", target \"DEE\"\n"
                     "people: record 2 is missing on the target: id \"2\", name \"Bob\"\n"
                     "people: target row 4 is not in the source: id \"3\", name \"Cy \"\n"));
    QCOMPARE(result.exitCode, 3);
}

QTEST_GUILESS_MAIN(TestCliConvert)
#include "TestCliConvert.moc"
