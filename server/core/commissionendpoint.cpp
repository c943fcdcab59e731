#include "commissionendpoint.h"

#include "callarguments.h"
#include "codelist.h"
#include "commissionservice.h"
#include "markedquotes.h"
#include "serviceerror.h"

#include <daycount.h>
#include <packetcodec.h>

#include <QJsonArray>

namespace commission {

namespace {

constexpr int salespersonCodeSize = 4;
constexpr int eventTypeCodeSize = 3;
constexpr int operatorCodeSize = 20;

// Branch codes are stored four characters wide, filled with zeros on the
// left, the form the screen's branch field brings them to ("1" -> "0001").
QString branchCode(const QString &text)
{
    const QString code = text.trimmed();
    if (code.isEmpty())
        throw ServiceError::badRequest(QStringLiteral("Filial não informada."));
    if (!CodeList::isCode(code, 4))
        throw ServiceError::badRequest(QStringLiteral("Código de filial inválido: até 4 letras ou dígitos."));
    return code.rightJustified(4, QLatin1Char('0'));
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
        0, QStringLiteral("orçamentos"), [&reader](const QVector<packet::FieldSpec> &fields) { reader.setFields(fields); },
        [&reader](const QVector<QVariant> &row) { reader.addRow(row); });
    return reader.take();
}

QString firstBranchOf(const QVector<MarkedQuote> &marked)
{
    return marked.isEmpty() ? QString() : marked.first().key.branch;
}

}  // namespace

const QString CommissionEndpoint::objectName = QStringLiteral("ORE09700.rdmManuComissao");

CommissionEndpoint::CommissionEndpoint(CommissionService &service)
    : m_service(service),
      m_handlers{{QStringLiteral("GetParamOrcaEve"), &CommissionEndpoint::getParamOrcaEve},
                 {QStringLiteral("GetVendedores"), &CommissionEndpoint::getVendedores},
                 {QStringLiteral("GetOrcamentos"), &CommissionEndpoint::getOrcamentos},
                 {QStringLiteral("SetComissao"), &CommissionEndpoint::setComissao},
                 {QStringLiteral("SetCancelaComissao"), &CommissionEndpoint::setCancelaComissao}}
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
    arguments.expectCount(8, 8);
    QuoteFilter filter;
    filter.branch = branchCode(arguments.text(0, QStringLiteral("filial"), 4, true));
    if (kind == SalespersonArgument::List) {
        filter.salespeople = CodeList::parse(
            arguments.text(1, QStringLiteral("vendedores"), CodeList::maxCodes * (salespersonCodeSize + 1), true),
            salespersonCodeSize, QStringLiteral("vendedores"));
    } else {
        // Empty when no salesperson is listed: the answer is then empty.
        *salesperson = arguments.text(1, QStringLiteral("vendedor"), salespersonCodeSize, false);
        if (!salesperson->isEmpty() && !CodeList::isCode(*salesperson, salespersonCodeSize))
            throw ServiceError::badRequest(QStringLiteral("Código de vendedor inválido: até 4 letras ou dígitos."));
    }
    filter.eventTypes = CodeList::parse(
        arguments.text(2, QStringLiteral("tipos de evento"), CodeList::maxCodes * (eventTypeCodeSize + 1), true),
        eventTypeCodeSize, QStringLiteral("tipos de evento"));
    const QString dateBase = oneOf(arguments.text(3, QStringLiteral("IDDTBASECOMISSAO"), 30, false),
                                   {QStringLiteral("EVENTO"), QStringLiteral("FECHAMENTO")},
                                   QStringLiteral("IDDTBASECOMISSAO"));
    filter.dateBase = dateBase == QLatin1String("EVENTO") ? QuoteFilter::DateBase::Event : QuoteFilter::DateBase::Closing;
    filter.everyoneEarns = oneOf(arguments.text(4, QStringLiteral("IDGERACOMISSAOVEND"), 1, false),
                                 {QStringLiteral("S"), QStringLiteral("N")}, QStringLiteral("IDGERACOMISSAOVEND"))
                           == QLatin1String("N");
    filter.from = packet::dateFromDayCount(arguments.date(5, QStringLiteral("início do período"), true));
    filter.to = packet::dateFromDayCount(arguments.date(6, QStringLiteral("fim do período"), true));
    filter.generated = oneOf(arguments.text(7, QStringLiteral("situação da comissão"), 1, true),
                             {QStringLiteral("N"), QStringLiteral("S")}, QStringLiteral("A situação da comissão"))
                       == QLatin1String("S");
    return filter;
}

CallOutcome CommissionEndpoint::getParamOrcaEve(const CallArguments &arguments, const QString &)
{
    arguments.expectCount(0, 0);
    return {packet::toJson(m_service.parameters()), QString(), QString()};
}

CallOutcome CommissionEndpoint::getVendedores(const CallArguments &arguments, const QString &)
{
    const QuoteFilter filter = readFilter(arguments, SalespersonArgument::List, nullptr);
    const SalespeopleListing listing = m_service.salespeople(filter);
    return {QJsonArray{packet::toJson(listing.salespeople), packet::toJson(listing.pending)}, filter.branch, QString()};
}

CallOutcome CommissionEndpoint::getOrcamentos(const CallArguments &arguments, const QString &)
{
    QString salesperson;
    const QuoteFilter filter = readFilter(arguments, SalespersonArgument::Single, &salesperson);
    return {packet::toJson(m_service.quotes(filter, salesperson)), filter.branch, QString()};
}

CallOutcome CommissionEndpoint::setComissao(const CallArguments &arguments, const QString &origin)
{
    arguments.expectCount(2, 2);
    QVector<MarkedQuote> quotes = markedQuotes(arguments, true);
    const QString operatorCode = arguments.text(1, QStringLiteral("operador"), operatorCodeSize, false).trimmed();
    // Every payable names who created it.
    if (operatorCode.isEmpty())
        throw ServiceError::badRequest(QStringLiteral("Operador não informado."));
    const QString branch = firstBranchOf(quotes);
    const QString refusal = m_service.generate(std::move(quotes), Caller{operatorCode, origin});
    return {refusal, branch, refusal};
}

CallOutcome CommissionEndpoint::setCancelaComissao(const CallArguments &arguments, const QString &origin)
{
    // The screen sends the packet alone; a caller may add its operator code,
    // which the audit then records.
    arguments.expectCount(1, 2);
    const QVector<MarkedQuote> quotes = markedQuotes(arguments, false);
    const QString operatorCode = arguments.count() > 1
                                     ? arguments.text(1, QStringLiteral("operador"), operatorCodeSize, false).trimmed()
                                     : QString();
    return {packet::toJson(m_service.cancel(quotes, Caller{operatorCode, origin})), firstBranchOf(quotes), QString()};
}

}  // namespace commission
