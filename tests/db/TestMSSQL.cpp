// The SQL Server target through the real driver manager, with the SQLite ODBC driver registered as
// "SQL Server" in a private ODBC configuration: the production connection string reaches SQLite with
// Database = the database file.
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/MSSQL.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/PrivateOdbcConfig.h"

#include <QProcess>
#include <QtTest>

#include <clocale>
#include <functional>

using db::Connection;
using db::DbError;

class TestMSSQL : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    MSSQLLogin m_login;

    // Runs SQL on the database file with the sqlite3 tool and returns what it prints.
    QString sqlite(const QString& sql)
    {
        QProcess tool;
        tool.start(QStringLiteral("sqlite3"), {m_login.database, sql});
        if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
            qFatal("sqlite3 failed: %s", tool.readAllStandardError().constData());
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    static DbError failureOf(const std::function<void()>& work)
    {
        try {
            work();
        } catch (const DbError& error) {
            return error;
        }
        return DbError(QStringLiteral("no failure"), 0);
    }

private slots:
    void initTestCase()
    {
        const QString error = PrivateOdbcConfig::registerSqliteAsSqlServer();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(m_dir.isValid());
        m_login = {QStringLiteral("db.example"),
                   QStringLiteral("1433"),
                   m_dir.filePath(QStringLiteral("target.db")),
                   QStringLiteral("sa"),
                   QStringLiteral("se;cret"),
                   false};
    }

    void buildsBothFormsOfTheConnectionString_data()
    {
        QTest::addColumn<MSSQLLogin>("login");
        QTest::addColumn<QString>("expected");
        QTest::newRow("port") << MSSQLLogin{"srv", "1433", "sales", "sa", "pw", false}
                              << "Driver={SQL Server};Server=srv,1433;Database=sales;Uid=sa;Pwd=pw;";
        QTest::newRow("local connection ignores the port")
            << MSSQLLogin{"srv\\SQLEXPRESS", "99x", "sales", "sa", "pw", true}
            << "Driver={SQL Server};Server=srv\\SQLEXPRESS;Database=sales;Uid=sa;Pwd=pw;";
        QTest::newRow("empty port keeps the comma")
            << MSSQLLogin{"srv", "", "sales", "sa", "pw", false}
            << "Driver={SQL Server};Server=srv,;Database=sales;Uid=sa;Pwd=pw;";
        QTest::newRow("semicolon in the password is braced")
            << MSSQLLogin{"srv", "1433", "sales", "sa", "se;cret", false}
            << "Driver={SQL Server};Server=srv,1433;Database=sales;Uid=sa;Pwd={se;cret};";
        QTest::newRow("leading brace is braced, closing braces doubled")
            << MSSQLLogin{"srv", "1433", "{db}", "sa", "{x", true}
            << "Driver={SQL Server};Server=srv;Database={{db}}};Uid=sa;Pwd={{x};";
        QTest::newRow("other values as typed")
            << MSSQLLogin{" srv ", "1433", "my db", "dom\\u", "a}b=c", false}
            << "Driver={SQL Server};Server= srv ,1433;Database=my db;Uid=dom\\u;Pwd=a}b=c;";
    }

    void buildsBothFormsOfTheConnectionString()
    {
        QFETCH(MSSQLLogin, login);
        QFETCH(QString, expected);
        QCOMPARE(MSSQL::connectionString(login), expected);
    }

    void listOperationsCompareAsTheRunNeeds()
    {
        QStringList list{QStringLiteral("Orders"), QStringLiteral("items"), QStringLiteral("orders")};
        QVERIFY(MSSQL::IsTableInListbox(list, QStringLiteral("ORDERS")));
        QVERIFY(!MSSQL::IsTableInListbox(list, QStringLiteral("order")));
        QVERIFY(!MSSQL::IsTableInListbox({}, QString()));
        MSSQL::RemoveTableFromListbox(list, QStringLiteral("orders"));
        QCOMPARE(list, QStringList({QStringLiteral("Orders"), QStringLiteral("items")}));
        MSSQL::RemoveTableFromListbox(list, QStringLiteral("nothing"));
        QCOMPARE(list.size(), 2);
    }

    void testsTheConnection()
    {
        QVERIFY(MSSQL::IsValidMSSQLConnection(m_login));
        MSSQLLogin local = m_login;
        local.localConnection = true;
        QVERIFY(MSSQL::IsValidMSSQLConnection(local));
        MSSQLLogin missing = m_login;
        missing.database = m_dir.filePath(QStringLiteral("no/such/folder.db"));
        QVERIFY(!MSSQL::IsValidMSSQLConnection(missing));
    }

    void runsGeneratedStatementsAndReportsFailures()
    {
        Connection conn;
        conn.setCursorLocation(db::ConnectionOptions::UseServer);
        conn.setCommandTimeout(5000);
        conn.setConnectionTimeout(5000);
        conn.open(MSSQL::connectionString(m_login));
        conn.execute(QStringLiteral("CREATE TABLE [orders] ([id] int, [name] varchar(20))"));
        conn.execute(QStringLiteral("DROP TABLE [orders]"));
        conn.execute(QStringLiteral("CREATE TABLE [orders] ([id] int, [name] varchar(20), [paid] datetime)"));
        conn.execute(QStringLiteral("INSERT INTO [orders] VALUES(1,'it''s',NULL)"));
        conn.execute(QStringLiteral("INSERT INTO [orders] VALUES(2,'b','2021-08-31 10:00:00')"));

        const DbError failed =
            failureOf([&] { conn.execute(QStringLiteral("INSERT INTO [nosuch] VALUES(1)")); });
        QVERIFY(failed.number() != 0);
        QVERIFY2(failed.description().startsWith(QLatin1String("[SQLite]")) &&
                     failed.description().contains(QLatin1String("no such table: nosuch")),
                 qPrintable(failed.description()));
        // The connection goes on after a failed statement.
        conn.execute(QStringLiteral("INSERT INTO [orders] VALUES(3,'c',NULL)"));
        conn.close();

        QCOMPARE(sqlite(QStringLiteral("SELECT id, name, coalesce(paid,'-') FROM orders ORDER BY id")),
                 QStringLiteral("1|it's|-\n2|b|2021-08-31 10:00:00\n3|c|-"));
    }

    void listsBaseTablesWithoutSysNames()
    {
        sqlite(QStringLiteral(
            "CREATE TABLE customers(id INTEGER PRIMARY KEY AUTOINCREMENT);"
            "INSERT INTO customers VALUES(NULL);"
            "CREATE TABLE [Order Lines](x); CREATE TABLE MySystemLog(x); CREATE TABLE sysdiagrams(x);"
            "CREATE TABLE [Städte](x); CREATE VIEW recent AS SELECT * FROM customers;"));
        QVERIFY(sqlite(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name='sqlite_sequence'")) ==
                "1");

        FakeUiServices ui;
        QStringList list{QStringLiteral("stale")};
        MSSQL::AddTablesToMSSQLListbox(ui, m_login, list);
        list.sort();
        // SQLite's own sqlite_sequence is a table by its catalogue, and has no "SYS" in its name.
        QCOMPARE(list, QStringList({"Order Lines", "Städte", "customers", "orders", "sqlite_sequence"}));
        QCOMPARE(ui.eventPumps, 7);
    }

    void failedCatalogueReachesTheCaller()
    {
        FakeUiServices ui;
        QStringList list{QStringLiteral("kept")};
        MSSQLLogin missing = m_login;
        missing.database = m_dir.filePath(QStringLiteral("no/such/folder.db"));
        const DbError failed = failureOf([&] { MSSQL::AddTablesToMSSQLListbox(ui, missing, list); });
        QVERIFY2(failed.description().startsWith(QLatin1String("[SQLite]")),
                 qPrintable(failed.description()));
        QCOMPARE(list, QStringList(QStringLiteral("kept")));
    }

    void unknownDriverIsTheDriverManagersError()
    {
        Connection conn;
        const DbError failed = failureOf([&] { conn.open(QStringLiteral("Driver={Nonesuch};Server=x;")); });
        QVERIFY(failed.number() != 0);
        QVERIFY2(failed.description().startsWith(QLatin1String("[unixODBC][Driver Manager]")),
                 qPrintable(failed.description()));
        QVERIFY(!conn.isOpen());
    }

    // A driver without wide entry points gets its text converted by the driver manager through the
    // process locale; under the C locale (no LANG in the environment) that conversion is ASCII.
    void nonAsciiTextSurvivesTheCLocale()
    {
        std::setlocale(LC_CTYPE, "C");
        Connection conn;
        conn.open(MSSQL::connectionString(m_login));
        conn.execute(QStringLiteral("CREATE TABLE [Orte] ([name] varchar(20))"));
        for (const char* place : {"Zürich", "Łódź", "日本"})
            conn.execute(QStringLiteral("INSERT INTO [Orte] VALUES('%1')").arg(QString::fromUtf8(place)));
        // The driver's message comes back through the same conversion.
        const DbError failed = failureOf([&] { conn.execute(QStringLiteral("SELECT * FROM [Łąka]")); });
        QVERIFY2(failed.description().contains(QStringLiteral("no such table: Łąka")),
                 qPrintable(failed.description()));
        conn.close();
        QCOMPARE(sqlite(QStringLiteral("SELECT group_concat(name, ',') FROM Orte")),
                 QStringLiteral("Zürich,Łódź,日本"));
    }
};

QTEST_GUILESS_MAIN(TestMSSQL)
#include "TestMSSQL.moc"
