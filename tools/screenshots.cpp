// Saves a PNG of each window of the program, as it looks on the current display.
//
//     ferrandine_screenshots <folder> [<picture.jpg>]
//
// The windows use a throw-away settings file; the main window is filled in for a local connection.
// The optional JPEG is the main window again, the picture that the SQL Server panel's "Help" opens.
// To add a window, add a line to `windows` below. Then come pictures of the screen showing what
// users expect of the windows (`behaviours` below): long statements, the list's context menu, the
// details of "Done.", the save dialog, grown windows, the lines an execution left failed (into the
// SQLite stand-in registered as "SQL Server", when the ODBC configuration in use has it), the DBC
// source line, the choosers, the helps.
#include "app/Form1.h"
#include "report/Form7.h"
#include "base/ProgramFiles.h"
#include "convert/DatatypeRowsModel.h"
#include "convert/SharedState.h"
#include "convert/StatementText.h"
#include "convert/TypeMapping.h"
#include "db/Connection.h"
#include "db/MSSQL.h"
#include "preview/Form2.h"
#include "preview/Form3.h"
#include "preview/Form4.h"
#include "preview/Form5.h"
#include "preview/StatementListModel.h"
#include "preview/StatementView.h"
#include "settings/SettingsStore.h"
#include "source/Form6.h"
#include "ui/QtUiServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <memory>

namespace {

void fillInLocalConnection(Form1& form)
{
    form.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("/opt/ferrandine/Samples"));
    form.findChild<QLineEdit*>(QStringLiteral("Text5"))->setText(QStringLiteral("localhost\\SQLEXPRESS"));
    form.findChild<QLineEdit*>(QStringLiteral("Text3"))->setText(QStringLiteral("sa"));
    form.findChild<QLineEdit*>(QStringLiteral("Text4"))->setText(QStringLiteral("secret"));
    form.findChild<QLineEdit*>(QStringLiteral("Text8"))->setText(QStringLiteral("Samples"));
    form.findChild<QCheckBox*>(QStringLiteral("Check4"))->setChecked(true);
}

// What a preview of one sample table holds: its statements and its datatype rows.
void previewSampleTable(const QString& table, StatementListModel& statements, DatatypeRowsModel& datatypes)
{
    db::Connection source;
    source.open(Foxpro::connectionString(
        FoxProSource{false, {}, ProgramFiles::inProgramFolder(ProgramFiles::samplesName()), {}},
        Foxpro::Collating::Machine));
    std::unique_ptr<db::RecordSet> rows = source.openRecordSet(convert::sourceQueryText(table));
    for (const db::Field& field : rows->fields()) {
        const convert::ColumnMapping mapping = convert::mapColumnType(field);
        datatypes.addRow(table, field.name);
        datatypes.setLastRowType(mapping.matchKey, mapping.sqlType);
    }
    statements.append(convert::createTableText(table, rows->fields()));
    convert::InsertBuilder inserts(table);
    for (; !rows->eof(); rows->moveNext())
        statements.append(inserts.text(rows->values()));
}

QImage shoot(QWidget& window)
{
    window.show();
    window.activateWindow();
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
    return window.grab().toImage();
}

// Saves the first modal window that `open` shows, with its details area open when it has one,
// then closes it.
bool shootModal(const QString& path, const std::function<void()>& open)
{
    bool saved = false;
    QTimer::singleShot(300, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttonRole(button) == QMessageBox::ActionRole)
                    button->click(); // "Show Details..."
            }
        }
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents();
        saved = modal->grab().toImage().save(path);
        modal->close();
    });
    open();
    return saved;
}

// What the windows say in the situations a user meets: a failed connection with its reason, a copy
// with nothing ticked, closing during a run, and the failed lines of an execution in the error pane.
bool shootSituations(const QDir& out, Form1& main, Form2& preview)
{
    // A database that cannot be reached, also through the stand-in.
    auto* database = main.findChild<QLineEdit*>(QStringLiteral("Text8"));
    const QString reachable = database->text();
    database->setText(QStringLiteral("/no/such/folder/Samples"));
    bool ok = shootModal(out.filePath(QStringLiteral("connection-failed-details.png")),
                         [&] { main.findChild<QPushButton*>(QStringLiteral("PushButton6"))->click(); });
    database->setText(reachable);
    preview.show();
    ok = shootModal(out.filePath(QStringLiteral("copy-nothing-ticked.png")),
                    [&] { preview.findChild<QPushButton*>(QStringLiteral("PushButton2"))->click(); }) &&
         ok;
    main.setConversionRun([] {}, [] { return true; });
    ok = shootModal(out.filePath(QStringLiteral("close-during-run.png")), [&] { main.close(); }) && ok;
    main.setConversionRun([] {}, [] { return false; });
    // Without a connection every line fails; each error box is closed as it comes. After the second
    // one "< Back" is pressed while the list runs, and its question is saved and answered No.
    QTimer closer;
    int errorBoxes = 0;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (QAbstractButton* no = box->button(QMessageBox::No)) {
            ok = box->grab().toImage().save(out.filePath(QStringLiteral("stop-executing.png"))) && ok;
            no->click();
            return;
        }
        box->close();
        if (++errorBoxes == 2)
            QTimer::singleShot(
                0, [&] { preview.findChild<QPushButton*>(QStringLiteral("PushButton5"))->click(); });
    });
    closer.start(50);
    main.state().mssql_conn.reset();
    preview.findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();
    closer.stop();
    return shoot(preview).save(out.filePath(QStringLiteral("failed-lines-in-error-pane.png"))) && ok;
}

void settle()
{
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
}

// The report of a run of the samples into a database whose code page has no Greek letters, with the
// value check on: one customer's name was forced into a varchar column by a script.
RunReport sampleRunReport()
{
    convert::TableCheckReport customers;
    customers.rowsRead = customers.rowsOnTarget = 5;
    customers.valuesChecked = 5 * 6;
    customers.valuesDiffering = customers.rowsChanged = 1;
    customers.firstDifferences.push_back(
        {3,
         3,
         {{QStringLiteral("city"), QStringLiteral("\"\u0391\u03B8\u03AE\u03BD\u03B1          \""),
           QStringLiteral("\"?????          \"")}},
         {}});
    convert::TableCheckReport orders;
    orders.rowsRead = orders.rowsOnTarget = 3;
    orders.valuesChecked = 3 * 6;
    return {RunReport::doneLine(),
            {{.table = QStringLiteral("orders"),
              .rowsRead = 3,
              .statementsSucceeded = 4,
              .rowsSent = 3,
              .rowsOnTarget = 3,
              .check = orders},
             {.table = QStringLiteral("customers"),
              .rowsRead = 5,
              .statementsSucceeded = 6,
              .rowsSent = 5,
              .rowsOnTarget = 5,
              .check = customers}}};
}

// The screen around `window` and every tool tip, menu and dialog shown over it.
QImage grabAround(QWidget& window)
{
    QRect area = window.frameGeometry();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && (top->inherits("QTipLabel") || top->inherits("QMenu") || top->isModal()))
            area |= top->frameGeometry();
    }
    area.adjust(-8, -8, 8, 8);
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage();
}

// Runs `open`, which shows a modal dialog, a message box or a menu; once it is up, `prepare` may act
// on it, the screen around `window` is photographed and the modal thing is closed again.
QImage grabModal(QWidget& window, const std::function<void()>& open,
                 const std::function<void(QWidget&)>& prepare = {})
{
    QImage image;
    QTimer::singleShot(500, [&] {
        QWidget* shown = QApplication::activePopupWidget();
        if (!shown)
            shown = QApplication::activeModalWidget();
        if (!shown)
            return;
        if (prepare)
            prepare(*shown);
        settle();
        image = grabAround(window);
        if (auto* dialog = qobject_cast<QDialog*>(shown))
            dialog->reject();
        else
            shown->close();
    });
    open();
    return image;
}

void pressButton(QWidget& window, const char* name)
{
    window.findChild<QAbstractButton*>(QLatin1String(name))->click();
}

// A message box's "Show Details..." button, pressed.
void showDetails(QWidget& box)
{
    for (QAbstractButton* button : box.findChildren<QAbstractButton*>()) {
        if (qobject_cast<QMessageBox*>(&box)->buttonRole(button) == QMessageBox::ActionRole)
            button->click();
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        qCritical("usage: ferrandine_screenshots <folder> [<picture.jpg>]");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir settingsFolder;
    QtUiServices ui;
    IniSettingsStore settings(settingsFolder.filePath(QStringLiteral("Quenthal.ini")));
    Form1 main(ui, settings, nullptr, [] { return 1; });
    fillInLocalConnection(main);
    StatementListModel statements;
    DatatypeRowsModel datatypes;
    int errorLine = 0;
    try {
        previewSampleTable(QStringLiteral("customers"), statements, datatypes);
    } catch (const std::exception& error) {
        qCritical("the samples cannot be read: %s", error.what());
        return 1;
    }

    const std::vector<std::pair<QString, std::function<std::unique_ptr<QWidget>()>>> windows = {
        {QStringLiteral("main-window"), [&] { return std::unique_ptr<QWidget>(); }},
        {QStringLiteral("advanced-options"),
         [&] { return std::make_unique<Form6>(ui, settings, main.state(), &main); }},
        {QStringLiteral("sql-preview"),
         [&] {
             return std::make_unique<Form2>(ui, settings, main.state(), statements, datatypes, errorLine,
                                            &main);
         }},
        {QStringLiteral("find-and-replace"),
         [&] { return std::make_unique<Form3>(ui, settings, statements, &main); }},
        {QStringLiteral("edit-line"),
         [&] {
             auto edit = std::make_unique<Form4>(ui, settings, statements, &main);
             edit->ListLine = 2;
             edit->setText(statements.lineText(2));
             return edit;
         }},
        {QStringLiteral("datatypes-conversion"),
         [&] { return std::make_unique<Form5>(ui, datatypes, &main); }},
        {QStringLiteral("run-report"), [&] { return std::make_unique<Form7>(ui, sampleRunReport(), &main); }},
    };
    bool ok = true;
    for (const auto& [name, make] : windows) {
        std::unique_ptr<QWidget> window = make();
        const QImage image = shoot(window ? *window : main);
        ok = image.save(out.filePath(name + QStringLiteral(".png"))) && ok;
    }
    if (argc > 2)
        ok = shoot(main).save(QString::fromLocal8Bit(argv[2]), "JPG", 90) && ok;

    StatementListModel memo;
    memo.append(statements.lineText(1));
    for (int row = 1; row <= 12; ++row)
        memo.append(QStringLiteral("INSERT INTO [notes] ([id],[text]) VALUES(%1,'").arg(row) +
                    QString(row % 2 ? 1000000 : 100000, QLatin1Char('a' + row)) + QStringLiteral("')"));
    const std::vector<std::pair<QString, std::function<QImage()>>> behaviours = {
        {QStringLiteral("long-statements-tool-tip"),
         [&] {
             Form2 preview(ui, settings, main.state(), memo, datatypes, errorLine, &main);
             shoot(preview);
             auto* list = preview.findChild<QTreeView*>(QStringLiteral("ListView1"));
             const QPoint at = list->visualRect(memo.index(2)).center();
             QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
             QApplication::sendEvent(list->viewport(), &help);
             settle();
             return grabAround(preview);
         }},
        {QStringLiteral("find-and-replace-done-details"),
         [&] {
             Form3 findReplace(ui, settings, statements, &main);
             shoot(findReplace);
             findReplace.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("into"));
             findReplace.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("into"));
             return grabModal(
                 findReplace, [&] { pressButton(findReplace, "PushButton2"); }, showDetails);
         }},
        {QStringLiteral("sql-preview-context-menu"),
         [&] {
             Form2 preview(ui, settings, main.state(), statements, datatypes, errorLine, &main);
             shoot(preview);
             auto* list = preview.findChild<QTreeView*>(QStringLiteral("ListView1"));
             const QPoint at(60, 60);
             return grabModal(preview, [&] {
                 QContextMenuEvent menu(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
                 QApplication::sendEvent(list->viewport(), &menu);
             });
         }},
        {QStringLiteral("sql-preview-undone"),
         [&] {
             Form2 preview(ui, settings, main.state(), statements, datatypes, errorLine, &main);
             shoot(preview);
             statements.undoRewrite();
             settle();
             return grabAround(preview);
         }},
        {QStringLiteral("save-sql-dialog"),
         [&] {
             Form2 preview(ui, settings, main.state(), statements, datatypes, errorLine, &main);
             shoot(preview);
             auto* list = preview.findChild<StatementView*>(QStringLiteral("ListView1"));
             return grabModal(preview, [&] { emit list->saveRequested(); });
         }},
        {QStringLiteral("sql-preview-grown"),
         [&] {
             Form2 preview(ui, settings, main.state(), statements, datatypes, errorLine, &main);
             preview.resize(900, 800);
             return shoot(preview);
         }},
        {QStringLiteral("sql-preview-failed-lines"),
         [&] {
             SharedState target;
             target.mssql_conn = std::make_unique<db::Connection>();
             target.mssql_conn->open(
                 MSSQL::connectionString(MSSQLLogin{QStringLiteral("localhost"), QStringLiteral("1433"),
                                                    settingsFolder.filePath(QStringLiteral("target.db")),
                                                    QStringLiteral("trial"), QString(), true}));
             // Two INSERTs name a table that does not exist.
             StatementListModel failing;
             failing.append(std::vector<QString>(statements.lines()));
             for (const int line : {3, 6})
                 failing.setLineText(line, QString(failing.lineText(line))
                                               .replace(QLatin1String("INSERT INTO [customers]"),
                                                        QLatin1String("INSERT INTO [customer]")));
             Form2 preview(ui, settings, target, failing, datatypes, errorLine, &main);
             preview.resize(900, 680);
             shoot(preview);
             QTimer closer; // the error box of each failed line
             QObject::connect(&closer, &QTimer::timeout, [] {
                 if (QWidget* box = QApplication::activeModalWidget())
                     box->close();
             });
             closer.start(50);
             pressButton(preview, "PushButton1");
             closer.stop();
             settle();
             return preview.grab().toImage();
         }},
        {QStringLiteral("datatypes-conversion-grown"),
         [&] {
             Form5 types(ui, datatypes, &main);
             types.resize(760, 600);
             return shoot(types);
         }},
        {QStringLiteral("main-window-dbc-source"),
         [&] {
             IniSettingsStore dbcSettings(settingsFolder.filePath(QStringLiteral("dbc.ini")));
             dbcSettings.write(Setting::FoxproOption, QStringLiteral("1"));
             dbcSettings.write(Setting::DBCFile, QStringLiteral("/srv/foxpro/Northwind.dbc"));
             Form1 dbcMain(ui, dbcSettings, nullptr, [] { return 1; });
             shoot(dbcMain);
             auto* folder = dbcMain.findChild<QLineEdit*>(QStringLiteral("Text2"));
             const QPoint at = folder->rect().center();
             QHelpEvent help(QEvent::ToolTip, at, folder->mapToGlobal(at));
             QApplication::sendEvent(folder, &help);
             settle();
             return grabAround(dbcMain);
         }},
        {QStringLiteral("folder-picker-at-typed-path"),
         [&] {
             main.findChild<QLineEdit*>(QStringLiteral("Text2"))
                 ->setText(ProgramFiles::inProgramFolder(ProgramFiles::samplesName()));
             shoot(main);
             return grabModal(main, [&] { pressButton(main, "PushButton1"); });
         }},
        {QStringLiteral("help-general"),
         [&] { return grabModal(main, [&] { pressButton(main, "PushButton5"); }); }},
        {QStringLiteral("help-connection"),
         [&] {
             // The help is followed by a question, answered No here.
             QTimer::singleShot(1500,
                                [] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->reject(); });
             return grabModal(main, [&] { pressButton(main, "PushButton4"); });
         }},
    };
    for (const auto& [name, picture] : behaviours)
        ok = picture().save(out.filePath(name + QStringLiteral(".png"))) && ok;
    Form2 preview(ui, settings, main.state(), statements, datatypes, errorLine, &main);
    ok = shootSituations(out, main, preview) && ok;
    return ok ? 0 : 1;
}
