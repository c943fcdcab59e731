#include "encodedpacket.h"

#include <packetcodec.h>

namespace commission {

EncodedPacket EncodedPacket::of(const packet::Packet &packet)
{
    std::string json;
    packet::appendJson(packet, json);
    return EncodedPacket(std::move(json), packet.rows.size());
}

packet::Packet EncodedPacket::decoded() const
{
    return packet::decode(QByteArray::fromStdString(m_json));
}

}  // namespace commission
