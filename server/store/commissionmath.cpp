#include "commissionmath.h"

#include <cmath>

namespace commission {

namespace {
constexpr qint64 centsPerPercentUnit = 100000;  // 100 (percent) x 1000 (thousandths)
constexpr double largestPercent = 1000.0;
}  // namespace

std::optional<qint64> CommissionMath::toThousandths(double percent)
{
    if (!std::isfinite(percent) || std::fabs(percent) > largestPercent)
        return std::nullopt;
    return std::llround(percent * 1000.0);
}

qint64 CommissionMath::commissionCents(qint64 totalCents, qint64 percentThousandths)
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

bool CommissionMath::isAllowedPercent(qint64 percentThousandths)
{
    return percentThousandths >= minPercent && percentThousandths <= maxPercent;
}

QString CommissionMath::sqlCents(const QString &amount)
{
    return QStringLiteral("CAST(ROUND((%1) * 100) AS BIGINT)").arg(amount);
}

QString CommissionMath::sqlThousandths(const QString &percent)
{
    return QStringLiteral("CAST(ROUND((%1) * 1000) AS BIGINT)").arg(percent);
}

QString CommissionMath::sqlCommissionCents(const QString &totalCents, const QString &percentThousandths)
{
    // Integer division truncates toward zero on both engines, so adding half
    // of the divisor to the magnitude rounds half away from zero.
    const QString product = QStringLiteral("(%1) * (%2)").arg(totalCents, percentThousandths);
    return QStringLiteral("(CASE WHEN %1 >= 0 THEN (%1 + 50000) / 100000 ELSE -((-(%1) + 50000) / 100000) END)")
        .arg(product);
}

}  // namespace commission
