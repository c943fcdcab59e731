#pragma once

#include "commissionrecords.h"
#include "encodedpacket.h"
#include "historyrepository.h"
#include "markedquotes.h"
#include "quotefilter.h"

#include <packet.h>

#include <QDateTime>
#include <QString>
#include <QVector>

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

// A payable a generation created.
struct CreatedPayable {
    qint64 number = 0;
    int quotes = 0;
    qint64 amountCents = 0;
};

// A marked quote that a refused generation found settled already.
struct SettledQuote {
    QuoteKey key;
    qint64 payable = 0;
    PayableOrigin origin;  // who generated it, when
};

// What a generation did: the refusal's key (empty on success), the payable
// it created, or the quotes that were generated already (COMISSAO_GERADA).
struct GenerationResult {
    QString refusal;
    QVector<CreatedPayable> created;
    QVector<SettledQuote> settled;
};

// A payable a cancellation lowered or removed.
struct ChangedPayable {
    qint64 number = 0;
    int quotes = 0;  // whose commission left it
    qint64 fromCents = 0;
    qint64 toCents = 0;  // 0 when removed
    bool removed = false;
};

// What a cancellation did: the quotes whose commission went, and each
// payable it changed, in number order.
struct CancellationResult {
    QVector<QuoteCommission> cancelled;
    QVector<ChangedPayable> payables;
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

    // The instant of a generation or cancellation; the system's clock
    // unless a test drives it.
    using Clock = std::function<QDateTime()>;

    explicit CommissionService(ConnectionProvider &connections, RetryCounter retried = {}, Clock clock = {});
    void setClock(Clock clock);

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
    // The same, with what it did or what refused it.
    GenerationResult generateWithOutcome(QVector<MarkedQuote> marked, const Caller &caller);

    // Removes the commission of the marked quotes that have one, lowering or
    // removing their payables. Raises ServiceError (BusinessRule,
    // "N_PARAM_CONTAPAGBAIXADA", its details the paid payables) and changes
    // nothing when a payable is paid. Answers the quotes whose commission
    // was cancelled.
    packet::Packet cancel(const packet::Packet &quotes, const Caller &caller);
    packet::Packet cancel(const QVector<MarkedQuote> &marked, const Caller &caller);
    // The same, with each payable it lowered or removed.
    CancellationResult cancelWithOutcome(const QVector<MarkedQuote> &marked, const Caller &caller);
    // In the layout of SetCancelaComissao's answer.
    static packet::Packet cancelledPacket(const QVector<QuoteCommission> &cancelled);

private:
    GenerationResult generateOnce(const QVector<MarkedQuote> &marked, const Caller &caller);
    CancellationResult cancelOnce(const QVector<QuoteKey> &keys, const Caller &caller);
    QDateTime now() const;
    template <typename Work>
    auto retryingConflicts(Work work) -> decltype(work());

    ConnectionProvider &m_connections;
    RetryCounter m_retried;
    Clock m_clock;
};

}  // namespace commission
