#include "operatorrepository.h"

#include "sqlrunner.h"

#include <remotecontract.h>

#include <QRegularExpression>

namespace commission {

namespace {

StoredOperator operatorOf(const QSqlQuery &query)
{
    return StoredOperator{query.value(0).toString(), query.value(1).toString(),
                          query.value(2).toString() == QLatin1String("S"), query.value(3).toString()};
}

const QString selectOperators = QStringLiteral("SELECT CDOPERADOR, NMOPERADOR, IDATIVO, DSSENHA FROM OPERADOR");

}  // namespace

bool OperatorRepository::isOperatorCode(const QString &code)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[A-Z0-9._-]{1,%1}$").arg(contract::RemoteContract::operatorCodeWidth));
    return pattern.match(code).hasMatch();
}

std::optional<StoredOperator> OperatorRepository::find(const QString &code) const
{
    QSqlQuery query = SqlRunner::run(m_db, selectOperators + QStringLiteral(" WHERE CDOPERADOR = ?"), {code});
    if (!query.next())
        return std::nullopt;
    return operatorOf(query);
}

QVector<StoredOperator> OperatorRepository::all() const
{
    QSqlQuery query = SqlRunner::run(m_db, selectOperators + QStringLiteral(" ORDER BY CDOPERADOR"));
    QVector<StoredOperator> result;
    while (query.next())
        result.append(operatorOf(query));
    return result;
}

OperatorGrants OperatorRepository::grants(const QString &code) const
{
    QSqlQuery query = SqlRunner::run(
        m_db, QStringLiteral("SELECT CDFILIAL, CDDIREITO FROM OPERADORDIREITO WHERE CDOPERADOR = ? ORDER BY CDFILIAL"),
        {code});
    QVector<BranchGrant> grants;
    while (query.next()) {
        const QString branch = query.value(0).toString();
        if (grants.isEmpty() || grants.last().branch != branch)
            grants.append(BranchGrant{branch, {}});
        grants.last().rights.append(query.value(1).toString());
    }
    // Rights listed in one order whatever the database's collation.
    for (BranchGrant &grant : grants) {
        QStringList ordered;
        for (const QString &right : OperatorGrants::allRights()) {
            if (grant.rights.contains(right))
                ordered.append(right);
        }
        grant.rights = ordered;
    }
    return OperatorGrants(grants);
}

bool OperatorRepository::add(const StoredOperator &op)
{
    return SqlRunner::runUnlessDuplicate(
        m_db, QStringLiteral("INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, IDATIVO, DSSENHA) VALUES (?, ?, ?, ?)"),
        {op.code, op.name, op.active ? QStringLiteral("S") : QStringLiteral("N"), op.passwordHash});
}

bool OperatorRepository::setPasswordHash(const QString &code, const QString &hash)
{
    return SqlRunner::run(m_db, QStringLiteral("UPDATE OPERADOR SET DSSENHA = ? WHERE CDOPERADOR = ?"), {hash, code})
               .numRowsAffected()
           > 0;
}

bool OperatorRepository::setActive(const QString &code, bool active)
{
    return SqlRunner::run(m_db, QStringLiteral("UPDATE OPERADOR SET IDATIVO = ? WHERE CDOPERADOR = ?"),
                          {active ? QStringLiteral("S") : QStringLiteral("N"), code})
               .numRowsAffected()
           > 0;
}

void OperatorRepository::grant(const QString &code, const QString &branch, const QStringList &rights)
{
    for (const QString &right : rights)
        SqlRunner::runUnlessDuplicate(
            m_db, QStringLiteral("INSERT INTO OPERADORDIREITO (CDOPERADOR, CDFILIAL, CDDIREITO) VALUES (?, ?, ?)"),
            {code, branch, right});
}

int OperatorRepository::revoke(const QString &code, const QString &branch)
{
    return SqlRunner::run(m_db, QStringLiteral("DELETE FROM OPERADORDIREITO WHERE CDOPERADOR = ? AND CDFILIAL = ?"),
                          {code, branch})
        .numRowsAffected();
}

bool OperatorRepository::branchExists(const QString &branch) const
{
    QSqlQuery query = SqlRunner::run(m_db, QStringLiteral("SELECT 1 FROM FILIAL WHERE CDFILIAL = ?"), {branch});
    return query.next();
}

}  // namespace commission
