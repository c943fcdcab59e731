#pragma once

#include "quotefilter.h"

#include <QString>
#include <QVariantList>

namespace commission {

// A statement text with the values for its placeholders, in order.
struct SqlStatement {
    QString sql;
    QVariantList values;
};

// The listing statements. Every filter value is a bound parameter; the lists
// become "IN (?, ?, ...)" with one placeholder per code. The benchmark runs
// these same statements bare to compare with the server.
class QuoteQueries {
public:
    // The salespeople of the selected quotes with the sum of their commission,
    // in the salespeople layout (RecordSetLayouts::salespeople()).
    static SqlStatement salespeople(const QuoteFilter &filter);
    // The selected quotes of salespeople who earn no commission, in the
    // pending layout. Only meaningful for "not generated" listings where the
    // salesperson's own flag counts (see needsPending()).
    static SqlStatement pendingQuotes(const QuoteFilter &filter);
    static bool needsPending(const QuoteFilter &filter);
    // The selected quotes of one salesperson, in the quotes layout.
    static SqlStatement quotes(const QuoteFilter &filter, const QString &salesperson);

private:
    static void appendSelection(SqlStatement &statement, const QuoteFilter &filter);
};

}  // namespace commission
