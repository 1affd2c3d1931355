#include "app/Form1.h"

#include "base/AppInfo.h"
#include "base/Failure.h"
#include "base/ProgramFiles.h"
#include "base/Steps.h"
#include "base/UiServices.h"
#include "settings/SettingsStore.h"
#include "ui/WindowSetup.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace {

int drawOneToHundred()
{
    return QRandomGenerator::global()->bounded(1, 101);
}

} // namespace

Form1::Form1(UiServices& ui, SettingsStore& settings, QWidget* parent, ChanceSource chance)
    : QMainWindow(parent), m_ui(ui), m_settings(settings),
      m_chance(chance ? std::move(chance) : drawOneToHundred)
{
    m_form.setupUi(this);
    WindowSetup::scaleToScreen(*this);
    // Its panels keep their designed size: no maximise button that would do nothing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    WindowSetup::fitCaptions(*this);
    WindowSetup::enterPressesButtons(*this);
    // The port box takes what can be a port, 1 to 65535; a stored text is shown as it stands.
    m_form.Text6->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|"
                                          "655[0-2][0-9]|6553[0-5]")),
        m_form.Text6));
    setUpPointer();
    connectHandlers();
    Form_Load();
}

void Form1::connectHandlers()
{
    connect(m_form.Text2, &QLineEdit::textChanged, this, &Form1::Text2_Change);
    connect(m_form.Text5, &QLineEdit::textChanged, this, &Form1::Text5_Change);
    connect(m_form.Text6, &QLineEdit::textChanged, this, &Form1::Text6_Change);
    connect(m_form.Text3, &QLineEdit::textChanged, this, &Form1::Text3_Change);
    connect(m_form.Text4, &QLineEdit::textChanged, this, &Form1::Text4_Change);
    connect(m_form.Text8, &QLineEdit::textChanged, this, &Form1::Text8_Change);
    connect(m_form.Check4, &QCheckBox::toggled, this, &Form1::Check4_Click);
    connect(m_form.Check1, &QCheckBox::toggled, this, &Form1::Check1_Click);
    connect(m_form.Option1, &QRadioButton::toggled, this, &Form1::Option_Click);
    connect(m_form.Option2, &QRadioButton::toggled, this, &Form1::Option_Click);
    connect(m_form.PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(m_form.PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(m_form.PushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
    connect(m_form.PushButton12, &QPushButton::clicked, this, &Form1::PushButton12_Click);
    connect(m_form.PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(m_form.PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(m_form.PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(m_form.PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    // Text2, Text5 and Text6 select their whole text when the user moves the focus into them.
    for (QLineEdit* box : {m_form.Text2, m_form.Text5, m_form.Text6})
        box->installEventFilter(this);
}

void Form1::setUpPointer()
{
    m_pointer.handOver({m_form.PushButton1, m_form.PushButton2, m_form.PushButton4, m_form.PushButton5,
                        m_form.PushButton6, m_form.PushButton7, m_form.PushButton8, m_form.PushButton12});
    m_pointer.defaultOver({m_form.centralwidget, m_form.Frame1, m_form.Frame2, m_form.Frame3, m_form.Text2,
                           m_form.Text5, m_form.Text6});
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (WindowSetup::focusComesFromUser(*event)) {
        // Select after the line edit's own focus handling, which would otherwise undo it.
        auto* box = static_cast<QLineEdit*>(watched);
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
    return QMainWindow::eventFilter(watched, event);
}

// Nothing is stored here: every setting was stored when it changed. Quitting also ends the event
// loops of any window still open. A run in progress would leave its current table incomplete, so
// the user is asked first.
void Form1::closeEvent(QCloseEvent* event)
{
    if (m_runInProgress && m_runInProgress() &&
        !m_ui.askYesNo(this, QStringLiteral("A conversion is running. Stop it? The table being copied will "
                                            "be incomplete."))) {
        event->ignore();
        return;
    }
    event->accept();
    emit closing();
    QCoreApplication::exit(0);
}

// ---- Start-up ------------------------------------------------------------------------------

void Form1::Form_Load()
{
    Steps s(m_ui, this, QStringLiteral("Form1.Form_Load"));
    s.run(100, [&] { ApplySkin(); });
    const QString cursorFile = ProgramFiles::inProgramFolder(ProgramFiles::handCursorName());
    if (s.test(104, [&] { return FileExists(cursorFile); }))
        s.run(106, [&] { m_pointer.setHandCursor(WindowSetup::loadHandCursor(cursorFile)); });
    s.run(108, [&] { OpenVendorSiteByChance(); });
    s.run(126, [&] {
        setWindowTitle(AppInfo::productTitle() + QLatin1Char(' ') + AppInfo::version());
        setWindowIcon(WindowSetup::programIcon());
        SetApplicationTitle();
    });
    restorePreviewOptions(s);
    s.run(134, [&] { m_form.Text2->setText(m_settings.read(Setting::FreeTableFolder)); });
    s.run(136, [&] { m_state.DBCPath1 = m_settings.read(Setting::DBCFile); });
    if (s.test(138, [&] { return m_settings.read(Setting::FoxproOption) != QLatin1String("2"); }))
        s.run(140, [&] { m_state.OptionDBC1 = true; });
    else if (s.test(142, [&] { return m_settings.read(Setting::FoxproOption) == QLatin1String("2"); }))
        s.run(144, [&] { m_state.OptionDBC1 = false; });
    restoreTexts(s);
    s.run(156, [&] {
        m_form.Check4->setChecked(m_settings.read(Setting::LocalConnection) != QLatin1String("0"));
    });
    s.run(158, [&] { Check1_Click(); });
    showSource();
    m_unreadAtLoad.clear();
}

// A stored text that cannot be read is reported at its step and kept from being stored over during
// the rest of the load.
void Form1::restorePreviewOptions(Steps& s)
{
    using SettingConversion::toBoolean;
    using SettingConversion::toWholeNumber;
    const auto unread = [&](const SettingKey& key) { m_unreadAtLoad << QLatin1String(key.name); };
    if (!s.run(128, [&] {
            const short value =
                toWholeNumber(QLatin1String(Setting::Check1.name), m_settings.read(Setting::Check1));
            if (value != 0 && value != 1)
                throw Failure(380, QStringLiteral("Check1: invalid value %1 (0 or 1 expected)").arg(value));
            m_form.Check1->setChecked(value == 1);
        }))
        unread(Setting::Check1);
    if (!s.run(130, [&] {
            m_form.Option1->setChecked(
                toBoolean(QLatin1String(Setting::Option1.name), m_settings.read(Setting::Option1)));
        }))
        unread(Setting::Option1);
    if (!s.run(132, [&] {
            m_form.Option2->setChecked(
                toBoolean(QLatin1String(Setting::Option2.name), m_settings.read(Setting::Option2)));
        }))
        unread(Setting::Option2);
}

void Form1::restoreTexts(Steps& s)
{
    s.run(146, [&] { m_form.Text5->setText(m_settings.read(Setting::MSSQLServer)); });
    s.run(148, [&] { m_form.Text3->setText(m_settings.read(Setting::MSSQLUser)); });
    s.run(150, [&] { m_form.Text4->setText(m_settings.read(Setting::MSSQLPassword)); });
    s.run(152, [&] { m_form.Text8->setText(m_settings.read(Setting::MSSQLDatabase)); });
    s.run(154, [&] { m_form.Text6->setText(m_settings.read(Setting::MSSQLPort)); });
}

// The optional skin "x/o.cjs" beside the program is a Qt style sheet for the main window.
void Form1::ApplySkin()
{
    const QString path = ProgramFiles::inProgramFolder(ProgramFiles::skinName());
    if (!FileExists(path))
        return;
    SetButtonFaceColors(*this);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Failure(1, path + QStringLiteral(": ") + file.errorString());
    setStyleSheet(QString::fromUtf8(file.readAll()));
}

void Form1::OpenVendorSiteByChance()
{
    if (m_chance() == 7)
        m_ui.openUrl(QUrl(AppInfo::vendorSite()));
}

void Form1::SetApplicationTitle()
{
    m_ui.setApplicationTitle(applicationTitleFor(AppInfo::productTitle()));
}

QString Form1::applicationTitleFor(const QString& productTitle)
{
    QString title = productTitle;
    if (!title.contains(QLatin1Char(' ')))
        return title;
    do {
        title.truncate(title.lastIndexOf(QLatin1Char(' ')));
    } while (title.size() > 40 && title.contains(QLatin1Char(' ')));
    return title;
}
