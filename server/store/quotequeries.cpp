#include "quotequeries.h"

#include "commissionmath.h"
#include "sqlrunner.h"
#include "sqlvalues.h"

namespace commission {

namespace {

// Generated commission: the link written by the generation. Not generated:
// no link yet.
const QString linkJoin =
    QStringLiteral(" JOIN ORCACOMISSAO L ON L.CDFILIAL = Q.CDFILIAL AND L.NRORCAEVENTO = Q.NRORCAEVENTO"
                   " AND L.NRSEQORCAEVE = Q.NRSEQORCAEVE");
const QString noLink = QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM ORCACOMISSAO L WHERE L.CDFILIAL = Q.CDFILIAL"
                                      " AND L.NRORCAEVENTO = Q.NRORCAEVENTO AND L.NRSEQORCAEVE = Q.NRSEQORCAEVE)");

// A quote's own percentage, else its salesperson's default (V joined).
const QString percentThousandths =
    CommissionMath::sqlThousandths(QStringLiteral("COALESCE(Q.VRPERCCOMIS, V.VRPERCCOMISVEND, 0)"));
const QString commissionCents =
    CommissionMath::sqlCommissionCents(CommissionMath::sqlCents(QStringLiteral("Q.VRTOTALOREV")), percentThousandths);
// The same when summing a period's quotes: the default is looked up only
// for the quotes without their own percentage, instead of joining every
// quote to its salesperson.
const QString summedCommissionCents = CommissionMath::sqlCommissionCents(
    CommissionMath::sqlCents(QStringLiteral("Q.VRTOTALOREV")),
    CommissionMath::sqlThousandths(QStringLiteral("COALESCE(Q.VRPERCCOMIS, (SELECT D.VRPERCCOMISVEND FROM VENDEDOR D"
                                                  " WHERE D.CDVENDEDOR = Q.CDVENDEDOR), 0)")));

QString dateColumn(const QuoteFilter &filter)
{
    return filter.dateBase == QuoteFilter::DateBase::Closing ? QStringLiteral("Q.DTFECHAORCA")
                                                             : QStringLiteral("Q.DTEVENTO");
}

void appendList(SqlStatement &statement, const QString &column, const QStringList &codes)
{
    if (codes.isEmpty())
        return;
    statement.sql += QStringLiteral(" AND %1 IN (%2)").arg(column, SqlRunner::placeholders(codes.size()));
    for (const QString &code : codes)
        statement.values.append(code);
}

}  // namespace

void QuoteQueries::appendSelection(SqlStatement &statement, const QuoteFilter &filter)
{
    // A quote counts once it is closed.
    statement.sql += QStringLiteral(" WHERE Q.CDFILIAL = ? AND Q.DTFECHAORCA IS NOT NULL");
    statement.values.append(filter.branch);
    if (filter.from.isValid()) {
        statement.sql += QStringLiteral(" AND %1 >= ?").arg(dateColumn(filter));
        statement.values.append(SqlValues::date(filter.from));
    }
    if (filter.to.isValid()) {
        statement.sql += QStringLiteral(" AND %1 <= ?").arg(dateColumn(filter));
        statement.values.append(SqlValues::date(filter.to));
    }
    appendList(statement, QStringLiteral("Q.CDVENDEDOR"), filter.salespeople);
    appendList(statement, QStringLiteral("Q.CDTIPOEVENTO"), filter.eventTypes);
    if (!filter.generated)
        statement.sql += noLink;
}

SqlStatement QuoteQueries::salespeople(const QuoteFilter &filter)
{
    // The quotes are summed per salesperson code straight from the branch's
    // period in the index; the salespeople's names are joined to the few
    // sums afterwards.
    SqlStatement statement;
    const QString sum = filter.generated ? CommissionMath::sqlCents(QStringLiteral("SUM(L.VRCOMISSAO)"))
                                         : QStringLiteral("CAST(SUM(%1) AS BIGINT)").arg(summedCommissionCents);
    statement.sql = QStringLiteral("SELECT V.CDVENDEDOR, V.NMFANVEN, V.CDFORNECED, V.IDGERACOMISVEND, V.IDCARGOVEND,"
                                   " S.CENTS / 100.0 AS VRCOMISSAO"
                                   " FROM (SELECT Q.CDVENDEDOR, %1 AS CENTS FROM ORCAEVENTO Q")
                        .arg(sum);
    if (filter.generated)
        statement.sql += linkJoin;
    appendSelection(statement, filter);
    statement.sql += QStringLiteral(" GROUP BY Q.CDVENDEDOR) S JOIN VENDEDOR V ON V.CDVENDEDOR = S.CDVENDEDOR");
    // Commission already generated is listed whoever it belongs to, so it can
    // always be cancelled; for new commission only salespeople who earn it.
    if (!filter.generated && !filter.everyoneEarns)
        statement.sql += QStringLiteral(" WHERE V.IDGERACOMISVEND = 'S'");
    statement.sql += QStringLiteral(" ORDER BY V.NMFANVEN, V.CDVENDEDOR");
    return statement;
}

bool QuoteQueries::needsPending(const QuoteFilter &filter)
{
    return !filter.generated && !filter.everyoneEarns;
}

SqlStatement QuoteQueries::pendingQuotes(const QuoteFilter &filter)
{
    // Driven by the salespeople who earn no commission (usually none or a
    // few), each looked up in the index of its branch's quotes by salesperson:
    // the branch's other quotes are never read. The cross join keeps SQLite
    // from starting at the quotes.
    SqlStatement statement;
    statement.sql = QStringLiteral(
        "SELECT Q.CDFILIAL, Q.NRORCAEVENTO, Q.NRSEQORCAEVE, V.NMFANVEN, Q.CDVENDEDOR, Q.DTEVENTO, Q.DSTITUORCEVE"
        " FROM VENDEDOR V CROSS JOIN ORCAEVENTO Q");
    appendSelection(statement, filter);
    statement.sql += QStringLiteral(" AND Q.CDVENDEDOR = V.CDVENDEDOR AND V.IDGERACOMISVEND = 'N'"
                                    " ORDER BY V.NMFANVEN, Q.CDVENDEDOR, Q.DTEVENTO, Q.NRORCAEVENTO, Q.NRSEQORCAEVE");
    return statement;
}

SqlStatement QuoteQueries::quotes(const QuoteFilter &filter, const QString &salesperson)
{
    SqlStatement statement;
    const QString percent =
        filter.generated ? QStringLiteral("L.VRPERCCOMIS") : QStringLiteral("%1 / 1000.0").arg(percentThousandths);
    const QString commission =
        filter.generated ? QStringLiteral("L.VRCOMISSAO") : QStringLiteral("%1 / 100.0").arg(commissionCents);
    statement.sql = QStringLiteral("SELECT 'S', Q.CDFILIAL, Q.NRORCAEVENTO, Q.NRSEQORCAEVE, Q.CDCLIENTE, Q.CDVENDEDOR,"
                                   " Q.CDTIPOEVENTO, Q.DTEVENTO, Q.DTFECHAORCA, Q.VRTOTALOREV, %1, C.NMFANTCLIE,"
                                   " T.NMTIPOEVENTO, %2, Q.IDTPRECEOREV"
                                   " FROM ORCAEVENTO Q JOIN VENDEDOR V ON V.CDVENDEDOR = Q.CDVENDEDOR"
                                   " JOIN CLIENTE C ON C.CDCLIENTE = Q.CDCLIENTE"
                                   " JOIN TIPOEVENTO T ON T.CDTIPOEVENTO = Q.CDTIPOEVENTO")
                        .arg(percent, commission);
    if (filter.generated)
        statement.sql += linkJoin;
    appendSelection(statement, filter);
    statement.sql +=
        QStringLiteral(" AND Q.CDVENDEDOR = ? ORDER BY %1, Q.NRORCAEVENTO, Q.NRSEQORCAEVE").arg(dateColumn(filter));
    statement.values.append(salesperson);
    return statement;
}

}  // namespace commission
