#include "commissionendpoint.h"

#include "callarguments.h"
#include "codelist.h"
#include "commissionservice.h"
#include "markedquotes.h"
#include "serviceerror.h"

#include <daycount.h>
#include <packetcodec.h>
#include <remotecontract.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

// The answer {"result": ...}: packets written straight into it, anything
// else through a JSON document.
std::string resultBody(const QJsonValue &result)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("result"), result}}).toJson(QJsonDocument::Compact).toStdString();
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

CallOutcome CommissionEndpoint::call(const QString &method, const CallArguments &arguments, const QString &origin)
{
    const Handler handler = m_handlers.value(method);
    if (!handler)
        throw ServiceError(ServiceError::Kind::NotFound, QStringLiteral("Método desconhecido: %1.").arg(method));
    return (this->*handler)(arguments, origin);
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
    const QString dateBase =
        oneOf(textArgument(arguments, method, 3), {QStringLiteral("EVENTO"), QStringLiteral("FECHAMENTO")},
              QStringLiteral("IDDTBASECOMISSAO"));
    filter.dateBase =
        dateBase == QLatin1String("EVENTO") ? QuoteFilter::DateBase::Event : QuoteFilter::DateBase::Closing;
    filter.everyoneEarns = oneOf(textArgument(arguments, method, 4), {QStringLiteral("S"), QStringLiteral("N")},
                                 QStringLiteral("IDGERACOMISSAOVEND"))
                           == QLatin1String("N");
    filter.from = packet::dateFromDayCount(dateArgument(arguments, method, 5));
    filter.to = packet::dateFromDayCount(dateArgument(arguments, method, 6));
    filter.generated = oneOf(textArgument(arguments, method, 7), {QStringLiteral("N"), QStringLiteral("S")},
                             QStringLiteral("A situação da comissão"))
                       == QLatin1String("S");
    return filter;
}

CallOutcome CommissionEndpoint::getParamOrcaEve(const CallArguments &arguments, const QString &)
{
    expectArguments(arguments, RemoteContract::getParamOrcaEve);
    const EncodedPacket parameters = m_service.parameters();
    return {resultBody({&parameters}, false), QString(), QString()};
}

CallOutcome CommissionEndpoint::getVendedores(const CallArguments &arguments, const QString &)
{
    const QuoteFilter filter = readFilter(arguments, SalespersonArgument::List, nullptr);
    const SalespeopleListing listing = m_service.salespeople(filter);
    return {resultBody({&listing.salespeople, &listing.pending}, true), filter.branch, QString()};
}

CallOutcome CommissionEndpoint::getOrcamentos(const CallArguments &arguments, const QString &)
{
    QString salesperson;
    const QuoteFilter filter = readFilter(arguments, SalespersonArgument::Single, &salesperson);
    const EncodedPacket quotes = m_service.quotes(filter, salesperson);
    return {resultBody({&quotes}, false), filter.branch, QString()};
}

CallOutcome CommissionEndpoint::setComissao(const CallArguments &arguments, const QString &origin)
{
    expectArguments(arguments, RemoteContract::setComissao);
    QVector<MarkedQuote> quotes = markedQuotes(arguments, true);
    const QString operatorCode = textArgument(arguments, RemoteContract::setComissao, 1).trimmed();
    // Every payable names who created it.
    if (operatorCode.isEmpty())
        throw ServiceError::badRequest(QStringLiteral("Operador não informado."));
    const QString branch = firstBranchOf(quotes);
    const QString refusal = m_service.generate(std::move(quotes), Caller{operatorCode, origin});
    return {resultBody(refusal), branch, refusal};
}

CallOutcome CommissionEndpoint::setCancelaComissao(const CallArguments &arguments, const QString &origin)
{
    // The screen sends the packet alone; a caller may add its operator code,
    // which the audit then records.
    expectArguments(arguments, RemoteContract::setCancelaComissao);
    const QVector<MarkedQuote> quotes = markedQuotes(arguments, false);
    const QString operatorCode =
        arguments.count() > 1 ? textArgument(arguments, RemoteContract::setCancelaComissao, 1).trimmed() : QString();
    const EncodedPacket cancelled = EncodedPacket::of(m_service.cancel(quotes, Caller{operatorCode, origin}));
    return {resultBody({&cancelled}, false), firstBranchOf(quotes), QString()};
}

CallOutcome CommissionEndpoint::getHistoricoComissao(const CallArguments &arguments, const QString &)
{
    const QString &method = RemoteContract::getHistoricoComissao;
    expectArguments(arguments, method);
    HistoryRepository::Selection selection;
    selection.branch = branchCode(textArgument(arguments, method, 0));
    selection.salesperson = textArgument(arguments, method, 1).trimmed();
    if (!selection.salesperson.isEmpty() && !CodeList::isCode(selection.salesperson, salespersonCodeWidth))
        throw ServiceError::badRequest(QStringLiteral("Código de vendedor inválido: até 4 letras ou dígitos."));
    selection.from = packet::dateFromDayCount(dateArgument(arguments, method, 2));
    selection.to = packet::dateFromDayCount(dateArgument(arguments, method, 3));
    const SettlementHistory history = m_service.history(selection);
    return {resultBody({&history.settlements, &history.quotes}, true), selection.branch, QString()};
}

}  // namespace commission
