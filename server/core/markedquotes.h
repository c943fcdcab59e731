#pragma once

#include "quotekey.h"

#include <packet.h>

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
// compute, never taken from the caller.
class MarkedQuotes {
public:
    // Raises ServiceError (BadRequest) when a field it reads is missing or of
    // another kind, a marked row lacks its key, or a marked quote repeats.
    static QVector<MarkedQuote> read(const packet::Packet &quotes, bool withPercent);
};

}  // namespace commission
