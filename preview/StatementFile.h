#pragma once

class QObject;
class StatementListModel;
class UiServices;

// "Save SQL...": the preview's statements as a script file.
namespace StatementFile {

// Asks for a file through the desktop's save dialog and writes to it, in UTF-8, the ticked lines, or
// every line when none is ticked, in list order and as executed (untrimmed), each followed by a
// line feed. A name without an extension gets ".sql". Says what was written, or why nothing was.
void save(UiServices& ui, QObject* owner, const StatementListModel& statements);

} // namespace StatementFile
