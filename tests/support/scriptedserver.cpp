#include "scriptedserver.h"

#include "remotecontract.h"

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace {

// The server's pool of connection handlers, counting the connections it
// takes: each task it is given is one accepted connection, served until it
// is closed.
class CountingPool : public httplib::TaskQueue {
public:
    CountingPool(std::atomic<int> &accepted, std::atomic<int> &open)
        : m_pool(CPPHTTPLIB_THREAD_POOL_COUNT), m_accepted(accepted), m_open(open)
    {
    }

    void enqueue(std::function<void()> serve) override
    {
        ++m_accepted;
        ++m_open;
        m_pool.enqueue([this, serve = std::move(serve)] {
            serve();
            --m_open;
        });
    }
    void shutdown() override { m_pool.shutdown(); }

private:
    httplib::ThreadPool m_pool;
    std::atomic<int> &m_accepted;
    std::atomic<int> &m_open;
};

}  // namespace

struct ScriptedServer::Private {
    // Before the server, which counts into them until it is gone.
    std::atomic<int> accepted{0};
    std::atomic<int> open{0};
    httplib::Server server;
    std::thread thread;
    int port = 0;
    mutable std::mutex mutex;
    QHash<QString, Script> scripts;
    std::optional<Reply> everyCall;
    QList<Reply> nextReplies;
    QList<Request> requests;
    SignInScript signIn;
    Reply signOut = Reply::result(true);
    QString requiredBearer;
    // Withheld answers wait for the next release, or for the server's end.
    std::condition_variable released;
    int releases = 0;
    bool closing = false;

    // False when the server goes before the answer was released.
    bool waitForRelease()
    {
        std::unique_lock lock(mutex);
        const int seen = releases;
        released.wait(lock, [&] { return releases > seen || closing; });
        return !closing;
    }

    Reply replyTo(const Request &request)
    {
        Script script;
        {
            std::lock_guard lock(mutex);
            requests.append(request);
            if (!requiredBearer.isEmpty() && request.bearer != requiredBearer)
                return Reply::error(401, sessionEndedText);
            if (!nextReplies.isEmpty())
                return nextReplies.takeFirst();
            script = scripts.value(request.method);
            if (!script)
                return everyCall ? *everyCall : Reply::error(404, QStringLiteral("nada responde a ") + request.path);
        }
        return script(request.args());  // a script may take its time: it runs without the lock
    }
};

const QString ScriptedServer::sessionEndedText = QStringLiteral("Sessão encerrada ou expirada. Entre novamente.");

ScriptedServer::Reply ScriptedServer::Reply::result(const QJsonValue &value)
{
    return {200, QJsonDocument(QJsonObject{{QStringLiteral("result"), value}}).toJson(QJsonDocument::Compact), 0};
}

ScriptedServer::Reply ScriptedServer::Reply::error(int status, const QString &message)
{
    return {status, QJsonDocument(QJsonObject{{QStringLiteral("error"), message}}).toJson(QJsonDocument::Compact), 0};
}

ScriptedServer::Reply ScriptedServer::Reply::withheldUntilReleased(Reply reply)
{
    reply.withheld = true;
    return reply;
}

ScriptedServer::Reply ScriptedServer::Reply::raw(const QByteArray &body)
{
    return {200, body, 0};
}

ScriptedServer::Reply ScriptedServer::Reply::resultText(const QByteArray &json)
{
    return {200, "{\"result\":" + json + "}", 0};
}

ScriptedServer::Reply ScriptedServer::Reply::signedIn(const QString &token, const QString &operatorCode,
                                                      const QString &name, const QJsonArray &rights)
{
    const QJsonObject answer{{QStringLiteral("sessao"), token},
                             {QStringLiteral("operador"), operatorCode},
                             {QStringLiteral("nome"), name},
                             {QStringLiteral("permissoes"), rights},
                             {QStringLiteral("expira"), QStringLiteral("2026-12-09T14:00:00Z")}};
    return {200, QJsonDocument(answer).toJson(QJsonDocument::Compact), 0};
}

QJsonArray ScriptedServer::Reply::everyRight()
{
    return {QJsonObject{{QStringLiteral("filial"), QStringLiteral("*")},
                        {QStringLiteral("direitos"),
                         QJsonArray{contract::RemoteContract::rightToList, contract::RemoteContract::rightToGenerate,
                                    contract::RemoteContract::rightToCancel}}}};
}

QJsonArray ScriptedServer::Request::args() const
{
    return QJsonDocument::fromJson(body).object().value(QStringLiteral("args")).toArray();
}

ScriptedServer::ScriptedServer() : d(std::make_unique<Private>())
{
    d->server.set_tcp_nodelay(true);
    d->server.new_task_queue = [this] { return new CountingPool(d->accepted, d->open); };
    const QString methodPrefix = contract::RemoteContract::path(QString());
    const auto recorded = [methodPrefix](const httplib::Request &http) {
        Request request;
        request.path = QString::fromStdString(http.path);
        request.verb = QString::fromStdString(http.method);
        if (request.path.startsWith(methodPrefix))
            request.method = request.path.mid(methodPrefix.size());
        request.contentType = QString::fromStdString(http.get_header_value("Content-Type"));
        request.hasSecret = http.has_header(contract::RemoteContract::secretHeader);
        request.secret = QString::fromStdString(http.get_header_value(contract::RemoteContract::secretHeader));
        const QString authorization = QString::fromStdString(http.get_header_value("Authorization"));
        if (authorization.startsWith(QLatin1String("Bearer ")))
            request.bearer = authorization.mid(7);
        request.body = QByteArray::fromStdString(http.body);
        return request;
    };
    const auto send = [](const Reply &reply, httplib::Response &response) {
        if (reply.delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
        response.status = reply.status;
        response.set_content(reply.body.toStdString(), "application/json");
    };
    const std::string sessionPath = contract::RemoteContract::sessionPath;
    d->server.Post(sessionPath, [this, recorded, send](const httplib::Request &http, httplib::Response &response) {
        const Request request = recorded(http);
        SignInScript script;
        {
            std::lock_guard lock(d->mutex);
            d->requests.append(request);
            script = d->signIn;
        }
        const QJsonObject body = QJsonDocument::fromJson(request.body).object();
        send(script ? script(body.value(QStringLiteral("operador")).toString(),
                             body.value(QStringLiteral("senha")).toString())
                    : Reply::error(404, QStringLiteral("nada responde a ") + request.path),
             response);
    });
    d->server.Delete(sessionPath, [this, recorded, send](const httplib::Request &http, httplib::Response &response) {
        const Request request = recorded(http);
        Reply reply;
        {
            std::lock_guard lock(d->mutex);
            d->requests.append(request);
            reply = d->signOut;
        }
        send(reply, response);
    });
    d->server.Post(R"(/.*)", [this, recorded, send](const httplib::Request &http, httplib::Response &response) {
        const Reply reply = d->replyTo(recorded(http));
        if (reply.withheld && !d->waitForRelease())
            return;
        send(reply, response);
    });
    d->port = d->server.bind_to_any_port("127.0.0.1");
    if (d->port <= 0)
        throw std::runtime_error("the scripted server found no free port");
    // The socket listens from here on: calls made before the accept loop runs
    // wait in its queue.
    d->thread = std::thread([this] { d->server.listen_after_bind(); });
}

ScriptedServer::~ScriptedServer()
{
    // stop() does nothing until the accept loop runs; wait for it, or a server
    // that goes right after it came leaves the thread listening for ever.
    while (!d->server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    {
        std::lock_guard lock(d->mutex);
        d->closing = true;
    }
    d->released.notify_all();
    d->server.stop();
    d->thread.join();
}

int ScriptedServer::port() const
{
    return d->port;
}

int ScriptedServer::connectionsAccepted() const
{
    return d->accepted;
}

int ScriptedServer::connectionsOpen() const
{
    return d->open;
}

void ScriptedServer::script(const QString &method, const Script &answer)
{
    std::lock_guard lock(d->mutex);
    d->scripts.insert(method, answer);
}

void ScriptedServer::answer(const QString &method, const Reply &reply)
{
    script(method, [reply](const QJsonArray &) { return reply; });
}

void ScriptedServer::answerEveryCall(const Reply &reply)
{
    std::lock_guard lock(d->mutex);
    d->everyCall = reply;
}

void ScriptedServer::answerNext(const Reply &reply)
{
    std::lock_guard lock(d->mutex);
    d->nextReplies.append(reply);
}

void ScriptedServer::setKeepAliveTimeoutSeconds(int seconds)
{
    d->server.set_keep_alive_timeout(seconds);
}

void ScriptedServer::releaseWithheld()
{
    {
        std::lock_guard lock(d->mutex);
        ++d->releases;
    }
    d->released.notify_all();
}

void ScriptedServer::scriptSignIn(const SignInScript &answer)
{
    std::lock_guard lock(d->mutex);
    d->signIn = answer;
}

void ScriptedServer::answerSignOut(const Reply &reply)
{
    std::lock_guard lock(d->mutex);
    d->signOut = reply;
}

void ScriptedServer::requireBearer(const QString &token)
{
    std::lock_guard lock(d->mutex);
    d->requiredBearer = token;
}

QList<ScriptedServer::Request> ScriptedServer::sessionRequests() const
{
    std::lock_guard lock(d->mutex);
    QList<Request> found;
    for (const Request &request : d->requests) {
        if (request.path == QLatin1String(contract::RemoteContract::sessionPath))
            found.append(request);
    }
    return found;
}

QList<ScriptedServer::Request> ScriptedServer::requests() const
{
    std::lock_guard lock(d->mutex);
    return d->requests;
}

ScriptedServer::Request ScriptedServer::lastRequest() const
{
    std::lock_guard lock(d->mutex);
    return d->requests.isEmpty() ? Request() : d->requests.last();
}

int ScriptedServer::calls(const QString &method) const
{
    std::lock_guard lock(d->mutex);
    return int(std::count_if(d->requests.cbegin(), d->requests.cend(),
                             [&](const Request &request) { return request.method == method; }));
}

QList<QJsonArray> ScriptedServer::arguments(const QString &method) const
{
    std::lock_guard lock(d->mutex);
    QList<QJsonArray> arguments;
    for (const Request &request : d->requests) {
        if (request.method == method)
            arguments.append(request.args());
    }
    return arguments;
}

void ScriptedServer::resetCounts()
{
    std::lock_guard lock(d->mutex);
    d->requests.clear();
}

int ScriptedServer::closedPort()
{
    // A socket bound to port 0 and never listening: connections to its port
    // are refused, and no other program can take the port while the test
    // runs (the socket stays open until the process ends).
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (sock < 0 || ::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::getsockname(sock, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("no port could be reserved");
    return ntohs(address.sin_port);
}
