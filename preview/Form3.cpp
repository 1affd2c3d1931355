#include "preview/Form3.h"

#include "base/EventPump.h"
#include "base/Steps.h"
#include "base/UiServices.h"
#include "preview/FindReplace.h"
#include "preview/StatementListModel.h"
#include "settings/SettingsStore.h"
#include "ui/WindowSetup.h"

namespace {

// What "Done." adds: a pass may well change more lines than meant ("INT" is also in "INTO").
QString changedLines(int count)
{
    if (count == 0)
        return QStringLiteral("No line changed.");
    if (count == 1)
        return QStringLiteral("1 line changed. Ctrl+Z in the SQL Preview undoes it.");
    return QStringLiteral("%1 lines changed. Ctrl+Z in the SQL Preview undoes it.").arg(count);
}

} // namespace

Form3::Form3(UiServices& ui, SettingsStore& settings, StatementListModel& statements, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_settings(settings), m_statements(statements)
{
    m_form.setupUi(this);
    WindowSetup::scaleToScreen(*this);
    WindowSetup::fitCaptions(*this);
    WindowSetup::enterPressesButtons(*this);
    m_form.PushButton2->setDefault(true); // Enter in either box runs Replace
    m_pointer.handOver({m_form.PushButton1, m_form.PushButton2});
    m_pointer.defaultOver({this});
    connect(m_form.PushButton1, &QPushButton::clicked, this, &Form3::PushButton1_Click);
    connect(m_form.PushButton2, &QPushButton::clicked, this, &Form3::PushButton2_Click);
    Form_Load();
}

void Form3::Form_Load()
{
    Steps s(m_ui, this, QStringLiteral("Form3.Form_Load"));
    WindowSetup::setUpWindow(
        s, *this, QStringLiteral("Find and Replace"), m_pointer,
        {.colors = 102, .icon = 104, .caption = 106, .cursorTest = 108, .cursorLoad = 110});
    // What was given last, for the next pass.
    s.run(112, [&] {
        m_form.Text1->setText(m_settings.read(Setting::FindWhat));
        m_form.Text2->setText(m_settings.read(Setting::ReplaceWith));
        m_form.Check1->setChecked(SettingConversion::toBoolean(QLatin1String(Setting::MatchCase.name),
                                                               m_settings.read(Setting::MatchCase)));
        m_form.Check2->setChecked(SettingConversion::toBoolean(QLatin1String(Setting::EveryOccurrence.name),
                                                               m_settings.read(Setting::EveryOccurrence)));
    });
}

void Form3::PushButton1_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form3.PushButton1_Click"));
    s.run(100, [&] { close(); });
}

// The replacement pass. A line whose new text cannot be built is reported and keeps its old text.
void Form3::PushButton2_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form3.PushButton2_Click"));
    if (!s.test(100, [&] { return m_statements.lineCount() > 0; })) {
        s.run(128, [&] { m_ui.showMessage(this, QStringLiteral("No SQL to run.")); });
        return;
    }
    s.run(102, [&] { m_pointer.setBusy(true); });
    const QString find = m_form.Text1->text();
    const QString replacement = m_form.Text2->text();
    const FindReplace::Options options{m_form.Check1->isChecked(), m_form.Check2->isChecked()};
    s.run(130, [&] {
        m_settings.write(Setting::FindWhat, find);
        m_settings.write(Setting::ReplaceWith, replacement);
        m_settings.write(Setting::MatchCase, SettingConversion::fromBoolean(options.matchCase));
        m_settings.write(Setting::EveryOccurrence, SettingConversion::fromBoolean(options.everyOccurrence));
    });
    EventPump pump(m_ui);
    int changed = 0;
    s.run(104, [&] {
        changed = m_statements.rewriteLines([&](int, const QString& line) {
            s.run(106, [&] { pump.run(); });
            std::optional<QString> result;
            s.run(108, [&] { result = FindReplace::replace(line, find, replacement, options); });
            return result;
        });
    });
    s.run(124, [&] { m_ui.showMessage(this, QStringLiteral("Done.\r\r") + changedLines(changed)); });
    s.run(126, [&] { close(); });
}
