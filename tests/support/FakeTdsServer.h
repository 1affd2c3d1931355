#pragma once

#include "db/MSSQL.h"

#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

// The fake SQL Server of the shared tools (fake_tds_server.py) on a free loopback port, with its
// options, for as long as the object lives. It speaks the real wire protocol to FreeTDS and logs
// every request it receives.
class FakeTdsServer
{
public:
    explicit FakeTdsServer(const QStringList& options = {});
    ~FakeTdsServer();
    FakeTdsServer(const FakeTdsServer&) = delete;
    FakeTdsServer& operator=(const FakeTdsServer&) = delete;

    // Empty when the server listens; otherwise why it does not.
    const QString& error() const { return m_error; }
    quint16 port() const { return m_port; }
    // A login for database "target" on this server.
    MSSQLLogin login() const;

    // The log entries so far, of one kind ("batch", "abort", "drop", ...) or all.
    std::vector<QJsonObject> log(const QString& kind = {}) const;
    // The statements the server ran, one per line of each SQL batch, in order; the rest of a batch
    // that a batch-aborting error ended is left out, the failing statement kept.
    QStringList statementsRun() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};
