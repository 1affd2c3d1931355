#include "preview/Form4.h"

#include "base/Steps.h"
#include "preview/StatementListModel.h"
#include "settings/SettingsStore.h"
#include "ui/WindowGrowth.h"
#include "ui/WindowSetup.h"

#include <QEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <vector>

namespace {

// The text box keeps its lines as blocks: every line break of the text it was given (LF, CR, CR LF or
// U+2029) becomes one block separator, U+2029, in its raw text. Its plain text would also turn
// no-break spaces into spaces and U+2028 into LF, so the raw text is compared and only what the user
// changed is written back: the unchanged start and end of the line keep their own characters, and a
// line break typed in between takes the form of the line's breaks (CR LF when it used only those).
// Where each character of `shown` starts in `original`, and one entry more for the end: a CR LF pair
// is one shown character.
std::vector<qsizetype> originalStarts(const QString& original, const QString& shown)
{
    std::vector<qsizetype> start(std::size_t(shown.size()) + 1, original.size());
    for (qsizetype i = 0, k = 0; k < shown.size() && i < original.size(); ++k) {
        start[std::size_t(k)] = i;
        const bool pair = shown.at(k) == QChar::ParagraphSeparator && original.at(i) == u'\r' &&
                          i + 1 < original.size() && original.at(i + 1) == u'\n';
        i += pair ? 2 : 1;
    }
    return start;
}

QString writtenText(const QString& original, const QString& shown, const QString& edited)
{
    if (edited == shown)
        return original;
    qsizetype prefix = 0;
    while (prefix < shown.size() && prefix < edited.size() && shown.at(prefix) == edited.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shown.size() - prefix && suffix < edited.size() - prefix &&
           shown.at(shown.size() - 1 - suffix) == edited.at(edited.size() - 1 - suffix))
        ++suffix;
    const std::vector<qsizetype> start = originalStarts(original, shown);
    static const QRegularExpression bareBreak(QStringLiteral("\\r(?!\\n)|(?<!\\r)\\n"));
    const bool pairsOnly = original.contains(QLatin1String("\r\n")) && !original.contains(bareBreak);
    QString typed = edited.sliced(prefix, edited.size() - prefix - suffix);
    typed.replace(QChar::ParagraphSeparator, pairsOnly ? QStringLiteral("\r\n") : QStringLiteral("\n"));
    const qsizetype from = start[std::size_t(prefix)];
    const qsizetype to = start[std::size_t(shown.size() - suffix)];
    return original.left(from) + typed + original.sliced(to);
}

} // namespace

Form4::Form4(UiServices& ui, SettingsStore& settings, StatementListModel& statements, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_settings(settings), m_statements(statements)
{
    m_form.setupUi(this);
    WindowSetup::scaleToScreen(*this);
    WindowSetup::fitCaptions(*this);
    WindowSetup::enterPressesButtons(*this);
    WindowGrowth::allow(*this, *m_form.Text1);
    m_openedSize = WindowGrowth::restoreSize(*this, m_settings, Setting::EditLineSize);
    m_pointer.handOver({m_form.PushButton1, m_form.PushButton2});
    m_pointer.defaultOver({this});
    m_form.Text1->installEventFilter(this);
    // Tab moves on to the buttons: as a character it would replace the selected statement.
    m_form.Text1->setTabChangesFocus(true);
    connect(m_form.PushButton1, &QPushButton::clicked, this, &Form4::PushButton1_Click);
    connect(m_form.PushButton2, &QPushButton::clicked, this, &Form4::PushButton2_Click);
    Form_Load();
}

void Form4::setText(const QString& text)
{
    m_text = text;
    m_form.Text1->setPlainText(text);
    m_shown = m_form.Text1->document()->toRawText();
    fitText();
}

void Form4::fitText()
{
    const QPlainTextEdit& box = *m_form.Text1;
    const QFontMetrics metrics(box.font());
    // The text's height in a box `width` pixels wide, wrapped anywhere.
    const auto textHeight = [&](int width) {
        const qsizetype perLine = std::max(
            1, (width - 2 * box.frameWidth() - box.verticalScrollBar()->sizeHint().width() - 8) /
                   std::max(metrics.averageCharWidth(), 1));
        qint64 lines = 0;
        for (const QStringView line : QStringView(m_text).tokenize(u'\n'))
            lines += std::max<qint64>(1, (line.size() + perLine - 1) / perLine);
        return lines * metrics.lineSpacing() + 2 * box.frameWidth() + 8;
    };
    if (textHeight(box.width()) <= box.height())
        return;
    const QSize most = (screen()->availableGeometry().size() * 2 / 3).expandedTo(size());
    const int boxWidth = box.width() * most.width() / width();
    const qint64 wanted = height() - box.height() + textHeight(boxWidth);
    resize(most.width(), int(std::clamp<qint64>(wanted, height(), most.height())));
    m_openedSize = size();
}

void Form4::done(int result)
{
    WindowGrowth::storeSize(*this, m_settings, Setting::EditLineSize, m_openedSize);
    QDialog::done(result);
}

// Entering the text box by Tab or a click selects all of it, so that typing replaces the whole
// statement.
bool Form4::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_form.Text1 && WindowSetup::focusComesFromUser(*event))
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
        m_statements.setLineText(ListLine,
                                 writtenText(m_text, m_shown, m_form.Text1->document()->toRawText()));
    });
    s.run(102, [&] { close(); });
}
