#include "callhandler.h"

#include "callarguments.h"
#include "connectionprovider.h"
#include "errormapping.h"
#include "operatorrepository.h"
#include "runningcalls.h"
#include "secrets.h"
#include "serviceerror.h"
#include "sqlrunner.h"

#include <outcomes.h>
#include <remotecontract.h>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cctype>
#include <new>

namespace commission {

namespace {

constexpr std::string_view callPrefix = "/rdm/";
constexpr std::string_view healthPath = "/health";
constexpr std::string_view metricsPath = "/metrics";

bool isHealthCheck(std::string_view verb, std::string_view target)
{
    return verb == "GET" && target.substr(0, target.find('?')) == healthPath;
}

bool isMetricsPath(std::string_view target)
{
    return target.substr(0, target.find('?')) == metricsPath;
}

bool isSessionPath(std::string_view target)
{
    return target.substr(0, target.find('?')) == contract::RemoteContract::sessionPath;
}

// The token of "Authorization: Bearer <token>"; empty when there is none.
QString bearerToken(std::string_view authorization)
{
    constexpr std::string_view scheme = "bearer ";
    if (authorization.size() <= scheme.size())
        return QString();
    for (size_t i = 0; i < scheme.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(authorization[i])) != scheme[i])
            return QString();
    }
    authorization.remove_prefix(scheme.size());
    return QString::fromLatin1(authorization.data(), qsizetype(authorization.size())).trimmed();
}

QString isoTime(qint64 secondsSinceEpoch)
{
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch, Qt::UTC).toString(Qt::ISODate);
}

std::string json(const QJsonObject &body)
{
    return QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString();
}

HttpAnswer errorAnswer(int status, const QString &text, const QJsonObject &details = {})
{
    QJsonObject body{{QStringLiteral("error"), text}};
    if (!details.isEmpty())
        body.insert(contract::Outcomes::details, details);
    return HttpAnswer{status, json(body), 0, false, std::string_view()};
}

// The answer, its size told to the call's log line.
HttpAnswer sized(CallLog &log, HttpAnswer answer)
{
    log.setBytes(qint64(answer.body.size()));
    return answer;
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
      m_metrics(contract::RemoteContract::methods()), m_sessions(connections, settings.directory),
      m_service(connections, [this] { m_metrics.databaseRetry(); }), m_endpoint(m_service)
{
}

std::optional<HttpAnswer> CallHandler::screen(std::string_view verb, std::string_view target, std::string_view secret,
                                              std::string_view authorization) const
{
    // A balancer asks without the secret; the answer tells nothing of the data.
    if (isHealthCheck(verb, target))
        return std::nullopt;
    // The metrics tell how busy the server is and what is called: a server
    // with a secret shows them only to who knows it, on loopback too.
    const bool metrics = isMetricsPath(target);
    if (!m_secret.isEmpty()
        && !Secrets::same(QByteArray::fromRawData(secret.data(), qsizetype(secret.size())), m_secret)
        && !(metrics && Secrets::same(bearerToken(authorization).toUtf8(), m_secret))) {
        CallLog call(m_log, describeRequest(verb, target), &m_metrics);
        const QString message = QStringLiteral("Chamada sem o segredo compartilhado correto.");
        HttpAnswer answer = errorAnswer(ErrorMapping::httpStatus(ServiceError::Kind::Unauthorized), message);
        answer.closeConnection = true;  // its body is never read
        call.failed(answer.status, message);
        call.setBytes(qint64(answer.body.size()));
        return answer;
    }
    if (metrics) {
        if (verb == "GET")
            return std::nullopt;
        HttpAnswer answer = refuse(405, describeRequest(verb, target));
        answer.closeConnection = true;
        return answer;
    }
    if (isSessionPath(target)) {
        if (verb == "POST" || verb == "DELETE")
            return std::nullopt;
        HttpAnswer answer = refuse(405, describeRequest(verb, target));
        answer.closeConnection = true;
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
        return HttpAnswer{200, json(QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")}}), 0, false,
                          std::string_view()};
    } catch (const ServiceError &error) {
        m_connections.discard();
        m_metrics.databaseError();
        const ErrorAnswer mapped = ErrorMapping::answer(ServiceError(
            ServiceError::Kind::Unavailable, QStringLiteral("Banco de dados indisponível"), error.detail()));
        CallLog call(m_log,
                     QStringLiteral("GET ") + QString::fromLatin1(healthPath.data(), qsizetype(healthPath.size())),
                     &m_metrics);
        call.failed(mapped.status, mapped.logText, mapped.reference);
        return sized(call, HttpAnswer{mapped.status,
                                      json(QJsonObject{{QStringLiteral("status"), QStringLiteral("indisponível")},
                                                       {QStringLiteral("error"), mapped.text}}),
                                      0, false, std::string_view()});
    }
}

bool CallHandler::answersAtOnce(const CallRequest &request)
{
    return request.verb == "GET" && isMetricsPath(request.target);
}

HttpAnswer CallHandler::call(const CallRequest &request, std::string body, const QString &origin, RunningCalls *running)
{
    // The one boundary of a call: whatever it raises, wherever in the call,
    // becomes its answer and its log line, and the thread goes on serving.
    std::optional<CallLog> log;
    try {
        return answer(request, std::move(body), origin, running, log);
    } catch (...) {
        const ServiceError error = asServiceError(std::current_exception());
        if (!log)
            log.emplace(m_log, describeRequest(request.verb, request.target), &m_metrics);
        return failure(error, *log);
    }
}

HttpAnswer CallHandler::answer(const CallRequest &request, std::string body, const QString &origin,
                               RunningCalls *running, std::optional<CallLog> &log)
{
    // Neither counted nor logged, like the health checks: a scrape every
    // few seconds is not a call.
    if (answersAtOnce(request))
        return HttpAnswer{200, m_metrics.text(), 0, false, ServerMetrics::contentType};
    std::optional<RunningCalls::Scope> scope;
    if (running) {
        const QString description = describeRequest(request.verb, request.target);
        scope.emplace(*running, description);
        if (!scope->admitted())
            return refuse(503, QStringLiteral("%1 (servidor encerrando)").arg(description));
    }
    if (isHealthCheck(request.verb, request.target))
        return health();
    const bool sessionCall = isSessionPath(request.target);
    QString method;
    if (sessionCall)
        method = describeRequest(request.verb, contract::RemoteContract::sessionPath);
    else
        splitCall(request.target, nullptr, &method);
    log.emplace(m_log, method, &m_metrics);
    if (!sessionCall)
        return sized(*log, methodCall(request, std::move(body), origin, *log));
    if (request.verb == "POST")
        return sized(*log, signIn(body, origin, *log));
    HttpAnswer answer = signOut(request);
    log->succeeded(QString());
    return sized(*log, std::move(answer));
}

ServiceError CallHandler::asServiceError(std::exception_ptr raised)
{
    try {
        std::rethrow_exception(std::move(raised));
    } catch (const ServiceError &error) {
        return error;
    } catch (const std::bad_alloc &) {
        return ServiceError::internal(QStringLiteral("Memória insuficiente para a chamada."));
    } catch (const std::exception &error) {
        return ServiceError(ServiceError::Kind::Internal, QStringLiteral("Exceção inesperada na chamada."),
                            QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return ServiceError::internal(QStringLiteral("Exceção desconhecida na chamada."));
    }
}

void CallHandler::lost(std::exception_ptr raised, const char *where) const
{
    const ErrorAnswer mapped = ErrorMapping::answer(asServiceError(std::move(raised)));
    CallLog log(m_log, QStringLiteral("(%1)").arg(QLatin1String(where)), &m_metrics);
    log.failed(mapped.status, QStringLiteral("Conexão perdida: %1").arg(mapped.logText), mapped.reference);
}

HttpAnswer CallHandler::methodCall(const CallRequest &request, std::string body, const QString &origin, CallLog &log)
{
    QString object;
    QString method;
    splitCall(request.target, &object, &method);
    if (object != CommissionEndpoint::objectName || !m_endpoint.hasMethod(method))
        throw ServiceError(ServiceError::Kind::NotFound,
                           QStringLiteral("Objeto ou método desconhecido: %1.%2.").arg(object, method));
    const QString token = bearerToken(request.authorization);
    if (token.isEmpty())
        throw ServiceError(ServiceError::Kind::Unauthorized,
                           QStringLiteral("Sessão não informada. Entre com operador e senha."));
    const SignedInOperator signedIn = m_sessions.authenticate(token);
    log.setOperator(signedIn.code);
    if (m_probe)
        m_probe(method);
    // The arguments read large packets from the body as they go; it lives
    // until the call ends.
    const CallArguments arguments = CallArguments::parse(QByteArray::fromRawData(body.data(), qsizetype(body.size())));
    CallOutcome outcome = m_endpoint.call(method, arguments, origin, signedIn);
    log.setBranch(outcome.branch);
    log.succeeded(outcome.refusal);
    return HttpAnswer{200, std::move(outcome.body), 0, false, std::string_view()};
}

HttpAnswer CallHandler::signIn(const std::string &body, const QString &origin, CallLog &log)
{
    if (body.size() > maxSignInBytes)
        throw ServiceError(ServiceError::Kind::TooLarge, QStringLiteral("Requisição maior que o servidor aceita."));
    const QJsonObject request = QJsonDocument::fromJson(QByteArray::fromStdString(body)).object();
    const QJsonValue code = request.value(QStringLiteral("operador"));
    const QJsonValue password = request.value(QStringLiteral("senha"));
    if (!code.isString() || !password.isString())
        throw ServiceError::badRequest(
            QStringLiteral("Entrada inválida: envie {\"operador\": código, \"senha\": senha}."));
    // What a caller typed reaches the log only when it is a code.
    const QString typed = code.toString().trimmed().toUpper();
    if (OperatorRepository::isOperatorCode(typed))
        log.setOperator(typed);
    const SignInResult result = m_sessions.signIn(code.toString(), password.toString(), origin);
    QJsonArray permissions;
    for (const BranchGrant &grant : result.signedIn.grants.grants())
        permissions.append(QJsonObject{{QStringLiteral("filial"), grant.branch},
                                       {QStringLiteral("direitos"), QJsonArray::fromStringList(grant.rights)}});
    log.setOperator(result.signedIn.code);
    log.succeeded(QString());
    return HttpAnswer{200,
                      json(QJsonObject{{QStringLiteral("sessao"), result.token},
                                       {QStringLiteral("operador"), result.signedIn.code},
                                       {QStringLiteral("nome"), result.signedIn.name},
                                       {QStringLiteral("permissoes"), permissions},
                                       {QStringLiteral("expira"), isoTime(result.expires)}}),
                      0, false, std::string_view()};
}

HttpAnswer CallHandler::signOut(const CallRequest &request)
{
    m_sessions.signOut(bearerToken(request.authorization));
    return HttpAnswer{200, json(QJsonObject{{QStringLiteral("result"), true}}), 0, false, std::string_view()};
}

HttpAnswer CallHandler::failure(const ServiceError &error, CallLog &log)
{
    // A broken connection is dropped, so the next call on this worker
    // opens a new one.
    if (error.kind() == ServiceError::Kind::Unavailable)
        m_connections.discard();
    if (error.kind() == ServiceError::Kind::Unavailable || error.kind() == ServiceError::Kind::Database
        || error.kind() == ServiceError::Kind::Conflict)
        m_metrics.databaseError();
    const ErrorAnswer mapped = ErrorMapping::answer(error);
    log.failed(mapped.status, mapped.logText, mapped.reference);
    return sized(log, errorAnswer(mapped.status, mapped.text, mapped.details));
}

HttpAnswer CallHandler::refuse(int status, const QString &request) const
{
    const QString message = ErrorMapping::messageForStatus(status);
    CallLog call(m_log, request, &m_metrics);
    call.failed(status, message);
    HttpAnswer answer = errorAnswer(status, message);
    call.setBytes(qint64(answer.body.size()));
    if (status == 503)
        answer.retryAfterSeconds = busyRetrySeconds;
    return answer;
}

}  // namespace commission
