#include "cli/Cli.h"

#include "base/AppInfo.h"

#include <algorithm>
#include <optional>

namespace cli {

namespace {

const QString Program = QStringLiteral("ferrandine-cli");

QString helpText()
{
    QString text =
        QStringLiteral(
            "Usage: %1 COMMAND ARGUMENTS...\n"
            "\n"
            "Reads a FoxPro source without changing it, or copies it into SQL Server (convert). SOURCE\n"
            "is a folder of free tables (.dbf) or a database container (.dbc); TABLE is a name as the\n"
            "\"tables\" command lists it (case does not matter).\n"
            "\n"
            "Commands:\n")
            .arg(Program);
    for (const Command& command : commands())
        text += QStringLiteral("  %1 %2\n      %3\n").arg(command.name, command.arguments, command.summary);
    text += QStringLiteral(
        "  --help\n"
        "      Shows this text.\n"
        "  --version\n"
        "      Shows the program's version.\n"
        "\n"
        "Every command takes these options anywhere after its name:\n"
        "  --missing-memo refuse|empty\n"
        "      A table whose memo file (.fpt, .dbt) is missing is refused (the default) or read with\n"
        "      every memo, general and blob value empty (NULL).\n"
        "  --source-code-page N|guess\n"
        "      The code page of tables whose header names none (default 1252), or guess it from their\n"
        "      text. A table that names its code page is always read with it.\n"
        "  --bad-values null|refuse\n"
        "      A value that cannot be read (a date \"NotAYear\", a NaN) is left empty (NULL) and reported\n"
        "      in one line after its table (the default), or refuses its whole record.\n"
        "  --deleted skip|mark\n"
        "      Records marked deleted are left out (the default), or read too, with one more column\n"
        "      \"deleted\" at the end of every table: 1 for a deleted record, 0 for the others.\n"
        "\n"
        "Results go to standard output in UTF-8, errors to standard error, each naming the file and\n"
        "the problem. A record that cannot be read is reported and skipped, and the command goes on.\n"
        "The exit code is 0 when everything was read, 1 otherwise (convert: see above).\n");
    return text;
}

// The reader's options that are one of two words: the option, its word for false and for true.
struct Switch
{
    const char* option;
    const char* no;
    const char* yes;
    bool db::foxpro::ReaderOptions::*chosen;
};

constexpr Switch Switches[] = {
    {"--missing-memo", "refuse", "empty", &db::foxpro::ReaderOptions::emptyMissingMemos},
    {"--bad-values", "null", "refuse", &db::foxpro::ReaderOptions::refuseBadValues},
    {"--deleted", "skip", "mark", &db::foxpro::ReaderOptions::markDeleted},
};

// Takes the reader's options out of `arguments`; an error text when one is wrong.
std::optional<QString> takeReaderOptions(QStringList& arguments, db::foxpro::ReaderOptions& reader)
{
    for (qsizetype i = 0; i < arguments.size();) {
        const QString& option = arguments[i];
        const QString value = arguments.value(i + 1);
        const auto given = std::find_if(std::begin(Switches), std::end(Switches),
                                        [&](const Switch& s) { return option == QLatin1String(s.option); });
        if (given != std::end(Switches)) {
            if (value != QLatin1String(given->no) && value != QLatin1String(given->yes))
                return QStringLiteral("%1 takes %2 or %3, not \"%4\"")
                    .arg(QLatin1String(given->option), QLatin1String(given->no), QLatin1String(given->yes),
                         value);
            reader.*(given->chosen) = value == QLatin1String(given->yes);
        } else if (option == QLatin1String("--source-code-page")) {
            try {
                reader.unmarkedCodePage = db::foxpro::ReaderOptions::codePageChoice(value);
            } catch (const Failure& wrong) {
                return QStringLiteral("--source-code-page: ") + wrong.description();
            }
        } else {
            ++i;
            continue;
        }
        arguments.remove(i, 2);
    }
    return std::nullopt;
}

} // namespace

char* Output::room(qsizetype size)
{
    if (m_used + size > m_buffer.size()) {
        flush();
        if (size > m_buffer.size())
            m_buffer.resize(std::max(size, BlockSize));
    }
    return m_buffer.data() + m_used;
}

void Output::write(QStringView text)
{
    char* const start = room(m_encoder.requiredSpace(text.size()));
    m_used += m_encoder.appendToBuffer(start, text) - start;
}

void Output::writeAscii(std::string_view text)
{
    std::copy(text.begin(), text.end(), room(qsizetype(text.size())));
    m_used += qsizetype(text.size());
}

void Output::flush()
{
    if (m_used > 0)
        m_device.write(m_buffer.constData(), m_used);
    m_used = 0;
}

const std::vector<Command>& commands()
{
    static const std::vector<Command> all = [] {
        std::vector<Command> list = sourceCommands();
        for (Command& command : convertCommands())
            list.push_back(std::move(command));
        return list;
    }();
    return all;
}

int run(const QStringList& arguments, QIODevice& out, QIODevice& err)
{
    Output output(out);
    Output errors(err);
    Streams streams{output, errors};
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help") ||
        arguments.first() == QLatin1String("-h")) {
        (arguments.isEmpty() ? errors : output).write(helpText());
        return arguments.isEmpty() ? 1 : 0;
    }
    if (arguments.first() == QLatin1String("--version")) {
        output.writeLine(QStringLiteral("%1 %2").arg(Program, AppInfo::version()));
        return 0;
    }
    QStringList rest = arguments.mid(1);
    for (const Command& command : commands()) {
        if (command.name != arguments.first())
            continue;
        db::foxpro::ReaderOptions reader;
        if (const std::optional<QString> wrong = takeReaderOptions(rest, reader)) {
            errors.writeLine(QStringLiteral("%1 %2: %3").arg(Program, command.name, *wrong));
            return 1;
        }
        if (rest.size() < command.minArguments ||
            (command.maxArguments >= 0 && rest.size() > command.maxArguments)) {
            errors.writeLine(
                QStringLiteral("%1: usage: %1 %2 %3").arg(Program, command.name, command.arguments));
            return 1;
        }
        return command.run(rest, reader, streams);
    }
    errors.writeLine(
        QStringLiteral("%1: unknown command \"%2\"; see %1 --help").arg(Program, arguments.first()));
    return 1;
}

} // namespace cli
