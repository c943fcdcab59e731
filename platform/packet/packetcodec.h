#pragma once

#include "packet.h"

#include <QByteArray>
#include <QJsonValue>

namespace packet {

// Encoding of packets as JSON (see docs/packet-format.md). Decoding checks the
// whole structure and every value against its field's kind and size, and
// raises PacketError naming what is wrong.
PACKET_EXPORT QJsonObject toJson(const Packet &packet);
PACKET_EXPORT Packet fromJson(const QJsonValue &value);

PACKET_EXPORT QByteArray encode(const Packet &packet);
PACKET_EXPORT Packet decode(const QByteArray &bytes);

// True when the JSON value has the outer shape of a packet.
PACKET_EXPORT bool looksLikePacket(const QJsonValue &value);

}  // namespace packet
