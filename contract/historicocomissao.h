#pragma once

#include "wirefield.h"

#include <array>

namespace contract {

// The history of settlements: one row per generation and per cancellation,
// joined to its quotes (HistoricoOrcamentos) by NRAUDITCOMISSAO. IDOPERACAO
// tells a generation from a cancellation (Domains::Operation); DSOPERACAO is
// only its text. DTHRAUDITORIA is the operation's instant in UTC (the reader
// shows it in its own time zone). IDSITCONTAPAGAR says what cancellations
// have done to the payable since its generation (Domains::PayableState), and
// VRCONTAPAGAR is what it holds now (0 once removed), DTVENCCONTAPAGAR when
// it falls due (no date once removed).
struct HistoricoComissao {
    static constexpr WireField NrAuditComissao = floatField("NRAUDITCOMISSAO");
    static constexpr WireField DtHrAuditoria = dateTimeField("DTHRAUDITORIA");
    static constexpr WireField DsOperacao = textField("DSOPERACAO", 12);
    static constexpr WireField CdOperador = textField("CDOPERADOR", 20);
    static constexpr WireField CdVendedor = textField("CDVENDEDOR", 4);
    static constexpr WireField NmFanVen = textField("NMFANVEN", 50);
    static constexpr WireField NrContaPagar = floatField("NRCONTAPAGAR");
    static constexpr WireField QtOrcamentos = floatField("QTORCAMENTOS");
    static constexpr WireField VrComissao = floatField("VRCOMISSAO");
    static constexpr WireField IdBaixada = textField("IDBAIXADA", 1);
    static constexpr WireField DsMotivo = textField("DSMOTIVO", 500);
    static constexpr WireField IdOperacao = textField("IDOPERACAO", 1);
    static constexpr WireField IdSitContaPagar = textField("IDSITCONTAPAGAR", 1);
    static constexpr WireField VrContaPagar = floatField("VRCONTAPAGAR");
    static constexpr WireField DtVencContaPagar = dateTimeField("DTVENCCONTAPAGAR");

    // Every field in the order of the packet.
    static constexpr std::array<WireField, 15> all{NrAuditComissao, DtHrAuditoria, DsOperacao,      CdOperador,
                                                   CdVendedor,      NmFanVen,      NrContaPagar,    QtOrcamentos,
                                                   VrComissao,      IdBaixada,     DsMotivo,        IdOperacao,
                                                   IdSitContaPagar, VrContaPagar,  DtVencContaPagar};
    static constexpr std::span<const WireField> fields() { return all; }
    static QVector<packet::FieldSpec> specs() { return fieldSpecs(fields()); }
};

}  // namespace contract
