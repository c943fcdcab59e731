#pragma once

#include "commissionrecords.h"

#include <QHash>
#include <QSqlDatabase>
#include <QVector>

#include <optional>

namespace commission {

// Writes payables, the links from quotes to the payable that settled their
// commission, and the audit. Runs inside the caller's transaction.
class PayableRepository {
public:
    explicit PayableRepository(QSqlDatabase db) : m_db(std::move(db)) {}

    qint64 insertPayable(const NewPayable &payable);  // the new payable's number
    // False when a quote already has a link (the unique key refused it).
    bool insertCommissions(const QVector<QuoteCommission> &commissions);
    // Locks the payables for the rest of the transaction and reads them.
    QVector<PayableState> lockPayables(const QVector<qint64> &numbers);
    // Removes the links of these quotes to this payable, and no other link:
    // a quote settled meanwhile into another payable keeps its link.
    void removeCommissions(qint64 payable, const QVector<QuoteKey> &keys);
    // Sets the payable's amount to the sum of the links it still settles, or
    // deletes it when none is left; answers that amount, none when deleted.
    std::optional<qint64> settleAmount(qint64 payable);
    // Who created each of these payables and when; without locking them.
    QHash<qint64, PayableOrigin> origins(const QVector<qint64> &numbers) const;
    void writeAudit(const AuditEntry &entry);

private:
    QSqlDatabase m_db;
};

}  // namespace commission
