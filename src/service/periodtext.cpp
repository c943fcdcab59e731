#include "periodtext.h"

#include "daycount.h"

#include <QDate>

QString PeriodText::describe(double from, double to)
{
    const auto day = [](double count) {
        return packet::dateFromDayCount(count).toString(QStringLiteral("dd/MM/yyyy"));
    };
    if (from > 0 && to > 0)
        return QStringLiteral("%1 a %2").arg(day(from), day(to));
    if (from > 0)
        return QStringLiteral("a partir de %1").arg(day(from));
    if (to > 0)
        return QStringLiteral("até %1").arg(day(to));
    return QStringLiteral("qualquer data");
}
