// The Foxpro module: its connection strings, the connection test and the table list.
#include "tests/support/FakeUiServices.h"
#include "tests/support/SharedFiles.h"

#include "db/Foxpro.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Northwind =
    SharedFiles::path(QStringLiteral("fixtures/real/VFPX-Samples/Northwind/northwind.dbc"));
const QString Samples = SharedFiles::path(QStringLiteral("fixtures/real/VFPX-Samples/Solution/Db"));

FoxProSource folder(const QString& path)
{
    return FoxProSource{false, QString(), path, {}};
}

FoxProSource container(const QString& path)
{
    return FoxProSource{true, path, QStringLiteral("ignored folder"), {}};
}

} // namespace

class TestFoxproModule : public QObject
{
    Q_OBJECT

private slots:
    void buildsTheConnectionStringAsTyped()
    {
        QCOMPARE(Foxpro::connectionString(folder(QStringLiteral("C:\\data\\")), Foxpro::Collating::General),
                 QStringLiteral("Provider=vfpoledb.1;Data Source=C:\\data\\;Collating Sequence=general;"));
        QCOMPARE(Foxpro::connectionString(container(QStringLiteral(" /x/y.dbc")), Foxpro::Collating::Machine),
                 QStringLiteral("Provider=vfpoledb.1;Data Source= /x/y.dbc;Collating Sequence=machine;"));
        // A ";" in the path would end the value early and name another folder.
        QCOMPARE(Foxpro::connectionString(folder(QStringLiteral("/a;b")), Foxpro::Collating::Machine),
                 QStringLiteral("Provider=vfpoledb.1;Data Source={/a;b};Collating Sequence=machine;"));
    }

    void connectionTestAnswersWithoutMessages()
    {
        REQUIRE_SHARED("fixtures/real/VFPX-Samples");
        FakeUiServices ui;
        QTemporaryDir semicolon;
        QVERIFY(QDir(semicolon.path()).mkdir(QStringLiteral("a;b")));
        QVERIFY(Foxpro::IsValidFoxProConnection(ui, nullptr, folder(Samples)));
        QVERIFY(
            Foxpro::IsValidFoxProConnection(ui, nullptr, folder(semicolon.filePath(QStringLiteral("a;b")))));
        QVERIFY(Foxpro::IsValidFoxProConnection(ui, nullptr, container(Northwind)));
        QVERIFY(!Foxpro::IsValidFoxProConnection(ui, nullptr, folder(QString())));
        QVERIFY(!Foxpro::IsValidFoxProConnection(ui, nullptr, container(QString())));
        QVERIFY(!Foxpro::IsValidFoxProConnection(ui, nullptr, folder(QStringLiteral("/no/such/folder"))));
        QVERIFY(
            !Foxpro::IsValidFoxProConnection(ui, nullptr, container(Samples + QStringLiteral("/ids.dbf"))));
        QVERIFY(ui.calls.empty());
    }

    void listsOnlyTheTablesOfAContainer()
    {
        REQUIRE_SHARED("fixtures/real/VFPX-Samples");
        FakeUiServices ui;
        QStringList list{QStringLiteral("stale")};
        Foxpro::AddTablesToFoxproListbox(ui, nullptr, container(Northwind), list);
        QCOMPARE(list, QStringList({"Categories", "CustomerCustomerDemo", "CustomerDemographics", "Customers",
                                    "Employees", "EmployeeTerritories", "OrderDetails", "Orders", "Products",
                                    "Region", "Shippers", "Suppliers", "Territories"}));
        QCOMPARE(ui.eventPumps, list.size());
        QVERIFY(ui.calls.empty());
    }

    void listsTheFreeTablesOfAFolder()
    {
        REQUIRE_SHARED("fixtures/real/VFPX-Samples");
        FakeUiServices ui;
        QStringList list;
        Foxpro::AddTablesToFoxproListbox(ui, nullptr, folder(Samples), list);
        QCOMPARE(list, QStringList({"ids", "orditems", "table1", "table2"}));
    }

    void aSourceThatDoesNotOpenShowsTheBoxAndKeepsTheList()
    {
        FakeUiServices ui;
        QStringList list{QStringLiteral("kept")};
        Foxpro::AddTablesToFoxproListbox(ui, nullptr, folder(QStringLiteral("/no/such/folder")), list);
        QCOMPARE(list, QStringList{QStringLiteral("kept")});
        QCOMPARE(ui.errors().size(), 1);
        const QString box = ui.errors().first();
        QVERIFY2(box.startsWith(QStringLiteral("/no/such/folder: no such folder or file.\r\n")),
                 qPrintable(box));
        QVERIFY2(box.contains(QStringLiteral("Foxpro.AddTablesToFoxproListbox at line 110")),
                 qPrintable(box));
    }
};

QTEST_GUILESS_MAIN(TestFoxproModule)
#include "TestFoxproModule.moc"
