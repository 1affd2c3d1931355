// Saves a PNG of each window of the program, as it looks on the current display.
//
//     ferrandine_screenshots <folder> [<picture.jpg>]
//
// The windows use a throw-away settings file; the main window is filled in for a local connection.
// The optional JPEG is the main window again, the picture that the SQL Server panel's "Help" opens.
// To add a window, add a line to `windows` below.
#include "app/Form1.h"
#include "app/ProgramFiles.h"
#include "app/QtUiServices.h"
#include "app/SettingsStore.h"
#include "convert/DatatypeRowsModel.h"
#include "convert/Form5.h"
#include "convert/StatementText.h"
#include "convert/TypeMapping.h"
#include "db/Connection.h"
#include "preview/Form2.h"
#include "preview/Form3.h"
#include "preview/Form4.h"
#include "preview/StatementListModel.h"
#include "source/Form6.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

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
    bool ok = shootModal(out.filePath(QStringLiteral("connection-failed-details.png")),
                         [&] { main.findChild<QPushButton*>(QStringLiteral("PushButton6"))->click(); });
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
         [&] { return std::make_unique<Form2>(ui, main.state(), statements, datatypes, errorLine, &main); }},
        {QStringLiteral("find-and-replace"), [&] { return std::make_unique<Form3>(ui, statements, &main); }},
        {QStringLiteral("edit-line"),
         [&] {
             auto edit = std::make_unique<Form4>(ui, statements, &main);
             edit->ListLine = 2;
             edit->setText(statements.lineText(2));
             return edit;
         }},
        {QStringLiteral("datatypes-conversion"),
         [&] { return std::make_unique<Form5>(ui, datatypes, &main); }},
    };
    bool ok = true;
    for (const auto& [name, make] : windows) {
        std::unique_ptr<QWidget> window = make();
        const QImage image = shoot(window ? *window : main);
        ok = image.save(out.filePath(name + QStringLiteral(".png"))) && ok;
    }
    if (argc > 2)
        ok = shoot(main).save(QString::fromLocal8Bit(argv[2]), "JPG", 90) && ok;
    Form2 preview(ui, main.state(), statements, datatypes, errorLine, &main);
    ok = shootSituations(out, main, preview) && ok;
    return ok ? 0 : 1;
}
