#pragma once

#include <packet.h>

#include <QSqlQuery>
#include <QVector>

namespace commission {

// Turns the rows of a query into a packet of a record-set layout. The query
// selects one column per field, in the layout's order.
class PacketFiller {
public:
    // Raises ServiceError (Internal) for a text longer than its field: a
    // packet never leaves the server with a value the screen would refuse.
    static packet::Packet fill(const QVector<packet::FieldSpec> &layout, QSqlQuery &query);
    // Runs the read (SqlRunner::read: prepared once per worker, its cursor
    // closed when read) and fills the packet from its rows.
    static packet::Packet read(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                               const QVector<packet::FieldSpec> &layout);

    static packet::Packet empty(const QVector<packet::FieldSpec> &layout);
};

}  // namespace commission
