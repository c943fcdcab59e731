#include "commissionclient.h"

#include "domains.h"
#include "hostoperations.h"
#include "packetcodec.h"
#include "remotecontract.h"
#include "tnetconnection.h"
#include "utcinstant.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonObject>

#include <type_traits>
#include <utility>

namespace {

using contract::RemoteContract;

const QString &kGetParamOrcaEve = RemoteContract::getParamOrcaEve;
const QString &kGetVendedores = RemoteContract::getVendedores;
const QString &kGetOrcamentos = RemoteContract::getOrcamentos;
const QString &kSetComissao = RemoteContract::setComissao;
const QString &kSetCancelaComissao = RemoteContract::setCancelaComissao;
const QString &kGetHistoricoComissao = RemoteContract::getHistoricoComissao;

// The eight arguments both list calls take, passed as the contract declares
// (the salesperson list goes by reference, a single code by value).
QVector<ServiceArgument> selectionArguments(const QString &method, const CommissionClient::Selection &s)
{
    const QVector<RemoteContract::Argument> &declared = RemoteContract::arguments(method);
    const auto text = [&declared](int index, const QString &value) {
        return ServiceArgument::text(value, declared.at(index).byRef);
    };
    const auto date = [&declared](int index, double value) {
        return ServiceArgument::date(value, declared.at(index).byRef);
    };
    return {text(0, s.branch),         text(1, s.salespeople), text(2, s.eventTypes), text(3, s.baseDateRule),
            text(4, s.generationRule), date(5, s.periodStart), date(6, s.periodEnd),  text(7, s.commissionStatus)};
}

packet::Packet packetFrom(const QString &method, const QJsonValue &value)
{
    if (!packet::looksLikePacket(value))
        throw packet::PacketError(
            QStringLiteral("A resposta de %1 não é um pacote de dados.").arg(method).toStdString());
    return packet::fromJson(value);
}

// An answer of two packets, checked as every data answer is.
std::pair<packet::Packet, packet::Packet> packetPair(const QString &method, const QJsonValue &call)
{
    const QJsonValue answer = CheckResultServ(call, true, 0);
    const QJsonArray parts = answer.toArray();
    if (!answer.isArray() || parts.size() != 2)
        throw packet::PacketError(
            QStringLiteral("A resposta de %1 não é uma lista de dois pacotes de dados.").arg(method).toStdString());
    return {packetFrom(method, parts[0]), packetFrom(method, parts[1])};
}

// A packet answer: checked as every data answer is, then decoded.
packet::Packet checkedPacket(const QString &method, const QJsonValue &answer)
{
    return packetFrom(method, CheckResultServ(answer, true, 0));
}

// Runs the decoding of a call's result (or of the whole call, for a decoding
// that reads the members beside the result) in the completion: what it
// raises (or what the call raised) becomes the outcome's error.
template <typename T, typename Decode>
TNetConnection::Completion decodedBy(Decode decode, CommissionClient::Done<T> done)
{
    return [decode = std::move(decode), done = std::move(done)](const CallOutcome &call) {
        std::optional<ClientOutcome<T>> outcome;
        try {
            if constexpr (std::is_invocable_v<const Decode &, const CallOutcome &>)
                outcome = ClientOutcome<T>::of(decode(call));
            else
                outcome = ClientOutcome<T>::of(decode(call.value()));
        } catch (...) {
            outcome = ClientOutcome<T>::failure(std::current_exception());
        }
        done(*outcome);
    };
}

// Bounds in UTC carry the fifth argument that says so; bounds as the
// server's days go without it, as they always went.
QVector<ServiceArgument> historyArguments(const QString &branch, const QString &salesperson, double periodStart,
                                          double periodEnd, bool inUtc = false)
{
    const QVector<RemoteContract::Argument> &declared = RemoteContract::arguments(kGetHistoricoComissao);
    QVector<ServiceArgument> arguments{ServiceArgument::text(branch, declared.at(0).byRef),
                                       ServiceArgument::text(salesperson, declared.at(1).byRef),
                                       ServiceArgument::date(periodStart, declared.at(2).byRef),
                                       ServiceArgument::date(periodEnd, declared.at(3).byRef)};
    if (inUtc)
        arguments.append(ServiceArgument::text(contract::Domains::PeriodInUtc::yes, declared.at(4).byRef));
    return arguments;
}

QVector<ServiceArgument> cancellationArguments(const packet::Packet &quotes, const QString &operatorCode,
                                               const QString &reason)
{
    const QVector<RemoteContract::Argument> &declared = RemoteContract::arguments(kSetCancelaComissao);
    return {ServiceArgument::packet(packet::toJson(quotes)), ServiceArgument::text(operatorCode, declared.at(1).byRef),
            ServiceArgument::text(reason, declared.at(2).byRef)};
}

CommissionClient::SalespeopleAnswer salespeopleFrom(const QJsonValue &answer)
{
    const auto [salespeople, pending] = packetPair(kGetVendedores, answer);
    return {salespeople, pending};
}

CommissionClient::HistoryAnswer historyFrom(const QJsonValue &answer)
{
    const auto [settlements, quotes] = packetPair(kGetHistoricoComissao, answer);
    return {settlements, quotes};
}

}  // namespace

// Listings change nothing: one that failed in transport is asked again once,
// on a new connection. Generation and cancellation never are; the operator
// sees the failure and the reload shows what the server holds.
constexpr TNetConnection::Retry readRetry = TNetConnection::Retry::OnceOnTransportFailure;

CommissionClient::CommissionClient(TNetConnection &connection) : m_connection(connection) {}

packet::Packet CommissionClient::GetParamOrcaEve()
{
    return checkedPacket(kGetParamOrcaEve, m_connection.call(kGetParamOrcaEve, {}, readRetry));
}

CommissionClient::SalespeopleAnswer CommissionClient::GetVendedores(const Selection &selection)
{
    return salespeopleFrom(m_connection.call(kGetVendedores, selectionArguments(kGetVendedores, selection), readRetry));
}

CommissionClient::HistoryAnswer CommissionClient::GetHistoricoComissao(const QString &branch,
                                                                       const QString &salesperson, double periodStart,
                                                                       double periodEnd)
{
    return historyFrom(m_connection.call(kGetHistoricoComissao,
                                         historyArguments(branch, salesperson, periodStart, periodEnd), readRetry));
}

packet::Packet CommissionClient::GetOrcamentos(const Selection &selection)
{
    return checkedPacket(kGetOrcamentos,
                         m_connection.call(kGetOrcamentos, selectionArguments(kGetOrcamentos, selection), readRetry));
}

QString CommissionClient::SetComissao(const packet::Packet &quotes, const QString &operatorCode)
{
    return settlementAnswer(m_connection.call(
        kSetComissao, {ServiceArgument::packet(packet::toJson(quotes)), ServiceArgument::text(operatorCode, false)}));
}

// Turned into text as it stands; no answer reads as empty, that is success.
// A list or an object is no text at all: taking it as empty would report a
// refused or broken call as success, so it is raised instead.
QString CommissionClient::settlementAnswer(const QJsonValue &answer) const
{
    if (answer.isArray() || answer.isObject())
        throw TransportError(QStringLiteral("Não foi possível comunicar com o servidor %1:%2: resposta inválida de "
                                            "%3 (esperado texto).")
                                 .arg(m_connection.Host)
                                 .arg(m_connection.Port)
                                 .arg(kSetComissao)
                                 .toStdString());
    return answer.toVariant().toString();
}

packet::Packet CommissionClient::SetCancelaComissao(const packet::Packet &quotes, const QString &operatorCode,
                                                    const QString &reason)
{
    return checkedPacket(kSetCancelaComissao,
                         m_connection.call(kSetCancelaComissao, cancellationArguments(quotes, operatorCode, reason)));
}

void CommissionClient::getParamOrcaEve(QObject *context, Done<packet::Packet> done)
{
    m_connection.callAsync(
        kGetParamOrcaEve, {}, readRetry, context,
        decodedBy<packet::Packet>([](const QJsonValue &answer) { return checkedPacket(kGetParamOrcaEve, answer); },
                                  std::move(done)));
}

void CommissionClient::getVendedores(const Selection &selection, QObject *context, Done<SalespeopleAnswer> done)
{
    m_connection.callAsync(kGetVendedores, selectionArguments(kGetVendedores, selection), readRetry, context,
                           decodedBy<SalespeopleAnswer>(salespeopleFrom, std::move(done)));
}

void CommissionClient::getOrcamentos(const Selection &selection, QObject *context, Done<packet::Packet> done)
{
    m_connection.callAsync(
        kGetOrcamentos, selectionArguments(kGetOrcamentos, selection), readRetry, context,
        decodedBy<packet::Packet>([](const QJsonValue &answer) { return checkedPacket(kGetOrcamentos, answer); },
                                  std::move(done)));
}

void CommissionClient::setComissao(const packet::Packet &quotes, const QString &operatorCode, QObject *context,
                                   Done<SettlementAnswer> done)
{
    const auto decode = [this](const CallOutcome &call) {
        SettlementAnswer answer;
        answer.refusal = settlementAnswer(call.value());
        answer.payables = SettlementAnswer::payablesIn(call.outcome);
        answer.alreadySettled = SettlementAnswer::settledQuotesIn(call.details);
        return answer;
    };
    m_connection.callAsync(
        kSetComissao, {ServiceArgument::packet(packet::toJson(quotes)), ServiceArgument::text(operatorCode, false)},
        TNetConnection::Retry::Never, context, decodedBy<SettlementAnswer>(decode, std::move(done)));
}

void CommissionClient::setCancelaComissao(const packet::Packet &quotes, const QString &operatorCode,
                                          const QString &reason, QObject *context, Done<SettlementAnswer> done)
{
    const auto decode = [](const CallOutcome &call) {
        SettlementAnswer answer;
        answer.cancelled = checkedPacket(kSetCancelaComissao, call.value());
        answer.payables = SettlementAnswer::payablesIn(call.outcome);
        return answer;
    };
    m_connection.callAsync(kSetCancelaComissao, cancellationArguments(quotes, operatorCode, reason),
                           TNetConnection::Retry::Never, context, decodedBy<SettlementAnswer>(decode, std::move(done)));
}

void CommissionClient::getHistoricoComissao(const QString &branch, const QString &salesperson, double periodStart,
                                            double periodEnd, QObject *context, Done<HistoryAnswer> done)
{
    m_connection.callAsync(kGetHistoricoComissao, historyArguments(branch, salesperson, periodStart, periodEnd),
                           readRetry, context, decodedBy<HistoryAnswer>(historyFrom, std::move(done)));
}

void CommissionClient::getHistoricoComissao(const QString &branch, const QString &salesperson, const QDate &first,
                                            const QDate &last, QObject *context, Done<HistoryAnswer> done)
{
    // From the local midnight that begins the first day to the one that
    // ends the last, whatever zone the server keeps.
    const double start = first.isValid() ? contract::UtcInstant::startOfLocalDay(first) : 0;
    const double end = last.isValid() ? contract::UtcInstant::startOfLocalDay(last.addDays(1)) : 0;
    m_connection.callAsync(kGetHistoricoComissao, historyArguments(branch, salesperson, start, end, true), readRetry,
                           context, decodedBy<HistoryAnswer>(historyFrom, std::move(done)));
}
