#pragma once

#include <QLatin1String>

namespace contract {

// The one-letter (and few-word) codes that travel between the screen and the
// server, each with the field or argument that carries it.
struct Domains {
    // IDCHECK of the quotes: the operator's mark.
    struct Mark {
        static constexpr QLatin1String marked{"S"};
        static constexpr QLatin1String unmarked{"N"};
    };
    // The commission status of a selection (the last argument of the
    // listings): the quotes whose commission is generated or not yet.
    struct CommissionStatus {
        static constexpr QLatin1String generated{"S"};
        static constexpr QLatin1String notGenerated{"N"};
    };
    // IDOPERACAO of the history: what a settlement did.
    struct Operation {
        static constexpr QLatin1String generation{"G"};
        static constexpr QLatin1String cancellation{"C"};
    };
    // IDBAIXADA of the history: whether the payable of a generation is paid.
    struct Paid {
        static constexpr QLatin1String paid{"S"};
        static constexpr QLatin1String unpaid{"N"};
    };
    // IDSITCONTAPAGAR of the history: the payable of the settlement now,
    // beside its generation.
    struct PayableState {
        static constexpr QLatin1String asGenerated{"G"};  // no cancellation has touched it
        static constexpr QLatin1String changed{"A"};      // a cancellation took quotes out; it is still owed
        static constexpr QLatin1String removed{"R"};      // a cancellation took its last quotes: it is gone
    };
    // The fifth argument of GetHistoricoComissao: whether the period's
    // bounds are UTC instants (start included, end excluded) or days of the
    // server's local time.
    struct PeriodInUtc {
        static constexpr QLatin1String yes{"S"};
        static constexpr QLatin1String no{"N"};
    };
    // IDGERACOMISVEND of a salesperson, and the parameter IDGERACOMISSAOVEND
    // the listings take: "S" only salespeople flagged as earning commission
    // earn it, "N" every salesperson does.
    struct SalespersonEarns {
        static constexpr QLatin1String yes{"S"};
        static constexpr QLatin1String no{"N"};
    };
    // IDCARGOVEND of a salesperson.
    struct SalespersonRole {
        static constexpr QLatin1String manager{"G"};
        static constexpr QLatin1String salesperson{"V"};
    };
    // IDDTBASECOMISSAO of the parameters, passed to the listings: the date
    // that puts a quote in the period.
    struct DateBase {
        static constexpr QLatin1String event{"EVENTO"};        // DTEVENTO
        static constexpr QLatin1String closing{"FECHAMENTO"};  // DTFECHAORCA
    };
    // IDGERACOMISSAO of the parameters: where the commission is generated;
    // only this value lets the screen generate it.
    struct GenerationPlace {
        static constexpr QLatin1String maintenance{"MANUTENCAO"};
    };
};

}  // namespace contract
