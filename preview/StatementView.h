#pragma once

#include <QTreeView>

#include <optional>

class QAction;
class StatementListModel;

// The SQL Preview window's statement list: one column, uniform row heights and no per-row widgets,
// so that a list of millions of lines opens and scrolls at once. Each line has a check mark (for
// "Copy SQL To Clipboard"): a click on the mark toggles it, Space toggles every selected line and
// the context menu checks or unchecks all, undoes the last Find and Replace (also Ctrl+Z) and asks
// for the list to be saved. A click elsewhere on a line reports the line.
//
// A statement may be a million characters long (a memo table): each line paints only the characters
// that fit its column, and a line cut that way shows its text in a tool tip, wrapped at blanks, its
// line breaks as "↵", never taller than two thirds of the screen.
//
// The column follows the list's width as the window grows, keeping its margin, until the user sizes
// it by hand.
class StatementView : public QTreeView
{
    Q_OBJECT

public:
    explicit StatementView(QWidget* parent = nullptr);

    void setStatements(StatementListModel* statements);
    // The column's width at the list's present width; it follows the list from here.
    void setFollowingColumnWidth(int width);

    // Select (alone) and scroll to a 1-based line; a line outside the list is ignored.
    void selectLine(int line);
    void scrollToLine(int line);

signals:
    void lineClicked(int line);
    void saveRequested();

protected:
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QModelIndex lineIndex(int line) const;
    bool isOnCheckMark(const QModelIndex& index, const QPoint& position) const;

    StatementListModel* m_statements = nullptr;
    QAction* m_undoReplace = nullptr;
    int m_pressedRow = -1;
    std::optional<int> m_columnMargin; // the list's width less the column's, while the column follows
    bool m_placingColumn = false;
};
