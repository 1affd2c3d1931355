#pragma once

#include "base/Failure.h"

#include <QAbstractListModel>

#include <optional>
#include <utility>
#include <vector>

// The statement list of the SQL Preview window: one generated statement per line, in generation and
// execution order, each with a check mark that selects it for copying. The model is the only store
// of the statements; views only look at it, so a list of millions of lines costs one string each.
//
// The windows and the run count lines from 1; rows of the model count from 0. lineToRow() is the one
// place that converts, and every function taking a `line` takes the 1-based number.
class StatementListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    static int lineToRow(int line) { return line - 1; }
    static int rowToLine(int row) { return row + 1; }

    int lineCount() const { return int(m_lines.size()); }
    const std::vector<QString>& lines() const { return m_lines; }
    // Both fail for a line outside 1..lineCount(). Writing a line its own text changes nothing.
    const QString& lineText(int line) const;
    void setLineText(int line, const QString& text);

    void clear();
    void append(const QString& statement);
    // Appends many lines with one insertion.
    void append(std::vector<QString> statements);

    bool isChecked(int line) const;
    void setAllChecked(bool checked);
    // Gives every line of `rows` (0-based) the opposite of the first one's mark.
    void toggleChecked(const std::vector<int>& rows);

    // Offers every line to `edit(line, text)` in order; a line for which it returns a new text takes
    // that text. One change notification covers the lines changed. Returns how many changed. The
    // pass can be undone until the next one or until the list is cleared.
    template <class Edit> int rewriteLines(Edit&& edit);
    // How many lines the last rewriteLines() changed that undoRewrite() would put back.
    int undoableLines() const { return int(m_lastRewrite.size()); }
    // Puts back the texts the last rewriteLines() replaced, in the lines that still hold what it wrote
    // (a line edited since keeps its edit). Returns how many lines it put back; then nothing is left
    // to undo.
    int undoRewrite();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::size_t checkedRow(int line) const;
    void announceChanged(int firstRow, int lastRow, int role);

    struct Rewritten
    {
        int row;
        QString before;
        QString after;
    };

    std::vector<QString> m_lines;
    std::vector<bool> m_checked;
    std::vector<Rewritten> m_lastRewrite;
};

template <class Edit> int StatementListModel::rewriteLines(Edit&& edit)
{
    int first = -1;
    int last = -1;
    int changed = 0;
    m_lastRewrite.clear();
    const int count = lineCount();
    for (int row = 0; row < count; ++row) {
        std::optional<QString> replacement = edit(rowToLine(row), std::as_const(m_lines[std::size_t(row)]));
        if (!replacement)
            continue;
        QString& text = m_lines[std::size_t(row)];
        m_lastRewrite.push_back({row, std::exchange(text, std::move(*replacement)), text});
        if (first < 0)
            first = row;
        last = row;
        ++changed;
    }
    if (changed > 0)
        announceChanged(first, last, Qt::DisplayRole);
    return changed;
}
