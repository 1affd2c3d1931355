#include "source/Form6.h"

#include "base/Steps.h"
#include "base/UiServices.h"
#include "convert/SharedState.h"
#include "db/foxpro/ReaderOptions.h"
#include "settings/SettingsStore.h"
#include "source/AddFolder.h"
#include "ui/WindowSetup.h"

#include <QTimer>

Form6::Form6(UiServices& ui, SettingsStore& settings, SharedState& state, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_settings(settings), m_state(state)
{
    m_form.setupUi(this);
    WindowSetup::scaleToScreen(*this);
    WindowSetup::fitCaptions(*this);
    WindowSetup::enterPressesButtons(*this);
    m_pointer.handOver({m_form.PushButton1, m_form.PushButton2, m_form.PushButton5});
    m_pointer.defaultOver({this, m_form.Frame2, m_form.Text1});
    connect(m_form.Text1, &QLineEdit::textChanged, this, &Form6::Text1_Change);
    connect(m_form.Check1, &QCheckBox::clicked, this, &Form6::Check1_Click);
    connect(m_form.Check2, &QCheckBox::clicked, this, &Form6::Check2_Click);
    connect(m_form.Check3, &QCheckBox::clicked, this, &Form6::Check3_Click);
    connect(m_form.Check4, &QCheckBox::clicked, this, &Form6::Check4_Click);
    connect(m_form.PushButton5, &QPushButton::clicked, this, &Form6::PushButton5_Click);
    connect(m_form.PushButton1, &QPushButton::clicked, this, &Form6::PushButton1_Click);
    connect(m_form.PushButton2, &QPushButton::clicked, this, &Form6::PushButton2_Click);
    m_form.Text1->installEventFilter(this);
    Form_Load();
    connect(m_form.Combo1, &QComboBox::currentIndexChanged, this, &Form6::Combo1_Change);
}

int Form6::storedCodePageChoice(const SettingsStore& settings)
{
    try {
        return db::foxpro::ReaderOptions::codePageChoice(settings.read(Setting::SourceCodePage));
    } catch (const Failure&) { // no choice, or the settings cannot be read
        return db::foxpro::CodePage::Default;
    }
}

// Every code page the reader knows, by number and name, then the guess; the stored choice selected.
void Form6::fillCodePages()
{
    for (const db::foxpro::CodePage::Known& page : db::foxpro::CodePage::known())
        m_form.Combo1->addItem(QStringLiteral("%1 %2").arg(page.number).arg(QLatin1String(page.name)),
                               page.number);
    m_form.Combo1->addItem(QStringLiteral("Guess from the text"), db::foxpro::ReaderOptions::Guess);
    m_form.Combo1->setCurrentIndex(m_form.Combo1->findData(storedCodePageChoice(m_settings)));
}

void Form6::Combo1_Change()
{
    m_settings.write(Setting::SourceCodePage,
                     db::foxpro::ReaderOptions::codePageChoiceText(m_form.Combo1->currentData().toInt()));
}

void Form6::Form_Load()
{
    Steps s(m_ui, this, QStringLiteral("Form6.Form_Load"));
    WindowSetup::setUpWindow(s, *this, {}, m_pointer, {.caption = 0});
    s.run(110, [&] { m_form.Text1->setText(m_settings.read(Setting::DBCFile)); });
    s.run(112, [&] { loadChoice(*m_form.Check1, Setting::NativeTypes); });
    s.run(114, [&] { fillCodePages(); });
    s.run(116, [&] { loadChoice(*m_form.Check2, Setting::VerifyValues); });
    s.run(118, [&] { loadChoice(*m_form.Check3, Setting::CreateIndexes); });
    s.run(120, [&] { loadChoice(*m_form.Check4, Setting::CopyDeleted); });
}

bool Form6::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_form.Text1 && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, m_form.Text1, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

void Form6::Text1_Change()
{
    m_settings.write(Setting::DBCFile, m_form.Text1->text());
}

void Form6::loadChoice(QCheckBox& box, const SettingKey& key)
{
    box.setChecked(SettingConversion::toBoolean(QLatin1String(key.name), m_settings.read(key)));
}

void Form6::storeChoice(const QCheckBox& box, const SettingKey& key)
{
    m_settings.write(key, SettingConversion::fromBoolean(box.isChecked()));
}

void Form6::Check1_Click()
{
    storeChoice(*m_form.Check1, Setting::NativeTypes);
}

void Form6::Check2_Click()
{
    storeChoice(*m_form.Check2, Setting::VerifyValues);
}

void Form6::Check3_Click()
{
    storeChoice(*m_form.Check3, Setting::CreateIndexes);
}

void Form6::Check4_Click()
{
    storeChoice(*m_form.Check4, Setting::CopyDeleted);
}

void Form6::PushButton5_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form6.PushButton5_Click"));
    QString file;
    s.run(108, [&] {
        file = m_ui.chooseOpenFile(this, QStringLiteral("Select Foxpro Database"),
                                   QStringLiteral("Microsoft Database (*.dbc)"),
                                   AddFolder::StartingPlace(m_form.Text1->text()));
    });
    if (!file.isEmpty()) // 110: cancelled
        s.run(112, [&] { m_form.Text1->setText(file); });
}

// With an empty path OK changes nothing.
void Form6::PushButton1_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form6.PushButton1_Click"));
    const QString path = m_form.Text1->text();
    if (!path.isEmpty()) {
        s.run(102, [&] {
            m_state.OptionDBC1 = true;
            m_state.DBCPath1 = path;
        });
        s.run(104, [&] { m_settings.write(Setting::FoxproOption, QStringLiteral("1")); });
    }
    s.run(106, [&] { accept(); });
}

// The path stays stored; only the source changes back to the folder.
void Form6::PushButton2_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form6.PushButton2_Click"));
    s.run(100, [&] { m_settings.write(Setting::FoxproOption, QStringLiteral("2")); });
    s.run(102, [&] { m_state.OptionDBC1 = false; });
    s.run(104, [&] { done(QDialog::Rejected); });
}
