#pragma once

#include <commissionhttpserver.h>
#include <connectionprovider.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QMutex>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

// An in-process commission server on a free loopback port, with its log
// lines kept for inspection, and a client for it. The database gets the
// operator OP7 with every right and an open session, whose token every call
// carries unless the headers name an Authorization of their own (an empty
// one: none at all). A set-up that fails (the operator cannot be written,
// TLS or the port cannot be had) raises std::runtime_error, which fails the
// test.
class TestServer {
public:
    // For the tests of a database the server cannot reach: nothing is
    // written to it before the server starts.
    struct UnreachableDatabase {};

    TestServer(const database::ConnectionString &where, const QString &secret = QString());
    TestServer(const database::ConnectionString &where, UnreachableDatabase);
    // Any settings; the port is always a free one. `probe`, when given, is
    // told each method call before it runs (CommissionHttpServer::setCallProbe).
    TestServer(const database::ConnectionString &where, commission::HttpSettings settings,
               std::function<void(const QString &method)> probe = {});
    static commission::HttpSettings settings(const QString &secret = QString());
    ~TestServer();

    int port() const { return m_port; }
    QStringList logLines() const;
    // A gauge of GET /metrics ("commission_busy_workers"); -1 when absent.
    qint64 gauge(const char *name) const;

    struct Reply {
        int status = 0;
        QJsonValue result;  // "result" of a 200 answer
        QString error;      // "error" of any other
        QJsonObject raw;    // the whole answer
    };
    Reply call(const QString &method, const QJsonArray &arguments,
               const std::map<std::string, std::string> &headers = {}) const;
    // Any body, to any path.
    Reply post(const std::string &path, const std::string &body,
               const std::map<std::string, std::string> &headers = {}) const;
    Reply remove(const std::string &path, const std::map<std::string, std::string> &headers = {}) const;
    // A call to a server on another port of this machine.
    static Reply callPort(int port, const QString &method, const QJsonArray &arguments,
                          const std::map<std::string, std::string> &headers = {});

    static const std::string secretHeader;
    static const QString operatorCode;  // "OP7"
    // OP7's session; a constant, so that statics of other files may use it.
    static constexpr const char *token = "7777777777777777777777777777777777777777777777777777777777777777";
    // "Authorization: Bearer <token>\r\n", for raw requests.
    static QByteArray authorizationLine();
    // OP7 and its session in the database, once; a database without the
    // tables is left alone.
    static void provideOperator(const QSqlDatabase &db);

private:
    void start(commission::HttpSettings settings, std::function<void(const QString &method)> probe);

    std::unique_ptr<commission::ConnectionProvider> m_connections;
    std::unique_ptr<commission::CommissionHttpServer> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable QMutex m_mutex;
    QStringList m_log;
};

// Arguments as the screen sends them.
namespace args {
QJsonValue text(const QString &value, bool byRef);
QJsonValue date(double days, bool byRef);
QJsonValue packet(const QJsonValue &packet);
// SetComissao's arguments: the quotes and the test operator; SetCancelaComissao's
// add a reason.
QJsonArray generation(const QJsonValue &quotesPacket);
QJsonArray cancellation(const QJsonValue &quotesPacket);
// The eight listing arguments of GetVendedores / GetOrcamentos.
QJsonArray listing(const QString &branch, const QString &salespeople, const QString &eventTypes,
                   const QString &dateBase = QStringLiteral("EVENTO"),
                   const QString &everyoneEarns = QStringLiteral("S"), double from = 45413, double to = 45443,
                   const QString &status = QStringLiteral("N"), bool salespersonByRef = true);
}  // namespace args
