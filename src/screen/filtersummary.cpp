#include "filtersummary.h"

#include "modulestate.h"
#include "periodtext.h"
#include "tadoibquery.h"
#include "tfrmfiltromanucomissao.h"

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

// "code - name" of each code of the list, as far as the lookup holds it.
QStringList namesOf(TADOIBQuery *lookup, const QString &codeField, const QString &nameField, const QString &list)
{
    const QStringList codes = list.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    QStringList names;
    for (const QString &code : codes) {
        QString name;
        if (lookup != nullptr && lookup->Active()) {
            const int codeColumn = lookup->fieldIndex(codeField);
            const int nameColumn = lookup->fieldIndex(nameField);
            for (int row = 0; row < lookup->RecordCount() && codeColumn >= 0 && nameColumn >= 0; ++row) {
                if (lookup->valueAt(row, codeColumn).toString().trimmed() == code.trimmed())
                    name = lookup->valueAt(row, nameColumn).toString().trimmed();
            }
        }
        names.append(name.isEmpty() ? code : QStringLiteral("%1 - %2").arg(code, name));
    }
    return names;
}

QString dateBaseOf(const CommissionClient::Selection &selection)
{
    return selection.baseDateRule.trimmed() == QLatin1String("FECHAMENTO") ? QStringLiteral("data de fechamento")
                                                                           : QStringLiteral("data do evento");
}

QString codes(const QString &title, const QString &list)
{
    const QStringList picked = list.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return QStringLiteral("%1: %2").arg(title,
                                        picked.isEmpty() ? QStringLiteral("todos") : picked.join(QStringLiteral(", ")));
}

}  // namespace

QString FilterSummary::inWords(const CommissionClient::Selection &selection)
{
    const bool open = selection.periodStart <= 0 && selection.periodEnd <= 0;
    const QString period =
        open ? QStringLiteral("Sem período")
             : QStringLiteral("Período %1").arg(PeriodText::describe(selection.periodStart, selection.periodEnd));
    const QString status = selection.commissionStatus == QLatin1String("S") ? QStringLiteral("Comissão gerada")
                                                                            : QStringLiteral("Comissão não gerada");
    return QStringLiteral("Filial %1 · %2 (%3) · %4 · %5 · %6")
        .arg(selection.branch, period, dateBaseOf(selection),
             codes(QStringLiteral("Vendedores"), selection.salespeople),
             codes(QStringLiteral("Tipos de evento"), selection.eventTypes), status);
}

FilterSummary::Line FilterSummary::ofFilterDialog(const CommissionClient::Selection &selection)
{
    const TfrmFiltroManuComissao *filter = Cli_ORE09701::frmFiltroManuComissao;
    return describe(selection,
                    namesOf(filter ? filter->qryVendedor : nullptr, QStringLiteral("CDVENDEDOR"),
                            QStringLiteral("NMFANVEN"), selection.salespeople),
                    namesOf(filter ? filter->qryTipoEven : nullptr, QStringLiteral("CDTIPOEVENTO"),
                            QStringLiteral("NMTIPOEVENTO"), selection.eventTypes));
}

FilterSummary::Line FilterSummary::describe(const CommissionClient::Selection &selection,
                                            const QStringList &salespeopleNames, const QStringList &eventTypeNames)
{
    const QString dateBase = dateBaseOf(selection);
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
