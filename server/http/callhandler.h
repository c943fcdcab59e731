#pragma once

#include "calllog.h"
#include "commissionendpoint.h"
#include "commissionservice.h"
#include "httpsettings.h"
#include "operatorsessions.h"
#include "servermetrics.h"

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace commission {

class ConnectionProvider;
class RunningCalls;
class ServiceError;

// One answer of the HTTP layer: a status and a body, JSON unless said otherwise.
struct HttpAnswer {
    int status = 200;
    std::string body;
    int retryAfterSeconds = 0;     // sent as Retry-After when not 0
    bool closeConnection = false;  // the request's body was not read, or cannot be trusted
    std::string_view contentType;  // empty: JSON
};

// A request as the handler needs it once its body is in.
struct CallRequest {
    std::string verb;
    std::string target;
    std::string authorization;  // the Authorization header as sent
};

// What the server does with a request, apart from moving bytes: the secret
// check, sign-in and the session of every call, the routing to the remote
// object's methods, the status mapping and the log line of every call.
// Knows nothing of sockets, so the HTTP layer stays a transport.
class CallHandler {
public:
    static const std::string_view secretHeader;
    // Told the method's name before each method call runs, on its thread;
    // what it raises is the call's failure. For tests that make a call fail
    // in ways the service does not.
    using CallProbe = std::function<void(const QString &method)>;

    CallHandler(const HttpSettings &settings, ConnectionProvider &connections, LogSink log);

    // Decided on the request line and headers alone, before the body is read:
    // the answer of a request that reaches no method (wrong secret, unknown
    // path, a verb the path does not take), or nullopt when the body is to
    // be read and the call queued. GET /metrics also takes the secret as
    // "Authorization: Bearer <secret>", as Prometheus sends it.
    std::optional<HttpAnswer> screen(std::string_view verb, std::string_view target, std::string_view secret,
                                     std::string_view authorization = {}) const;

    // Runs one call (or a sign-in, a sign-out, a health check) on the
    // calling thread, which owns a database connection, registered in
    // `running` while it runs when given (a stopping server refuses it with
    // 503). Every failure, foreseen or not, becomes an answer here: nothing
    // leaves it but the answer.
    HttpAnswer call(const CallRequest &request, std::string body, const QString &origin,
                    RunningCalls *running = nullptr);

    // What escaped a thread's loop of the HTTP layer (`where`: "worker",
    // "I/O"), its connection lost: logged once with a reference, as a 500.
    void lost(std::exception_ptr raised, const char *where) const;

    // Set before the server serves.
    void setCallProbe(CallProbe probe) { m_probe = std::move(probe); }

    // GET /health: 200 when the database answers, 503 when it does not. A
    // full queue answers 503 before this is reached.
    HttpAnswer health();
    // Whether the request is answered on the I/O thread that read it, never
    // queued: GET /metrics, which reads counters only and must answer while
    // the queue is full.
    static bool answersAtOnce(const CallRequest &request);

    // A request that the HTTP layer refuses by itself (bad HTTP, body too
    // large, headers too slow, server busy), in the same JSON shape, logged.
    HttpAnswer refuse(int status, const QString &request) const;

    // The caller is told to come back in this many seconds when the queue is full.
    static constexpr int busyRetrySeconds = 1;
    // A sign-in's body holds a code and a password: nothing near the
    // transport's limit.
    static constexpr size_t maxSignInBytes = 4096;

    OperatorSessions &sessions() { return m_sessions; }
    ServerMetrics &metrics() { return m_metrics; }

private:
    HttpAnswer answer(const CallRequest &request, std::string body, const QString &origin, RunningCalls *running,
                      std::optional<CallLog> &log);
    HttpAnswer methodCall(const CallRequest &request, std::string body, const QString &origin, CallLog &log);
    HttpAnswer signIn(const std::string &body, const QString &origin, CallLog &log);
    HttpAnswer signOut(const CallRequest &request);
    HttpAnswer failure(const ServiceError &error, CallLog &log);
    // Whatever was raised, as the ServiceError it is or an internal one.
    static ServiceError asServiceError(std::exception_ptr raised);

    HttpSettings m_settings;
    QByteArray m_secret;  // the settings' secret as it arrives in the header
    ConnectionProvider &m_connections;
    LogSink m_log;
    // Counted by refusals too, which are const.
    mutable ServerMetrics m_metrics;
    OperatorSessions m_sessions;
    CommissionService m_service;
    CommissionEndpoint m_endpoint;
    CallProbe m_probe;
};

}  // namespace commission
