#pragma once

#include <packet.h>

#include <QVector>

namespace commission {

// The packet fields of the record sets the server answers, as the shared
// contract declares them, kept once per process.
class RecordSetLayouts {
public:
    static const QVector<packet::FieldSpec> &parameters();     // quote parameters
    static const QVector<packet::FieldSpec> &salespeople();    // salespeople with their commission
    static const QVector<packet::FieldSpec> &pendingQuotes();  // quotes of salespeople without commission
    static const QVector<packet::FieldSpec> &quotes();         // the quotes of one salesperson
    // The answer to a cancellation: the quotes whose commission was cancelled.
    static const QVector<packet::FieldSpec> &cancelledQuotes();
    // The settlements of a period and their quotes.
    static const QVector<packet::FieldSpec> &settlements();
    static const QVector<packet::FieldSpec> &settledQuotes();
};

}  // namespace commission
