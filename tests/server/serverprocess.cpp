#include "serverprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <sys/syscall.h>

ServerProcess::~ServerProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QString ServerProcess::program()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/commission-server");
}

QString ServerProcess::databaseArgument(const database::ConnectionString &where)
{
    if (where.isSqlite())
        return where.databaseName;
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(where.user, where.host)
        .arg(where.port)
        .arg(where.databaseName);
}

bool ServerProcess::start(const QStringList &arguments)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program(), arguments + QStringList{QStringLiteral("--port"), QStringLiteral("0")});
    if (!m_process.waitForStarted())
        return false;
    const QRegularExpression address(QStringLiteral(R"(https?://127\.0\.0\.1:(\d+))"));
    QRegularExpressionMatch found;
    // Ends on the address or on the process ending; the port says which.
    static_cast<void>(QTest::qWaitFor(
        [&] {
            found = address.match(output());
            return found.hasMatch() || m_process.state() == QProcess::NotRunning;
        },
        10000));
    m_port = found.hasMatch() ? found.captured(1).toInt() : 0;
    return m_port > 0;
}

void ServerProcess::signal(int number) const
{
    ::kill(pid_t(m_process.processId()), number);
}

int ServerProcess::waitForExit(int timeoutMs)
{
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMs))
        return -1;
    output();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString ServerProcess::output()
{
    m_output += m_process.readAll();
    return QString::fromUtf8(m_output);
}

int ServerProcess::threadsSleeping() const
{
    int sleeping = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(m_process.processId()));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile syscall(tasks.filePath(task + QStringLiteral("/syscall")));
        if (!syscall.open(QIODevice::ReadOnly))
            continue;
        const int number = syscall.readAll().split(' ').value(0).toInt();
        if (number == SYS_clock_nanosleep || number == SYS_nanosleep)
            ++sleeping;
    }
    return sleeping;
}

ServerProcess::Finished ServerProcess::run(const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program(), arguments);
    Finished finished;
    if (!process.waitForStarted())
        return finished;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return finished;
    }
    finished.exitCode = process.exitCode();
    finished.output = QString::fromUtf8(process.readAll());
    return finished;
}
