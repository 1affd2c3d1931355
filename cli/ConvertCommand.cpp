#include "cli/Cli.h"

#include "base/HeadlessUiServices.h"
#include "convert/ConversionRun.h"
#include "convert/DatatypeList.h"
#include "convert/MemoProblems.h"
#include "convert/SharedState.h"
#include "convert/StatementPreview.h"
#include "convert/StatementText.h"
#include "convert/TableCheck.h"
#include "convert/TableFacts.h"
#include "convert/TypeMapping.h"
#include "db/DbError.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <optional>

#include <unistd.h>

namespace cli {

namespace {

// The environment variable that may hold the target password.
const char* const PasswordVariable = "FERRANDINE_PASSWORD";

struct ConvertOptions
{
    FoxProSource source;
    MSSQLLogin login;
    bool overwrite = false;
    bool copyDamaged = false; // --damaged copy: overwrite with what a damaged table can give
    bool passwordFromStdin = false;
    bool verify = false;
    bool indexes = false;
    QString types = QStringLiteral("design");
    QStringList tables; // the arguments that are no option
};

std::optional<Encryption> encryptionLevel(const QString& value)
{
    if (value == QLatin1String("optional"))
        return Encryption::Optional;
    if (value == QLatin1String("mandatory"))
        return Encryption::Mandatory;
    if (value == QLatin1String("strict"))
        return Encryption::Strict;
    return std::nullopt;
}

// Reads the options after SOURCE; an error text when the command line is wrong.
std::optional<QString> parseOptions(const QStringList& arguments, ConvertOptions& options)
{
    const QString source = arguments.first();
    options.source.OptionDBC1 =
        source.endsWith(QLatin1String(".dbc"), Qt::CaseInsensitive) && !QFileInfo(source).isDir();
    (options.source.OptionDBC1 ? options.source.DBCPath1 : options.source.folder) = source;
    options.login.port = QStringLiteral("1433");
    const std::vector<std::pair<QString, QString*>> valued{
        {QStringLiteral("--server"), &options.login.server},
        {QStringLiteral("--port"), &options.login.port},
        {QStringLiteral("--database"), &options.login.database},
        {QStringLiteral("--user"), &options.login.user},
        {QStringLiteral("--types"), &options.types}};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (option == QLatin1String("--local")) {
            options.login.localConnection = true;
            continue;
        }
        if (option == QLatin1String("--password-stdin")) {
            options.passwordFromStdin = true;
            continue;
        }
        if (option == QLatin1String("--indexes")) {
            options.indexes = true;
            continue;
        }
        if (option == QLatin1String("--trust-server-certificate")) {
            options.login.trustServerCertificate = true;
            continue;
        }
        if (option == QLatin1String("--verify")) {
            options.verify = true;
            continue;
        }
        if (!option.startsWith(QLatin1String("--"))) {
            options.tables << option;
            continue;
        }
        if (i + 1 >= arguments.size())
            return QStringLiteral("unknown option or missing value: %1").arg(option);
        const QString& value = arguments[++i];
        if (option == QLatin1String("--overwrite")) {
            if (value != QLatin1String("yes") && value != QLatin1String("no"))
                return QStringLiteral("--overwrite takes yes or no, not \"%1\"").arg(value);
            options.overwrite = value == QLatin1String("yes");
            continue;
        }
        if (option == QLatin1String("--damaged")) {
            if (value != QLatin1String("skip") && value != QLatin1String("copy"))
                return QStringLiteral("--damaged takes skip or copy, not \"%1\"").arg(value);
            options.copyDamaged = value == QLatin1String("copy");
            continue;
        }
        if (option == QLatin1String("--encrypt")) {
            const std::optional<Encryption> level = encryptionLevel(value);
            if (!level)
                return QStringLiteral("--encrypt takes optional, mandatory or strict, not \"%1\"").arg(value);
            options.login.encryption = *level;
            continue;
        }
        const auto found = std::find_if(valued.begin(), valued.end(),
                                        [&](const auto& entry) { return entry.first == option; });
        if (found == valued.end())
            return QStringLiteral("unknown option: %1").arg(option);
        *found->second = value;
    }
    if (options.login.server.isEmpty() || options.login.database.isEmpty())
        return QStringLiteral("--server and --database are required");
    if (options.types != QLatin1String("design") && options.types != QLatin1String("native"))
        return QStringLiteral("--types takes design or native, not \"%1\"").arg(options.types);
    if (options.login.encryption == Encryption::Strict && options.login.trustServerCertificate)
        return QStringLiteral(
            "--trust-server-certificate cannot be combined with --encrypt strict, which always "
            "checks the certificate");
    return std::nullopt;
}

// The first line of standard input, without its line end.
QString passwordFromStdin()
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return {};
    QByteArray line = in.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

// The desktop of a headless run: every failed step becomes one line "step N: description" on the
// error stream; the overwrite question is answered by --overwrite (for a damaged source table by
// --damaged too), the one about a missing memo file No (--missing-memo empty reads such tables
// without asking); nothing else is shown.
class ConsoleUi final : public HeadlessUiServices
{
public:
    ConsoleUi(Streams& streams, const ConvertOptions& options)
        : m_streams(streams), m_overwrite(options.overwrite), m_copyDamaged(options.copyDamaged)
    {}

    bool askYesNo(QObject*, const QString& text, const QString& title) override
    {
        QString line = text;
        line.replace(QLatin1String("\r\r"), QLatin1String(" "));
        if (title == convert::MissingMemoTitle) {
            m_streams.out.writeLine(line + QStringLiteral(" No (--missing-memo refuse)"));
            return false;
        }
        if (!m_overwrite) {
            m_streams.out.writeLine(line + QStringLiteral(" No (--overwrite no)"));
            return false;
        }
        if (title == ConversionRun::damagedOverwriteTitle()) {
            m_streams.out.writeLine(line + (m_copyDamaged ? QStringLiteral(" Yes (--damaged copy)")
                                                          : QStringLiteral(" No (--damaged skip)")));
            return m_copyDamaged;
        }
        return true;
    }
    void showError(QObject*, const QString& text) override { writeError(text); }
    void reportFailure(QObject*, const QString& description, const QString&, int step) override
    {
        writeError(QStringLiteral("step %1: %2").arg(step).arg(description));
    }

    // Set while a progress line stands on the terminal, so that an error line first ends it.
    bool progressShown = false;

private:
    // One line on the error stream, line breaks of the text folded into blanks.
    void writeError(QString line);

    Streams& m_streams;
    bool m_overwrite;
    bool m_copyDamaged;
};

void ConsoleUi::writeError(QString line)
{
    line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    if (progressShown) {
        m_streams.err.writeAscii("\n");
        progressShown = false;
    }
    m_streams.err.writeLine(line);
    m_streams.err.flush();
}

// The main window of a headless run: direct mode, and the progress as one line on a terminal.
class ConsoleWindow final : public RunWindow
{
public:
    ConsoleWindow(const ConvertOptions& options, Streams& streams, ConsoleUi& ui)
        : m_options(options), m_streams(streams), m_ui(ui), m_terminal(isatty(STDERR_FILENO) == 1)
    {}

    QObject* runOwner() override { return nullptr; }
    bool previewMode() const override { return false; }
    bool perFilePreview() const override { return false; }
    bool perTablePreview() const override { return false; }
    bool nativeTypes() const override { return m_options.types == QLatin1String("native"); }
    bool verifyValues() const override { return m_options.verify; }
    bool createIndexes() const override { return m_options.indexes; }
    FoxProSource foxProSource() const override { return m_options.source; }
    MSSQLLogin msSqlLogin() const override { return m_options.login; }
    void setBusyPointer(bool) override {}
    void setProgressValue(double percent) override
    {
        m_percent = percent;
        if (!m_shown.isValid() || m_shown.elapsed() >= 200)
            show();
    }
    void setProgressText(const QString& text) override
    {
        // A new table starts from 0%; the row being read changes the text within its table.
        if (tableOf(text) != tableOf(m_text))
            m_percent = 0;
        m_text = text;
        show();
    }

private:
    // "Please wait.. Processing table big" of "Please wait.. Processing table big (row 12 of 90)".
    static QStringView tableOf(const QString& text)
    {
        const qsizetype row = text.indexOf(QLatin1String(" (row "));
        return row < 0 ? QStringView(text) : QStringView(text).first(row);
    }

    void show()
    {
        if (!m_terminal)
            return;
        const bool idle = m_text.isEmpty() || m_text == QLatin1String("Progress Bar");
        m_streams.err.write(u"\r\033[K");
        if (!idle)
            m_streams.err.write(QStringLiteral("%1 %2%").arg(m_text).arg(int(m_percent)));
        m_streams.err.flush();
        m_ui.progressShown = !idle;
        m_shown.start();
    }

    const ConvertOptions& m_options;
    Streams& m_streams;
    ConsoleUi& m_ui;
    bool m_terminal;
    QString m_text;
    double m_percent = 0;
    QElapsedTimer m_shown;
};

// Direct mode collects nothing; these only satisfy the run.
class NoPreview final : public StatementPreview
{
public:
    void clearStatements() override {}
    void appendStatement(const QString&) override {}
    void showModal() override {}
};

class NoDatatypes final : public DatatypeList
{
public:
    void clearRows() override {}
    void addRow(const QString&, const QString&) override {}
    void setLastRowType(const QString&, const QString&) override {}
};

int convert(const QStringList& arguments, const db::foxpro::ReaderOptions& reader, Streams& streams)
{
    ConvertOptions options;
    std::optional<QString> wrong = parseOptions(arguments, options);
    if (!wrong && !options.tables.isEmpty())
        wrong = QStringLiteral("unknown option: %1").arg(options.tables.first());
    if (wrong) {
        streams.err.writeLine(QStringLiteral("ferrandine-cli convert: ") + *wrong);
        return 1;
    }
    options.source.reader = reader;
    options.login.password =
        options.passwordFromStdin ? passwordFromStdin() : qEnvironmentVariable(PasswordVariable);

    ConsoleUi ui(streams, options);
    ConsoleWindow window(options, streams, ui);
    SharedState state;
    NoPreview preview;
    NoDatatypes datatypes;
    QStringList list1;
    QStringList list2;
    ConversionRun run(window, state, ui, preview, datatypes, list1, list2);
    const RunOutcome outcome = run.start();
    if (!outcome.started) {
        const bool source = !Foxpro::IsValidFoxProConnection(ui, nullptr, options.source);
        streams.err.writeLine(
            source ? QStringLiteral("ferrandine-cli convert: cannot open the FoxPro source %1")
                         .arg(arguments.first())
                   : QStringLiteral("ferrandine-cli convert: cannot connect to database %1 on %2: %3")
                         .arg(options.login.database, options.login.server,
                              QString(outcome.targetFailure).replace(u'\n', u' ')));
        return 1;
    }
    bool differs = false;
    for (const TableTally& tally : outcome.tables) {
        const QString onTarget =
            tally.rowsOnTarget < 0 ? QString() : QStringLiteral(", %1 on the target").arg(tally.rowsOnTarget);
        const QString indexes = options.indexes
                                    ? QStringLiteral("; %1 key(s) and %2 index(es) created, %3 not created")
                                          .arg(tally.keysCreated)
                                          .arg(tally.indexesCreated)
                                          .arg(tally.indexesSkipped)
                                    : QString();
        streams.out.writeLine(QStringLiteral("%1: %2 row(s) read, %3 statement(s) succeeded, %4 failed%5%6.")
                                  .arg(tally.table)
                                  .arg(tally.rowsRead)
                                  .arg(tally.statementsSucceeded)
                                  .arg(tally.statementsFailed)
                                  .arg(onTarget, indexes));
        for (const QString& finding : convert::reportFindings(tally))
            streams.out.writeLine(finding);
        differs = differs || (tally.rowsOnTarget >= 0 && tally.rowsOnTarget != tally.rowsSent) ||
                  (tally.check && !tally.check->matches());
    }
    for (const QString& unreadable : outcome.unreadableValues)
        streams.err.writeLine(QStringLiteral("ferrandine-cli convert: ") + unreadable);
    // No "Done" line after a lost connection: its box said where the run stopped.
    if (outcome.connectionLost)
        return 2;
    streams.out.writeLine(
        QStringLiteral("Done: %1 table(s), %2 failed step(s).").arg(list2.size()).arg(outcome.failedSteps));
    if (outcome.failedSteps > 0)
        return 2;
    if (!outcome.unreadableValues.isEmpty())
        return 1;
    return differs ? 3 : 0;
}

// Opens the source and the target of `options`, or says on the error stream why not.
bool openBoth(const ConvertOptions& options, db::Connection& source, db::Connection& target, Streams& streams)
{
    try {
        source.setCursorLocation(db::ConnectionOptions::UseClient);
        source.open(Foxpro::connectionString(options.source, Foxpro::Collating::Machine));
    } catch (const db::DbError& error) {
        streams.err.writeLine(
            QStringLiteral("ferrandine-cli verify: cannot open the FoxPro source %1: %2")
                .arg(options.source.OptionDBC1 ? options.source.DBCPath1 : options.source.folder,
                     error.description()));
        return false;
    }
    try {
        target.open(MSSQL::connectionString(options.login));
    } catch (const db::DbError& error) {
        streams.err.writeLine(QStringLiteral("ferrandine-cli verify: cannot connect to database %1 on %2: %3")
                                  .arg(options.login.database, options.login.server,
                                       QString(error.description()).replace(u'\n', u' ')));
        return false;
    }
    return true;
}

// The check of one table already on the target: its column types as a run would have created them
// from the source's values today, then the comparison.
convert::TableCheckReport verifyTable(const QString& table, const ConvertOptions& options,
                                      db::Connection& source, db::Connection& target,
                                      const convert::TargetDialect& dialect)
{
    const QString query = convert::sourceQueryText(table);
    std::unique_ptr<db::RecordSet> ahead = source.openRecordSet(query);
    const convert::TableFacts facts = convert::gatherFacts(*ahead, dialect);
    const bool native = options.types == QLatin1String("native");
    const auto types = native ? convert::ColumnTypes::Native : convert::ColumnTypes::Design;
    convert::TableCheckPlan plan{
        table, {}, native ? &convert::ValueFormat::nativeTypes() : &convert::ValueFormat::system(), dialect};
    for (std::size_t f = 0; f < ahead->fields().size(); ++f)
        plan.columnTypes.push_back(
            convert::mapColumnType(ahead->fields()[f], dialect, facts.at(f), types).sqlType);
    return convert::checkTable(
        plan, [&] { return source.openRecordSet(query); }, target);
}

int verify(const QStringList& arguments, const db::foxpro::ReaderOptions& reader, Streams& streams)
{
    ConvertOptions options;
    if (const std::optional<QString> wrong = parseOptions(arguments, options)) {
        streams.err.writeLine(QStringLiteral("ferrandine-cli verify: ") + *wrong);
        return 1;
    }
    options.source.reader = reader;
    options.login.password =
        options.passwordFromStdin ? passwordFromStdin() : qEnvironmentVariable(PasswordVariable);
    db::Connection source;
    db::Connection target;
    if (!openBoth(options, source, target, streams))
        return 1;
    const convert::TargetDialect dialect = convert::TargetDialect::ofConnection(target);
    QStringList tables = options.tables;
    if (tables.isEmpty()) {
        ConsoleUi ui(streams, options);
        Foxpro::AddTablesToFoxproListbox(ui, nullptr, options.source, tables);
    }
    int exitCode = 0;
    for (const QString& table : tables) {
        try {
            const convert::TableCheckReport report = verifyTable(table, options, source, target, dialect);
            TableTally tally{.table = table};
            tally.check = report;
            for (const QString& finding : convert::reportFindings(tally))
                streams.out.writeLine(finding);
            if (!report.matches() && exitCode == 0)
                exitCode = 3;
        } catch (const db::DbError& error) {
            streams.err.writeLine(QStringLiteral("ferrandine-cli verify: %1: %2")
                                      .arg(table, QString(error.description()).replace(u'\n', u' ')));
            exitCode = 2;
        }
    }
    return exitCode;
}

} // namespace

std::vector<Command> convertCommands()
{
    return {
        {QStringLiteral("convert"),
         QStringLiteral(
             "SOURCE --server NAME [--port N | --local] --database NAME [--user NAME]\n"
             "      [--password-stdin] [--overwrite yes|no] [--damaged skip|copy] [--types design|native]\n"
             "      [--encrypt optional|mandatory|strict] [--trust-server-certificate] [--indexes]"),
         QStringLiteral(
             "Copies every table of the source into the SQL Server database, executing each statement at\n"
             "      once, as \"Start Converting\" does without preview. The password is read from standard\n"
             "      input with --password-stdin, otherwise from the environment variable "
             "FERRANDINE_PASSWORD.\n"
             "      A table that exists on the target is replaced with --overwrite yes and left alone\n"
             "      otherwise; a source table some of whose records cannot be read replaces it only with\n"
             "      --damaged copy as well. --types native creates SQL Server's own column types (as sql\n"
             "      does). --indexes creates each table's keys and indexes from its .cdx file after its\n"
             "      rows (as the indexes command lists them).\n"
             "      --encrypt optional (the default) encrypts when the server requires it, without checking\n"
             "      its certificate; mandatory always encrypts and checks the certificate unless\n"
             "      --trust-server-certificate is given; strict always encrypts and checks it.\n"
             "      Each failed step is one line \"step N: description\" on standard error; the run ends\n"
             "      with one line per table: rows read, statements succeeded and failed (with --indexes,\n"
             "      keys and indexes created and not created; what they lost follows).\n"
             "      Memo values that could not be read are left empty and reported, one line per table.\n"
             "      A connection lost mid-run ends the run with one line naming where it stopped.\n"
             "      After each table the target's rows are counted; a count that is not the number of\n"
             "      INSERTs that succeeded is one line. --verify also reads each table back and compares\n"
             "      it with the source value by value (as verify does).\n"
             "      Exit code: 0 when every statement ran, 2 when some failed or the connection was lost,\n"
             "      1 when nothing could start or memo values were left empty, 3 when every statement ran\n"
             "      but the target holds something else than was sent."),
         1, -1, convert},
        {QStringLiteral("verify"),
         QStringLiteral("SOURCE --server NAME [--port N | --local] --database NAME [--user NAME]\n"
                        "      [--password-stdin] [--types design|native] [TABLE...]"),
         QStringLiteral(
             "Reads tables already loaded into the SQL Server database (by convert, or by a saved .sql\n"
             "      script run elsewhere) and compares them with the source value by value, every table of\n"
             "      the source or the TABLEs named. --types says which column types the load created.\n"
             "      Rows are compared as multisets: a row the source holds twice must be there twice.\n"
             "      Per table one line: rows read, rows on the target, and either \"every value the same\"\n"
             "      or the rows missing, extra and the values that differ, with the first 5 differing rows.\n"
             "      Exit code: 0 when every table matches, 3 when something differs, 2 when a table could\n"
             "      not be read, 1 when the command line is wrong or nothing could be opened."),
         1, -1, verify},
    };
}

} // namespace cli
