#include "recordsetlayouts.h"

#include <recordsetcontract.h>

namespace commission {

using contract::RecordSetContract;

const QVector<packet::FieldSpec> &RecordSetLayouts::parameters()
{
    static const QVector<packet::FieldSpec> fields = RecordSetContract::specs(RecordSetContract::paramOrcaEve());
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::salespeople()
{
    static const QVector<packet::FieldSpec> fields = RecordSetContract::specs(RecordSetContract::vendedores());
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::pendingQuotes()
{
    static const QVector<packet::FieldSpec> fields = RecordSetContract::specs(RecordSetContract::orcaPendente());
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::quotes()
{
    static const QVector<packet::FieldSpec> fields = RecordSetContract::specs(RecordSetContract::orcamentos());
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::cancelledQuotes()
{
    static const QVector<packet::FieldSpec> fields =
        RecordSetContract::specs(RecordSetContract::orcamentosCancelados());
    return fields;
}

}  // namespace commission
