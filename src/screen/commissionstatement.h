#pragma once

#include "packet.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

class QIODevice;

// A salesperson's commission statement, for printing or sending: who and
// what, the quotes with their totals, percentages and commission, the sum,
// and for settled commission the payables and the cancellations with their
// reasons. Laid out for A4, black on white,
// its text selectable.
class CommissionStatement {
public:
    struct Quote {
        QString number;
        QString sequence;
        QString customer;
        QString eventDate;  // dd/mm/aaaa
        double total = 0;
        double percent = 0;
        double commission = 0;
    };
    // A cancellation of the salesperson's commission, from the history.
    struct Cancellation {
        QString at;  // dd/mm/aaaa hh:mm
        QString operatorCode;
        QString payable;
        double commission = 0;
        QString reason;
    };
    struct Content {
        QString branch;
        QString filter;  // what the lists were loaded with
        QString operatorCode;
        QDateTime at;
        QString salesperson;  // "0006 - Name"
        bool generated = false;
        QVector<Quote> quotes;
        QStringList payables;  // numbers of the payables that settled them
        // For settled commission: the salesperson's cancellations over the
        // history's period.
        QVector<Cancellation> cancellations;
    };

    // The cancellations among the history's settlements made within the days
    // from `start` to `end` (day counts, 0 = open), in the history's order.
    static QVector<Cancellation> cancellationsIn(const packet::Packet &settlements, double start, double end);

    static QString html(const Content &content);
    // The statement as PDF into `device`; false when it could not be written.
    static bool writePdf(const Content &content, QIODevice &device);
};
