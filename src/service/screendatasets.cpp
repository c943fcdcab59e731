#include "screendatasets.h"

#include "recordsets.h"
#include "tclientdataset.h"

#include <span>

namespace screendatasets {

namespace {

using contract::WireField;

const QString amountFormat = QStringLiteral("0.00#,##");

// How the screen shows one field of a record set. A field without one is
// shown under its name, unformatted, at its kind's width.
struct Look {
    WireField field;
    QString label{};  // grid title; empty for the name
    QString format{};
    int width = 0;  // in characters; 0 for the kind's default
    bool visible = true;
};

Look shown(const WireField &field, const char *label, int width = 0)
{
    return {.field = field, .label = QString::fromUtf8(label), .width = width};
}

Look hidden(const WireField &field)
{
    return {.field = field, .visible = false};
}

Look amount(const WireField &field, const char *label)
{
    return {.field = field, .label = QString::fromUtf8(label), .format = amountFormat};
}

Look hiddenAmount(const WireField &field, const char *label)
{
    Look look = amount(field, label);
    look.visible = false;
    return look;
}

// Declares the wire's fields in their order, each with its look.
void declareAll(TClientDataSet &set, std::span<const WireField> fields, const QVector<Look> &looks = {})
{
    for (const WireField &field : fields) {
        const auto found =
            std::find_if(looks.cbegin(), looks.cend(), [&field](const Look &look) { return look.field == field; });
        const Look look = found != looks.cend() ? *found : Look{.field = field};
        set.addField({.name = QString(field.name),
                      .kind = field.kind,
                      .size = field.size,
                      .displayLabel = look.label,
                      .displayFormat = look.format,
                      .displayWidth = look.width,
                      .visible = look.visible});
    }
}

}  // namespace

void declareParamOrcaEve(TClientDataSet &set)
{
    declareAll(set, contract::ParamOrcaEve::fields());
}

void declareVendedores(TClientDataSet &set)
{
    using F = contract::Vendedores;
    static const QVector<Look> looks{hidden(F::CdVendedor),  shown(F::NmFanVen, "Vendedor"),
                                     hidden(F::CdForneced),  hidden(F::IdGeraComisVend),
                                     hidden(F::IdCargoVend), amount(F::VrComissao, "Valor da Comissão")};
    declareAll(set, F::fields(), looks);
}

void declareOrcamentos(TClientDataSet &set)
{
    using F = contract::Orcamentos;
    static const QVector<Look> looks{hidden(F::IdCheck),
                                     hidden(F::CdFilial),
                                     shown(F::NrOrcaEvento, "Nr. Orçamento"),
                                     shown(F::NrSeqOrcaEve, "Seq."),
                                     hidden(F::CdCliente),
                                     hidden(F::CdVendedor),
                                     hidden(F::CdTipoEvento),
                                     shown(F::DtEvento, "Dt. Evento"),
                                     shown(F::DtFechaOrca, "Dt. Fechamento"),
                                     hiddenAmount(F::VrTotalOrev, "Vr. Orçamento"),
                                     hiddenAmount(F::VrPercComis, "% Comissão"),
                                     shown(F::NmFantClie, "Cliente"),
                                     shown(F::NmTipoEvento, "Tipo de Evento"),
                                     hiddenAmount(F::VrComissao, "Vr. Comissão"),
                                     hidden(F::IdTpReceOrev)};
    declareAll(set, F::fields(), looks);
}

void declareOrcaPendente(TClientDataSet &set)
{
    using F = contract::OrcaPendente;
    static const QVector<Look> looks{hidden(F::CdFilial),
                                     shown(F::NrOrcaEvento, "Nr. Orçamento"),
                                     shown(F::NrSeqOrcaEve, "Seq."),
                                     shown(F::NmFanVen, "Vendedor(a)", 40),
                                     hidden(F::CdVendedor),
                                     shown(F::DtEvento, "Dt. Evento", 8),
                                     shown(F::DsTituOrcEve, "Título do Orçamento", 60)};
    declareAll(set, F::fields(), looks);
}

void declareHistorico(TClientDataSet &set)
{
    using F = contract::HistoricoComissao;
    Look when = shown(F::DtHrAuditoria, "Data e Hora", 16);
    when.format = QStringLiteral("dd/MM/yyyy hh:mm");
    static const QVector<Look> looks{hidden(F::NrAuditComissao),
                                     when,
                                     shown(F::DsOperacao, "Operação"),
                                     shown(F::CdOperador, "Operador", 10),
                                     shown(F::CdVendedor, "Vendedor"),
                                     shown(F::NmFanVen, "Nome", 25),
                                     shown(F::NrContaPagar, "Conta a Pagar"),
                                     shown(F::QtOrcamentos, "Orçamentos"),
                                     amount(F::VrComissao, "Vr. Comissão"),
                                     shown(F::IdBaixada, "Paga"),
                                     shown(F::DsMotivo, "Motivo", 30),
                                     hidden(F::IdOperacao),
                                     hidden(F::DtVencContaPagar)};
    declareAll(set, F::fields(), looks);
}

void declareHistoricoOrcamentos(TClientDataSet &set)
{
    using F = contract::HistoricoOrcamentos;
    static const QVector<Look> looks{hidden(F::NrAuditComissao),           shown(F::NrOrcaEvento, "Nr. Orçamento"),
                                     shown(F::NrSeqOrcaEve, "Seq."),       shown(F::NmFantClie, "Cliente", 30),
                                     amount(F::VrPercComis, "% Comissão"), amount(F::VrComissao, "Vr. Comissão")};
    declareAll(set, F::fields(), looks);
}

}  // namespace screendatasets
