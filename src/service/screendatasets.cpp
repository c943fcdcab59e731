#include "screendatasets.h"

#include "tclientdataset.h"

#include <QFont>

using packet::FieldKind;

namespace screendatasets {

namespace {

const QString amountFormat = QStringLiteral("0.00#,##");

FieldDef text(const QString &name, int size, const QString &label = {}, bool visible = true, int width = 0)
{
    return {.name = name, .kind = FieldKind::Text, .size = size, .displayLabel = label, .displayWidth = width,
            .visible = visible};
}

FieldDef hiddenText(const QString &name, int size)
{
    return text(name, size, {}, false);
}

FieldDef amount(const QString &name, const QString &label, bool visible)
{
    return {.name = name, .kind = FieldKind::Float, .displayLabel = label, .displayFormat = amountFormat,
            .visible = visible};
}

FieldDef dateTime(const QString &name, const QString &label, int width = 0)
{
    return {.name = name, .kind = FieldKind::DateTime, .displayLabel = label, .displayWidth = width};
}

void declareAll(TClientDataSet &set, const QVector<FieldDef> &fields)
{
    for (const FieldDef &field : fields)
        set.addField(field);
}

TDBGrid::TColumn column(const QString &field, int width)
{
    TDBGrid::TColumn result;
    result.fieldName = field;
    result.width = width;
    return result;
}

}  // namespace

void declareParamOrcaEve(TClientDataSet &set)
{
    declareAll(set, {
        text("CDTPOPEROREV", 2),      text("CDTPCTRECEB", 6),      text("DSTPCTRECEB", 40),
        text("NMTIPOOPER", 30),       text("CDCLASSFINA", 6),      text("CDTPOPFINACE", 2),
        text("CDTPCTPAGAR", 6),       text("CDCLASSFPAG", 6),      text("IDESOPENTACE", 1),
        text("CDTPOPENTACE", 2),      text("CDSERIEENTR", 5),      text("DSDEFACTPAG", 40),
        text("IDTPPRODPEDOREV", 1),   text("IDORIGPRUNITORE", 1),  text("CDTIPOCUSTO", 2),
        text("IDTPCOBRVREXTRA", 1),   text("DSTPCTPAGAR", 40),     text("CDFORNPADORC", 21),
        text("CDTPAJECDISTORE", 4),   text("CDTPBAIXDISTORE", 2),  text("CDTPOPERORCNEG", 2),
        text("CDTPCTPAGARNEG", 6),    text("NMTIPOOPERNEG", 30),   text("DSTPCTPAGARNEG", 40),
        text("CDCLASSFINANEG", 6),    text("IDESOPERORCNEG", 1),   text("IDGERACOMISSAO", 30),
        text("IDDTBASECOMISSAO", 30), text("IDGERACOMISSAOVEND", 1),
    });
}

void declareVendedores(TClientDataSet &set)
{
    declareAll(set, {
        hiddenText("CDVENDEDOR", 4),
        text("NMFANVEN", 50, QStringLiteral("Vendedor")),
        hiddenText("CDFORNECED", 21),
        hiddenText("IDGERACOMISVEND", 1),
        hiddenText("IDCARGOVEND", 1),
        amount("VRCOMISSAO", QStringLiteral("Valor da Comissão"), true),
    });
}

void declareOrcamentos(TClientDataSet &set)
{
    declareAll(set, {
        hiddenText("IDCHECK", 1),
        hiddenText("CDFILIAL", 4),
        text("NRORCAEVENTO", 10, QStringLiteral("Nr. Orçamento")),
        text("NRSEQORCAEVE", 10, QStringLiteral("Seq.")),
        hiddenText("CDCLIENTE", 21),
        hiddenText("CDVENDEDOR", 4),
        hiddenText("CDTIPOEVENTO", 3),
        dateTime("DTEVENTO", QStringLiteral("Dt. Evento")),
        dateTime("DTFECHAORCA", QStringLiteral("Dt. Fechamento")),
        amount("VRTOTALOREV", QStringLiteral("Vr. Orçamento"), false),
        amount("VRPERCCOMIS", QStringLiteral("% Comissão"), false),
        text("NMFANTCLIE", 50, QStringLiteral("Cliente")),
        text("NMTIPOEVENTO", 30, QStringLiteral("Tipo de Evento")),
        amount("VRCOMISSAO", QStringLiteral("Vr. Comissão"), false),
        hiddenText("IDTPRECEOREV", 1),
    });
}

void declareOrcaPendente(TClientDataSet &set)
{
    FieldDef sequence{.name = QStringLiteral("NRSEQORCAEVE"), .kind = FieldKind::FixedText, .size = 2,
                      .displayLabel = QStringLiteral("Seq.")};
    declareAll(set, {
        hiddenText("CDFILIAL", 4),
        text("NRORCAEVENTO", 10, QStringLiteral("Nr. Orçamento")),
        sequence,
        text("NMFANVEN", 50, QStringLiteral("Vendedor(a)"), true, 40),
        hiddenText("CDVENDEDOR", 4),
        dateTime("DTEVENTO", QStringLiteral("Dt. Evento"), 8),
        text("DSTITUORCEVE", 100, QStringLiteral("Título do Orçamento"), true, 60),
    });
}

QVector<TDBGrid::TColumn> vendedoresColumns()
{
    return {column("NMFANVEN", 564), column("VRCOMISSAO", 149)};
}

QVector<TDBGrid::TColumn> orcamentosColumns()
{
    TDBGrid::TColumn mark = column("IDCHECK", 17);
    mark.alignment = Qt::AlignCenter;
    mark.title = QStringLiteral("4");  // a tick in the symbol font
    mark.titleFont = QFont(QStringLiteral("Monotype Sorts"));
    mark.hasTitleFont = true;
    return {mark,
            column("NRORCAEVENTO", 79),
            column("NRSEQORCAEVE", 28),
            column("NMFANTCLIE", 260),
            column("NMTIPOEVENTO", 120),
            column("DTEVENTO", 70),
            column("DTFECHAORCA", 83),
            column("VRTOTALOREV", 79),
            column("VRPERCCOMIS", 79),
            column("VRCOMISSAO", 79)};
}

}  // namespace screendatasets
