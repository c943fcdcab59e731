#pragma once

#include "packet.h"
#include "settlementanswer.h"

#include <QString>
#include <QVector>

// The texts shown beside the catalogue's own texts of a generation or a
// cancellation (a message box's informative text): what will be settled,
// what was done and what stopped it, with its numbers. Amounts are written
// as in Brazil ("1.234,50") whatever the machine's locale; instants in local
// time.
class SettlementTexts {
public:
    // The marked quotes of the packet and the commission they settle:
    // "3 orçamentos marcados · 850,01". A generation's amount is reckoned
    // from each quote's total and percentage as the server books it; a
    // cancellation's from the commission listed for each quote.
    static QString markedQuotes(const packet::Packet &quotes, bool generating);
    // One line per payable created: "Conta a pagar 121 · 3 orçamentos · 850,01".
    static QString generated(const QVector<SettlementAnswer::Payable> &payables);
    // One line per payable removed or changed; a line saying so when none was.
    static QString cancelled(const QVector<SettlementAnswer::Payable> &payables);
    // The quotes whose commission was generated already, the first ones of
    // them and how many more.
    static QString alreadySettled(const QVector<SettlementAnswer::SettledQuote> &quotes);
    // The paid payables that stopped a cancellation: "Conta a pagar 102 já baixada."
    static QString paid(const QVector<SettlementAnswer::Payable> &payables);
    // A settlement whose answer did not come: nothing was written when the
    // request surely never left, else it is unknown.
    static QString unanswered(bool notSent);

    static QString amount(double value);
    // The settled quotes listed one by one; the rest are counted.
    static constexpr int listedQuotes = 10;
};
