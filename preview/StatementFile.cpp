#include "preview/StatementFile.h"

#include "base/UiServices.h"
#include "preview/StatementListModel.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>

namespace StatementFile {

namespace {

// The lines a script holds: the ticked ones, or every line when none is ticked.
std::vector<int> scriptLines(const StatementListModel& statements)
{
    std::vector<int> ticked;
    for (int line = 1; line <= statements.lineCount(); ++line) {
        if (statements.isChecked(line))
            ticked.push_back(line);
    }
    if (!ticked.empty())
        return ticked;
    std::vector<int> all(std::size_t(statements.lineCount()));
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = StatementListModel::rowToLine(int(i));
    return all;
}

QString linesWord(std::size_t count)
{
    return count == 1 ? QStringLiteral("1 line") : QStringLiteral("%1 lines").arg(count);
}

} // namespace

// Writes the lines in blocks, so that a list of millions of lines never exists twice in memory.
bool write(QIODevice& file, const StatementListModel& statements, const std::vector<int>& lines,
           int statementsPerBatch)
{
    constexpr qsizetype BlockSize = 1 << 16;
    QStringEncoder utf8(QStringConverter::Utf8);
    QByteArray block;
    int inBatch = 0;
    for (int line : lines) {
        const QString& statement = statements.lineText(line);
        block += utf8.encode(statement);
        if (!statement.trimmed().isEmpty()) {
            if (!statement.trimmed().endsWith(u';'))
                block += ';';
            if (statementsPerBatch > 0 && ++inBatch == statementsPerBatch) {
                block += "\nGO";
                inBatch = 0;
            }
        }
        block += '\n';
        if (block.size() >= BlockSize) {
            if (file.write(block) != block.size())
                return false;
            block.clear();
        }
    }
    return file.write(block) == block.size();
}

void save(UiServices& ui, QObject* owner, const StatementListModel& statements, int statementsPerBatch)
{
    if (statements.lineCount() == 0) {
        ui.showMessage(owner, QStringLiteral("No SQL to run."));
        return;
    }
    const std::vector<int> lines = scriptLines(statements);
    const bool all = int(lines.size()) == statements.lineCount();
    QString path = ui.chooseSaveFile(
        owner, all ? QStringLiteral("Save SQL (all lines)") : QStringLiteral("Save SQL (ticked lines)"),
        QStringLiteral("SQL script (*.sql)"), QDir::home().filePath(QStringLiteral("statements.sql")));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".sql");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !write(file, statements, lines, statementsPerBatch) ||
        !file.commit()) {
        ui.showMessage(owner, QStringLiteral("Could not save %1: %2").arg(path, file.errorString()));
        return;
    }
    ui.showMessage(owner, QStringLiteral("Saved %1 to %2.").arg(linesWord(lines.size()), path));
}

} // namespace StatementFile
