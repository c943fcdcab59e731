#include "commissionfixture.h"

#include <bulkinserter.h>
#include <commissionmath.h>
#include <recordsetlayouts.h>
#include <sqlrunner.h>
#include <writetransaction.h>

#include <QSqlQuery>

using commission::SqlRunner;

namespace {

struct QuoteRow {
    int id;
    const char *branch, *number, *sequence, *salesperson, *type, *event, *closed;
    double total;
    QVariant percent;
};

const QVector<QuoteRow> quotes = {
    {1, "0001", "0000000001", "01", "0001", "001", "2024-05-10", "2024-04-20", 1000.00, {}},
    {2, "0001", "0000000001", "02", "0001", "002", "2024-05-20", "2024-05-02", 2000.00, 2.5},
    {3, "0001", "0000000003", "01", "0001", "001", "2024-06-05", "2024-05-15", 400.00, {}},
    {4, "0001", "0000000004", "01", "0001", "001", "2024-05-12", nullptr, 600.00, {}},
    {5, "0001", "0000000005", "01", "0002", "003", "2024-05-25", "2024-06-01", 333.33, {}},
    {6, "0001", "0000000006", "01", "0004", "001", "2024-05-15", "2024-05-03", 800.00, {}},
    {7, "0001", "0000000007", "01", "0003", "002", "2024-05-05", "2024-04-30", 500.00, {}},
    {8, "0001", "0000000008", "01", "0005", "001", "2024-05-06", "2024-05-06", 700.00, {}},
    {9, "0001", "0000000009", "01", "0001", "001", "2024-05-28", "2024-05-28", -300.00, {}},
    {10, "0002", "0000000010", "01", "0001", "001", "2024-05-10", "2024-05-01", 900.00, {}},
    {11, "0003", "0000000011", "01", "0001", "001", "2024-05-10", "2024-05-01", 100.00, {}},
    {12, "0001", "0000000012", "01", "0006", "003", "2024-05-11", "2024-05-11", 1000.00, {}},
};

QVariant text(const char *value)
{
    return value ? QVariant(QString::fromUtf8(value)) : QVariant(QMetaType::fromType<QString>());
}

const QuoteRow &quoteRow(int id)
{
    for (const QuoteRow &row : quotes) {
        if (row.id == id)
            return row;
    }
    qFatal("quote %d is not in the fixture", id);
}

}  // namespace

commission::QuoteKey CommissionFixture::key(int quote)
{
    const QuoteRow &row = quoteRow(quote);
    return {QString::fromLatin1(row.branch), QString::fromLatin1(row.number), QString::fromLatin1(row.sequence)};
}

commission::QuoteFilter CommissionFixture::mayFilter()
{
    commission::QuoteFilter filter;
    filter.branch = QStringLiteral("0001");
    filter.from = QDate(2024, 5, 1);
    filter.to = QDate(2024, 5, 31);
    return filter;
}

void CommissionFixture::write() const
{
    commission::WriteTransaction transaction(m_db);
    exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDEMPRESA, CDSERIE) VALUES"
                        " ('0001', 'Filial Centro', '01', '1'), ('0002', 'Filial Norte', '01', '1'),"
                        " ('0003', 'Filial Sem Empresa', NULL, NULL)"));
    exec(QStringLiteral(
        "INSERT INTO VENDEDOR (CDVENDEDOR, NMFANVEN, CDFORNECED, IDGERACOMISVEND, IDCARGOVEND,"
        " VRPERCCOMISVEND) VALUES"
        " ('0001', 'Ana Souza', 'F0001', 'S', 'V', 5), ('0002', 'Bruno Lima', 'F0002', 'S', 'V', 3),"
        " ('0003', 'Carla Dias', NULL, 'S', 'V', 4), ('0004', 'Diego Melo', 'F0004', 'N', 'V', 2),"
        " ('0005', 'Elisa Rocha', 'F0005', 'S', 'G', 0), ('0006', 'Fábio Nunes', 'F0006', 'S', 'V', 1)"));
    exec(QStringLiteral("INSERT INTO TIPOEVENTO (CDTIPOEVENTO, NMTIPOEVENTO) VALUES"
                        " ('001', 'Casamento'), ('002', 'Formatura'), ('003', 'Aniversário')"));
    exec(QStringLiteral("INSERT INTO CLIENTE (CDCLIENTE, NMFANTCLIE) VALUES ('C1', 'Buffet Alegria'),"
                        " ('C2', 'Eventos Paulista')"));
    for (const QuoteRow &q : quotes) {
        exec(
            QStringLiteral("INSERT INTO ORCAEVENTO (CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE, CDCLIENTE, CDVENDEDOR,"
                           " CDTIPOEVENTO, DTEVENTO, DTFECHAORCA, VRTOTALOREV, VRPERCCOMIS, DSTITUORCEVE, IDTPRECEOREV)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'N')"),
            {text(q.branch), text(q.number), text(q.sequence), q.id % 2 ? QStringLiteral("C1") : QStringLiteral("C2"),
             text(q.salesperson), text(q.type), text(q.event), text(q.closed), q.total,
             q.percent.isValid() ? q.percent : QVariant(QMetaType::fromType<double>()),
             QStringLiteral("Orçamento %1").arg(q.id)});
    }
    exec(QStringLiteral("INSERT INTO PARAMORCAEVE (NRPARAMORCAEVE, CDTPCTPAGAR, CDTPCTPAGARNEG, CDTPOPENTACE,"
                        " CDSERIEENTR, DSDEFACTPAG, IDGERACOMISSAO, IDDTBASECOMISSAO, IDGERACOMISSAOVEND)"
                        " VALUES (1, 'COM', 'COMNEG', '01', '1', 'Comissão de eventos', 'MANUTENCAO', 'EVENTO', 'S')"));
    // q2 generated into an open payable, q12 into a paid one.
    exec(QStringLiteral("INSERT INTO CONTAPAGAR (NRCONTAPAGAR, CDFILIAL, CDFORNECED, CDVENDEDOR, CDTPCTPAGAR,"
                        " CDTPOPENTACE, CDSERIEENTR, VRCONTAPAGAR, DTEMISSAO, DTVENCIMENTO, IDBAIXADA, CDOPERADOR,"
                        " DTHRCRIACAO) VALUES"
                        " (101, '0001', 'F0001', '0001', 'COM', '01', '1', 80, '2024-06-01', '2024-07-01', 'N', 'OP1',"
                        " '2024-06-01 10:00:00'),"
                        " (102, '0001', 'F0006', '0006', 'COM', '01', '1', 10, '2024-06-01', '2024-07-01', 'S', 'OP1',"
                        " '2024-06-01 10:00:00')"));
    exec(QStringLiteral("INSERT INTO ORCACOMISSAO (CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE, NRCONTAPAGAR, VRPERCCOMIS,"
                        " VRCOMISSAO) VALUES ('0001', '0000000001', '02', 101, 4, 80),"
                        " ('0001', '0000000012', '01', 102, 1, 10)"));
    // Payables written with their numbers leave PostgreSQL's identity behind;
    // new ones must not run into them.
    if (m_db.driverName() == QLatin1String("QPSQL"))
        exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('contapagar', 'nrcontapagar'),"
                            " (SELECT MAX(NRCONTAPAGAR) FROM CONTAPAGAR))"));
    transaction.commit();
}

packet::Packet CommissionFixture::quotesPacket(const QVector<Row> &rows)
{
    packet::Packet result;
    result.fields = commission::RecordSetLayouts::quotes();
    for (const Row &row : rows) {
        const commission::QuoteKey k = key(row.quote);
        result.rows.append({row.marked ? QStringLiteral("S") : QStringLiteral("N"), k.branch, k.number, k.sequence,
                            QStringLiteral("C1"), QStringLiteral("0001"), QStringLiteral("001"), 45000.0, 45000.0,
                            999999.0, row.percent, QStringLiteral("Cliente"), QStringLiteral("Evento"), 999999.0,
                            QStringLiteral("N")});
    }
    return result;
}

packet::Packet CommissionFixture::quotesPacket(const QVector<commission::QuoteKey> &keys, double percent)
{
    packet::Packet result;
    result.fields = commission::RecordSetLayouts::quotes();
    for (const commission::QuoteKey &k : keys) {
        result.rows.append({QStringLiteral("S"), k.branch, k.number, k.sequence, QStringLiteral("C1"),
                            QStringLiteral("0001"), QStringLiteral("001"), 45000.0, 45000.0, 999999.0, percent,
                            QStringLiteral("Cliente"), QStringLiteral("Evento"), 999999.0, QStringLiteral("N")});
    }
    return result;
}

QVector<commission::QuoteKey> CommissionFixture::writeQuotes(const QString &salesperson, qint64 first, int count) const
{
    QVector<commission::QuoteKey> keys;
    commission::WriteTransaction transaction(m_db);
    commission::BulkInserter quotes(m_db, QStringLiteral("ORCAEVENTO"),
                                    {QStringLiteral("CDFILIAL"), QStringLiteral("NRORCAEVENTO"),
                                     QStringLiteral("NRSEQORCAEVE"), QStringLiteral("CDCLIENTE"),
                                     QStringLiteral("CDVENDEDOR"), QStringLiteral("CDTIPOEVENTO"),
                                     QStringLiteral("DTEVENTO"), QStringLiteral("DTFECHAORCA"),
                                     QStringLiteral("VRTOTALOREV"), QStringLiteral("IDTPRECEOREV")});
    for (qint64 number = first; number < first + count; ++number) {
        const commission::QuoteKey key{
            QStringLiteral("0001"), QStringLiteral("%1").arg(number, 10, 10, QLatin1Char('0')), QStringLiteral("01")};
        quotes.add({key.branch, key.number, key.sequence, QStringLiteral("C1"), salesperson, QStringLiteral("001"),
                    QStringLiteral("2024-05-15"), QStringLiteral("2024-05-10"), 100.0, QStringLiteral("N")});
        keys.append(key);
    }
    quotes.finish();
    transaction.commit();
    return keys;
}

qint64 CommissionFixture::count(const QString &table) const
{
    return value(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toLongLong();
}

QVariant CommissionFixture::value(const QString &sql, const QVariantList &values) const
{
    QSqlQuery query = SqlRunner::run(m_db, sql, values);
    return query.next() ? query.value(0) : QVariant();
}

void CommissionFixture::exec(const QString &sql, const QVariantList &values) const
{
    SqlRunner::run(m_db, sql, values);
}

QStringList CommissionFixture::moneyFaults() const
{
    using commission::CommissionMath;
    // The fixture's own payables (101, 102) have no audit rows.
    const QString sumOfLinks = CommissionMath::sqlCents(QStringLiteral(
        "(SELECT COALESCE(SUM(L.VRCOMISSAO), 0) FROM ORCACOMISSAO L WHERE L.NRCONTAPAGAR = P.NRCONTAPAGAR)"));
    const QString held = CommissionMath::sqlCents(
        QStringLiteral("COALESCE((SELECT P.VRCONTAPAGAR FROM CONTAPAGAR P WHERE P.NRCONTAPAGAR = A.NRCONTAPAGAR), 0)"));
    const QString audited = CommissionMath::sqlCents(
        QStringLiteral("SUM(CASE WHEN A.IDOPERACAO = 'G' THEN A.VRCOMISSAO ELSE -A.VRCOMISSAO END)"));
    const QList<std::pair<QString, QString>> rules = {
        {QStringLiteral("payables that differ from the sum of their links"),
         QStringLiteral("SELECT COUNT(*) FROM CONTAPAGAR P WHERE %1 <> %2")
             .arg(CommissionMath::sqlCents(QStringLiteral("P.VRCONTAPAGAR")), sumOfLinks)},
        {QStringLiteral("payables without links"),
         QStringLiteral("SELECT COUNT(*) FROM CONTAPAGAR P WHERE NOT EXISTS"
                        " (SELECT 1 FROM ORCACOMISSAO L WHERE L.NRCONTAPAGAR = P.NRCONTAPAGAR)")},
        {QStringLiteral("links without their generation's audit"),
         QStringLiteral("SELECT COUNT(*) FROM ORCACOMISSAO L WHERE L.NRCONTAPAGAR NOT IN (101, 102) AND NOT EXISTS"
                        " (SELECT 1 FROM AUDITCOMISSAOORC D JOIN AUDITCOMISSAO A"
                        " ON A.NRAUDITCOMISSAO = D.NRAUDITCOMISSAO WHERE A.IDOPERACAO = 'G'"
                        " AND A.NRCONTAPAGAR = L.NRCONTAPAGAR AND D.CDFILIAL = L.CDFILIAL"
                        " AND D.NRORCAEVENTO = L.NRORCAEVENTO AND D.NRSEQORCAEVE = L.NRSEQORCAEVE)")},
        {QStringLiteral("payables whose audit does not add up to what they hold"),
         QStringLiteral("SELECT COUNT(*) FROM (SELECT A.NRCONTAPAGAR FROM AUDITCOMISSAO A"
                        " GROUP BY A.NRCONTAPAGAR HAVING %1 <> MAX(%2)) X")
             .arg(audited, held)},
    };
    QStringList faults;
    for (const auto &[rule, sql] : rules) {
        const qint64 found = value(sql).toLongLong();
        if (found != 0)
            faults.append(QStringLiteral("%1: %2").arg(rule).arg(found));
    }
    return faults;
}
