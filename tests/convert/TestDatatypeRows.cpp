#include "base/Failure.h"
#include "convert/DatatypeRowsModel.h"
#include "preview/Form5.h"
#include "tests/support/FakeUiServices.h"

#include <QAbstractItemModelTester>
#include <QtTest>

class TestDatatypeRows : public QObject
{
    Q_OBJECT

private:
    static void addColumn(DatatypeRowsModel& rows, const QString& table, const QString& column,
                          const QString& key, const QString& type)
    {
        rows.addRow(table, column);
        rows.setLastRowType(key, type);
    }

    static QStringList rowTexts(const QAbstractItemModel& model, int row)
    {
        QStringList texts;
        for (int column = 0; column < model.columnCount(); ++column)
            texts << model.data(model.index(row, column)).toString();
        return texts;
    }

private slots:
    void rowsKeepTheRunsOrderUnderTheFourHeadings()
    {
        DatatypeRowsModel rows;
        QAbstractItemModelTester tester(&rows, QAbstractItemModelTester::FailureReportingMode::QtTest);
        addColumn(rows, "orders", "id", "int", "INT");
        addColumn(rows, "orders", "notes", "adlongvarchar", "TEXT");
        addColumn(rows, "customer", "blob", "OTHER TYPES", "TEXT");

        QStringList headings;
        for (int column = 0; column < rows.columnCount(); ++column)
            headings << rows.headerData(column, Qt::Horizontal).toString();
        QCOMPARE(headings, (QStringList{"FoxPro Table", "FoxPro Table Field", "FoxPro Field Datatype",
                                        "New MS SQL Server Datatype"}));
        QCOMPARE(rows.rowCount(), 3);
        QCOMPARE(rowTexts(rows, 1), (QStringList{"orders", "notes", "adlongvarchar", "TEXT"}));
        QCOMPARE(rowTexts(rows, 2), (QStringList{"customer", "blob", "OTHER TYPES", "TEXT"}));

        rows.clearRows();
        QCOMPARE(rows.rowCount(), 0);
        addColumn(rows, "next", "amount", "numeric", "FLOAT");
        QCOMPARE(rowTexts(rows, 0), (QStringList{"next", "amount", "numeric", "FLOAT"}));
    }

    void aRowWithoutTypeYetShowsEmptyTypeColumns()
    {
        DatatypeRowsModel rows;
        rows.addRow("orders", "id");
        QCOMPARE(rowTexts(rows, 0), (QStringList{"orders", "id", "", ""}));
    }

    void settingTheTypeOfNoRowFails()
    {
        DatatypeRowsModel rows;
        QVERIFY_THROWS_EXCEPTION(Failure, rows.setLastRowType("int", "INT"));
    }

    void windowShowsTheRowsAndBackDiscardsThem()
    {
        FakeUiServices ui;
        DatatypeRowsModel rows;
        addColumn(rows, "orders", "id", "int", "INT");
        Form5 window(ui, rows);
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Datatypes Conversion - Ferrandine"));
        auto* list = window.findChild<QTreeView*>("ListView1");
        QCOMPARE(list->model()->rowCount(), 1);
        // 1700 twips each, unless the heading needs more; the window can grow, the list with it.
        for (int column = 0; column < DatatypeRowsModel::ColumnCount; ++column)
            QCOMPARE(list->columnWidth(column), std::max(113, list->header()->sectionSizeHint(column)));
        QVERIFY(list->columnWidth(3) > 113); // "New MS SQL Server Datatype"
        const QSize listBefore = list->size();
        window.resize(window.width() * 2, window.height() + 200);
        QCOMPARE(list->size(), QSize(listBefore.width() * 2, listBefore.height() + 200));

        QTest::mouseClick(window.findChild<QPushButton*>("PushButton5"), Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(rows.rowCount(), 0);
        QVERIFY(ui.calls.empty());

        // Shown again before the run adds rows: the headings and no rows.
        Form5 again(ui, rows);
        QCOMPARE(again.findChild<QTreeView*>("ListView1")->model()->rowCount(), 0);
    }

    void titleBarDiscardsTheRowsToo()
    {
        FakeUiServices ui;
        DatatypeRowsModel rows;
        addColumn(rows, "orders", "id", "int", "INT");
        Form5 window(ui, rows);
        window.show();
        window.close();
        QCOMPARE(rows.rowCount(), 0);
    }
};

QTEST_MAIN(TestDatatypeRows)
#include "TestDatatypeRows.moc"
