#include "preview/StatementView.h"

#include "preview/StatementListModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

StatementView::StatementView(QWidget* parent) : QTreeView(parent)
{
    setUniformRowHeights(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(ExtendedSelection);
    setEditTriggers(NoEditTriggers);
    header()->setStretchLastSection(false);
}

void StatementView::setStatements(StatementListModel* statements)
{
    m_statements = statements;
    setModel(statements);
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
    menu.exec(event->globalPos());
}
