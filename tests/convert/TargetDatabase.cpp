#include "tests/convert/TargetDatabase.h"

#include "convert/StatementText.h"
#include "db/Connection.h"
#include "db/Foxpro.h"
#include "tests/support/PrivateOdbcConfig.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <cmath>
#include <stdexcept>

void registerSqliteAsSqlServer()
{
    const QString error = PrivateOdbcConfig::registerSqliteAsSqlServer();
    if (!error.isEmpty())
        throw std::runtime_error(error.toStdString());
}

QString samplesFolder()
{
    return QStringLiteral(FERRANDINE_BIN_DIR "/Samples");
}

std::vector<QStringList> readSourceTable(const QString& folder, const QString& table)
{
    FoxProSource source;
    source.folder = folder;
    db::Connection connection;
    connection.open(Foxpro::connectionString(source, Foxpro::Collating::Machine));
    std::unique_ptr<db::RecordSet> records = connection.openRecordSet(convert::sourceQueryText(table));
    std::vector<QStringList> rows;
    for (; !records->eof(); records->moveNext()) {
        QStringList row;
        for (const db::Value& value : records->values())
            row.push_back(convert::ValueFormat::system().text(value));
        rows.push_back(row);
    }
    return rows;
}

bool sameRow(const QStringList& source, const QStringList& target)
{
    if (source.size() != target.size())
        return false;
    for (int i = 0; i < source.size(); ++i) {
        if (source[i] == target[i])
            continue;
        bool sourceNumber = false;
        bool targetNumber = false;
        const double s = source[i].toDouble(&sourceNumber);
        const double t = target[i].toDouble(&targetNumber);
        if (!sourceNumber || !targetNumber || std::abs(s - t) > 1e-12 * std::max(1.0, std::abs(s)))
            return false;
    }
    return true;
}

QStringList sorted(QStringList names)
{
    names.sort(Qt::CaseInsensitive);
    return names;
}

MSSQLLogin TargetDatabase::login() const
{
    MSSQLLogin login;
    login.server = QStringLiteral("localhost");
    login.port = QStringLiteral("1433");
    login.database = m_path;
    login.user = QStringLiteral("sa");
    login.password = QStringLiteral("secret");
    return login;
}

QString TargetDatabase::query(const QString& sql) const
{
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), m_path, sql});
    if (!sqlite.waitForFinished(60000) || sqlite.exitCode() != 0)
        throw std::runtime_error("sqlite3 failed: " + sqlite.readAllStandardError().toStdString());
    return QString::fromUtf8(sqlite.readAllStandardOutput());
}

void TargetDatabase::exec(const QString& sql) const
{
    query(sql);
}

QStringList TargetDatabase::tables() const
{
    if (!QFile::exists(m_path))
        return {};
    return sorted(query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table';"))
                      .split(u'\n', Qt::SkipEmptyParts));
}

std::vector<QStringList> TargetDatabase::rows(const QString& table) const
{
    const QString quoted = u'"' + QString(table).replace(u'"', QStringLiteral("\"\"")) + u'"';
    const QStringList columns = query(QStringLiteral("SELECT name FROM pragma_table_info('%1');")
                                          .arg(QString(table).replace(u'\'', "''")))
                                    .split(u'\n', Qt::SkipEmptyParts);
    QStringList quotedColumns;
    // Bytes as the statements' text of a value shows them: 0x and hexadecimal digits.
    for (const QString& column : columns) {
        const QString name = u'"' + QString(column).replace(u'"', QStringLiteral("\"\"")) + u'"';
        quotedColumns.push_back(
            QStringLiteral("CASE typeof(%1) WHEN 'blob' THEN '0x' || hex(%1) ELSE %1 END").arg(name));
    }
    const QString lines = query(QStringLiteral("SELECT json_array(%1) FROM %2 ORDER BY rowid;")
                                    .arg(quotedColumns.join(u','), quoted));
    std::vector<QStringList> rows;
    for (const QString& line : lines.split(u'\n', Qt::SkipEmptyParts)) {
        QStringList row;
        for (const QJsonValue& value : QJsonDocument::fromJson(line.toUtf8()).array()) {
            if (value.isDouble())
                row.push_back(QString::number(value.toDouble(), 'g', 17));
            else
                row.push_back(value.toString());
        }
        rows.push_back(row);
    }
    return rows;
}
