// The Run Report window on its own, built from a report as a run leaves it.
#include "report/Form7.h"
#include "tests/support/FakeUiServices.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

class TestRunReport : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void runReportWindow_data();
    void runReportWindow();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    FakeUiServices m_ui;
};

void TestRunReport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_ui = FakeUiServices();
}

void TestRunReport::runReportWindow_data()
{
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("done") << RunReport::doneLine();
    QTest::newRow("stopped") << RunReport::stoppedLine();
    QTest::newRow("lost") << RunReport::lostLine();
}

// The report's first line, a row per table and the totals, the findings, and Copy and Save... of its text.
void TestRunReport::runReportWindow()
{
    QFETCH(QString, firstLine);
    convert::TableCheckReport check;
    check.rowsRead = check.rowsOnTarget = 1200;
    check.valuesChecked = 2400;
    check.valuesDiffering = check.rowsChanged = 1;
    check.firstDifferences.push_back({7, 7, {{"name", "\"Zo\u00EB\"", "\"Zo?\""}}, {}});
    const RunReport report{firstLine,
                           {{.table = "alpha",
                             .rowsRead = 1200,
                             .statementsSucceeded = 1201,
                             .rowsSent = 1200,
                             .rowsOnTarget = 1200,
                             .check = check},
                            {.table = "beta",
                             .rowsRead = 3,
                             .statementsSucceeded = 3,
                             .statementsFailed = 1,
                             .rowsSent = 2,
                             .rowsOnTarget = 3,
                             .valuesLeftEmpty = 2}},
                           {"gamma (its memo file is missing)"}};
    Form7 window(m_ui, report);
    QCOMPARE(window.findChild<QLabel*>("Label1")->text(), firstLine);
    const auto* rows = window.findChild<QTableWidget*>("ListView1");
    QCOMPARE(rows->rowCount(), 3);
    QCOMPARE(rows->item(0, 6)->text(), QString("1"));
    QCOMPARE(rows->item(1, 5)->text(), QString("-")); // not checked
    QCOMPARE(rows->item(2, 1)->text(), QString("1,203"));
    QCOMPARE(
        window.findChild<QPlainTextEdit*>("Text1")->toPlainText(),
        QString("Not copied: gamma (its memo file is missing).\n"
                "alpha: 1,200 rows read, 1,200 on the target: 0 missing, 0 extra, 1 value differs in 1 row\n"
                "alpha: record 7 (target row 7): name source \"Zo\u00EB\", target \"Zo?\"\n"
                "table beta: 2 rows sent, 3 on the server"));
    window.findChild<QPushButton*>("PushButton1")->click();
    QCOMPARE(m_ui.clipboard, convert::runReportText(report));
    QVERIFY(m_ui.clipboard.startsWith(firstLine + "\nNot copied: gamma"));
    const QString saved = m_dir->filePath("report");
    m_ui.chosenPaths.push_back(saved);
    window.findChild<QPushButton*>("PushButton2")->click();
    QFile file(saved + ".txt");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), m_ui.clipboard);
}

QTEST_MAIN(TestRunReport)
#include "TestRunReport.moc"
