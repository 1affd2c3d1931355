// The SQL Server connection string when no driver named "SQL Server" is installed: FreeTDS serves it.
// Only FreeTDS is registered in this process's private ODBC configuration; loopback listeners stand in
// for a server that accepts a connection and never answers.
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/MSSQL.h"
#include "db/odbc/DriverResolution.h"
#include "tests/support/PrivateOdbcConfig.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QtTest>

#include <optional>

using db::DbError;

namespace {

constexpr int LoginTimeout = 2; // seconds

struct Attempt
{
    QString description;
    qint64 milliseconds = 0;
};

// Opens a connection with a short login timeout; the open must fail.
Attempt failedOpen(const QString& connectionString)
{
    db::Connection conn;
    conn.setConnectionTimeout(LoginTimeout);
    QElapsedTimer timer;
    timer.start();
    try {
        conn.open(connectionString);
    } catch (const DbError& error) {
        return {error.description(), timer.elapsed()};
    }
    return {QStringLiteral("(opened)"), timer.elapsed()};
}

QString loopbackString(const QString& server)
{
    return MSSQL::connectionString(
        {server, QString(), QStringLiteral("sales"), QStringLiteral("sa"), QStringLiteral("pw"), true});
}

} // namespace

class TestFreeTds : public QObject
{
    Q_OBJECT

    std::optional<PrivateOdbcConfig> m_config;

private slots:
    void initTestCase()
    {
        const QString driver = PrivateOdbcConfig::freeTdsDriverLibrary();
        if (driver.isEmpty())
            QSKIP("The FreeTDS ODBC driver (Debian package tdsodbc) is not installed.");
        m_config.emplace(std::vector<std::pair<QString, QString>>{{QStringLiteral("FreeTDS"), driver}});
        QVERIFY2(m_config->error().isEmpty(), qPrintable(m_config->error()));
        QCOMPARE(db::odbc::installedDrivers(), QStringList(QStringLiteral("FreeTDS")));
    }

    void resolvesTheSqlServerDriver_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("expected");
        const QStringList freeTds{QStringLiteral("FreeTDS")};
        QTest::newRow("installed SQL Server driver serves unchanged")
            << "Driver={SQL Server};Server=srv;" << QStringList{"FreeTDS", "SQL Server"}
            << "Driver={SQL Server};Server=srv;";
        QTest::newRow("another driver is not touched")
            << "Driver={ODBC Driver 18 for SQL Server};Server=srv;" << freeTds
            << "Driver={ODBC Driver 18 for SQL Server};Server=srv;";
        QTest::newRow("no port: 1433 and the protocol version are added")
            << "driver={sql server};Server=srv;Database=d;Uid=u;Pwd={se;cret};" << freeTds
            << "driver=FreeTDS;Server=srv;Database=d;Uid=u;Pwd={se;cret};Port=1433;TDS_Version=7.4;";
        QTest::newRow("server with port") << "Driver={SQL Server};Server=srv,1500;" << freeTds
                                          << "Driver=FreeTDS;Server=srv,1500;TDS_Version=7.4;";
        QTest::newRow("server with instance") << "Driver={SQL Server};Server=srv\\SQLEXPRESS;" << freeTds
                                              << "Driver=FreeTDS;Server=srv\\SQLEXPRESS;TDS_Version=7.4;";
        QTest::newRow("explicit port and version are kept")
            << "Driver={SQL Server};Server=srv;PORT=2000;tds_version=7.2;" << freeTds
            << "Driver=FreeTDS;Server=srv;PORT=2000;tds_version=7.2;";
        QTest::newRow("FreeTDS not registered: its library")
            << "Driver={SQL Server};Server=srv,1;" << QStringList()
            << "Driver=/usr/lib/odbc/libtdsodbc.so;Server=srv,1;TDS_Version=7.4;";
        QTest::newRow("FreeTDS, mandatory encryption")
            << "Driver={SQL Server};Server=srv,1;Encrypt=mandatory;TrustServerCertificate=yes;" << freeTds
            << "Driver=FreeTDS;Server=srv,1;TDS_Version=7.4;Encryption=require;";
        // Microsoft's drivers come before FreeTDS, version 18 before 17, and never demand more
        // encryption than asked; a certificate is checked only for mandatory (unless trusted) and strict.
        const QStringList all{"FreeTDS", "ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server"};
        const QStringList only17{"FreeTDS", "ODBC Driver 17 for SQL Server"};
        const QString ms18 = "Driver=ODBC Driver 18 for SQL Server;Server=srv;Uid=u;";
        const QString ms17 = "Driver=ODBC Driver 17 for SQL Server;Server=srv;Uid=u;";
        QTest::newRow("18 optional") << "Driver={SQL Server};Server=srv;Uid=u;" << all
                                     << ms18 + "Encrypt=Optional;TrustServerCertificate=yes;";
        QTest::newRow("18 mandatory") << "Driver={SQL Server};Server=srv;Uid=u;Encrypt=mandatory;" << all
                                      << ms18 + "Encrypt=Mandatory;TrustServerCertificate=no;";
        QTest::newRow("18 mandatory, trusted")
            << "Driver={SQL Server};Server=srv;Encrypt=mandatory;Uid=u;TrustServerCertificate=yes;" << all
            << ms18 + "Encrypt=Mandatory;TrustServerCertificate=yes;";
        QTest::newRow("18 strict") << "Driver={SQL Server};Server=srv;Uid=u;Encrypt=strict;" << all
                                   << ms18 + "Encrypt=Strict;TrustServerCertificate=no;";
        QTest::newRow("17 optional") << "Driver={SQL Server};Server=srv;Uid=u;" << only17
                                     << ms17 + "Encrypt=no;TrustServerCertificate=yes;";
        QTest::newRow("17 mandatory") << "Driver={SQL Server};Server=srv;Uid=u;Encrypt=mandatory;" << only17
                                      << ms17 + "Encrypt=yes;TrustServerCertificate=no;";
        QTest::newRow("17 strict") << "Driver={SQL Server};Server=srv;Uid=u;Encrypt=strict;" << only17
                                   << ms17 + "Encrypt=yes;TrustServerCertificate=no;";
        QTest::newRow("SQL Server before Microsoft's")
            << "Driver={SQL Server};Server=srv;Encrypt=strict;" << all + QStringList{"SQL Server"}
            << "Driver={SQL Server};Server=srv;Encrypt=strict;";
    }

    void resolvesTheSqlServerDriver()
    {
        QFETCH(QString, given);
        QFETCH(QStringList, installed);
        QFETCH(QString, expected);
        QCOMPARE(db::odbc::resolveDriver(given, installed, QStringLiteral("/usr/lib/odbc/libtdsodbc.so")),
                 expected);
    }

    // FreeTDS cannot be told to check a certificate, nor is a level it does not know sent on.
    void unkeptEncryptionIsRefused()
    {
        const QStringList freeTds{QStringLiteral("FreeTDS")};
        QVERIFY_THROWS_EXCEPTION(
            DbError, db::odbc::resolveDriver("Driver={SQL Server};Server=srv;Encrypt=strict;", freeTds, {}));
        QVERIFY_THROWS_EXCEPTION(
            DbError, db::odbc::resolveDriver("Driver={SQL Server};Server=srv;Encrypt=maybe;", freeTds, {}));
    }

    // The server accepts the connection and never answers: the login timeout ends the attempt.
    void serverWithPortIsReachedAndSilenceTimesOut()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const Attempt attempt =
            failedOpen(loopbackString(QStringLiteral("127.0.0.1,%1").arg(silent.serverPort())));
        qInfo() << "silent server:" << attempt.milliseconds << "ms:" << attempt.description;
        QVERIFY2(silent.waitForNewConnection(0), "the listener was not reached");
        QVERIFY2(attempt.description.contains(QLatin1String("timeout"), Qt::CaseInsensitive),
                 qPrintable(attempt.description));
        // Generous bound: the point is that the login timeout ends the wait, not how precisely.
        QVERIFY(attempt.milliseconds < 5 * 1000 * LoginTimeout);
    }

    void serverWithoutPortGoesTo1433()
    {
        QTcpServer silent;
        if (!silent.listen(QHostAddress::LocalHost, 1433))
            QSKIP("Port 1433 on the loopback address is taken or not permitted here.");
        const Attempt attempt = failedOpen(loopbackString(QStringLiteral("127.0.0.1")));
        qInfo() << "port 1433:" << attempt.milliseconds << "ms:" << attempt.description;
        QVERIFY2(silent.waitForNewConnection(0), "nothing reached port 1433");
    }

    void nothingListeningFailsAtOnce()
    {
        quint16 port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        const Attempt attempt = failedOpen(loopbackString(QStringLiteral("127.0.0.1,%1").arg(port)));
        qInfo() << "refused:" << attempt.milliseconds << "ms:" << attempt.description;
        QVERIFY2(attempt.description.contains(QLatin1String("Unable to connect")),
                 qPrintable(attempt.description));
        QVERIFY(!MSSQL::IsValidMSSQLConnection(
            {QStringLiteral("127.0.0.1"), QString::number(port), "d", "u", "p"}));
    }
};

QTEST_GUILESS_MAIN(TestFreeTds)
#include "TestFreeTds.moc"
