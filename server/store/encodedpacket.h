#pragma once

#include <packet.h>

#include <string>

namespace commission {

// A packet already written as the JSON text an answer carries. Listings are
// written from the database's rows straight into it, never held as values
// in between.
class EncodedPacket {
public:
    EncodedPacket() = default;
    EncodedPacket(std::string json, qsizetype rowCount) : m_json(std::move(json)), m_rowCount(rowCount) {}

    static EncodedPacket of(const packet::Packet &packet);

    const std::string &json() const { return m_json; }
    qsizetype rowCount() const { return m_rowCount; }

    // The packet read back from the text, as a caller reads it.
    packet::Packet decoded() const;

private:
    std::string m_json;
    qsizetype m_rowCount = 0;
};

}  // namespace commission
