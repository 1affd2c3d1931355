#pragma once

#include "convert/TableCheck.h"

#include <cstddef>
#include <utility>
#include <vector>

struct RunLocals;

// The proof of what arrived, after a table: the target's count of its rows (step 393), in one message
// when that is not the number of INSERTs that succeeded, then on request the value-by-value check
// (step 395, TableCheck); both go into the table's tally. In preview mode a table waits until "Execute
// SQL" ran the list that created it to its end. A connection lost meanwhile ends the run as it does
// for a statement.
class TableProof
{
public:
    explicit TableProof(RunLocals& locals) : m_locals(locals) {}

    // The count after a table, and the value check when asked for, into the tally at `tally`.
    void proveTable(std::size_t tally, const convert::TableCheckPlan& plan);
    // A table whose CREATE TABLE went into the preview list: proved once the list ran.
    void awaitList(std::size_t tally, const convert::TableCheckPlan& plan)
    {
        m_toProve.emplace_back(tally, plan);
    }
    // After a preview: proves the tables its list created when "Execute SQL" ran it to its end.
    void proveListed();

private:
    RunLocals& m_locals;
    // The tables whose CREATE TABLE went into the preview list since it was last shown.
    std::vector<std::pair<std::size_t, convert::TableCheckPlan>> m_toProve;
};
