#include "screendatasets.h"

#include "domains.h"
#include "recordsets.h"
#include "tclientdataset.h"
#include "utcinstant.h"

#include <QHash>

#include <functional>
#include <initializer_list>
#include <span>
#include <utility>

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
    std::function<QString(const QVariant &value)> text{};  // what the grid shows instead, when set
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

// A code shown in words; a code without one shows as nothing.
std::function<QString(const QVariant &)> words(std::initializer_list<std::pair<QLatin1String, const char *>> named)
{
    QHash<QString, QString> byCode;
    for (const auto &[code, word] : named)
        byCode.insert(code, QString::fromUtf8(word));
    return [byCode](const QVariant &value) { return byCode.value(value.toString().trimmed()); };
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
                      .visible = look.visible,
                      .displayHook = look.text});
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
    using D = contract::Domains;
    // The instant travels in UTC; the operator reads it in the host's time.
    Look when = shown(F::DtHrAuditoria, "Data e Hora", 16);
    when.format = QStringLiteral("dd/MM/yyyy hh:mm");
    when.text = [format = when.format](const QVariant &value) {
        return contract::UtcInstant::fromDayCount(value.toDouble()).toLocalTime().toString(format);
    };
    Look paid = shown(F::IdBaixada, "Paga");
    paid.text = words({{D::Paid::paid, "Sim"}, {D::Paid::unpaid, "Não"}});
    // What cancellations did to the payable since; nothing when untouched.
    Look payableNow = shown(F::IdSitContaPagar, "Situação da Conta");
    payableNow.text = words({{D::PayableState::changed, "Alterada"}, {D::PayableState::removed, "Removida"}});
    static const QVector<Look> looks{hidden(F::NrAuditComissao),
                                     when,
                                     shown(F::DsOperacao, "Operação"),
                                     shown(F::CdOperador, "Operador", 10),
                                     shown(F::CdVendedor, "Vendedor"),
                                     shown(F::NmFanVen, "Nome", 20),
                                     shown(F::NrContaPagar, "Conta a Pagar"),
                                     shown(F::QtOrcamentos, "Orçamentos"),
                                     amount(F::VrComissao, "Vr. Comissão"),
                                     paid,
                                     payableNow,
                                     shown(F::DsMotivo, "Motivo", 20),
                                     hidden(F::IdOperacao),
                                     amount(F::VrContaPagar, "Vr. Conta Atual"),
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
