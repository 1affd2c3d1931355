#include "tests/support/FakeTdsServer.h"

#include "tests/support/SharedFiles.h"

#include <QFile>
#include <QJsonDocument>

FakeTdsServer::FakeTdsServer(const QStringList& options)
{
    const QString script = SharedFiles::path(QStringLiteral("tools/fake_tds_server.py"));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("python3"),
                    QStringList{script, QStringLiteral("--port"), QStringLiteral("0"),
                                QStringLiteral("--log"), m_dir.filePath("log.jsonl")} +
                        options);
    // The first line of its output names the port: "fake_tds_server listening on 127.0.0.1:PORT".
    while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
    }
    const QByteArray line = m_process.readLine().trimmed();
    m_port = line.mid(line.lastIndexOf(':') + 1).toUShort();
    if (m_port == 0)
        m_error =
            QStringLiteral("fake_tds_server.py did not start (%1): %2").arg(script, QString::fromUtf8(line));
}

FakeTdsServer::~FakeTdsServer()
{
    m_process.kill();
    m_process.waitForFinished();
}

MSSQLLogin FakeTdsServer::login() const
{
    return {QStringLiteral("127.0.0.1"), QString::number(m_port), QStringLiteral("target"),
            QStringLiteral("sa"),        QStringLiteral("pw"),    false};
}

std::vector<QJsonObject> FakeTdsServer::log(const QString& kind) const
{
    std::vector<QJsonObject> entries;
    QFile file(m_dir.filePath("log.jsonl"));
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    while (!file.atEnd()) {
        const QJsonObject entry = QJsonDocument::fromJson(file.readLine()).object();
        if (kind.isEmpty() || entry.value("kind").toString() == kind)
            entries.push_back(entry);
    }
    return entries;
}

QStringList FakeTdsServer::statementsRun() const
{
    QStringList run;
    for (const QJsonObject& entry : log()) {
        const QString kind = entry.value("kind").toString();
        if (kind == QLatin1String("batch")) {
            run += entry.value("text").toString().split(u'\n', Qt::SkipEmptyParts);
        } else if (kind == QLatin1String("abort")) {
            // Logged after its batch: the skipped statements are the batch's last ones.
            run.resize(run.size() - entry.value("skipped").toInt());
        }
    }
    return run;
}
