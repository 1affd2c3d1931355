// The conversion run end to end: FoxPro tables read by our reader, statements executed through the
// ODBC driver manager on the SQLite driver registered as "SQL Server", the result read back with the
// sqlite3 program. The main window, the preview window and the desktop are scripted.
#include "tests/convert/RunHarness.h"
#include "tests/convert/TargetDatabase.h"
#include "tests/support/DbfTableWriter.h"
#include "tests/support/FakeUiServices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Answer = ScriptedPreview::Answer;

} // namespace

class TestConversionRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void directModeCopiesEverySampleTable();
    void directModeProgressAndEnd();
    void countAfterEveryTable();
    void nativeColumnTypes();
    void keysAndIndexesFollowTheRows();
    void previewListsIndexesAfterTheRows();
    void existingTableAnsweredYesAndNo();
    void rowRejectedByTheEngine();
    void unreadableRowIsReportedAndNotSent_data();
    void unreadableRowIsReportedAndNotSent();
    void deletedRecordsCopiedWhenMarked_data();
    void deletedRecordsCopiedWhenMarked();
    void tableTheTargetWillNotCreateGetsNoRows();
    void unreadableSourceTableKeepsTheTargetTable();
    void truncatedTableIsNamedBeforeTheDrop_data();
    void truncatedTableIsNamedBeforeTheDrop();
    void namesTheTargetCannotTakeAreRefusedFirst();
    void memoProblemsCostOnlyTheirText_data();
    void memoProblemsCostOnlyTheirText();
    void refusedCreateLeavesTheOverwrittenTable();
    void secondStartDuringARun();
    void closingTheWindowStopsTheRun();
    void failingConnectionTestsEndTheRun_data();
    void failingConnectionTestsEndTheRun();

    void perFilePreviewExecuted();
    void perFilePreviewLeftWithBack();
    void perTablePreviewSkipThenExecute();
    void previewWithNeitherOption();
    void emptySource();

private:
    RunOutcome start();
    // Compares every table of the source folder with its copy on the target.
    void compareWithSource(const QString& folder, const QStringList& tables);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source;
    std::unique_ptr<TargetDatabase> m_target;
    FakeUiServices m_ui;
    SharedState m_state;
    ScriptedRunWindow m_window;
    std::unique_ptr<ScriptedPreview> m_preview;
    RecordedDatatypes m_datatypes;
    QStringList m_list1;
    QStringList m_list2;
    std::unique_ptr<ConversionRun> m_run;
};

void TestConversionRun::initTestCase()
{
    registerSqliteAsSqlServer();
}

void TestConversionRun::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_source = m_dir->filePath("source");
    QVERIFY(QDir().mkpath(m_source));
    m_target = std::make_unique<TargetDatabase>(m_dir->filePath("target.db"));
    m_ui = FakeUiServices();
    m_state = SharedState();
    m_window = ScriptedRunWindow();
    m_window.source.folder = m_source;
    m_window.login = m_target->login();
    m_preview = std::make_unique<ScriptedPreview>(m_state);
    m_datatypes = RecordedDatatypes();
    m_list1.clear();
    m_list2.clear();
    m_run =
        std::make_unique<ConversionRun>(m_window, m_state, m_ui, *m_preview, m_datatypes, m_list1, m_list2);
}

void TestConversionRun::cleanup()
{
    m_run.reset();
    m_state.mssql_conn.reset();
}

RunOutcome TestConversionRun::start()
{
    return m_run->start();
}

void TestConversionRun::compareWithSource(const QString& folder, const QStringList& tables)
{
    for (const QString& table : tables) {
        const std::vector<QStringList> source = readSourceTable(folder, table);
        const std::vector<QStringList> target = m_target->rows(table);
        QCOMPARE(target.size(), source.size());
        for (std::size_t r = 0; r < source.size(); ++r)
            QVERIFY2(sameRow(source[r], target[r]),
                     qPrintable(table + ": " + source[r].join('|') + " <> " + target[r].join('|')));
    }
}

void TestConversionRun::directModeCopiesEverySampleTable()
{
    const QString samples = samplesFolder();
    m_window.source.folder = samples;
    const RunOutcome outcome = start();
    QVERIFY(outcome.started);
    QCOMPARE(m_ui.messages(), QStringList{"Done."});
    QVERIFY(!m_list2.isEmpty());
    // The target is SQLite, and the statements are written in its dialect: binary columns included,
    // every table arrives whole.
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
    QVERIFY(std::any_of(m_datatypes.rows.begin(), m_datatypes.rows.end(),
                        [](const QStringList& row) { return row[3] == "BLOB"; }));
    QCOMPARE(m_target->tables(), sorted(m_list2));
    compareWithSource(samples, m_list2);
    QVERIFY(m_preview->shown.empty());
}

void TestConversionRun::directModeProgressAndEnd()
{
    writeThreeTables(m_source);
    QVERIFY(start().started);
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
    compareWithSource(m_source, {"alpha", "beta", "gamma"});
    // alpha's four rows move the bar to 40, 60, 80 and 100; beta's two to 66.6 and 100.
    QCOMPARE(m_window.progressValues, (std::vector<double>{2.0 / 3.0 * 100.0, 100, 40, 60, 80, 100, 0}));
    // The text names the row being read: the first one at once, the next ones at most every 100 ms.
    QCOMPARE(m_window.progressTexts.indexOf("Please wait.. Processing table alpha (row 1 of 4)"),
             m_window.progressTexts.indexOf("Please wait.. Processing table alpha") + 1);
    QVERIFY(m_window.progressTexts.contains("Please wait.. Processing table beta (row 1 of 2)"));
    m_window.progressTexts.removeIf([](const QString& text) { return text.contains(" (row "); });
    QCOMPARE(m_window.progressTexts,
             (QStringList{"Please wait.. Processing table gamma", "", "Please wait.. Processing table beta",
                          "", "Please wait.. Processing table alpha", "", "Progress Bar"}));
    // The target's login test waits under the busy pointer; then the run's own.
    QCOMPARE(m_window.pointers, (std::vector<bool>{true, false, true, false}));
    QVERIFY(!m_run->isConverting());
    QVERIFY(!m_state.mssql_conn->isOpen());
    QVERIFY(m_ui.eventPumps > 0);
}

// A row that arrives behind the run's back is found by the count after its table: one message.
void TestConversionRun::countAfterEveryTable()
{
    writeThreeTables(m_source);
    m_window.onProgressValue = [&](double percent) {
        if (percent == 80) // alpha's third row
            m_state.mssql_conn->execute("INSERT INTO [alpha] VALUES('9', 'extra', '1')");
    };
    const RunOutcome outcome = start();
    QCOMPARE(outcome.tables.size(), std::size_t(3));
    QCOMPARE(outcome.tables[1].rowsOnTarget, qint64(2));
    QCOMPARE(outcome.tables[2].rowsSent, qint64(4));
    QCOMPARE(outcome.tables[2].rowsOnTarget, qint64(5));
    QCOMPARE(m_ui.messages(), (QStringList{"table alpha: 4 rows sent, 5 on the server", "Done."}));
}

void TestConversionRun::nativeColumnTypes()
{
    writeThreeTables(m_source);
    m_window.native = true;
    QVERIFY(start().started);
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
    QStringList types;
    for (const QStringList& row : m_datatypes.rows)
        types << row[1] + ' ' + row[2] + ' ' + row[3];
    QCOMPARE(types, (QStringList{"n numeric NUMERIC(5,0)", "code char VARCHAR(4)", "since date TEXT",
                                 "active OTHER TYPES INTEGER", "id int INT", "name char VARCHAR(12)",
                                 "price numeric NUMERIC(8,2)"}));
    // SQLite keeps dates as their ISO 8601 text and logicals as 1 and 0.
    QCOMPARE(m_target->rows("beta"),
             (std::vector<QStringList>{{"B1  ", "2021-08-31", "1"}, {"B2  ", "1999-12-31", "0"}}));
    compareWithSource(m_source, {"alpha"});
}

// The SQLite stand-in takes keys as unique indexes; it tells "a" from "A". The repeated ID costs its
// key, not a row.
void TestConversionRun::keysAndIndexesFollowTheRows()
{
    writeKeyedTable(m_source);
    m_window.indexes = true;
    const RunOutcome outcome = start();
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
    QCOMPARE(m_target->rows("keyed").size(), std::size_t(4));
    QStringList indexes;
    for (const QStringList& row : m_target->rows("sqlite_master")) {
        if (row[0] == "index")
            indexes << row[4];
    }
    QCOMPARE(indexes, (QStringList{"CREATE INDEX [IX_keyed_ID] ON [keyed]([id])",
                                   "CREATE UNIQUE INDEX [UQ_keyed_CODE] ON [keyed]([code])",
                                   "CREATE UNIQUE INDEX [UQ_keyed_NUM] ON [keyed]([num])",
                                   "CREATE INDEX [IX_keyed_NAME] ON [keyed]([name] DESC)"}));
    const TableTally& tally = outcome.tables.front();
    QCOMPARE((std::vector<int>{tally.keysCreated, tally.indexesCreated, tally.indexesSkipped}),
             (std::vector<int>{2, 2, 1}));
    const QStringList notes{
        "keyed: key ID (id): 1 row(s) repeat the key of an earlier row as the target compares them; a plain "
        "index is created instead",
        "keyed: regular index SOUND (SOUNDEX(name)) is not created: SOUNDEX() has no column form"};
    QCOMPARE(tally.indexNotes, notes);
    QCOMPARE(convert::reportFindings(tally), notes);
}

void TestConversionRun::previewListsIndexesAfterTheRows()
{
    writeKeyedTable(m_source);
    m_window.indexes = true;
    m_window.preview = true;
    m_window.perFile = true;
    m_preview->answers = {Answer::Back};
    QVERIFY(start().started);
    const QStringList listed = m_preview->shown.front();
    QCOMPARE(listed.size(), 9); // CREATE, four INSERTs, four indexes
    QVERIFY(listed[4].startsWith("INSERT INTO [keyed]"));
    QCOMPARE(listed[5], "CREATE INDEX [IX_keyed_ID] ON [keyed]([id])");
    QCOMPARE(listed[8], "CREATE INDEX [IX_keyed_NAME] ON [keyed]([name] DESC)");
    QVERIFY(m_target->tables().isEmpty());
}

void TestConversionRun::existingTableAnsweredYesAndNo()
{
    writeThreeTables(m_source);
    // Existing tables differ from the source only in letter case; beta comes first and gets No.
    m_target->exec("CREATE TABLE ALPHA(old TEXT); INSERT INTO ALPHA VALUES('kept?');"
                   "CREATE TABLE Beta(old TEXT); INSERT INTO Beta VALUES('kept');");
    m_ui.answers = {false, true};
    QVERIFY(start().started);
    const std::vector<FakeUiServices::Call> questions = m_ui.callsOf(FakeUiServices::Kind::Question);
    QCOMPARE(questions.size(), std::size_t(2));
    QCOMPARE(questions[0].text, QString("Would you like to overwrite beta?"));
    QCOMPARE(questions[0].title, QString("Overwrite?"));
    QCOMPARE(questions[1].text, QString("Would you like to overwrite alpha?"));
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
    QCOMPARE(m_target->rows("Beta"), (std::vector<QStringList>{{"kept"}}));
    compareWithSource(m_source, {"alpha", "gamma"});
    // Yes dropped the table before creating it; No added no Datatypes rows for beta.
    for (const QStringList& row : m_datatypes.rows)
        QVERIFY(row[0] != "beta");
}

void TestConversionRun::rowRejectedByTheEngine()
{
    writeThreeTables(m_source);
    // Once alpha exists on the target, a trigger makes the engine refuse the row with ID 3.
    bool armed = false;
    m_window.onProgressValue = [&](double) {
        if (!armed && m_target->tables().contains("alpha")) {
            armed = true;
            m_target->exec("CREATE TRIGGER refuse BEFORE INSERT ON alpha WHEN NEW.ID = 3 "
                           "BEGIN SELECT RAISE(ABORT, 'row 3 refused'); END;");
        }
    };
    const RunOutcome outcome = start();
    QVERIFY(outcome.started);
    const QStringList errors = m_ui.errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains("table alpha, row 3: ") && errors[0].contains("row 3 refused"),
             qPrintable(errors[0]));
    QVERIFY(errors[0].contains("Form1.PushButton7_Click at line 388"));
    // The rows around it are committed with it in one transaction.
    QCOMPARE(outcome.tables.back().rowsSent, qint64(3));
    QCOMPARE(m_target->rows("alpha").size(), std::size_t(3));
    QCOMPARE(m_target->rows("alpha").back().first(), QString("4"));
    QCOMPARE(m_ui.messages(), QStringList{"Done."});
}

// A value that cannot be read is left empty and reported once after its table, its row sent; where
// the user refuses bad values, the row is reported and not sent.
void TestConversionRun::unreadableRowIsReportedAndNotSent_data()
{
    QTest::addColumn<bool>("refuse");
    QTest::newRow("bad values null") << false;
    QTest::newRow("bad values refused") << true;
}

void TestConversionRun::unreadableRowIsReportedAndNotSent()
{
    QFETCH(bool, refuse);
    DbfTableWriter broken({{"ID", 'I', 4}, {"PRICE", 'N', 6, 2}});
    broken.addRow({"1", "1.25"});
    broken.addRow({"2", "12x"});
    broken.addRow({"3", "3.50"});
    broken.save(m_source + "/broken.dbf");
    m_window.source.reader.refuseBadValues = refuse;
    const QString reported = "1 value of table broken could not be read and was left empty: record 2 "
                             "(PRICE: \"12x\")";
    for (const bool preview : {false, true}) {
        m_window.preview = preview;
        m_ui.answers = {true};
        QVERIFY(start().started);
        const QStringList errors = m_ui.errors();
        QCOMPARE(errors.size(), refuse ? 1 : 0);
        if (refuse)
            QVERIFY2(errors[0].contains("12x") && errors[0].contains("at line 346"), qPrintable(errors[0]));
        QCOMPARE(m_ui.messages(), (refuse ? QStringList() : QStringList{reported}) + QStringList{"Done."});
        m_ui.clear();
    }
    // Neither the first row's text again nor a half-built statement took the place of row 2.
    QCOMPARE(m_target->rows("broken"),
             refuse ? (std::vector<QStringList>{{"1", "1.25"}, {"3", "3.5"}})
                    : (std::vector<QStringList>{{"1", "1.25"}, {"2", ""}, {"3", "3.5"}}));
    QStringList listed{"DROP TABLE [broken]", m_preview->statements[1],
                       "INSERT INTO [broken] VALUES('1', '1.25')"};
    if (!refuse)
        listed << "INSERT INTO [broken] VALUES('2', NULL)";
    QCOMPARE(m_preview->statements, listed << "INSERT INTO [broken] VALUES('3', '3.50')");
}

// Deleted records in the first, a middle and the last place: left out as designed, or copied with
// one more column that marks them.
void TestConversionRun::deletedRecordsCopiedWhenMarked_data()
{
    QTest::addColumn<bool>("mark");
    QTest::newRow("skip") << false;
    QTest::newRow("mark") << true;
}

void TestConversionRun::deletedRecordsCopiedWhenMarked()
{
    QFETCH(bool, mark);
    DbfBuilder table(0x30);
    table.field("ID", 'N', 1).field("NAME", 'C', 3);
    table.record({"1", "one"}, true).record({"2", "two"}).record({"3", "six"}, true).record({"4", "ten"});
    table.record({"5", "end"}, true);
    writeFile(m_source + "/history.dbf", table.bytes());
    m_window.source.reader.markDeleted = mark;
    m_window.preview = true;
    m_window.perFile = true;
    m_preview->answers = {Answer::Execute};
    QVERIFY(start().started);
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
    const QStringList& statements = m_preview->shown.at(0);
    if (!mark) {
        QCOMPARE(statements, (QStringList{"CREATE TABLE [history]([id] NUMERIC(1,0),[name] VARCHAR(8000));",
                                          "INSERT INTO [history] VALUES('2', 'two')",
                                          "INSERT INTO [history] VALUES('4', 'ten')"}));
        QCOMPARE(m_target->rows("history"), (std::vector<QStringList>{{"2", "two"}, {"4", "ten"}}));
        return;
    }
    QCOMPARE(statements.first(),
             "CREATE TABLE [history]([id] NUMERIC(1,0),[name] VARCHAR(8000),[deleted] INTEGER);");
    QCOMPARE(statements.size(), 6);
    QCOMPARE(statements.last(), "INSERT INTO [history] VALUES('5', 'end', '1')");
    QCOMPARE(
        m_target->rows("history"),
        (std::vector<QStringList>{
            {"1", "one", "1"}, {"2", "two", "0"}, {"3", "six", "1"}, {"4", "ten", "0"}, {"5", "end", "1"}}));
    QCOMPARE(m_datatypes.rows.back(),
             (QStringList{"history", "deleted", "DELETED RECORDS", "INTEGER (1 marks a deleted record)"}));
}

void TestConversionRun::tableTheTargetWillNotCreateGetsNoRows()
{
    writeThreeTables(m_source);
    DbfTableWriter taken({{"V", 'C', 3}});
    taken.addRow({"new"});
    taken.save(m_source + "/taken.dbf");
    // An index holds the name: the catalogue lists no table of it, so the run does not ask; the CREATE
    // fails, and no row is sent to fail after it.
    m_target->exec("CREATE TABLE other(V TEXT); CREATE INDEX taken ON other(V);");
    QVERIFY(start().started);
    const QStringList errors = m_ui.errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains("taken") && errors[0].contains("at line 332"), qPrintable(errors[0]));
    QVERIFY(!m_target->tables().contains("taken"));
    compareWithSource(m_source, {"alpha", "beta", "gamma"});
}

void TestConversionRun::refusedCreateLeavesTheOverwrittenTable()
{
    // More columns than the engine takes: it refuses the CREATE after the DROP ran.
    std::vector<DbfTableWriter::Column> columns;
    for (int i = 0; i < 2001; ++i)
        columns.push_back({QStringLiteral("C%1").arg(i), 'C', 1});
    DbfTableWriter wide(columns);
    wide.save(m_source + "/wide.dbf");
    m_target->exec("CREATE TABLE wide(V TEXT); INSERT INTO wide VALUES('old');");
    m_ui.answers = {true};
    QVERIFY(start().started);
    const QStringList errors = m_ui.errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains("too many columns") && errors[0].contains("at line 332"),
             qPrintable(errors[0]));
    QCOMPARE(m_target->rows("wide"), (std::vector<QStringList>{{"old"}}));
}

// Names SQL Server cannot take are refused before anything is dropped, each in one box, and the other
// tables convert; a table whose name holds "sys" is asked about like any other.
void TestConversionRun::namesTheTargetCannotTakeAreRefusedFirst()
{
    DbfTableWriter twins({{"V", 'C', 3}, {"v", 'C', 3}});
    twins.addRow({"new", "new"});
    twins.save(m_source + "/twins.dbf");
    DbfTableWriter one({{"V", 'C', 3}});
    one.addRow({"new"});
    const QString longName(129, u'n');
    one.save(m_source + "/" + longName + ".dbf");
    one.save(m_source + "/easysync.dbf");
    m_target->exec("CREATE TABLE twins(V TEXT); INSERT INTO twins VALUES('old');"
                   "CREATE TABLE easysync(V TEXT); INSERT INTO easysync VALUES('old');");
    m_ui.answers = {true};
    QVERIFY(start().started);
    QVERIFY(!m_list1.contains("easysync")); // the target list still leaves it out
    QStringList questions;
    for (const FakeUiServices::Call& call : m_ui.callsOf(FakeUiServices::Kind::Question))
        questions << call.text;
    QCOMPARE(questions, QStringList{"Would you like to overwrite easysync?"});
    // Plain boxes: the problem as their text, the step in the details.
    const std::vector<FakeUiServices::Call> errors = m_ui.callsOf(FakeUiServices::Kind::Error);
    QCOMPARE(errors.size(), std::size_t(2));
    QCOMPARE(errors[0].text,
             "Table twins is not converted: its fields 1 (v) and 2 (v) have the same name on SQL "
             "Server, which does not tell letter case apart in names.");
    QVERIFY2(errors[0].details.contains("at line 192"), qPrintable(errors[0].details));
    QCOMPARE(errors[1].text,
             "Table " + longName +
                 " is not converted: its name has 129 characters, more than the 128 SQL Server "
                 "allows.");
    QVERIFY2(errors[1].details.contains("at line 164"), qPrintable(errors[1].details));
    QCOMPARE(m_target->rows("twins"), (std::vector<QStringList>{{"old"}}));
    QCOMPARE(m_target->rows("easysync"), (std::vector<QStringList>{{"new"}}));
    QCOMPARE(m_target->tables(), (QStringList{"easysync", "twins"}));
}

void TestConversionRun::unreadableSourceTableKeepsTheTargetTable()
{
    // Listed as a table, but its header is cut short: one box, in plain words, and nothing more of
    // the table is attempted (no question, no later step).
    DbfTableWriter damaged({{"V", 'C', 3}});
    damaged.addRow({"new"});
    damaged.save(m_source + "/damaged.dbf");
    QFile file(m_source + "/damaged.dbf");
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(40));
    file.close();
    m_target->exec("CREATE TABLE damaged(V TEXT); INSERT INTO damaged VALUES('old');");
    for (const bool preview : {false, true}) {
        m_window.preview = preview;
        m_window.perTable = preview;
        QVERIFY(start().started);
        QVERIFY(m_ui.callsOf(FakeUiServices::Kind::Question).empty());
        const std::vector<FakeUiServices::Call> errors = m_ui.callsOf(FakeUiServices::Kind::Error);
        QCOMPARE(errors.size(), std::size_t(1));
        QVERIFY2(errors[0].text.contains("damaged.dbf") && !errors[0].text.contains("at line"),
                 qPrintable(errors[0].text));
        QVERIFY2(errors[0].details.contains("at line 192"), qPrintable(errors[0].details));
        QVERIFY(m_preview->shown.empty());
        QCOMPARE(m_ui.messages(), QStringList{"Done."});
        m_ui.clear();
    }
    // Neither executed nor offered for execution: the drop would leave nothing in the table's place.
    QCOMPARE(m_target->rows("damaged"), (std::vector<QStringList>{{"old"}}));
    QVERIFY(m_preview->statements.isEmpty());
}

// A table that holds fewer records than its header counts is named in the overwrite question,
// before anything is dropped.
void TestConversionRun::truncatedTableIsNamedBeforeTheDrop_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("keep the complete copy") << false;
    QTest::newRow("overwrite anyway") << true;
}

void TestConversionRun::truncatedTableIsNamedBeforeTheDrop()
{
    QFETCH(bool, answer);
    DbfBuilder customers(0x30);
    customers.field("ID", 'I', 4);
    for (quint32 id = 1; id <= 5; ++id)
        customers.record({le32(id)});
    QByteArray bytes = customers.bytes();
    bytes.chop(2 * 5 + 1); // the last two records and the end mark
    writeFile(m_source + "/customers.dbf", bytes);
    m_target->exec("CREATE TABLE customers(ID INT); INSERT INTO customers VALUES(1),(2),(3),(4),(5);");
    m_ui.answers = {answer};
    QVERIFY(start().started);
    const std::vector<FakeUiServices::Call> questions = m_ui.callsOf(FakeUiServices::Kind::Question);
    QCOMPARE(questions.size(), std::size_t(1));
    QVERIFY2(questions[0].text.startsWith("The source table customers is damaged: only 3 of its 5 records "
                                          "can be read. Overwrite anyway?\r\r") &&
                 questions[0].text.contains("the last 2 are missing"),
             qPrintable(questions[0].text));
    QCOMPARE(questions[0].title, ConversionRun::damagedOverwriteTitle());
    QCOMPARE(m_target->rows("customers").size(), std::size_t(answer ? 3 : 5));
}

void TestConversionRun::memoProblemsCostOnlyTheirText_data()
{
    QTest::addColumn<bool>("memoFile");
    QTest::addColumn<bool>("preview");
    QTest::addColumn<bool>("answer"); // to the question about the missing memo file
    QTest::newRow("missing, Yes") << false << false << true;
    QTest::newRow("missing, Yes, preview") << false << true << true;
    QTest::newRow("missing, No") << false << false << false;
    QTest::newRow("damaged") << true << false << false;
    QTest::newRow("damaged, preview") << true << true << false;
}

void TestConversionRun::memoProblemsCostOnlyTheirText()
{
    QFETCH(bool, memoFile);
    QFETCH(bool, preview);
    QFETCH(bool, answer);
    writeThreeTables(m_source);
    FptBuilder memo;
    const quint32 kept = memo.memo("kept");
    if (memoFile)
        writeFile(m_source + "/notes.fpt", memo.bytes());
    DbfBuilder notes(0x30);
    notes.field("ID", 'I', 4).field("TEXT", 'M', 4);
    for (quint32 id = 1; id <= 8; ++id)
        notes.record({le32(id), le32(id == 2 ? kept : 900 + id)});
    writeFile(m_source + "/notes.dbf", notes.bytes());
    m_window.preview = preview;
    m_window.perFile = preview;
    m_preview->answers = {Answer::Execute};
    m_ui.answers = {answer};
    QVERIFY(start().started);

    const std::vector<FakeUiServices::Call> questions = m_ui.callsOf(FakeUiServices::Kind::Question);
    QCOMPARE(questions.size(), std::size_t(memoFile ? 0 : 1));
    if (!memoFile)
        QCOMPARE(questions[0].text, QString("The memo file of table notes is missing. Copy the table without "
                                            "its memo text (memo columns left empty)?"));
    // No is the user's choice, not an error: the table is named at the end.
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
    const QStringList lost{"7 memo values of table notes could not be read and were left empty: records 1, "
                           "3, 4, 5, 6, ..."};
    const QString end = memoFile || answer
                            ? QStringLiteral("Done.")
                            : QStringLiteral("Done.\r\rNot copied: notes (its memo file is missing).");
    QCOMPARE(m_ui.messages(), (memoFile ? lost : QStringList()) + QStringList{end});
    // Every row arrives, its memo value empty where it could not be read; the other tables as ever.
    std::vector<QStringList> expected;
    for (int id = 1; id <= 8; ++id)
        expected.push_back({QString::number(id), memoFile && id == 2 ? "kept" : ""});
    if (memoFile || answer)
        QCOMPARE(m_target->rows("notes"), expected);
    else
        QVERIFY(!m_target->tables().contains("notes"));
    compareWithSource(m_source, {"alpha", "beta", "gamma"});
}

void TestConversionRun::secondStartDuringARun()
{
    writeThreeTables(m_source);
    std::vector<RunOutcome> nested;
    m_window.onProgressValue = [&](double) {
        if (nested.empty())
            nested.push_back(start());
    };
    QVERIFY(start().started);
    QCOMPARE(nested.size(), std::size_t(1));
    QVERIFY(!nested[0].started);
    QCOMPARE(m_ui.messages(), QStringList{"Done."});
    QCOMPARE(m_window.pointers, (std::vector<bool>{true, false, true, false}));
    compareWithSource(m_source, {"alpha", "beta", "gamma"});
    QVERIFY(!m_run->isConverting());
}

// Closing the main window ends the program: the run stops at its next event point without another
// statement or box, and closes both connections.
void TestConversionRun::closingTheWindowStopsTheRun()
{
    writeThreeTables(m_source);
    m_window.onProgressValue = [&](double) { m_run->abandon(); };
    QVERIFY(start().started);
    QVERIFY(!m_run->isConverting());
    QVERIFY(m_ui.messages().isEmpty());
    QVERIFY(m_ui.errors().isEmpty());
    QVERIFY(!m_state.mssql_conn->isOpen());
    // gamma has no rows; beta's first row was not sent, and alpha was never reached.
    QCOMPARE(m_target->tables(), (QStringList{"beta", "gamma"}));
    QVERIFY(m_target->rows("beta").empty());

    // The next run starts afresh.
    m_window.onProgressValue = {};
    m_ui.answers = {true, true}; // overwrite gamma and beta
    QVERIFY(start().started);
    compareWithSource(m_source, {"alpha", "beta", "gamma"});
}

// The run ends before touching anything, with the message the panel's "Test Connection" shows and
// the reason in its details.
void TestConversionRun::failingConnectionTestsEndTheRun_data()
{
    QTest::addColumn<bool>("badSource");
    QTest::addColumn<QString>("message");
    QTest::newRow("source cannot be opened") << true << "Could not connect.";
    QTest::newRow("target cannot be opened")
        << false << "Could not connect. Please check with your administrator.";
}

void TestConversionRun::failingConnectionTestsEndTheRun()
{
    QFETCH(bool, badSource);
    QFETCH(QString, message);
    writeThreeTables(m_source);
    if (badSource)
        m_window.source.folder = m_dir->filePath("missing");
    else
        m_window.login.database = m_dir->filePath("missing/target.db");
    m_list1 = QStringList{"before1"};
    m_list2 = QStringList{"before2"};
    QVERIFY(!start().started);
    QCOMPARE(m_ui.calls.size(), std::size_t(1));
    QCOMPARE(m_ui.messages(), QStringList{message});
    QVERIFY(!m_ui.calls[0].details.isEmpty());
    QCOMPARE(m_window.pointers, (badSource ? std::vector<bool>() : std::vector<bool>{true, false}));
    QVERIFY(m_window.progressTexts.isEmpty());
    QCOMPARE(m_list1, QStringList{"before1"});
    QCOMPARE(m_list2, QStringList{"before2"});
    QVERIFY(m_target->tables().isEmpty());
    QVERIFY(!m_run->isConverting());
}

void TestConversionRun::perFilePreviewExecuted()
{
    writeThreeTables(m_source);
    m_window.preview = true;
    m_window.perFile = true;
    m_preview->answers = {Answer::Execute};
    std::vector<QStringList> datatypesAtShow;
    m_preview->onShow = [&] { datatypesAtShow = m_datatypes.rows; };
    QVERIFY(start().started);
    QCOMPARE(m_preview->shown.size(), std::size_t(1));
    const QStringList& list = m_preview->shown[0];
    QCOMPARE(list.size(), 1 + 1 + 2 + 1 + 4);
    QVERIFY(list[0].startsWith("CREATE TABLE [gamma]"));
    QVERIFY(list[1].startsWith("CREATE TABLE [beta]"));
    QVERIFY(list[4].startsWith("CREATE TABLE [alpha]"));
    QCOMPARE(list[6], QString("INSERT INTO [alpha] VALUES('2', '  padded    ', '-0.75')"));
    QCOMPARE(list[7], QString("INSERT INTO [alpha] VALUES('3', '            ', NULL)"));
    QVERIFY(m_preview->executionErrors.isEmpty());
    QVERIFY(m_state.SQLFormOK);
    compareWithSource(m_source, {"alpha", "beta", "gamma"});
    // The Datatypes rows hold every converted column, table by table in the run's order.
    QCOMPARE(datatypesAtShow.size(), std::size_t(1 + 3 + 3));
    QCOMPARE(datatypesAtShow[0], (QStringList{"gamma", "n", "numeric", "NUMERIC(5,0)"}));
    QCOMPARE(datatypesAtShow[4][0], QString("alpha"));
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
    QCOMPARE(m_ui.messages(), QStringList{"Done."});
}

void TestConversionRun::perFilePreviewLeftWithBack()
{
    writeThreeTables(m_source);
    m_window.preview = true;
    m_window.perFile = true;
    m_preview->answers = {Answer::Back};
    QVERIFY(start().started);
    QCOMPARE(m_preview->shown.size(), std::size_t(1));
    QVERIFY(!m_state.SQLFormOK);
    QVERIFY(m_target->tables().isEmpty());
    QVERIFY(!m_state.mssql_conn->isOpen());
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
    QCOMPARE(m_ui.messages(), QStringList{"Stopped."});
    QCOMPARE(m_window.progressTexts.mid(m_window.progressTexts.size() - 2),
             (QStringList{"", "Progress Bar"}));
}

void TestConversionRun::perTablePreviewSkipThenExecute()
{
    writeThreeTables(m_source);
    m_target->exec("CREATE TABLE gamma(old TEXT);");
    m_ui.answers = {true};
    m_window.preview = true;
    m_window.perTable = true;
    m_preview->answers = {Answer::Skip, Answer::Execute};
    std::vector<std::vector<QStringList>> datatypesAtShow;
    m_preview->onShow = [&] { datatypesAtShow.push_back(m_datatypes.rows); };
    QVERIFY(start().started);
    QCOMPARE(m_preview->shown.size(), std::size_t(3));
    // gamma is skipped (its drop stays in the list, not executed), beta runs, so the run goes on to
    // alpha, whose preview is left by "< Back".
    QCOMPARE(m_preview->shown[0].first(), QString("DROP TABLE [gamma]"));
    QCOMPARE(m_preview->shown[0].size(), 2);
    QCOMPARE(m_preview->shown[1].size(), 3);
    QCOMPARE(m_target->tables(), (QStringList{"beta", "gamma"}));
    QCOMPARE(m_target->rows("gamma").size(), std::size_t(0));
    compareWithSource(m_source, {"beta"});
    QCOMPARE(datatypesAtShow[0].size(), std::size_t(1));
    QCOMPARE(datatypesAtShow[1].size(), std::size_t(3));
    QCOMPARE(datatypesAtShow[1][0][0], QString("beta"));
    QCOMPARE(m_ui.callsOf(FakeUiServices::Kind::Question).size(), std::size_t(1));
    QCOMPARE(m_ui.messages(), QStringList{"Stopped."}); // alpha's preview was left
}

void TestConversionRun::previewWithNeitherOption()
{
    writeThreeTables(m_source);
    m_window.preview = true;
    QVERIFY(start().started);
    QVERIFY(m_preview->shown.empty());
    QCOMPARE(m_preview->statements.size(), 9);
    QVERIFY(m_target->tables().isEmpty());
    QCOMPARE(m_ui.messages(), QStringList{"Done."});
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
}

void TestConversionRun::emptySource()
{
    m_window.preview = true;
    m_window.perFile = true;
    QVERIFY(start().started);
    QCOMPARE(m_preview->shown.size(), std::size_t(1));
    QVERIFY(m_preview->shown[0].isEmpty());
    QVERIFY(m_list2.isEmpty());
    QCOMPARE(m_ui.messages(), QStringList{"Done."});
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
}

QTEST_GUILESS_MAIN(TestConversionRun)
#include "TestConversionRun.moc"
