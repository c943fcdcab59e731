#include "benchclient.h"

#include "benchsession.h"

#include <daycount.h>
#include <remotecontract.h>

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

BenchClient::BenchClient(int port) : m_client(std::make_unique<httplib::Client>("127.0.0.1", port))
{
    m_client->set_tcp_nodelay(true);
    m_client->set_keep_alive(true);
    m_client->set_read_timeout(60, 0);
}

BenchClient::~BenchClient() = default;

std::string BenchClient::path(const QString &method)
{
    return contract::RemoteContract::path(method).toStdString();
}

std::string BenchClient::requestBody(const QJsonArray &arguments)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("args"), arguments}}).toJson(QJsonDocument::Compact).toStdString();
}

QJsonValue BenchClient::call(const QString &method, const QJsonArray &arguments)
{
    return post(method, requestBody(arguments));
}

QJsonValue BenchClient::post(const QString &method, const std::string &body)
{
    httplib::Headers headers;
    if (!BenchSession::token().empty())
        headers.emplace("Authorization", "Bearer " + BenchSession::token());
    const httplib::Result result = m_client->Post(path(method), headers, body, "application/json");
    if (!result)
        throw std::runtime_error("sem resposta do servidor: " + httplib::to_string(result.error()));
    const QJsonObject answer = QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object();
    if (result->status != 200)
        throw std::runtime_error(method.toStdString() + ": HTTP " + std::to_string(result->status) + " "
                                 + answer.value(QStringLiteral("error")).toString().toStdString());
    return answer.value(QStringLiteral("result"));
}

QJsonArray BenchClient::listingArguments(const QString &branch, const QString &salesperson, bool single, QDate from,
                                         QDate to, bool generated)
{
    return QJsonArray{text(branch, true),
                      text(salesperson, !single),
                      text(QString(), true),
                      text(QStringLiteral("EVENTO"), false),
                      text(QStringLiteral("S"), false),
                      date(packet::toDayCount(from), true),
                      date(packet::toDayCount(to), true),
                      text(generated ? QStringLiteral("S") : QStringLiteral("N"), true)};
}

QJsonValue BenchClient::text(const QString &value, bool byRef)
{
    return QJsonObject{{QStringLiteral("kind"), QStringLiteral("text")},
                       {QStringLiteral("ref"), byRef},
                       {QStringLiteral("value"), value}};
}

QJsonValue BenchClient::date(double days, bool byRef)
{
    return QJsonObject{{QStringLiteral("kind"), QStringLiteral("date")},
                       {QStringLiteral("ref"), byRef},
                       {QStringLiteral("value"), days}};
}

QJsonValue BenchClient::packet(const QJsonValue &packet)
{
    return QJsonObject{{QStringLiteral("kind"), QStringLiteral("packet")},
                       {QStringLiteral("ref"), false},
                       {QStringLiteral("value"), packet}};
}
