#include "markedquotes.h"

#include "serviceerror.h"

#include <QSet>

namespace commission {

namespace {

int requiredField(const QVector<packet::FieldSpec> &fields, const QString &name, bool text)
{
    const auto found = std::find_if(fields.begin(), fields.end(), [&name](const packet::FieldSpec &field) {
        return field.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (found == fields.end())
        throw ServiceError::badRequest(QStringLiteral("Pacote de orçamentos sem o campo %1.").arg(name));
    const int index = int(found - fields.begin());
    const packet::FieldKind kind = fields[index].kind;
    if (packet::isTextKind(kind) != text)
        throw ServiceError::badRequest(
            QStringLiteral("Campo %1 do pacote de orçamentos com tipo %2.").arg(name, packet::kindName(kind)));
    return index;
}

QString keyPart(const QVector<QVariant> &row, int index, const QString &name, int rowNumber)
{
    const QString value = row[index].toString();
    if (value.isEmpty())
        throw ServiceError::badRequest(
            QStringLiteral("Orçamento marcado na linha %1 sem %2.").arg(rowNumber).arg(name));
    return value;
}

}  // namespace

QVector<MarkedQuote> MarkedQuotes::read(const packet::Packet &quotes, bool withPercent)
{
    MarkedQuotes reader(withPercent);
    reader.setFields(quotes.fields);
    for (const QVector<QVariant> &row : quotes.rows)
        reader.addRow(row);
    return reader.take();
}

void MarkedQuotes::setFields(const QVector<packet::FieldSpec> &fields)
{
    m_mark = requiredField(fields, QStringLiteral("IDCHECK"), true);
    m_branch = requiredField(fields, QStringLiteral("CDFILIAL"), true);
    m_number = requiredField(fields, QStringLiteral("NRORCAEVENTO"), true);
    m_sequence = requiredField(fields, QStringLiteral("NRSEQORCAEVE"), true);
    m_percent = m_withPercent ? requiredField(fields, QStringLiteral("VRPERCCOMIS"), false) : -1;
}

void MarkedQuotes::addRow(const QVector<QVariant> &row)
{
    const int rowNumber = ++m_rowNumber;
    if (row[m_mark].toString() != QLatin1String("S"))
        return;
    MarkedQuote quote;
    quote.key = QuoteKey{keyPart(row, m_branch, QStringLiteral("CDFILIAL"), rowNumber),
                         keyPart(row, m_number, QStringLiteral("NRORCAEVENTO"), rowNumber),
                         keyPart(row, m_sequence, QStringLiteral("NRSEQORCAEVE"), rowNumber)};
    if (m_seen.contains(quote.key))
        throw ServiceError::badRequest(QStringLiteral("Orçamento %1 repetido no pacote.").arg(quote.key.describe()));
    m_seen.insert(quote.key);
    // An empty percentage reads as 0, as it does on the screen.
    quote.percent = m_percent >= 0 ? row[m_percent].toDouble() : 0.0;
    m_marked.append(quote);
}

}  // namespace commission
