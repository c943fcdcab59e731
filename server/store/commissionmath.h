#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace commission {

// Commission arithmetic in whole units: amounts in cents, percentages in
// thousandths of a percent. Commission = percentage / 100 x total, rounded to
// the cent half away from zero, the same in C++ and in SQL on both engines,
// so a listed sum is exactly what a generation books. The C++ side, and the
// percentages a generation accepts, are contract::CommissionAmount's.
class CommissionMath {
public:
    // nullopt beyond +-1000 %: never a valid percentage, kept away from overflow.
    static std::optional<qint64> toThousandths(double percent);
    static qint64 commissionCents(qint64 totalCents, qint64 percentThousandths);
    static bool isAllowedPercent(qint64 percentThousandths);

    static double fromCents(qint64 cents) { return cents / 100.0; }
    static double fromThousandths(qint64 thousandths) { return thousandths / 1000.0; }

    // SQL integer expressions: an amount column in cents, a percentage
    // expression in thousandths, and the commission in cents of the two.
    static QString sqlCents(const QString &amount);
    static QString sqlThousandths(const QString &percent);
    static QString sqlCommissionCents(const QString &totalCents, const QString &percentThousandths);
};

}  // namespace commission
