#include "callhandler.h"

#include "callarguments.h"
#include "connectionprovider.h"
#include "errormapping.h"
#include "serviceerror.h"
#include "sqlrunner.h"

#include <remotecontract.h>

#include <QJsonDocument>
#include <QJsonObject>

namespace commission {

namespace {

constexpr std::string_view callPrefix = "/rdm/";
constexpr std::string_view healthPath = "/health";

bool isHealthCheck(std::string_view verb, std::string_view target)
{
    return verb == "GET" && target.substr(0, target.find('?')) == healthPath;
}

// Runs over the whole given text whatever it holds, so the time taken tells
// nothing about how much of a guess was right.
bool sameSecret(std::string_view given, const QByteArray &expected)
{
    unsigned difference = given.size() != size_t(expected.size()) ? 1 : 0;
    for (size_t i = 0; i < given.size(); ++i) {
        const char wanted = i < size_t(expected.size()) ? expected[qsizetype(i)] : '\0';
        difference |= static_cast<unsigned char>(given[i] ^ wanted);
    }
    return difference == 0;
}

std::string json(const QJsonObject &body)
{
    return QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString();
}

HttpAnswer errorAnswer(int status, const QString &text)
{
    return HttpAnswer{status, json(QJsonObject{{QStringLiteral("error"), text}}), 0, false};
}

// "/rdm/<object>/<method>" without a query; false for any other target.
bool splitCall(std::string_view target, QString *object, QString *method)
{
    target = target.substr(0, target.find('?'));
    if (target.substr(0, callPrefix.size()) != callPrefix)
        return false;
    target.remove_prefix(callPrefix.size());
    const size_t slash = target.find('/');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 == target.size()
        || target.find('/', slash + 1) != std::string_view::npos)
        return false;
    if (object)
        *object = QString::fromUtf8(target.data(), qsizetype(slash));
    if (method)
        *method = QString::fromUtf8(target.data() + slash + 1, qsizetype(target.size() - slash - 1));
    return true;
}

QString describeRequest(std::string_view verb, std::string_view target)
{
    return QStringLiteral("%1 %2").arg(
        QString::fromUtf8(verb.data(), qsizetype(verb.size())),
        QString::fromUtf8(target.data(), qsizetype(std::min<size_t>(target.size(), 200))));
}

}  // namespace

const std::string_view CallHandler::secretHeader = contract::RemoteContract::secretHeader;

CallHandler::CallHandler(const HttpSettings &settings, ConnectionProvider &connections, LogSink log)
    : m_settings(settings), m_secret(settings.secret.toUtf8()), m_connections(connections), m_log(std::move(log)),
      m_service(connections), m_endpoint(m_service)
{
}

std::optional<HttpAnswer> CallHandler::screen(std::string_view verb, std::string_view target,
                                              std::string_view secret) const
{
    // A balancer asks without the secret; the answer tells nothing of the data.
    if (isHealthCheck(verb, target))
        return std::nullopt;
    if (!m_secret.isEmpty() && !sameSecret(secret, m_secret)) {
        CallLog call(m_log, describeRequest(verb, target));
        const QString message = QStringLiteral("Chamada sem o segredo compartilhado correto.");
        HttpAnswer answer = errorAnswer(ErrorMapping::httpStatus(ServiceError::Kind::Unauthorized), message);
        answer.closeConnection = true;  // its body is never read
        call.failed(answer.status, message);
        return answer;
    }
    if (!splitCall(target, nullptr, nullptr)) {
        HttpAnswer answer = refuse(404, describeRequest(verb, target));
        answer.closeConnection = true;
        return answer;
    }
    if (verb != "POST") {
        HttpAnswer answer = refuse(405, describeRequest(verb, target));
        answer.closeConnection = true;
        return answer;
    }
    return std::nullopt;
}

HttpAnswer CallHandler::health()
{
    try {
        SqlRunner::run(m_connections.database(), QStringLiteral("SELECT 1"));
        return HttpAnswer{200, json(QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")}}), 0, false};
    } catch (const ServiceError &error) {
        m_connections.discard();
        const ErrorAnswer mapped = ErrorMapping::answer(ServiceError(
            ServiceError::Kind::Unavailable, QStringLiteral("Banco de dados indisponível"), error.detail()));
        CallLog call(m_log, QString::fromLatin1(healthPath.data(), qsizetype(healthPath.size())));
        call.failed(mapped.status, mapped.logText);
        return HttpAnswer{mapped.status,
                          json(QJsonObject{{QStringLiteral("status"), QStringLiteral("indisponível")},
                                           {QStringLiteral("error"), mapped.text}}),
                          0, false};
    }
}

HttpAnswer CallHandler::call(std::string_view target, std::string body, const QString &origin)
{
    if (target.substr(0, target.find('?')) == healthPath)
        return health();
    QString object;
    QString method;
    splitCall(target, &object, &method);
    CallLog call(m_log, method);
    try {
        if (object != CommissionEndpoint::objectName || !m_endpoint.hasMethod(method))
            throw ServiceError(ServiceError::Kind::NotFound,
                               QStringLiteral("Objeto ou método desconhecido: %1.%2.").arg(object, method));
        // The arguments read large packets from the body as they go; it
        // lives until the call ends.
        const CallArguments arguments =
            CallArguments::parse(QByteArray::fromRawData(body.data(), qsizetype(body.size())));
        CallOutcome outcome = m_endpoint.call(method, arguments, origin);
        call.setBranch(outcome.branch);
        call.succeeded(outcome.refusal);
        return HttpAnswer{200, std::move(outcome.body), 0, false};
    } catch (const ServiceError &error) {
        // A broken connection is dropped, so the next call on this worker
        // opens a new one.
        if (error.kind() == ServiceError::Kind::Unavailable)
            m_connections.discard();
        const ErrorAnswer mapped = ErrorMapping::answer(error);
        call.failed(mapped.status, mapped.logText);
        return errorAnswer(mapped.status, mapped.text);
    }
}

HttpAnswer CallHandler::refuse(int status, const QString &request) const
{
    const QString message = ErrorMapping::messageForStatus(status);
    CallLog call(m_log, request);
    call.failed(status, message);
    HttpAnswer answer = errorAnswer(status, message);
    if (status == 503)
        answer.retryAfterSeconds = busyRetrySeconds;
    return answer;
}

}  // namespace commission
