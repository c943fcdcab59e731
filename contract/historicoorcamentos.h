#pragma once

#include "wirefield.h"

#include <array>

namespace contract {

// The quotes of each settlement of the history, by NRAUDITCOMISSAO.
struct HistoricoOrcamentos {
    static constexpr WireField NrAuditComissao = floatField("NRAUDITCOMISSAO");
    static constexpr WireField NrOrcaEvento = textField("NRORCAEVENTO", 10);
    static constexpr WireField NrSeqOrcaEve = textField("NRSEQORCAEVE", 2);
    static constexpr WireField NmFantClie = textField("NMFANTCLIE", 50);
    static constexpr WireField VrPercComis = floatField("VRPERCCOMIS");
    static constexpr WireField VrComissao = floatField("VRCOMISSAO");

    // Every field in the order of the packet.
    static constexpr std::array<WireField, 6> all{NrAuditComissao, NrOrcaEvento, NrSeqOrcaEve,
                                                  NmFantClie,      VrPercComis,  VrComissao};
    static constexpr std::span<const WireField> fields() { return all; }
    static QVector<packet::FieldSpec> specs() { return fieldSpecs(fields()); }
};

}  // namespace contract
