#pragma once

#include "wirefield.h"

#include <array>

namespace contract {

// The salespeople of a selection with their commission (cdsVendedores).
struct Vendedores {
    static constexpr WireField CdVendedor = textField("CDVENDEDOR", 4);
    static constexpr WireField NmFanVen = textField("NMFANVEN", 50);
    static constexpr WireField CdForneced = textField("CDFORNECED", 21);
    static constexpr WireField IdGeraComisVend = textField("IDGERACOMISVEND", 1);
    static constexpr WireField IdCargoVend = textField("IDCARGOVEND", 1);
    static constexpr WireField VrComissao = floatField("VRCOMISSAO");

    // Every field in the order of the packet.
    static constexpr std::array<WireField, 6> all{CdVendedor,      NmFanVen,    CdForneced,
                                                  IdGeraComisVend, IdCargoVend, VrComissao};
    static constexpr std::span<const WireField> fields() { return all; }
    static QVector<packet::FieldSpec> specs() { return fieldSpecs(fields()); }
};

}  // namespace contract
