#pragma once

#include "directorycheck.h"

#include <QString>

#include <chrono>

namespace commission {

// How the commission server serves HTTP (docs/server.md, "Limits").
struct HttpSettings {
    QString listenAddress = QStringLiteral("127.0.0.1");
    int port = 8211;       // 0: any free port
    QString secret;        // required in the secret header when not empty
    int threads = 16;      // database workers, each with its own database connection
    int ioThreads = 2;     // threads that read and write the connections; all but one may run calls
    int queueLimit = 256;  // calls waiting for a worker; beyond it 503
    qint64 maxBodyBytes = 8 << 20;
    int maxHeaderBytes = 16 << 10;
    std::chrono::milliseconds headerTimeout{10'000};  // from the first byte of a request to its last header
    std::chrono::milliseconds bodyTimeout{30'000};    // for the whole body
    std::chrono::milliseconds idleTimeout{5'000};     // a kept-alive connection waiting for its next request
    QString tlsCertificate;                           // PEM files; HTTPS when both are given
    QString tlsKey;

    DirectorySettings directory;  // where passwords are checked; none: the database's hashes
    bool usesTls() const { return !tlsCertificate.isEmpty(); }
};

}  // namespace commission
