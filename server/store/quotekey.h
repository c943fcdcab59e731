#pragma once

#include <QHashFunctions>
#include <QString>
#include <QVariantList>

#include <tuple>

namespace commission {

// The key of an event quote: branch, number and sequence.
struct QuoteKey {
    QString branch;
    QString number;
    QString sequence;

    QString describe() const;  // "0001/0000012345-01" for messages
    friend bool operator==(const QuoteKey &, const QuoteKey &) = default;
    // Branch, number, sequence: the order in which writers take their locks.
    friend bool operator<(const QuoteKey &a, const QuoteKey &b)
    {
        return std::tie(a.branch, a.number, a.sequence) < std::tie(b.branch, b.number, b.sequence);
    }

    // A list of keys as a table K(B, N, S) for a statement to join with:
    // "WITH K(B, N, S) AS (VALUES (?, ?, ?), ...)". Joining lets both engines
    // look each key up in the primary key; a row-value IN list may not.
    static QString keyTable(int count);
    static void appendValues(QVariantList &values, const QuoteKey &key);
};

size_t qHash(const QuoteKey &key, size_t seed = 0);

}  // namespace commission
