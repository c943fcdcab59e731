#include "tnetconnection.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QUrl>

#include <csignal>
#include <optional>
#include <thread>

namespace {

// How long a read waits before asking again after a balancer answered for a
// server: long enough for a killed server's socket to be gone.
constexpr unsigned long gatewayRetryPauseMs = 200;
// Attempts of a read while a balancer answers in the server's place.
constexpr int maxGatewayAttempts = 4;

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

RemoteCallError::RemoteCallError(const QString &message, int status)
    : std::runtime_error(message.toStdString()), m_status(status)
{
}

struct TNetConnection::Private {
    std::unique_ptr<httplib::Client> client;
    bool calling = false;  // a call is on its way (the event loop may run meanwhile)
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

TNetConnection::~TNetConnection() = default;

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
        throw TransportError(unreachable(QStringLiteral("endereço do servidor inválido")).toStdString());
    std::unique_ptr<httplib::Client> client;
    if (CaFile.isEmpty()) {
        client = std::make_unique<httplib::Client>(Host.toStdString(), Port);
    } else {
        client = std::make_unique<httplib::Client>("https://" + Host.toStdString() + ":" + std::to_string(Port));
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

QJsonValue TNetConnection::call(const QString &method, const QVector<ServiceArgument> &arguments, Retry retry)
{
    const std::string path = "/rdm/" + percentEncoded(ServerName) + "/" + percentEncoded(method);
    const QByteArray body = requestBody(arguments);
    if (retry == Retry::Never)
        return callOnce(path, body);
    for (int attempt = 1;; ++attempt) {
        try {
            return callOnce(path, body);
        } catch (const TransportError &error) {
            // The server went away under the call, or its connection did:
            // start over on a new one, once. While a balancer answers for a
            // server that has just died, the read has reached no server at
            // all: it is asked again a few times, each after a moment, until
            // the balancer sends it to a live one.
            setConnected(false);
            const int allowed = error.answeredByGateway() ? maxGatewayAttempts : 2;
            if (attempt >= allowed)
                throw;
            if (error.answeredByGateway())
                QThread::msleep(gatewayRetryPauseMs);
        }
    }
}

namespace {

// Runs `work` on a thread of its own while the calling thread's event loop
// goes on without user input: windows repaint and busy indicators move, and
// what the operator types or clicks waits until the work is done. The caller
// still returns only when it is done. Without an event loop to keep alive
// (no application, or not its thread) the work runs right here.
void waitRepainting(const std::function<void()> &work)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread()) {
        work();
        return;
    }
    QEventLoop loop;
    std::thread worker([&work, &loop] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
}

}  // namespace

QJsonValue TNetConnection::callOnce(const std::string &path, const QByteArray &body)
{
    // Something that ran while the event loop waited for a call must not
    // send another on the same connection.
    if (d->calling)
        throw TransportError(unreachable(QStringLiteral("outra chamada ainda está em andamento")).toStdString());
    if (!Connected())
        openClient();
    httplib::Headers headers;
    if (!Secret.isEmpty() && !SecretHeader.isEmpty())
        headers.emplace(SecretHeader.toStdString(), Secret.toStdString());

    QElapsedTimer clock;
    clock.start();
    std::optional<httplib::Result> result;
    d->calling = true;
    waitRepainting([&] {
        result.emplace(
            d->client->Post(path, headers, body.constData(), static_cast<size_t>(body.size()), "application/json"));
    });
    d->calling = false;
    if (!*result)
        throw TransportError(transportFailure(static_cast<int>(result->error()), clock.elapsed()).toStdString());
    return reply((*result)->status, QByteArray::fromStdString((*result)->body));
}

QString TNetConnection::transportFailure(int error, qint64 elapsedMs) const
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
        // one means the server closed the connection without answering.
        reason = elapsedMs >= ReadTimeoutMs ? QStringLiteral("tempo de resposta esgotado (%1 ms)").arg(ReadTimeoutMs)
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

QJsonValue TNetConnection::reply(int status, const QByteArray &body) const
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    const QJsonObject object = document.object();
    const bool success = status >= 200 && status < 300;
    if (parseError.error == QJsonParseError::NoError && document.isObject()) {
        if (success && object.contains(QStringLiteral("result")))
            return object.value(QStringLiteral("result"));
        if (!success && object.value(QStringLiteral("error")).isString())
            throw RemoteCallError(object.value(QStringLiteral("error")).toString(), status);
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
