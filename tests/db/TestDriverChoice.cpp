// The driver choice as the driver manager lists the drivers: with "ODBC Driver 17 for SQL Server"
// and FreeTDS registered (both names served by the FreeTDS library, which is what this machine has),
// the connection goes through Microsoft's name, with its encryption keywords, and reaches the server.
#include "db/Connection.h"
#include "db/MSSQL.h"
#include "db/odbc/DriverResolution.h"
#include "tests/support/FakeTdsServer.h"
#include "tests/support/PrivateOdbcConfig.h"
#include "tests/support/SharedFiles.h"

#include <QtTest>

#include <optional>

class TestDriverChoice : public QObject
{
    Q_OBJECT

    std::optional<PrivateOdbcConfig> m_config;

private slots:
    void initTestCase()
    {
        const QString library = PrivateOdbcConfig::freeTdsDriverLibrary();
        if (library.isEmpty())
            QSKIP("The FreeTDS ODBC driver (Debian package tdsodbc) is not installed.");
        m_config.emplace(std::vector<std::pair<QString, QString>>{
            {QStringLiteral("FreeTDS"), library},
            {QStringLiteral("ODBC Driver 17 for SQL Server"), library}});
        QVERIFY2(m_config->error().isEmpty(), qPrintable(m_config->error()));
    }

    void microsoftNameBeforeFreeTds()
    {
        REQUIRE_SHARED("tools/fake_tds_server.py");
        FakeTdsServer server;
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        const QString connectionString = MSSQL::connectionString(server.login());
        const QString resolved = db::odbc::resolveDriver(connectionString);
        QVERIFY2(resolved.startsWith("Driver=ODBC Driver 17 for SQL Server;Server=127.0.0.1,") &&
                     resolved.endsWith(";Encrypt=no;TrustServerCertificate=yes;"),
                 qPrintable(resolved));
        db::Connection connection;
        connection.open(connectionString);
        connection.execute(QStringLiteral("CREATE TABLE [t]([a] INT)"));
        QCOMPARE(server.log("login").size(), std::size_t(1));
        QCOMPARE(server.log("batch").back().value("text").toString(),
                 QStringLiteral("CREATE TABLE [t]([a] INT)"));
    }
};

QTEST_GUILESS_MAIN(TestDriverChoice)
#include "TestDriverChoice.moc"
