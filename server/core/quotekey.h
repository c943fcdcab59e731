#pragma once

#include <QHashFunctions>
#include <QString>
#include <QVariantList>

namespace commission {

// The key of an event quote: branch, number and sequence.
struct QuoteKey {
    QString branch;
    QString number;
    QString sequence;

    QString describe() const;  // "0001/0000012345-01" for messages
    friend bool operator==(const QuoteKey &, const QuoteKey &) = default;

    // A list of keys as a table K(B, N, S) for a statement to join with:
    // "WITH K(B, N, S) AS (VALUES (?, ?, ?), ...)". Joining lets both engines
    // look each key up in the primary key; a row-value IN list may not.
    static QString keyTable(int count);
    static void appendValues(QVariantList &values, const QuoteKey &key);
};

size_t qHash(const QuoteKey &key, size_t seed = 0);

}  // namespace commission
