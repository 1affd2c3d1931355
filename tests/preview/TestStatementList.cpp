#include "base/EventPump.h"
#include "base/Failure.h"
#include "preview/Clipboard.h"
#include "preview/FindReplace.h"
#include "preview/StatementListModel.h"
#include "tests/support/FakeUiServices.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

// The statement list model, the find-and-replace rule, the clipboard text and the mail address.
class TestStatementList : public QObject
{
    Q_OBJECT

private:
    static std::vector<QString> lines(std::initializer_list<const char*> texts)
    {
        std::vector<QString> result;
        for (const char* text : texts)
            result.push_back(QString::fromUtf8(text));
        return result;
    }

private slots:
    void modelKeepsItsInvariantsThroughEveryChange()
    {
        StatementListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        model.append(QStringLiteral("CREATE TABLE [t] (a INT)"));
        model.append(
            lines({"INSERT INTO [t] VALUES(1)", "INSERT INTO [t] VALUES(2)", "INSERT INTO [t] VALUES(3)"}));
        QCOMPARE(inserted.count(), 2); // one insertion for the whole batch
        QCOMPARE(model.lineCount(), 4);
        QCOMPARE(model.lineText(1), QStringLiteral("CREATE TABLE [t] (a INT)"));
        QCOMPARE(model.data(model.index(3)).toString(), QStringLiteral("INSERT INTO [t] VALUES(3)"));
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("SQL Preview"));

        model.setLineText(2, QStringLiteral("edited"));
        QCOMPARE(model.lines()[1], QStringLiteral("edited"));

        QVERIFY(model.setData(model.index(2), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(model.isChecked(3));
        model.toggleChecked({2, 3}); // the first named line decides: checked, so both become unchecked
        QVERIFY(!model.isChecked(3) && !model.isChecked(4));
        model.toggleChecked({3, 0});
        QVERIFY(model.isChecked(1) && model.isChecked(4) && !model.isChecked(2));
        model.setAllChecked(true);
        QCOMPARE(model.data(model.index(1), Qt::CheckStateRole).toInt(), int(Qt::Checked));

        changed.clear();
        const int rewritten = model.rewriteLines([](int line, const QString& text) -> std::optional<QString> {
            if (line == 2 || line == 3)
                return text + QStringLiteral(";");
            return std::nullopt;
        });
        QCOMPARE(rewritten, 2);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 1);
        QCOMPARE(changed.at(0).at(1).toModelIndex().row(), 2);
        QCOMPARE(model.lineText(3), QStringLiteral("INSERT INTO [t] VALUES(2);"));

        // Undo puts back what the pass replaced, but not over a line edited since.
        model.setLineText(3, QStringLiteral("edited after the pass"));
        QCOMPARE(model.undoableLines(), 2);
        QCOMPARE(model.undoRewrite(), 1);
        QCOMPARE(model.lineText(2), QStringLiteral("edited"));
        QCOMPARE(model.lineText(3), QStringLiteral("edited after the pass"));
        QCOMPARE(model.undoRewrite(), 0);

        model.clear();
        QCOMPARE(model.lineCount(), 0);
        model.append(std::vector<QString>{});
        QCOMPARE(model.rowCount(), 0);
    }

    void linesOutsideTheListAreReportedNotRead()
    {
        StatementListModel model;
        model.append(QStringLiteral("x"));
        QVERIFY_THROWS_EXCEPTION(Failure, model.lineText(0));
        QVERIFY_THROWS_EXCEPTION(Failure, model.lineText(2));
        QVERIFY_THROWS_EXCEPTION(Failure, model.setLineText(2, QStringLiteral("y")));
        QCOMPARE(model.lineText(1), QStringLiteral("x"));
    }

    void replacesTheFirstOccurrenceIgnoringCase_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected"); // a null string: the line is left alone

        QTest::newRow("case-insensitive, inserted as typed") << "ABCabc"
                                                             << "abc"
                                                             << "x"
                                                             << "xabc";
        QTest::newRow("lower-case find in upper-case statement") << "INSERT INTO [t] VALUES(1)"
                                                                 << "insert into"
                                                                 << "Insert Into"
                                                                 << "Insert Into [t] VALUES(1)";
        QTest::newRow("empty replacement deletes") << "a--b--c"
                                                   << "--"
                                                   << ""
                                                   << "ab--c";
        QTest::newRow("only the first of two") << "[old] and [old]"
                                               << "[OLD]"
                                               << "[new]"
                                               << "[new] and [old]";
        QTest::newRow("at the end") << "VALUES(1)"
                                    << "(1)"
                                    << "(2)"
                                    << "VALUES(2)";
        QTest::newRow("empty find changes nothing") << "abc"
                                                    << ""
                                                    << "x" << QString();
        QTest::newRow("no occurrence") << "abc"
                                       << "abd"
                                       << "x" << QString();
        QTest::newRow("no pattern characters") << "a.c"
                                               << "."
                                               << "%"
                                               << "a%c";
        QTest::newRow("non-ASCII case") << "straße ÄÖÜ"
                                        << "äöü"
                                        << "aou"
                                        << "straße aou";
    }

    void replacesTheFirstOccurrenceIgnoringCase()
    {
        QFETCH(QString, line);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        const std::optional<QString> result = FindReplace::replace(line, find, replacement);
        if (expected.isNull())
            QVERIFY(!result);
        else
            QCOMPARE(result.value_or(QStringLiteral("<unchanged>")), expected);
    }

    // "Match case" and "Every occurrence in a line"; what is put in is not searched again.
    void replacesWithTheChosenOptions_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<QString>("expected"); // with every occurrence; null: unchanged
        QTest::newRow("every occurrence") << "VARCHAR(1), varchar(2)"
                                          << "varchar("
                                          << "NVARCHAR(" << false << "NVARCHAR(1), NVARCHAR(2)";
        QTest::newRow("match case") << "VARCHAR(1), varchar(2)"
                                    << "VARCHAR("
                                    << "NVARCHAR(" << true << "NVARCHAR(1), varchar(2)";
        QTest::newRow("replacement holds the text") << "a-a"
                                                    << "a"
                                                    << "aa" << true << "aa-aa";
        QTest::newRow("case differs only") << "abc"
                                           << "ABC"
                                           << "x" << true << QString();
    }
    void replacesWithTheChosenOptions()
    {
        QFETCH(QString, line);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(bool, matchCase);
        QFETCH(QString, expected);
        const std::optional<QString> result = FindReplace::replace(line, find, replacement, {matchCase, true});
        if (expected.isNull())
            QVERIFY(!result);
        else
            QCOMPARE(result.value_or(QStringLiteral("<unchanged>")), expected);
    }

    void copiesCheckedLinesWithoutTrailingSpaces()
    {
        FakeUiServices ui;
        EventPump pump(ui, 0);
        StatementListModel model;
        model.append(lines({"line one  ", "line two", "line three", "    "}));
        model.setData(model.index(0), Qt::Checked, Qt::CheckStateRole);
        model.setData(model.index(2), Qt::Checked, Qt::CheckStateRole);
        model.setData(model.index(3), Qt::Checked, Qt::CheckStateRole);
        Main::CopyListToClipboard(model, ui, pump);
        QCOMPARE(ui.clipboard, QStringLiteral("line one\r\nline three\r\n\r\n"));
        QCOMPARE(ui.calls.front().kind, FakeUiServices::Kind::ClearClipboard);
        // Width pass: one per cell; output pass: one per item and one per copied cell.
        QCOMPARE(ui.eventPumps, 4 + 4 + 3);
    }

    void padsEveryColumnButTheLastAndSeparatesWithTabs()
    {
        FakeUiServices ui;
        EventPump pump(ui);
        QStandardItemModel list(0, 3);
        const QList<QStringList> rows = {
            {"orders", "id", "int  "}, {"customer", "", "char"}, {"x", "notes", ""}};
        for (const QStringList& row : rows) {
            QList<QStandardItem*> items;
            for (const QString& text : row)
                items << new QStandardItem(text);
            items.front()->setCheckState(Qt::Checked);
            list.appendRow(items);
        }
        QCOMPARE(Main::ListText(list, pump), QStringLiteral("orders  \tid   \tint\r\n"
                                                            "customer\t     \tchar\r\n"
                                                            "x       \tnotes\t\r\n"));
    }

    void longStatementsAreCopiedWhole()
    {
        FakeUiServices ui;
        EventPump pump(ui);
        StatementListModel model;
        const QString longLine = QStringLiteral("INSERT INTO [t] VALUES('") + QString(40000, 'x') + "')";
        model.append(lines({"short"}));
        model.append(longLine);
        model.setAllChecked(true);
        QCOMPARE(Main::ListText(model, pump),
                 QStringLiteral("short\r\n") + longLine + QStringLiteral("\r\n"));
    }

    void noCheckedLineEmptiesTheClipboardAndAnEmptyListKeepsIt()
    {
        FakeUiServices ui;
        EventPump pump(ui);
        ui.clipboard = QStringLiteral("before");
        ui.clipboardHasText = true;
        StatementListModel model;
        Main::CopyListToClipboard(model, ui, pump);
        QCOMPARE(ui.clipboard, QStringLiteral("before"));
        QVERIFY(ui.calls.empty());

        model.append(lines({"a", "b"}));
        Main::CopyListToClipboard(model, ui, pump);
        QCOMPARE(ui.clipboard, QString());
        QVERIFY(ui.clipboardHasText);
        QCOMPARE(ui.callsOf(FakeUiServices::Kind::SetClipboard).size(), std::size_t(1));
    }

    void clipboardIsRetriedUpToAThousandTimes()
    {
        FakeUiServices ui;
        ui.clipboardFailures = 999;
        QVERIFY(Main::SetClipboardText(ui, QStringLiteral("kept")));
        QCOMPARE(ui.clipboard, QStringLiteral("kept"));
        QCOMPARE(ui.calls.size(), std::size_t(1000));

        ui.clear();
        ui.clipboardFailures = 1000;
        QVERIFY(!Main::ClearClipboard(ui));
        QCOMPARE(ui.calls.size(), std::size_t(1000));
        QCOMPARE(ui.clipboard, QStringLiteral("kept"));
    }

    void mailAddressCarriesTheWholeErrorText()
    {
        const QString error = QStringLiteral("Line 1: a & b # c %20 d? e=f\r\nZürich");
        const QUrl address = Main::ErrorReportAddress(error);
        QCOMPARE(
            address.toString(QUrl::FullyEncoded),
            QStringLiteral("mailto:support@quenthal.example?subject=Ferrandine"
                           "&body=Here%20is%20the%20error%20message%20that%20I%20get%3A%20%0A"
                           "Line%201%3A%20a%20%26%20b%20%23%20c%20%2520%20d%3F%20e%3Df%0D%0AZ%C3%BCrich"));
        const QUrlQuery query(address);
        QCOMPARE(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded),
                 QStringLiteral("Here is the error message that I get: \n") + error);
        QCOMPARE(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
                 QStringLiteral("Ferrandine"));
    }

    void eventPumpLetsEventsRunAtMostOncePerInterval()
    {
        FakeUiServices ui;
        EventPump pump(ui, 60000);
        for (int i = 0; i < 1000; ++i)
            pump.run();
        QCOMPARE(ui.eventPumps, 1);
        EventPump always(ui, 0);
        always.run();
        always.run();
        QCOMPARE(ui.eventPumps, 3);
    }
};

QTEST_GUILESS_MAIN(TestStatementList)
#include "TestStatementList.moc"
