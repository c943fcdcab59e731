#pragma once

#include <QLatin1String>

namespace contract {

// The members a settlement's answer carries beside "result" or "error", so
// the screen can say what was done or what stopped it with its numbers. A
// reader that knows only "result" and "error" sees the same answer as
// before. Amounts are JSON numbers with their cents; instants ISO 8601 text
// in UTC (docs/protocol.md, "Outcomes").
struct Outcomes {
    // Beside "result" of a settlement that went through.
    static constexpr QLatin1String outcome{"outcome"};
    // Beside the refusal: "result" of a refused SetComissao, "error" of a
    // business-rule answer (422).
    static constexpr QLatin1String details{"details"};

    // The payables a settlement created or changed, or that refused it:
    // an array of objects.
    static constexpr QLatin1String payables{"contas"};
    static constexpr QLatin1String payable{"conta"};          // its number
    static constexpr QLatin1String quoteCount{"orcamentos"};  // quotes it settles, or that left it
    static constexpr QLatin1String amount{"valor"};           // of a new payable
    static constexpr QLatin1String amountBefore{"de"};        // of a cancelled payable, before...
    static constexpr QLatin1String amountAfter{"para"};       // ...and after (0 when removed)
    static constexpr QLatin1String removed{"removida"};       // true: the payable is gone

    // The marked quotes whose commission was generated already: an array of
    // objects with the quote's key, its payable and who generated it when.
    static constexpr QLatin1String settledQuotes{"orcamentosGerados"};
    static constexpr QLatin1String branch{"filial"};
    static constexpr QLatin1String quote{"orcamento"};
    static constexpr QLatin1String sequence{"sequencia"};
    static constexpr QLatin1String operatorCode{"operador"};
    static constexpr QLatin1String generatedAt{"geradaEm"};
};

}  // namespace contract
