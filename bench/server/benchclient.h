#pragma once

#include <QDate>
#include <QJsonArray>
#include <QJsonValue>
#include <QString>

#include <memory>
#include <string>

namespace httplib {
class Client;
}

// A keep-alive HTTP client for the commission server, as the screen's
// connection uses it.
class BenchClient {
public:
    explicit BenchClient(int port);
    ~BenchClient();

    // The call's result; raises std::runtime_error for anything but 200.
    QJsonValue call(const QString &method, const QJsonArray &arguments);
    // The same with the request's body written beforehand (requestBody), so
    // a timing holds the server's work and not the client's encoding.
    QJsonValue post(const QString &method, const std::string &body);
    static std::string path(const QString &method);
    static std::string requestBody(const QJsonArray &arguments);

    // The eight arguments of a listing: the salesperson list (GetVendedores)
    // or one salesperson (`single`, GetOrcamentos), the period by event date.
    static QJsonArray listingArguments(const QString &branch, const QString &salesperson, bool single, QDate from,
                                       QDate to, bool generated);
    static QJsonValue text(const QString &value, bool byRef);
    static QJsonValue date(double days, bool byRef);
    static QJsonValue packet(const QJsonValue &packet);

private:
    std::unique_ptr<httplib::Client> m_client;
};
