// Feeds arbitrary bytes to the server's call-argument parser and reads every
// argument as each kind a method may ask for. Anything may be refused with a
// ServiceError; nothing may crash or hang.
#include "callarguments.h"
#include "serviceerror.h"

#include <cstdint>

namespace {

template <typename Read>
void tolerate(Read read)
{
    try {
        read();
    } catch (const commission::ServiceError &) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    tolerate([&body] {
        const commission::CallArguments arguments = commission::CallArguments::parse(body);
        const QString name = QStringLiteral("argumento");
        for (int index = 0; index < int(arguments.count()); ++index) {
            for (const bool byRef : {false, true}) {
                tolerate([&] { arguments.text(index, name, 30, byRef); });
                tolerate([&] { arguments.date(index, name, byRef); });
            }
            tolerate([&] { arguments.packet(index, name); });
            tolerate([&] {
                int rows = 0;
                arguments.packetRows(
                    index, name, [](const QVector<packet::FieldSpec> &) {},
                    [&rows](const QVector<QVariant> &) { ++rows; });
            });
        }
    });
    return 0;
}
