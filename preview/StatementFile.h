#pragma once

#include <vector>

class QIODevice;
class QObject;
class StatementListModel;
class UiServices;

// "Save SQL...": the preview's statements as a script file that runs as saved, in sqlcmd as in sqlite3.
namespace StatementFile {

// SQL Server's tools send a script in batches separated by lines "GO"; one batch of a million
// statements would be too much for them.
constexpr int SqlServerBatch = 1000;

// Asks for a file through the desktop's save dialog and writes to it the ticked lines, or every line
// when none is ticked (see write()). A name without an extension gets ".sql". Says what was written,
// or why nothing was. `statementsPerBatch` 0 writes no "GO" lines.
void save(UiServices& ui, QObject* owner, const StatementListModel& statements, int statementsPerBatch);

// Writes `lines` in list order, in UTF-8, as executed (untrimmed), each statement ended by ";" unless
// it ends so already and followed by a line feed, with a line "GO" after every `statementsPerBatch`
// statements when that is not 0. False when the device would not take them.
bool write(QIODevice& file, const StatementListModel& statements, const std::vector<int>& lines,
           int statementsPerBatch);

} // namespace StatementFile
