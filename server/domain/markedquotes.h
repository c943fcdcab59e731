#pragma once

#include "quotekey.h"

#include <packet.h>

#include <QSet>
#include <QVector>

namespace commission {

// A quote the user marked (IDCHECK "S") in the packet the screen sends back,
// with the percentage as the screen last posted it.
struct MarkedQuote {
    QuoteKey key;
    double percent = 0;
};

// Reads the marked quotes from a quotes packet. Only the key, the mark and
// the percentage are read: totals and commission values are the server's to
// compute, never taken from the caller. Raises ServiceError (BadRequest) when
// a field it reads is missing or of another kind, a marked row lacks its key,
// or a marked quote repeats.
class MarkedQuotes {
public:
    static QVector<MarkedQuote> read(const packet::Packet &quotes, bool withPercent);

    // Row by row, keeping only the marked quotes: first the fields, then
    // each row in order.
    explicit MarkedQuotes(bool withPercent) : m_withPercent(withPercent) {}
    void setFields(const QVector<packet::FieldSpec> &fields);
    void addRow(const QVector<QVariant> &row);
    QVector<MarkedQuote> take() { return std::move(m_marked); }

private:
    bool m_withPercent;
    int m_mark = -1;
    int m_branch = -1;
    int m_number = -1;
    int m_sequence = -1;
    int m_percent = -1;
    int m_rowNumber = 0;
    QVector<MarkedQuote> m_marked;
    QSet<QuoteKey> m_seen;
};

}  // namespace commission
