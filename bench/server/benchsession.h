#pragma once

#include <QString>

#include <string>

// The session every call of the benchmark and the load program carries:
// one the benchmark opened in its own database, or one signed in over HTTP
// as a given operator against a running server.
class BenchSession {
public:
    static void use(const QString &token, const QString &operatorCode);
    // POST /sessao; raises std::runtime_error when refused.
    static void signIn(int port, const QString &operatorCode, const QString &password);

    static const std::string &token();
    // "Authorization: Bearer <token>\r\n", empty before a session is open.
    static const std::string &headerLine();
    static QString operatorCode();
};
