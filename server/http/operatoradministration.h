#pragma once

#include "serveroptions.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>

namespace commission {

// The operators' administration from the server's command line, on the
// database itself: no server needs to run. Every command says in
// Portuguese what it did, or why it did nothing.
class OperatorAdministration {
public:
    using Say = std::function<void(const QString &)>;
    // Reads a password (from standard input; never from the command line).
    using ReadPassword = std::function<QString()>;

    OperatorAdministration(QSqlDatabase db, Say say, ReadPassword readPassword);

    // Runs the options' command; the process's exit code (0 done, 1 refused).
    int run(const ServerOptions &options);

    // The demonstration operators (README): ADMIN with every right, CONSULTA
    // who may only list, GERA0001 who may list and generate at branch 0001.
    static void addDemoOperators(const QSqlDatabase &db);

private:
    int addOperator(const ServerOptions &options);
    int setPassword(const QString &code);
    int setActive(const QString &code, bool active);
    int grant(const ServerOptions &options);
    int revoke(const ServerOptions &options);
    int listOperators();
    // The branch as stored ("1" -> "0001"), "*", or empty after saying why.
    QString storedBranch(const QString &given);
    bool knownOperator(const QString &code);
    QString newPassword();

    QSqlDatabase m_db;
    Say m_say;
    ReadPassword m_readPassword;
};

}  // namespace commission
