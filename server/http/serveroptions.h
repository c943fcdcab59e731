#pragma once

#include "directorycheck.h"
#include "httpsettings.h"

#include <QString>
#include <QStringList>

namespace commission {

// The server's command line (usage() lists it). The secret may come from
// COMMISSION_SERVER_SECRET instead; listening beyond loopback requires it and
// TLS.
struct ServerOptions {
    QString database = QStringLiteral("commission.db");
    QString listenAddress = QStringLiteral("127.0.0.1");
    int port = 8211;
    QString secret;
    int threads = HttpSettings{}.threads;
    int ioThreads = HttpSettings{}.ioThreads;
    int queueLimit = HttpSettings{}.queueLimit;
    int headerTimeoutSeconds = 10;
    int bodyTimeoutSeconds = 30;
    int idleTimeoutSeconds = 5;
    int stopTimeoutSeconds = 20;  // how long a stop waits for the running calls
    QString tlsCertificate;
    QString tlsKey;
    QString logFile;  // --log-file: the serving server's log, appended; empty: standard error
    DirectorySettings directory;
    // An administration command on the database instead of serving it.
    enum class Command {
        Serve,
        AddOperator,
        SetPassword,
        EnableOperator,
        DisableOperator,
        Grant,
        Revoke,
        ListOperators
    };
    Command command = Command::Serve;
    QString operatorCode;  // of the command
    QString operatorName;  // --name, with --add-operator
    QString grantBranch;   // --branch, with --grant and --revoke
    QString grantRights;   // --rights, with --grant
    bool createDemo = false;
    bool init = false;   // create an empty, migrated database and exit
    QString backupFile;  // --backup: copy the SQLite database there and exit
    bool showHelp = false;
    QString configFile;        // --config: the file the settings were read from
    bool checkConfig = false;  // --check-config: print the effective settings and exit

    // Raises std::invalid_argument with a message for the user.
    // With --config the file's settings come first and the command line
    // overrides them; a refusal caused by the file names its line.
    static ServerOptions parse(const QStringList &arguments, const QString &secretFromEnvironment);
    // The same, with readConfigFile false taking --config as already read.
    static ServerOptions parse(const QStringList &arguments, const QString &secretFromEnvironment, bool readConfigFile);
    static bool isLoopback(const QString &address);
    static QString usage();
};

}  // namespace commission
