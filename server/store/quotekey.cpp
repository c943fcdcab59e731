#include "quotekey.h"

namespace commission {

QString QuoteKey::describe() const
{
    return QStringLiteral("%1/%2-%3").arg(branch, number, sequence);
}

QString QuoteKey::keyTable(int count)
{
    QString rows;
    rows.reserve(count * 11);
    for (int i = 0; i < count; ++i)
        rows += i == 0 ? QStringLiteral("(?, ?, ?)") : QStringLiteral(", (?, ?, ?)");
    return QStringLiteral("WITH K(B, N, S) AS (VALUES %1) ").arg(rows);
}

void QuoteKey::appendValues(QVariantList &values, const QuoteKey &key)
{
    values << key.branch << key.number << key.sequence;
}

size_t qHash(const QuoteKey &key, size_t seed)
{
    return qHashMulti(seed, key.branch, key.number, key.sequence);
}

}  // namespace commission
