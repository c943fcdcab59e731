#include "sqlvalues.h"

namespace commission {

QVariant SqlValues::date(const QDate &date)
{
    if (!date.isValid())
        return QVariant(QMetaType::fromType<QString>());
    return date.toString(Qt::ISODate);
}

QVariant SqlValues::timestamp(const QDateTime &time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QDate SqlValues::toDate(const QVariant &value)
{
    if (value.isNull())
        return QDate();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return QDate::fromString(value.toString().left(10), Qt::ISODate);
}

QDateTime SqlValues::toLocalDateTime(const QVariant &value)
{
    if (value.isNull())
        return QDateTime();
    QDateTime stored;
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime read = value.toDateTime();
        stored = QDateTime(read.date(), read.time(), Qt::UTC);
    } else if (value.typeId() != QMetaType::QDate) {
        const QString text = value.toString();
        if (text.size() <= 10)
            return QDateTime();
        stored = QDateTime::fromString(text.left(23), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        if (!stored.isValid())
            stored = QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        stored.setTimeSpec(Qt::UTC);
    }
    return stored.isValid() ? stored.toLocalTime() : QDateTime();
}

QString SqlValues::toText(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

}  // namespace commission
