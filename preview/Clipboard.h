#pragma once

#include <QString>
#include <QUrl>

class EventPump;
class QAbstractItemModel;
class UiServices;

// The Main module's clipboard procedures and the error report's mail address.
namespace Main {

// The text "Copy" puts on the clipboard for a report list: the checked items in list order, one
// line each. Every column but the last is padded with spaces to the widest text of its column (over
// all items, checked or not) and followed by a tab; trailing spaces of a line are dropped and every
// line ends with CR LF. Column 1 is the item's text; the check mark is column 1's CheckStateRole.
// Pending events run once per cell in the width pass and once per item and per copied cell after.
QString ListText(const QAbstractItemModel& list, EventPump& pump);

// Puts ListText() on the clipboard (emptied first). A list without items leaves the clipboard alone.
void CopyListToClipboard(const QAbstractItemModel& list, UiServices& ui, EventPump& pump);

// Each repeats its one clipboard operation while it fails, at most 1000 attempts in all; false when
// the last attempt failed too.
bool ClearClipboard(UiServices& ui);
bool SetClipboardText(UiServices& ui, const QString& text);

// The "mailto:" address of an error report to the support address: the product title as subject and
// a short introduction, a line feed and the whole error text as body. Subject and body are
// percent-encoded, so that "&", "#", "%", "?" and line breaks in the text reach the mail program.
QUrl ErrorReportAddress(const QString& errorText);

} // namespace Main
