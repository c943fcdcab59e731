#pragma once

#include "iolane.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>

namespace commission {

class CallHandler;
class CallQueue;
class RunningCalls;
struct HttpSettings;

// What every connection of one server shares.
struct ConnectionContext {
    const HttpSettings &settings;
    CallHandler &handler;
    CallQueue &queue;
    RunningCalls &calls;
};

// One client connection, from its first byte to its close, on the I/O
// threads: reads a request with its deadlines and limits, hands the call to
// the queue, writes the answer, and reads the next request of a kept-alive
// or pipelined connection only when the answer before it is written. A
// connection waiting for its client holds no worker and no thread. When
// the server stops, a connection waiting for or reading a request closes at
// once, unanswered; one whose call is queued or running is answered and then
// closed.
class HttpConnection {
public:
    // Serves the socket, accepted on the loop of the ticket's lane, where
    // the ticket counts it; over TLS when a context is given. The
    // connection keeps itself (and its ticket) alive until it closes.
    static void start(boost::asio::ip::tcp::socket socket, boost::asio::ssl::context *tls,
                      const ConnectionContext &context, IoLane::Ticket ticket);
};

}  // namespace commission
