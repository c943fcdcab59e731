#pragma once

#include "calllog.h"

#include <QString>

#include <memory>
#include <optional>

namespace commission {

class ConnectionProvider;

struct HttpSettings {
    QString listenAddress = QStringLiteral("127.0.0.1");
    int port = 8211;              // 0: any free port
    QString secret;               // required in X-Commission-Secret when not empty
    int threads = 16;             // worker threads, each with its own database connection
    qint64 maxBodyBytes = 8 << 20;
};

// The commission service over HTTP (docs/protocol.md) on a pool of worker
// threads. Checks the shared secret before a call's body is read, limits the
// body size, turns every error into its status in one place and logs one
// line per call.
class CommissionHttpServer {
public:
    CommissionHttpServer(const HttpSettings &settings, ConnectionProvider &connections, LogSink log);
    ~CommissionHttpServer();

    // Binds the address; the port bound, or nullopt when it cannot.
    std::optional<int> bind();
    // Serves on the calling thread until stop().
    void run();
    // May be called from any thread; run() returns once the workers finished.
    void stop();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace commission
