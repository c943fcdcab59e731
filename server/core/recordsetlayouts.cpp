#include "recordsetlayouts.h"

namespace commission {

namespace {

using packet::FieldKind;
using packet::FieldSpec;

FieldSpec text(const char *name, int size)
{
    return FieldSpec{QString::fromLatin1(name), FieldKind::Text, size};
}

FieldSpec fixedText(const char *name, int size)
{
    return FieldSpec{QString::fromLatin1(name), FieldKind::FixedText, size};
}

FieldSpec number(const char *name)
{
    return FieldSpec{QString::fromLatin1(name), FieldKind::Float, 0};
}

FieldSpec dateTime(const char *name)
{
    return FieldSpec{QString::fromLatin1(name), FieldKind::DateTime, 0};
}

}  // namespace

const QVector<FieldSpec> &RecordSetLayouts::parameters()
{
    static const QVector<FieldSpec> fields = {
        text("CDTPOPEROREV", 2),    text("CDTPCTRECEB", 6),      text("DSTPCTRECEB", 40),
        text("NMTIPOOPER", 30),     text("CDCLASSFINA", 6),      text("CDTPOPFINACE", 2),
        text("CDTPCTPAGAR", 6),     text("CDCLASSFPAG", 6),      text("IDESOPENTACE", 1),
        text("CDTPOPENTACE", 2),    text("CDSERIEENTR", 5),      text("DSDEFACTPAG", 40),
        text("IDTPPRODPEDOREV", 1), text("IDORIGPRUNITORE", 1),  text("CDTIPOCUSTO", 2),
        text("IDTPCOBRVREXTRA", 1), text("DSTPCTPAGAR", 40),     text("CDFORNPADORC", 21),
        text("CDTPAJECDISTORE", 4), text("CDTPBAIXDISTORE", 2),  text("CDTPOPERORCNEG", 2),
        text("CDTPCTPAGARNEG", 6),  text("NMTIPOOPERNEG", 30),   text("DSTPCTPAGARNEG", 40),
        text("CDCLASSFINANEG", 6),  text("IDESOPERORCNEG", 1),   text("IDGERACOMISSAO", 30),
        text("IDDTBASECOMISSAO", 30), text("IDGERACOMISSAOVEND", 1),
    };
    return fields;
}

const QVector<FieldSpec> &RecordSetLayouts::salespeople()
{
    static const QVector<FieldSpec> fields = {
        text("CDVENDEDOR", 4), text("NMFANVEN", 50), text("CDFORNECED", 21),
        text("IDGERACOMISVEND", 1), text("IDCARGOVEND", 1), number("VRCOMISSAO"),
    };
    return fields;
}

const QVector<FieldSpec> &RecordSetLayouts::pendingQuotes()
{
    static const QVector<FieldSpec> fields = {
        text("CDFILIAL", 4), text("NRORCAEVENTO", 10), fixedText("NRSEQORCAEVE", 2), text("NMFANVEN", 50),
        text("CDVENDEDOR", 4), dateTime("DTEVENTO"), text("DSTITUORCEVE", 100),
    };
    return fields;
}

const QVector<FieldSpec> &RecordSetLayouts::quotes()
{
    static const QVector<FieldSpec> fields = {
        text("IDCHECK", 1),       text("CDFILIAL", 4),     text("NRORCAEVENTO", 10), text("NRSEQORCAEVE", 10),
        text("CDCLIENTE", 21),    text("CDVENDEDOR", 4),   text("CDTIPOEVENTO", 3),  dateTime("DTEVENTO"),
        dateTime("DTFECHAORCA"),  number("VRTOTALOREV"),   number("VRPERCCOMIS"),    text("NMFANTCLIE", 50),
        text("NMTIPOEVENTO", 30), number("VRCOMISSAO"),    text("IDTPRECEOREV", 1),
    };
    return fields;
}

const QVector<FieldSpec> &RecordSetLayouts::cancelledQuotes()
{
    static const QVector<FieldSpec> fields = {
        text("CDFILIAL", 4), text("NRORCAEVENTO", 10), text("NRSEQORCAEVE", 10),
        number("VRPERCCOMIS"), number("VRCOMISSAO"),
    };
    return fields;
}

}  // namespace commission
