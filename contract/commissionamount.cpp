#include "commissionamount.h"

#include <cmath>

namespace contract {

namespace {
constexpr qint64 centsPerPercentUnit = 100000;  // 100 (percent) x 1000 (thousandths)
constexpr double largestPercent = 1000.0;
}  // namespace

std::optional<qint64> CommissionAmount::toThousandths(double percent)
{
    if (!std::isfinite(percent) || std::fabs(percent) > largestPercent)
        return std::nullopt;
    return std::llround(percent * 1000.0);
}

qint64 CommissionAmount::commissionCents(qint64 totalCents, qint64 percentThousandths)
{
    // |total| x |percent| / 100000, rounded half away from zero. The total is
    // split at the divisor so no intermediate product can overflow.
    const bool negative = (totalCents < 0) != (percentThousandths < 0);
    const qint64 total = totalCents < 0 ? -totalCents : totalCents;
    const qint64 percent = percentThousandths < 0 ? -percentThousandths : percentThousandths;
    const qint64 whole = (total / centsPerPercentUnit) * percent;
    const qint64 rest = ((total % centsPerPercentUnit) * percent + centsPerPercentUnit / 2) / centsPerPercentUnit;
    const qint64 magnitude = whole + rest;
    return negative ? -magnitude : magnitude;
}

bool CommissionAmount::isAllowedPercent(qint64 percentThousandths)
{
    return percentThousandths >= minPercent && percentThousandths <= maxPercent;
}

qint64 CommissionAmount::cents(double amount)
{
    return std::isfinite(amount) ? qint64(std::llround(amount * 100.0)) : 0;
}

qint64 CommissionAmount::bookedCents(double total, double percent)
{
    const std::optional<qint64> thousandths = toThousandths(percent);
    if (!thousandths || !isAllowedPercent(*thousandths))
        return 0;
    return commissionCents(cents(total), *thousandths);
}

}  // namespace contract
