#include "commissionhttpserver.h"

#include "callarguments.h"
#include "commissionendpoint.h"
#include "commissionservice.h"
#include "connectionprovider.h"
#include "errormapping.h"
#include "serviceerror.h"

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <atomic>
#include <thread>

namespace commission {

namespace {

const char *secretHeader = "X-Commission-Secret";
const char *jsonType = "application/json; charset=utf-8";

// Runs over the whole given text whatever it holds, so the time taken tells
// nothing about how much of a guess was right.
bool sameSecret(const std::string &given, const QByteArray &expected)
{
    unsigned difference = given.size() != size_t(expected.size()) ? 1 : 0;
    for (size_t i = 0; i < given.size(); ++i) {
        const char wanted = i < size_t(expected.size()) ? expected[qsizetype(i)] : '\0';
        difference |= static_cast<unsigned char>(given[i] ^ wanted);
    }
    return difference == 0;
}

void answer(httplib::Response &response, int status, const QJsonObject &body)
{
    response.status = status;
    response.set_content(QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString(), jsonType);
}

void answerError(httplib::Response &response, int status, const QString &message)
{
    answer(response, status, QJsonObject{{QStringLiteral("error"), message}});
}

}  // namespace

struct CommissionHttpServer::Private {
    Private(const HttpSettings &settings, ConnectionProvider &connections, LogSink log)
        : settings(settings), connections(connections), log(std::move(log)), service(connections), endpoint(service)
    {
    }

    void configure();
    httplib::Server::HandlerResponse checkSecret(const httplib::Request &request, httplib::Response &response);
    void handleCall(const httplib::Request &request, httplib::Response &response);
    void completeLibraryError(const httplib::Request &request, httplib::Response &response);

    HttpSettings settings;
    ConnectionProvider &connections;
    LogSink log;
    CommissionService service;
    CommissionEndpoint endpoint;
    httplib::Server server;
    // The library ignores a stop that comes before it started listening;
    // these flags close that gap (see run() and stop()).
    std::atomic<bool> entered{false};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> finished{false};
};

void CommissionHttpServer::Private::configure()
{
    const int threads = settings.threads;
    server.new_task_queue = [threads] { return new httplib::ThreadPool(size_t(threads)); };
    server.set_tcp_nodelay(true);
    // A kept-alive connection holds its worker while it waits for the next
    // request; a short wait keeps a screen's burst of calls on one connection
    // without letting idle screens hold the workers.
    server.set_keep_alive_max_count(1000);
    server.set_keep_alive_timeout(2);
    server.set_payload_max_length(size_t(settings.maxBodyBytes));
    server.set_pre_routing_handler([this](const httplib::Request &request, httplib::Response &response) {
        return checkSecret(request, response);
    });
    server.Post(R"(/rdm/([^/]+)/([^/]+))", [this](const httplib::Request &request, httplib::Response &response) {
        handleCall(request, response);
    });
    server.set_error_handler([this](const httplib::Request &request, httplib::Response &response) {
        completeLibraryError(request, response);
    });
}

httplib::Server::HandlerResponse CommissionHttpServer::Private::checkSecret(const httplib::Request &request,
                                                                             httplib::Response &response)
{
    if (settings.secret.isEmpty() || sameSecret(request.get_header_value(secretHeader), settings.secret.toUtf8()))
        return httplib::Server::HandlerResponse::Unhandled;
    CallLog call(log, QString::fromStdString(request.path));
    const QString message = QStringLiteral("Chamada sem o segredo compartilhado correto.");
    answerError(response, ErrorMapping::httpStatus(ServiceError::Kind::Unauthorized), message);
    call.failed(response.status, message);
    return httplib::Server::HandlerResponse::Handled;
}

void CommissionHttpServer::Private::handleCall(const httplib::Request &request, httplib::Response &response)
{
    const QString object = QString::fromStdString(request.matches[1]);
    const QString method = QString::fromStdString(request.matches[2]);
    CallLog call(log, method);
    try {
        if (object != CommissionEndpoint::objectName || !endpoint.hasMethod(method))
            throw ServiceError(ServiceError::Kind::NotFound,
                               QStringLiteral("Objeto ou método desconhecido: %1.%2.").arg(object, method));
        const CallArguments arguments = CallArguments::parse(QByteArray::fromStdString(request.body));
        const CallOutcome outcome = endpoint.call(method, arguments, QString::fromStdString(request.remote_addr));
        call.setBranch(outcome.branch);
        answer(response, 200, QJsonObject{{QStringLiteral("result"), outcome.result}});
        call.succeeded(outcome.refusal);
    } catch (const ServiceError &error) {
        // A broken connection is dropped, so the next call on this worker
        // opens a new one.
        if (error.kind() == ServiceError::Kind::Unavailable)
            connections.discard();
        answerError(response, ErrorMapping::httpStatus(error.kind()), error.message());
        call.failed(response.status, error.message());
    }
}

void CommissionHttpServer::Private::completeLibraryError(const httplib::Request &request, httplib::Response &response)
{
    // Our own answers already carry a body; the library's own (unknown path,
    // body too large, unreadable request) get the same JSON shape and a line.
    if (!response.body.empty())
        return;
    const QString message = ErrorMapping::messageForStatus(response.status);
    CallLog call(log, QStringLiteral("%1 %2").arg(QString::fromStdString(request.method), QString::fromStdString(request.path)));
    call.failed(response.status, message);
    answerError(response, response.status, message);
}

CommissionHttpServer::CommissionHttpServer(const HttpSettings &settings, ConnectionProvider &connections, LogSink log)
    : d(std::make_unique<Private>(settings, connections, std::move(log)))
{
    d->configure();
}

CommissionHttpServer::~CommissionHttpServer()
{
    stop();
}

std::optional<int> CommissionHttpServer::bind()
{
    const std::string host = d->settings.listenAddress.toStdString();
    if (d->settings.port == 0) {
        const int port = d->server.bind_to_any_port(host);
        return port > 0 ? std::optional<int>(port) : std::nullopt;
    }
    return d->server.bind_to_port(host, d->settings.port) ? std::optional<int>(d->settings.port) : std::nullopt;
}

void CommissionHttpServer::run()
{
    d->entered = true;
    if (!d->stopRequested)
        d->server.listen_after_bind();
    d->finished = true;
}

void CommissionHttpServer::stop()
{
    d->stopRequested = true;
    if (!d->entered)
        return;  // run() has not begun and will not listen
    while (!d->server.is_running() && !d->finished)
        std::this_thread::yield();
    d->server.stop();
}

}  // namespace commission
