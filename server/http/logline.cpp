#include "logline.h"

namespace commission {

namespace {

bool needsQuotes(const QString &raw)
{
    if (raw.isEmpty())
        return true;
    for (const QChar c : raw) {
        if (c.unicode() <= u' ' || c == u'=' || c == u'"' || c == u'\\' || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

}  // namespace

LogLine::LogLine(const char *level)
{
    m_text.reserve(160);
    m_text += QLatin1String("ts=");
    m_text += timestamp(QDateTime::currentDateTimeUtc());
    add("level", QString::fromLatin1(level));
}

LogLine &LogLine::add(const char *key, const QString &value)
{
    if (!m_text.isEmpty())
        m_text += u' ';
    m_text += QLatin1String(key);
    m_text += u'=';
    m_text += LogLine::value(value);
    return *this;
}

LogLine &LogLine::add(const char *key, qint64 value)
{
    return add(key, QString::number(value));
}

LogLine &LogLine::addTenths(const char *key, double value)
{
    return add(key, QString::number(value, 'f', 1));
}

QString LogLine::value(const QString &raw)
{
    if (!needsQuotes(raw))
        return raw;
    QString quoted;
    quoted.reserve(raw.size() + 2);
    quoted += u'"';
    for (const QChar c : raw) {
        if (c == u'"' || c == u'\\') {
            quoted += u'\\';
            quoted += c;
        } else if (c == u'\n') {
            quoted += QLatin1String("\\n");
        } else if (c == u'\r') {
            quoted += QLatin1String("\\r");
        } else if (c == u'\t') {
            quoted += QLatin1String("\\t");
        } else if (c.unicode() < u' ' || c.unicode() == 0x7f) {
            quoted += u' ';  // nothing else of the kind belongs in a line
        } else {
            quoted += c;
        }
    }
    quoted += u'"';
    return quoted;
}

QString LogLine::timestamp(const QDateTime &when)
{
    return when.toUTC().toString(Qt::ISODateWithMs);
}

QString LogLine::event(const char *level, const QString &message)
{
    return LogLine(level).add("msg", message).text();
}

}  // namespace commission
