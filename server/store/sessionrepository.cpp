#include "sessionrepository.h"

#include "sqlrunner.h"

namespace commission {

void SessionRepository::open(const QString &digest, const StoredSession &session, const QString &origin)
{
    SqlRunner::run(m_db,
                   QStringLiteral("INSERT INTO SESSAOOPERADOR (DSTOKENHASH, CDOPERADOR, NMOPERADOR, NRINICIO,"
                                  " NRULTIMOUSO, DSORIGEM) VALUES (?, ?, ?, ?, ?, ?)"),
                   {digest, session.operatorCode, session.operatorName.left(60), session.started, session.lastUsed,
                    origin.left(64)});
}

std::optional<StoredSession> SessionRepository::find(const QString &digest) const
{
    QSqlQuery query = SqlRunner::run(m_db,
                                     QStringLiteral("SELECT CDOPERADOR, NMOPERADOR, NRINICIO, NRULTIMOUSO"
                                                    " FROM SESSAOOPERADOR WHERE DSTOKENHASH = ?"),
                                     {digest});
    if (!query.next())
        return std::nullopt;
    return StoredSession{query.value(0).toString(), query.value(1).toString(), query.value(2).toLongLong(),
                         query.value(3).toLongLong()};
}

bool SessionRepository::touch(const QString &digest, qint64 now)
{
    return SqlRunner::run(m_db,
                          QStringLiteral("UPDATE SESSAOOPERADOR SET NRULTIMOUSO = ? WHERE DSTOKENHASH = ?"
                                         " AND NRULTIMOUSO < ?"),
                          {now, digest, now})
               .numRowsAffected()
           > 0;
}

void SessionRepository::close(const QString &digest)
{
    SqlRunner::run(m_db, QStringLiteral("DELETE FROM SESSAOOPERADOR WHERE DSTOKENHASH = ?"), {digest});
}

void SessionRepository::closeExpired(qint64 idleBefore, qint64 startedBefore)
{
    SqlRunner::run(m_db, QStringLiteral("DELETE FROM SESSAOOPERADOR WHERE NRULTIMOUSO < ? OR NRINICIO < ?"),
                   {idleBefore, startedBefore});
}

SessionRepository::Failures SessionRepository::failures(const QString &key, qint64 since) const
{
    QSqlQuery query = SqlRunner::run(
        m_db, QStringLiteral("SELECT COUNT(*), MAX(NRINSTANTE) FROM FALHAENTRADA WHERE DSCHAVE = ? AND NRINSTANTE > ?"),
        {key, since});
    if (!query.next())
        return {};
    return Failures{query.value(0).toInt(), query.value(1).toLongLong()};
}

void SessionRepository::recordFailure(const QString &key, qint64 at)
{
    SqlRunner::run(m_db, QStringLiteral("INSERT INTO FALHAENTRADA (DSCHAVE, NRINSTANTE) VALUES (?, ?)"),
                   {key.left(90), at});
}

void SessionRepository::clearFailures(const QString &key)
{
    SqlRunner::run(m_db, QStringLiteral("DELETE FROM FALHAENTRADA WHERE DSCHAVE = ?"), {key});
}

void SessionRepository::forgetFailuresBefore(qint64 before)
{
    SqlRunner::run(m_db, QStringLiteral("DELETE FROM FALHAENTRADA WHERE NRINSTANTE < ?"), {before});
}

}  // namespace commission
