#pragma once

#include "db/foxpro/ReaderOptions.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringConverter>
#include <QStringList>

#include <functional>
#include <string_view>
#include <vector>

// ferrandine-cli: inspects a FoxPro source from the command line and prints the SQL text a preview
// would list. Each sub-command is one entry of commands(); adding one is adding an entry.
namespace cli {

// UTF-8 output gathered in one buffer and written in large blocks: no write per row.
class Output
{
public:
    explicit Output(QIODevice& device) : m_device(device) {}
    ~Output() { flush(); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void write(QStringView text);
    void writeAscii(std::string_view text);
    void writeLine(QStringView text)
    {
        write(text);
        writeAscii("\n");
    }
    void flush();

private:
    // Where `size` more bytes go, after writing out what the buffer holds when they would not fit.
    char* room(qsizetype size);

    static constexpr qsizetype BlockSize = 1 << 16;

    QIODevice& m_device;
    QByteArray m_buffer; // allocated on the first write, then reused; m_used bytes are filled
    qsizetype m_used = 0;
    QStringEncoder m_encoder{QStringConverter::Utf8};
};

// What a command writes to: its results, and the errors a user reads.
struct Streams
{
    Output& out;
    Output& err;
};

struct Command
{
    QString name;
    QString arguments; // as the help shows them, e.g. "SOURCE TABLE"
    QString summary;
    int minArguments;
    int maxArguments; // -1: any number
    // `reader`: how the source's tables are read (the options every command takes).
    std::function<int(const QStringList& arguments, const db::foxpro::ReaderOptions& reader,
                      Streams& streams)>
        run;
};

const std::vector<Command>& commands();

// Runs a command line (without the program's name) and returns the exit code: 0 when everything was
// done, 1 when anything failed or the command line was wrong.
int run(const QStringList& arguments, QIODevice& out, QIODevice& err);

// The sub-commands that read a FoxPro source.
std::vector<Command> sourceCommands();
// The conversion run, headless.
std::vector<Command> convertCommands();

} // namespace cli
