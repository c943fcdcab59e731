#pragma once

#include "commissionrecords.h"
#include "encodedpacket.h"
#include "historyrepository.h"
#include "markedquotes.h"
#include "quotefilter.h"

#include <packet.h>

#include <QString>

#include <functional>

namespace commission {

class ConnectionProvider;

// The two packets of a salespeople listing.
struct SalespeopleListing {
    EncodedPacket salespeople;  // who earns commission, with the sum of it
    EncodedPacket pending;      // quotes of salespeople who earn none
};

// The settlements of a period and their quotes.
struct SettlementHistory {
    EncodedPacket settlements;  // one row per generation and per cancellation
    EncodedPacket quotes;       // the quotes of each, by NRAUDITCOMISSAO
};

// Who asked: recorded with every generation and cancellation.
struct Caller {
    QString operatorCode;  // the signed-in operator
    QString origin;        // network address
    QString reason;        // why a cancellation is made; empty for a generation
};

// The commission service: listings, generation and cancellation. Holds no
// state between calls; every call takes the calling thread's connection.
class CommissionService {
public:
    // Payables fall due this many days after they are issued.
    static constexpr int paymentTermDays = 30;

    // Told of every transaction repeated after a conflict (the server
    // counts them in its metrics).
    using RetryCounter = std::function<void()>;

    explicit CommissionService(ConnectionProvider &connections, RetryCounter retried = {})
        : m_connections(connections), m_retried(std::move(retried))
    {
    }

    EncodedPacket parameters();
    SalespeopleListing salespeople(const QuoteFilter &filter);
    EncodedPacket quotes(const QuoteFilter &filter, const QString &salesperson);
    SettlementHistory history(const HistoryRepository::Selection &selection);

    // One payable for the marked quotes of one salesperson. Answers an empty
    // text on success, else the catalogue key that refuses it; raises
    // ServiceError (BusinessRule) with an "N_PARAM_" key when a parameter or
    // record the payable needs is missing. Nothing is written unless it
    // succeeds.
    QString generate(const packet::Packet &quotes, const Caller &caller);
    QString generate(QVector<MarkedQuote> marked, const Caller &caller);

    // Removes the commission of the marked quotes that have one, lowering or
    // removing their payables. Raises ServiceError (BusinessRule,
    // "N_PARAM_CONTAPAGBAIXADA") and changes nothing when a payable is paid.
    // Answers the quotes whose commission was cancelled.
    packet::Packet cancel(const packet::Packet &quotes, const Caller &caller);
    packet::Packet cancel(const QVector<MarkedQuote> &marked, const Caller &caller);

private:
    QString generateOnce(const QVector<MarkedQuote> &marked, const Caller &caller);
    QVector<QuoteCommission> cancelOnce(const QVector<QuoteKey> &keys, const Caller &caller);
    template <typename Work>
    auto retryingConflicts(Work work) -> decltype(work());

    ConnectionProvider &m_connections;
    RetryCounter m_retried;
};

}  // namespace commission
