#pragma once

#include "db/Connection.h"

#include <QString>

#include <memory>

// The working state the main window owns and the other windows and the conversion run read and
// write: the source choice, the run's target connection and the two flags through which the SQL
// Preview window tells the run how it was left.
struct SharedState
{
    // True: the FoxPro source is the DBC file DBCPath1; false: the folder of free tables.
    bool OptionDBC1 = false;
    QString DBCPath1;
    // The target connection of the current or last run; replaced at the start of every run.
    std::unique_ptr<db::Connection> mssql_conn;
    // The last whole-run preview was executed to its end.
    bool SQLFormOK = false;
    // The run's flag: set before each per-table preview, cleared by "Skip Table / Do Not Execute SQL"
    // and by an "Execute SQL" that ran the whole list, so that the run goes on with the next table.
    bool SQLFormEndRun = false;
    // The connection to the target was lost while statements were sent; the run ends.
    bool targetLost = false;
};
