#include "screendatasets.h"

#include "recordsetcontract.h"
#include "tclientdataset.h"

namespace screendatasets {

namespace {

using contract::ContractField;
using contract::RecordSetContract;

void declareAll(TClientDataSet &set, const QVector<ContractField> &fields)
{
    for (const ContractField &field : fields)
        set.addField({.name = field.name,
                      .kind = field.kind,
                      .size = field.size,
                      .displayLabel = field.label,
                      .displayFormat = field.format,
                      .displayWidth = field.displayWidth,
                      .visible = field.visible});
}

}  // namespace

void declareParamOrcaEve(TClientDataSet &set)
{
    declareAll(set, RecordSetContract::paramOrcaEve());
}

void declareVendedores(TClientDataSet &set)
{
    declareAll(set, RecordSetContract::vendedores());
}

void declareOrcamentos(TClientDataSet &set)
{
    declareAll(set, RecordSetContract::orcamentos());
}

void declareOrcaPendente(TClientDataSet &set)
{
    declareAll(set, RecordSetContract::orcaPendente());
}

void declareHistorico(TClientDataSet &set)
{
    declareAll(set, RecordSetContract::historicoComissao());
}

void declareHistoricoOrcamentos(TClientDataSet &set)
{
    declareAll(set, RecordSetContract::historicoOrcamentos());
}

}  // namespace screendatasets
