#pragma once

#include "wirefield.h"

#include <array>

namespace contract {

// The answer to a cancellation: the quotes whose commission was cancelled.
struct OrcamentosCancelados {
    static constexpr WireField CdFilial = textField("CDFILIAL", 4);
    static constexpr WireField NrOrcaEvento = textField("NRORCAEVENTO", 10);
    static constexpr WireField NrSeqOrcaEve = textField("NRSEQORCAEVE", 10);
    static constexpr WireField VrPercComis = floatField("VRPERCCOMIS");
    static constexpr WireField VrComissao = floatField("VRCOMISSAO");

    // Every field in the order of the packet.
    static constexpr std::array<WireField, 5> all{CdFilial, NrOrcaEvento, NrSeqOrcaEve, VrPercComis, VrComissao};
    static constexpr std::span<const WireField> fields() { return all; }
    static QVector<packet::FieldSpec> specs() { return fieldSpecs(fields()); }
};

}  // namespace contract
