#include "fakeservicehost.h"

#include "remotecontract.h"

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>

struct FakeServiceHost::Private {
    httplib::Server server;
    std::thread thread;
    std::atomic<bool> listenEnded = false;
    int port = 0;
    mutable std::mutex mutex;
    Answer answer;
    QVector<Answer> firstAnswers;
    QVector<Request> requests;
};

QJsonArray FakeServiceHost::Request::args() const
{
    return QJsonDocument::fromJson(body).object().value(QStringLiteral("args")).toArray();
}

FakeServiceHost::FakeServiceHost() : d(std::make_unique<Private>())
{
    d->server.set_tcp_nodelay(true);
    d->server.Post(R"(/.*)", [this](const httplib::Request &request, httplib::Response &response) {
        Answer answer;
        {
            std::lock_guard lock(d->mutex);
            Request recorded;
            recorded.path = QString::fromStdString(request.path);
            recorded.contentType = QString::fromStdString(request.get_header_value("Content-Type"));
            recorded.hasSecret = request.has_header(contract::RemoteContract::secretHeader);
            recorded.secret = QString::fromStdString(request.get_header_value(contract::RemoteContract::secretHeader));
            recorded.body = QByteArray::fromStdString(request.body);
            d->requests.append(recorded);
            answer = d->firstAnswers.isEmpty() ? d->answer : d->firstAnswers.takeFirst();
        }
        if (answer.delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(answer.delayMs));
        response.status = answer.status;
        response.set_content(answer.body.toStdString(), "application/json");
    });
    d->port = d->server.bind_to_any_port("127.0.0.1");
    d->thread = std::thread([this] {
        d->server.listen_after_bind();
        d->listenEnded = true;
    });
    // The socket already listens, so calls made before the accept loop runs
    // just wait in the backlog.
}

FakeServiceHost::~FakeServiceHost()
{
    // stop() does nothing until the accept loop runs: a host that goes right
    // after it came would otherwise leave the thread listening for ever.
    while (!d->server.is_running() && !d->listenEnded)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    d->server.stop();
    d->thread.join();
}

int FakeServiceHost::port() const
{
    return d->port;
}

void FakeServiceHost::answerWith(const Answer &answer)
{
    std::lock_guard lock(d->mutex);
    d->answer = answer;
}

void FakeServiceHost::answerFirstWith(const Answer &answer)
{
    std::lock_guard lock(d->mutex);
    d->firstAnswers.append(answer);
}

void FakeServiceHost::answerWithResult(const QByteArray &resultJson)
{
    answerWith({200, "{\"result\":" + resultJson + "}", 0});
}

void FakeServiceHost::setKeepAliveTimeoutSeconds(int seconds)
{
    d->server.set_keep_alive_timeout(seconds);
}

QVector<FakeServiceHost::Request> FakeServiceHost::requests() const
{
    std::lock_guard lock(d->mutex);
    return d->requests;
}

FakeServiceHost::Request FakeServiceHost::lastRequest() const
{
    std::lock_guard lock(d->mutex);
    return d->requests.isEmpty() ? Request() : d->requests.last();
}

int FakeServiceHost::closedPort()
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
