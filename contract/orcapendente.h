#pragma once

#include "wirefield.h"

#include <array>

namespace contract {

// The quotes of a selection whose salesperson earns no commission (cdsOrcaPendente).
struct OrcaPendente {
    static constexpr WireField CdFilial = textField("CDFILIAL", 4);
    static constexpr WireField NrOrcaEvento = textField("NRORCAEVENTO", 10);
    static constexpr WireField NrSeqOrcaEve = fixedTextField("NRSEQORCAEVE", 2);
    static constexpr WireField NmFanVen = textField("NMFANVEN", 50);
    static constexpr WireField CdVendedor = textField("CDVENDEDOR", 4);
    static constexpr WireField DtEvento = dateTimeField("DTEVENTO");
    static constexpr WireField DsTituOrcEve = textField("DSTITUORCEVE", 100);

    // Every field in the order of the packet.
    static constexpr std::array<WireField, 7> all{CdFilial,   NrOrcaEvento, NrSeqOrcaEve, NmFanVen,
                                                  CdVendedor, DtEvento,     DsTituOrcEve};
    static constexpr std::span<const WireField> fields() { return all; }
    static QVector<packet::FieldSpec> specs() { return fieldSpecs(fields()); }
};

}  // namespace contract
