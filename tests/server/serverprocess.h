#pragma once

#include <connectionstring.h>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// The commission-server executable as a test starts it: serving on a free
// port with its output kept, or running one administration command.
class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess();  // kills a server still running
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    static QString program();
    // The --database argument for the database: its file, or its URL.
    static QString databaseArgument(const database::ConnectionString &where);

    // Starts serving with the arguments (and --port 0); true once it says on
    // which port, within 10 s.
    bool start(const QStringList &arguments);
    int port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    void signal(int number) const;
    // Its exit code once it has exited, or -1 when it is still running
    // after `timeoutMs`.
    int waitForExit(int timeoutMs);
    // Everything it wrote so far, standard output and error together.
    QString output();
    // The server's threads sleeping between two attempts at SQLite's lock
    // (a thread waiting for the lock sleeps in clock_nanosleep; the others
    // wait in epoll, futex or sigwait).
    int threadsSleeping() const;

    struct Finished {
        int exitCode = -1;
        QString output;
    };
    // Runs a command that does not serve to its end, `input` on its standard
    // input.
    static Finished run(const QStringList &arguments, const QByteArray &input = {});

private:
    QProcess m_process;
    QByteArray m_output;
    int m_port = 0;
};
