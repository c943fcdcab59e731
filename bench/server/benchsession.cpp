#include "benchsession.h"

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

namespace {

struct State {
    std::string token;
    std::string headerLine;
    QString operatorCode;
};

State &state()
{
    static State current;
    return current;
}

}  // namespace

void BenchSession::use(const QString &token, const QString &operatorCode)
{
    state().token = token.toStdString();
    state().headerLine = "Authorization: Bearer " + state().token + "\r\n";
    state().operatorCode = operatorCode;
}

void BenchSession::signIn(int port, const QString &operatorCode, const QString &password)
{
    httplib::Client client("127.0.0.1", port);
    const std::string body =
        QJsonDocument(QJsonObject{{QStringLiteral("operador"), operatorCode}, {QStringLiteral("senha"), password}})
            .toJson(QJsonDocument::Compact)
            .toStdString();
    const httplib::Result result = client.Post("/sessao", body, "application/json");
    if (!result)
        throw std::runtime_error("sem resposta do servidor ao entrar");
    const QJsonObject answer = QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object();
    if (result->status != 200)
        throw std::runtime_error("entrada recusada: " + answer.value(QStringLiteral("error")).toString().toStdString());
    use(answer.value(QStringLiteral("sessao")).toString(), answer.value(QStringLiteral("operador")).toString());
}

const std::string &BenchSession::token()
{
    return state().token;
}

const std::string &BenchSession::headerLine()
{
    return state().headerLine;
}

QString BenchSession::operatorCode()
{
    return state().operatorCode;
}
