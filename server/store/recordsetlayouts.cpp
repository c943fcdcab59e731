#include "recordsetlayouts.h"

#include <recordsets.h>

namespace commission {

const QVector<packet::FieldSpec> &RecordSetLayouts::parameters()
{
    static const QVector<packet::FieldSpec> fields = contract::ParamOrcaEve::specs();
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::salespeople()
{
    static const QVector<packet::FieldSpec> fields = contract::Vendedores::specs();
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::pendingQuotes()
{
    static const QVector<packet::FieldSpec> fields = contract::OrcaPendente::specs();
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::quotes()
{
    static const QVector<packet::FieldSpec> fields = contract::Orcamentos::specs();
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::settlements()
{
    static const QVector<packet::FieldSpec> fields = contract::HistoricoComissao::specs();
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::settledQuotes()
{
    static const QVector<packet::FieldSpec> fields = contract::HistoricoOrcamentos::specs();
    return fields;
}

const QVector<packet::FieldSpec> &RecordSetLayouts::cancelledQuotes()
{
    static const QVector<packet::FieldSpec> fields = contract::OrcamentosCancelados::specs();
    return fields;
}

}  // namespace commission
