#pragma once

#include "encodedpacket.h"

#include <packet.h>

#include <QSqlDatabase>
#include <QVariantList>
#include <QVector>

namespace commission {

// Turns the rows of a read into a packet of a record-set layout. The read
// selects one column per field, in the layout's order.
class PacketFiller {
public:
    // Runs the read through the database's own library (NativeReader: on a
    // provider's connection prepared once per worker) and writes each row
    // straight from the engine's text and numbers into the packet's JSON.
    // Raises ServiceError (Internal) for a text longer than its field: a
    // packet never leaves the server with a value the screen would refuse.
    static EncodedPacket read(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                              const QVector<packet::FieldSpec> &layout);

    static EncodedPacket empty(const QVector<packet::FieldSpec> &layout);
};

}  // namespace commission
