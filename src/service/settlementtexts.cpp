#include "settlementtexts.h"

#include "markedcommission.h"

#include <QLocale>
#include <QStringList>

#include <cmath>
#include <cstdlib>

namespace {

const QString separator = QStringLiteral(" · ");

QString counted(qint64 count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(count == 1 ? one : many));
}

QString payableLine(const SettlementAnswer::Payable &payable)
{
    return QStringLiteral("Conta a pagar %1").arg(payable.number);
}

}  // namespace

QString SettlementTexts::amount(double value)
{
    const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
    return brazil.toString(std::abs(value) < 0.005 ? 0.0 : value, 'f', 2);
}

QString SettlementTexts::markedQuotes(const packet::Packet &quotes, bool generating)
{
    const MarkedCommission marked = MarkedCommission::of(quotes, generating);
    return counted(marked.count, "orçamento marcado", "orçamentos marcados") + separator
           + amount(double(marked.cents) / 100.0);
}

QString SettlementTexts::generated(const QVector<SettlementAnswer::Payable> &payables)
{
    QStringList lines;
    for (const SettlementAnswer::Payable &payable : payables)
        lines << payableLine(payable) + separator + counted(payable.quotes, "orçamento", "orçamentos") + separator
                     + amount(payable.amount);
    return lines.join(QLatin1Char('\n'));
}

QString SettlementTexts::cancelled(const QVector<SettlementAnswer::Payable> &payables)
{
    if (payables.isEmpty())
        return QStringLiteral("Nenhuma conta a pagar foi alterada: nenhum dos orçamentos marcados tinha comissão "
                              "gerada.");
    QStringList lines;
    for (const SettlementAnswer::Payable &payable : payables) {
        const QString change =
            payable.removed ? QStringLiteral("removida (%1 → %2)") : QStringLiteral("alterada de %1 para %2");
        lines << payableLine(payable) + QLatin1Char(' ') + change.arg(amount(payable.before), amount(payable.after))
                     + separator + counted(payable.quotes, "orçamento retirado", "orçamentos retirados");
    }
    return lines.join(QLatin1Char('\n'));
}

QString SettlementTexts::alreadySettled(const QVector<SettlementAnswer::SettledQuote> &quotes)
{
    if (quotes.isEmpty())
        return QString();
    QStringList lines{QStringLiteral("Orçamentos marcados que já têm comissão gerada:")};
    for (const SettlementAnswer::SettledQuote &quote : quotes.mid(0, listedQuotes)) {
        const QString when =
            quote.generatedAt.isValid()
                ? separator + quote.generatedAt.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm"))
                : QString();
        lines << QStringLiteral("Orçamento %1/%2 · conta %3 · operador %4")
                         .arg(quote.quote, quote.sequence)
                         .arg(quote.payable)
                         .arg(quote.operatorCode)
                     + when;
    }
    if (quotes.size() > listedQuotes)
        lines << QStringLiteral("e mais %1").arg(counted(quotes.size() - listedQuotes, "orçamento", "orçamentos"));
    return lines.join(QLatin1Char('\n'));
}

QString SettlementTexts::paid(const QVector<SettlementAnswer::Payable> &payables)
{
    QStringList lines;
    for (const SettlementAnswer::Payable &payable : payables)
        lines << payableLine(payable) + QStringLiteral(" já baixada.");
    return lines.join(QLatin1Char('\n'));
}

QString SettlementTexts::unanswered(bool notSent)
{
    return notSent ? QStringLiteral("Nada foi gravado: a operação não chegou ao servidor.")
                   : QStringLiteral("Não se sabe se a operação foi gravada: ela foi enviada, mas a resposta do "
                                    "servidor não chegou. Confira nas listas, que serão recarregadas, o que o "
                                    "servidor gravou.");
}
