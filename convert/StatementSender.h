#pragma once

#include <QString>

#include <functional>

namespace convert {
struct IndexPlan;
}
struct RunLocals;

// Where the run's statements go, and the account of each in the current table's tally: in preview mode
// into the preview list, otherwise onto the target, one at a time or, for a table's INSERTs, in the
// batches the run set up (see InsertBatch), each failed statement in a box of its own. A statement that
// fails because the connection is gone costs the one box that says how much of the run was not stored,
// and marks the target lost.
class StatementSender
{
public:
    explicit StatementSender(RunLocals& locals);

    // Appends to the preview list in preview mode, otherwise executes on the target (through `direct`
    // when given). False when the statement failed, or the connection was lost.
    bool dispatch(int previewStep, int directStep, const QString& statement,
                  const std::function<void()>& direct = {});
    // Sends the INSERTs collected for a batch, reports each failed one and moves the progress bar.
    void flushBatch();
    // The table's keys and indexes, after its rows (steps 460 to 464), counted in its tally with the
    // report's lines on what they lost or why some were not created.
    void createIndexes(const convert::IndexPlan& plan);

private:
    // The one box of a lost connection, at a DROP (186), CREATE (332) or the INSERT of `row` (388).
    void reportLostConnection(int directStep, const QString& description, qint64 row);

    RunLocals& m_locals;
};
