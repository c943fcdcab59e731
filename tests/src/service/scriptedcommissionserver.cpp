#include "scriptedcommissionserver.h"

#include "remotecontract.h"

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>

#include <chrono>
#include <stdexcept>

ScriptedCommissionServer::Reply ScriptedCommissionServer::Reply::result(const QJsonValue &value)
{
    return {200, QJsonDocument(QJsonObject{{QStringLiteral("result"), value}}).toJson(QJsonDocument::Compact), 0};
}

ScriptedCommissionServer::Reply ScriptedCommissionServer::Reply::error(int status, const QString &message)
{
    return {status, QJsonDocument(QJsonObject{{QStringLiteral("error"), message}}).toJson(QJsonDocument::Compact), 0};
}

ScriptedCommissionServer::Reply ScriptedCommissionServer::Reply::raw(const QByteArray &body)
{
    return {200, body, 0};
}

ScriptedCommissionServer::ScriptedCommissionServer() : m_server(std::make_unique<httplib::Server>())
{
    m_server->set_tcp_nodelay(true);
    const std::string prefix = contract::RemoteContract::path(QString()).toStdString();
    m_server->Post(R"(/rdm/([^/]+)/([^/]+))",
                   [this, prefix](const httplib::Request &request, httplib::Response &response) {
                       if (request.path.rfind(prefix, 0) != 0) {
                           response.status = 404;
                           return;
                       }
                       const QString method = QString::fromStdString(request.path.substr(prefix.size()));
                       const Reply reply = handle(method, QByteArray::fromStdString(request.body));
                       if (reply.delayMs > 0)
                           std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
                       response.status = reply.status;
                       response.set_content(reply.body.toStdString(), "application/json");
                   });
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        throw std::runtime_error("the scripted commission server found no free port");
    // The socket listens from here on; calls made before the accept loop runs wait in its queue.
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // Stopping works only on a running server: wait for the accept loop.
    while (!m_server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

ScriptedCommissionServer::~ScriptedCommissionServer()
{
    // stop() does nothing until the accept loop runs; wait for it, or a server
    // that goes right after it came leaves the thread listening for ever.
    while (!m_server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_server->stop();
    m_thread.join();
}

void ScriptedCommissionServer::script(const QString &method, const Script &answer)
{
    QMutexLocker lock(&m_mutex);
    m_scripts.insert(method, answer);
}

void ScriptedCommissionServer::answer(const QString &method, const Reply &reply)
{
    script(method, [reply](const QJsonArray &) { return reply; });
}

int ScriptedCommissionServer::calls(const QString &method) const
{
    QMutexLocker lock(&m_mutex);
    return int(m_calls.value(method).size());
}

QList<QJsonArray> ScriptedCommissionServer::arguments(const QString &method) const
{
    QMutexLocker lock(&m_mutex);
    return m_calls.value(method);
}

void ScriptedCommissionServer::resetCounts()
{
    QMutexLocker lock(&m_mutex);
    m_calls.clear();
}

ScriptedCommissionServer::Reply ScriptedCommissionServer::handle(const QString &method, const QByteArray &body)
{
    const QJsonArray arguments = QJsonDocument::fromJson(body).object().value(QStringLiteral("args")).toArray();
    Script answer;
    {
        QMutexLocker lock(&m_mutex);
        m_calls[method].append(arguments);
        answer = m_scripts.value(method);
    }
    if (!answer)
        return Reply::error(404, QStringLiteral("unknown method ") + method);
    return answer(arguments);
}
