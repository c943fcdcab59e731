#include "commissionendpoint.h"

#include "callarguments.h"
#include "codelist.h"
#include "commissionservice.h"
#include "markedquotes.h"
#include "operatorsessions.h"
#include "serviceerror.h"

#include <commissionmath.h>
#include <daycount.h>
#include <domains.h>
#include <outcomes.h>
#include <packetcodec.h>
#include <remotecontract.h>
#include <utcinstant.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace commission {

namespace {

using contract::RemoteContract;

constexpr int branchCodeWidth = RemoteContract::branchCodeWidth;
constexpr int salespersonCodeWidth = RemoteContract::salespersonCodeWidth;

// Reads a text argument as the contract declares it.
QString textArgument(const CallArguments &arguments, const QString &method, int index)
{
    const RemoteContract::Argument &declared = RemoteContract::arguments(method).at(index);
    return arguments.text(index, declared.name, declared.size, declared.byRef);
}

double dateArgument(const CallArguments &arguments, const QString &method, int index)
{
    const RemoteContract::Argument &declared = RemoteContract::arguments(method).at(index);
    return arguments.date(index, declared.name, declared.byRef);
}

void expectArguments(const CallArguments &arguments, const QString &method)
{
    arguments.expectCount(RemoteContract::requiredArguments(method), int(RemoteContract::arguments(method).size()));
}

// Branch codes are stored four characters wide, filled with zeros on the
// left, the form the screen's branch field brings them to ("1" -> "0001").
QString branchCode(const QString &text)
{
    const QString code = text.trimmed();
    if (code.isEmpty())
        throw ServiceError::badRequest(QStringLiteral("Filial não informada."));
    if (!CodeList::isCode(code, branchCodeWidth))
        throw ServiceError::badRequest(QStringLiteral("Código de filial inválido: até 4 letras ou dígitos."));
    return code.rightJustified(branchCodeWidth, QLatin1Char('0'));
}

QString oneOf(const QString &value, const QStringList &allowed, const QString &name)
{
    if (!allowed.contains(value))
        throw ServiceError::badRequest(
            QStringLiteral("%1 deve ser %2.").arg(name, allowed.join(QStringLiteral(" ou "))));
    return value;
}

// Only the marked quotes of the packet are kept: a screen sends back every
// quote it lists.
QVector<MarkedQuote> markedQuotes(const CallArguments &arguments, bool withPercent)
{
    MarkedQuotes reader(withPercent);
    arguments.packetRows(
        0, QStringLiteral("orçamentos"),
        [&reader](const QVector<packet::FieldSpec> &fields) { reader.setFields(fields); },
        [&reader](const QVector<QVariant> &row) { reader.addRow(row); });
    return reader.take();
}

QString firstBranchOf(const QVector<MarkedQuote> &marked)
{
    return marked.isEmpty() ? QString() : marked.first().key.branch;
}

QStringList branchesOf(const QVector<MarkedQuote> &marked)
{
    QStringList branches;
    for (const MarkedQuote &quote : marked) {
        if (!branches.contains(quote.key.branch))
            branches.append(quote.key.branch);
    }
    return branches;
}

// The right at every branch (rights are named by their verbs: "consultar",
// "gerar", "cancelar"); with no branch at all (nothing marked), at some
// branch, so the call goes on to the refusal it would get anyway.
void requireRight(const SignedInOperator &signedIn, const QString &right, const QStringList &branches)
{
    if (branches.isEmpty() && signedIn.grants.allowsAnywhere(right))
        return;
    for (const QString &branch : branches) {
        if (!signedIn.grants.allows(branch, right))
            throw ServiceError(ServiceError::Kind::Forbidden,
                               QStringLiteral("O operador %1 não tem permissão para %2 comissão na filial %3.")
                                   .arg(signedIn.code, right, branch));
    }
    if (branches.isEmpty())
        throw ServiceError(
            ServiceError::Kind::Forbidden,
            QStringLiteral("O operador %1 não tem permissão para %2 comissão.").arg(signedIn.code, right));
}

// The operator a settlement names must be the one signed in: nobody settles
// in another's name.
void requireSelf(const SignedInOperator &signedIn, const QString &named, const QString &verb)
{
    const QString code = named.trimmed();
    if (code.isEmpty())
        throw ServiceError::badRequest(QStringLiteral("Operador não informado."));
    if (code.compare(signedIn.code, Qt::CaseInsensitive) != 0)
        throw ServiceError(ServiceError::Kind::Forbidden,
                           QStringLiteral("O operador %1 não pode %2 comissão em nome do operador %3.")
                               .arg(signedIn.code, verb, code));
}

// The answer {"result": ...}: packets written straight into it, anything
// else through a JSON document.
std::string resultBody(const QJsonValue &result)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("result"), result}}).toJson(QJsonDocument::Compact).toStdString();
}

// The answer with one more member beside "result" (an outcome, a refusal's
// details); a reader of "result" alone sees what it saw before.
std::string withMember(std::string body, QLatin1String name, const QJsonObject &value)
{
    if (value.isEmpty())
        return body;
    body.pop_back();  // the closing brace
    body.append(",\"").append(name.data(), std::size_t(name.size())).append("\":");
    body.append(QJsonDocument(value).toJson(QJsonDocument::Compact).toStdString());
    body.push_back('}');
    return body;
}

double amount(qint64 cents)
{
    return CommissionMath::fromCents(cents);
}

QJsonObject generationMembers(const GenerationResult &result)
{
    using contract::Outcomes;
    if (!result.created.isEmpty()) {
        QJsonArray payables;
        for (const CreatedPayable &created : result.created)
            payables.append(QJsonObject{{Outcomes::payable, created.number},
                                        {Outcomes::quoteCount, created.quotes},
                                        {Outcomes::amount, amount(created.amountCents)}});
        return {{Outcomes::payables, payables}};
    }
    if (result.settled.isEmpty())
        return {};
    QJsonArray quotes;
    for (const SettledQuote &quote : result.settled)
        quotes.append(QJsonObject{{Outcomes::branch, quote.key.branch},
                                  {Outcomes::quote, quote.key.number},
                                  {Outcomes::sequence, quote.key.sequence},
                                  {Outcomes::payable, quote.payable},
                                  {Outcomes::operatorCode, quote.origin.operatorCode},
                                  {Outcomes::generatedAt, quote.origin.createdAt.toUTC().toString(Qt::ISODate)}});
    return {{Outcomes::settledQuotes, quotes}};
}

QJsonObject cancellationOutcome(const CancellationResult &result)
{
    using contract::Outcomes;
    QJsonArray payables;
    for (const ChangedPayable &changed : result.payables)
        payables.append(QJsonObject{{Outcomes::payable, changed.number},
                                    {Outcomes::quoteCount, changed.quotes},
                                    {Outcomes::amountBefore, amount(changed.fromCents)},
                                    {Outcomes::amountAfter, amount(changed.toCents)},
                                    {Outcomes::removed, changed.removed}});
    return {{Outcomes::payables, payables}};
}

// A bound of the history's period: 0 leaves it open; a UTC instant when the
// caller says the period is in UTC or the count has a fraction; else a day
// of the server's local time, as a whole day count always was.
void readBound(double days, bool inUtc, QDate &day, QDateTime &instant)
{
    if (days == 0.0)
        return;
    if (inUtc || days != std::floor(days))
        instant = contract::UtcInstant::fromDayCount(days);
    else
        day = packet::dateFromDayCount(days);
}

std::string resultBody(std::initializer_list<const EncodedPacket *> packets, bool asList)
{
    size_t size = 16;
    for (const EncodedPacket *packet : packets)
        size += packet->json().size() + 1;
    std::string body;
    body.reserve(size);
    body.append(R"({"result":)");
    if (asList)
        body.push_back('[');
    bool first = true;
    for (const EncodedPacket *packet : packets) {
        if (!first)
            body.push_back(',');
        first = false;
        body.append(packet->json());
    }
    if (asList)
        body.push_back(']');
    body.push_back('}');
    return body;
}

}  // namespace

const QString CommissionEndpoint::objectName = RemoteContract::objectName;

CommissionEndpoint::CommissionEndpoint(CommissionService &service)
    : m_service(service), m_handlers{{RemoteContract::getParamOrcaEve, &CommissionEndpoint::getParamOrcaEve},
                                     {RemoteContract::getVendedores, &CommissionEndpoint::getVendedores},
                                     {RemoteContract::getOrcamentos, &CommissionEndpoint::getOrcamentos},
                                     {RemoteContract::setComissao, &CommissionEndpoint::setComissao},
                                     {RemoteContract::setCancelaComissao, &CommissionEndpoint::setCancelaComissao},
                                     {RemoteContract::getHistoricoComissao, &CommissionEndpoint::getHistoricoComissao}}
{
}

CallOutcome CommissionEndpoint::call(const QString &method, const CallArguments &arguments, const QString &origin,
                                     const SignedInOperator &signedIn)
{
    const Handler handler = m_handlers.value(method);
    if (!handler)
        throw ServiceError(ServiceError::Kind::NotFound, QStringLiteral("Método desconhecido: %1.").arg(method));
    return (this->*handler)(Call{arguments, origin, signedIn});
}

QuoteFilter CommissionEndpoint::readFilter(const CallArguments &arguments, SalespersonArgument kind,
                                           QString *salesperson)
{
    const QString &method =
        kind == SalespersonArgument::List ? RemoteContract::getVendedores : RemoteContract::getOrcamentos;
    expectArguments(arguments, method);
    QuoteFilter filter;
    filter.branch = branchCode(textArgument(arguments, method, 0));
    if (kind == SalespersonArgument::List) {
        filter.salespeople =
            CodeList::parse(textArgument(arguments, method, 1), salespersonCodeWidth, QStringLiteral("vendedores"));
    } else {
        // Empty when no salesperson is listed: the answer is then empty.
        *salesperson = textArgument(arguments, method, 1);
        if (!salesperson->isEmpty() && !CodeList::isCode(*salesperson, salespersonCodeWidth))
            throw ServiceError::badRequest(QStringLiteral("Código de vendedor inválido: até 4 letras ou dígitos."));
    }
    filter.eventTypes = CodeList::parse(textArgument(arguments, method, 2), RemoteContract::eventTypeCodeWidth,
                                        QStringLiteral("tipos de evento"));
    using contract::Domains;
    const QString dateBase =
        oneOf(textArgument(arguments, method, 3), {Domains::DateBase::event, Domains::DateBase::closing},
              QStringLiteral("IDDTBASECOMISSAO"));
    filter.dateBase =
        dateBase == Domains::DateBase::event ? QuoteFilter::DateBase::Event : QuoteFilter::DateBase::Closing;
    filter.everyoneEarns =
        oneOf(textArgument(arguments, method, 4), {Domains::SalespersonEarns::yes, Domains::SalespersonEarns::no},
              QStringLiteral("IDGERACOMISSAOVEND"))
        == Domains::SalespersonEarns::no;
    filter.from = packet::dateFromDayCount(dateArgument(arguments, method, 5));
    filter.to = packet::dateFromDayCount(dateArgument(arguments, method, 6));
    filter.generated = oneOf(textArgument(arguments, method, 7),
                             {Domains::CommissionStatus::notGenerated, Domains::CommissionStatus::generated},
                             QStringLiteral("A situação da comissão"))
                       == Domains::CommissionStatus::generated;
    return filter;
}

CallOutcome CommissionEndpoint::getParamOrcaEve(const Call &call)
{
    expectArguments(call.arguments, RemoteContract::getParamOrcaEve);
    // The parameters belong to no branch: any branch's right to list will do.
    if (!call.signedIn.grants.allowsAnywhere(RemoteContract::rightToList))
        throw ServiceError(
            ServiceError::Kind::Forbidden,
            QStringLiteral("O operador %1 não tem permissão para consultar comissão.").arg(call.signedIn.code));
    const EncodedPacket parameters = m_service.parameters();
    return {resultBody({&parameters}, false), QString(), QString()};
}

CallOutcome CommissionEndpoint::getVendedores(const Call &call)
{
    const QuoteFilter filter = readFilter(call.arguments, SalespersonArgument::List, nullptr);
    requireRight(call.signedIn, RemoteContract::rightToList, {filter.branch});
    const SalespeopleListing listing = m_service.salespeople(filter);
    return {resultBody({&listing.salespeople, &listing.pending}, true), filter.branch, QString()};
}

CallOutcome CommissionEndpoint::getOrcamentos(const Call &call)
{
    QString salesperson;
    const QuoteFilter filter = readFilter(call.arguments, SalespersonArgument::Single, &salesperson);
    requireRight(call.signedIn, RemoteContract::rightToList, {filter.branch});
    const EncodedPacket quotes = m_service.quotes(filter, salesperson);
    return {resultBody({&quotes}, false), filter.branch, QString()};
}

CallOutcome CommissionEndpoint::setComissao(const Call &call)
{
    const QString &method = RemoteContract::setComissao;
    expectArguments(call.arguments, method);
    QVector<MarkedQuote> quotes = markedQuotes(call.arguments, true);
    requireSelf(call.signedIn, textArgument(call.arguments, method, 1), QStringLiteral("gerar"));
    requireRight(call.signedIn, RemoteContract::rightToGenerate, branchesOf(quotes));
    const QString branch = firstBranchOf(quotes);
    const GenerationResult result =
        m_service.generateWithOutcome(std::move(quotes), Caller{call.signedIn.code, call.origin, QString()});
    // The outcome beside a success, the details beside a refusal.
    const QLatin1String member = result.refusal.isEmpty() ? contract::Outcomes::outcome : contract::Outcomes::details;
    return {withMember(resultBody(result.refusal), member, generationMembers(result)), branch, result.refusal};
}

CallOutcome CommissionEndpoint::setCancelaComissao(const Call &call)
{
    const QString &method = RemoteContract::setCancelaComissao;
    expectArguments(call.arguments, method);
    const QVector<MarkedQuote> quotes = markedQuotes(call.arguments, false);
    requireSelf(call.signedIn, textArgument(call.arguments, method, 1), QStringLiteral("cancelar"));
    const QString reason = textArgument(call.arguments, method, 2).simplified();
    if (reason.size() < RemoteContract::cancellationReasonMinLength)
        throw ServiceError::badRequest(QStringLiteral("Informe o motivo do cancelamento (mínimo de %1 caracteres).")
                                           .arg(RemoteContract::cancellationReasonMinLength));
    requireRight(call.signedIn, RemoteContract::rightToCancel, branchesOf(quotes));
    const CancellationResult result =
        m_service.cancelWithOutcome(quotes, Caller{call.signedIn.code, call.origin, reason});
    const EncodedPacket cancelled = EncodedPacket::of(CommissionService::cancelledPacket(result.cancelled));
    return {withMember(resultBody({&cancelled}, false), contract::Outcomes::outcome, cancellationOutcome(result)),
            firstBranchOf(quotes), QString()};
}

CallOutcome CommissionEndpoint::getHistoricoComissao(const Call &call)
{
    const QString &method = RemoteContract::getHistoricoComissao;
    expectArguments(call.arguments, method);
    HistoryRepository::Selection selection;
    selection.branch = branchCode(textArgument(call.arguments, method, 0));
    selection.salesperson = textArgument(call.arguments, method, 1).trimmed();
    if (!selection.salesperson.isEmpty() && !CodeList::isCode(selection.salesperson, salespersonCodeWidth))
        throw ServiceError::badRequest(QStringLiteral("Código de vendedor inválido: até 4 letras ou dígitos."));
    using contract::Domains;
    const bool inUtc =
        call.arguments.count() > 4
        && oneOf(textArgument(call.arguments, method, 4),
                 {Domains::PeriodInUtc::yes, Domains::PeriodInUtc::no, QString()}, QStringLiteral("O período em UTC"))
               == Domains::PeriodInUtc::yes;
    readBound(dateArgument(call.arguments, method, 2), inUtc, selection.from, selection.fromInstant);
    readBound(dateArgument(call.arguments, method, 3), inUtc, selection.to, selection.untilInstant);
    requireRight(call.signedIn, RemoteContract::rightToList, {selection.branch});
    const SettlementHistory history = m_service.history(selection);
    return {resultBody({&history.settlements, &history.quotes}, true), selection.branch, QString()};
}

}  // namespace commission
