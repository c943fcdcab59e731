#include "listsummary.h"

#include "numbertext.h"
#include "orcamentos.h"
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
    const int mark = quotes.fieldIndex(contract::Orcamentos::IdCheck.name);
    const int commission = quotes.fieldIndex(contract::Orcamentos::VrComissao.name);
    const int rows = quotes.RecordCount();
    int marked = 0;
    qint64 markedCents = 0;
    for (int row = 0; row < rows; ++row) {
        if (mark < 0 || quotes.valueAt(row, mark).toString() != QLatin1String("S"))
            continue;
        ++marked;
        if (commission >= 0)
            markedCents += cents(quotes.valueAt(row, commission));
    }
    return QStringLiteral("%1 · %2 · comissão marcada %3")
        .arg(counted(rows, "orçamento", "orçamentos"), counted(marked, "marcado", "marcados"),
             NumberText::amount(double(markedCents) / 100.0));
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
