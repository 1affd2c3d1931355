#include "preview/Form2.h"

#include "base/AppInfo.h"
#include "base/EventPump.h"
#include "base/Steps.h"
#include "base/UiServices.h"
#include "convert/SharedState.h"
#include "convert/TargetDialect.h"
#include "preview/Clipboard.h"
#include "preview/Form3.h"
#include "preview/Form4.h"
#include "preview/Form5.h"
#include "preview/StatementFile.h"
#include "preview/StatementListModel.h"
#include "settings/SettingsStore.h"
#include "ui/Twips.h"
#include "ui/WindowGrowth.h"
#include "ui/WindowSetup.h"

#include <QKeyEvent>
#include <QScopedValueRollback>

namespace {

QString pasteHint()
{
    return QStringLiteral(
        "\r\rClick a text area where you normally type and press Ctrl+V to paste the clipboard.");
}

QString failedLinesText(std::size_t failed, int sent)
{
    return QStringLiteral("%1 of %2 lines failed; fix them and press Execute SQL to run the lines that have "
                          "not run yet.")
        .arg(failed)
        .arg(sent);
}

} // namespace

Form2::Form2(UiServices& ui, SettingsStore& settings, SharedState& shared, StatementListModel& statements,
             DatatypeRowsModel& datatypes, int& errorLine, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_settings(settings), m_shared(shared), m_statements(statements),
      m_datatypes(datatypes), ErrorLine(errorLine)
{
    m_form.setupUi(this);
    WindowSetup::scaleToScreen(*this);
    WindowSetup::fitCaptions(*this);
    WindowSetup::enterPressesButtons(*this);
    WindowGrowth::allow(*this, *m_form.ListView1);
    m_openedSize = WindowGrowth::restoreSize(*this, m_settings, Setting::PreviewSize);
    m_pointer.handOver({m_form.PushButton1, m_form.PushButton2, m_form.PushButton3, m_form.PushButton4,
                        m_form.PushButton5, m_form.PushButton6, m_form.PushButton7, m_form.PushButton8,
                        m_form.PushButton9});
    m_pointer.defaultOver({this, m_form.ListView1, m_form.Frame2});
    m_form.ListView1->setStatements(&m_statements);
    connect(m_form.PushButton1, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(m_form.PushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(m_form.PushButton3, &QPushButton::clicked, this, &Form2::PushButton3_Click);
    connect(m_form.PushButton4, &QPushButton::clicked, this, &Form2::PushButton4_Click);
    connect(m_form.PushButton5, &QPushButton::clicked, this, &Form2::PushButton5_Click);
    connect(m_form.PushButton6, &QPushButton::clicked, this, &Form2::PushButton6_Click);
    connect(m_form.PushButton7, &QPushButton::clicked, this, &Form2::PushButton7_Click);
    connect(m_form.PushButton8, &QPushButton::clicked, this, &Form2::PushButton8_Click);
    connect(m_form.PushButton9, &QPushButton::clicked, this, &Form2::PushButton9_Click);
    connect(m_form.ListView1, &StatementView::lineClicked, this, &Form2::ListView1_Click);
    connect(m_form.ListView1, &StatementView::saveRequested, this,
            [this] { saveStatements(); });
    // The error pane can be read, selected and copied, not typed into; Tab moves on to its buttons.
    m_form.Text1->setReadOnly(true);
    m_form.Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_form.Text1->setTabChangesFocus(true);
    connect(&m_statements, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                m_edited = m_edited || roles.contains(Qt::DisplayRole);
            });
    Form_Load();
    m_form.ListView1->installEventFilter(this);
    m_form.ListView1->setFocus();
}

// Enter on a line edits it, as a click does; it never reaches the window's default button, which
// would run or leave the list.
bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_form.ListView1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QModelIndex current = m_form.ListView1->currentIndex();
            if (current.isValid())
                ListView1_Click(current.row() + 1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Form2::Form_Load()
{
    Steps s(m_ui, this, QStringLiteral("Form2.Form_Load"));
    WindowSetup::setUpWindow(
        s, *this, QStringLiteral("SQL Preview"), m_pointer,
        {.colors = 100, .icon = 104, .caption = 106, .cursorTest = 108, .cursorLoad = 110});
    s.run(114, [&] { m_form.ListView1->setFollowingColumnWidth(twipsToPixels(7000)); });
}

// "Execute SQL". Events run between statements, so a second click could arrive while the list runs;
// it is ignored rather than starting the list again inside the first pass.
void Form2::PushButton1_Click()
{
    if (m_executing)
        return;
    m_form.Label1->clear();
    StatementExecution::Outcome outcome;
    {
        QScopedValueRollback<bool> executing(m_executing, true);
        m_stopRequested = false;
        outcome = m_execution.run(m_statements);
    }
    QScopedValueRollback<bool> leaving(m_leaving, true);
    switch (outcome) {
    case StatementExecution::Outcome::Lost:
        close(); // the run winds down
        return;
    case StatementExecution::Outcome::Failed:
        showFailedLines();
        return;
    case StatementExecution::Outcome::Completed:
        break;
    default:
        return;
    }
    Steps s(m_ui, this, QStringLiteral("Form2.PushButton1_Click"));
    m_shared.SQLFormEndRun = false;
    s.run(146, [&] { close(); });
}

void Form2::showFailedLines()
{
    const std::vector<int>& failed = m_execution.failedLines();
    m_statements.setAllChecked(false);
    for (int line : failed)
        m_statements.setData(m_statements.index(StatementListModel::lineToRow(line)), Qt::Checked,
                             Qt::CheckStateRole);
    selectLine(failed.front());
    scrollToLine(failed.front());
    m_form.Label1->setText(failedLinesText(failed.size(), m_execution.linesSent()));
}

void Form2::done(int result)
{
    if (!mayLeave())
        return;
    WindowGrowth::storeSize(*this, m_settings, Setting::PreviewSize, m_openedSize);
    QDialog::done(result);
}

bool Form2::mayLeave()
{
    if (m_executing) {
        if (!m_stopRequested)
            m_stopRequested =
                m_ui.askYesNo(this, QStringLiteral("Stop executing? Lines not yet run will not be sent."));
        return m_stopRequested;
    }
    return !m_edited || m_leaving ||
           m_ui.askYesNo(this, QStringLiteral("Discard the changes to the statements?"));
}

// A target that takes batches is SQL Server, whose tools want a "GO" now and then.
void Form2::saveStatements()
{
    const bool sqlServer =
        !m_shared.mssql_conn || convert::TargetDialect::ofConnection(*m_shared.mssql_conn).takesBatches();
    StatementFile::save(m_ui, this, m_statements, sqlServer ? StatementFile::SqlServerBatch : 0);
}

void Form2::PushButton2_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form2.PushButton2_Click"));
    // Nothing ticked: the clipboard keeps what it holds, and the user learns how to tick.
    if (!s.test(104, [&] { return hasTickedLine(); })) {
        s.run(110, [&] {
            m_ui.showMessage(this, QStringLiteral("No line is ticked. Select lines and press Space to tick "
                                                  "them, then copy again."));
        });
        return;
    }
    EventPump pump(m_ui);
    s.run(106, [&] { Main::CopyListToClipboard(m_statements, m_ui, pump); });
    s.run(108, [&] {
        m_ui.showMessage(this, QStringLiteral("Results have been copied to the clipboard.") + pasteHint());
    });
}

void Form2::PushButton3_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form2.PushButton3_Click"));
    s.run(100, [&] {
        Form3 findReplace(m_ui, m_settings, m_statements, this);
        findReplace.exec();
    });
}

bool Form2::hasTickedLine() const
{
    for (int line = 1; line <= m_statements.lineCount(); ++line) {
        if (m_statements.isChecked(line))
            return true;
    }
    return false;
}

bool Form2::hasErrorText() const
{
    return !m_errorText.trimmed().isEmpty();
}

void Form2::PushButton4_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form2.PushButton4_Click"));
    if (!s.test(100, [&] { return hasErrorText(); }))
        return;
    s.run(102, [&] { Main::ClearClipboard(m_ui); });
    s.run(104, [&] { Main::SetClipboardText(m_ui, m_errorText); });
    s.run(106, [&] {
        m_ui.showMessage(this,
                         QStringLiteral("Error message have been copied to the clipboard.") + pasteHint());
    });
}

void Form2::PushButton5_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form2.PushButton5_Click"));
    s.run(100, [&] { close(); });
}

void Form2::PushButton6_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form2.PushButton6_Click"));
    if (s.test(100, [&] { return m_statements.lineCount() >= 1; }) &&
        s.test(102, [&] { return ErrorLine >= 1; })) {
        s.run(104, [&] { selectLine(ErrorLine); });
        s.run(106, [&] { scrollToLine(ErrorLine); });
    }
}

void Form2::PushButton7_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form2.PushButton7_Click"));
    s.run(100, [&] {
        Form5 datatypes(m_ui, m_datatypes, this);
        datatypes.exec();
    });
}

void Form2::PushButton8_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form2.PushButton8_Click"));
    if (!s.test(100, [&] { return hasErrorText(); }))
        return;
    QUrl address;
    s.run(102, [&] { address = Main::ErrorReportAddress(m_errorText); });
    s.run(104, [&] {
        if (!m_ui.openUrl(address))
            m_ui.showMessage(this, QStringLiteral("The desktop could not start a mail program. Please use "
                                                  "\"Copy Error Message To Clipboard\" and send the "
                                                  "text to ") +
                                       AppInfo::supportEmail() + u'.');
    });
}

void Form2::PushButton9_Click()
{
    QScopedValueRollback<bool> leaving(m_leaving, true); // the user chose to drop the list
    if (!mayLeave())
        return;
    Steps s(m_ui, this, QStringLiteral("Form2.PushButton9_Click"));
    s.run(100, [&] { m_shared.SQLFormEndRun = false; });
    s.run(102, [&] { close(); });
}

// A click on a line (not on its check mark) opens the Edit Line window for it.
void Form2::ListView1_Click(int line)
{
    Form4 editLine(m_ui, m_settings, m_statements, this);
    editLine.ListLine = line;
    editLine.setText(m_statements.lineText(line));
    editLine.exec();
}

void Form2::setBusyPointer(bool busy)
{
    m_pointer.setBusy(busy);
}

void Form2::setProgressValue(double percent)
{
    m_form.ProgressBar1->setValue(qRound(percent));
}

void Form2::setProgressText(const QString& text)
{
    m_form.ProgressBar1->setFormat(text);
}

void Form2::selectLine(int line)
{
    m_form.ListView1->selectLine(line);
}

void Form2::scrollToLine(int line)
{
    m_form.ListView1->scrollToLine(line);
}

void Form2::setErrorText(const QString& description)
{
    m_errorText = description;
    m_form.Text1->setPlainText(description);
}
