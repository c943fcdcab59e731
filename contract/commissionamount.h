#pragma once

#include "commission_contract_export.h"

#include <QtGlobal>

#include <optional>

namespace contract {

// The commission a generation books, in whole units: amounts in cents,
// percentages in thousandths of a percent; commission = percentage / 100 x
// total, rounded to the cent half away from zero. The server books it so
// and the screen shows beforehand what it will book by the same rule.
class COMMISSION_CONTRACT_EXPORT CommissionAmount {
public:
    // The percentages a generation accepts: 0,001 to 99,99 %.
    static constexpr qint64 minPercent = 1;
    static constexpr qint64 maxPercent = 99990;

    // nullopt beyond +-1000 %: never a valid percentage, kept away from overflow.
    static std::optional<qint64> toThousandths(double percent);
    static qint64 commissionCents(qint64 totalCents, qint64 percentThousandths);
    static bool isAllowedPercent(qint64 percentThousandths);
    // An amount of the wire (two decimals) in cents.
    static qint64 cents(double amount);
    // What a generation books for a quote of `total` at `percent`: nothing
    // for a percentage it does not accept.
    static qint64 bookedCents(double total, double percent);
};

}  // namespace contract
