#pragma once

struct RunLocals;

// How the run reads the current source table around its numbered steps: opened and read once before
// anything is sent (step 192), for what its values need on the target, how many of its records can be
// read and, with keys and indexes asked for, what its keys hold; the overwrite question (step 168),
// which names what cannot be read of a damaged table; and after its rows one message on the values
// that could not be read as stored, which were left empty.
class SourceReading
{
public:
    explicit SourceReading(RunLocals& locals) : m_locals(locals) {}

    // Opens the current table, and reads it once for what its values need on the target; false when
    // the user chose not to copy it.
    bool openTable();
    // The overwrite question; it names what cannot be read of a damaged table.
    bool askOverwrite();
    // One message after a table some of whose values could not be read as stored.
    void reportUnreadableValues();

private:
    RunLocals& m_locals;
};
