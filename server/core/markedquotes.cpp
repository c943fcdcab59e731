#include "markedquotes.h"

#include "serviceerror.h"

#include <QSet>

namespace commission {

namespace {

int requiredField(const packet::Packet &quotes, const QString &name, bool text)
{
    const int index = quotes.fieldIndex(name);
    if (index < 0)
        throw ServiceError::badRequest(QStringLiteral("Pacote de orçamentos sem o campo %1.").arg(name));
    const packet::FieldKind kind = quotes.fields[index].kind;
    const bool isText = kind == packet::FieldKind::Text || kind == packet::FieldKind::FixedText;
    if (isText != text)
        throw ServiceError::badRequest(QStringLiteral("Campo %1 do pacote de orçamentos com tipo %2.")
                                           .arg(name, packet::kindName(kind)));
    return index;
}

QString keyPart(const QVector<QVariant> &row, int index, const QString &name, int rowNumber)
{
    const QString value = row[index].toString();
    if (value.isEmpty())
        throw ServiceError::badRequest(QStringLiteral("Orçamento marcado na linha %1 sem %2.").arg(rowNumber).arg(name));
    return value;
}

}  // namespace

QVector<MarkedQuote> MarkedQuotes::read(const packet::Packet &quotes, bool withPercent)
{
    const int mark = requiredField(quotes, QStringLiteral("IDCHECK"), true);
    const int branch = requiredField(quotes, QStringLiteral("CDFILIAL"), true);
    const int number = requiredField(quotes, QStringLiteral("NRORCAEVENTO"), true);
    const int sequence = requiredField(quotes, QStringLiteral("NRSEQORCAEVE"), true);
    const int percent = withPercent ? requiredField(quotes, QStringLiteral("VRPERCCOMIS"), false) : -1;

    QVector<MarkedQuote> marked;
    QSet<QuoteKey> seen;
    for (int r = 0; r < quotes.rows.size(); ++r) {
        const QVector<QVariant> &row = quotes.rows[r];
        if (row[mark].toString() != QLatin1String("S"))
            continue;
        MarkedQuote quote;
        quote.key = QuoteKey{keyPart(row, branch, QStringLiteral("CDFILIAL"), r + 1),
                             keyPart(row, number, QStringLiteral("NRORCAEVENTO"), r + 1),
                             keyPart(row, sequence, QStringLiteral("NRSEQORCAEVE"), r + 1)};
        if (seen.contains(quote.key))
            throw ServiceError::badRequest(QStringLiteral("Orçamento %1 repetido no pacote.").arg(quote.key.describe()));
        seen.insert(quote.key);
        // An empty percentage reads as 0, as it does on the screen.
        quote.percent = percent >= 0 ? row[percent].toDouble() : 0.0;
        marked.append(quote);
    }
    return marked;
}

}  // namespace commission
