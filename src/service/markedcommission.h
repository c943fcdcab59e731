#pragma once

#include "packet.h"

#include <QtGlobal>

// The marked quotes of a quote packet and the commission they settle, in
// cents. A generation's commission is reckoned from each quote's total and
// percentage as the server books it (so the figure shown beforehand is the
// payable's); a cancellation's is the commission listed for each quote.
struct MarkedCommission {
    int count = 0;
    qint64 cents = 0;

    static MarkedCommission of(const packet::Packet &quotes, bool generating);
};
