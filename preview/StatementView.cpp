#include "preview/StatementView.h"

#include "preview/StatementListModel.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

namespace {

// The widest row of a tool tip, in characters.
constexpr qsizetype ToolTipColumns = 100;
// What a line's size is measured on when the view has not laid it out yet.
constexpr qsizetype UnplacedCharacters = 256;

// How many characters of a line can show in `width` pixels: no character is narrower than the
// narrowest of a few thin ones of the font.
qsizetype charactersThatFit(const QFontMetrics& metrics, int width)
{
    if (width <= 0)
        return UnplacedCharacters;
    int narrowest = metrics.horizontalAdvance(QLatin1Char(' '));
    for (QChar thin : {u'i', u'l', u'.', u'\'', u'|', u'!'})
        narrowest = std::min(narrowest, metrics.horizontalAdvance(thin));
    return width / std::max(narrowest, 1) + 2;
}

// Text layout costs grow with a text's length, visible or not, and so does the base class's
// preparation of the text (it rewrites line feeds): a line is read only as far as it can show.
class FittingTextDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant& value, const QLocale& locale) const override
    {
        QString text = value.toString();
        if (text.size() > m_fit) {
            const qsizetype cut = text.at(m_fit - 1).isHighSurrogate() ? m_fit - 1 : m_fit;
            text = text.left(cut);
        }
        return QStyledItemDelegate::displayText(text, locale);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        m_fit = charactersThatFit(option->fontMetrics, option->rect.width());
        QStyledItemDelegate::initStyleOption(option, index);
    }

private:
    // Set for the line being prepared; displayText() has no other way to learn the width.
    mutable qsizetype m_fit = UnplacedCharacters;
};

// The tool tip of a line: its text in rows of at most ToolTipColumns characters, broken after a blank
// where the row has one (a statement may hold no blank to wrap at), its line breaks shown as "↵", and
// no more than `maxRows` rows.
QString toolTipFor(const QString& line, int maxRows)
{
    QString text = line.left(qsizetype(maxRows) * ToolTipColumns);
    text.replace(QLatin1String("\r\n"), QStringLiteral("\u21B5"))
        .replace(u'\r', u'\u21B5')
        .replace(u'\n', u'\u21B5');
    QString shown;
    qsizetype start = 0;
    for (int row = 0; row < maxRows && start < text.size(); ++row) {
        qsizetype end = std::min(start + ToolTipColumns, text.size());
        if (end < text.size()) {
            const qsizetype blank = text.lastIndexOf(u' ', end - 1);
            if (blank > start)
                end = blank + 1;
            else if (text.at(end - 1).isHighSurrogate())
                --end;
        }
        shown += QStringView(text).sliced(start, end - start).toString().toHtmlEscaped() + QLatin1Char('\n');
        start = end;
    }
    shown.chop(1);
    if (start < text.size() || text.size() < line.size())
        shown += QStringLiteral("&hellip;\n<i>%1 characters in all: click the line to see it whole.</i>")
                     .arg(line.size());
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + shown + QStringLiteral("</p>");
}

} // namespace

StatementView::StatementView(QWidget* parent) : QTreeView(parent)
{
    setUniformRowHeights(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(ExtendedSelection);
    setEditTriggers(NoEditTriggers);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionResized, this, [this] {
        if (!m_placingColumn)
            m_columnMargin.reset(); // sized by hand: the column keeps that width
    });
    setItemDelegate(new FittingTextDelegate(this));
    // Ctrl+Z anywhere in the window, not only in the list.
    m_undoReplace = new QAction(this);
    m_undoReplace->setShortcut(QKeySequence::Undo);
    m_undoReplace->setShortcutContext(Qt::WindowShortcut);
    addAction(m_undoReplace);
    connect(m_undoReplace, &QAction::triggered, this, [this] {
        if (m_statements)
            m_statements->undoRewrite();
    });
}

void StatementView::setStatements(StatementListModel* statements)
{
    m_statements = statements;
    setModel(statements);
}

void StatementView::setFollowingColumnWidth(int width)
{
    m_columnMargin = this->width() - width;
    m_placingColumn = true;
    setColumnWidth(0, width);
    m_placingColumn = false;
}

void StatementView::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    if (!m_columnMargin)
        return;
    m_placingColumn = true;
    setColumnWidth(0, std::max(width() - *m_columnMargin, 1));
    m_placingColumn = false;
}

QModelIndex StatementView::lineIndex(int line) const
{
    if (!m_statements)
        return {};
    return m_statements->index(StatementListModel::lineToRow(line));
}

void StatementView::selectLine(int line)
{
    const QModelIndex index = lineIndex(line);
    if (index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void StatementView::scrollToLine(int line)
{
    const QModelIndex index = lineIndex(line);
    if (index.isValid())
        scrollTo(index);
}

// Over a line too long for its column, the line's text; elsewhere the list's own tool tip.
bool StatementView::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !m_statements)
        return QTreeView::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    if (index.isValid()) {
        const QString& line = m_statements->lineText(StatementListModel::rowToLine(index.row()));
        const QRect place = visualRect(index);
        if (line.size() > 0 && fontMetrics().horizontalAdvance(line.left(
                                   charactersThatFit(fontMetrics(), place.width()))) > place.width()) {
            // Rows of the tool tip's font, the trailer's two included, in two thirds of the screen.
            const int rows = screen()->availableGeometry().height() * 2 / 3 /
                                 std::max(QFontMetrics(QToolTip::font()).lineSpacing(), 1) -
                             2;
            QToolTip::showText(help->globalPos(), toolTipFor(line, std::max(rows, 1)), viewport(), place);
            return true;
        }
    }
    return QTreeView::viewportEvent(event);
}

void StatementView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space || !m_statements) {
        QTreeView::keyPressEvent(event);
        return;
    }
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.empty() && currentIndex().isValid())
        rows.push_back(currentIndex().row());
    m_statements->toggleChecked(rows);
    event->accept();
}

bool StatementView::isOnCheckMark(const QModelIndex& index, const QPoint& position) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this).contains(position);
}

void StatementView::mousePressEvent(QMouseEvent* event)
{
    m_pressedRow = indexAt(event->position().toPoint()).row();
    QTreeView::mousePressEvent(event);
}

void StatementView::mouseReleaseEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool onLine = event->button() == Qt::LeftButton && index.isValid() && index.row() == m_pressedRow &&
                        !isOnCheckMark(index, event->position().toPoint());
    QTreeView::mouseReleaseEvent(event);
    if (onLine && event->modifiers() == Qt::NoModifier)
        emit lineClicked(StatementListModel::rowToLine(index.row()));
}

void StatementView::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_statements)
        return;
    QMenu menu(this);
    connect(menu.addAction(tr("Check All")), &QAction::triggered, this,
            [this] { m_statements->setAllChecked(true); });
    connect(menu.addAction(tr("Uncheck All")), &QAction::triggered, this,
            [this] { m_statements->setAllChecked(false); });
    menu.addSeparator();
    const int undoable = m_statements->undoableLines();
    m_undoReplace->setText(undoable == 1 ? tr("Undo Find and Replace (1 line)")
                                         : tr("Undo Find and Replace (%1 lines)").arg(undoable));
    m_undoReplace->setEnabled(undoable > 0);
    menu.addAction(m_undoReplace);
    connect(menu.addAction(tr("Save SQL...")), &QAction::triggered, this, &StatementView::saveRequested);
    menu.exec(event->globalPos());
    m_undoReplace->setEnabled(true); // a disabled action would not answer its shortcut
}
