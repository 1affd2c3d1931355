#include "tests/convert/RunHarness.h"

#include "base/Failure.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/DbfTableWriter.h"

void ScriptedRunWindow::setProgressValue(double percent)
{
    progressValues.push_back(percent);
    if (onProgressValue)
        onProgressValue(percent);
}

void ScriptedRunWindow::setProgressText(const QString& text)
{
    progressTexts.push_back(text);
    if (onProgressText)
        onProgressText(text);
}

void ScriptedPreview::showModal()
{
    shown.push_back(statements);
    if (onShow)
        onShow();
    const Answer answer = answers.empty() ? Answer::Back : answers.front();
    if (!answers.empty())
        answers.pop_front();
    if (answer == Answer::Execute) {
        for (const QString& line : std::as_const(statements)) {
            if (line.trimmed().isEmpty())
                continue;
            try {
                m_state.mssql_conn->execute(line);
            } catch (const Failure& failure) {
                executionErrors.push_back(failure.description());
            }
        }
        m_state.SQLFormOK = true;
        m_state.SQLFormEndRun = false; // as the window does after running the whole list
    } else if (answer == Answer::Skip) {
        m_state.SQLFormEndRun = false;
    }
    statements.clear();
}

void RecordedDatatypes::setLastRowType(const QString& matchKey, const QString& sqlType)
{
    if (rows.empty())
        throw Failure(35600, QStringLiteral("Index out of bounds"));
    rows.back()[2] = matchKey;
    rows.back()[3] = sqlType;
}

void writeThreeTables(const QString& folder)
{
    DbfTableWriter alpha({{"ID", 'I', 4}, {"NAME", 'C', 12}, {"PRICE", 'N', 8, 2}});
    alpha.addRow({"1", "O'Neil", "12.50"});
    alpha.addRow({"2", "  padded  ", "-0.75"});
    alpha.addRow({"3", "", ""});
    alpha.addRow({"4", "last", "100.00"});
    alpha.save(folder + "/alpha.dbf");

    DbfTableWriter beta({{"CODE", 'C', 4}, {"SINCE", 'D', 8}, {"ACTIVE", 'L', 1}});
    beta.addRow({"B1", "20210831", "T"});
    beta.addRow({"B2", "19991231", "F"});
    beta.save(folder + "/beta.dbf");

    DbfTableWriter gamma({{"N", 'N', 5}});
    gamma.save(folder + "/gamma.dbf");
}

void writeKeyedTable(const QString& folder)
{
    QByteArray table = DbfBuilder()
                           .field("ID", 'N', 4)
                           .field("CODE", 'C', 4)
                           .field("NUM", 'N', 4)
                           .field("NAME", 'C', 8)
                           .record({"1", "a", "10", "x"})
                           .record({"2", "A", "20", "y"})
                           .record({"3", "\xE1", "30", "z"})
                           .record({"3", "c", "40", "w"})
                           .bytes();
    table[28] = 0x01; // a structural index file goes with the table
    writeFile(folder + "/keyed.dbf", table);
    writeFile(folder + "/keyed.cdx", cdxFile({{"ID", "id", {}, 0x64, false},
                                              {"CODE", "code", {}, 0x64, false},
                                              {"NUM", "STR(num)", {}, 0x64, false},
                                              {"NAME", "UPPER(name)", {}, 0x60, true},
                                              {"SOUND", "SOUNDEX(name)", {}, 0x60, false}}));
}
