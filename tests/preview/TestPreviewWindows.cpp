// The SQL Preview, Find and Replace and Edit Line windows, offscreen, with a scripted desktop. "Execute
// SQL" runs through the real driver manager into SQLite, registered as "SQL Server" in a private ODBC
// configuration.
#include "base/ErrorBox.h"
#include "convert/DatatypeRowsModel.h"
#include "convert/SharedState.h"
#include "db/MSSQL.h"
#include "db/RecordSet.h"
#include "preview/Form2.h"
#include "preview/Form3.h"
#include "preview/Form4.h"
#include "preview/PreviewController.h"
#include "preview/StatementExecution.h"
#include "preview/StatementFile.h"
#include "preview/StatementListModel.h"
#include "preview/StatementView.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/PrivateOdbcConfig.h"
#include "tests/support/RecordingSettings.h"

#include <QtTest>
#include <QtWidgets>

using Kind = FakeUiServices::Kind;

class TestPreviewWindows : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_databases = 0;
    QString m_database; // the file behind the current test's connection

    FakeUiServices m_ui;
    std::unique_ptr<RecordingSettings> m_settings;
    SharedState m_shared;
    StatementListModel m_statements;
    DatatypeRowsModel m_datatypes;
    int m_errorLine = 0;

    void fill(const QStringList& lines)
    {
        for (const QString& line : lines)
            m_statements.append(line);
    }

    std::unique_ptr<Form2> openPreview()
    {
        auto window = std::make_unique<Form2>(m_ui, *m_settings, m_shared, m_statements, m_datatypes, m_errorLine);
        window->show();
        return window;
    }

    static void click(QWidget* window, const char* button)
    {
        QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton);
    }

    // What the sqlite3 tool prints for `sql` on the current database; a null text when it fails.
    QString sqlite(const QString& sql)
    {
        QProcess tool;
        tool.start(QStringLiteral("sqlite3"), {m_database, sql});
        if (!tool.waitForFinished(30000))
            qFatal("sqlite3 did not finish");
        if (tool.exitCode() != 0)
            return QString();
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    // The number of rows of `table`, or -1 when it does not exist.
    int rowsOf(const QString& table)
    {
        const QString count = sqlite(QStringLiteral("SELECT COUNT(*) FROM ") + table);
        return count.isNull() ? -1 : count.toInt();
    }

    static QString noLineTicked()
    {
        return QStringLiteral(
            "No line is ticked. Select lines and press Space to tick them, then copy again.");
    }

    // Runs `act` on the next modal window once it is shown.
    template <class Act> static void whenModalShows(Act act)
    {
        QTimer::singleShot(0, [act] {
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            act(modal);
        });
    }

private slots:
    void initTestCase()
    {
        const QString error = PrivateOdbcConfig::registerSqliteAsSqlServer();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(m_dir.isValid());
    }

    void init()
    {
        m_ui.clear();
        m_settings = std::make_unique<RecordingSettings>();
        m_ui.desktopOpens = true;
        m_ui.duringEvents = {};
        m_statements.clear();
        m_datatypes.clearRows();
        m_errorLine = 0;
        m_shared.SQLFormOK = false;
        m_shared.SQLFormEndRun = true;
        m_shared.mssql_conn = std::make_unique<db::Connection>();
        m_database = m_dir.filePath(QStringLiteral("target%1.db").arg(++m_databases));
        const MSSQLLogin login{QStringLiteral("db.example"), QStringLiteral("1433"), m_database,
                               QStringLiteral("sa"),         QStringLiteral("pw"),   false};
        m_shared.mssql_conn->open(MSSQL::connectionString(login));
    }

    void windowShowsTheListUnderItsHeading()
    {
        fill({"CREATE TABLE [t] ([a] INT)"});
        auto window = openPreview();
        QCOMPARE(window->windowTitle(), QStringLiteral("SQL Preview - Ferrandine"));
        auto* list = window->findChild<QTreeView*>("ListView1");
        QVERIFY(list->uniformRowHeights());
        QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("SQL Preview"));
        QCOMPARE(list->columnWidth(0), 467);
        QCOMPARE(list->toolTip(),
                 QStringLiteral("Click item to edit it. Move | line to right and out of window "
                                "to reveal full names."));
        auto* bar = window->findChild<QProgressBar*>("ProgressBar1");
        QCOMPARE(bar->value(), 0);
        QCOMPARE(bar->text(), QStringLiteral("Progress Bar"));
        // The list has the focus: Space ticks a line instead of pressing "< Back".
        QCOMPARE(window->focusWidget(), list);
        // The error pane is read, not typed into, and Tab leaves it for its buttons.
        auto* pane = window->findChild<QPlainTextEdit*>("Text1");
        QVERIFY(pane->isReadOnly());
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_Tab);
        QVERIFY(pane->toPlainText().isEmpty());
        QVERIFY(window->focusWidget() != pane);
        list->setFocus();

        // The designed size is the smallest; growing, the list takes the height and the halves stay
        // halves.
        const QSize designed = window->size();
        QCOMPARE(window->minimumSize(), designed);
        const QRect listBefore = list->geometry();
        const QRect executeBefore = window->findChild<QPushButton*>("PushButton1")->geometry();
        window->resize(designed.width() * 2, designed.height() + 300);
        QCOMPARE(list->columnWidth(0), 467 + listBefore.width()); // the column follows the list
        QCOMPARE(list->geometry(), QRect(listBefore.x() * 2, listBefore.y(), listBefore.width() * 2,
                                         listBefore.height() + 300));
        QCOMPARE(window->findChild<QPushButton*>("PushButton1")->geometry().top(), executeBefore.top() + 300);
        const QRect left = window->findChild<QPushButton*>("PushButton3")->geometry();
        const QRect right = window->findChild<QPushButton*>("PushButton2")->geometry();
        QCOMPARE(left.width(), right.width());
        QCOMPARE(right.right() + 1, window->width() - listBefore.x() * 2);

        // A line cut by its column shows its text in a tool tip: wrapped at blanks where it has
        // them, its line breaks as "↵", its beginning when it would be taller than two thirds of the
        // screen.
        const auto toolTipRows = [&](const QString& line) {
            m_statements.setLineText(1, line);
            const QPoint at = list->visualRect(m_statements.index(0)).center();
            QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
            QApplication::sendEvent(list->viewport(), &help);
            QString text = QToolTip::text();
            text.remove(QRegularExpression("<[^>]*>"));
            return text.split('\n');
        };
        const int mostRows = list->screen()->availableGeometry().height() * 2 / 3 /
                             QFontMetrics(QToolTip::font()).lineSpacing();
        QStringList rows = toolTipRows(QStringLiteral("INSERT INTO [t] VALUES('") + QString(50000, u'x') +
                                       QStringLiteral("')"));
        QCOMPARE(rows.first(), QStringLiteral("INSERT INTO [t] "));
        QVERIFY(rows.last().contains(QLatin1String("50026 characters in all")));
        QVERIFY2(rows.size() <= mostRows, qPrintable(QString::number(rows.size())));
        QString words;
        for (int n = 0; n < 3000; ++n)
            words += QStringLiteral("word%1 ").arg(n) + (n % 7 == 0 ? QStringLiteral("\r\n") : QString());
        rows = toolTipRows(QStringLiteral("INSERT INTO [t] VALUES('") + words + QStringLiteral("')"));
        QVERIFY2(rows.size() <= mostRows && rows.size() > 3, qPrintable(QString::number(rows.size())));
        QVERIFY2(rows[0].startsWith(QStringLiteral("INSERT INTO [t] VALUES('word0 \u21B5word1 word2 ")),
                 qPrintable(rows[0]));
        for (qsizetype r = 0; r + 2 < rows.size(); ++r)
            QVERIFY2(rows[r].size() <= 100 && rows[r].endsWith(u' '), qPrintable(rows[r]));
    }

    void executeRunsEveryNonBlankLineAndCloses()
    {
        fill({"CREATE TABLE [t] ([a] INT, [b] VARCHAR(20))", "   ", "INSERT INTO [t] VALUES(1, 'Zürich ✓')",
              "", "insert into [t] values(2, NULL)"});
        auto window = openPreview();
        click(window.get(), "PushButton1");
        QVERIFY(m_ui.calls.empty());
        QVERIFY(m_shared.SQLFormOK);
        QVERIFY(!m_shared.SQLFormEndRun); // a per-table run goes on with its next table
        QVERIFY(!window->isVisible());
        QCOMPARE(rowsOf("[t]"), 2);
        QCOMPARE(sqlite("SELECT b FROM t WHERE a = 1"), QStringLiteral("Zürich ✓")); // with no locale set
        auto* bar = window->findChild<QProgressBar*>("ProgressBar1");
        QCOMPARE(bar->value(), 0);
        QCOMPARE(bar->text(), QStringLiteral("Progress Bar"));
    }

    void progressCountsEveryLineBlankOrNot()
    {
        struct Recorder final : ExecutionView
        {
            QStringList events;
            void setBusyPointer(bool busy) override { events << (busy ? "busy" : "idle"); }
            void setProgressValue(double percent) override { events << QString::number(percent, 'f', 4); }
            void setProgressText(const QString& text) override { events << text; }
            void selectLine(int line) override { events << QStringLiteral("select %1").arg(line); }
            void scrollToLine(int line) override { events << QStringLiteral("scroll %1").arg(line); }
            void setErrorText(const QString& text) override { events << text; }
        } view;
        fill({"CREATE TABLE [t] ([a] INT)", "  ", "INSERT INTO [t] VALUES(1)"});
        StatementExecution execution(m_ui, nullptr, view, m_shared, m_errorLine);
        QCOMPARE(execution.run(m_statements), StatementExecution::Outcome::Completed);
        QCOMPARE(view.events,
                 (QStringList{"busy", "33.3333", "Please wait.. Processing row: 1 of 3", "66.6667",
                              "Please wait.. Processing row: 2 of 3", "100.0000",
                              "Please wait.. Processing row: 3 of 3", "idle", "0.0000", "Progress Bar"}));
        QVERIFY(m_ui.eventPumps >= 1);
    }

    void anSQLExceptionStopsAtItsLine()
    {
        fill({"CREATE TABLE [t] ([a] INT)", "INSERT INTO [t] VALUES(1)", "INSERT INTO [t] VALUES(2)",
              "INSERT INTO [t] VALUES(3)", "INSERT INTO [SqlException_Table] VALUES(4)",
              "INSERT INTO [t] VALUES(6)"});
        auto window = openPreview();
        click(window.get(), "PushButton1");

        QCOMPARE(m_ui.messages(), QStringList{"Error found."});
        QVERIFY(m_ui.errors().isEmpty());
        QCOMPARE(m_errorLine, 5);
        QVERIFY(window->isVisible());
        QVERIFY(!m_shared.SQLFormOK);
        QCOMPARE(rowsOf("[t]"), 3);
        auto* list = window->findChild<QTreeView*>("ListView1");
        QCOMPARE(list->selectionModel()->selectedRows(), QModelIndexList{m_statements.index(4)});
        const QString description = window->findChild<QPlainTextEdit*>("Text1")->toPlainText();
        QVERIFY2(description.contains(QLatin1String("no such table: SqlException_Table")),
                 qPrintable(description));

        // Jump To Error Line finds it again after the selection moved.
        list->selectionModel()->setCurrentIndex(m_statements.index(0), QItemSelectionModel::ClearAndSelect);
        click(window.get(), "PushButton6");
        QCOMPARE(list->selectionModel()->selectedRows(), QModelIndexList{m_statements.index(4)});

        // The error text goes to the clipboard and into a mail whole.
        m_ui.clear();
        click(window.get(), "PushButton4");
        QCOMPARE(m_ui.clipboard, description);
        QCOMPARE(m_ui.messages(),
                 QStringList{"Error message have been copied to the clipboard.\r\rClick a text "
                             "area where you normally type and press Ctrl+V to paste the "
                             "clipboard."});
        click(window.get(), "PushButton8");
        const auto mails = m_ui.callsOf(Kind::OpenUrl);
        QCOMPARE(mails.size(), std::size_t(1));
        QCOMPARE(QUrlQuery(QUrl(mails[0].text)).queryItemValue("body", QUrl::FullyDecoded),
                 QStringLiteral("Here is the error message that I get: \n") + description);
        // A desktop without a mail program says so.
        m_ui.clear();
        m_ui.desktopOpens = false;
        click(window.get(), "PushButton8");
        QCOMPARE(m_ui.messages().size(), 1);
        QVERIFY(m_ui.messages()[0].startsWith(QLatin1String("The desktop could not start a mail program.")));
    }

    void otherErrorsAreReportedAndTheListRunsOn()
    {
        // A CREATE TABLE that fails costs one box: the INSERT lines of its table that follow are not
        // run, and the list goes on with the next table.
        fill({"CREATE TABLE [t] ([a] INT)", "INSERT INTO [nosuch] VALUES(1)", "DROP TABLE [nosuch]",
              "INSERT INTO [t] VALUES(4)", "CREATE TABLE [t] ([a] INT)", "INSERT INTO [t] VALUES(5)", "",
              "INSERT INTO [t] VALUES(6)", "CREATE TABLE [u] ([a] INT)", "INSERT INTO [u] VALUES(7)"});
        auto window = openPreview();
        click(window.get(), "PushButton1");
        const QStringList errors = m_ui.errors();
        QCOMPARE(errors.size(), 3);
        QVERIFY2(errors[0].contains("no such table: nosuch") &&
                     errors[0].contains("\r\nin Carrowdel2021/08/31.Form2.PushButton1_Click at line 132\r\r"),
                 qPrintable(errors[0]));
        QVERIFY2(errors[1].contains("Form2.PushButton1_Click at line 134\r\r"), qPrintable(errors[1]));
        QVERIFY2(errors[2].contains("already exists"), qPrintable(errors[2]));
        QCOMPARE(rowsOf("[t]"), 1);
        QCOMPARE(rowsOf("[u]"), 1);
        // The window stays on the failed lines: listed in the error pane, ticked, the first selected.
        QVERIFY(!m_shared.SQLFormOK);
        QVERIFY(m_shared.SQLFormEndRun);
        QVERIFY(window->isVisible());
        const QStringList pane = window->findChild<QPlainTextEdit*>("Text1")->toPlainText().split('\n');
        QCOMPARE(pane.size(), 3);
        QVERIFY2(pane[0].startsWith("Line 2: ") && pane[0].contains("no such table: nosuch"),
                 qPrintable(pane[0]));
        QVERIFY2(pane[1].startsWith("Line 3: "), qPrintable(pane[1]));
        QVERIFY2(pane[2].startsWith("Line 5: ") && pane[2].contains("already exists"), qPrintable(pane[2]));
        QCOMPARE(m_errorLine, 2);
        for (int line = 1; line <= m_statements.lineCount(); ++line)
            QCOMPARE(m_statements.isChecked(line), line == 2 || line == 3 || line == 5);
        auto* list = window->findChild<QTreeView*>("ListView1");
        QCOMPARE(list->selectionModel()->selectedRows(), QModelIndexList{m_statements.index(1)});
        QCOMPARE(window->findChild<QLabel*>("Label1")->text(),
                 QStringLiteral("3 of 7 lines failed; fix them and press Execute SQL to run the lines that "
                                "have not run yet."));

        // Mended, the next Execute SQL runs only what failed or never ran (lines 1 and 9 again would
        // fail: their tables exist), then closes as designed, without asking about the edits.
        m_ui.clear();
        m_statements.setLineText(2, QStringLiteral("INSERT INTO [u] VALUES(2)"));
        m_statements.setLineText(3, QStringLiteral(" "));
        m_statements.setLineText(5, QStringLiteral("CREATE TABLE [v] ([a] INT)"));
        click(window.get(), "PushButton1");
        QVERIFY2(m_ui.calls.empty(), qPrintable(m_ui.errors().join('\n')));
        QCOMPARE(rowsOf("[t]"), 3);
        QCOMPARE(rowsOf("[u]"), 2);
        QCOMPARE(rowsOf("[v]"), 0);
        QVERIFY(m_shared.SQLFormOK);
        QVERIFY(!window->isVisible());
    }

    // A DROP whose CREATE failed was undone: the next Execute SQL runs both again.
    void aFailedReplacementRunsAgainWhole()
    {
        fill({"CREATE TABLE [t] ([a] INT)", "DROP TABLE [t]", "CREATE TABLE [t]([a] INT,[A] INT);",
              "INSERT INTO [t] VALUES(1)"});
        auto window = openPreview();
        click(window.get(), "PushButton1");
        QCOMPARE(m_ui.errors().size(), 1);
        QVERIFY(window->isVisible());
        m_statements.setLineText(3, QStringLiteral("CREATE TABLE [t]([a] INT,[b] INT);"));
        m_statements.setLineText(4, QStringLiteral("INSERT INTO [t] VALUES(1, 2)"));
        m_ui.clear();
        click(window.get(), "PushButton1");
        QVERIFY2(m_ui.calls.empty(), qPrintable(m_ui.errors().join('\n')));
        QCOMPARE(sqlite("SELECT a || b FROM t"), QStringLiteral("12"));
        QVERIFY(!window->isVisible());
    }

    // Leaving while the list runs asks first; Yes stops it before its next line, No lets it run to
    // its end (and close the window once, without asking again).
    void leavingDuringExecuteAsksFirst_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("endRun");
        QTest::newRow("back, stop") << "PushButton5" << true << -1 << true;
        QTest::newRow("skip, stop") << "PushButton9" << true << -1 << false;
        QTest::newRow("title bar, stop") << "" << true << -1 << true;
        QTest::newRow("back, go on") << "PushButton5" << false << 4 << false;
        QTest::newRow("skip, go on") << "PushButton9" << false << 4 << false;
    }
    void leavingDuringExecuteAsksFirst()
    {
        QFETCH(QString, how);
        QFETCH(bool, yes);
        QFETCH(int, rows);
        QFETCH(bool, endRun);
        fill({"CREATE TABLE [t] ([a] INT)", "INSERT INTO [t] VALUES(1)", "INSERT INTO [t] VALUES(2)",
              "INSERT INTO [t] VALUES(3)", "INSERT INTO [t] VALUES(4)"});
        auto window = openPreview();
        m_ui.answers.push_back(yes);
        m_ui.duringEvents = [&](int pumps) {
            if (pumps != 1) // before the first line
                return;
            if (how.isEmpty())
                window->close();
            else
                click(window.get(), qPrintable(how));
        };
        click(window.get(), "PushButton1");
        QCOMPARE(m_ui.callsOf(Kind::Question).size(), std::size_t(1));
        QCOMPARE(m_ui.callsOf(Kind::Question)[0].text,
                 QStringLiteral("Stop executing? Lines not yet run will not be sent."));
        QCOMPARE(rowsOf("[t]"), rows);
        QVERIFY(!window->isVisible());
        QCOMPARE(m_shared.SQLFormOK, !yes);
        QCOMPARE(m_shared.SQLFormEndRun, endRun);
    }

    // A DROP line followed by the CREATE line of its table runs in one transaction with it.
    void aRefusedCreateLeavesTheTableItWouldReplace()
    {
        fill({"CREATE TABLE [t] ([a] INT)", "INSERT INTO [t] VALUES(1)", "DROP TABLE [t]",
              "CREATE TABLE [t]([a] INT,[A] INT);", "DROP TABLE [t]", "CREATE TABLE [t]([b] INT);"});
        auto window = openPreview();
        click(window.get(), "PushButton1");
        const QStringList errors = m_ui.errors();
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains("duplicate column") && errors[0].contains("at line 134\r\r"),
                 qPrintable(errors[0]));
        QCOMPARE(sqlite("SELECT name FROM pragma_table_info('t');").trimmed(), QStringLiteral("b"));
        QVERIFY(!m_shared.SQLFormOK); // a line failed: the window stays on it
    }

    void anEmptyListHasNothingToRun()
    {
        auto window = openPreview();
        click(window.get(), "PushButton1");
        QCOMPARE(m_ui.messages(), QStringList{"No SQL to run."});
        QVERIFY(window->isVisible());
        QVERIFY(!m_shared.SQLFormOK);

        // Nothing to copy: the clipboard keeps its text, and the user is told why.
        m_ui.clear();
        m_ui.clipboard = QStringLiteral("kept");
        click(window.get(), "PushButton2");
        QCOMPARE(m_ui.clipboard, QStringLiteral("kept"));
        QCOMPARE(m_ui.messages(), QStringList{noLineTicked()});
        // No error text: neither copy nor mail does anything.
        click(window.get(), "PushButton4");
        click(window.get(), "PushButton8");
        QCOMPARE(m_ui.calls.size(), std::size_t(1));
    }

    void skipBackAndTitleBarExecuteNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("endRun");
        QTest::newRow("skip") << "PushButton9" << false;
        QTest::newRow("back") << "PushButton5" << true;
        QTest::newRow("title bar") << "" << true;
    }

    void skipBackAndTitleBarExecuteNothing()
    {
        QFETCH(QString, how);
        QFETCH(bool, endRun);
        fill({"CREATE TABLE [t] ([a] INT)"});
        auto window = openPreview();
        if (how.isEmpty())
            window->close();
        else
            click(window.get(), qPrintable(how));
        QVERIFY(!window->isVisible());
        QCOMPARE(m_shared.SQLFormEndRun, endRun);
        QVERIFY(!m_shared.SQLFormOK);
        QVERIFY(m_ui.calls.empty());
        QCOMPARE(rowsOf("[t]"), -1);
    }

    // After an edit, leaving by Back, Escape or the title bar asks first; Skip does not.
    void leavingAfterAnEditAsksFirst_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("discard");
        QTest::addColumn<bool>("asked");
        QTest::newRow("back, discard") << "PushButton5" << true << true;
        QTest::newRow("back, keep") << "PushButton5" << false << true;
        QTest::newRow("escape, keep") << "escape" << false << true;
        QTest::newRow("title bar, discard") << "" << true << true;
        QTest::newRow("skip") << "PushButton9" << true << false;
    }
    void leavingAfterAnEditAsksFirst()
    {
        QFETCH(QString, how);
        QFETCH(bool, discard);
        QFETCH(bool, asked);
        fill({"CREATE TABLE [t] ([a] INT)"});
        auto window = openPreview();
        m_statements.setLineText(1, QStringLiteral("CREATE TABLE [t] ([a] INT)")); // no change
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(m_ui.calls.empty() && !window->isVisible());
        window = openPreview();
        m_statements.setLineText(1, QStringLiteral("CREATE TABLE [t] ([b] INT)"));
        m_ui.answers.push_back(discard);
        if (how.isEmpty())
            window->close();
        else if (how == QLatin1String("escape"))
            QTest::keyClick(window.get(), Qt::Key_Escape);
        else
            click(window.get(), qPrintable(how));
        const auto questions = m_ui.callsOf(Kind::Question);
        QCOMPARE(questions.size(), std::size_t(asked ? 1 : 0));
        if (asked)
            QCOMPARE(questions[0].text, QStringLiteral("Discard the changes to the statements?"));
        QCOMPARE(window->isVisible(), !discard);
    }

    void jumpNeedsAnErrorLineInsideTheList()
    {
        fill({"a", "b"});
        auto window = openPreview();
        auto* list = window->findChild<QTreeView*>("ListView1");
        click(window.get(), "PushButton6");
        QVERIFY(list->selectionModel()->selectedRows().isEmpty());
        m_errorLine = 7;
        click(window.get(), "PushButton6");
        QVERIFY(list->selectionModel()->selectedRows().isEmpty());
        m_errorLine = 2;
        click(window.get(), "PushButton6");
        QCOMPARE(list->selectionModel()->selectedRows(), QModelIndexList{m_statements.index(1)});
    }

    void spaceChecksTheSelectedLinesForTheCopy()
    {
        fill({"line one  ", "line two", "line three"});
        auto window = openPreview();
        auto* list = window->findChild<QTreeView*>("ListView1");
        list->selectionModel()->select(m_statements.index(0), QItemSelectionModel::Select);
        list->selectionModel()->select(m_statements.index(2), QItemSelectionModel::Select);
        QTest::keyClick(list, Qt::Key_Space);
        QVERIFY(m_statements.isChecked(1) && !m_statements.isChecked(2) && m_statements.isChecked(3));
        click(window.get(), "PushButton2");
        QCOMPARE(m_ui.clipboard, QStringLiteral("line one\r\nline three\r\n"));
        QCOMPARE(m_ui.messages(),
                 QStringList{"Results have been copied to the clipboard.\r\rClick a text area "
                             "where you normally type and press Ctrl+V to paste the clipboard."});
        QTest::keyClick(list, Qt::Key_Space);
        QVERIFY(!m_statements.isChecked(1) && !m_statements.isChecked(3));
        // Lines but none ticked: the clipboard is left alone.
        m_ui.clear();
        click(window.get(), "PushButton2");
        QCOMPARE(m_ui.clipboard, QStringLiteral("line one\r\nline three\r\n"));
        QCOMPARE(m_ui.messages(), QStringList{noLineTicked()});
        QVERIFY(m_ui.callsOf(Kind::ClearClipboard).empty());
    }

    void clickingALineOpensEditLineOnIt()
    {
        fill({"first", "second"});
        auto window = openPreview();
        auto* list = window->findChild<QTreeView*>("ListView1");
        const QRect second = list->visualRect(m_statements.index(1));
        int editedLine = 0;
        QString editedText;
        whenModalShows([&](QWidget* modal) {
            auto* editLine = qobject_cast<Form4*>(modal);
            QVERIFY(editLine);
            editedLine = editLine->ListLine;
            editedText = editLine->findChild<QPlainTextEdit*>("Text1")->toPlainText();
            QCOMPARE(editLine->windowTitle(), QStringLiteral("Edit Line - Ferrandine"));
            editLine->close();
        });
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center() + QPoint(40, 0));
        QCOMPARE(editedLine, 2);
        QCOMPARE(editedText, QStringLiteral("second"));
        // Enter on the current line edits it too, and never presses Execute SQL.
        editedLine = 0;
        whenModalShows([&](QWidget* modal) {
            editedLine = qobject_cast<Form4*>(modal)->ListLine;
            modal->close();
        });
        list->setCurrentIndex(m_statements.index(0));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(editedLine, 1);
        QVERIFY(m_ui.calls.empty() && window->isVisible() && !m_shared.SQLFormOK);
        QCOMPARE(m_statements.lineText(2), QStringLiteral("second"));
    }

    void editLineWritesBackOnOkOnly()
    {
        fill({"a", "INSERT INTO [t] VALUES('x\r\ny')", "c"});
        const auto edit = [&](int line, const QString& typed, const char* button) {
            Form4 window(m_ui, *m_settings, m_statements);
            window.ListLine = line;
            window.setText(m_statements.lineText(line));
            window.show();
            if (!typed.isNull())
                window.findChild<QPlainTextEdit*>("Text1")->setPlainText(typed);
            if (button)
                click(&window, button);
            else
                window.close();
        };
        edit(1, "edited\nover two lines", "PushButton2");
        QCOMPARE(m_statements.lineText(1), QStringLiteral("edited\nover two lines"));
        edit(2, QString(), "PushButton2"); // unchanged: the CR LF pair survives
        QCOMPARE(m_statements.lineText(2), QStringLiteral("INSERT INTO [t] VALUES('x\r\ny')"));
        edit(2, "INSERT INTO [t] VALUES('x\ny z')", "PushButton2"); // edited: its pairs come back
        QCOMPARE(m_statements.lineText(2), QStringLiteral("INSERT INTO [t] VALUES('x\r\ny z')"));
        edit(3, "lost", "PushButton1");
        edit(3, "lost", nullptr);
        QCOMPARE(m_statements.lineText(3), QStringLiteral("c"));
        edit(3, "   ", "PushButton2");
        QCOMPARE(m_statements.lineText(3), QStringLiteral("   "));
        QCOMPARE(m_statements.lineCount(), 3);
        QVERIFY(m_ui.calls.empty());
    }

    // What the user did not touch is written back as it was: the box's own conversions (no-break
    // spaces to blanks, U+2028, U+2029 and lone CRs to LF) stay out of the line, and Tab moves on
    // instead of replacing the selected statement.
    void editLineKeepsWhatWasNotTouched_data()
    {
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("typed"); // at the end of the text; "<tab>": Tab after selecting all
        QTest::addColumn<QString>("written");
        const QString nbsp = QStringLiteral("'a\u00a0b'");
        QTest::newRow("no-break space") << nbsp << "x" << nbsp + "x";
        QTest::newRow("line separator") << "'a\u2028b'"
                                        << "x"
                                        << "'a\u2028b'x";
        QTest::newRow("paragraph separator") << "'a\u2029b'"
                                             << "x"
                                             << "'a\u2029b'x";
        QTest::newRow("lone CR") << "'a\rb'"
                                 << "x"
                                 << "'a\rb'x";
        QTest::newRow("mixed breaks") << "'a\r\nb\nc\rd'"
                                      << "x"
                                      << "'a\r\nb\nc\rd'x";
        QTest::newRow("typed break, pairs only") << "'a\r\nb'"
                                                 << "\n"
                                                 << "'a\r\nb'\r\n";
        QTest::newRow("tab") << nbsp << "<tab>" << nbsp;
    }
    void editLineKeepsWhatWasNotTouched()
    {
        QFETCH(QString, original);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        fill({original});
        Form4 window(m_ui, *m_settings, m_statements);
        window.ListLine = 1;
        window.setText(original);
        window.show();
        auto* text = window.findChild<QPlainTextEdit*>("Text1");
        if (typed == QLatin1String("<tab>")) {
            text->selectAll();
            QTest::keyClick(text, Qt::Key_Tab);
        } else {
            text->moveCursor(QTextCursor::End);
            QTest::keyClicks(text, typed == QLatin1String("\n") ? QString() : typed);
            if (typed == QLatin1String("\n"))
                QTest::keyClick(text, Qt::Key_Return);
        }
        click(&window, "PushButton2");
        QCOMPARE(m_statements.lineText(1), written);
    }

    void findAndReplaceRewritesTheFirstOccurrenceOfEachLine()
    {
        fill({"ABCabc", "INSERT INTO [t] VALUES(1)", "nothing here"});
        Form3 window(m_ui, *m_settings, m_statements);
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Find and Replace - Ferrandine"));
        QTest::keyClicks(window.findChild<QLineEdit*>("Text1"), "abc");
        QTest::keyClicks(window.findChild<QLineEdit*>("Text2"), "x");
        QTest::keyClick(window.findChild<QLineEdit*>("Text2"), Qt::Key_Return); // Enter runs Replace
        QCOMPARE(m_statements.lines(),
                 (std::vector<QString>{"xabc", "INSERT INTO [t] VALUES(1)", "nothing here"}));
        QCOMPARE(m_ui.messages(), QStringList{"Done.\r\r1 line changed. Ctrl+Z in the SQL Preview undoes it."});
        QVERIFY(!window.isVisible());

        // Ctrl+Z in the preview window undoes the pass.
        auto preview = openPreview();
        preview->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(preview.get()));
        QTest::keyClick(preview->findChild<QPushButton*>("PushButton1"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_statements.lineText(1), QStringLiteral("ABCabc"));
        preview->close();
        m_statements.setLineText(1, QStringLiteral("xabc"));

        // The next opening has the texts of the last; an empty find text changes nothing and still
        // says "Done.".
        m_ui.clear();
        Form3 again(m_ui, *m_settings, m_statements);
        again.show();
        QCOMPARE(again.findChild<QLineEdit*>("Text1")->text(), QStringLiteral("abc"));
        QCOMPARE(again.findChild<QLineEdit*>("Text2")->text(), QStringLiteral("x"));
        again.findChild<QLineEdit*>("Text1")->clear();
        click(&again, "PushButton2");
        QCOMPARE(m_statements.lineText(1), QStringLiteral("xabc"));
        QCOMPARE(m_ui.messages(), QStringList{"Done.\r\rNo line changed."});

        // "Match case" and "Every occurrence in a line": one pass makes every VARCHAR( an NVARCHAR(,
        // leaving varchar( alone; the boxes are kept for the next opening too.
        m_ui.clear();
        m_statements.setLineText(1, QStringLiteral("CREATE TABLE [t]([a] VARCHAR(3),[b] varchar(4))"));
        Form3 options(m_ui, *m_settings, m_statements);
        options.findChild<QLineEdit*>("Text1")->setText(QStringLiteral("VARCHAR("));
        options.findChild<QLineEdit*>("Text2")->setText(QStringLiteral("NVARCHAR("));
        QCOMPARE(options.findChild<QCheckBox*>("Check1")->text(), QStringLiteral("Match case"));
        QCOMPARE(options.findChild<QCheckBox*>("Check2")->text(), QStringLiteral("Every occurrence in a line"));
        options.findChild<QCheckBox*>("Check1")->setChecked(true);
        options.findChild<QCheckBox*>("Check2")->setChecked(true);
        click(&options, "PushButton2");
        QCOMPARE(m_statements.lineText(1), QStringLiteral("CREATE TABLE [t]([a] NVARCHAR(3),[b] varchar(4))"));
        Form3 kept(m_ui, *m_settings, m_statements);
        QVERIFY(kept.findChild<QCheckBox*>("Check1")->isChecked() &&
                kept.findChild<QCheckBox*>("Check2")->isChecked());
    }

    // The ticked lines, or all when none is ticked, as UTF-8 lines ending in a line feed.
    void saveSqlWritesTickedOrAllLines()
    {
        fill({"INSERT INTO [t] VALUES('Zoë')  ", "line two", "line three"});
        auto window = openPreview();
        auto* list = window->findChild<StatementView*>("ListView1");
        const QString all = m_dir.filePath(QStringLiteral("all"));
        const QString ticked = m_dir.filePath(QStringLiteral("ticked.sql"));
        m_ui.chosenPaths = {all, {}, ticked};
        emit list->saveRequested();
        m_statements.setData(m_statements.index(0), Qt::Checked, Qt::CheckStateRole);
        m_statements.setData(m_statements.index(2), Qt::Checked, Qt::CheckStateRole);
        emit list->saveRequested(); // cancelled
        emit list->saveRequested();
        const auto contents = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
        };
        QCOMPARE(contents(all + QStringLiteral(".sql")),
                 QByteArray("INSERT INTO [t] VALUES('Zo\xC3\xAB')  ;\nline two;\nline three;\n"));
        QCOMPARE(contents(ticked), QByteArray("INSERT INTO [t] VALUES('Zo\xC3\xAB')  ;\nline three;\n"));
        const std::vector<FakeUiServices::Call> dialogs = m_ui.callsOf(Kind::SaveFile);
        QCOMPARE(dialogs.size(), size_t(3));
        QCOMPARE(dialogs[0].text, QStringLiteral("Save SQL (all lines)"));
        QCOMPARE(dialogs[2].text, QStringLiteral("Save SQL (ticked lines)"));
        QCOMPARE(m_ui.messages(), (QStringList{QStringLiteral("Saved 3 lines to %1.sql.").arg(all),
                                               QStringLiteral("Saved 2 lines to %1.").arg(ticked)}));
    }

    // Saved in try mode, the script runs through sqlite3 as it stands; for SQL Server a "GO" line
    // follows every 1,000 statements.
    void savedSqlRunsAsSaved()
    {
        fill({"CREATE TABLE [t]([a] INT,[b] VARCHAR(9));", "", "INSERT INTO [t] VALUES(1, 'x;y')",
              "INSERT INTO [t] VALUES(2, 'a\nb')"});
        auto window = openPreview();
        const QString script = m_dir.filePath(QStringLiteral("saved.sql"));
        m_ui.chosenPaths = {script};
        emit window->findChild<StatementView*>("ListView1")->saveRequested();
        QProcess tool;
        tool.setStandardInputFile(script);
        tool.start(QStringLiteral("sqlite3"), {m_database});
        QVERIFY(tool.waitForFinished(30000));
        QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
        QCOMPARE(sqlite("SELECT group_concat(a || b, '|') FROM t"), QStringLiteral("1x;y|2a\nb"));

        QBuffer file;
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(StatementFile::write(file, m_statements, {1, 2, 3, 4}, 2));
        QCOMPARE(file.data(), QByteArray("CREATE TABLE [t]([a] INT,[b] VARCHAR(9));\n\nINSERT INTO [t] VALUES(1, "
                                         "'x;y');\nGO\nINSERT INTO [t] VALUES(2, 'a\nb');\n"));
    }

    // The windows keep the size the user gave them; Edit Line opens larger for a long statement.
    void windowsRememberTheirSize()
    {
        fill({"short", QStringLiteral("INSERT INTO [t] VALUES('") + QString(150000, u'x') + QStringLiteral("')")});
        auto window = openPreview();
        const QSize designed = window->size();
        window->resize(designed + QSize(100, 50));
        window->close();
        QCOMPARE(m_settings->stored(Setting::PreviewSize),
                 QStringLiteral("%1x%2").arg(designed.width() + 100).arg(designed.height() + 50));
        QCOMPARE(openPreview()->size(), designed + QSize(100, 50));

        const QSize most = window->screen()->availableGeometry().size() * 2 / 3;
        const auto edit = [&](int line) {
            auto form = std::make_unique<Form4>(m_ui, *m_settings, m_statements);
            form->ListLine = line;
            form->setText(m_statements.lineText(line));
            form->show();
            return form;
        };
        auto editLine = edit(1);
        const QSize small = editLine->size();
        QCOMPARE(editLine->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        editLine->close();
        editLine = edit(2);
        QCOMPARE(editLine->size(), most.expandedTo(small));
        editLine->close(); // a size the user did not give is not kept
        QCOMPARE(m_settings->stored(Setting::EditLineSize), QStringLiteral("<absent>"));
        editLine = edit(1);
        editLine->resize(small + QSize(0, 40));
        editLine->close();
        QCOMPARE(edit(1)->size(), small + QSize(0, 40));
    }

    void findAndReplaceOnAnEmptyListStaysOpen()
    {
        Form3 window(m_ui, *m_settings, m_statements);
        window.show();
        QTest::keyClicks(window.findChild<QLineEdit*>("Text1"), "a");
        click(&window, "PushButton2");
        QCOMPARE(m_ui.messages(), QStringList{"No SQL to run."});
        QVERIFY(window.isVisible());
        click(&window, "PushButton1");
        QVERIFY(!window.isVisible());
    }

    void viewDatatypeConversionShowsAndDiscardsTheRows()
    {
        m_datatypes.addRow("orders", "id");
        m_datatypes.setLastRowType("int", "INT");
        auto window = openPreview();
        int shownRows = -1;
        whenModalShows([&](QWidget* modal) {
            shownRows = modal->findChild<QTreeView*>("ListView1")->model()->rowCount();
            modal->close();
        });
        click(window.get(), "PushButton7");
        QCOMPARE(shownRows, 1);
        QCOMPARE(m_datatypes.rowCount(), 0);
    }

    void controllerKeepsTheListUntilThePreviewIsLeft()
    {
        QWidget owner;
        PreviewController preview(m_ui, *m_settings, m_shared, m_datatypes, &owner);
        preview.appendStatement(QStringLiteral("CREATE TABLE [t] ([a] INT)"));
        preview.appendStatement(QStringLiteral("INSERT INTO [SQLEXCEPTION] VALUES(1)"));
        QCOMPARE(preview.statements().lineCount(), 2);
        whenModalShows([&](QWidget* modal) {
            QCOMPARE(modal->parentWidget(), &owner);
            click(modal, "PushButton1");
            click(modal, "PushButton5");
        });
        preview.showModal();
        QCOMPARE(preview.statements().lineCount(), 0);
        QCOMPARE(preview.ErrorLine, 2); // outlives the window
        preview.clearStatements();
        QCOMPARE(preview.ErrorLine, 2);
    }
};

QTEST_MAIN(TestPreviewWindows)
#include "TestPreviewWindows.moc"
