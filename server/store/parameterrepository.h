#pragma once

#include "commissionrecords.h"
#include "encodedpacket.h"

#include <packet.h>

#include <QSqlDatabase>

namespace commission {

// Reads the single row of quote parameters.
class ParameterRepository {
public:
    explicit ParameterRepository(QSqlDatabase db) : m_db(std::move(db)) {}

    // The row in the parameters layout; no rows when it was never written.
    EncodedPacket asPacket() const;
    // The statement asPacket() runs, one column per field of the layout.
    static const QString &packetStatement();
    // The values a generation needs; all empty when the row is missing.
    QuoteParameters load() const;

private:
    QSqlDatabase m_db;
};

}  // namespace commission
