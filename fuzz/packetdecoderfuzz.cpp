// Feeds arbitrary bytes to the packet decoder. Anything may be refused with a
// PacketError; nothing may crash, and what is accepted must come back the
// same through encoding and decoding again.
#include "packetcodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const packet::Packet decoded = packet::decode(bytes);
        if (!(packet::decode(packet::encode(decoded)) == decoded))
            std::abort();
    } catch (const packet::PacketError &) {
    }
    return 0;
}
