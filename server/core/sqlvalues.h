#pragma once

#include <QDate>
#include <QDateTime>
#include <QVariant>

namespace commission {

// Conversions between the server's values and the values bound to or read
// from either engine. Dates travel as ISO text ("2024-05-31"): SQLite stores
// that text, PostgreSQL turns it into a DATE; reading gives text or QDate.
class SqlValues {
public:
    static QVariant date(const QDate &date);           // null for an invalid date
    static QVariant timestamp(const QDateTime &time);  // UTC, "yyyy-MM-dd HH:mm:ss.zzz"
    static QDate toDate(const QVariant &value);        // invalid for null
    // A stored timestamp (written by timestamp()) in local time; invalid for
    // null or for a value without a time of day.
    static QDateTime toLocalDateTime(const QVariant &value);
    static QString toText(const QVariant &value);  // empty for null
};

}  // namespace commission
