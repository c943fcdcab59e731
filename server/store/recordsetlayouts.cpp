#include "recordsetlayouts.h"

#include <recordsetcontract.h>

namespace commission {

using contract::RecordSetContract;

const QVector<packet::FieldSpec> &RecordSetLayouts::parameters()
{
    static const QVector<packet::FieldSpec> fields = RecordSetContract::wireFields(RecordSetContract::paramOrcaEve());
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::salespeople()
{
    static const QVector<packet::FieldSpec> fields = RecordSetContract::wireFields(RecordSetContract::vendedores());
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::pendingQuotes()
{
    static const QVector<packet::FieldSpec> fields = RecordSetContract::wireFields(RecordSetContract::orcaPendente());
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::quotes()
{
    static const QVector<packet::FieldSpec> fields = RecordSetContract::wireFields(RecordSetContract::orcamentos());
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::settlements()
{
    static const QVector<packet::FieldSpec> fields =
        RecordSetContract::wireFields(RecordSetContract::historicoComissao());
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::settledQuotes()
{
    static const QVector<packet::FieldSpec> fields =
        RecordSetContract::wireFields(RecordSetContract::historicoOrcamentos());
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::cancelledQuotes()
{
    static const QVector<packet::FieldSpec> fields =
        RecordSetContract::wireFields(RecordSetContract::orcamentosCancelados());
    return fields;
}

}  // namespace commission
