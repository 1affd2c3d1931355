#include "cli/Cli.h"

#include "convert/IndexPlan.h"
#include "convert/StatementText.h"
#include "convert/TableFacts.h"
#include "convert/TypeMapping.h"
#include "convert/UnreadableReport.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Foxpro.h"
#include "db/TableCodePages.h"

#include <QFileInfo>

#include <cmath>
#include <optional>

namespace cli {

namespace {

std::unique_ptr<db::Connection> openSource(const QString& source, const db::foxpro::ReaderOptions& reader)
{
    const FoxProSource foxpro{QFileInfo(source).isFile(), source, source, reader};
    auto connection = std::make_unique<db::Connection>();
    connection->setCursorLocation(db::ConnectionOptions::UseClient);
    connection->open(Foxpro::connectionString(foxpro, Foxpro::Collating::Machine));
    return connection;
}

std::unique_ptr<db::RecordSet> openTable(db::Connection& connection, const QString& table)
{
    return connection.openRecordSet(convert::sourceQueryText(table));
}

// Runs `body`, turning a failure into a message on the error stream and the exit code 1.
int guarded(Streams& streams, const std::function<int()>& body)
{
    try {
        return body();
    } catch (const Failure& failure) {
        streams.err.writeLine(QStringLiteral("ferrandine-cli: ") + failure.description());
    } catch (const std::exception& other) {
        streams.err.writeLine(QStringLiteral("ferrandine-cli: ") + QString::fromUtf8(other.what()));
    }
    return 1;
}

// Reads every row of table `table`'s open record set; a row that cannot be read is reported and
// skipped, values that could not be read as stored are reported in one line per kind after the rows.
int eachRow(const QString& table, db::RecordSet& rows, Streams& streams,
            const std::function<void(const std::vector<db::Value>&)>& use)
{
    int status = 0;
    for (; !rows.eof(); rows.moveNext()) {
        try {
            use(rows.values());
        } catch (const Failure& failure) {
            streams.err.writeLine(QStringLiteral("ferrandine-cli: ") + failure.description());
            status = 1;
        }
    }
    for (const QString& unreadable : convert::unreadableValueTexts(table, rows.unreadableValues())) {
        streams.err.writeLine(QStringLiteral("ferrandine-cli: ") + unreadable);
        status = 1;
    }
    return status;
}

void writeJsonString(Output& out, QStringView text)
{
    out.writeAscii("\"");
    qsizetype plain = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c != u'"' && c != u'\\')
            continue;
        out.write(text.sliced(plain, i - plain));
        plain = i + 1;
        switch (c) {
        case u'"':
            out.writeAscii("\\\"");
            break;
        case u'\\':
            out.writeAscii("\\\\");
            break;
        case u'\n':
            out.writeAscii("\\n");
            break;
        case u'\r':
            out.writeAscii("\\r");
            break;
        case u'\t':
            out.writeAscii("\\t");
            break;
        default:
            out.write(QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0')));
        }
    }
    out.write(text.sliced(plain));
    out.writeAscii("\"");
}

QString currencyText(qint64 tenThousandths)
{
    const quint64 magnitude = tenThousandths < 0 ? 0 - quint64(tenThousandths) : quint64(tenThousandths);
    return QStringLiteral("%1%2.%3")
        .arg(tenThousandths < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 10000)
        .arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
}

QString doubleText(double number)
{
    if (std::isfinite(number))
        return QString::number(number, 'g', QLocale::FloatingPointShortest);
    return std::isnan(number) ? QStringLiteral("\"NaN\"")
           : number > 0       ? QStringLiteral("\"Infinity\"")
                              : QStringLiteral("\"-Infinity\"");
}

void writeJsonValue(Output& out, const db::Value& value)
{
    if (const QString* text = std::get_if<QString>(&value))
        writeJsonString(out, *text);
    else if (const qint32* integer = std::get_if<qint32>(&value))
        out.write(QString::number(*integer));
    else if (const double* number = std::get_if<double>(&value))
        out.write(doubleText(*number));
    else if (const db::Decimal* decimal = std::get_if<db::Decimal>(&value))
        writeJsonString(out, decimal->text);
    else if (const db::Currency* money = std::get_if<db::Currency>(&value))
        writeJsonString(out, currencyText(money->tenThousandths));
    else if (const QDate* date = std::get_if<QDate>(&value))
        writeJsonString(out, date->toString(QStringLiteral("yyyy-MM-dd")));
    else if (const QDateTime* time = std::get_if<QDateTime>(&value))
        writeJsonString(out, time->toString(time->time().msec() ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                                                                : QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    else if (const bool* flag = std::get_if<bool>(&value))
        out.writeAscii(*flag ? "true" : "false");
    else if (const QByteArray* bytes = std::get_if<QByteArray>(&value))
        out.write(QStringLiteral("{\"hex\":\"%1\"}").arg(QString::fromLatin1(bytes->toHex())));
    else
        out.writeAscii("null");
}

void writeJsonHeader(Output& out, const QString& table, const std::vector<db::Field>& fields)
{
    out.writeAscii("{\"table\":");
    writeJsonString(out, table);
    out.writeAscii(",\"columns\":[");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        out.writeAscii(i ? ",{\"name\":" : "{\"name\":");
        writeJsonString(out, fields[i].name);
        out.write(QStringLiteral(",\"type\":%1,\"width\":%2,\"decimals\":%3}")
                      .arg(fields[i].type)
                      .arg(fields[i].width)
                      .arg(fields[i].decimals));
    }
    out.writeAscii("]}\n");
}

int tables(const QStringList& arguments, const db::foxpro::ReaderOptions& reader, Streams& streams)
{
    return guarded(streams, [&] {
        const auto connection = openSource(arguments[0], reader);
        int status = 0;
        for (const TableCodePages::Entry& entry :
             TableCodePages::of(*connection, TableCodePages::tableNames(*connection))) {
            if (!entry.problem.isEmpty()) {
                streams.out.writeLine(entry.table);
                streams.err.writeLine(QStringLiteral("ferrandine-cli: ") + entry.problem);
                status = 1;
                continue;
            }
            streams.out.writeLine(QStringLiteral("%1\t%2\t%3")
                                      .arg(entry.table)
                                      .arg(entry.codePage.number)
                                      .arg(entry.codePage.origin));
        }
        return status;
    });
}

int rows(const QStringList& arguments, const db::foxpro::ReaderOptions& reader, Streams& streams)
{
    return guarded(streams, [&] {
        const auto rows = openTable(*openSource(arguments[0], reader), arguments[1]);
        writeJsonHeader(streams.out, arguments[1], rows->fields());
        return eachRow(arguments[1], *rows, streams, [&](const std::vector<db::Value>& values) {
            for (std::size_t i = 0; i < values.size(); ++i) {
                streams.out.writeAscii(i ? "," : "[");
                writeJsonValue(streams.out, values[i]);
            }
            streams.out.writeAscii(values.empty() ? "[]\n" : "]\n");
        });
    });
}

// The value of option `name`, taken out of `arguments` with it; `fallback` when the option is not
// there, nothing when it has no value.
std::optional<QString> takeValue(QStringList& arguments, const QString& name, const QString& fallback)
{
    const qsizetype at = arguments.indexOf(name);
    if (at < 0)
        return fallback;
    if (at + 1 >= arguments.size())
        return std::nullopt;
    const QString value = arguments[at + 1];
    arguments.remove(at, 2);
    return value;
}

// What the statements are written for, where nothing can be asked: a SQL Server database of the
// collation "--collation NAME" (by default one that takes TEXT columns) and of the code page
// "--code-page N" gives (by default the collation's, or 1252 without one), with the column types
// "--types design|native" chooses (design by default).
struct Target
{
    convert::TargetDialect dialect;
    convert::ColumnTypes types;
};

std::optional<Target> takeTarget(QStringList& arguments, Streams& streams)
{
    const std::optional<QString> collation = takeValue(arguments, QStringLiteral("--collation"), QString());
    const std::optional<QString> codePage =
        takeValue(arguments, QStringLiteral("--code-page"),
                  QString::number(collation && !collation->isEmpty()
                                      ? convert::TargetDialect::codePageOfCollation(*collation)
                                      : convert::TargetDialect::DefaultCodePage));
    const std::optional<QString> types =
        takeValue(arguments, QStringLiteral("--types"), QStringLiteral("design"));
    if (!collation) {
        streams.err.writeLine(QStringLiteral("ferrandine-cli: --collation takes a collation name, such as "
                                             "Latin1_General_100_CI_AS_SC_UTF8"));
        return std::nullopt;
    }
    bool number = false;
    const int page = codePage ? codePage->toInt(&number) : 0;
    if (!number || page < 0) {
        streams.err.writeLine(QStringLiteral("ferrandine-cli: --code-page takes a code page number, such "
                                             "as 1252, 1251 or 65001"));
        return std::nullopt;
    }
    if (!types || (*types != QLatin1String("design") && *types != QLatin1String("native"))) {
        streams.err.writeLine(QStringLiteral("ferrandine-cli: --types takes design or native"));
        return std::nullopt;
    }
    return Target{convert::TargetDialect::sqlServer(page, *collation), *types == QLatin1String("native")
                                                                           ? convert::ColumnTypes::Native
                                                                           : convert::ColumnTypes::Design};
}

// Takes the flag `name` out of `arguments`; whether it was there.
bool takeFlag(QStringList& arguments, const QString& name)
{
    return arguments.removeAll(name) > 0;
}

// A table read once ahead of its rows: the facts of its fields and, when asked, its indexes' plan.
struct LookAhead
{
    convert::TableFacts facts;
    std::optional<convert::IndexPlan> plan;
};

LookAhead lookAhead(db::Connection& connection, const QString& table, const Target& target, bool indexes)
{
    const auto ahead = openTable(connection, table);
    LookAhead result;
    if (!indexes) {
        result.facts = convert::gatherFacts(*ahead, target.dialect);
        return result;
    }
    convert::KeyGatherer keys(target.dialect, ahead->indexes());
    result.facts = convert::gatherFacts(*ahead, target.dialect, nullptr, &keys);
    result.plan = keys.plan(table, ahead->fields(), result.facts, target.types);
    return result;
}

// The plan's problem and notes on the error stream; 1 when its indexes could not be read.
int reportPlan(const QString& table, const convert::IndexPlan& plan, Streams& streams)
{
    for (const QString& line : plan.report(table))
        streams.err.writeLine(QStringLiteral("ferrandine-cli: ") + line);
    return plan.problem.isEmpty() ? 0 : 1;
}

// The CREATE and INSERT statements of one table, one per line, as a preview lists them, then with
// `indexes` its keys and indexes: the table is read once for what its values need, then again for
// its rows.
int tableStatements(db::Connection& connection, const QString& table, const Target& target, bool indexes,
                    Streams& streams)
{
    return guarded(streams, [&] {
        const LookAhead ahead = lookAhead(connection, table, target, indexes);
        const convert::TableFacts& facts = ahead.facts;
        const auto rows = openTable(connection, table);
        streams.out.writeLine(
            convert::createTableText(table, rows->fields(), target.dialect, facts, target.types));
        const convert::InsertBuilder inserts(table,
                                             target.types == convert::ColumnTypes::Native
                                                 ? convert::ValueFormat::nativeTypes()
                                                 : convert::ValueFormat::system(),
                                             target.dialect, facts);
        convert::TextOut line;
        int status = eachRow(table, *rows, streams, [&](const std::vector<db::Value>& values) {
            line.clear();
            inserts.append(line, values);
            line.push_back(u'\n');
            streams.out.write(line.view());
        });
        if (ahead.plan) {
            for (const convert::PlannedIndex& planned : ahead.plan->indexes) {
                if (!planned.statement.isEmpty())
                    streams.out.writeLine(planned.statement);
            }
            status |= reportPlan(table, *ahead.plan, streams);
        }
        return status;
    });
}

// One line per index of the table: tag, kind, key expression, filter, and the statement it becomes
// (or "not created"), then what the user is told about it.
int tableIndexes(db::Connection& connection, const QString& table, const Target& target, Streams& streams)
{
    return guarded(streams, [&] {
        const LookAhead ahead = lookAhead(connection, table, target, true);
        for (const convert::PlannedIndex& planned : ahead.plan->indexes) {
            const db::IndexDefinition& index = planned.source;
            streams.out.writeLine(
                QStringList{table, index.tag, convert::kindName(index.kind), index.expression, index.filter,
                            planned.statement.isEmpty() ? QStringLiteral("not created") : planned.statement,
                            planned.notes.join(QStringLiteral("; "))}
                    .join(u'\t'));
        }
        if (!ahead.plan->problem.isEmpty())
            streams.err.writeLine(QStringLiteral("ferrandine-cli: ") + ahead.plan->problem);
        return ahead.plan->problem.isEmpty() ? 0 : 1;
    });
}

int indexes(const QStringList& given, const db::foxpro::ReaderOptions& reader, Streams& streams)
{
    QStringList arguments = given;
    const std::optional<Target> target = takeTarget(arguments, streams);
    if (!target)
        return 1;
    if (arguments.isEmpty() || arguments.size() > 2) {
        streams.err.writeLine(QStringLiteral("ferrandine-cli: usage: ferrandine-cli indexes SOURCE [TABLE] "
                                             "[--collation NAME] [--code-page N] [--types design|native]"));
        return 1;
    }
    return guarded(streams, [&] {
        const auto connection = openSource(arguments[0], reader);
        const QStringList tables =
            arguments.size() == 2 ? arguments.mid(1) : TableCodePages::tableNames(*connection);
        int status = 0;
        for (const QString& table : tables)
            status |= tableIndexes(*connection, table, *target, streams);
        return status;
    });
}

int columns(const QStringList& given, const db::foxpro::ReaderOptions& reader, Streams& streams)
{
    QStringList arguments = given;
    const std::optional<Target> target = takeTarget(arguments, streams);
    if (!target)
        return 1;
    if (arguments.size() != 2) {
        streams.err.writeLine(QStringLiteral("ferrandine-cli: usage: ferrandine-cli columns SOURCE TABLE "
                                             "[--collation NAME] [--code-page N] [--types design|native]"));
        return 1;
    }
    const convert::TargetDialect& dialect = target->dialect;
    return guarded(streams, [&] {
        const auto connection = openSource(arguments[0], reader);
        const convert::TableFacts facts =
            convert::gatherFacts(*openTable(*connection, arguments[1]), dialect);
        const auto rows = openTable(*connection, arguments[1]);
        const std::vector<db::Field>& fields = rows->fields();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const convert::ColumnMapping mapping =
                convert::mapColumnType(fields[i], dialect, facts.at(i), target->types);
            streams.out.writeLine(QStringList{fields[i].name, QString::number(fields[i].type),
                                              Datatype::DatatypeName(fields[i].type), mapping.matchKey,
                                              mapping.shownType()}
                                      .join(QLatin1Char('\t')));
        }
        return 0;
    });
}

int sql(const QStringList& given, const db::foxpro::ReaderOptions& reader, Streams& streams)
{
    QStringList arguments = given;
    const bool withIndexes = takeFlag(arguments, QStringLiteral("--indexes"));
    const std::optional<Target> target = takeTarget(arguments, streams);
    if (!target)
        return 1;
    if (arguments.isEmpty()) {
        streams.err.writeLine(
            QStringLiteral("ferrandine-cli: usage: ferrandine-cli sql SOURCE [TABLE...] "
                           "[--collation NAME] [--code-page N] [--types design|native] [--indexes]"));
        return 1;
    }
    return guarded(streams, [&] {
        const auto connection = openSource(arguments[0], reader);
        QStringList tables = arguments.mid(1);
        if (tables.isEmpty()) {
            // The conversion run visits its table list from the last table to the first.
            const QStringList listed = TableCodePages::tableNames(*connection);
            tables = QStringList(listed.rbegin(), listed.rend());
        }
        int status = 0;
        for (const QString& table : tables)
            status |= tableStatements(*connection, table, *target, withIndexes, streams);
        return status;
    });
}

} // namespace

std::vector<Command> sourceCommands()
{
    return {
        {QStringLiteral("tables"), QStringLiteral("SOURCE"),
         QStringLiteral(
             "Lists the source's tables as a conversion run lists them, one per line, tab-separated:\n"
             "      name, the code page its text is read in, and where that came from (header,\n"
             "      user: --source-code-page N, guess: --source-code-page guess). A table that cannot\n"
             "      be opened is listed by name alone and its error is reported."),
         1, 1, tables},
        {QStringLiteral("columns"),
         QStringLiteral("SOURCE TABLE [--collation NAME] [--code-page N] [--types design|native]"),
         QStringLiteral(
             "Lists a table's columns, one per line, tab-separated: name, ADO type code, ADO type "
             "name,\n      match key and SQL Server type (the rows of the Datatypes Conversion window), "
             "for a\n      database of that collation and code page and the column types chosen, as sql "
             "does."),
         2, 8, columns},
        {QStringLiteral("rows"), QStringLiteral("SOURCE TABLE"),
         QStringLiteral(
             "Prints a table as JSON Lines: first {\"table\": ..., \"columns\": [{\"name\", \"type\", "
             "\"width\",\n"
             "      \"decimals\"}...]}, then one array per live record. NULL is null; text a string, "
             "untrimmed;\n"
             "      integers and doubles numbers; N, F and Y exact decimal strings; dates \"yyyy-mm-dd\";\n"
             "      date-times \"yyyy-mm-ddThh:mm:ss[.fff]\"; logicals true/false; bytes {\"hex\": "
             "\"...\"}."),
         2, 2, rows},
        {QStringLiteral("indexes"),
         QStringLiteral("SOURCE [TABLE] [--collation NAME] [--code-page N] [--types design|native]"),
         QStringLiteral(
             "Lists the indexes of the table (or of every table) from its structural .cdx file, one per\n"
             "      line, tab-separated: table, tag, kind (primary, candidate, unique, regular), key\n"
             "      expression, filter, the statement it becomes after the rows on a database as for sql\n"
             "      (or \"not created\"), and notes: why it is not created, a key the stored rows break,\n"
             "      a key that accepts more than the expression did. An index file that cannot be read is\n"
             "      reported; the table's rows are not affected."),
         1, 8, indexes},
        {QStringLiteral("sql"),
         QStringLiteral("SOURCE [TABLE...] [--collation NAME] [--code-page N] [--types design|native]\n"
                        "      [--indexes]"),
         QStringLiteral(
             "Prints the CREATE TABLE and INSERT statements a preview lists, one per line, table by\n"
             "      table: the named tables in that order, or every table in the order of a run. They are\n"
             "      written for a SQL Server database of that collation (TEXT columns are VARCHAR(MAX) "
             "under\n"
             "      UTF-8, _SC and version-140 collations) and of code page N (by default the collation's,\n"
             "      else 1252; 65001 for a UTF-8 collation): text that code page cannot hold goes into\n"
             "      NVARCHAR columns. --types native creates SQL Server's own column types (DATE,\n"
             "      DATETIME2, BIT, MONEY, VARCHAR(n)...) instead of the designed mapping. --indexes adds\n"
             "      each table's keys and indexes after its rows, as indexes lists them; what they lose or\n"
             "      why they are not created goes to standard error."),
         1, -1, sql},
    };
}

} // namespace cli
