#include "historyrepository.h"

#include "packetfiller.h"
#include "recordsetlayouts.h"
#include "sqlvalues.h"

namespace commission {

namespace {

// The audit rows of the selection; timestamps are stored in UTC. A day of
// the server's local time runs from its start to the next day's.
QString auditWhere(const HistoryRepository::Selection &selection, QVariantList &values)
{
    QString where = QStringLiteral(" WHERE A.CDFILIAL = ?");
    values.append(selection.branch);
    if (!selection.salesperson.isEmpty()) {
        where += QStringLiteral(" AND A.CDVENDEDOR = ?");
        values.append(selection.salesperson);
    }
    const QDateTime from = selection.fromInstant.isValid() ? selection.fromInstant
                           : selection.from.isValid()      ? selection.from.startOfDay()
                                                           : QDateTime();
    const QDateTime until = selection.untilInstant.isValid() ? selection.untilInstant
                            : selection.to.isValid()         ? selection.to.addDays(1).startOfDay()
                                                             : QDateTime();
    if (from.isValid()) {
        where += QStringLiteral(" AND A.DTHRAUDITORIA >= ?");
        values.append(SqlValues::timestamp(from));
    }
    if (until.isValid()) {
        where += QStringLiteral(" AND A.DTHRAUDITORIA < ?");
        values.append(SqlValues::timestamp(until));
    }
    return where;
}

}  // namespace

EncodedPacket HistoryRepository::settlements(const Selection &selection) const
{
    QVariantList values;
    const QString where = auditWhere(selection, values);
    // A payable whose last quotes a cancellation took is gone (payable
    // numbers are never handed out again): its settlements show it as not
    // paid, removed, with nothing left and no due date. One that a cancellation touched and
    // left has a cancellation's audit row.
    return PacketFiller::read(
        m_db,
        QStringLiteral("SELECT A.NRAUDITCOMISSAO, A.DTHRAUDITORIA,"
                       " CASE A.IDOPERACAO WHEN 'G' THEN 'Geração' ELSE 'Cancelamento' END,"
                       " A.CDOPERADOR, A.CDVENDEDOR, V.NMFANVEN, A.NRCONTAPAGAR, A.QTORCAMENTOS,"
                       " A.VRCOMISSAO, COALESCE(P.IDBAIXADA, 'N'), A.DSMOTIVO, A.IDOPERACAO,"
                       " CASE WHEN P.NRCONTAPAGAR IS NULL THEN 'R'"
                       " WHEN EXISTS (SELECT 1 FROM AUDITCOMISSAO X WHERE X.NRCONTAPAGAR = A.NRCONTAPAGAR"
                       " AND X.IDOPERACAO = 'C') THEN 'A' ELSE 'G' END,"
                       " COALESCE(P.VRCONTAPAGAR, 0), P.DTVENCIMENTO"
                       " FROM AUDITCOMISSAO A JOIN VENDEDOR V ON V.CDVENDEDOR = A.CDVENDEDOR"
                       " LEFT JOIN CONTAPAGAR P ON P.NRCONTAPAGAR = A.NRCONTAPAGAR")
            + where + QStringLiteral(" ORDER BY A.DTHRAUDITORIA, A.NRAUDITCOMISSAO"),
        values, RecordSetLayouts::settlements());
}

EncodedPacket HistoryRepository::settledQuotes(const Selection &selection) const
{
    QVariantList values;
    const QString where = auditWhere(selection, values);
    return PacketFiller::read(
        m_db,
        QStringLiteral("SELECT O.NRAUDITCOMISSAO, O.NRORCAEVENTO, O.NRSEQORCAEVE, C.NMFANTCLIE,"
                       " O.VRPERCCOMIS, O.VRCOMISSAO"
                       " FROM AUDITCOMISSAOORC O JOIN AUDITCOMISSAO A ON A.NRAUDITCOMISSAO = O.NRAUDITCOMISSAO"
                       " LEFT JOIN ORCAEVENTO Q ON Q.CDFILIAL = O.CDFILIAL AND Q.NRORCAEVENTO = O.NRORCAEVENTO"
                       " AND Q.NRSEQORCAEVE = O.NRSEQORCAEVE"
                       " LEFT JOIN CLIENTE C ON C.CDCLIENTE = Q.CDCLIENTE")
            + where + QStringLiteral(" ORDER BY O.NRAUDITCOMISSAO, O.NRORCAEVENTO, O.NRSEQORCAEVE"),
        values, RecordSetLayouts::settledQuotes());
}

}  // namespace commission
