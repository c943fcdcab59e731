#include "quoterepository.h"

#include "commissionmath.h"
#include "connectionprovider.h"
#include "packetfiller.h"
#include "quotequeries.h"
#include "recordsetlayouts.h"

namespace commission {

namespace {

// Keys per statement: three bound values each, well below every engine's
// limit on parameters.
constexpr int keysPerStatement = 300;

EncodedPacket run(const QSqlDatabase &db, const SqlStatement &statement, const QVector<packet::FieldSpec> &layout)
{
    return PacketFiller::read(db, statement.sql, statement.values, layout);
}

QString textAt(const NativeRow &row, int column)
{
    const std::string_view text = row.text(column);
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Whole numbers the statements compute (cents, thousandths, payable numbers)
// stay far below 2^53, where a double holds every integer exactly.
qint64 integerAt(const NativeRow &row, int column)
{
    return qint64(row.number(column));
}

QuoteKey keyAt(const NativeRow &row, int first)
{
    return QuoteKey{textAt(row, first), textAt(row, first + 1), textAt(row, first + 2)};
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

void QuoteRepository::forKeyChunks(const QString &sqlAfterKeys, const QVector<QuoteKey> &keys,
                                   const NativeReader::Visit &visit) const
{
    std::unique_ptr<NativeReader> ownReader;
    NativeReader &reader = ConnectionProvider::reader(m_db, ownReader);
    for (qsizetype start = 0; start < keys.size(); start += keysPerStatement) {
        const qsizetype count = std::min<qsizetype>(keysPerStatement, keys.size() - start);
        QVariantList values;
        values.reserve(count * 3);
        for (qsizetype i = start; i < start + count; ++i)
            QuoteKey::appendValues(values, keys[i]);
        reader.read(m_db, QuoteKey::keyTable(int(count)) + sqlAfterKeys, values, visit);
    }
}

QHash<QuoteKey, StoredQuote> QuoteRepository::findQuotes(const QVector<QuoteKey> &keys) const
{
    QHash<QuoteKey, StoredQuote> found;
    const QString sql = QStringLiteral("SELECT Q.CDFILIAL, Q.NRORCAEVENTO, Q.NRSEQORCAEVE, Q.CDVENDEDOR,"
                                       " Q.DTFECHAORCA, %1 FROM K JOIN ORCAEVENTO Q ON Q.CDFILIAL = K.B"
                                       " AND Q.NRORCAEVENTO = K.N AND Q.NRSEQORCAEVE = K.S")
                            .arg(CommissionMath::sqlCents(QStringLiteral("Q.VRTOTALOREV")));
    forKeyChunks(sql, keys, [&found](const NativeRow &row) {
        StoredQuote quote;
        quote.key = keyAt(row, 0);
        quote.salesperson = textAt(row, 3);
        quote.closed = !row.isNull(4);
        quote.totalCents = integerAt(row, 5);
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
    forKeyChunks(sql, keys, [&found](const NativeRow &row) {
        found.append(QuoteCommission{keyAt(row, 0), integerAt(row, 3), integerAt(row, 4), integerAt(row, 5)});
    });
    return found;
}

}  // namespace commission
