#include "payablerepository.h"

#include "bulkinserter.h"
#include "commissionmath.h"
#include "sqldialect.h"
#include "sqlrunner.h"
#include "sqlvalues.h"

namespace commission {

namespace {

constexpr int rowsPerStatement = 250;

QVariant decimal(qint64 units, double scale)
{
    return units / scale;
}

}  // namespace

qint64 PayableRepository::insertPayable(const NewPayable &payable)
{
    QSqlQuery query = SqlRunner::run(
        m_db,
        QStringLiteral(
            "INSERT INTO CONTAPAGAR (CDFILIAL, CDFORNECED, CDVENDEDOR, CDTPCTPAGAR, CDTPOPENTACE, CDSERIEENTR,"
            " DSCONTAPAGAR, VRCONTAPAGAR, DTEMISSAO, DTVENCIMENTO, IDBAIXADA, CDOPERADOR, DTHRCRIACAO)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'N', ?, ?) RETURNING NRCONTAPAGAR"),
        {payable.branch, payable.supplier, payable.salesperson, payable.accountType, payable.operationType,
         payable.series, payable.description, decimal(payable.amountCents, 100), SqlValues::date(payable.issued),
         SqlValues::date(payable.due), payable.operatorCode, SqlValues::timestamp(payable.createdAt)});
    if (!query.next())
        throw ServiceError::internal(QStringLiteral("O banco não devolveu o número da conta a pagar."));
    return query.value(0).toLongLong();
}

bool PayableRepository::insertCommissions(const QVector<QuoteCommission> &commissions)
{
    for (qsizetype start = 0; start < commissions.size(); start += rowsPerStatement) {
        const qsizetype count = std::min<qsizetype>(rowsPerStatement, commissions.size() - start);
        QVariantList values;
        values.reserve(count * 6);
        for (qsizetype i = start; i < start + count; ++i) {
            const QuoteCommission &c = commissions[i];
            values << c.key.branch << c.key.number << c.key.sequence << c.payable << decimal(c.percentThousandths, 1000)
                   << decimal(c.commissionCents, 100);
        }
        const QString sql = QStringLiteral("INSERT INTO ORCACOMISSAO (CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE,"
                                           " NRCONTAPAGAR, VRPERCCOMIS, VRCOMISSAO) VALUES %1")
                                .arg(SqlRunner::rowPlaceholders(int(count), 6));
        if (!SqlRunner::runUnlessDuplicate(m_db, sql, values))
            return false;
    }
    return true;
}

QVector<PayableState> PayableRepository::lockPayables(const QVector<qint64> &numbers)
{
    QVector<PayableState> states;
    if (numbers.isEmpty())
        return states;
    QVariantList values;
    for (qint64 number : numbers)
        values.append(number);
    QSqlQuery query =
        SqlRunner::run(m_db,
                       QStringLiteral("SELECT NRCONTAPAGAR, CDFILIAL, CDVENDEDOR, IDBAIXADA, %1 FROM CONTAPAGAR"
                                      " WHERE NRCONTAPAGAR IN (%2) ORDER BY NRCONTAPAGAR%3")
                           .arg(CommissionMath::sqlCents(QStringLiteral("VRCONTAPAGAR")),
                                SqlRunner::placeholders(numbers.size()), SqlDialect::of(m_db).forUpdate()),
                       values);
    while (query.next())
        states.append(PayableState{query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
                                   query.value(3).toString() == QLatin1String("S"), query.value(4).toLongLong()});
    return states;
}

QHash<qint64, PayableOrigin> PayableRepository::origins(const QVector<qint64> &numbers) const
{
    QHash<qint64, PayableOrigin> found;
    if (numbers.isEmpty())
        return found;
    QVariantList values;
    for (qint64 number : numbers)
        values.append(number);
    QSqlQuery query = SqlRunner::run(m_db,
                                     QStringLiteral("SELECT NRCONTAPAGAR, CDOPERADOR, DTHRCRIACAO FROM CONTAPAGAR"
                                                    " WHERE NRCONTAPAGAR IN (%1)")
                                         .arg(SqlRunner::placeholders(numbers.size())),
                                     values);
    while (query.next())
        found.insert(query.value(0).toLongLong(),
                     PayableOrigin{query.value(1).toString(), SqlValues::toUtcDateTime(query.value(2))});
    return found;
}

void PayableRepository::removeCommissions(qint64 payable, const QVector<QuoteKey> &keys)
{
    for (qsizetype start = 0; start < keys.size(); start += rowsPerStatement) {
        const qsizetype count = std::min<qsizetype>(rowsPerStatement, keys.size() - start);
        QVariantList values;
        values.reserve(count * 3 + 1);
        for (qsizetype i = start; i < start + count; ++i)
            QuoteKey::appendValues(values, keys[i]);
        values.append(payable);
        SqlRunner::run(m_db,
                       QuoteKey::keyTable(int(count))
                           + QStringLiteral("DELETE FROM ORCACOMISSAO WHERE (CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE)"
                                            " IN (SELECT B, N, S FROM K) AND NRCONTAPAGAR = ?"),
                       values);
    }
}

std::optional<qint64> PayableRepository::settleAmount(qint64 payable)
{
    QSqlQuery remaining =
        SqlRunner::run(m_db,
                       QStringLiteral("SELECT COUNT(*), %1 FROM ORCACOMISSAO WHERE NRCONTAPAGAR = ?")
                           .arg(CommissionMath::sqlCents(QStringLiteral("COALESCE(SUM(VRCOMISSAO), 0)"))),
                       {payable});
    remaining.next();
    if (remaining.value(0).toLongLong() == 0) {
        SqlRunner::run(m_db, QStringLiteral("DELETE FROM CONTAPAGAR WHERE NRCONTAPAGAR = ?"), {payable});
        return std::nullopt;
    }
    const qint64 cents = remaining.value(1).toLongLong();
    SqlRunner::run(m_db, QStringLiteral("UPDATE CONTAPAGAR SET VRCONTAPAGAR = ? WHERE NRCONTAPAGAR = ?"),
                   {decimal(cents, 100), payable});
    return cents;
}

void PayableRepository::writeAudit(const AuditEntry &entry)
{
    qint64 totalCents = 0;
    for (const QuoteCommission &quote : entry.quotes)
        totalCents += quote.commissionCents;
    const bool generation = entry.operation == AuditEntry::Operation::Generation;
    QSqlQuery header = SqlRunner::run(
        m_db,
        QStringLiteral(
            "INSERT INTO AUDITCOMISSAO (IDOPERACAO, DTHRAUDITORIA, CDOPERADOR, DSORIGEM, CDFILIAL, CDVENDEDOR,"
            " NRCONTAPAGAR, QTORCAMENTOS, VRCOMISSAO, DSMOTIVO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
            " RETURNING NRAUDITCOMISSAO"),
        {generation ? QStringLiteral("G") : QStringLiteral("C"), SqlValues::timestamp(entry.at),
         entry.operatorCode.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(entry.operatorCode),
         entry.origin.left(64), entry.branch, entry.salesperson, entry.payable, int(entry.quotes.size()),
         decimal(totalCents, 100),
         entry.reason.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(entry.reason)});
    if (!header.next())
        throw ServiceError::internal(QStringLiteral("O banco não devolveu o número da auditoria."));
    const qint64 audit = header.value(0).toLongLong();

    BulkInserter details(m_db, QStringLiteral("AUDITCOMISSAOORC"),
                         {QStringLiteral("NRAUDITCOMISSAO"), QStringLiteral("CDFILIAL"), QStringLiteral("NRORCAEVENTO"),
                          QStringLiteral("NRSEQORCAEVE"), QStringLiteral("VRPERCCOMIS"), QStringLiteral("VRCOMISSAO")},
                         rowsPerStatement);
    for (const QuoteCommission &quote : entry.quotes)
        details.add({audit, quote.key.branch, quote.key.number, quote.key.sequence,
                     decimal(quote.percentThousandths, 1000), decimal(quote.commissionCents, 100)});
    details.finish();
}

}  // namespace commission
