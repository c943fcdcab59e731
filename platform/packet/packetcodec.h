#pragma once

#include "packet.h"

#include <QByteArray>
#include <QJsonValue>

#include <functional>
#include <string>

namespace packet {

// Encoding of packets as JSON (see docs/packet-format.md). Decoding checks the
// whole structure and every value against its field's kind and size, and
// raises PacketError naming what is wrong.
PACKET_EXPORT QJsonObject toJson(const Packet &packet);
PACKET_EXPORT Packet fromJson(const QJsonValue &value);
// Decodes and checks like fromJson without keeping the rows: hands over the
// fields once, then each row in turn (the same vector, refilled), so a reader
// that needs a few values of a large packet keeps only those.
// The same in parts, for a reader that gets the rows from elsewhere: the
// checked fields of a packet (whose "rows" must be a list), and one row
// checked against them into `row`; `index` counts from 0.
PACKET_EXPORT QVector<FieldSpec> decodeFields(const QJsonValue &value);
PACKET_EXPORT void decodeRow(const QVector<FieldSpec> &fields, const QJsonValue &value, int index,
                             QVector<QVariant> &row);
PACKET_EXPORT void forEachRow(const QJsonValue &value, const std::function<void(const QVector<FieldSpec> &)> &fields,
                              const std::function<void(const QVector<QVariant> &)> &row);

// The JSON text of toJson(packet), written straight from the rows onto the
// end of `out` without building a JSON document first; encode() is this on
// an empty array. Raises PacketError as toJson does.
PACKET_EXPORT void appendJson(const Packet &packet, QByteArray &out);
PACKET_EXPORT void appendJson(const Packet &packet, std::string &out);
PACKET_EXPORT QByteArray encode(const Packet &packet);
PACKET_EXPORT Packet decode(const QByteArray &bytes);

// True when the JSON value has the outer shape of a packet.
PACKET_EXPORT bool looksLikePacket(const QJsonValue &value);

}  // namespace packet
