#include "preview/Form4.h"

#include "app/Steps.h"
#include "app/WindowSetup.h"
#include "preview/StatementListModel.h"

#include <QEvent>
#include <QRegularExpression>

namespace {

// The text box turns every line break into a line feed. A statement's text may carry CR LF pairs
// (memo values), so a line written back unchanged keeps its original text, and an edited one gets
// its CR LF pairs back when the original used them alone.
QString writtenText(const QString& original, const QString& shown, const QString& edited)
{
    if (edited == shown)
        return original;
    static const QRegularExpression bareBreak(QStringLiteral("\\r(?!\\n)|(?<!\\r)\\n"));
    if (original.contains(QLatin1String("\r\n")) && !original.contains(bareBreak)) {
        QString withPairs = edited;
        return withPairs.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    }
    return edited;
}

} // namespace

Form4::Form4(UiServices& ui, StatementListModel& statements, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_statements(statements)
{
    m_form.setupUi(this);
    WindowSetup::scaleToScreen(*this);
    WindowSetup::fitCaptions(*this);
    m_pointer.handOver({m_form.PushButton1, m_form.PushButton2});
    m_pointer.defaultOver({this});
    m_form.Text1->installEventFilter(this);
    connect(m_form.PushButton1, &QPushButton::clicked, this, &Form4::PushButton1_Click);
    connect(m_form.PushButton2, &QPushButton::clicked, this, &Form4::PushButton2_Click);
    Form_Load();
}

void Form4::setText(const QString& text)
{
    m_text = text;
    m_form.Text1->setPlainText(text);
    m_shown = m_form.Text1->toPlainText();
}

// Entering the text box selects all of it, so that typing replaces the whole statement.
bool Form4::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_form.Text1 && event->type() == QEvent::FocusIn)
        m_form.Text1->selectAll();
    return QDialog::eventFilter(watched, event);
}

void Form4::Form_Load()
{
    Steps s(m_ui, this, QStringLiteral("Form4.Form_Load"));
    WindowSetup::setUpWindow(
        s, *this, QStringLiteral("Edit Line"), m_pointer,
        {.colors = 102, .icon = 104, .caption = 106, .cursorTest = 108, .cursorLoad = 110});
}

void Form4::PushButton1_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form4.PushButton1_Click"));
    s.run(100, [&] { close(); });
}

void Form4::PushButton2_Click()
{
    Steps s(m_ui, this, QStringLiteral("Form4.PushButton2_Click"));
    s.run(100, [&] {
        m_statements.setLineText(ListLine, writtenText(m_text, m_shown, m_form.Text1->toPlainText()));
    });
    s.run(102, [&] { close(); });
}
