#include "preview/Clipboard.h"

#include "base/AppInfo.h"
#include "base/EventPump.h"
#include "base/UiServices.h"

#include <QAbstractItemModel>

#include <vector>

namespace Main {

namespace {

constexpr int ClipboardAttempts = 1000;

QString cellText(const QAbstractItemModel& list, int row, int column)
{
    return list.data(list.index(row, column)).toString();
}

bool isChecked(const QAbstractItemModel& list, int row)
{
    return list.data(list.index(row, 0), Qt::CheckStateRole).toInt() == Qt::Checked;
}

// The widest text of each column over every item. Widths are counted in a plain int: a statement
// may well be longer than 32,767 characters.
std::vector<qsizetype> columnWidths(const QAbstractItemModel& list, EventPump& pump)
{
    std::vector<qsizetype> widths(std::size_t(list.columnCount()), 0);
    const int rows = list.rowCount();
    for (std::size_t column = 0; column < widths.size(); ++column) {
        for (int row = 0; row < rows; ++row) {
            pump.run();
            widths[column] = std::max(widths[column], cellText(list, row, int(column)).size());
        }
    }
    return widths;
}

void removeTrailingSpaces(QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    text.truncate(end);
}

template <class Attempt> bool retry(Attempt&& attempt)
{
    for (int i = 0; i < ClipboardAttempts; ++i) {
        try {
            if (attempt())
                return true;
        } catch (...) {
            // A clipboard held by another program; the next attempt may find it free.
        }
    }
    return false;
}

} // namespace

QString ListText(const QAbstractItemModel& list, EventPump& pump)
{
    const std::vector<qsizetype> widths = columnWidths(list, pump);
    QString text;
    if (widths.empty())
        return text;
    const int rows = list.rowCount();
    for (int row = 0; row < rows; ++row) {
        pump.run();
        if (!isChecked(list, row))
            continue;
        for (std::size_t column = 0; column < widths.size(); ++column) {
            pump.run();
            const QString cell = cellText(list, row, int(column));
            text += cell;
            // The last column's padding would only be removed again with the trailing spaces; one
            // long line would otherwise cost every copied line its length in spaces.
            if (column + 1 < widths.size()) {
                text += QString(widths[column] - cell.size(), QLatin1Char(' '));
                text += QLatin1Char('\t');
            }
        }
        removeTrailingSpaces(text);
        text += QLatin1String("\r\n");
    }
    return text;
}

void CopyListToClipboard(const QAbstractItemModel& list, UiServices& ui, EventPump& pump)
{
    if (list.rowCount() == 0)
        return;
    const QString text = ListText(list, pump);
    ClearClipboard(ui);
    SetClipboardText(ui, text);
}

bool ClearClipboard(UiServices& ui)
{
    return retry([&] { return ui.clearClipboard(); });
}

bool SetClipboardText(UiServices& ui, const QString& text)
{
    return retry([&] { return ui.setClipboardText(text); });
}

QUrl ErrorReportAddress(const QString& errorText)
{
    const QString body = QStringLiteral("Here is the error message that I get: \n") + errorText;
    const QByteArray address = "mailto:" + AppInfo::supportEmail().toUtf8() +
                               "?subject=" + QUrl::toPercentEncoding(AppInfo::productTitle()) +
                               "&body=" + QUrl::toPercentEncoding(body);
    return QUrl::fromEncoded(address, QUrl::StrictMode);
}

} // namespace Main
