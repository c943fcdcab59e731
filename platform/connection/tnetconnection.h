#pragma once

#include "connection_export.h"

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

// One positional argument of a remote call.
struct CONNECTION_EXPORT ServiceArgument {
    enum class Kind { Text, Date, Packet };
    Kind kind = Kind::Text;
    bool byRef = false;
    QJsonValue value;

    static ServiceArgument text(const QString &value, bool byRef);
    static ServiceArgument date(double days, bool byRef);
    static ServiceArgument packet(const QJsonValue &packet);
};

// A call the server refused or failed: the message is the server's text,
// unchanged (it may hold a catalogue key such as "N_PARAM_VEND_S_FORN");
// details are the answer's "details" member beside it (empty without one).
class CONNECTION_EXPORT RemoteCallError : public std::runtime_error {
public:
    RemoteCallError(const QString &message, int status, const QJsonObject &details = QJsonObject());
    int status() const { return m_status; }
    const QJsonObject &details() const { return m_details; }

private:
    int m_status;
    QJsonObject m_details;
};

// The server answered 401 to a call: the session's token is missing, unknown,
// signed out or expired, and the call was not carried out. The message is the
// server's text, or says that the session was renewed but the call (a write)
// was not sent again.
class CONNECTION_EXPORT SessionExpiredError : public RemoteCallError {
public:
    explicit SessionExpiredError(const QString &message) : RemoteCallError(message, 401) {}
};

// The operator gave up waiting for an asynchronous read (abandonCalls): the
// call came to an end at once, and whatever the server answers later is
// dropped.
class CONNECTION_EXPORT AbandonedCallError : public std::runtime_error {
public:
    AbandonedCallError();
    static const QString text;  // "Operação cancelada pelo operador."
};

// What the server granted at sign-in (POST /sessao).
struct CONNECTION_EXPORT SignedInSession {
    struct Grant {
        QString branch;      // "0001", or "*" for every branch
        QStringList rights;  // "consultar", "gerar", "cancelar"
    };
    QString token;  // sent as "Authorization: Bearer <token>"
    QString operatorCode;
    QString operatorName;
    QVector<Grant> rights;
    QDateTime expires;  // UTC; invalid when the server gave none
};

// The server could not be reached, or answered something that is not a reply.
// The message names host and port.
class CONNECTION_EXPORT TransportError : public std::runtime_error {
public:
    // Whether the request may have reached the server.
    enum class Sent { Maybe, No };
    // `status`: the HTTP status of whatever answered in the server's place;
    // 0 when nothing answered.
    explicit TransportError(const std::string &message, int status = 0, Sent sent = Sent::Maybe)
        : std::runtime_error(message), m_status(status), m_sent(sent)
    {
    }
    // A balancer answered for a server it could not reach (502, 503, 504).
    bool answeredByGateway() const { return m_status == 502 || m_status == 503 || m_status == 504; }
    // The request surely never left: no connection was made (refused, timed
    // out, no valid address, TLS refused) or the client was busy. A write
    // it carried was not carried out. False when it may have been: sent and
    // then no answer came, or something else answered.
    bool notSent() const { return m_sent == Sent::No; }

private:
    int m_status;
    Sent m_sent;
};

// A connection to a remote object (ServerName) on the application server,
// over HTTP (docs/protocol.md). Connecting runs BeforeConnect, which may set
// Host and Port, and prepares a keep-alive client; no traffic goes out until
// the first call. Call() connects on demand and blocks the calling thread until
// the answer arrives or a time-out ends it; callAsync() sends the request from
// a worker thread of the connection and returns at once, its completion
// delivered later on the thread of a context object. Disconnecting drops the
// client, so the next call runs BeforeConnect again.
//
// Connecting checks the address BeforeConnect left (a host, a port from 1 to
// 65535). ThrowException says what setConnected(true) does when that fails:
// true raises the TransportError there; false leaves the connection down and
// quiet, so that a form can connect while it is built and tell the operator
// only when a call is made.
//
// Failures of a call always reach its caller as exceptions: a refusal by the
// server is a RemoteCallError, everything else a TransportError. A
// TransportError leaves the connection up; the next call opens a new socket
// when the old one is gone.
// What an asynchronous call came to: its result, or the error the
// synchronous call would have raised.
struct CONNECTION_EXPORT CallOutcome {
    QJsonValue result;
    std::exception_ptr error;  // empty on success
    // The answer's members beside "result" (docs/protocol.md, "Outcomes"):
    // what the call did, and what stopped a refusal answered as a result.
    // Empty when the answer has none.
    QJsonObject outcome{};
    QJsonObject details{};

    bool failed() const { return error != nullptr; }
    // The result, or the error raised again.
    QJsonValue value() const;
};

// What an asynchronous sign-in came to: the session the server opened, or
// the error the blocking sign-in would have raised.
struct CONNECTION_EXPORT SignInOutcome {
    SignedInSession session;
    std::exception_ptr error;  // empty on success

    bool failed() const { return error != nullptr; }
    // The session, or the error raised again.
    const SignedInSession &value() const;
};

class CONNECTION_EXPORT TNetConnection : public QObject {
    Q_OBJECT
public:
    explicit TNetConnection(QObject *parent = nullptr);
    ~TNetConnection() override;

    QString ServerName;
    QString Host = QStringLiteral("127.0.0.1");
    int Port = 0;             // none until the form or BeforeConnect gives one
    QString Secret;           // sent in SecretHeader when both are given
    QByteArray SecretHeader;  // the name of the header the remote object reads its secret from
    // A PEM file of the authorities that may sign the server's certificate.
    // When given, calls go over HTTPS and the server must prove its name.
    QString CaFile;
    bool ThrowException = false;
    int ConnectTimeoutMs = 3000;
    // How long a call waits for its answer; the attempts of a read together
    // wait no longer (see call()).
    int ReadTimeoutMs = 30000;
    std::function<void(TNetConnection &)> BeforeConnect;
    // The signed-in operator's session, sent as "Authorization: Bearer
    // <token>" with every call when not empty.
    QString BearerToken;
    // Where sign-in and sign-out go (docs/protocol.md).
    QString SessionPath = QStringLiteral("/sessao");
    // Runs when the server answers 401 to a call: returns true when the
    // operator signed in again and BearerToken holds the new token. A call
    // marked OnceOnTransportFailure is then sent once more; one marked Never
    // raises SessionExpiredError with renewedSessionNotSent (it is not sent
    // twice behind the operator's back). False, or no hook at all, raises
    // SessionExpiredError with the server's text.
    std::function<bool(TNetConnection &)> OnSessionExpired;
    static const QString renewedSessionNotSent;

    bool Connected() const;
    void setConnected(bool connected);

    // Whether a call may be sent again when it cannot have been answered:
    // a read may, a write never (it may have been carried out, and the
    // operator must see that it failed).
    enum class Retry { Never, OnceOnTransportFailure };

    // The dispatch: calls a method of ServerName and returns its result. A
    // call marked OnceOnTransportFailure that fails in transport is sent
    // once more on a new connection (to a server behind a balancer, most
    // likely another one); one that a balancer answered in the server's place
    // (502, 503, 504) up to four times in all, 200 ms apart. The whole wait
    // of a read, its attempts together, is bounded by ReadTimeoutMs: a
    // second attempt gets what is left of it, and none when too little is.
    // Not while an asynchronous call of this connection is under way (that
    // raises TransportError).
    QJsonValue call(const QString &method, const QVector<ServiceArgument> &arguments, Retry retry = Retry::Never);

    using Completion = std::function<void(const CallOutcome &outcome)>;
    // The same dispatch without blocking: the HTTP work runs on the
    // connection's worker thread, one request at a time, and `done` runs on
    // the thread of `context` once the call has come to an end, retries and
    // a renewed session included (OnSessionExpired runs there too). Never
    // before callAsync has returned; never when `context` is gone by then.
    void callAsync(const QString &method, const QVector<ServiceArgument> &arguments, Retry retry, QObject *context,
                   Completion done);
    // Asynchronous calls sent and not yet completed.
    int callsInProgress() const;
    // Whether the asynchronous calls in progress may be abandoned: there is
    // one at least, and each is a read (OnceOnTransportFailure).
    bool callsAbandonable() const;
    // Abandons the asynchronous calls in progress when they may be (above):
    // each completes at once, from the event loop of its context's thread,
    // with AbandonedCallError; the server's late answer is dropped, and the
    // request on its way is broken off, so that the next call does not wait
    // behind it. A write is never abandoned: with one under way (or a
    // sign-in) nothing is, and false is returned.
    bool abandonCalls();

    // Signs the operator in (POST SessionPath) and returns the session the
    // server opened; BearerToken is left as it was. A refusal (401: unknown
    // operator or wrong password, 503: directory down) raises
    // RemoteCallError with the server's text and status; anything else
    // that is not an answer, TransportError. The password is sent and
    // forgotten: it is kept nowhere and never written to a log.
    SignedInSession signIn(const QString &operatorCode, const QString &password);
    using SignInCompletion = std::function<void(const SignInOutcome &outcome)>;
    // The same sign-in without blocking: sent from the worker thread of the
    // asynchronous calls (it counts as one of them), with the same errors;
    // `done` runs on the thread of `context`, never before signInAsync has
    // returned, never when `context` is gone by then. Never sent again.
    void signInAsync(const QString &operatorCode, const QString &password, QObject *context, SignInCompletion done);
    // Ends BearerToken's session on the server (DELETE SessionPath) and
    // clears BearerToken. Raises as a call does.
    void signOut();

signals:
    // An asynchronous call was sent, or came to an end.
    void callsChanged();

private:
    struct Pending;
    struct Flight;
    void openClient();  // raises what fails, whatever ThrowException says
    void startWorker();
    // Posts a request on the worker thread with the client and headers of
    // now, waiting up to `timeoutMs` for the answer; `ended` runs back on
    // this object's thread with the status and body, or the client's error
    // (-1 when there was an answer) and the time the attempt took. The
    // flight returned is what breaks the request off.
    using AttemptEnded = std::function<void(int status, const QByteArray &body, int error, qint64 elapsedMs)>;
    std::shared_ptr<Flight> postFromWorker(const std::string &path, const QByteArray &body, int timeoutMs,
                                           AttemptEnded ended);
    SignedInSession signedIn(int status, const QByteArray &body, const QString &operatorCode) const;
    void sendAttempt(const std::shared_ptr<Pending> &pending);
    void attemptEnded(const std::shared_ptr<Pending> &pending, int status, const QByteArray &body, int error,
                      qint64 elapsedMs);
    void attemptFailed(const std::shared_ptr<Pending> &pending, const std::exception_ptr &error);
    void complete(const std::shared_ptr<Pending> &pending, const CallOutcome &outcome);
    QJsonValue dispatch(const std::function<QJsonValue(int timeoutMs)> &once, Retry retry);
    QJsonValue callOnce(const std::string &path, const QByteArray &body, int timeoutMs);
    enum class Verb { Post, Delete };
    // Sends one request, waiting up to `timeoutMs` (ReadTimeoutMs when
    // negative) for its answer, and returns its status and body; raises
    // TransportError when nothing answered.
    std::pair<int, QByteArray> send(Verb verb, const std::string &path, const QByteArray &body, int timeoutMs = -1);
    std::vector<std::pair<std::string, std::string>> headers() const;
    QJsonObject answer(int status, const QByteArray &body, const QString &expectedKey) const;
    // `timeoutMs`: how long the attempt could wait for its answer.
    QString transportFailure(int error, qint64 elapsedMs, int timeoutMs) const;
    QString unreachable(const QString &reason) const;

    struct Private;
    std::unique_ptr<Private> d;
};
