#include "remotecontract.h"

namespace contract {

namespace {

using Kind = RemoteContract::ArgumentKind;

constexpr int listSize(int codeWidth)
{
    return RemoteContract::maxListedCodes * (codeWidth + 1);  // codes and their separators
}

// The selection that both listings take; the second argument is the list of
// salespeople for one and a single salesperson for the other.
QVector<RemoteContract::Argument> selection(const RemoteContract::Argument &salespeople)
{
    return {{QStringLiteral("filial"), Kind::Text, true, RemoteContract::branchCodeWidth},
            salespeople,
            {QStringLiteral("tipos de evento"), Kind::Text, true, listSize(RemoteContract::eventTypeCodeWidth)},
            {QStringLiteral("IDDTBASECOMISSAO"), Kind::Text, false, 30},
            {QStringLiteral("IDGERACOMISSAOVEND"), Kind::Text, false, 1},
            {QStringLiteral("início do período"), Kind::Date, true, 0},
            {QStringLiteral("fim do período"), Kind::Date, true, 0},
            {QStringLiteral("situação da comissão"), Kind::Text, true, 1}};
}

const RemoteContract::Argument quotesPacket{QStringLiteral("orçamentos"), Kind::Packet, false, 0};
const RemoteContract::Argument operatorCode{QStringLiteral("operador"), Kind::Text, false,
                                            RemoteContract::operatorCodeWidth};

}  // namespace

const QString RemoteContract::objectName = QStringLiteral("ORE09700.rdmManuComissao");
const QString RemoteContract::getParamOrcaEve = QStringLiteral("GetParamOrcaEve");
const QString RemoteContract::getVendedores = QStringLiteral("GetVendedores");
const QString RemoteContract::getOrcamentos = QStringLiteral("GetOrcamentos");
const QString RemoteContract::setComissao = QStringLiteral("SetComissao");
const QString RemoteContract::setCancelaComissao = QStringLiteral("SetCancelaComissao");
const QString RemoteContract::getHistoricoComissao = QStringLiteral("GetHistoricoComissao");
const char *const RemoteContract::secretHeader = "X-Commission-Secret";
const char *const RemoteContract::sessionPath = "/sessao";
const QString RemoteContract::rightToList = QStringLiteral("consultar");
const QString RemoteContract::rightToGenerate = QStringLiteral("gerar");
const QString RemoteContract::rightToCancel = QStringLiteral("cancelar");

QStringList RemoteContract::methods()
{
    return {getParamOrcaEve, getVendedores, getOrcamentos, setComissao, setCancelaComissao, getHistoricoComissao};
}

QString RemoteContract::path(const QString &method)
{
    return QStringLiteral("/rdm/%1/%2").arg(objectName, method);
}

const QVector<RemoteContract::Argument> &RemoteContract::arguments(const QString &method)
{
    // Built once: the server reads every argument of every call through these.
    static const QVector<Argument> listing =
        selection({QStringLiteral("vendedores"), Kind::Text, true, listSize(salespersonCodeWidth)});
    static const QVector<Argument> quotes =
        selection({QStringLiteral("vendedor"), Kind::Text, false, salespersonCodeWidth});
    static const QVector<Argument> settlement{quotesPacket, operatorCode};
    // A cancellation names who asks for it and why.
    static const QVector<Argument> cancellation{
        quotesPacket, operatorCode, {QStringLiteral("motivo"), Kind::Text, false, cancellationReasonMaxLength}};
    // The salesperson may be empty: every salesperson of the branch. The
    // period is that of the generations and cancellations; the optional
    // fifth argument (Domains::PeriodInUtc) says its bounds are UTC instants.
    static const QVector<Argument> history{{QStringLiteral("filial"), Kind::Text, false, branchCodeWidth},
                                           {QStringLiteral("vendedor"), Kind::Text, false, salespersonCodeWidth},
                                           {QStringLiteral("início do período"), Kind::Date, false, 0},
                                           {QStringLiteral("fim do período"), Kind::Date, false, 0},
                                           {QStringLiteral("período em UTC"), Kind::Text, false, 1}};
    static const QVector<Argument> none;
    if (method == getVendedores)
        return listing;
    if (method == getOrcamentos)
        return quotes;
    if (method == setComissao)
        return settlement;
    if (method == setCancelaComissao)
        return cancellation;
    if (method == getHistoricoComissao)
        return history;
    return none;
}

int RemoteContract::requiredArguments(const QString &method)
{
    if (method == getHistoricoComissao)
        return 4;
    return int(arguments(method).size());
}

const QString RemoteContract::nothingMarked = QStringLiteral("N_MARCADO");
const QString RemoteContract::quoteUnknown = QStringLiteral("ORCA_N_CAD");
const QString RemoteContract::alreadyGenerated = QStringLiteral("COMISSAO_GERADA");
const QString RemoteContract::allZero = QStringLiteral("VALOR_COMISS_ZERO");
const QString RemoteContract::percentOutOfRange = QStringLiteral("VR_COM_DEVE");
const QString RemoteContract::salespersonEarnsNothing = QStringLiteral("N_PARAM_VEND_N_COMISS");
const QString RemoteContract::salespersonWithoutSupplier = QStringLiteral("N_PARAM_VEND_S_FORN");
const QString RemoteContract::entryOperationMissing = QStringLiteral("N_PARAM_CDTPOPENTACE");
const QString RemoteContract::payableTypeMissing = QStringLiteral("N_PARAM_TPCTPAG");
const QString RemoteContract::entrySeriesMissing = QStringLiteral("N_PARAM_SERIEENTR");
const QString RemoteContract::companyMissing = QStringLiteral("N_PARAM_EMPRESARELAC");
const QString RemoteContract::payablePaid = QStringLiteral("N_PARAM_CONTAPAGBAIXADA");

QStringList RemoteContract::refusalKeys()
{
    return {nothingMarked,
            quoteUnknown,
            alreadyGenerated,
            allZero,
            percentOutOfRange,
            salespersonEarnsNothing,
            salespersonWithoutSupplier,
            entryOperationMissing,
            payableTypeMissing,
            entrySeriesMissing,
            companyMissing,
            payablePaid};
}

}  // namespace contract
