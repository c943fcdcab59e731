#pragma once

#include "encodedpacket.h"

#include <packet.h>

#include <QDate>
#include <QSqlDatabase>
#include <QString>

namespace commission {

// The history of settlements, from the audit: one row per generation and per
// cancellation with its payable as it is now, and the quotes of each.
class HistoryRepository {
public:
    struct Selection {
        QString branch;
        QString salesperson;  // empty: every salesperson of the branch
        QDate from;           // days of the generation or cancellation, local time; invalid: open
        QDate to;
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
