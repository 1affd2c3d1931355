// The conversion run against SQL Server's wire protocol: the real FreeTDS driver talks to
// fake_tds_server.py, which answers the code page of its database's collation and logs every batch
// exactly as it arrived. What arrives is what the server would keep: text beyond the code page in N
// literals, no NUL in the text, a backslash before a line break kept apart from it; and a replaced
// table whose CREATE the server refuses is rolled back.
#include "tests/convert/RunHarness.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/PrivateOdbcConfig.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

class TestFreeTdsTarget : public QObject
{
    Q_OBJECT

    std::optional<PrivateOdbcConfig> m_config;
    QTemporaryDir m_dir;

    // Starts the server, runs a conversion of `folder` into it, and returns the batches it received.
    QStringList convertThroughServer(const QString& folder, const QStringList& serverOptions,
                                     FakeUiServices& ui);

private slots:
    void initTestCase();
    void valuesArriveAsTheServerWouldKeepThem_data();
    void valuesArriveAsTheServerWouldKeepThem();
    void refusedCreateIsRolledBack();
};

void TestFreeTdsTarget::initTestCase()
{
    const QString driver = PrivateOdbcConfig::freeTdsDriverLibrary();
    if (driver.isEmpty())
        QSKIP("The FreeTDS ODBC driver (Debian package tdsodbc) is not installed.");
    QVERIFY(m_dir.isValid());
    m_config.emplace(std::vector<std::pair<QString, QString>>{{QStringLiteral("FreeTDS"), driver}});
    QVERIFY2(m_config->error().isEmpty(), qPrintable(m_config->error()));
    // The machine's FreeTDS settings must not decide the outcome: the connection string carries all.
    QFile empty(m_config->folder() + QStringLiteral("/freetds.conf"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    qputenv("FREETDSCONF", QFile::encodeName(empty.fileName()));

    QVERIFY(QDir().mkpath(m_dir.filePath("source")));
    // One table in code page 1251: Cyrillic text, a memo with a backslash before CR LF, a NUL.
    FptBuilder memos;
    const quint32 note = memos.memo("C:\\data\\\r\nnext \\ end\\\n");
    writeFile(m_dir.filePath("source/notes.fpt"), memos.bytes());
    DbfBuilder notes(0x30, 0xC9);
    notes.field("NAME", 'C', 5).field("NOTE", 'M', 4).field("RAW", 'C', 3);
    notes.record({"\xC4\xEE\xEC", le32(note), QByteArray("a\0b", 3)});
    writeFile(m_dir.filePath("source/notes.dbf"), notes.bytes());
}

QStringList TestFreeTdsTarget::convertThroughServer(const QString& folder, const QStringList& serverOptions,
                                                    FakeUiServices& ui)
{
    const QString log =
        m_dir.filePath(QStringLiteral("server-%1.jsonl").arg(QDateTime::currentMSecsSinceEpoch()));
    QProcess server;
    server.start(QStringLiteral("python3"),
                 QStringList{QStringLiteral(FERRANDINE_SHARED_DIR "/tools/fake_tds_server.py"), "--port", "0",
                             "--log", log} +
                     serverOptions);
    // The first line names the port: "fake_tds_server listening on 127.0.0.1:PORT".
    while (!server.canReadLine()) {
        if (!server.waitForReadyRead(20000))
            return {QStringLiteral("(the server did not start: %1)")
                        .arg(QString::fromUtf8(server.readAllStandardError()))};
    }
    const QString first = QString::fromUtf8(server.readLine()).trimmed();
    const QString port = first.section(u':', -1);

    SharedState state;
    ScriptedRunWindow window;
    window.source.folder = folder;
    window.login = {QStringLiteral("127.0.0.1"), port, QStringLiteral("sales"), QStringLiteral("sa"),
                    QStringLiteral("pw"),        false};
    ScriptedPreview preview(state);
    RecordedDatatypes datatypes;
    QStringList list1;
    QStringList list2;
    ConversionRun run(window, state, ui, preview, datatypes, list1, list2);
    run.start();
    state.mssql_conn.reset();
    server.terminate();
    server.waitForFinished(10000);

    QStringList batches;
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    while (!file.atEnd()) {
        const QJsonObject entry = QJsonDocument::fromJson(file.readLine()).object();
        if (entry.value("kind").toString() == QLatin1String("batch"))
            batches.push_back(entry.value("text").toString());
    }
    return batches;
}

void TestFreeTdsTarget::valuesArriveAsTheServerWouldKeepThem_data()
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

void TestFreeTdsTarget::valuesArriveAsTheServerWouldKeepThem()
{
    QFETCH(QString, collation);
    QFETCH(QString, create);
    QFETCH(QString, insert);
    FakeUiServices ui;
    const QStringList batches =
        convertThroughServer(m_dir.filePath("source"), {"--collation", collation}, ui);
    QVERIFY2(ui.errors().isEmpty(), qPrintable(ui.errors().join('\n')));
    QVERIFY2(batches.contains(create), qPrintable(batches.join('\n')));
    QVERIFY2(batches.contains(insert), qPrintable(batches.join('\n')));
}

void TestFreeTdsTarget::refusedCreateIsRolledBack()
{
    FakeUiServices ui;
    ui.answers = {true};
    const QStringList batches = convertThroughServer(
        m_dir.filePath("source"), {"--tables", "notes", "--fail-regex", "^CREATE TABLE"}, ui);
    QCOMPARE(ui.errors().size(), 1);
    QVERIFY2(ui.errors()[0].contains("at line 332"), qPrintable(ui.errors()[0]));
    const qsizetype drop = batches.indexOf("DROP TABLE [notes]");
    QVERIFY2(drop > 0, qPrintable(batches.join('\n')));
    QCOMPARE(batches.mid(drop - 1, 4).size(), 4);
    QCOMPARE(batches[drop - 1], QString("BEGIN TRANSACTION"));
    QVERIFY(batches[drop + 1].startsWith("CREATE TABLE [notes]("));
    QCOMPARE(batches[drop + 2], QString("ROLLBACK TRANSACTION"));
    QVERIFY(!batches.join('\n').contains("INSERT INTO"));
}

QTEST_GUILESS_MAIN(TestFreeTdsTarget)
#include "TestFreeTdsTarget.moc"
