#include "settlementanswer.h"

#include "outcomes.h"

#include <QJsonArray>

using contract::Outcomes;

QVector<SettlementAnswer::Payable> SettlementAnswer::payablesIn(const QJsonObject &member)
{
    QVector<Payable> payables;
    for (const QJsonValue &entry : member.value(Outcomes::payables).toArray()) {
        const QJsonObject payable = entry.toObject();
        payables.append({payable.value(Outcomes::payable).toInteger(), payable.value(Outcomes::quoteCount).toInt(),
                         payable.value(Outcomes::amount).toDouble(), payable.value(Outcomes::amountBefore).toDouble(),
                         payable.value(Outcomes::amountAfter).toDouble(), payable.value(Outcomes::removed).toBool()});
    }
    return payables;
}

QVector<SettlementAnswer::SettledQuote> SettlementAnswer::settledQuotesIn(const QJsonObject &details)
{
    QVector<SettledQuote> quotes;
    for (const QJsonValue &entry : details.value(Outcomes::settledQuotes).toArray()) {
        const QJsonObject quote = entry.toObject();
        quotes.append({quote.value(Outcomes::branch).toString(), quote.value(Outcomes::quote).toString(),
                       quote.value(Outcomes::sequence).toString(), quote.value(Outcomes::payable).toInteger(),
                       quote.value(Outcomes::operatorCode).toString(),
                       QDateTime::fromString(quote.value(Outcomes::generatedAt).toString(), Qt::ISODate)});
    }
    return quotes;
}
