#include "packetfiller.h"

#include "serviceerror.h"
#include "sqlrunner.h"
#include "sqlvalues.h"

#include <daycount.h>

namespace commission {

namespace {

QVariant packetValue(const packet::FieldSpec &field, const QVariant &value)
{
    if (value.isNull())
        return QVariant();
    switch (field.kind) {
    case packet::FieldKind::Text:
    case packet::FieldKind::FixedText: {
        const QString text = value.toString();
        if (text.size() > field.size)
            throw ServiceError::internal(QStringLiteral("Valor de %1 maior que %2 caracteres no banco: \"%3\".")
                                             .arg(field.name)
                                             .arg(field.size)
                                             .arg(text));
        return text;
    }
    case packet::FieldKind::Float:
        return value.toDouble();
    case packet::FieldKind::DateTime: {
        // A timestamp keeps its time of day, in local time; a date is a day.
        const QDateTime moment = SqlValues::toLocalDateTime(value);
        return moment.isValid() ? packet::toDayCount(moment) : packet::toDayCount(SqlValues::toDate(value));
    }
    }
    return QVariant();
}

}  // namespace

packet::Packet PacketFiller::fill(const QVector<packet::FieldSpec> &layout, QSqlQuery &query)
{
    packet::Packet result = empty(layout);
    while (query.next()) {
        QVector<QVariant> row;
        row.reserve(layout.size());
        for (int i = 0; i < layout.size(); ++i)
            row.append(packetValue(layout[i], query.value(i)));
        result.rows.append(std::move(row));
    }
    return result;
}

packet::Packet PacketFiller::read(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                                  const QVector<packet::FieldSpec> &layout)
{
    packet::Packet result;
    SqlRunner::read(db, sql, values, [&](QSqlQuery &query) { result = fill(layout, query); });
    return result;
}

packet::Packet PacketFiller::empty(const QVector<packet::FieldSpec> &layout)
{
    packet::Packet result;
    result.fields = layout;
    return result;
}

}  // namespace commission
