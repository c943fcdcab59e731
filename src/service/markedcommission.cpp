#include "markedcommission.h"

#include "commissionamount.h"
#include "domains.h"
#include "orcamentos.h"

MarkedCommission MarkedCommission::of(const packet::Packet &quotes, bool generating)
{
    using contract::CommissionAmount;
    using contract::Orcamentos;
    const int mark = quotes.fieldIndex(Orcamentos::IdCheck.name);
    const int total = quotes.fieldIndex(Orcamentos::VrTotalOrev.name);
    const int percent = quotes.fieldIndex(Orcamentos::VrPercComis.name);
    const int commission = quotes.fieldIndex(Orcamentos::VrComissao.name);
    MarkedCommission marked;
    if (mark < 0)
        return marked;
    for (const QVector<QVariant> &row : quotes.rows) {
        if (row.value(mark).toString() != contract::Domains::Mark::marked)
            continue;
        ++marked.count;
        marked.cents += generating
                            ? CommissionAmount::bookedCents(row.value(total).toDouble(), row.value(percent).toDouble())
                            : CommissionAmount::cents(row.value(commission).toDouble());
    }
    return marked;
}
