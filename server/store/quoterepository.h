#pragma once

#include "commissionrecords.h"
#include "encodedpacket.h"
#include "nativereader.h"
#include "quotefilter.h"

#include <packet.h>

#include <QHash>
#include <QSqlDatabase>
#include <QVector>

namespace commission {

// Reads quotes: the listings the screen shows and the stored state of the
// quotes a generation or cancellation names.
class QuoteRepository {
public:
    explicit QuoteRepository(QSqlDatabase db) : m_db(std::move(db)) {}

    EncodedPacket salespeople(const QuoteFilter &filter) const;
    EncodedPacket pendingQuotes(const QuoteFilter &filter) const;  // empty packet when not applicable
    EncodedPacket quotes(const QuoteFilter &filter, const QString &salesperson) const;

    // The stored quotes among the keys; keys without a quote are absent.
    QHash<QuoteKey, StoredQuote> findQuotes(const QVector<QuoteKey> &keys) const;
    // The commission already generated for any of the keys.
    QVector<QuoteCommission> generatedCommissions(const QVector<QuoteKey> &keys) const;

private:
    // Runs a statement that joins the key table K (QuoteKey::keyTable), in
    // chunks of keys, handing every row to `visit`.
    void forKeyChunks(const QString &sqlAfterKeys, const QVector<QuoteKey> &keys,
                      const NativeReader::Visit &visit) const;

    QSqlDatabase m_db;
};

}  // namespace commission
