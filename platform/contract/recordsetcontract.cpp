#include "recordsetcontract.h"

namespace contract {

namespace {

using packet::FieldKind;

const QString amountFormat = QStringLiteral("0.00#,##");

ContractField text(const char *name, int size, const char *label = nullptr, int width = 0)
{
    return {.name = QString::fromLatin1(name),
            .kind = FieldKind::Text,
            .size = size,
            .label = label ? QString::fromUtf8(label) : QString(),
            .displayWidth = width};
}

ContractField hidden(const char *name, int size)
{
    ContractField field = text(name, size);
    field.visible = false;
    return field;
}

ContractField amount(const char *name, const char *label)
{
    return {.name = QString::fromLatin1(name),
            .kind = FieldKind::Float,
            .label = QString::fromUtf8(label),
            .format = amountFormat};
}

ContractField hiddenAmount(const char *name, const char *label)
{
    ContractField field = amount(name, label);
    field.visible = false;
    return field;
}

// A whole number, shown as it is.
ContractField number(const char *name, const char *label)
{
    return {.name = QString::fromLatin1(name), .kind = FieldKind::Float, .label = QString::fromUtf8(label)};
}

ContractField hiddenNumber(const char *name)
{
    ContractField field = number(name, "");
    field.visible = false;
    return field;
}

ContractField dateTime(const char *name, const char *label, int width = 0, const QString &format = QString())
{
    return {.name = QString::fromLatin1(name),
            .kind = FieldKind::DateTime,
            .label = QString::fromUtf8(label),
            .format = format,
            .displayWidth = width};
}

}  // namespace

const QVector<ContractField> &RecordSetContract::paramOrcaEve()
{
    static const QVector<ContractField> fields = {
        text("CDTPOPEROREV", 2),      text("CDTPCTRECEB", 6),        text("DSTPCTRECEB", 40),
        text("NMTIPOOPER", 30),       text("CDCLASSFINA", 6),        text("CDTPOPFINACE", 2),
        text("CDTPCTPAGAR", 6),       text("CDCLASSFPAG", 6),        text("IDESOPENTACE", 1),
        text("CDTPOPENTACE", 2),      text("CDSERIEENTR", 5),        text("DSDEFACTPAG", 40),
        text("IDTPPRODPEDOREV", 1),   text("IDORIGPRUNITORE", 1),    text("CDTIPOCUSTO", 2),
        text("IDTPCOBRVREXTRA", 1),   text("DSTPCTPAGAR", 40),       text("CDFORNPADORC", 21),
        text("CDTPAJECDISTORE", 4),   text("CDTPBAIXDISTORE", 2),    text("CDTPOPERORCNEG", 2),
        text("CDTPCTPAGARNEG", 6),    text("NMTIPOOPERNEG", 30),     text("DSTPCTPAGARNEG", 40),
        text("CDCLASSFINANEG", 6),    text("IDESOPERORCNEG", 1),     text("IDGERACOMISSAO", 30),
        text("IDDTBASECOMISSAO", 30), text("IDGERACOMISSAOVEND", 1),
    };
    return fields;
}

const QVector<ContractField> &RecordSetContract::vendedores()
{
    static const QVector<ContractField> fields = {
        hidden("CDVENDEDOR", 4),      text("NMFANVEN", 50, "Vendedor"), hidden("CDFORNECED", 21),
        hidden("IDGERACOMISVEND", 1), hidden("IDCARGOVEND", 1),         amount("VRCOMISSAO", "Valor da Comissão"),
    };
    return fields;
}

const QVector<ContractField> &RecordSetContract::orcaPendente()
{
    static const QVector<ContractField> fields = {
        hidden("CDFILIAL", 4),
        text("NRORCAEVENTO", 10, "Nr. Orçamento"),
        {.name = QStringLiteral("NRSEQORCAEVE"),
         .kind = FieldKind::FixedText,
         .size = 2,
         .label = QStringLiteral("Seq.")},
        text("NMFANVEN", 50, "Vendedor(a)", 40),
        hidden("CDVENDEDOR", 4),
        dateTime("DTEVENTO", "Dt. Evento", 8),
        text("DSTITUORCEVE", 100, "Título do Orçamento", 60),
    };
    return fields;
}

const QVector<ContractField> &RecordSetContract::orcamentos()
{
    static const QVector<ContractField> fields = {
        hidden("IDCHECK", 1),
        hidden("CDFILIAL", 4),
        text("NRORCAEVENTO", 10, "Nr. Orçamento"),
        text("NRSEQORCAEVE", 10, "Seq."),
        hidden("CDCLIENTE", 21),
        hidden("CDVENDEDOR", 4),
        hidden("CDTIPOEVENTO", 3),
        dateTime("DTEVENTO", "Dt. Evento"),
        dateTime("DTFECHAORCA", "Dt. Fechamento"),
        hiddenAmount("VRTOTALOREV", "Vr. Orçamento"),
        hiddenAmount("VRPERCCOMIS", "% Comissão"),
        text("NMFANTCLIE", 50, "Cliente"),
        text("NMTIPOEVENTO", 30, "Tipo de Evento"),
        hiddenAmount("VRCOMISSAO", "Vr. Comissão"),
        hidden("IDTPRECEOREV", 1),
    };
    return fields;
}

const QVector<ContractField> &RecordSetContract::orcamentosCancelados()
{
    static const QVector<ContractField> fields = {
        text("CDFILIAL", 4),
        text("NRORCAEVENTO", 10),
        text("NRSEQORCAEVE", 10),
        amount("VRPERCCOMIS", "% Comissão"),
        amount("VRCOMISSAO", "Vr. Comissão"),
    };
    return fields;
}

const QVector<ContractField> &RecordSetContract::historicoComissao()
{
    static const QVector<ContractField> fields = {
        hiddenNumber("NRAUDITCOMISSAO"),
        dateTime("DTHRAUDITORIA", "Data e Hora", 16, QStringLiteral("dd/MM/yyyy hh:mm")),
        text("DSOPERACAO", 12, "Operação"),
        text("CDOPERADOR", 20, "Operador", 10),
        text("CDVENDEDOR", 4, "Vendedor"),
        text("NMFANVEN", 50, "Nome", 25),
        number("NRCONTAPAGAR", "Conta a Pagar"),
        number("QTORCAMENTOS", "Orçamentos"),
        amount("VRCOMISSAO", "Vr. Comissão"),
        text("IDBAIXADA", 1, "Paga"),
        text("DSMOTIVO", 500, "Motivo", 30),
        hidden("IDOPERACAO", 1),
    };
    return fields;
}

const QVector<ContractField> &RecordSetContract::historicoOrcamentos()
{
    static const QVector<ContractField> fields = {
        hiddenNumber("NRAUDITCOMISSAO"),     text("NRORCAEVENTO", 10, "Nr. Orçamento"),
        text("NRSEQORCAEVE", 2, "Seq."),     text("NMFANTCLIE", 50, "Cliente", 30),
        amount("VRPERCCOMIS", "% Comissão"), amount("VRCOMISSAO", "Vr. Comissão"),
    };
    return fields;
}

QVector<packet::FieldSpec> RecordSetContract::wireFields(const QVector<ContractField> &fields)
{
    QVector<packet::FieldSpec> result;
    result.reserve(fields.size());
    for (const ContractField &field : fields)
        result.append(field.wireField());
    return result;
}

}  // namespace contract
