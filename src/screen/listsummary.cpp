#include "listsummary.h"

#include "markedcommission.h"
#include "modulestate.h"
#include "numbertext.h"
#include "tclientdataset.h"
#include "vendedores.h"

#include <QString>

#include <cmath>

namespace {

QString counted(int count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(count == 1 ? one : many));
}

// Summed in cents, as the server adds amounts, so a long list does not drift.
qint64 cents(const QVariant &value)
{
    return value.isNull() ? 0 : qint64(std::llround(value.toDouble() * 100.0));
}

}  // namespace

QString ListSummary::quotes(const TClientDataSet &quotes)
{
    // The marked amount is the one "Confirmar" or "Cancelar" will settle.
    const bool generating = Cli_ORE09700::Filtro.Comissao.stGerada == QLatin1String("N");
    const MarkedCommission marked = MarkedCommission::of(quotes.data(), generating);
    return QStringLiteral("%1 · %2 · comissão marcada %3")
        .arg(counted(quotes.RecordCount(), "orçamento", "orçamentos"), counted(marked.count, "marcado", "marcados"),
             NumberText::amount(double(marked.cents) / 100.0));
}

QString ListSummary::salespeople(const TClientDataSet &salespeople)
{
    const int commission = salespeople.fieldIndex(contract::Vendedores::VrComissao.name);
    const int rows = salespeople.RecordCount();
    qint64 total = 0;
    for (int row = 0; row < rows && commission >= 0; ++row)
        total += cents(salespeople.valueAt(row, commission));
    return QStringLiteral("%1 · comissão %2")
        .arg(counted(rows, "vendedor", "vendedores"), NumberText::amount(double(total) / 100.0));
}
