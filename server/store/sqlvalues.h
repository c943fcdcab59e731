#pragma once

#include <QDate>
#include <QDateTime>
#include <QVariant>

#include <string_view>

namespace commission {

// Conversions between the server's values and the values bound to or read
// from either engine. Dates travel as ISO text ("2024-05-31"): SQLite stores
// that text, PostgreSQL turns it into a DATE; reading gives text or QDate.
class SqlValues {
public:
    static QVariant date(const QDate &date);           // null for an invalid date
    static QVariant timestamp(const QDateTime &time);  // UTC, "yyyy-MM-dd HH:mm:ss.zzz"
    static QDate toDate(const QVariant &value);        // invalid for null
    // A stored date or timestamp (UTC, as timestamp() writes it) as read
    // from either engine's text, as a packet's day count: a timestamp in
    // UTC with its time of day, a date as its day; 0 for text that is
    // neither.
    static double toDayCount(std::string_view stored);
    // A stored timestamp as the UTC instant it is; invalid for null or
    // text that is none.
    static QDateTime toUtcDateTime(const QVariant &value);
    static QString toText(const QVariant &value);  // empty for null
};

}  // namespace commission
