#include "commissionservice.h"

#include "commissionmath.h"
#include "connectionprovider.h"
#include "markedquotes.h"
#include "masterdatarepository.h"
#include "parameterrepository.h"
#include "payablerepository.h"
#include "quoterepository.h"
#include "recordsetlayouts.h"
#include "serviceerror.h"
#include "writetransaction.h"

#include <outcomes.h>
#include <remotecontract.h>

#include <QJsonArray>
#include <QJsonObject>

#include <QSet>

#include <optional>

namespace commission {

namespace {

using contract::RemoteContract;

// Refusals answered as text; the keys of the screen's catalogue.
const QString &notMarked = RemoteContract::nothingMarked;
const QString &quoteUnknown = RemoteContract::quoteUnknown;
const QString &alreadyGenerated = RemoteContract::alreadyGenerated;
const QString &allZero = RemoteContract::allZero;
const QString &percentOutOfRange = RemoteContract::percentOutOfRange;

QVector<QuoteKey> keysOf(const QVector<MarkedQuote> &marked)
{
    QVector<QuoteKey> keys;
    keys.reserve(marked.size());
    for (const MarkedQuote &quote : marked)
        keys.append(quote.key);
    return keys;
}

QString singleBranch(const QVector<MarkedQuote> &marked)
{
    const QString branch = marked.first().key.branch;
    for (const MarkedQuote &quote : marked) {
        if (quote.key.branch != branch)
            throw ServiceError::badRequest(QStringLiteral("Os orçamentos marcados devem ser de uma só filial."));
    }
    return branch;
}

QString singleSalesperson(const QHash<QuoteKey, StoredQuote> &stored)
{
    QSet<QString> salespeople;
    for (const StoredQuote &quote : stored)
        salespeople.insert(quote.salesperson);
    if (salespeople.size() != 1)
        throw ServiceError::badRequest(QStringLiteral("Os orçamentos marcados devem ser de um só vendedor."));
    return *salespeople.begin();
}

bool allStoredAndClosed(const QVector<MarkedQuote> &marked, const QHash<QuoteKey, StoredQuote> &stored)
{
    return std::all_of(marked.begin(), marked.end(), [&stored](const MarkedQuote &quote) {
        const auto found = stored.constFind(quote.key);
        return found != stored.cend() && found->closed;
    });
}

// The commission of each marked quote: the stored total times the percentage
// the screen sent. A percentage beyond any sensible range has no commission
// value; it only matters that it is not zero (unless the total is).
struct Computed {
    QVector<QuoteCommission> commissions;
    bool everyCommissionZero = true;
    bool everyPercentAllowed = true;
    qint64 totalCents = 0;
};

Computed computeCommissions(const QVector<MarkedQuote> &marked, const QHash<QuoteKey, StoredQuote> &stored)
{
    Computed computed;
    for (const MarkedQuote &quote : marked) {
        const qint64 total = stored.value(quote.key).totalCents;
        const std::optional<qint64> percent = CommissionMath::toThousandths(quote.percent);
        const bool allowed = percent && CommissionMath::isAllowedPercent(*percent);
        const bool zero = percent ? CommissionMath::commissionCents(total, *percent) == 0 : total == 0;
        const qint64 cents = allowed ? CommissionMath::commissionCents(total, *percent) : 0;
        computed.everyCommissionZero = computed.everyCommissionZero && zero;
        computed.everyPercentAllowed = computed.everyPercentAllowed && allowed;
        computed.totalCents += cents;
        computed.commissions.append(QuoteCommission{quote.key, 0, percent.value_or(0), cents});
    }
    return computed;
}

// The records a payable needs; raises the "N_PARAM_" key of the first one
// missing.
struct PayableSources {
    Salesperson salesperson;
    QuoteParameters parameters;
    QString accountType;
};

PayableSources payableSources(const QSqlDatabase &db, const QString &branchCode, const QString &salespersonCode,
                              qint64 amountCents)
{
    const MasterDataRepository masterData(db);
    PayableSources sources;
    sources.parameters = ParameterRepository(db).load();
    const std::optional<Salesperson> salesperson = masterData.salesperson(salespersonCode);
    if (!salesperson)
        throw ServiceError::internal(QStringLiteral("Vendedor %1 do orçamento não cadastrado.").arg(salespersonCode));
    sources.salesperson = *salesperson;
    if (sources.parameters.salespersonFlagCounts && !salesperson->earnsCommission)
        throw ServiceError::businessRule(RemoteContract::salespersonEarnsNothing);
    if (salesperson->supplier.isEmpty())
        throw ServiceError::businessRule(RemoteContract::salespersonWithoutSupplier);
    if (sources.parameters.entryOperationType.isEmpty())
        throw ServiceError::businessRule(RemoteContract::entryOperationMissing);
    // A payable below zero (credit quotes outweigh the others) is booked
    // with the account type for negative quotes.
    sources.accountType = amountCents < 0 ? sources.parameters.creditAccountType : sources.parameters.accountType;
    if (sources.accountType.isEmpty())
        throw ServiceError::businessRule(RemoteContract::payableTypeMissing);
    if (sources.parameters.entrySeries.isEmpty())
        throw ServiceError::businessRule(RemoteContract::entrySeriesMissing);
    const std::optional<Branch> branch = masterData.branch(branchCode);
    if (!branch || branch->company.isEmpty())
        throw ServiceError::businessRule(RemoteContract::companyMissing);
    return sources;
}

NewPayable payableFor(const PayableSources &sources, const QString &branch, qint64 amountCents, const Caller &caller,
                      const QDateTime &now)
{
    NewPayable payable;
    payable.branch = branch;
    payable.supplier = sources.salesperson.supplier;
    payable.salesperson = sources.salesperson.code;
    payable.accountType = sources.accountType;
    payable.operationType = sources.parameters.entryOperationType;
    payable.series = sources.parameters.entrySeries;
    const QString title = sources.parameters.payableDescription.isEmpty() ? QStringLiteral("Comissão de eventos")
                                                                          : sources.parameters.payableDescription;
    payable.description = QStringLiteral("%1 - %2").arg(title, sources.salesperson.name).left(100);
    payable.amountCents = amountCents;
    payable.issued = now.toLocalTime().date();  // the server's day
    payable.due = payable.issued.addDays(CommissionService::paymentTermDays);
    payable.operatorCode = caller.operatorCode;
    payable.createdAt = now;
    return payable;
}

QVector<qint64> payablesOf(const QVector<QuoteCommission> &commissions)
{
    QVector<qint64> payables;
    for (const QuoteCommission &commission : commissions) {
        if (!payables.contains(commission.payable))
            payables.append(commission.payable);
    }
    return payables;
}

// The marked quotes that links settle already, with who generated each;
// links to `ownPayable` (the one this transaction wrote) are left out.
QVector<SettledQuote> settledQuotes(const QSqlDatabase &db, const QVector<QuoteCommission> &links,
                                    qint64 ownPayable = 0)
{
    QVector<SettledQuote> settled;
    for (const QuoteCommission &link : links) {
        if (link.payable != ownPayable)
            settled.append(SettledQuote{link.key, link.payable, {}});
    }
    QVector<qint64> numbers;
    for (const SettledQuote &quote : std::as_const(settled)) {
        if (!numbers.contains(quote.payable))
            numbers.append(quote.payable);
    }
    const QHash<qint64, PayableOrigin> origins = PayableRepository(db).origins(numbers);
    for (SettledQuote &quote : settled)
        quote.origin = origins.value(quote.payable);
    std::sort(settled.begin(), settled.end(),
              [](const SettledQuote &a, const SettledQuote &b) { return a.key < b.key; });
    return settled;
}

// The details of a cancellation refused by paid payables: their numbers.
QJsonObject paidPayablesDetails(const QVector<qint64> &paid)
{
    QJsonArray payables;
    for (qint64 number : paid)
        payables.append(QJsonObject{{contract::Outcomes::payable, number}});
    return QJsonObject{{contract::Outcomes::payables, payables}};
}

}  // namespace

CommissionService::CommissionService(ConnectionProvider &connections, RetryCounter retried, Clock clock)
    : m_connections(connections), m_retried(std::move(retried)), m_clock(std::move(clock))
{
}

void CommissionService::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

QDateTime CommissionService::now() const
{
    return m_clock ? m_clock().toUTC() : QDateTime::currentDateTimeUtc();
}

packet::Packet CommissionService::cancelledPacket(const QVector<QuoteCommission> &cancelled)
{
    packet::Packet result;
    result.fields = RecordSetLayouts::cancelledQuotes();
    for (const QuoteCommission &quote : cancelled) {
        result.rows.append({quote.key.branch, quote.key.number, quote.key.sequence,
                            CommissionMath::fromThousandths(quote.percentThousandths),
                            CommissionMath::fromCents(quote.commissionCents)});
    }
    return result;
}

EncodedPacket CommissionService::parameters()
{
    return ParameterRepository(m_connections.database()).asPacket();
}

SettlementHistory CommissionService::history(const HistoryRepository::Selection &selection)
{
    const HistoryRepository history(m_connections.database());
    return SettlementHistory{history.settlements(selection), history.settledQuotes(selection)};
}

SalespeopleListing CommissionService::salespeople(const QuoteFilter &filter)
{
    const QuoteRepository quotes(m_connections.database());
    return SalespeopleListing{quotes.salespeople(filter), quotes.pendingQuotes(filter)};
}

EncodedPacket CommissionService::quotes(const QuoteFilter &filter, const QString &salesperson)
{
    return QuoteRepository(m_connections.database()).quotes(filter, salesperson);
}

QString CommissionService::generate(const packet::Packet &quotes, const Caller &caller)
{
    return generate(MarkedQuotes::read(quotes, true), caller);
}

QString CommissionService::generate(QVector<MarkedQuote> marked, const Caller &caller)
{
    return generateWithOutcome(std::move(marked), caller).refusal;
}

GenerationResult CommissionService::generateWithOutcome(QVector<MarkedQuote> marked, const Caller &caller)
{
    if (marked.isEmpty())
        return {notMarked, {}, {}};
    // Links are written in key order, so two generations of the same quotes
    // sent in different orders meet on the first common quote instead of
    // each holding one the other waits for.
    std::sort(marked.begin(), marked.end(), [](const MarkedQuote &a, const MarkedQuote &b) { return a.key < b.key; });
    return retryingConflicts([&] { return generateOnce(marked, caller); });
}

GenerationResult CommissionService::generateOnce(const QVector<MarkedQuote> &marked, const Caller &caller)
{
    const QString branch = singleBranch(marked);
    const QVector<QuoteKey> keys = keysOf(marked);

    QSqlDatabase db = m_connections.database();
    WriteTransaction transaction(db);
    const QuoteRepository quoteRepository(db);
    const QHash<QuoteKey, StoredQuote> stored = quoteRepository.findQuotes(keys);
    if (!allStoredAndClosed(marked, stored))
        return {quoteUnknown, {}, {}};
    const QString salesperson = singleSalesperson(stored);
    const QVector<QuoteCommission> generated = quoteRepository.generatedCommissions(keys);
    if (!generated.isEmpty())
        return {alreadyGenerated, {}, settledQuotes(db, generated)};

    Computed computed = computeCommissions(marked, stored);
    if (computed.everyCommissionZero)
        return {allZero, {}, {}};
    if (!computed.everyPercentAllowed)
        return {percentOutOfRange, {}, {}};

    const PayableSources sources = payableSources(db, branch, salesperson, computed.totalCents);
    const QDateTime now = this->now();
    PayableRepository payables(db);
    const qint64 payable = payables.insertPayable(payableFor(sources, branch, computed.totalCents, caller, now));
    for (QuoteCommission &commission : computed.commissions)
        commission.payable = payable;
    // A generation of the same quotes that committed after our check above
    // makes the unique key refuse the links; the transaction then rolls back
    // the payable written just before. The links are read once more for
    // the answer: the other generation's are committed by now.
    if (!payables.insertCommissions(computed.commissions))
        return {alreadyGenerated, {}, settledQuotes(db, quoteRepository.generatedCommissions(keys), payable)};
    payables.writeAudit(AuditEntry{AuditEntry::Operation::Generation, now, caller.operatorCode, caller.origin, branch,
                                   salesperson, payable, computed.commissions, QString()});
    transaction.commit();
    return {QString(), {CreatedPayable{payable, int(computed.commissions.size()), computed.totalCents}}, {}};
}

packet::Packet CommissionService::cancel(const packet::Packet &quotes, const Caller &caller)
{
    return cancel(MarkedQuotes::read(quotes, false), caller);
}

packet::Packet CommissionService::cancel(const QVector<MarkedQuote> &marked, const Caller &caller)
{
    return cancelledPacket(cancelWithOutcome(marked, caller).cancelled);
}

CancellationResult CommissionService::cancelWithOutcome(const QVector<MarkedQuote> &marked, const Caller &caller)
{
    if (marked.isEmpty())
        return {};
    QVector<QuoteKey> keys = keysOf(marked);
    std::sort(keys.begin(), keys.end());
    return retryingConflicts([&] { return cancelOnce(keys, caller); });
}

CancellationResult CommissionService::cancelOnce(const QVector<QuoteKey> &keys, const Caller &caller)
{
    QSqlDatabase db = m_connections.database();
    WriteTransaction transaction(db);
    const QuoteRepository quoteRepository(db);
    PayableRepository payables(db);

    // Lock the payables the links point at, then read the links again under
    // the locks. A cancellation and a new generation that committed while we
    // waited may have moved a quote to a payable we do not hold yet: lock that
    // one too and read again, until every link read is under a lock. Then no
    // other writer can change those links before we commit.
    QHash<qint64, PayableState> locked;
    QSet<qint64> asked;
    QVector<QuoteCommission> links = quoteRepository.generatedCommissions(keys);
    for (;;) {
        QVector<qint64> toLock;
        for (qint64 number : payablesOf(links)) {
            if (!asked.contains(number))
                toLock.append(number);
        }
        if (toLock.isEmpty())
            break;
        std::sort(toLock.begin(), toLock.end());
        for (const PayableState &state : payables.lockPayables(toLock))
            locked.insert(state.number, state);
        for (qint64 number : std::as_const(toLock))
            asked.insert(number);
        links = quoteRepository.generatedCommissions(keys);
    }
    QVector<qint64> numbers = payablesOf(links);
    std::sort(numbers.begin(), numbers.end());
    QVector<qint64> paid;
    for (qint64 number : std::as_const(numbers)) {
        if (locked.value(number).paid)
            paid.append(number);
    }
    if (!paid.isEmpty())
        throw ServiceError::businessRule(RemoteContract::payablePaid, paidPayablesDetails(paid));

    // Every payable whose links go is lowered (or removed) and audited.
    const QDateTime now = this->now();
    CancellationResult result{links, {}};
    for (qint64 number : std::as_const(numbers)) {
        QVector<QuoteCommission> ofPayable;
        QVector<QuoteKey> keysOfPayable;
        for (const QuoteCommission &link : std::as_const(links)) {
            if (link.payable == number) {
                ofPayable.append(link);
                keysOfPayable.append(link.key);
            }
        }
        payables.removeCommissions(number, keysOfPayable);
        const std::optional<qint64> left = payables.settleAmount(number);
        const PayableState state = locked.value(number);
        result.payables.append(
            ChangedPayable{number, int(ofPayable.size()), state.amountCents, left.value_or(0), !left.has_value()});
        payables.writeAudit(AuditEntry{AuditEntry::Operation::Cancellation, now, caller.operatorCode, caller.origin,
                                       state.branch.isEmpty() ? ofPayable.first().key.branch : state.branch,
                                       state.salesperson, number, ofPayable, caller.reason});
    }
    transaction.commit();
    return result;
}

template <typename Work>
auto CommissionService::retryingConflicts(Work work) -> decltype(work())
{
    // The database gave the transaction up to break a deadlock or keep it
    // serializable. Once more in a new transaction usually reaches the
    // business outcome (the other writer has committed by then); a second
    // conflict is answered as "busy".
    try {
        return work();
    } catch (const ServiceError &error) {
        if (error.kind() != ServiceError::Kind::Conflict)
            throw;
    }
    if (m_retried)
        m_retried();
    try {
        return work();
    } catch (const ServiceError &error) {
        if (error.kind() != ServiceError::Kind::Conflict)
            throw;
        throw ServiceError(ServiceError::Kind::Unavailable, QStringLiteral("Banco de dados ocupado"), error.detail());
    }
}

}  // namespace commission
