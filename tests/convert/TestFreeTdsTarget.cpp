// The run against SQL Server's wire protocol: fake_tds_server.py speaks it to the real FreeTDS
// driver, the only driver registered in this process, answers the code page of its database's
// collation and logs every batch exactly as it arrived. What arrives is what the server would keep:
// text beyond the code page in N literals, no NUL in the text, a backslash before a line break kept
// apart from it; a replaced table whose CREATE the server refuses is rolled back; failures, a lost
// server, a refused login and a silent one each end as they should.
#include "app/Form1.h"
#include "convert/ConversionRun.h"
#include "convert/InsertBatch.h"
#include "convert/StatementText.h"
#include "db/Connection.h"
#include "db/odbc/DriverResolution.h"
#include "preview/StatementExecution.h"
#include "preview/StatementListModel.h"
#include "tests/convert/RunHarness.h"
#include "tests/convert/TargetDatabase.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/DbfTableWriter.h"
#include "tests/support/FakeTdsServer.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/PrivateOdbcConfig.h"
#include "tests/support/RecordingSettings.h"
#include "tests/support/SharedFiles.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <optional>

namespace {

// The collations a storing server is run with: the default, the single-byte pages whose undefined
// bytes differ, an East Asian page, and two whose TEXT columns the server refuses.
constexpr const char* storedCollations[] = {"SQL_Latin1_General_CP1_CI_AS",
                                            "Greek_CI_AS",
                                            "Hebrew_CI_AS",
                                            "Lithuanian_CI_AS",
                                            "Chinese_PRC_CI_AS",
                                            "Latin1_General_100_CI_AS_SC_UTF8",
                                            "Japanese_XJIS_140_CI_AS"};

// The statements of `table` among `statements`.
QStringList intoTable(const QStringList& statements, const QString& table)
{
    return statements.filter(QRegularExpression(QStringLiteral("^INSERT INTO \\[%1\\] ").arg(table)));
}

struct CliResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

CliResult convertWithCli(const QString& source, const MSSQLLogin& login,
                         const QString& command = QStringLiteral("convert"))
{
    QProcess cli;
    cli.start(QStringLiteral(FERRANDINE_BIN_DIR "/ferrandine-cli"),
              {command, source, "--server", login.server, "--port", login.port, "--database", login.database,
               "--user", login.user, "--password-stdin"});
    cli.write("pw\n");
    cli.closeWriteChannel();
    if (!cli.waitForFinished(60000))
        return {};
    return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
            QString::fromUtf8(cli.readAllStandardError())};
}

} // namespace

class TestFreeTdsTarget : public QObject
{
    Q_OBJECT

    std::optional<PrivateOdbcConfig> m_config;
    QTemporaryDir m_dir;
    FakeUiServices m_ui;
    SharedState m_state;
    ScriptedRunWindow m_window;
    std::unique_ptr<ScriptedPreview> m_preview;
    RecordedDatatypes m_datatypes;
    QStringList m_list1;
    QStringList m_list2;
    std::unique_ptr<ConversionRun> m_run;

    RunOutcome runInto(const FakeTdsServer& server, const QString& source)
    {
        m_window.source.folder = source;
        m_window.login = server.login();
        return m_run->start();
    }

    QString notesFolder() const { return m_dir.filePath("notes"); }

    // What SELECT COUNT(*) answers on the server, on a connection of its own, once every connection
    // the server dropped is closed: the server rolls back a dropped connection's open transaction as
    // it closes it, after the client has already seen it go.
    static QString storedRows(const FakeTdsServer& server, const QString& table)
    {
        const auto closed = [&] {
            QSet<int> open;
            for (const QJsonObject& drop : server.log("drop"))
                open.insert(drop.value("conn").toInt());
            for (const QJsonObject& gone : server.log("disconnect"))
                open.remove(gone.value("conn").toInt());
            return open.isEmpty();
        };
        QElapsedTimer waited;
        waited.start();
        while (!closed() && waited.elapsed() < 10000)
            QTest::qWait(20);
        db::Connection connection;
        connection.open(MSSQL::connectionString(server.login()));
        return connection.queryValue(QStringLiteral("SELECT COUNT(*) FROM [%1]").arg(table));
    }

    // The SQL batches the server received, each as one text.
    static QStringList batchesOf(const FakeTdsServer& server)
    {
        QStringList batches;
        for (const QJsonObject& entry : server.log("batch"))
            batches.push_back(entry.value("text").toString());
        return batches;
    }

    // Every table the run took on was checked value for value and holds what the source holds.
    static void verifyEveryTableMatches(const RunOutcome& outcome)
    {
        QVERIFY(!outcome.tables.empty());
        for (const TableTally& table : outcome.tables) {
            QVERIFY2(table.check, qPrintable(table.table));
            QVERIFY2(table.check->matches() && table.check->rowsOnTarget == table.rowsRead,
                     qPrintable(QStringLiteral("%1: %2 read, %3 on the target, %4 changed, first: %5")
                                    .arg(table.table)
                                    .arg(table.check->rowsRead)
                                    .arg(table.check->rowsOnTarget)
                                    .arg(table.check->rowsChanged)
                                    .arg(table.check->firstDifferences.empty()
                                             ? QString()
                                             : table.check->firstDifferences.front().values.front().target)));
        }
    }

private slots:
    void initTestCase()
    {
        const QString driver = PrivateOdbcConfig::freeTdsDriverLibrary();
        if (driver.isEmpty())
            QSKIP("The FreeTDS ODBC driver (Debian package tdsodbc) is not installed.");
        REQUIRE_SHARED("tools/fake_tds_server.py");
        m_config.emplace(std::vector<std::pair<QString, QString>>{{QStringLiteral("FreeTDS"), driver}});
        QVERIFY2(m_config->error().isEmpty(), qPrintable(m_config->error()));
        writeThreeTables(m_dir.path());

        // One table in code page 1251, in a folder of its own: Cyrillic text, a memo with a backslash
        // before CR LF, a NUL.
        QVERIFY(QDir().mkpath(notesFolder()));
        FptBuilder memos;
        const quint32 note = memos.memo("C:\\data\\\r\nnext \\ end\\\n");
        writeFile(notesFolder() + "/notes.fpt", memos.bytes());
        DbfBuilder notes(0x30, 0xC9);
        notes.field("NAME", 'C', 5).field("NOTE", 'M', 4).field("RAW", 'C', 3);
        notes.record({"\xC4\xEE\xEC", le32(note), QByteArray("a\0b", 3)});
        writeFile(notesFolder() + "/notes.dbf", notes.bytes());
    }

    void init()
    {
        m_ui = FakeUiServices();
        m_state = SharedState();
        m_window = ScriptedRunWindow();
        m_preview = std::make_unique<ScriptedPreview>(m_state);
        m_list1.clear();
        m_list2.clear();
        m_run = std::make_unique<ConversionRun>(m_window, m_state, m_ui, *m_preview, m_datatypes, m_list1,
                                                m_list2);
    }

    void cleanup()
    {
        m_run.reset();
        m_state.mssql_conn.reset();
    }

    // Every sample table arrives whole, value for value as the run's check reads it back, on a server
    // of each collation and on one that counts no rows: one CREATE TABLE and one INSERT per source row.
    void wholeRunOfTheSamples_data()
    {
        QTest::addColumn<QStringList>("options");
        for (const char* collation : storedCollations)
            QTest::newRow(collation) << QStringList{"--collation", collation};
        QTest::newRow("the server counts no rows") << QStringList{"--nocount"};
    }

    void wholeRunOfTheSamples()
    {
        QFETCH(QStringList, options);
        FakeTdsServer server(options + QStringList{"--store"});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        m_window.verify = true;
        const RunOutcome outcome = runInto(server, samplesFolder());
        QVERIFY(outcome.started);
        QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
        const QStringList run = server.statementsRun();
        QVERIFY(!m_list2.isEmpty());
        for (const QString& table : std::as_const(m_list2)) {
            QCOMPARE(run.filter(QStringLiteral("CREATE TABLE [%1](").arg(table)).size(), 1);
            QCOMPARE(intoTable(run, table).size(), qsizetype(readSourceTable(samplesFolder(), table).size()));
        }
        verifyEveryTableMatches(outcome);
    }

    // Text the database's code page cannot hold goes as national text; the memo's backslash-breaks
    // and the NUL arrive as written to survive.
    void valuesArriveAsTheServerWouldKeepThem_data()
    {
        QTest::addColumn<QString>("collation");
        QTest::addColumn<QString>("create");
        QTest::addColumn<QString>("insert");
        const QString memo = QStringLiteral("'C:\\data\\'+'\r\nnext \\ end\\'+'\n'");
        QTest::newRow("code page 1252: Cyrillic needs national text")
            << "SQL_Latin1_General_CP1_CI_AS"
            << "CREATE TABLE [notes]([name] NVARCHAR(4000),[note] TEXT,[raw] VARCHAR(8000));"
            << QString("INSERT INTO [notes] VALUES(N'Дом  ', " + memo + ", 'a'+CHAR(0)+'b')");
        QTest::newRow("code page 1251 holds it")
            << "Cyrillic_General_CI_AS"
            << "CREATE TABLE [notes]([name] VARCHAR(8000),[note] TEXT,[raw] VARCHAR(8000));"
            << QString("INSERT INTO [notes] VALUES('Дом  ', " + memo + ", 'a'+CHAR(0)+'b')");
    }

    void valuesArriveAsTheServerWouldKeepThem()
    {
        QFETCH(QString, collation);
        QFETCH(QString, create);
        QFETCH(QString, insert);
        FakeTdsServer server({"--collation", collation});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        QVERIFY(runInto(server, notesFolder()).started);
        QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join('\n')));
        const QStringList batches = batchesOf(server);
        QVERIFY2(batches.contains(create), qPrintable(batches.join('\n')));
        // The INSERT is one line of a batch; its memo holds line breaks of its own.
        QVERIFY2(('\n' + batches.join('\n') + '\n').contains('\n' + insert + '\n'),
                 qPrintable(batches.join('\n')));
    }

    // Through a server that stores what it is sent by SQL Server's rules, the values arrive as the
    // source holds them: TEXT columns where the collation takes them, VARCHAR(MAX) where it does not;
    // a value joined past 8,000 bytes of UTF-8 whole; memos of 41 pieces, in the code page's bytes
    // or as national text; 40 digits; no bytes NULL.
    void storedAsTheSourceHoldsIt_data()
    {
        QTest::addColumn<QString>("collation");
        QTest::addColumn<QString>("create");
        const QString big = "[big] VARCHAR(40),[pic] VARBINARY(MAX),[day] ";
        QTest::newRow("SQL_Latin1_General_CP1_CI_AS")
            << "SQL_Latin1_General_CP1_CI_AS"
            << "([name] NVARCHAR(4000),[note] NVARCHAR(MAX),[chain] TEXT," + big + "TEXT);";
        for (const char* collation : {"Greek_CI_AS", "Hebrew_CI_AS", "Lithuanian_CI_AS"})
            QTest::newRow(collation) << collation
                                     << "([name] NVARCHAR(4000),[note] NVARCHAR(MAX),[chain] TEXT," + big +
                                            "TEXT);";
        QTest::newRow("Chinese_PRC_CI_AS")
            << "Chinese_PRC_CI_AS"
            << "([name] VARCHAR(8000),[note] TEXT,[chain] TEXT," + big + "TEXT);";
        QTest::newRow("Latin1_General_100_CI_AS_SC_UTF8")
            << "Latin1_General_100_CI_AS_SC_UTF8"
            << "([name] VARCHAR(8000),[note] VARCHAR(MAX),[chain] VARCHAR(MAX)," + big + "VARCHAR(MAX));";
        QTest::newRow("Japanese_XJIS_140_CI_AS")
            << "Japanese_XJIS_140_CI_AS"
            << "([name] VARCHAR(8000),[note] VARCHAR(MAX),[chain] VARCHAR(MAX)," + big + "VARCHAR(MAX));";
    }

    void storedAsTheSourceHoldsIt()
    {
        QFETCH(QString, collation);
        QFETCH(QString, create);
        QTemporaryDir source;
        const QByteArray zhong("\xD6\xD0"); // in code page 936
        FptBuilder memos;
        const quint32 note = memos.memo(zhong.repeated(1350) + "\\\r\n" + zhong.repeated(1350));
        const quint32 chain = memos.memo(QByteArray("a\\\r\n").repeated(40));
        writeFile(source.filePath("world.fpt"), memos.bytes());
        DbfBuilder world(0x30, 0x7A);
        world.field("NAME", 'C', 8).field("NOTE", 'M', 4).field("CHAIN", 'M', 4).field("BIG", 'N', 40);
        world.field("PIC", 'G', 4).field("DAY", 'D', 8);
        world.record({"\xB1\xB1\xBE\xA9", le32(note), le32(chain), "-123456789012345678901234567890123456789",
                      le32(0), "20210831"});
        writeFile(source.filePath("world.dbf"), world.bytes());
        FptBuilder greekMemos;
        const quint32 athens = greekMemos.memo(QByteArray("\xC1\xE8\xDE\xED\xE1\\\r\n").repeated(40));
        writeFile(source.filePath("greek.fpt"), greekMemos.bytes());
        DbfBuilder greek(0x30, 0xCB); // code page 1253
        greek.field("NOTE", 'M', 4).record({le32(athens)});
        writeFile(source.filePath("greek.dbf"), greek.bytes());
        // Hebrew (1255) and Baltic (1257) text, each in a name and a memo of many backslash-breaks;
        // Cyrillic (1251) with a NUL, not-a-number and an infinity.
        for (const auto& [table, languageDriver, name] :
             {std::tuple{"hebrew", 0x7D, QByteArray("\xF9\xEC\xE5\xED")},
              {"baltic", 0xCC,
               QByteArray("M\xFCller Stra\xDF"
                          "e \xD0iauli\xF8")}}) {
            FptBuilder notes;
            const quint32 note = notes.memo((name + "\\\r\n").repeated(40));
            writeFile(source.filePath(QString(table) + ".fpt"), notes.bytes());
            DbfBuilder dbf(0x30, quint8(languageDriver));
            dbf.field("NAME", 'C', 24).field("NOTE", 'M', 4).record({name, le32(note)});
            writeFile(source.filePath(QString(table) + ".dbf"), dbf.bytes());
        }
        DbfBuilder cyrillic(0x30, 0xC9);
        cyrillic.field("NAME", 'C', 7).field("RATE", 'B', 8, 2);
        cyrillic.record({QByteArray("\xC4\xEE\xEC\0ok", 6), le64(0x7FF8000000000000)})
            .record({"\xC4\xEE\xEC", le64(0xFFF0000000000000)});
        writeFile(source.filePath("cyrillic.dbf"), cyrillic.bytes());

        FakeTdsServer server({"--store", "--collation", collation});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        m_window.verify = true;
        const RunOutcome outcome = runInto(server, source.path());
        QVERIFY(outcome.started);
        QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join('\n')));
        verifyEveryTableMatches(outcome);
        QCOMPARE(m_ui.messages().filter("could not be read"),
                 QStringList{"2 values of table cyrillic could not be read and were left empty: "
                             "record 1 (RATE: NaN), record 2 (RATE: -Infinity)"});
        QVERIFY2(batchesOf(server).contains("CREATE TABLE [world]" + create),
                 qPrintable(batchesOf(server).join('\n')));

        db::Connection target;
        target.open(MSSQL::connectionString(server.login()));
        const auto stored = [&](const char* column) {
            return target.queryValue(QStringLiteral("SELECT [%1] FROM [world]").arg(QLatin1String(column)));
        };
        const QString chinese(1350, QChar(0x4E2D));
        QCOMPARE(stored("name"), QStringLiteral("北京    "));
        QCOMPARE(stored("note"), chinese + "\\\r\n" + chinese);
        QCOMPARE(stored("chain"), QStringLiteral("a\\\r\n").repeated(40));
        QCOMPARE(stored("big"), QStringLiteral("-123456789012345678901234567890123456789"));
        QCOMPARE(stored("day"), convert::ValueFormat::system().text(QDate(2021, 8, 31)));
        QCOMPARE(target.queryValue("SELECT COUNT(*) FROM [world] WHERE [pic] IS NULL"), QStringLiteral("1"));
        QCOMPARE(target.queryValue("SELECT [note] FROM [greek]"), QStringLiteral("Αθήνα\\\r\n").repeated(40));
        QCOMPARE(target.queryValue("SELECT [note] FROM [hebrew]"), QStringLiteral("שלום\\\r\n").repeated(40));
        QCOMPARE(target.queryValue("SELECT [name] FROM [baltic]"),
                 QStringLiteral("Müller Straße Šiaulių").leftJustified(24));
        QCOMPARE(target.queryValue("SELECT COUNT(*) FROM [cyrillic] WHERE [rate] IS NULL"),
                 QStringLiteral("2"));
    }

    // Keys and indexes follow the rows, and a key the rows break as the server's collation compares
    // them becomes a plain index: "a" and "A" collide unless the collation is case-sensitive or
    // binary, "a" and "\u00E1" where it is accent-insensitive. The repeated ID always does; no row is
    // lost. The fake server refuses every ALTER TABLE: a plain index takes the refused key's place.
    void keysAndIndexesAfterTheRows_data()
    {
        QTest::addColumn<QString>("collation");
        QTest::addColumn<QStringList>("code"); // what the key CODE becomes
        QTest::addColumn<QString>("repeats");  // the note on CODE, if any
        const QStringList plain{"CREATE INDEX [IX_keyed_CODE] ON [keyed]([code])"};
        const QStringList unique =
            QStringList{"ALTER TABLE [keyed] ADD CONSTRAINT [UQ_keyed_CODE] UNIQUE ([code])"} + plain;
        QTest::newRow("case-insensitive") << "SQL_Latin1_General_CP1_CI_AS" << plain << "1 row(s)";
        QTest::newRow("case-sensitive") << "Latin1_General_100_CS_AS_SC" << unique << "";
        QTest::newRow("binary") << "Latin1_General_BIN2" << unique << "";
        QTest::newRow("accent-insensitive") << "Latin1_General_CI_AI" << plain << "2 row(s)";
        QTest::newRow("accents only") << "Latin1_General_CS_AI" << plain << "1 row(s)";
    }

    void keysAndIndexesAfterTheRows()
    {
        QFETCH(QString, collation);
        QFETCH(QStringList, code);
        QFETCH(QString, repeats);
        QTemporaryDir source;
        writeKeyedTable(source.path());
        FakeTdsServer server({"--store", "--collation", collation});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        m_window.indexes = true;
        const RunOutcome outcome = runInto(server, source.path());
        QVERIFY(outcome.started);
        const QStringList run = server.statementsRun();
        const qsizetype lastInsert = run.lastIndexOf(QRegularExpression("INSERT INTO \\[keyed\\] .*"));
        QVERIFY(lastInsert > 0);
        const QStringList sent =
            QStringList{"CREATE INDEX [IX_keyed_ID] ON [keyed]([id])"} + code +
            QStringList{"ALTER TABLE [keyed] ADD CONSTRAINT [UQ_keyed_NUM] UNIQUE ([num])",
                        "CREATE INDEX [IX_keyed_NUM] ON [keyed]([num])",
                        "CREATE INDEX [IX_keyed_NAME] ON [keyed]([name] DESC)"};
        QCOMPARE(run.mid(lastInsert + 1).filter(QRegularExpression("^(CREATE INDEX|ALTER TABLE) ")), sent);
        db::Connection target;
        target.open(MSSQL::connectionString(server.login()));
        QCOMPARE(target.queryValue("SELECT COUNT(*) FROM [keyed]"), QStringLiteral("4"));
        // The fake server takes CREATE INDEX but does not model ALTER TABLE, and says so.
        const QStringList refused = m_ui.errors().filter("does not model this: ALTER");
        QCOMPARE(refused.size(), m_ui.errors().size());
        QCOMPARE(refused.size(), code.size());
        const QStringList notes = outcome.tables.front().indexNotes;
        QVERIFY2(notes.first().startsWith("keyed: key ID (id): 1 row(s) repeat the key"),
                 qPrintable(notes.join('\n')));
        QCOMPARE(notes.filter("keyed: key CODE (code): " + repeats + " repeat the key").size(),
                 repeats.isEmpty() ? 0 : 1);
        QCOMPARE(notes.filter("was refused by the target; a plain index took its place").size(), code.size());
        QCOMPARE(outcome.tables.front().indexesCreated, 4);
        QCOMPARE(outcome.tables.front().keysCreated, 0);
    }

    // A replaced table whose CREATE the server refuses is rolled back, and gets no rows.
    void refusedCreateIsRolledBack()
    {
        FakeTdsServer server({"--tables", "notes", "--fail-regex", "^CREATE TABLE"});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        m_ui.answers = {true};
        QVERIFY(runInto(server, notesFolder()).started);
        QCOMPARE(m_ui.errors().size(), 1);
        QVERIFY2(m_ui.errors()[0].contains("at line 332"), qPrintable(m_ui.errors()[0]));
        const QStringList batches = batchesOf(server);
        const qsizetype drop = batches.indexOf("DROP TABLE [notes]");
        QVERIFY2(drop > 0, qPrintable(batches.join('\n')));
        QCOMPARE(batches.mid(drop - 1, 4).size(), 4);
        QCOMPARE(batches[drop - 1], QString("BEGIN TRANSACTION"));
        QVERIFY(batches[drop + 1].startsWith("CREATE TABLE [notes]("));
        QCOMPARE(batches[drop + 2], QString("ROLLBACK TRANSACTION"));
        QVERIFY(!batches.join('\n').contains("INSERT INTO"));
    }

    // A statement the server rejects costs its box, which names its row, as the command line's line
    // does; the rows after it are still sent.
    void rejectedStatementCostsOneBox()
    {
        FakeTdsServer server({"--fail-regex", "O''Neil"});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        QVERIFY(runInto(server, m_dir.path()).started);
        const QStringList errors = m_ui.errors();
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains("table alpha, row 1: ") && errors[0].contains("fail-regex") &&
                     errors[0].contains("at line 388"),
                 qPrintable(errors[0]));
        QCOMPARE(m_ui.messages(), QStringList{"Done."});
        QCOMPARE(intoTable(server.statementsRun(), "alpha").size(), 4);

        FakeTdsServer fresh({"--fail-regex", "O''Neil"});
        const CliResult cli = convertWithCli(m_dir.path(), fresh.login());
        QCOMPARE(cli.exitCode, 2);
        QVERIFY2(cli.err.startsWith("step 388: table alpha, row 1: ") && cli.err.count('\n') == 1,
                 qPrintable(cli.err));
    }

    // Seven rows in batches of three (R1-R3, R4-R6, R7), each batch one transaction: what the run
    // reports stored is exactly what the server keeps, whatever happens to a batch, and no row is
    // sent twice. A failing statement, first, in the middle or last in its batch, costs its own box
    // naming its row, also when it ends the rest of the batch on the server; a server that counts no
    // rows by default still reports every row; a connection lost before a COMMIT, or after the
    // server answered part of a batch, leaves nothing of that transaction.
    void batchOutcomes_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("failed");
        QTest::addColumn<QStringList>("boxes");   // a pattern of what each box says
        QTest::addColumn<QStringList>("inserts"); // the rows whose INSERT ran
        const QStringList all{"R1", "R2", "R3", "R4", "R5", "R6", "R7"};
        for (const auto& [option, diagnostic] : {std::pair{"--fail-regex", "rejected by --fail-regex"},
                                                 {"--abort-batch-regex", "Conversion failed"}}) {
            for (const auto& [where, row] : {std::pair{"first", 4}, {"middle", 5}, {"last", 6}}) {
                QTest::addRow("%s, %s", option, where)
                    << QStringList{option, QStringLiteral("'R%1'").arg(row)} << 6 << 1
                    << QStringList{QStringLiteral("table rows, row %1: .*%2.*at line 388")
                                       .arg(row)
                                       .arg(diagnostic)}
                    << all;
            }
        }
        QTest::newRow("the server counts no rows")
            << QStringList{"--nocount"} << 7 << 0 << QStringList() << all;
        // The requests: the collation and code page queries, the CREATE, then each batch and its COMMIT.
        QTest::newRow("lost before a COMMIT")
            << QStringList{"--drop-after-batches", "6"} << 3 << 0
            << QStringList{"lost at table rows, row 4: 4 statement\\(s\\) of that table were not stored"}
            << QStringList{"R1", "R2", "R3", "R4", "R5", "R6"};
        // R5 ends its batch; R4 is committed, and the request sending R6 and what follows goes unanswered.
        QTest::newRow("lost part-way through a batch")
            << QStringList{"--abort-batch-regex", "'R5'", "--drop-after-batches", "7"} << 4 << 1
            << QStringList{"table rows, row 5: .*Conversion failed",
                           "lost at table rows, row 6: 2 statement\\(s\\) of that table were not stored"}
            << QStringList{"R1", "R2", "R3", "R4", "R5"};
    }

    void batchOutcomes()
    {
        QFETCH(QStringList, options);
        QFETCH(int, stored);
        QFETCH(int, failed);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, inserts);
        QTemporaryDir source;
        DbfTableWriter table({{"NAME", 'C', 2}});
        for (int row = 1; row <= 7; ++row)
            table.addRow({QStringLiteral("R%1").arg(row)});
        table.save(source.filePath("rows.dbf"));
        FakeTdsServer server(options + QStringList{"--store"});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        m_run->setBatchStatements(3);
        const RunOutcome outcome = runInto(server, source.path());
        QVERIFY(outcome.started);
        QCOMPARE(outcome.tables.size(), std::size_t(1));
        QCOMPARE(outcome.tables[0].rowsSent, qint64(stored));
        QCOMPARE(outcome.tables[0].statementsFailed, qint64(failed));
        const QStringList errors = m_ui.errors();
        QCOMPARE(errors.size(), boxes.size());
        for (qsizetype i = 0; i < boxes.size(); ++i) {
            const QRegularExpression pattern(boxes[i], QRegularExpression::DotMatchesEverythingOption);
            QVERIFY2(errors[i].contains(pattern), qPrintable(errors[i]));
        }
        QStringList expected;
        for (const QString& row : std::as_const(inserts))
            expected << QStringLiteral("INSERT INTO [rows] VALUES('%1')").arg(row);
        QCOMPARE(intoTable(server.statementsRun(), "rows"), expected);
        QCOMPARE(storedRows(server, "rows"), QString::number(stored));
    }

    // What a batch's results say of its statements, whatever their number: a line that counts nothing
    // leaves its rows' outcome unknown (and they are not sent again); a line that counts twice does
    // not push the count past the batch; a COMMIT that fails stores none of its rows.
    void batchAccounting_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("statements"); // rows 1, 2, ...
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<QString>("problem"); // how the one failure or unknown outcome starts
        QTest::addColumn<QString>("kept");    // what the server holds
        const QString one = QStringLiteral("INSERT INTO [t] VALUES(1)");
        const QString two = QStringLiteral("INSERT INTO [t] VALUES(2)");
        QTest::newRow("a line that counts nothing")
            << QStringList() << QStringList{one, "SET NOCOUNT ON", two} << qint64(1)
            << "table t, rows 2 to 3: outcome unknown: the server did not report what became of these 2 "
               "INSERT statement(s); they were not sent again."
            << "2";
        QTest::newRow("a line that counts twice")
            << QStringList() << QStringList{one + ' ' + two, one} << qint64(2) << QString() << "3";
        QTest::newRow("a COMMIT that fails")
            << QStringList{"--fail-regex", "^COMMIT"} << QStringList{one, two} << qint64(0)
            << "table t, rows 1 to 2: not stored, the transaction could not be committed: "
            << "0";
    }

    void batchAccounting()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, statements);
        QFETCH(qint64, stored);
        QFETCH(QString, problem);
        QFETCH(QString, kept);
        FakeTdsServer server(options + QStringList{"--store"});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        db::Connection connection;
        connection.open(MSSQL::connectionString(server.login()));
        connection.execute("CREATE TABLE [t]([a] INT)");
        convert::InsertBatch batch(10, true);
        for (qsizetype i = 0; i < statements.size(); ++i)
            batch.add(statements[i], i + 1);
        const convert::InsertBatch::Report report = batch.send(connection);
        QCOMPARE(report.stored, stored);
        QStringList problems;
        for (const convert::InsertBatch::Rows& rows : report.failures)
            problems << rows.text("t");
        if (report.unknown)
            problems << report.unknown->text("t");
        QCOMPARE(problems.size(), problem.isEmpty() ? 0 : 1);
        if (!problem.isEmpty())
            QVERIFY2(problems[0].startsWith(problem), qPrintable(problems[0]));
        QCOMPARE(storedRows(server, "t"), kept);
    }

    // Into a server that stores what it is sent: the run's own check finds the table whole, and
    // verify finds the text a script forced into a varchar column of a code page that cannot hold it.
    void checkFindsWhatTheServerChanged()
    {
        QTemporaryDir source;
        DbfBuilder greek(0x30, 0xCB); // code page 1253
        greek.field("ID", 'I', 4).field("NAME", 'C', 5);
        greek.record({le32(1), "\xD9mega"}).record({le32(2), "alpha"});
        writeFile(source.filePath("forced.dbf"), greek.bytes());
        FakeTdsServer server({"--store"});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        m_window.verify = true;
        const RunOutcome outcome = runInto(server, source.path());
        QCOMPARE(outcome.tables.size(), std::size_t(1));
        QCOMPARE(outcome.tables[0].rowsOnTarget, qint64(2));
        QVERIFY(outcome.tables[0].check && outcome.tables[0].check->matches());
        QCOMPARE(outcome.tables[0].check->valuesChecked, qint64(4));

        db::Connection target;
        target.open(MSSQL::connectionString(server.login()));
        target.execute("DROP TABLE [forced]");
        target.execute("CREATE TABLE [forced]([ID] INT,[NAME] VARCHAR(5))");
        target.execute(QStringLiteral(
            "INSERT INTO [forced] VALUES(1, '\u03A9mega'); INSERT INTO [forced] VALUES(2, 'alpha')"));
        target.close();
        const CliResult cli = convertWithCli(source.path(), server.login(), "verify");
        QCOMPARE(cli.err, QString());
        QCOMPARE(
            cli.out,
            QString("forced: 2 rows read, 2 on the target: 0 missing, 0 extra, 1 value differs in 1 row\n"
                    "forced: record 1 (target row 1): name source \"\u03A9mega\", target \"?mega\"\n"));
        QCOMPARE(cli.exitCode, 3);
    }

    // The server goes away mid-table: one box names where the run stopped, nothing is sent after,
    // and the run winds down with the window reset.
    void lostServerEndsTheRunOnce()
    {
        // The collation and code page queries, gamma's CREATE and count, beta's CREATE, its two rows
        // in one batch, their COMMIT and its count, alpha's CREATE; the batch of alpha's first two
        // rows is the unanswered request.
        FakeTdsServer server({"--drop-after-batches", "9"});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        m_run->setBatchStatements(2);
        const RunOutcome outcome = runInto(server, m_dir.path());
        QVERIFY(outcome.started && outcome.connectionLost);
        const QStringList errors = m_ui.errors();
        QCOMPARE(errors.size(), 1);
        QVERIFY2(
            errors[0].contains("The connection to the server was lost at table alpha, row 1: 4 statement(s) "
                               "of that table were not stored, nor any of the 0 table(s) after it."),
            qPrintable(errors[0]));
        QCOMPARE(m_ui.messages(), QStringList{RunReport::lostLine()});
        QVERIFY(!m_run->isConverting());
        QVERIFY(!m_state.mssql_conn->isOpen());
        QCOMPARE(m_window.pointers.back(), false);
        QCOMPARE(m_window.progressValues.back(), 0.0);
        QCOMPARE(m_window.progressTexts.back(), QStringLiteral("Progress Bar"));
        const std::vector<QJsonObject> drops = server.log("drop");
        QCOMPARE(drops.size(), std::size_t(1));
        QVERIFY(drops[0].value("text").toString().contains("INSERT INTO [alpha] VALUES("));
        QCOMPARE(server.statementsRun().filter("INSERT INTO").size(), 2);
        QVERIFY(server.log().back().value("kind") != QLatin1String("batch"));

        // The command line, against a server that has not seen the tables yet.
        FakeTdsServer fresh({"--drop-after-batches", "8"});
        const CliResult cli = convertWithCli(m_dir.path(), fresh.login());
        QCOMPARE(cli.exitCode, 2);
        QCOMPARE(cli.err.count('\n'), 1);
        QVERIFY2(cli.err.startsWith(
                     "step 332: The connection to the server was lost at table alpha, CREATE TABLE"),
                 qPrintable(cli.err));
        // Each table's tally, the batched INSERTs counted, and no "Done" line.
        QCOMPARE(cli.out,
                 QString("gamma: 0 row(s) read, 1 statement(s) succeeded, 0 failed, 0 on the target.\n"
                         "beta: 2 row(s) read, 3 statement(s) succeeded, 0 failed, 2 on the target.\n"
                         "alpha: 0 row(s) read, 0 statement(s) succeeded, 0 failed.\n"));
    }

    // "Execute SQL" of a preview that loses the server stops at its line with one box.
    void lostServerEndsExecuteSql()
    {
        FakeTdsServer server({"--drop-after-batches", "2"});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        m_state.mssql_conn = std::make_unique<db::Connection>();
        m_state.mssql_conn->open(MSSQL::connectionString(server.login()));
        StatementListModel statements;
        for (const char* line : {"CREATE TABLE [t]([a] INT)", "INSERT INTO [t] VALUES(1)", "",
                                 "INSERT INTO [t] VALUES(2)", "INSERT INTO [t] VALUES(3)"})
            statements.append(QString::fromLatin1(line));
        class View final : public ExecutionView
        {
        public:
            void setBusyPointer(bool busy) override { busyPointer = busy; }
            void setProgressValue(double) override {}
            void setProgressText(const QString& text) override { progressText = text; }
            void selectLine(int) override {}
            void scrollToLine(int) override {}
            void setErrorText(const QString&) override {}
            bool busyPointer = false;
            QString progressText;
        } view;
        int errorLine = 0;
        StatementExecution execution(m_ui, nullptr, view, m_state, errorLine);
        QCOMPARE(execution.run(statements), StatementExecution::Outcome::Lost);
        QVERIFY(m_state.targetLost);
        const QStringList errors = m_ui.errors();
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains("lost at list line 4: 2 statement(s) were not sent.") &&
                     errors[0].contains("at line 132"),
                 qPrintable(errors[0]));
        QVERIFY(!view.busyPointer);
        QCOMPARE(view.progressText, StatementExecution::idleProgressText());
        QCOMPARE(server.statementsRun().size(), 2);
    }

    // A refused login: the run does not start, and the command line says why.
    void rejectedLogin()
    {
        FakeTdsServer server({"--reject-login"});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        const RunOutcome outcome = runInto(server, m_dir.path());
        QVERIFY(!outcome.started);
        QVERIFY2(outcome.targetFailure.contains("Login failed"), qPrintable(outcome.targetFailure));
        QCOMPARE(m_ui.messages(), QStringList{MSSQL::connectionFailedText()});
        QCOMPARE(m_ui.calls[0].details, outcome.targetFailure);
        const CliResult cli = convertWithCli(m_dir.path(), server.login());
        QCOMPARE(cli.exitCode, 1);
        QVERIFY2(
            cli.err.startsWith("ferrandine-cli convert: cannot connect to database target on 127.0.0.1: ") &&
                cli.err.contains("Login failed"),
            qPrintable(cli.err));
    }

    // A server that never answers: "Test Connection" fails within the login timeout while the window
    // keeps running its events, and a click meanwhile is not taken.
    void silentServerKeepsTheWindowPainting()
    {
        FakeTdsServer server({"--silent"});
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        RecordingSettings settings;
        Form1 form(m_ui, settings, nullptr, [] { return 1; });
        const MSSQLLogin login = server.login();
        form.findChild<QLineEdit*>("Text5")->setText(login.server);
        form.findChild<QLineEdit*>("Text6")->setText(login.port);
        form.findChild<QLineEdit*>("Text8")->setText(login.database);
        auto* button = form.findChild<QPushButton*>("PushButton6");
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        Qt::CursorShape waiting = Qt::ArrowCursor;
        QTimer::singleShot(500, [&] {
            waiting = form.cursor().shape();
            QTest::mouseClick(button, Qt::LeftButton);
        });
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(button, Qt::LeftButton);
        const qint64 elapsed = timer.elapsed();
        qInfo() << "silent server:" << elapsed << "ms," << ticks << "timer ticks";
        QCOMPARE(m_ui.messages(), QStringList{"Could not connect. Please check with your administrator."});
        QVERIFY(!m_ui.calls[0].details.isEmpty()); // the driver's reason
        QVERIFY(elapsed < 25000);                  // the login timeout is 15 s
        QVERIFY(ticks > 10);
        QCOMPARE(waiting, Qt::WaitCursor);
        QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(TestFreeTdsTarget)
#include "TestFreeTdsTarget.moc"
