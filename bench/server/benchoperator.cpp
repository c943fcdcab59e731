#include "benchoperator.h"

#include "benchsession.h"

#include <operatorrepository.h>
#include <secrets.h>
#include <sessionrepository.h>
#include <writetransaction.h>

#include <QDateTime>

void BenchOperator::openSession(const QSqlDatabase &db)
{
    using namespace commission;
    const QString code = QStringLiteral("BENCH");
    const QString token = Secrets::newToken();
    WriteTransaction transaction(db);
    OperatorRepository operators(db);
    if (!operators.find(code))
        operators.add(
            StoredOperator{code, QStringLiteral("Benchmark"), true, Secrets::hashPassword(Secrets::newToken())});
    operators.grant(code, QStringLiteral("*"), OperatorGrants::allRights());
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    SessionRepository(db).open(Secrets::tokenDigest(token), StoredSession{code, QStringLiteral("Benchmark"), now, now},
                               QStringLiteral("benchmark"));
    transaction.commit();
    BenchSession::use(token, code);
}
