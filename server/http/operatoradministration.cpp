#include "operatoradministration.h"

#include "codelist.h"
#include "operatorrepository.h"
#include "secrets.h"
#include "sqlrunner.h"
#include "writetransaction.h"

#include <remotecontract.h>

namespace commission {

namespace {

using contract::RemoteContract;

void closeSessionsOf(const QSqlDatabase &db, const QString &code)
{
    SqlRunner::run(db, QStringLiteral("DELETE FROM SESSAOOPERADOR WHERE CDOPERADOR = ?"), {code});
}

}  // namespace

OperatorAdministration::OperatorAdministration(QSqlDatabase db, Say say, ReadPassword readPassword)
    : m_db(std::move(db)), m_say(std::move(say)), m_readPassword(std::move(readPassword))
{
}

int OperatorAdministration::run(const ServerOptions &options)
{
    using Command = ServerOptions::Command;
    if (options.command != Command::ListOperators && !OperatorRepository::isOperatorCode(options.operatorCode)) {
        m_say(
            QStringLiteral("Código de operador inválido: \"%1\" (até %2 letras, dígitos, ponto, hífen ou sublinhado).")
                .arg(options.operatorCode.left(40))
                .arg(RemoteContract::operatorCodeWidth));
        return 1;
    }
    switch (options.command) {
    case Command::AddOperator:
        return addOperator(options);
    case Command::SetPassword:
        return setPassword(options.operatorCode);
    case Command::EnableOperator:
        return setActive(options.operatorCode, true);
    case Command::DisableOperator:
        return setActive(options.operatorCode, false);
    case Command::Grant:
        return grant(options);
    case Command::Revoke:
        return revoke(options);
    case Command::ListOperators:
        return listOperators();
    case Command::Serve:
        break;
    }
    return 1;
}

QString OperatorAdministration::newPassword()
{
    const QString password = m_readPassword();
    if (password.isEmpty())
        m_say(QStringLiteral("A senha não pode ser vazia; nada foi alterado."));
    return password;
}

bool OperatorAdministration::knownOperator(const QString &code)
{
    if (OperatorRepository(m_db).find(code))
        return true;
    m_say(QStringLiteral("Operador %1 não cadastrado.").arg(code));
    return false;
}

int OperatorAdministration::addOperator(const ServerOptions &options)
{
    if (OperatorRepository(m_db).find(options.operatorCode)) {
        m_say(QStringLiteral("O operador %1 já existe; nada foi alterado.").arg(options.operatorCode));
        return 1;
    }
    const QString password = newPassword();
    if (password.isEmpty())
        return 1;
    WriteTransaction transaction(m_db);
    const bool added = OperatorRepository(m_db).add(
        StoredOperator{options.operatorCode, options.operatorName.left(60), true, Secrets::hashPassword(password)});
    transaction.commit();
    if (!added) {
        m_say(QStringLiteral("O operador %1 já existe; nada foi alterado.").arg(options.operatorCode));
        return 1;
    }
    m_say(QStringLiteral("Operador %1 (%2) incluído, sem direitos: conceda-os com --grant %1 --branch FILIAL"
                         " --rights consultar,gerar,cancelar.")
              .arg(options.operatorCode, options.operatorName.left(60)));
    return 0;
}

int OperatorAdministration::setPassword(const QString &code)
{
    if (!knownOperator(code))
        return 1;
    const QString password = newPassword();
    if (password.isEmpty())
        return 1;
    WriteTransaction transaction(m_db);
    OperatorRepository(m_db).setPasswordHash(code, Secrets::hashPassword(password));
    closeSessionsOf(m_db, code);
    transaction.commit();
    m_say(QStringLiteral("Senha do operador %1 alterada; as sessões abertas foram encerradas.").arg(code));
    return 0;
}

int OperatorAdministration::setActive(const QString &code, bool active)
{
    if (!knownOperator(code))
        return 1;
    WriteTransaction transaction(m_db);
    OperatorRepository(m_db).setActive(code, active);
    if (!active)
        closeSessionsOf(m_db, code);
    transaction.commit();
    m_say(active ? QStringLiteral("Operador %1 reativado.").arg(code)
                 : QStringLiteral("Operador %1 desativado; as sessões abertas foram encerradas.").arg(code));
    return 0;
}

QString OperatorAdministration::storedBranch(const QString &given)
{
    if (given == OperatorGrants::everyBranch)
        return given;
    if (!CodeList::isCode(given, RemoteContract::branchCodeWidth)) {
        m_say(QStringLiteral("Filial inválida: \"%1\" (um código de até 4 letras ou dígitos, ou * para todas).")
                  .arg(given.left(40)));
        return QString();
    }
    const QString branch = given.toUpper().rightJustified(RemoteContract::branchCodeWidth, QLatin1Char('0'));
    if (!OperatorRepository(m_db).branchExists(branch)) {
        m_say(QStringLiteral("Filial %1 não cadastrada.").arg(branch));
        return QString();
    }
    return branch;
}

int OperatorAdministration::grant(const ServerOptions &options)
{
    if (!knownOperator(options.operatorCode))
        return 1;
    const QString branch = storedBranch(options.grantBranch);
    if (branch.isEmpty())
        return 1;
    QStringList rights;
    for (const QString &part : options.grantRights.split(QLatin1Char(','))) {
        const QString right = part.trimmed().toLower();
        if (!OperatorGrants::allRights().contains(right)) {
            m_say(QStringLiteral("Direito desconhecido: \"%1\" (use consultar, gerar, cancelar).").arg(right.left(40)));
            return 1;
        }
        if (!rights.contains(right))
            rights.append(right);
    }
    WriteTransaction transaction(m_db);
    OperatorRepository operators(m_db);
    operators.grant(options.operatorCode, branch, rights);
    transaction.commit();
    const OperatorGrants held = operators.grants(options.operatorCode);
    for (const BranchGrant &grant : held.grants()) {
        if (grant.branch == branch)
            m_say(QStringLiteral("Direitos de %1 na filial %2: %3.")
                      .arg(options.operatorCode, branch, grant.rights.join(QStringLiteral(", "))));
    }
    return 0;
}

int OperatorAdministration::revoke(const ServerOptions &options)
{
    if (!knownOperator(options.operatorCode))
        return 1;
    const QString branch =
        options.grantBranch == OperatorGrants::everyBranch
            ? options.grantBranch
            : options.grantBranch.toUpper().rightJustified(RemoteContract::branchCodeWidth, QLatin1Char('0'));
    WriteTransaction transaction(m_db);
    const int taken = OperatorRepository(m_db).revoke(options.operatorCode, branch);
    transaction.commit();
    m_say(taken > 0
              ? QStringLiteral("Direitos de %1 na filial %2 retirados.").arg(options.operatorCode, branch)
              : QStringLiteral("O operador %1 não tinha direitos na filial %2.").arg(options.operatorCode, branch));
    return 0;
}

int OperatorAdministration::listOperators()
{
    const OperatorRepository operators(m_db);
    const QVector<StoredOperator> all = operators.all();
    if (all.isEmpty()) {
        m_say(QStringLiteral("Nenhum operador cadastrado: inclua o primeiro com --add-operator."));
        return 0;
    }
    for (const StoredOperator &op : all) {
        QStringList grants;
        const OperatorGrants held = operators.grants(op.code);
        for (const BranchGrant &grant : held.grants())
            grants.append(QStringLiteral("%1: %2").arg(grant.branch, grant.rights.join(QLatin1Char(','))));
        m_say(QStringLiteral("%1\t%2\t%3\t%4")
                  .arg(op.code, op.name, op.active ? QStringLiteral("ativo") : QStringLiteral("inativo"),
                       grants.isEmpty() ? QStringLiteral("sem direitos") : grants.join(QStringLiteral("; "))));
    }
    return 0;
}

void OperatorAdministration::addDemoOperators(const QSqlDatabase &db)
{
    struct Demo {
        const char *code;
        const char *name;
        const char *password;
        const char *branch;
        QStringList rights;
    };
    const QVector<Demo> demos{
        {"ADMIN", "Administrador", "admin", "*", OperatorGrants::allRights()},
        {"CONSULTA", "Consulta", "consulta", "*", {RemoteContract::rightToList}},
        {"GERA0001",
         "Gera Filial 0001",
         "gera0001",
         "0001",
         {RemoteContract::rightToList, RemoteContract::rightToGenerate}},
    };
    WriteTransaction transaction(db);
    OperatorRepository operators(db);
    for (const Demo &demo : demos) {
        operators.add(StoredOperator{QString::fromLatin1(demo.code), QString::fromUtf8(demo.name), true,
                                     Secrets::hashPassword(QString::fromLatin1(demo.password))});
        operators.grant(QString::fromLatin1(demo.code), QString::fromLatin1(demo.branch), demo.rights);
    }
    transaction.commit();
}

}  // namespace commission
