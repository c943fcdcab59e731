#include "testserver.h"

#include <operatorrepository.h>
#include <remotecontract.h>
#include <schema.h>
#include <secrets.h>
#include <serviceerror.h>
#include <sessionrepository.h>
#include <sqlrunner.h>
#include <writetransaction.h>

#include <QDateTime>

#include <stdexcept>

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>

const std::string TestServer::secretHeader = contract::RemoteContract::secretHeader;
const QString TestServer::operatorCode = QStringLiteral("OP7");

QByteArray TestServer::authorizationLine()
{
    return QByteArray("Authorization: Bearer ") + token + "\r\n";
}

void TestServer::provideOperator(const QSqlDatabase &db)
{
    using namespace commission;
    if (Schema::version(db) < Schema::latestVersion())
        return;
    const QString digest = Secrets::tokenDigest(QString::fromLatin1(token));
    SessionRepository sessions(db);
    if (sessions.find(digest))
        return;
    WriteTransaction transaction(db);
    OperatorRepository operators(db);
    // No password signs in as OP7: its session is opened here.
    operators.add(StoredOperator{operatorCode, QStringLiteral("Operador de teste"), true, QStringLiteral("-")});
    operators.grant(operatorCode, QStringLiteral("*"), OperatorGrants::allRights());
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    sessions.open(digest, StoredSession{operatorCode, QStringLiteral("Operador de teste"), now, now},
                  QStringLiteral("teste"));
    transaction.commit();
}

commission::HttpSettings TestServer::settings(const QString &secret)
{
    commission::HttpSettings settings;
    settings.secret = secret;
    settings.threads = 4;
    return settings;
}

TestServer::TestServer(const database::ConnectionString &where, const QString &secret)
    : TestServer(where, settings(secret))
{
}

TestServer::TestServer(const database::ConnectionString &where, commission::HttpSettings settings,
                       std::function<void(const QString &method)> probe)
    : m_connections(std::make_unique<commission::ConnectionProvider>(where))
{
    try {
        provideOperator(m_connections->database());
    } catch (const commission::ServiceError &error) {
        throw std::runtime_error(
            QStringLiteral("TestServer: operador de teste não gravado: %1").arg(error.message()).toStdString());
    }
    start(std::move(settings), std::move(probe));
}

TestServer::TestServer(const database::ConnectionString &where, UnreachableDatabase)
    : m_connections(std::make_unique<commission::ConnectionProvider>(where))
{
    start(settings(), {});
}

void TestServer::start(commission::HttpSettings settings, std::function<void(const QString &method)> probe)
{
    settings.port = 0;
    m_server =
        std::make_unique<commission::CommissionHttpServer>(settings, *m_connections, [this](const QString &line) {
            const QMutexLocker lock(&m_mutex);
            m_log.append(line);
        });
    m_server->setCallProbe(std::move(probe));
    const QString tls = m_server->prepareTls();
    if (!tls.isEmpty())
        throw std::runtime_error(("TestServer: " + tls).toStdString());
    m_port = m_server->bind().value_or(0);
    if (m_port == 0)
        throw std::runtime_error("TestServer: nenhuma porta livre no loopback");
    m_thread = std::thread([this] { m_server->run(); });
}

TestServer::~TestServer()
{
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

QStringList TestServer::logLines() const
{
    const QMutexLocker lock(&m_mutex);
    return m_log;
}

qint64 TestServer::gauge(const char *name) const
{
    httplib::Client client("127.0.0.1", m_port);
    const httplib::Result result = client.Get("/metrics");
    if (!result || result->status != 200)
        return -1;
    const QByteArray prefix = QByteArray(name) + ' ';
    for (const QByteArray &line : QByteArray::fromStdString(result->body).split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().toLongLong();
    }
    return -1;
}

namespace {

httplib::Headers headersOf(const std::map<std::string, std::string> &headers)
{
    httplib::Headers sent;
    for (const auto &[name, value] : headers) {
        if (!value.empty())
            sent.emplace(name, value);
    }
    if (headers.find("Authorization") == headers.end())
        sent.emplace("Authorization", std::string("Bearer ") + TestServer::token);
    return sent;
}

TestServer::Reply replyOf(const httplib::Result &result)
{
    TestServer::Reply reply;
    if (!result)
        return reply;
    reply.status = result->status;
    reply.raw = QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object();
    reply.result = reply.raw.value(QStringLiteral("result"));
    reply.error = reply.raw.value(QStringLiteral("error")).toString();
    return reply;
}

TestServer::Reply postTo(int port, const std::string &path, const std::string &body,
                         const std::map<std::string, std::string> &headers)
{
    httplib::Client client("127.0.0.1", port);
    client.set_tcp_nodelay(true);
    return replyOf(client.Post(path, headersOf(headers), body, "application/json"));
}

std::string callBody(const QJsonArray &arguments)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("args"), arguments}}).toJson(QJsonDocument::Compact).toStdString();
}

std::string callPath(const QString &method)
{
    return contract::RemoteContract::path(method).toStdString();
}

}  // namespace

TestServer::Reply TestServer::post(const std::string &path, const std::string &body,
                                   const std::map<std::string, std::string> &headers) const
{
    return postTo(m_port, path, body, headers);
}

TestServer::Reply TestServer::call(const QString &method, const QJsonArray &arguments,
                                   const std::map<std::string, std::string> &headers) const
{
    return postTo(m_port, callPath(method), callBody(arguments), headers);
}

TestServer::Reply TestServer::remove(const std::string &path, const std::map<std::string, std::string> &headers) const
{
    httplib::Client client("127.0.0.1", m_port);
    return replyOf(client.Delete(path, headersOf(headers)));
}

TestServer::Reply TestServer::callPort(int port, const QString &method, const QJsonArray &arguments,
                                       const std::map<std::string, std::string> &headers)
{
    return postTo(port, callPath(method), callBody(arguments), headers);
}

namespace args {

QJsonArray generation(const QJsonValue &quotesPacket)
{
    return {packet(quotesPacket), text(TestServer::operatorCode, false)};
}

QJsonArray cancellation(const QJsonValue &quotesPacket)
{
    QJsonArray arguments = generation(quotesPacket);
    arguments.append(text(QStringLiteral("Evento cancelado pelo cliente"), false));
    return arguments;
}

QJsonValue text(const QString &value, bool byRef)
{
    return QJsonObject{{QStringLiteral("kind"), QStringLiteral("text")},
                       {QStringLiteral("ref"), byRef},
                       {QStringLiteral("value"), value}};
}

QJsonValue date(double days, bool byRef)
{
    return QJsonObject{{QStringLiteral("kind"), QStringLiteral("date")},
                       {QStringLiteral("ref"), byRef},
                       {QStringLiteral("value"), days}};
}

QJsonValue packet(const QJsonValue &packet)
{
    return QJsonObject{{QStringLiteral("kind"), QStringLiteral("packet")},
                       {QStringLiteral("ref"), false},
                       {QStringLiteral("value"), packet}};
}

QJsonArray listing(const QString &branch, const QString &salespeople, const QString &eventTypes,
                   const QString &dateBase, const QString &everyoneEarns, double from, double to, const QString &status,
                   bool salespersonByRef)
{
    return QJsonArray{text(branch, true),
                      text(salespeople, salespersonByRef),
                      text(eventTypes, true),
                      text(dateBase, false),
                      text(everyoneEarns, false),
                      date(from, true),
                      date(to, true),
                      text(status, true)};
}

}  // namespace args
