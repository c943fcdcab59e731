#include "utcinstant.h"

#include <daycount.h>

#include <cmath>

namespace contract {

namespace {
constexpr double millisecondsPerDay = 86400000.0;
}  // namespace

QDateTime UtcInstant::fromDayCount(double days)
{
    const QDate date = packet::dateFromDayCount(days);
    if (!date.isValid())
        return QDateTime();
    // Counted in UTC, so a day on which local clocks change is no different.
    const qint64 msecs = std::llround((days - std::floor(days)) * millisecondsPerDay);
    return QDateTime(date, QTime(0, 0), Qt::UTC).addMSecs(msecs);
}

double UtcInstant::toDayCount(const QDateTime &instant)
{
    return instant.isValid() ? packet::toDayCount(instant.toUTC()) : 0.0;
}

double UtcInstant::startOfLocalDay(const QDate &day)
{
    return day.isValid() ? toDayCount(day.startOfDay()) : 0.0;
}

}  // namespace contract
