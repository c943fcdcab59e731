#include "tnetconnection.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <optional>

namespace {

// How long a read waits before asking again after a balancer answered for a
// server: long enough for a killed server's socket to be gone.
constexpr unsigned long gatewayRetryPauseMs = 200;
// Attempts of a read while a balancer answers in the server's place.
constexpr int maxGatewayAttempts = 4;
// Too little left of a read's whole wait for another attempt.
constexpr qint64 shortestRetryMs = 100;
// How often a request broken off is told again to stop, until it has.
constexpr std::chrono::milliseconds stopAgainAfter(20);

QJsonValue argumentKind(ServiceArgument::Kind kind)
{
    switch (kind) {
    case ServiceArgument::Kind::Text:
        return QStringLiteral("text");
    case ServiceArgument::Kind::Date:
        return QStringLiteral("date");
    case ServiceArgument::Kind::Packet:
        return QStringLiteral("packet");
    }
    return QStringLiteral("?");
}

QByteArray requestBody(const QVector<ServiceArgument> &arguments)
{
    QJsonArray args;
    for (const ServiceArgument &argument : arguments) {
        args.append(QJsonObject{{QStringLiteral("kind"), argumentKind(argument.kind)},
                                {QStringLiteral("ref"), argument.byRef},
                                {QStringLiteral("value"), argument.value}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("args"), args}}).toJson(QJsonDocument::Compact);
}

std::string percentEncoded(const QString &segment)
{
    return QUrl::toPercentEncoding(segment).toStdString();
}

time_t wholeSeconds(int milliseconds)
{
    return milliseconds / 1000;
}

time_t remainingMicroseconds(int milliseconds)
{
    return time_t(milliseconds % 1000) * 1000;
}

}  // namespace

ServiceArgument ServiceArgument::text(const QString &value, bool byRef)
{
    return {Kind::Text, byRef, value};
}

ServiceArgument ServiceArgument::date(double days, bool byRef)
{
    return {Kind::Date, byRef, days};
}

ServiceArgument ServiceArgument::packet(const QJsonValue &packet)
{
    return {Kind::Packet, false, packet};
}

const QString AbandonedCallError::text = QStringLiteral("Operação cancelada pelo operador.");

AbandonedCallError::AbandonedCallError() : std::runtime_error(text.toStdString()) {}

RemoteCallError::RemoteCallError(const QString &message, int status, const QJsonObject &details)
    : std::runtime_error(message.toStdString()), m_status(status), m_details(details)
{
}

QJsonValue CallOutcome::value() const
{
    if (error)
        std::rethrow_exception(error);
    return result;
}

const SignedInSession &SignInOutcome::value() const
{
    if (error)
        std::rethrow_exception(error);
    return session;
}

// One request sent from the worker thread, shared with whatever may break it
// off while it waits for its answer.
struct TNetConnection::Flight {
    std::shared_ptr<httplib::Client> client;
    std::atomic<bool> abandoned{false};
    std::mutex mutex;
    std::condition_variable over;
    bool returned = false;  // the request is no longer under way

    void markReturned()
    {
        {
            std::lock_guard lock(mutex);
            returned = true;
        }
        over.notify_all();
    }
    // Stopping the client shuts the socket of a request under way; one that
    // is only about to start is stopped again a moment later.
    void stopUntilReturned()
    {
        std::unique_lock lock(mutex);
        while (!returned) {
            lock.unlock();
            client->stop();
            lock.lock();
            over.wait_for(lock, stopAgainAfter);
        }
    }
};

struct TNetConnection::Pending {
    std::string path;
    QByteArray body;
    Retry retry = Retry::Never;
    QPointer<QObject> context;
    Completion done;
    int attempt = 0;       // of the current dispatch
    bool renewed = false;  // the session was renewed once for this call
    // When a read's whole wait ends (from the first attempt of a dispatch),
    // and how long the current attempt may wait.
    QDeadlineTimer deadline;
    int attemptTimeoutMs = 0;
    std::shared_ptr<Flight> flight;  // the current attempt's request
    bool finished = false;           // completed: whatever still comes is dropped
};

struct TNetConnection::Private {
    // Shared with the request the worker thread is sending, which keeps it
    // while a disconnect drops it here.
    std::shared_ptr<httplib::Client> client;
    // The thread that sends asynchronous calls, made on the first one, and
    // the object living there that runs them in order.
    QThread *worker = nullptr;
    QObject *sender = nullptr;
    int asyncCalls = 0;
    // The asynchronous calls sent and not yet completed (sign-ins aside).
    QList<std::shared_ptr<Pending>> inProgress;
    // The endpoint the client was prepared for, named in transport errors.
    QString host;
    int port = 0;
};

TNetConnection::TNetConnection(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    // The HTTP library writes without MSG_NOSIGNAL: a server that closes
    // while a request is still being sent would end the whole program with
    // SIGPIPE instead of failing the call.
    static const bool ignoringBrokenPipes = [] {
        std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    Q_UNUSED(ignoringBrokenPipes);
}

TNetConnection::~TNetConnection()
{
    if (!d->worker)
        return;
    // A request still on its way ends now instead of at its time-out.
    if (d->client)
        d->client->stop();
    for (const std::shared_ptr<Pending> &pending : std::as_const(d->inProgress)) {
        if (pending->flight)
            pending->flight->client->stop();
    }
    d->worker->quit();
    d->worker->wait();
    delete d->sender;
    delete d->worker;
}

bool TNetConnection::Connected() const
{
    return d->client != nullptr;
}

void TNetConnection::setConnected(bool connected)
{
    if (connected == Connected())
        return;
    if (!connected) {
        d->client.reset();
        return;
    }
    if (ThrowException) {
        openClient();
        return;
    }
    try {
        openClient();
    } catch (const TransportError &) {
        // Down and quiet: the next call connects again and raises it.
    }
}

void TNetConnection::openClient()
{
    if (BeforeConnect)
        BeforeConnect(*this);
    d->host = Host;
    d->port = Port;
    if (Host.trimmed().isEmpty() || Port < 1 || Port > 65535)
        throw TransportError(unreachable(QStringLiteral("endereço do servidor inválido")).toStdString(), 0,
                             TransportError::Sent::No);
    std::shared_ptr<httplib::Client> client;
    if (CaFile.isEmpty()) {
        client = std::make_shared<httplib::Client>(Host.toStdString(), Port);
    } else {
        client = std::make_shared<httplib::Client>("https://" + Host.toStdString() + ":" + std::to_string(Port));
        client->set_ca_cert_path(CaFile.toStdString());
        client->enable_server_certificate_verification(true);
    }
    client->set_keep_alive(true);
    client->set_tcp_nodelay(true);
    client->set_connection_timeout(wholeSeconds(ConnectTimeoutMs), remainingMicroseconds(ConnectTimeoutMs));
    client->set_read_timeout(wholeSeconds(ReadTimeoutMs), remainingMicroseconds(ReadTimeoutMs));
    client->set_write_timeout(wholeSeconds(ReadTimeoutMs), remainingMicroseconds(ReadTimeoutMs));
    d->client = std::move(client);
}

const QString TNetConnection::renewedSessionNotSent =
    QStringLiteral("Sessão renovada. A operação não foi enviada; repita o comando.");

QJsonValue TNetConnection::call(const QString &method, const QVector<ServiceArgument> &arguments, Retry retry)
{
    const std::string path = "/rdm/" + percentEncoded(ServerName) + "/" + percentEncoded(method);
    const QByteArray body = requestBody(arguments);
    const auto once = [this, &path, &body](int timeoutMs) { return callOnce(path, body, timeoutMs); };
    try {
        return dispatch(once, retry);
    } catch (const SessionExpiredError &) {
        if (!OnSessionExpired || !OnSessionExpired(*this))
            throw;
    }
    // Signed in again. A write is not sent a second time on its own: the
    // operator sees that it was not done and gives the command again.
    if (retry == Retry::Never)
        throw SessionExpiredError(renewedSessionNotSent);
    return dispatch(once, retry);
}

QJsonValue TNetConnection::dispatch(const std::function<QJsonValue(int timeoutMs)> &once, Retry retry)
{
    if (retry == Retry::Never)
        return once(ReadTimeoutMs);
    const QDeadlineTimer deadline(ReadTimeoutMs);
    for (int attempt = 1;; ++attempt) {
        try {
            return once(int(deadline.remainingTime()));
        } catch (const TransportError &error) {
            // The server went away under the call, or its connection did:
            // start over on a new one, once. While a balancer answers for a
            // server that has just died, the read has reached no server at
            // all: it is asked again a few times, each after a moment, until
            // the balancer sends it to a live one.
            setConnected(false);
            const int allowed = error.answeredByGateway() ? maxGatewayAttempts : 2;
            const qint64 pause = error.answeredByGateway() ? qint64(gatewayRetryPauseMs) : 0;
            if (attempt >= allowed || deadline.remainingTime() - pause < shortestRetryMs)
                throw;
            if (error.answeredByGateway())
                QThread::msleep(gatewayRetryPauseMs);
        }
    }
}

namespace {

// The server's own text of a refusal ({"error": "..."}); none when the body
// is something else.
std::optional<QString> serverError(const QByteArray &body)
{
    const QJsonValue error = QJsonDocument::fromJson(body).object().value(QStringLiteral("error"));
    if (!error.isString())
        return std::nullopt;
    return error.toString();
}

// The text of a sign-in answer's field; empty when it is missing or not text.
QString textOf(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key)).toString();
}

// Whether a request that failed with the client's error may have reached the
// server: not when no connection was made.
TransportError::Sent sentBy(int error)
{
    switch (static_cast<httplib::Error>(error)) {
    case httplib::Error::Connection:
    case httplib::Error::ConnectionTimeout:
    case httplib::Error::BindIPAddress:
    case httplib::Error::SSLConnection:
    case httplib::Error::SSLLoadingCerts:
    case httplib::Error::SSLServerVerification:
        return TransportError::Sent::No;
    default:
        return TransportError::Sent::Maybe;
    }
}

// A token goes into a header as it came: printable characters only.
bool headerSafe(const QString &token)
{
    return !token.isEmpty() && std::all_of(token.cbegin(), token.cend(), [](QChar c) {
        return c.unicode() > 0x20 && c.unicode() < 0x7f;
    });
}

}  // namespace

QJsonValue TNetConnection::callOnce(const std::string &path, const QByteArray &body, int timeoutMs)
{
    const auto [status, answered] = send(Verb::Post, path, body, timeoutMs);
    if (const std::optional<QString> text = serverError(answered); status == 401 && text)
        throw SessionExpiredError(*text);
    return answer(status, answered, QStringLiteral("result")).value(QStringLiteral("result"));
}

std::vector<std::pair<std::string, std::string>> TNetConnection::headers() const
{
    std::vector<std::pair<std::string, std::string>> headers;
    if (!Secret.isEmpty() && !SecretHeader.isEmpty())
        headers.emplace_back(SecretHeader.toStdString(), Secret.toStdString());
    if (!BearerToken.isEmpty())
        headers.emplace_back("Authorization", "Bearer " + BearerToken.toStdString());
    return headers;
}

std::pair<int, QByteArray> TNetConnection::send(Verb verb, const std::string &path, const QByteArray &body,
                                                int timeoutMs)
{
    // The client serves one request at a time: a blocking call must not
    // share it with one the worker thread is sending.
    if (d->asyncCalls > 0)
        throw TransportError(unreachable(QStringLiteral("outra chamada ainda está em andamento")).toStdString(), 0,
                             TransportError::Sent::No);
    if (!Connected())
        openClient();
    const auto pairs = headers();
    const httplib::Headers sent(pairs.cbegin(), pairs.cend());
    if (timeoutMs < 0)
        timeoutMs = ReadTimeoutMs;
    d->client->set_read_timeout(wholeSeconds(timeoutMs), remainingMicroseconds(timeoutMs));

    QElapsedTimer clock;
    clock.start();
    const auto size = static_cast<size_t>(body.size());
    const httplib::Result result = verb == Verb::Post
                                       ? d->client->Post(path, sent, body.constData(), size, "application/json")
                                       : d->client->Delete(path, sent);
    if (!result)
        throw TransportError(
            transportFailure(static_cast<int>(result.error()), clock.elapsed(), timeoutMs).toStdString(), 0,
            sentBy(static_cast<int>(result.error())));
    return {result->status, QByteArray::fromStdString(result->body)};
}

// --- asynchronous calls --------------------------------------------------------

void TNetConnection::callAsync(const QString &method, const QVector<ServiceArgument> &arguments, Retry retry,
                               QObject *context, Completion done)
{
    auto pending = std::make_shared<Pending>();
    pending->path = "/rdm/" + percentEncoded(ServerName) + "/" + percentEncoded(method);
    pending->body = requestBody(arguments);
    pending->retry = retry;
    pending->context = context ? context : this;
    pending->done = std::move(done);
    pending->deadline = QDeadlineTimer(ReadTimeoutMs);
    ++d->asyncCalls;
    d->inProgress.append(pending);
    emit callsChanged();
    startWorker();
    sendAttempt(pending);
}

void TNetConnection::startWorker()
{
    if (d->worker)
        return;
    d->worker = new QThread;
    d->worker->setObjectName(QStringLiteral("netcall"));
    d->sender = new QObject;
    d->sender->moveToThread(d->worker);
    d->worker->start();
}

int TNetConnection::callsInProgress() const
{
    return d->asyncCalls;
}

bool TNetConnection::callsAbandonable() const
{
    // Sign-ins count among the calls but are no pending reads.
    return d->asyncCalls > 0 && d->asyncCalls == d->inProgress.size()
           && std::all_of(d->inProgress.cbegin(), d->inProgress.cend(), [](const std::shared_ptr<Pending> &pending) {
                  return pending->retry == Retry::OnceOnTransportFailure;
              });
}

bool TNetConnection::abandonCalls()
{
    if (!callsAbandonable())
        return false;
    const QList<std::shared_ptr<Pending>> abandoned = d->inProgress;
    for (const std::shared_ptr<Pending> &pending : abandoned) {
        if (const std::shared_ptr<Flight> flight = pending->flight) {
            flight->abandoned = true;
            // Off this thread: stopping waits while the worker is connecting.
            QThreadPool::globalInstance()->start([flight] { flight->stopUntilReturned(); });
        }
        complete(pending, {{}, std::make_exception_ptr(AbandonedCallError())});
    }
    // The client broken off is left to the worker; the next call opens another.
    setConnected(false);
    return true;
}

void TNetConnection::sendAttempt(const std::shared_ptr<Pending> &pending)
{
    if (pending->finished)
        return;
    ++pending->attempt;
    try {
        if (!Connected())
            openClient();
    } catch (const TransportError &) {
        attemptFailed(pending, std::current_exception());
        return;
    }
    pending->attemptTimeoutMs =
        pending->retry == Retry::Never ? ReadTimeoutMs : int(std::max<qint64>(1, pending->deadline.remainingTime()));
    pending->flight =
        postFromWorker(pending->path, pending->body, pending->attemptTimeoutMs,
                       [this, pending](int status, const QByteArray &answered, int error, qint64 elapsedMs) {
                           attemptEnded(pending, status, answered, error, elapsedMs);
                       });
}

std::shared_ptr<TNetConnection::Flight> TNetConnection::postFromWorker(const std::string &path, const QByteArray &body,
                                                                       int timeoutMs, AttemptEnded ended)
{
    const auto pairs = headers();
    auto flight = std::make_shared<Flight>();
    flight->client = d->client;
    QMetaObject::invokeMethod(
        d->sender,
        [this, flight, path, body, timeoutMs, ended = std::move(ended),
         sent = httplib::Headers(pairs.cbegin(), pairs.cend())] {
            QElapsedTimer clock;
            clock.start();
            int status = 0;
            QByteArray answered;
            int error = static_cast<int>(httplib::Error::Canceled);
            // A request abandoned before its turn is not sent at all.
            if (!flight->abandoned) {
                // Only this thread uses the client while asynchronous calls run.
                flight->client->set_read_timeout(wholeSeconds(timeoutMs), remainingMicroseconds(timeoutMs));
                const httplib::Result result = flight->client->Post(
                    path, sent, body.constData(), static_cast<size_t>(body.size()), "application/json");
                status = result ? result->status : 0;
                answered = result ? QByteArray::fromStdString(result->body) : QByteArray();
                error = result ? -1 : static_cast<int>(result.error());
            }
            flight->markReturned();
            const qint64 elapsed = clock.elapsed();
            QMetaObject::invokeMethod(
                this, [ended, status, answered, error, elapsed] { ended(status, answered, error, elapsed); },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    return flight;
}

void TNetConnection::attemptEnded(const std::shared_ptr<Pending> &pending, int status, const QByteArray &body,
                                  int error, qint64 elapsedMs)
{
    if (pending->finished)
        return;  // abandoned: the answer came too late
    pending->flight.reset();
    try {
        if (error >= 0)
            throw TransportError(transportFailure(error, elapsedMs, pending->attemptTimeoutMs).toStdString(), 0,
                                 sentBy(error));
        if (const std::optional<QString> text = serverError(body); status == 401 && text)
            throw SessionExpiredError(*text);
        const QJsonObject answered = answer(status, body, QStringLiteral("result"));
        complete(pending, {answered.value(QStringLiteral("result")), nullptr,
                           answered.value(QStringLiteral("outcome")).toObject(),
                           answered.value(QStringLiteral("details")).toObject()});
    } catch (...) {
        attemptFailed(pending, std::current_exception());
    }
}

// What the blocking call does on a failure, step by step: a read that failed
// in transport goes again on a new connection (after a pause while a balancer
// answers for its server); an ended session is renewed once, after which a
// read goes again and a write is reported as not sent.
void TNetConnection::attemptFailed(const std::shared_ptr<Pending> &pending, const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const SessionExpiredError &) {
        if (pending->renewed || !OnSessionExpired || !OnSessionExpired(*this))
            return complete(pending, {{}, error});
        pending->renewed = true;
        if (pending->retry == Retry::Never)
            return complete(pending, {{}, std::make_exception_ptr(SessionExpiredError(renewedSessionNotSent))});
        pending->attempt = 0;
        pending->deadline = QDeadlineTimer(ReadTimeoutMs);
        sendAttempt(pending);
    } catch (const TransportError &failure) {
        if (pending->retry == Retry::Never)
            return complete(pending, {{}, error});
        setConnected(false);
        const bool gateway = failure.answeredByGateway();
        const qint64 left = pending->deadline.remainingTime() - (gateway ? qint64(gatewayRetryPauseMs) : 0);
        if (pending->attempt >= (gateway ? maxGatewayAttempts : 2) || left < shortestRetryMs)
            return complete(pending, {{}, error});
        if (gateway)
            QTimer::singleShot(gatewayRetryPauseMs, this, [this, pending] { sendAttempt(pending); });
        else
            sendAttempt(pending);
    } catch (...) {
        complete(pending, {{}, error});
    }
}

// Delivered from the event loop of the context's thread, so that no
// completion runs inside callAsync itself.
void TNetConnection::complete(const std::shared_ptr<Pending> &pending, const CallOutcome &outcome)
{
    pending->finished = true;
    d->inProgress.removeOne(pending);
    --d->asyncCalls;
    emit callsChanged();
    if (!pending->context)
        return;
    QMetaObject::invokeMethod(
        pending->context.data(), [pending, outcome] { pending->done(outcome); }, Qt::QueuedConnection);
}

namespace {

QByteArray signInBody(const QString &operatorCode, const QString &password)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("operador"), operatorCode}, {QStringLiteral("senha"), password}})
        .toJson(QJsonDocument::Compact);
}

}  // namespace

SignedInSession TNetConnection::signIn(const QString &operatorCode, const QString &password)
{
    // The password goes into this request and nowhere else.
    const auto [status, answered] = send(Verb::Post, SessionPath.toStdString(), signInBody(operatorCode, password));
    return signedIn(status, answered, operatorCode);
}

void TNetConnection::signInAsync(const QString &operatorCode, const QString &password, QObject *context,
                                 SignInCompletion done)
{
    QPointer<QObject> target = context ? context : this;
    // Back on the context's thread, from its event loop.
    const auto deliver = [this, target, done](const SignInOutcome &outcome) {
        --d->asyncCalls;
        emit callsChanged();
        if (target)
            QMetaObject::invokeMethod(
                target.data(), [done, outcome] { done(outcome); }, Qt::QueuedConnection);
    };
    ++d->asyncCalls;
    emit callsChanged();
    startWorker();
    try {
        if (!Connected())
            openClient();
    } catch (const TransportError &) {
        deliver({{}, std::current_exception()});
        return;
    }
    postFromWorker(SessionPath.toStdString(), signInBody(operatorCode, password), ReadTimeoutMs,
                   [this, operatorCode, deliver](int status, const QByteArray &answered, int error, qint64 elapsedMs) {
                       SignInOutcome outcome;
                       try {
                           if (error >= 0)
                               throw TransportError(transportFailure(error, elapsedMs, ReadTimeoutMs).toStdString());
                           outcome.session = signedIn(status, answered, operatorCode);
                       } catch (...) {
                           outcome.error = std::current_exception();
                       }
                       deliver(outcome);
                   });
}

// The session in a sign-in's answer; a refusal raises RemoteCallError, an
// answer that is not one TransportError.
SignedInSession TNetConnection::signedIn(int status, const QByteArray &body, const QString &operatorCode) const
{
    const QJsonObject object = answer(status, body, QStringLiteral("sessao"));
    SignedInSession session;
    session.token = textOf(object, "sessao");
    if (!headerSafe(session.token))
        throw TransportError(
            unreachable(QStringLiteral("a resposta do servidor veio incompleta (status %1); tente novamente e, se"
                                       " persistir, informe o suporte")
                            .arg(status))
                .toStdString(),
            status);
    session.operatorCode = textOf(object, "operador");
    if (session.operatorCode.isEmpty())
        session.operatorCode = operatorCode;
    session.operatorName = textOf(object, "nome");
    for (const QJsonValue &grant : object.value(QStringLiteral("permissoes")).toArray()) {
        SignedInSession::Grant entry;
        entry.branch = grant.toObject().value(QStringLiteral("filial")).toString();
        for (const QJsonValue &right : grant.toObject().value(QStringLiteral("direitos")).toArray())
            entry.rights.append(right.toString());
        if (!entry.branch.isEmpty())
            session.rights.append(entry);
    }
    session.expires = QDateTime::fromString(textOf(object, "expira"), Qt::ISODate);
    return session;
}

void TNetConnection::signOut()
{
    if (BearerToken.isEmpty())
        return;
    const auto [status, answered] = send(Verb::Delete, SessionPath.toStdString(), QByteArray());
    BearerToken.clear();
    if (status == 401 && serverError(answered))
        return;  // already ended on the server
    answer(status, answered, QStringLiteral("result"));
}

QString TNetConnection::transportFailure(int error, qint64 elapsedMs, int timeoutMs) const
{
    QString reason;
    switch (static_cast<httplib::Error>(error)) {
    case httplib::Error::Connection:
        reason = QStringLiteral("conexão recusada ou servidor inacessível");
        break;
    case httplib::Error::ConnectionTimeout:
        reason = QStringLiteral("tempo de conexão esgotado (%1 ms)").arg(ConnectTimeoutMs);
        break;
    case httplib::Error::Read:
        // A read that lasted the whole time-out was ended by it; a shorter
        // one means the server closed the connection without answering. The
        // time named is the call's whole wait, in seconds begun.
        reason = elapsedMs >= timeoutMs
                     ? QStringLiteral("o servidor não respondeu em %1 s").arg((qint64(ReadTimeoutMs) + 999) / 1000)
                     : QStringLiteral("a conexão foi encerrada sem resposta");
        break;
    case httplib::Error::Write:
        reason = QStringLiteral("falha ao enviar a chamada");
        break;
    case httplib::Error::SSLConnection:
        reason = QStringLiteral("falha na conexão segura (TLS); confira se o servidor atende em HTTPS");
        break;
    case httplib::Error::SSLLoadingCerts:
        reason = QStringLiteral("não foi possível ler o certificado da autoridade %1").arg(CaFile);
        break;
    case httplib::Error::SSLServerVerification:
        reason = QStringLiteral("o certificado do servidor não foi confirmado pela autoridade %1").arg(CaFile);
        break;
    default:
        reason = QString::fromStdString(httplib::to_string(static_cast<httplib::Error>(error)));
        break;
    }
    return unreachable(reason);
}

QString TNetConnection::unreachable(const QString &reason) const
{
    return QStringLiteral("Não foi possível comunicar com o servidor %1:%2: %3.").arg(d->host).arg(d->port).arg(reason);
}

QJsonObject TNetConnection::answer(int status, const QByteArray &body, const QString &expectedKey) const
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    const QJsonObject object = document.object();
    const bool success = status >= 200 && status < 300;
    if (parseError.error == QJsonParseError::NoError && document.isObject()) {
        if (success && object.contains(expectedKey))
            return object;
        if (!success && object.value(QStringLiteral("error")).isString())
            throw RemoteCallError(object.value(QStringLiteral("error")).toString(), status,
                                  object.value(QStringLiteral("details")).toObject());
    }
    // Something else answered on that address (another program, a balancer
    // without a server), or the answer came cut: say what to check.
    const QString what = parseError.error != QJsonParseError::NoError || !document.isObject()
                             ? QStringLiteral("quem respondeu não é o servidor de comissões (status %1); confira o"
                                              " endereço e a porta do servidor nas opções da sessão")
                                   .arg(status)
                             : QStringLiteral("a resposta do servidor veio incompleta (status %1); tente novamente e,"
                                              " se persistir, informe o suporte")
                                   .arg(status);
    throw TransportError(unreachable(what).toStdString(), status);
}
