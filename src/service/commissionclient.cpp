#include "commissionclient.h"

#include "hostoperations.h"
#include "packetcodec.h"
#include "remotecontract.h"
#include "tnetconnection.h"

#include <QJsonArray>
#include <QJsonObject>

#include <utility>

namespace {

using contract::RemoteContract;

const QString &getParamOrcaEve = RemoteContract::getParamOrcaEve;
const QString &getVendedores = RemoteContract::getVendedores;
const QString &getOrcamentos = RemoteContract::getOrcamentos;
const QString &setComissao = RemoteContract::setComissao;
const QString &setCancelaComissao = RemoteContract::setCancelaComissao;
const QString &getHistoricoComissao = RemoteContract::getHistoricoComissao;

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

}  // namespace

// Listings change nothing: one that failed in transport is asked again once,
// on a new connection. Generation and cancellation never are; the operator
// sees the failure and the reload shows what the server holds.
constexpr TNetConnection::Retry readRetry = TNetConnection::Retry::OnceOnTransportFailure;

CommissionClient::CommissionClient(TNetConnection &connection) : m_connection(connection) {}

packet::Packet CommissionClient::GetParamOrcaEve()
{
    return checkedPacket(getParamOrcaEve, m_connection.call(getParamOrcaEve, {}, readRetry));
}

CommissionClient::SalespeopleAnswer CommissionClient::GetVendedores(const Selection &selection)
{
    const auto [salespeople, pending] = packetPair(
        getVendedores, m_connection.call(getVendedores, selectionArguments(getVendedores, selection), readRetry));
    return {salespeople, pending};
}

CommissionClient::HistoryAnswer CommissionClient::GetHistoricoComissao(const QString &branch,
                                                                       const QString &salesperson, double periodStart,
                                                                       double periodEnd)
{
    const QVector<RemoteContract::Argument> &declared = RemoteContract::arguments(getHistoricoComissao);
    const auto [settlements, quotes] =
        packetPair(getHistoricoComissao, m_connection.call(getHistoricoComissao,
                                                           {ServiceArgument::text(branch, declared.at(0).byRef),
                                                            ServiceArgument::text(salesperson, declared.at(1).byRef),
                                                            ServiceArgument::date(periodStart, declared.at(2).byRef),
                                                            ServiceArgument::date(periodEnd, declared.at(3).byRef)},
                                                           readRetry));
    return {settlements, quotes};
}

packet::Packet CommissionClient::GetOrcamentos(const Selection &selection)
{
    return checkedPacket(getOrcamentos,
                         m_connection.call(getOrcamentos, selectionArguments(getOrcamentos, selection), readRetry));
}

QString CommissionClient::SetComissao(const packet::Packet &quotes, const QString &operatorCode)
{
    const QJsonValue answer = m_connection.call(
        setComissao, {ServiceArgument::packet(packet::toJson(quotes)), ServiceArgument::text(operatorCode, false)});
    // Turned into text as it stands; no answer reads as empty, that is success.
    // A list or an object is no text at all: taking it as empty would report a
    // refused or broken call as success, so it is raised instead.
    if (answer.isArray() || answer.isObject())
        throw TransportError(QStringLiteral("Não foi possível comunicar com o servidor %1:%2: resposta inválida de "
                                            "%3 (esperado texto).")
                                 .arg(m_connection.Host)
                                 .arg(m_connection.Port)
                                 .arg(setComissao)
                                 .toStdString());
    return answer.toVariant().toString();
}

packet::Packet CommissionClient::SetCancelaComissao(const packet::Packet &quotes, const QString &operatorCode,
                                                    const QString &reason)
{
    const QVector<RemoteContract::Argument> &declared = RemoteContract::arguments(setCancelaComissao);
    return checkedPacket(
        setCancelaComissao,
        m_connection.call(setCancelaComissao, {ServiceArgument::packet(packet::toJson(quotes)),
                                               ServiceArgument::text(operatorCode, declared.at(1).byRef),
                                               ServiceArgument::text(reason, declared.at(2).byRef)}));
}
