#pragma once

#include "wirefield.h"

#include <array>

namespace contract {

// The quote parameters of the branch (cdsParamOrcaEve): one row, text only.
struct ParamOrcaEve {
    static constexpr WireField CdTpOperOrev = textField("CDTPOPEROREV", 2);
    static constexpr WireField CdTpCtReceb = textField("CDTPCTRECEB", 6);
    static constexpr WireField DsTpCtReceb = textField("DSTPCTRECEB", 40);
    static constexpr WireField NmTipoOper = textField("NMTIPOOPER", 30);
    static constexpr WireField CdClassFina = textField("CDCLASSFINA", 6);
    static constexpr WireField CdTpOpFinaCe = textField("CDTPOPFINACE", 2);
    static constexpr WireField CdTpCtPagar = textField("CDTPCTPAGAR", 6);
    static constexpr WireField CdClassFPag = textField("CDCLASSFPAG", 6);
    static constexpr WireField IdEsOpEntaCe = textField("IDESOPENTACE", 1);
    static constexpr WireField CdTpOpEntaCe = textField("CDTPOPENTACE", 2);
    static constexpr WireField CdSerieEntr = textField("CDSERIEENTR", 5);
    static constexpr WireField DsDefaCtPag = textField("DSDEFACTPAG", 40);
    static constexpr WireField IdTpProdPedOrev = textField("IDTPPRODPEDOREV", 1);
    static constexpr WireField IdOrigPrUnitOre = textField("IDORIGPRUNITORE", 1);
    static constexpr WireField CdTipoCusto = textField("CDTIPOCUSTO", 2);
    static constexpr WireField IdTpCobrVrExtra = textField("IDTPCOBRVREXTRA", 1);
    static constexpr WireField DsTpCtPagar = textField("DSTPCTPAGAR", 40);
    static constexpr WireField CdFornPadOrc = textField("CDFORNPADORC", 21);
    static constexpr WireField CdTpAjeCDistOre = textField("CDTPAJECDISTORE", 4);
    static constexpr WireField CdTpBaixDistOre = textField("CDTPBAIXDISTORE", 2);
    static constexpr WireField CdTpOperOrcNeg = textField("CDTPOPERORCNEG", 2);
    static constexpr WireField CdTpCtPagarNeg = textField("CDTPCTPAGARNEG", 6);
    static constexpr WireField NmTipoOperNeg = textField("NMTIPOOPERNEG", 30);
    static constexpr WireField DsTpCtPagarNeg = textField("DSTPCTPAGARNEG", 40);
    static constexpr WireField CdClassFinaNeg = textField("CDCLASSFINANEG", 6);
    static constexpr WireField IdEsOperOrcNeg = textField("IDESOPERORCNEG", 1);
    static constexpr WireField IdGeraComissao = textField("IDGERACOMISSAO", 30);
    static constexpr WireField IdDtBaseComissao = textField("IDDTBASECOMISSAO", 30);
    static constexpr WireField IdGeraComissaoVend = textField("IDGERACOMISSAOVEND", 1);

    // Every field in the order of the packet.
    static constexpr std::array<WireField, 29> all{
        CdTpOperOrev,    CdTpCtReceb,     DsTpCtReceb,    NmTipoOper,       CdClassFina,       CdTpOpFinaCe,
        CdTpCtPagar,     CdClassFPag,     IdEsOpEntaCe,   CdTpOpEntaCe,     CdSerieEntr,       DsDefaCtPag,
        IdTpProdPedOrev, IdOrigPrUnitOre, CdTipoCusto,    IdTpCobrVrExtra,  DsTpCtPagar,       CdFornPadOrc,
        CdTpAjeCDistOre, CdTpBaixDistOre, CdTpOperOrcNeg, CdTpCtPagarNeg,   NmTipoOperNeg,     DsTpCtPagarNeg,
        CdClassFinaNeg,  IdEsOperOrcNeg,  IdGeraComissao, IdDtBaseComissao, IdGeraComissaoVend};
    static constexpr std::span<const WireField> fields() { return all; }
    static QVector<packet::FieldSpec> specs() { return fieldSpecs(fields()); }
};

}  // namespace contract
