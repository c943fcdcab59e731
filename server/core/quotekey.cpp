#include "quotekey.h"

namespace commission {

QString QuoteKey::describe() const
{
    return QStringLiteral("%1/%2-%3").arg(branch, number, sequence);
}

size_t qHash(const QuoteKey &key, size_t seed)
{
    return qHashMulti(seed, key.branch, key.number, key.sequence);
}

}  // namespace commission
