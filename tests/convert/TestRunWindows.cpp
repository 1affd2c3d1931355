// "Start Converting" through the real windows: the main window as the settings restore it, the run
// wired as the program wires it, and the SQL Preview window answered by clicking its buttons.
#include "app/Form1.h"
#include "app/Form1RunWindow.h"
#include "tests/convert/RunHarness.h"
#include "tests/convert/TargetDatabase.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/RecordingSettings.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestRunWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerSqliteAsSqlServer(); }
    void init();

    void perTablePreviewSkipThenExecute();
    void perFilePreviewExecuted();
    void directModeFromTheSettings();
    void tryFolderConvertsTheSamples();

private:
    // Builds the main window from the settings, presses "Start Converting" and answers each SQL
    // Preview window that opens by clicking the next button of `clicks`. Returns the number of
    // statements each preview showed.
    std::vector<int> startConverting(const QStringList& clicks);
    std::vector<int> startConverting(SettingsStore& settings, const QStringList& clicks);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TargetDatabase> m_target;
    RecordingSettings m_settings;
    FakeUiServices m_ui;
    QString m_finalProgressText;
    // The Run Report window the run left open: its first line, then each row's cells joined by "|".
    QStringList m_report;
};

void TestRunWindows::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString source = m_dir->filePath("source");
    QVERIFY(QDir().mkpath(source));
    writeThreeTables(source);
    m_target = std::make_unique<TargetDatabase>(m_dir->filePath("target.db"));
    m_ui = FakeUiServices();
    m_settings.write(Setting::FreeTableFolder, source);
    m_settings.write(Setting::FoxproOption, "2");
    m_settings.write(Setting::MSSQLServer, "localhost");
    m_settings.write(Setting::MSSQLDatabase, m_dir->filePath("target.db"));
    m_settings.write(Setting::LocalConnection, "1");
}

std::vector<int> TestRunWindows::startConverting(const QStringList& clicks)
{
    return startConverting(m_settings, clicks);
}

std::vector<int> TestRunWindows::startConverting(SettingsStore& settings, const QStringList& clicks)
{
    Form1 form(m_ui, settings, nullptr, [] { return 1; });
    Form1Conversion conversion(form, m_ui, settings);
    form.show();
    std::vector<int> shown;
    QStringList pending = clicks;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != "Form2" || pending.isEmpty())
            return;
        auto* list = modal->findChild<QAbstractItemView*>("ListView1");
        shown.push_back(list ? list->model()->rowCount() : -1);
        modal->findChild<QPushButton*>(pending.takeFirst())->click();
    });
    answer.start(10);
    form.findChild<QPushButton*>("PushButton7")->click();
    m_finalProgressText = form.findChild<QProgressBar*>("ProgressBar1")->format();
    m_report.clear();
    if (auto* report = form.findChild<QDialog*>("Form7")) {
        m_report << report->findChild<QLabel*>("Label1")->text();
        const auto* rows = report->findChild<QTableWidget*>("ListView1");
        for (int row = 0; row < rows->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < rows->columnCount(); ++column)
                cells << rows->item(row, column)->text();
            m_report << cells.join(u'|');
        }
    }
    return shown;
}

void TestRunWindows::perTablePreviewSkipThenExecute()
{
    m_settings.write(Setting::Check1, "1");
    m_settings.write(Setting::Option1, "0");
    m_settings.write(Setting::Option2, "1");
    // gamma: skipped; beta: executed, so the run goes on; alpha: "< Back" ends the run.
    const std::vector<int> shown = startConverting({"PushButton9", "PushButton1", "PushButton5"});
    QCOMPARE(shown, (std::vector<int>{1, 3, 5}));
    QCOMPARE(m_target->tables(), QStringList{"beta"});
    QCOMPARE(m_target->rows("beta").size(), std::size_t(2));
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join('\n')));
    QCOMPARE(m_ui.messages(), QStringList());
    QCOMPARE(m_report.value(0), QString("Stopped.")); // alpha's list was left unrun
    QCOMPARE(m_finalProgressText, QString("Progress Bar"));
}

void TestRunWindows::perFilePreviewExecuted()
{
    m_settings.write(Setting::Check1, "1");
    m_settings.write(Setting::Option1, "1");
    m_settings.write(Setting::Option2, "0");
    const std::vector<int> shown = startConverting({"PushButton1"});
    QCOMPARE(shown, (std::vector<int>{1 + 3 + 5}));
    QCOMPARE(m_target->tables(), (QStringList{"alpha", "beta", "gamma"}));
    QCOMPARE(m_target->rows("alpha").size(), std::size_t(4));
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join('\n')));
    QCOMPARE(m_ui.messages(), QStringList());
    QCOMPARE(m_report.value(0), QString("Done."));
}

void TestRunWindows::directModeFromTheSettings()
{
    m_settings.write(Setting::Check1, "0");
    m_settings.write(Setting::NativeTypes, "True");
    m_settings.write(Setting::VerifyValues, "True");
    QVERIFY(startConverting({}).empty());
    QCOMPARE(m_target->tables(), (QStringList{"alpha", "beta", "gamma"}));
    // SQL Server's own types were chosen: logicals arrive as 1 and 0.
    QCOMPARE(m_target->rows("beta").front().last(), QString("1"));
    QCOMPARE(m_ui.messages(), QStringList());
    // Every table read back and found the same, then the totals.
    QCOMPARE(m_report, (QStringList{"Done.", "gamma|0|1|0|0|0|0|0", "beta|2|3|0|2|6|0|0",
                                    "alpha|4|5|0|4|12|0|0", "Total|6|9|0|6|18|0|0"}));
    QCOMPARE(m_finalProgressText, QString("Progress Bar"));
}

// scripts/try.sh prepares settings that convert the samples into an SQLite file at one click.
void TestRunWindows::tryFolderConvertsTheSamples()
{
    const QString tryFolder = m_dir->filePath("try");
    QProcess prepare;
    prepare.start(
        "bash", {FERRANDINE_SOURCE_DIR "/scripts/try.sh", "--prepare", FERRANDINE_BIN_DIR "/..", tryFolder});
    QVERIFY(prepare.waitForFinished(30000));
    QCOMPARE(prepare.exitCode(), 0);
    QFile drivers(tryFolder + "/odbc/odbcinst.ini");
    QVERIFY(drivers.open(QIODevice::ReadOnly));
    QVERIFY(drivers.readAll().startsWith("[SQL Server]\n"));

    IniSettingsStore settings(tryFolder + "/config/Quenthal.ini");
    settings.write(Setting::VerifyValues, "True");
    QVERIFY(startConverting(settings, {}).empty());
    // The samples read back the same as they were sent.
    QCOMPARE(m_report.size(), 5);
    for (const QString& row : m_report.mid(1))
        QVERIFY2(row.section(u'|', 6, 6) == "0" && row.section(u'|', 1, 1) == row.section(u'|', 4, 4),
                 qPrintable(row));
    QCOMPARE(m_ui.messages(), QStringList());
    QCOMPARE(m_report.value(0), QString("Done."));
    // Every sample arrives, alltypes with its binary and general fields too: no error box.
    QVERIFY2(m_ui.errors().isEmpty(), qPrintable(m_ui.errors().join("\n")));
    const TargetDatabase target(tryFolder + "/target.db");
    QCOMPARE(target.tables(), (QStringList{"alltypes", "customers", "orders"}));
    QCOMPARE(target.rows("customers").size(), readSourceTable(samplesFolder(), "customers").size());
}

QTEST_MAIN(TestRunWindows)
#include "TestRunWindows.moc"
