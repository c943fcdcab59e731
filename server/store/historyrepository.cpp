#include "historyrepository.h"

#include "packetfiller.h"
#include "recordsetlayouts.h"
#include "sqlvalues.h"

namespace commission {

namespace {

// The audit rows of the selection; timestamps are stored in UTC, the period
// is the operator's days.
QString auditWhere(const HistoryRepository::Selection &selection, QVariantList &values)
{
    QString where = QStringLiteral(" WHERE A.CDFILIAL = ?");
    values.append(selection.branch);
    if (!selection.salesperson.isEmpty()) {
        where += QStringLiteral(" AND A.CDVENDEDOR = ?");
        values.append(selection.salesperson);
    }
    if (selection.from.isValid()) {
        where += QStringLiteral(" AND A.DTHRAUDITORIA >= ?");
        values.append(SqlValues::timestamp(QDateTime(selection.from, QTime(0, 0))));
    }
    if (selection.to.isValid()) {
        where += QStringLiteral(" AND A.DTHRAUDITORIA < ?");
        values.append(SqlValues::timestamp(QDateTime(selection.to.addDays(1), QTime(0, 0))));
    }
    return where;
}

}  // namespace

EncodedPacket HistoryRepository::settlements(const Selection &selection) const
{
    QVariantList values;
    const QString where = auditWhere(selection, values);
    // A cancelled payable is gone; its settlements show it as not paid.
    return PacketFiller::read(m_db,
                              QStringLiteral("SELECT A.NRAUDITCOMISSAO, A.DTHRAUDITORIA,"
                                             " CASE A.IDOPERACAO WHEN 'G' THEN 'Geração' ELSE 'Cancelamento' END,"
                                             " A.CDOPERADOR, A.CDVENDEDOR, V.NMFANVEN, A.NRCONTAPAGAR, A.QTORCAMENTOS,"
                                             " A.VRCOMISSAO, COALESCE(P.IDBAIXADA, 'N'), A.DSMOTIVO, A.IDOPERACAO"
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
