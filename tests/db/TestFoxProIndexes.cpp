// Index definitions from structural .cdx files and database containers: every tag of real files with
// its kind, columns and direction, key and filter expressions reduced to columns, and damaged index
// files that cost the indexes but never the rows.
#include "db/AdoType.h"
#include "db/Connection.h"
#include "db/foxpro/KeyExpression.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/SharedFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace db;
using namespace db::foxpro;

namespace {

const QString FixtureRoot = SharedFiles::path(QStringLiteral("fixtures/real"));

void put(QByteArray& bytes, qsizetype at, const QByteArray& what)
{
    bytes.replace(at, what.size(), what);
}

std::unique_ptr<RecordSet> openTable(Connection& connection, const QString& source, const QString& table)
{
    connection.open(QStringLiteral("Provider=vfpoledb.1;Data Source=%1;").arg(source));
    return connection.openRecordSet(QStringLiteral("SELECT * FROM `%1`").arg(table));
}

QString kindText(IndexDefinition::Kind kind)
{
    static const char* const names[] = {"primary", "candidate", "unique", "regular"};
    return QString::fromLatin1(names[int(kind)]);
}

// "TAG kind col1,col2[ desc]", or "TAG skipped" for an index without a column form.
QStringList describe(RecordSet& rows, const TableIndexes& indexes)
{
    QStringList lines;
    for (const IndexDefinition& index : indexes.indexes) {
        if (!index.skipped.isEmpty()) {
            lines << index.tag + QStringLiteral(" skipped");
            continue;
        }
        QStringList columns;
        for (int column : index.columns)
            columns << rows.fields().at(std::size_t(column)).name;
        lines << QStringLiteral("%1 %2 %3%4")
                     .arg(index.tag, kindText(index.kind), columns.join(u','),
                          index.descending ? QStringLiteral(" desc") : QString());
    }
    return lines;
}

ExpressionScope scope()
{
    ExpressionScope s{QStringLiteral("orders"), QStringLiteral("ORDERS"), {}, {}};
    const auto add = [&](const char* name, const char* header, int type, int width, int decimals) {
        s.fields.push_back({QString::fromLatin1(name), type, width, decimals});
        s.headerNames << QString::fromLatin1(header);
    };
    add("orderid", "ORDERID", AdoType::Integer, 4, 0);
    add("customerid", "CUSTOMERID", AdoType::Char, 5, 0);
    add("shippeddate", "SHIPPEDDAT", AdoType::DBDate, 8, 0);
    add("freight", "FREIGHT", AdoType::Numeric, 10, 2);
    add("notes", "NOTES", AdoType::LongVarChar, 4, 0);
    return s;
}

} // namespace

class TestFoxProIndexes : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // A free table "t" with fields ID N(4) and NAME C(10), two rows, and the structural index flag.
    void writeTable(bool flagged = true)
    {
        QByteArray table = DbfBuilder()
                               .field("ID", 'N', 4)
                               .field("NAME", 'C', 10)
                               .record({"1", "alpha"})
                               .record({"2", "beta"})
                               .bytes();
        table[28] = flagged ? 1 : 0;
        writeFile(m_dir.filePath(QStringLiteral("t.dbf")), table);
        for (const QString& earlier : {QStringLiteral("t.cdx"), QStringLiteral("T.CDX")})
            QFile::remove(m_dir.filePath(earlier));
    }

private slots:
    void everyTagOfRealContainers_data()
    {
        REQUIRE_SHARED("fixtures/real");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("tags");
        const QString northwind = FixtureRoot + QStringLiteral("/VFPX-Samples/Northwind/northwind.dbc");
        const QString expenses = FixtureRoot + QStringLiteral("/go-dbase/database/EXPENSES.DBC");
        const auto row = [&](const char* name, const QString& source, const char* table, QStringList tags) {
            QTest::newRow(name) << source << QString::fromLatin1(table) << tags;
        };
        row("northwind categories", northwind, "Categories",
            {"CATEGORYNM regular categoryname", "CATEGORYID primary categoryid"});
        row("northwind customercustomerdemo", northwind, "CustomerCustomerDemo",
            {"CUSTOMERID regular customerid", "CUSTTYPEID regular customertypeid"});
        row("northwind customerdemographics", northwind, "CustomerDemographics",
            {"CUSTTYPEID primary customertypeid"});
        row("northwind customers", northwind, "Customers",
            {"CUSTOMERID primary customerid", "COMPANYNAM regular companyname", "CITY regular city",
             "POSTALCODE regular postalcode", "REGION regular region"});
        row("northwind employees", northwind, "Employees",
            {"REPORTSTO regular reportsto", "LASTNAME regular lastname", "POSTALCODE regular postalcode",
             "EMPLOYEEID primary employeeid"});
        row("northwind employeeterritories", northwind, "EmployeeTerritories",
            {"EMPLOYEEID regular employeeid", "TERRITORYI regular territoryid"});
        row("northwind orderdetails", northwind, "OrderDetails",
            {"PRODUCTID regular productid", "ORDERID regular orderid",
             "PRIMARYKEY primary orderid,productid"});
        row("northwind orders (long names)", northwind, "Orders",
            {"CUSTOMERID regular customerid", "ORDERDATE regular orderdate", "SHIPPEDDAT regular shippeddate",
             "EMPLOYEEID regular employeeid", "SHIPPERID regular shipvia", "ORDERID primary orderid"});
        row("northwind products", northwind, "Products",
            {"CATEGORYID regular categoryid", "SUPPLIERID regular supplierid",
             "PRODUCTNAM regular productname", "PRODUCTID primary productid"});
        row("northwind region", northwind, "Region", {"REGIONID primary regionid"});
        row("northwind shippers", northwind, "Shippers", {"SHIPPERID primary shipperid"});
        row("northwind suppliers", northwind, "Suppliers",
            {"POSTALCODE regular postalcode", "COMPANYNAM regular companyname",
             "SUPPLIERID primary supplierid"});
        row("northwind territories", northwind, "Territories",
            {"TERRITORYI primary territoryid", "REGIONID regular regionid"});
        row("expenses employees", expenses, "employees",
            {"PRIMARYKEY primary employeeid", "DEPARTMENT regular departmentname",
             "LASTNAME regular lastname", "EMAILNAME regular emailname", "POSTALCODE regular postalcode"});
        row("expenses categories (blank in file name)", expenses, "expense_categories",
            {"PRIMARYKEY primary expensecategoryid"});
        row("expenses details (a deleted index record)", expenses, "expense_details",
            {"PRIMARYKEY primary expensedetailid", "EXPREPID regular expensereportid",
             "EXPENSECAT regular expensecategoryid"});
        row("expenses reports (a deleted index record)", expenses, "expense_reports",
            {"PRIMARYKEY primary expensereportid", "DATESUBMIT regular datesubmitted",
             "EMPLOYEEID regular employeeid"});
        row("free table candidate", FixtureRoot + QStringLiteral("/VFPX-Samples/Solution/Db"), "table1",
            {"ID candidate id"});
    }

    void everyTagOfRealContainers()
    {
        QFETCH(QString, source);
        QFETCH(QString, table);
        QFETCH(QStringList, tags);
        Connection connection;
        const auto rows = openTable(connection, source, table);
        const TableIndexes indexes = rows->indexes();
        QCOMPARE(indexes.problem, QString());
        QCOMPARE(describe(*rows, indexes), tags);
        // The container's marks agree with the index files' (its deleted Index records are passed over).
        for (const IndexDefinition& index : indexes.indexes)
            QCOMPARE(index.note, QString());
    }

    void reducesExpressionsToColumns_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected"); // columns, then "case", the weaker notes, the filter terms
        QTest::newRow("field by header name") << "SHIPPEDDAT"
                                              << ""
                                              << "2";
        QTest::newRow("alias of the table") << "orders.orderid+orders->customerid"
                                            << ""
                                            << "0,1";
        QTest::newRow("other alias") << "customers.customerid"
                                     << ""
                                     << "skip: customers.customerid is not a field of this table";
        QTest::newRow("composite STR") << "STR(orderid)+STR(freight,10,2)"
                                       << ""
                                       << "0,3";
        QTest::newRow("STR dropping decimals") << "STR(freight,10)"
                                               << ""
                                               << "3 weaker: decimals beyond 0";
        QTest::newRow("case and blanks") << "ALLTRIM(UPPER(customerid))"
                                         << ""
                                         << "1 case weaker: leading blanks";
        QTest::newRow("trimmed join") << "TRIM(customerid)+DTOS(shippeddate)"
                                      << ""
                                      << "1,2 weaker: where one value ends and the next begins";
        QTest::newRow("prefix") << "LEFT(customerid,3)"
                                << ""
                                << "1 weaker: characters after the first 3";
        QTest::newRow("repeated field once") << "customerid+UPPER(customerid)"
                                             << ""
                                             << "1 case";
        QTest::newRow("function without column form") << "SOUNDEX(customerid)"
                                                      << ""
                                                      << "skip: SOUNDEX() has no column form";
        QTest::newRow("unknown field") << "m.cust"
                                       << ""
                                       << "skip: m.cust is not a field of this table";
        QTest::newRow("broken text") << "UPPER(customerid"
                                     << ""
                                     << "skip: the arguments of UPPER() are not closed";
        QTest::newRow("not deleted dropped") << "orderid"
                                             << ".NOT.DELETED()"
                                             << "0";
        QTest::newRow("not deleted, bang") << "orderid"
                                           << "!DELETED() AND .T."
                                           << "0";
        QTest::newRow("deleted only") << "orderid"
                                      << "DELETED()"
                                      << "skip: the filter DELETED() keeps only deleted rows";
        QTest::newRow("numeric filter") << "orderid"
                                        << "freight>=10.5.AND.!ISNULL(customerid)"
                                        << "0 where: 3>=10.5 1 not null";
        QTest::newRow("flipped comparison") << "orderid"
                                            << "-3 < freight"
                                            << "0 where: 3>-3";
        QTest::newRow("text from") << "orderid"
                                   << "customerid=>\"A\""
                                   << "0 where: 1>=A";
        QTest::newRow("text equality")
            << "orderid"
            << "customerid=\"A\""
            << "skip: the filter customerid=\"A\" has no form a filtered index takes";
        QTest::newRow("or") << "orderid"
                            << "freight>1 OR freight<0"
                            << "skip: the filter freight>1 OR freight<0 has no form a filtered index takes";
        QTest::newRow("deep nesting") << QString(200, u'(') + "orderid" + QString(200, u')') << ""
                                      << "skip: the expression is nested too deeply";
    }

    void reducesExpressionsToColumns()
    {
        QFETCH(QString, key);
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        IndexDefinition index;
        index.expression = key;
        index.filter = filter;
        translateIndex(index, scope());
        QString got;
        if (!index.skipped.isEmpty()) {
            got = QStringLiteral("skip: ") + index.skipped;
        } else {
            QStringList columns;
            for (int c : index.columns)
                columns << QString::number(c);
            got = columns.join(u',');
            if (index.caseFolded)
                got += QStringLiteral(" case");
            if (!index.weaker.isEmpty())
                got += QStringLiteral(" weaker: ") + index.weaker.join(QStringLiteral(", "));
            if (!index.where.empty())
                got += QStringLiteral(" where:");
            static const char* const ops[] = {"=", "<>", "<", "<=", ">", ">=", " null", " not null"};
            for (const FilterTerm& term : index.where) {
                got += QStringLiteral(" %1%2").arg(term.column).arg(QLatin1String(ops[int(term.op)]));
                if (const auto* text = std::get_if<QString>(&term.literal))
                    got += *text;
                else if (const auto* number = std::get_if<Decimal>(&term.literal))
                    got += number->text;
            }
        }
        QCOMPARE(got, expected);
    }

    void readsTagsBuiltByteByByte()
    {
        writeTable();
        writeFile(m_dir.filePath(QStringLiteral("T.CDX")), cdxFile({{"NAME", "UPPER(name)", {}, 0x60, true},
                                                                    {"ID", "id", "id>0", 0x6C, false},
                                                                    {"FIRST", "name", {}, 0x61, false}}));
        Connection connection;
        const auto rows = openTable(connection, m_dir.path(), QStringLiteral("t"));
        const TableIndexes indexes = rows->indexes();
        QCOMPARE(indexes.problem, QString());
        QCOMPARE(describe(*rows, indexes),
                 QStringList({"NAME regular name desc", "ID candidate id", "FIRST unique name"}));
        QCOMPARE(indexes.indexes[1].filter, QStringLiteral("id>0"));
        QCOMPARE(indexes.indexes[1].where.size(), std::size_t(1));
    }

    void damagedIndexFilesCostOnlyTheIndexes_data()
    {
        QTest::addColumn<QByteArray>("cdx");
        QTest::addColumn<QString>("problem");
        const QByteArray good = cdxFile({{"ID", "id", {}, 0x60, false}});
        QTest::newRow("missing") << QByteArray() << "t.cdx is missing";
        QTest::newRow("cut short") << good.left(700) << "the index file is cut short (700 bytes)";
        QTest::newRow("tag header cut off")
            << good.left(0x700) << "tag ID has its header at offset 1536, outside the file";
        QByteArray loop = good;
        put(loop, 0x400 + 8, le32(0x400));
        QTest::newRow("leaf pointing at itself") << loop << "the tag list is damaged (a node at offset 1024)";
        QByteArray wideEntries = good;
        wideEntries[0x400 + 23] = 40;
        QTest::newRow("entries wider than a page")
            << wideEntries << "the tag list is damaged (leaf at offset 1024)";
        QByteArray pool = good;
        put(pool, 0x600 + 510, le16(600));
        QTest::newRow("expression beyond its header")
            << pool << "the expressions of tag ID run past its header";
        QByteArray old = good;
        old[14] = 0x01;
        QTest::newRow("no compact or compound index")
            << old << "not a compound index file (option byte 0x01)";
    }

    void damagedIndexFilesCostOnlyTheIndexes()
    {
        QFETCH(QByteArray, cdx);
        QFETCH(QString, problem);
        writeTable();
        if (!cdx.isEmpty())
            writeFile(m_dir.filePath(QStringLiteral("t.cdx")), cdx);
        Connection connection;
        const auto rows = openTable(connection, m_dir.path(), QStringLiteral("t"));
        const TableIndexes indexes = rows->indexes();
        QVERIFY2(indexes.problem.contains(problem), qPrintable(indexes.problem));
        QVERIFY(indexes.indexes.empty());
        QCOMPARE(rows->recordCount(), 2);
        QCOMPARE(rows->values().at(1), Value(QStringLiteral("alpha     ")));
    }

    void compactIndexUnderACompoundName()
    {
        writeTable();
        // One compact index: its own header at 0, no tag list.
        CdxTag single{{}, "name", {}, 0x20, false};
        writeFile(m_dir.filePath(QStringLiteral("t.cdx")),
                  cdxTagHeader(0x400, single) + QByteArray(512, '\0'));
        Connection connection;
        const auto rows = openTable(connection, m_dir.path(), QStringLiteral("t"));
        const TableIndexes indexes = rows->indexes();
        QCOMPARE(indexes.problem, QString());
        QCOMPARE(describe(*rows, indexes), QStringList{"T regular name"});
    }

    void tableWithoutTheFlagHasNoIndexes()
    {
        writeTable(false);
        writeFile(m_dir.filePath(QStringLiteral("t.cdx")), QByteArray("not an index"));
        Connection connection;
        const TableIndexes indexes = openTable(connection, m_dir.path(), QStringLiteral("t"))->indexes();
        QCOMPARE(indexes.problem, QString());
        QVERIFY(indexes.indexes.empty());
    }
};

QTEST_GUILESS_MAIN(TestFoxProIndexes)
#include "TestFoxProIndexes.moc"
