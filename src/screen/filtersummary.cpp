#include "filtersummary.h"

#include "periodtext.h"

namespace {

QString picked(const QString &title, const QString &list)
{
    if (list.isEmpty())
        return QStringLiteral("%1: Todos").arg(title);
    const qsizetype count = list.split(QLatin1Char(';'), Qt::SkipEmptyParts).size();
    return QStringLiteral("%1: %2 %3")
        .arg(title)
        .arg(count)
        .arg(count == 1 ? QStringLiteral("escolhido") : QStringLiteral("escolhidos"));
}

}  // namespace

FilterSummary::Line FilterSummary::describe(const CommissionClient::Selection &selection,
                                            const QStringList &salespeopleNames, const QStringList &eventTypeNames)
{
    const QString dateBase = selection.baseDateRule.trimmed() == QLatin1String("FECHAMENTO")
                                 ? QStringLiteral("data de fechamento")
                                 : QStringLiteral("data do evento");
    const QString status =
        selection.commissionStatus == QLatin1String("S") ? QStringLiteral("Gerada") : QStringLiteral("Não gerada");
    Line line;
    line.text = QStringLiteral("Filial %1 · %2 (%3) · %4 · %5 · %6")
                    .arg(selection.branch, PeriodText::describe(selection.periodStart, selection.periodEnd), dateBase,
                         status, picked(QStringLiteral("Vendedores"), selection.salespeople),
                         picked(QStringLiteral("Tipos de evento"), selection.eventTypes));
    QStringList tip;
    if (!salespeopleNames.isEmpty())
        tip << QStringLiteral("Vendedores:") << salespeopleNames;
    if (!eventTypeNames.isEmpty())
        tip << QStringLiteral("Tipos de evento:") << eventTypeNames;
    line.toolTip = tip.join(QLatin1Char('\n'));
    return line;
}
