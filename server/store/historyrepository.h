#pragma once

#include "encodedpacket.h"

#include <packet.h>

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

namespace commission {

// The history of settlements, from the audit: one row per generation and per
// cancellation with its payable as it is now (paid, changed or removed by a
// cancellation, its amount), and the quotes of each. Instants are UTC.
class HistoryRepository {
public:
    // The period is of the operations' instants. Each end is either a day
    // of the server's local time (from: its start; to: its end) or, when
    // the instant is valid, that instant (fromInstant included,
    // untilInstant excluded), so a reader selects by its own local days.
    struct Selection {
        QString branch;
        QString salesperson;  // empty: every salesperson of the branch
        QDate from;           // invalid (and no instant): open
        QDate to;
        QDateTime fromInstant{};
        QDateTime untilInstant{};
    };

    explicit HistoryRepository(QSqlDatabase db) : m_db(std::move(db)) {}

    // In the settlements layout, oldest first.
    EncodedPacket settlements(const Selection &selection) const;
    // In the settled-quotes layout, by settlement and quote.
    EncodedPacket settledQuotes(const Selection &selection) const;

private:
    QSqlDatabase m_db;
};

}  // namespace commission
