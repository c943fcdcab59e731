#pragma once

#include "commission_contract_export.h"

#include <QDate>
#include <QDateTime>

namespace contract {

// An instant as the wire carries it: a day count (docs/packet-format.md)
// whose day and time of day are in UTC. The history's DTHRAUDITORIA comes
// so, and so go the bounds of a period given as instants. A reader shows
// fromDayCount(v).toLocalTime().
class COMMISSION_CONTRACT_EXPORT UtcInstant {
public:
    // Invalid for 0 ("no date").
    static QDateTime fromDayCount(double days);
    // Any QDateTime, taken at its instant; 0 for an invalid one.
    static double toDayCount(const QDateTime &instant);
    // The instant at which `day` begins in the local time of this process:
    // the bound to send for a period of local days (the end's bound is the
    // day after the last one).
    static double startOfLocalDay(const QDate &day);
};

}  // namespace contract
