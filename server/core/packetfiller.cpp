#include "packetfiller.h"

#include "connectionprovider.h"
#include "nativereader.h"
#include "serviceerror.h"
#include "sqlvalues.h"

#include <daycount.h>

#include <memory>

namespace commission {

namespace {

QString textValue(const packet::FieldSpec &field, std::string_view utf8)
{
    QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    if (text.size() > field.size)
        throw ServiceError::internal(QStringLiteral("Valor de %1 maior que %2 caracteres no banco: \"%3\".")
                                         .arg(field.name)
                                         .arg(field.size)
                                         .arg(text));
    return text;
}

QVariant packetValue(const packet::FieldSpec &field, const NativeRow &row, int column)
{
    if (row.isNull(column))
        return QVariant();
    switch (field.kind) {
    case packet::FieldKind::Text:
    case packet::FieldKind::FixedText:
        return textValue(field, row.text(column));
    case packet::FieldKind::Float:
        return row.number(column);
    case packet::FieldKind::DateTime:
        // A timestamp keeps its time of day, in local time; a date is a day.
        return SqlValues::toDayCount(row.text(column));
    }
    return QVariant();
}

}  // namespace

packet::Packet PacketFiller::read(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                                  const QVector<packet::FieldSpec> &layout)
{
    std::unique_ptr<NativeReader> ownReader;
    NativeReader *reader = ConnectionProvider::reader(db);
    if (!reader) {
        ownReader = NativeReader::open(db);
        reader = ownReader.get();
    }
    packet::Packet result = empty(layout);
    reader->read(db, sql, values, [&](const NativeRow &row) {
        QVector<QVariant> packetRow(layout.size());
        for (int i = 0; i < layout.size(); ++i)
            packetRow[i] = packetValue(layout[i], row, i);
        result.rows.append(std::move(packetRow));
    });
    return result;
}

packet::Packet PacketFiller::empty(const QVector<packet::FieldSpec> &layout)
{
    packet::Packet result;
    result.fields = layout;
    return result;
}

}  // namespace commission
