#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace commission {

// Which quotes a listing covers: closed quotes of one branch whose event or
// closing date falls in the period, of the listed salespeople and event types
// (all when a list is empty), with commission generated or not.
struct QuoteFilter {
    enum class DateBase { Event, Closing };  // IDDTBASECOMISSAO "EVENTO" / "FECHAMENTO"

    QString branch;
    QStringList salespeople;
    QStringList eventTypes;
    DateBase dateBase = DateBase::Event;
    bool everyoneEarns = false;  // IDGERACOMISSAOVEND "N": every salesperson earns commission
    QDate from;                  // invalid: no lower bound
    QDate to;                    // invalid: no upper bound
    bool generated = false;      // status "S"
};

}  // namespace commission
