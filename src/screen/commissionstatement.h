#pragma once

#include "packet.h"
#include "statementpages.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

class QIODevice;

// A salesperson's commission statement, for printing or sending: who and
// what, the quotes with their totals, percentages, commission and marks, the
// sums (and of the marked quotes what a generation books for them), and for
// settled commission the payables and the cancellations with their reasons.
// Laid out for A4, black on white, the salesperson and the column titles on
// every page, its text selectable.
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
        bool marked = false;
    };
    // A payable that settled the listed quotes, as it is now.
    struct Payable {
        QString number;
        double amount = 0;  // what it holds now
        QString due;        // dd/mm/aaaa; empty once removed
        bool paid = false;
        QString state;  // contract::Domains::PayableState
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
        QString filter;  // what the lists were loaded with, in words
        QString operatorCode;
        QDateTime at;
        QString salesperson;  // "0006 - Name"
        bool generated = false;
        QVector<Quote> quotes;
        QVector<Payable> payables;
        // For settled commission: the salesperson's cancellations over the
        // history's period.
        QVector<Cancellation> cancellations;
    };

    // The cancellations among the history's settlements made within the days
    // from `start` to `end` (day counts, 0 = open), in the history's order.
    static QVector<Cancellation> cancellationsIn(const packet::Packet &settlements, double start, double end);
    // The payables numbered `numbers` as the history's settlements tell them
    // now, in the order of `numbers`.
    static QVector<Payable> payablesIn(const packet::Packet &settlements, const QStringList &numbers);

    // The marked quotes' commission in cents: for commission not generated
    // what a generation books for them, else what they hold.
    static qint64 markedCents(const Content &content);

    static StatementPages::Document document(const Content &content);
    // The statement as PDF into `device`; false when it could not be written.
    static bool writePdf(const Content &content, QIODevice &device);
};
