#pragma once

#include "packet_export.h"

#include <QDate>
#include <QDateTime>

namespace packet {

// The platform's date-time: a day count since 1899-12-30 as a double, the
// fraction being the time of day. 0 stands for "no date".
PACKET_EXPORT double toDayCount(const QDate &date);
PACKET_EXPORT double toDayCount(const QDateTime &dateTime);
// An invalid QDate / QDateTime for 0 ("no date").
PACKET_EXPORT QDate dateFromDayCount(double days);
PACKET_EXPORT QDateTime dateTimeFromDayCount(double days);

}  // namespace packet
