#pragma once

#include "contract_export.h"
#include "contractfield.h"

#include <QVector>

namespace contract {

// The record sets the commission server answers and the screen loads, field
// by field in their order. Every answer packet carries exactly these fields.
class CONTRACT_EXPORT RecordSetContract {
public:
    static const QVector<ContractField> &paramOrcaEve();  // quote parameters, text only
    static const QVector<ContractField> &vendedores();    // salespeople with their commission
    static const QVector<ContractField> &orcaPendente();  // quotes of salespeople without commission
    static const QVector<ContractField> &orcamentos();    // the quotes of one salesperson
    // The answer to a cancellation: the quotes whose commission was cancelled.
    static const QVector<ContractField> &orcamentosCancelados();
    // The history of settlements: one row per generation and per
    // cancellation, and the quotes of each, joined by NRAUDITCOMISSAO.
    static const QVector<ContractField> &historicoComissao();
    static const QVector<ContractField> &historicoOrcamentos();

    static QVector<packet::FieldSpec> wireFields(const QVector<ContractField> &fields);
};

}  // namespace contract
