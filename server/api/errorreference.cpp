#include "errorreference.h"

#include <QRandomGenerator>

#include <atomic>

namespace commission {

QString ErrorReference::next()
{
    static std::atomic<quint32> counter{QRandomGenerator::global()->bounded(1000u) * 10u};
    return format(QDate::currentDate(), ++counter);
}

QString ErrorReference::format(const QDate &day, quint32 number)
{
    return QStringLiteral("%1-%2")
        .arg(day.toString(QStringLiteral("yyyyMMdd")))
        .arg(number % 10000, 4, 10, QLatin1Char('0'));
}

}  // namespace commission
