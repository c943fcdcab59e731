#pragma once

#include "wirefield.h"

#include <array>

namespace contract {

// The quotes of one salesperson (cdsOrcamentos); the screen sends them back with
// their marks (IDCHECK) to generate or cancel their commission.
struct Orcamentos {
    static constexpr WireField IdCheck = textField("IDCHECK", 1);
    static constexpr WireField CdFilial = textField("CDFILIAL", 4);
    static constexpr WireField NrOrcaEvento = textField("NRORCAEVENTO", 10);
    static constexpr WireField NrSeqOrcaEve = textField("NRSEQORCAEVE", 10);
    static constexpr WireField CdCliente = textField("CDCLIENTE", 21);
    static constexpr WireField CdVendedor = textField("CDVENDEDOR", 4);
    static constexpr WireField CdTipoEvento = textField("CDTIPOEVENTO", 3);
    static constexpr WireField DtEvento = dateTimeField("DTEVENTO");
    static constexpr WireField DtFechaOrca = dateTimeField("DTFECHAORCA");
    static constexpr WireField VrTotalOrev = floatField("VRTOTALOREV");
    static constexpr WireField VrPercComis = floatField("VRPERCCOMIS");
    static constexpr WireField NmFantClie = textField("NMFANTCLIE", 50);
    static constexpr WireField NmTipoEvento = textField("NMTIPOEVENTO", 30);
    static constexpr WireField VrComissao = floatField("VRCOMISSAO");
    static constexpr WireField IdTpReceOrev = textField("IDTPRECEOREV", 1);

    // Every field in the order of the packet.
    static constexpr std::array<WireField, 15> all{IdCheck,     CdFilial,     NrOrcaEvento, NrSeqOrcaEve, CdCliente,
                                                   CdVendedor,  CdTipoEvento, DtEvento,     DtFechaOrca,  VrTotalOrev,
                                                   VrPercComis, NmFantClie,   NmTipoEvento, VrComissao,   IdTpReceOrev};
    static constexpr std::span<const WireField> fields() { return all; }
    static QVector<packet::FieldSpec> specs() { return fieldSpecs(fields()); }
};

}  // namespace contract
