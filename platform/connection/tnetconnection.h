#pragma once

#include "connection_export.h"

#include <QJsonValue>
#include <QObject>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <stdexcept>

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
// unchanged (it may hold a catalogue key such as "N_PARAM_VEND_S_FORN").
class CONNECTION_EXPORT RemoteCallError : public std::runtime_error {
public:
    RemoteCallError(const QString &message, int status);
    int status() const { return m_status; }

private:
    int m_status;
};

// The server could not be reached, or answered something that is not a reply.
// The message names host and port.
class CONNECTION_EXPORT TransportError : public std::runtime_error {
public:
    // `status`: the HTTP status of whatever answered in the server's place;
    // 0 when nothing answered.
    explicit TransportError(const std::string &message, int status = 0) : std::runtime_error(message), m_status(status)
    {
    }
    // A balancer answered for a server it could not reach (502, 503, 504).
    bool answeredByGateway() const { return m_status == 502 || m_status == 503 || m_status == 504; }

private:
    int m_status;
};

// A connection to a remote object (ServerName) on the application server,
// over HTTP (docs/protocol.md). Connecting runs BeforeConnect, which may set
// Host and Port, and prepares a keep-alive client; no traffic goes out until
// the first call. Call() connects on demand and blocks the calling thread until
// the answer arrives or a time-out ends it. Disconnecting drops the client, so
// the next call runs BeforeConnect again.
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
    int ReadTimeoutMs = 30000;
    std::function<void(TNetConnection &)> BeforeConnect;

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
    // (502, 503, 504) up to four times in all, 200 ms apart.
    QJsonValue call(const QString &method, const QVector<ServiceArgument> &arguments, Retry retry = Retry::Never);

private:
    void openClient();  // raises what fails, whatever ThrowException says
    QJsonValue callOnce(const std::string &path, const QByteArray &body);
    QString transportFailure(int error, qint64 elapsedMs) const;
    QString unreachable(const QString &reason) const;
    QJsonValue reply(int status, const QByteArray &body) const;

    struct Private;
    std::unique_ptr<Private> d;
};
