#include "quoterepository.h"

#include "commissionmath.h"
#include "packetfiller.h"
#include "quotequeries.h"
#include "recordsetlayouts.h"
#include "sqlrunner.h"

namespace commission {

namespace {

// Keys per statement: three bound values each, well below every engine's
// limit on parameters.
constexpr int keysPerStatement = 300;

EncodedPacket run(const QSqlDatabase &db, const SqlStatement &statement, const QVector<packet::FieldSpec> &layout)
{
    return PacketFiller::read(db, statement.sql, statement.values, layout);
}

QuoteKey keyAt(const QSqlQuery &query, int first)
{
    return QuoteKey{query.value(first).toString(), query.value(first + 1).toString(),
                    query.value(first + 2).toString()};
}

}  // namespace

EncodedPacket QuoteRepository::salespeople(const QuoteFilter &filter) const
{
    return run(m_db, QuoteQueries::salespeople(filter), RecordSetLayouts::salespeople());
}

EncodedPacket QuoteRepository::pendingQuotes(const QuoteFilter &filter) const
{
    if (!QuoteQueries::needsPending(filter))
        return PacketFiller::empty(RecordSetLayouts::pendingQuotes());
    return run(m_db, QuoteQueries::pendingQuotes(filter), RecordSetLayouts::pendingQuotes());
}

EncodedPacket QuoteRepository::quotes(const QuoteFilter &filter, const QString &salesperson) const
{
    if (salesperson.isEmpty())
        return PacketFiller::empty(RecordSetLayouts::quotes());
    return run(m_db, QuoteQueries::quotes(filter, salesperson), RecordSetLayouts::quotes());
}

template <typename Visit>
void QuoteRepository::forKeyChunks(const QString &sqlAfterKeys, const QVector<QuoteKey> &keys, Visit visit) const
{
    for (qsizetype start = 0; start < keys.size(); start += keysPerStatement) {
        const qsizetype count = std::min<qsizetype>(keysPerStatement, keys.size() - start);
        QVariantList values;
        values.reserve(count * 3);
        for (qsizetype i = start; i < start + count; ++i)
            QuoteKey::appendValues(values, keys[i]);
        QSqlQuery query = SqlRunner::run(m_db, QuoteKey::keyTable(int(count)) + sqlAfterKeys, values);
        while (query.next())
            visit(query);
    }
}

QHash<QuoteKey, StoredQuote> QuoteRepository::findQuotes(const QVector<QuoteKey> &keys) const
{
    QHash<QuoteKey, StoredQuote> found;
    const QString sql = QStringLiteral("SELECT Q.CDFILIAL, Q.NRORCAEVENTO, Q.NRSEQORCAEVE, Q.CDVENDEDOR,"
                                       " Q.DTFECHAORCA, %1 FROM K JOIN ORCAEVENTO Q ON Q.CDFILIAL = K.B"
                                       " AND Q.NRORCAEVENTO = K.N AND Q.NRSEQORCAEVE = K.S")
                            .arg(CommissionMath::sqlCents(QStringLiteral("Q.VRTOTALOREV")));
    forKeyChunks(sql, keys, [&found](const QSqlQuery &query) {
        StoredQuote quote;
        quote.key = keyAt(query, 0);
        quote.salesperson = query.value(3).toString();
        quote.closed = !query.value(4).isNull();
        quote.totalCents = query.value(5).toLongLong();
        found.insert(quote.key, quote);
    });
    return found;
}

QVector<QuoteCommission> QuoteRepository::generatedCommissions(const QVector<QuoteKey> &keys) const
{
    QVector<QuoteCommission> found;
    const QString sql = QStringLiteral("SELECT L.CDFILIAL, L.NRORCAEVENTO, L.NRSEQORCAEVE, L.NRCONTAPAGAR, %1, %2"
                                       " FROM K JOIN ORCACOMISSAO L ON L.CDFILIAL = K.B AND L.NRORCAEVENTO = K.N"
                                       " AND L.NRSEQORCAEVE = K.S")
                            .arg(CommissionMath::sqlThousandths(QStringLiteral("L.VRPERCCOMIS")),
                                 CommissionMath::sqlCents(QStringLiteral("L.VRCOMISSAO")));
    forKeyChunks(sql, keys, [&found](const QSqlQuery &query) {
        found.append(QuoteCommission{keyAt(query, 0), query.value(3).toLongLong(), query.value(4).toLongLong(),
                                     query.value(5).toLongLong()});
    });
    return found;
}

}  // namespace commission
