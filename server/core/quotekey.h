#pragma once

#include <QHashFunctions>
#include <QString>

namespace commission {

// The key of an event quote: branch, number and sequence.
struct QuoteKey {
    QString branch;
    QString number;
    QString sequence;

    QString describe() const;  // "0001/0000012345-01" for messages
    friend bool operator==(const QuoteKey &, const QuoteKey &) = default;
};

size_t qHash(const QuoteKey &key, size_t seed = 0);

}  // namespace commission
