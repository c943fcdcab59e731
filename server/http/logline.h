#pragma once

#include <QDateTime>
#include <QString>

namespace commission {

// One line of the server's log in logfmt: `key=value` pairs separated by
// spaces, a value in double quotes (with \" and \\ inside) when it is empty
// or holds a space, an `=`, a quote, a backslash or a control character:
//   ts=2026-12-09T14:00:00.123Z level=info msg="Servidor de comissões encerrado."
// A person reads it as it is; a log store splits it without a pattern.
class LogLine {
public:
    // A line that starts with ts= (now, in UTC) and level=.
    explicit LogLine(const char *level);

    LogLine &add(const char *key, const QString &value);
    LogLine &add(const char *key, qint64 value);
    // With one decimal.
    LogLine &addTenths(const char *key, double value);

    const QString &text() const { return m_text; }

    // The value as it appears after its `key=`.
    static QString value(const QString &raw);
    // UTC, ISO 8601 with milliseconds: 2026-12-09T14:00:00.123Z.
    static QString timestamp(const QDateTime &when);
    // A line of the server's own (start, stop, migrations, failures).
    static QString event(const char *level, const QString &message);

private:
    QString m_text;
};

}  // namespace commission
