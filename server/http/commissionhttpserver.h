#pragma once

#include "calllog.h"
#include "httpsettings.h"

#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace commission {

class ConnectionProvider;

// The commission service over HTTP (docs/protocol.md). A few I/O threads
// read and write every connection; complete calls wait in one queue, first in
// first out, for a fixed set of database workers. The secret is checked
// before a call's body is read, the body is held to its limit however it is
// sent, every error becomes its status in one place and every call gets one
// log line.
class CommissionHttpServer {
public:
    CommissionHttpServer(const HttpSettings &settings, ConnectionProvider &connections, LogSink log);
    ~CommissionHttpServer();

    // Loads the TLS certificate and key when the settings name them; the
    // reason in Portuguese when they cannot be used, else empty.
    QString prepareTls();
    // Binds the address; the port bound, or nullopt when it cannot.
    std::optional<int> bind();
    // Serves on the calling thread (and the other I/O threads) until stop().
    void run();
    // May be called from any thread, before or during run(); running calls
    // finish and are answered, then run() returns.
    void stop();

    // How a stop that waits for the calls ended.
    struct StopOutcome {
        QStringList abandoned;  // calls still running at the deadline, rolled back
        std::size_t stuck = 0;  // of those, the ones still running when it gave up waiting
        bool clean() const { return abandoned.isEmpty(); }
    };
    // The stop that loses nothing, from any thread during run(): accepts no
    // more connections, closes the idle ones and those still sending a
    // request (unanswered), lets every queued and running call finish and
    // its answer be written, then ends run(). Calls still running after
    // `timeout` are abandoned: their database work is interrupted and rolls
    // back, and each is logged. Returns once run() is ending.
    StopOutcome drain(std::chrono::milliseconds timeout);
    // How long an abandoned call is given to end and be answered.
    static constexpr std::chrono::seconds abandonGrace{2};

    // Whether the queue has room for another call.
    bool hasRoom() const;

    // Told the method's name before each method call runs, on its thread;
    // what it raises is the call's failure. Set before run(), by tests that
    // make a call fail in ways the service does not.
    void setCallProbe(std::function<void(const QString &method)> probe);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace commission
