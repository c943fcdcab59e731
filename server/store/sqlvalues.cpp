#include "sqlvalues.h"

#include <daycount.h>
#include <utcinstant.h>

#include <algorithm>

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

double SqlValues::toDayCount(std::string_view stored)
{
    // "yyyy-MM-dd", then optionally " HH:mm:ss" (or "T") and a fraction of
    // a second of any number of digits, as either engine writes it.
    const auto digitsAt = [stored](std::size_t at, std::size_t count, int &value) {
        if (at + count > stored.size())
            return false;
        value = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            if (stored[i] < '0' || stored[i] > '9')
                return false;
            value = value * 10 + (stored[i] - '0');
        }
        return true;
    };
    int year = 0, month = 0, day = 0;
    if (!digitsAt(0, 4, year) || stored.substr(4, 1) != "-" || !digitsAt(5, 2, month) || stored.substr(7, 1) != "-"
        || !digitsAt(8, 2, day))
        return 0.0;
    const QDate date(year, month, day);
    if (stored.size() == 10 || !date.isValid())
        return packet::toDayCount(date);
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    if ((stored[10] != ' ' && stored[10] != 'T') || !digitsAt(11, 2, hour) || stored.substr(13, 1) != ":"
        || !digitsAt(14, 2, minute) || stored.substr(16, 1) != ":" || !digitsAt(17, 2, second))
        return 0.0;
    if (stored.size() > 19) {
        const std::size_t fractionDigits = stored.size() - 20;
        int fraction = 0;
        if (stored[19] != '.' || fractionDigits == 0 || fractionDigits > 9 || !digitsAt(20, fractionDigits, fraction))
            return 0.0;
        // Milliseconds: the first three digits, right-filled with zeros.
        digitsAt(20, std::min<std::size_t>(fractionDigits, 3), millisecond);
        for (std::size_t i = fractionDigits; i < 3; ++i)
            millisecond *= 10;
    }
    const QTime time(hour, minute, second, millisecond);
    if (!time.isValid())
        return 0.0;
    // Timestamps are stored in UTC and travel so: the reader shows them in
    // its own time zone.
    return packet::toDayCount(QDateTime(date, time, Qt::UTC));
}

QDateTime SqlValues::toUtcDateTime(const QVariant &value)
{
    if (value.isNull())
        return QDateTime();
    if (value.typeId() == QMetaType::QDateTime) {
        // A driver's timestamp without a zone: its fields are the stored UTC.
        const QDateTime read = value.toDateTime();
        return QDateTime(read.date(), read.time(), Qt::UTC);
    }
    const QByteArray text = value.toString().toUtf8();
    return contract::UtcInstant::fromDayCount(toDayCount(std::string_view(text.constData(), std::size_t(text.size()))));
}

QString SqlValues::toText(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

}  // namespace commission
