#include "daycount.h"

#include <cmath>

namespace packet {

namespace {
const QDate epoch(1899, 12, 30);
constexpr double millisecondsPerDay = 86400000.0;
}  // namespace

double toDayCount(const QDate &date)
{
    return date.isValid() ? static_cast<double>(epoch.daysTo(date)) : 0.0;
}

double toDayCount(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return 0.0;
    const double days = toDayCount(dateTime.date());
    return days + dateTime.time().msecsSinceStartOfDay() / millisecondsPerDay;
}

QDate dateFromDayCount(double days)
{
    if (days == 0.0 || !std::isfinite(days))
        return QDate();
    return epoch.addDays(static_cast<qint64>(std::floor(days)));
}

QDateTime dateTimeFromDayCount(double days)
{
    const QDate date = dateFromDayCount(days);
    if (!date.isValid())
        return QDateTime();
    const double fraction = days - std::floor(days);
    const int msecs = static_cast<int>(std::llround(fraction * millisecondsPerDay));
    return QDateTime(date, QTime(0, 0)).addMSecs(msecs);
}

}  // namespace packet
