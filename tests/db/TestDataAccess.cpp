#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "db/MemoryRecordSet.h"

#include <QtTest>

using namespace db;

class TestDataAccess : public QObject
{
    Q_OBJECT

private slots:
    void parsesKeywordsInAnyCaseAndBracedValues()
    {
        const auto cs = ConnectionString::parse(QStringLiteral(
            "Driver={SQL Server};Server=host,1433; Database = sales ;Uid=sa;Pwd={se;cr}}et};"));
        QCOMPARE(cs.value(QStringLiteral("driver")), QStringLiteral("SQL Server"));
        QCOMPARE(cs.value(QStringLiteral("SERVER")), QStringLiteral("host,1433"));
        QCOMPARE(cs.value(QStringLiteral("Database")), QStringLiteral("sales"));
        QCOMPARE(cs.value(QStringLiteral("Pwd")), QStringLiteral("se;cr}et"));
        QVERIFY(!cs.value(QStringLiteral("Port")));
    }

    void keepsTheFirstOfDuplicateKeywordsAndSkipsEmptyPieces()
    {
        const auto cs = ConnectionString::parse(
            QStringLiteral(";;Provider=vfpoledb.1;;junk;provider=other;Data Source=C:\\x\\;"));
        QCOMPARE(cs.value(QStringLiteral("Provider")), QStringLiteral("vfpoledb.1"));
        QCOMPARE(cs.value(QStringLiteral("data source")), QStringLiteral("C:\\x\\"));
        QCOMPARE(cs.pairs().size(), std::size_t(2));
    }

    void quotesOnlyValuesThatNeedIt()
    {
        QCOMPARE(ConnectionString::quoteValue(QStringLiteral("plain")), QStringLiteral("plain"));
        QCOMPARE(ConnectionString::quoteValue(QStringLiteral("se;cret")), QStringLiteral("{se;cret}"));
        QCOMPARE(ConnectionString::quoteValue(QStringLiteral("{x}")), QStringLiteral("{{x}}}"));
        QCOMPARE(ConnectionString::quoteValue(QStringLiteral("a}b")), QStringLiteral("a}b"));
        const QString tricky = QStringLiteral("p;w}d");
        QCOMPARE(ConnectionString::parse(QStringLiteral("Pwd=") + ConnectionString::quoteValue(tricky) + ";")
                     .value(QStringLiteral("Pwd")),
                 tricky);
    }

    void memoryRecordSetWalksRowsAndFindsFieldsByName()
    {
        auto rs = tablesSchema({{QStringLiteral("orders"), QStringLiteral("TABLE")},
                                {QStringLiteral("v_late"), QStringLiteral("VIEW")}});
        QVERIFY(!rs->bof());
        QCOMPARE(rs->recordCount(), 2);
        QCOMPARE(std::get<QString>(rs->value(QStringLiteral("table_name"))), QStringLiteral("orders"));
        rs->moveNext();
        QCOMPARE(std::get<QString>(rs->value(QStringLiteral("TABLE_TYPE"))), QStringLiteral("VIEW"));
        rs->moveNext();
        QVERIFY(rs->eof());
        QVERIFY_THROWS_EXCEPTION(DbError, rs->values());
        QVERIFY_THROWS_EXCEPTION(DbError, rs->moveNext());

        auto empty = tablesSchema({});
        QVERIFY(empty->bof() && empty->eof());
    }

    void closedConnectionRefusesWork()
    {
        Connection conn;
        QVERIFY(!conn.isOpen());
        QVERIFY_THROWS_EXCEPTION(DbError, conn.execute(QStringLiteral("SELECT 1")));
        QVERIFY_THROWS_EXCEPTION(DbError, conn.close());
    }

    void unknownProviderIsRefused()
    {
        Connection conn;
        try {
            conn.open(QStringLiteral("Provider=Nonesuch.1;Data Source=x;"));
            QFAIL("opened");
        } catch (const DbError& error) {
            QVERIFY(error.number() != 0);
            QVERIFY(error.description().contains(QStringLiteral("Provider cannot be found")));
        }
        QVERIFY(!conn.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestDataAccess)
#include "TestDataAccess.moc"
