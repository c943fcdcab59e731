#include "commissionmath.h"

#include <commissionamount.h>

namespace commission {

// The arithmetic is the wire's: the screen shows beforehand what is booked.
std::optional<qint64> CommissionMath::toThousandths(double percent)
{
    return contract::CommissionAmount::toThousandths(percent);
}

qint64 CommissionMath::commissionCents(qint64 totalCents, qint64 percentThousandths)
{
    return contract::CommissionAmount::commissionCents(totalCents, percentThousandths);
}

bool CommissionMath::isAllowedPercent(qint64 percentThousandths)
{
    return contract::CommissionAmount::isAllowedPercent(percentThousandths);
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
