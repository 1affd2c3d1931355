// Every real table in the shared fixtures is read and compared, value for value, with the oracle file
// beside it (written by an independent reader); files the oracle marks as no FoxPro table must be
// refused with a message naming them.
#include "db/AdoType.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/foxpro/CodePage.h"
#include "db/foxpro/Table.h"
#include "db/foxpro/TableRecordSet.h"
#include "tests/support/SharedFiles.h"

#include <QDirIterator>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <cmath>

using namespace db;
using namespace db::foxpro;

namespace {

const QString FixtureRoot = SharedFiles::path(QStringLiteral("fixtures/real"));

QJsonObject loadOracle(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

QString fixtureOf(const QString& oraclePath)
{
    return oraclePath.chopped(QStringLiteral(".oracle.json").size());
}

// Bytes back from text decoded with a single-byte code page.
QByteArray encodeSingleByte(const QString& text, int codePage)
{
    CodePage page(codePage);
    QHash<QChar, char> inverse;
    for (int b = 255; b >= 0; --b) {
        const char c = static_cast<char>(b);
        inverse.insert(page.decode(QByteArrayView(&c, 1)).at(0), c);
    }
    QByteArray bytes;
    for (QChar ch : text)
        bytes.append(inverse.value(ch, '?'));
    return bytes;
}

int codePageOfOracle(const QString& encoding)
{
    return encoding.startsWith(QLatin1String("cp")) ? encoding.mid(2).toInt() : 0;
}

QString currencyText(qint64 tenThousandths)
{
    const quint64 magnitude = tenThousandths < 0 ? 0 - quint64(tenThousandths) : quint64(tenThousandths);
    return QStringLiteral("%1%2.%3")
        .arg(tenThousandths < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 10000)
        .arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
}

QString trimmedRight(QString text)
{
    while (!text.isEmpty() && (text.back() == QLatin1Char(' ') || text.back() == QChar(0)))
        text.chop(1);
    return text;
}

// Compares one of our values with the oracle's rendering of it; returns a description of a mismatch.
class CellComparer
{
public:
    CellComparer(const QJsonObject& oracle, const Table& table)
        : m_oracleCodePage(
              codePageOfOracle(oracle[QStringLiteral("header")][QStringLiteral("encoding")].toString())),
          m_oracleEncoding(oracle[QStringLiteral("header")][QStringLiteral("encoding")].toString()),
          m_ourCodePage(CodePage::numberForMark(table.header().codePageMark))
    {}

    bool sameName(const QString& ours, const QString& want) const { return sameText(ours, want, false); }

    QString compare(const Value& ours, const FieldDescriptor& field, const QJsonValue& expected) const
    {
        const QString rendered = render(ours, field);
        if (expected.isNull())
            return isNull(ours) ? QString() : QStringLiteral("expected NULL, got %1").arg(rendered);
        if (isNull(ours))
            return QStringLiteral("expected %1, got NULL").arg(expected.toString());
        const QString want = expected.toString();
        if (std::holds_alternative<double>(ours))
            return std::get<double>(ours) == want.toDouble() ? QString() : mismatch(want, rendered);
        if (const QString* text = std::get_if<QString>(&ours); text && !field.binary)
            return sameText(*text, want, field.type == 'C') ? QString() : mismatch(want, rendered);
        return rendered == want ? QString() : mismatch(want, rendered);
    }

private:
    static QString mismatch(const QString& want, const QString& got)
    {
        return QStringLiteral("expected \"%1\", got \"%2\"").arg(want, got);
    }

    // The oracle trims C fields; where it chose another code page (a mark it does not know), the
    // stored bytes must agree.
    bool sameText(QString ours, QString want, bool trimmed) const
    {
        if (trimmed)
            ours = trimmedRight(ours);
        if (m_oracleCodePage == m_ourCodePage)
            return ours == want;
        const QByteArray theirs = m_oracleEncoding == QLatin1String("utf-8")
                                      ? want.toUtf8()
                                      : encodeSingleByte(want, m_oracleCodePage);
        return encodeSingleByte(ours, m_ourCodePage) == theirs;
    }

    static QString render(const Value& value, const FieldDescriptor& field)
    {
        if (const QString* text = std::get_if<QString>(&value))
            return field.binary ? QString::fromLatin1(encodeSingleByte(*text, 1252).toHex()) : *text;
        if (const qint32* number = std::get_if<qint32>(&value))
            return QString::number(*number);
        if (const double* number = std::get_if<double>(&value))
            return QString::number(*number, 'g', 17);
        if (const Decimal* decimal = std::get_if<Decimal>(&value))
            return decimal->text;
        if (const Currency* money = std::get_if<Currency>(&value))
            return currencyText(money->tenThousandths);
        if (const QDate* date = std::get_if<QDate>(&value))
            return date->toString(Qt::ISODate);
        if (const QDateTime* time = std::get_if<QDateTime>(&value))
            return time->toString(time->time().msec() ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                                                      : QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
        if (const bool* flag = std::get_if<bool>(&value))
            return *flag ? QStringLiteral("true") : QStringLiteral("false");
        if (const QByteArray* bytes = std::get_if<QByteArray>(&value))
            return QString::fromLatin1(bytes->toHex());
        return QStringLiteral("NULL");
    }

    int m_oracleCodePage;
    QString m_oracleEncoding;
    int m_ourCodePage;
};

// Cells the oracle could not read that this reader reads all the same, by "file:record:column": a
// number written with a thousands separator.
const QHash<QString, QString> ReadAnyway = {
    {QStringLiteral("php-xbase/socios.dbf:2:SALARIO"), QStringLiteral("1200.00")},
};

// What this reader gives for a cell the oracle could not read: W text wider than a blob pointer is
// UTF-16LE without its NUL padding; a value that does not decode is NULL.
QJsonValue readAnyway(const QString& cell, const FieldDescriptor& field, const QJsonObject& invalid)
{
    if (ReadAnyway.contains(cell))
        return ReadAnyway.value(cell);
    if (field.type != 'W' || field.memoPointer)
        return QJsonValue::Null;
    QByteArray bytes = QByteArray::fromHex(invalid[QStringLiteral("invalid")].toString().toLatin1());
    while (bytes.endsWith(QByteArray(2, '\0')))
        bytes.chop(2);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
}

bool memoFileMissing(const QJsonObject& oracle)
{
    return oracle[QStringLiteral("memo_error")] == QLatin1String("memo file missing");
}

// Why the oracle's file is one our reader must refuse, or empty when it must be read.
QString refusalReason(const QJsonObject& oracle)
{
    if (oracle.contains(QStringLiteral("records_omitted")))
        return oracle[QStringLiteral("records_omitted")].toString();
    // A table whose memo file is missing is read without it.
    if (oracle.contains(QStringLiteral("memo_error")) && !memoFileMissing(oracle))
        return oracle[QStringLiteral("memo_error")].toString();
    const QStringList notes = oracle[QStringLiteral("notes")].toObject().keys();
    for (const QString& note : notes) {
        // W fields wider than a blob pointer hold text, which this reader reads.
        if (note.startsWith(QLatin1String("unsupported_type_")) &&
            note != QLatin1String("unsupported_type_W"))
            return note;
    }
    if (oracle[QStringLiteral("columns")].toArray().isEmpty())
        return QStringLiteral("no fields");
    return {};
}

} // namespace

class TestFoxProFixtures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_SHARED("fixtures/real");
        QDirIterator it(FixtureRoot, {QStringLiteral("*.oracle.json")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            m_oracles.append(it.next());
        m_oracles.sort();
        QVERIFY2(m_oracles.size() > 150, "the shared fixtures are missing");
    }

    void tablesReadAsTheOracleSays_data()
    {
        QTest::addColumn<QString>("oraclePath");
        for (const QString& path : m_oracles) {
            const QJsonObject oracle = loadOracle(path);
            if (oracle[QStringLiteral("kind")] == QLatin1String("table") ||
                oracle[QStringLiteral("kind")] == QLatin1String("database_container")) {
                if (refusalReason(oracle).isEmpty())
                    QTest::newRow(qPrintable(oracle[QStringLiteral("file")].toString())) << path;
            }
        }
    }

    void tablesReadAsTheOracleSays()
    {
        QFETCH(QString, oraclePath);
        const QJsonObject oracle = loadOracle(oraclePath);
        const QString file = fixtureOf(oraclePath);
        ReaderOptions withoutMissingMemos;
        withoutMissingMemos.emptyMissingMemos = true; // changes nothing where the memo file is there
        std::unique_ptr<Table> owned = Table::open(file, withoutMissingMemos);
        Table& table = *owned;
        const CellComparer comparer(oracle, table);
        const std::vector<int> visible = table.visibleFields();
        TableRecordSet records(std::move(owned), {});

        const QJsonArray columns = oracle[QStringLiteral("columns")].toArray();
        QCOMPARE(records.fields().size(), std::size_t(columns.size()));
        for (int i = 0; i < columns.size(); ++i) {
            const QString stored = table.fieldName(visible[i]);
            QCOMPARE(records.fields()[i].name, stored.toLower());
            QVERIFY2(comparer.sameName(stored, columns[i].toString()), qPrintable(stored));
        }

        const QJsonArray expected = oracle[QStringLiteral("records")].toArray();
        qint64 unreadable = 0;
        QCOMPARE(records.recordCount(), qint64(expected.size()));
        for (int r = 0; r < expected.size(); ++r) {
            QVERIFY2(!records.eof(), qPrintable(QStringLiteral("ends before oracle record %1").arg(r + 1)));
            QJsonArray cells = expected[r].toArray();
            // Without its memo file a memo field is NULL; the oracle shows the pointer it could not follow.
            for (int c = 0; c < cells.size() && memoFileMissing(oracle); ++c) {
                if (table.header().fields[visible[c]].memoPointer)
                    cells[c] = QJsonValue::Null;
            }
            // The record arrives; what the oracle could not read is NULL and counted, or read anyway.
            for (int c = 0; c < cells.size(); ++c) {
                if (!cells[c].isObject())
                    continue;
                const QString cell = QStringLiteral("%1:%2:%3")
                                         .arg(oracle[QStringLiteral("file")].toString())
                                         .arg(r + 1)
                                         .arg(columns[c].toString());
                cells[c] = readAnyway(cell, table.header().fields[visible[c]], cells[c].toObject());
                unreadable += cells[c].isNull() ? 1 : 0;
            }
            const std::vector<Value>& values = records.values();
            for (int c = 0; c < cells.size(); ++c) {
                const QString problem =
                    comparer.compare(values[c], table.header().fields[visible[c]], cells[c]);
                QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("record %1 field %2: %3")
                                                           .arg(r + 1)
                                                           .arg(columns[c].toString(), problem)));
            }
            records.moveNext();
        }
        QCOMPARE(records.unreadableValues().values.count, unreadable);
        if (oracle[QStringLiteral("notes")].toObject().contains(QStringLiteral("records_truncated_at"))) {
            QVERIFY(!records.eof());
            QVERIFY_THROWS_EXCEPTION(DbError, records.values());
            records.moveNext();
        }
        QVERIFY(records.eof());
    }

    void filesThatAreNoTableAreRefused_data()
    {
        QTest::addColumn<QString>("oraclePath");
        QTest::addColumn<QString>("reason");
        for (const QString& path : m_oracles) {
            const QJsonObject oracle = loadOracle(path);
            const bool container =
                oracle[QStringLiteral("kind")] == QLatin1String("not_a_database_container");
            const QString reason = container ? QStringLiteral("not a container") : refusalReason(oracle);
            if (!reason.isEmpty())
                QTest::newRow(qPrintable(oracle[QStringLiteral("file")].toString())) << path << reason;
        }
    }

    void filesThatAreNoTableAreRefused()
    {
        QFETCH(QString, oraclePath);
        const QString file = fixtureOf(oraclePath);
        Connection connection;
        const bool isContainer = file.endsWith(QLatin1String(".dbc"), Qt::CaseInsensitive);
        QString folder = QFileInfo(file).path();
        try {
            if (isContainer) {
                connection.open(QStringLiteral("Provider=vfpoledb.1;Data Source=%1;").arg(file));
            } else {
                connection.open(QStringLiteral("Provider=vfpoledb.1;Data Source=%1;").arg(folder));
                connection.openRecordSet(
                    QStringLiteral("SELECT * FROM `%1`").arg(QFileInfo(file).completeBaseName()));
            }
            QFAIL("the file was not refused");
        } catch (const DbError& error) {
            QVERIFY2(error.description().startsWith(file + QLatin1Char(':')),
                     qPrintable(error.description()));
        }
    }

    void containersListTheirTablesAndLongNames_data()
    {
        QTest::addColumn<QString>("oraclePath");
        for (const QString& path : m_oracles) {
            const QJsonObject oracle = loadOracle(path);
            if (oracle[QStringLiteral("kind")] == QLatin1String("database_container"))
                QTest::newRow(qPrintable(oracle[QStringLiteral("file")].toString())) << path;
        }
    }

    void containersListTheirTablesAndLongNames()
    {
        QFETCH(QString, oraclePath);
        const QJsonObject dbc = loadOracle(oraclePath)[QStringLiteral("dbc")].toObject();
        Connection connection;
        connection.open(QStringLiteral("Provider=vfpoledb.1;Data Source=%1;Collating Sequence=machine;")
                            .arg(fixtureOf(oraclePath)));
        QStringList expected;
        for (const QJsonValue& table : dbc[QStringLiteral("tables")].toArray())
            expected << table[QStringLiteral("name")].toString() + QStringLiteral("/TABLE");
        for (const QJsonValue& view : dbc[QStringLiteral("views")].toArray())
            expected << view.toString() + QStringLiteral("/VIEW");
        std::stable_sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
            return a.section(QLatin1Char('/'), 0, 0)
                       .compare(b.section(QLatin1Char('/'), 0, 0), Qt::CaseInsensitive) < 0;
        });
        QStringList listed;
        for (auto schema = connection.openSchema(Connection::SchemaTables); !schema->eof();
             schema->moveNext())
            listed << std::get<QString>(schema->values()[0]) + QLatin1Char('/') +
                          std::get<QString>(schema->values()[1]);
        QCOMPARE(listed, expected);

        for (const QJsonValue& table : dbc[QStringLiteral("tables")].toArray()) {
            const QString name = table[QStringLiteral("name")].toString();
            std::unique_ptr<RecordSet> records;
            try {
                records = connection.openRecordSet(QStringLiteral("SELECT * FROM `%1`").arg(name.toUpper()));
            } catch (const DbError& error) {
                // Some samples ship the container without every table file.
                QVERIFY2(error.description().contains(QLatin1String("does not exist")),
                         qPrintable(error.description()));
                continue;
            }
            QStringList names;
            for (const Field& field : records->fields())
                names << field.name;
            QStringList longNames;
            for (const QJsonValue& field : table[QStringLiteral("fields")].toArray())
                longNames << field.toString();
            if (longNames.size() == names.size())
                QCOMPARE(names, longNames);
        }
    }

private:
    QStringList m_oracles;
};

QTEST_GUILESS_MAIN(TestFoxProFixtures)
#include "TestFoxProFixtures.moc"
