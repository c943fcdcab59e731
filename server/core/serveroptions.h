#pragma once

#include <QString>
#include <QStringList>

namespace commission {

// The server's command line:
//   commission-server [--database PATH|postgresql://...] [--listen ADDRESS]
//                     [--port N] [--secret TEXT] [--threads N] [--create-demo]
// The secret may come from COMMISSION_SERVER_SECRET instead; it is required
// when the server listens beyond loopback.
struct ServerOptions {
    QString database = QStringLiteral("commission.db");
    QString listenAddress = QStringLiteral("127.0.0.1");
    int port = 8211;
    QString secret;
    int threads = 16;
    bool createDemo = false;
    bool showHelp = false;

    // Raises std::invalid_argument with a message for the user.
    static ServerOptions parse(const QStringList &arguments, const QString &secretFromEnvironment);
    static bool isLoopback(const QString &address);
    static QString usage();
};

}  // namespace commission
