#include "packetfiller.h"

#include "connectionprovider.h"
#include "nativereader.h"
#include "serviceerror.h"
#include "sqlvalues.h"

#include <packetwriter.h>

#include <memory>

namespace commission {

namespace {

void writeValue(packet::PacketWriter &writer, const packet::FieldSpec &field, const NativeRow &row, int column)
{
    if (row.isNull(column)) {
        writer.addNull();
        return;
    }
    switch (field.kind) {
    case packet::FieldKind::Text:
    case packet::FieldKind::FixedText: {
        const std::string_view text = row.text(column);
        if (writer.addText(text) > field.size)
            throw ServiceError::internal(QStringLiteral("Valor de %1 maior que %2 caracteres no banco: \"%3\".")
                                             .arg(field.name)
                                             .arg(field.size)
                                             .arg(QString::fromUtf8(text.data(), qsizetype(text.size()))));
        return;
    }
    case packet::FieldKind::Float:
        writer.addNumber(row.number(column));
        return;
    case packet::FieldKind::DateTime:
        // A timestamp keeps its time of day, in local time; a date is a day.
        writer.addNumber(SqlValues::toDayCount(row.text(column)));
        return;
    }
}

}  // namespace

EncodedPacket PacketFiller::read(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                                 const QVector<packet::FieldSpec> &layout)
{
    std::unique_ptr<NativeReader> ownReader;
    NativeReader &reader = ConnectionProvider::reader(db, ownReader);
    std::string json;
    // Most answers take a few kilobytes: one allocation, not a dozen
    // growing ones.
    json.reserve(16384);
    packet::PacketWriter writer(layout, json);
    reader.read(db, sql, values, [&](const NativeRow &row) {
        for (int i = 0; i < layout.size(); ++i)
            writeValue(writer, layout[i], row, i);
        writer.endRow();
    });
    writer.finish();
    return EncodedPacket(std::move(json), writer.rowCount());
}

EncodedPacket PacketFiller::empty(const QVector<packet::FieldSpec> &layout)
{
    std::string json;
    packet::PacketWriter writer(layout, json);
    writer.finish();
    return EncodedPacket(std::move(json), 0);
}

}  // namespace commission
