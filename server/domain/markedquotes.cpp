#include "markedquotes.h"

#include "serviceerror.h"

#include <domains.h>
#include <orcamentos.h>

#include <QSet>

namespace commission {

namespace {

using contract::Orcamentos;

int requiredField(const QVector<packet::FieldSpec> &fields, const contract::WireField &field, bool text)
{
    const QString name(field.name);
    const auto found = std::find_if(fields.begin(), fields.end(), [&name](const packet::FieldSpec &spec) {
        return spec.name.compare(name, Qt::CaseInsensitive) == 0;
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

QString keyPart(const QVector<QVariant> &row, int index, const contract::WireField &field, int rowNumber)
{
    const QString value = row[index].toString();
    if (value.isEmpty())
        throw ServiceError::badRequest(
            QStringLiteral("Orçamento marcado na linha %1 sem %2.").arg(rowNumber).arg(field.name));
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
    m_mark = requiredField(fields, Orcamentos::IdCheck, true);
    m_branch = requiredField(fields, Orcamentos::CdFilial, true);
    m_number = requiredField(fields, Orcamentos::NrOrcaEvento, true);
    m_sequence = requiredField(fields, Orcamentos::NrSeqOrcaEve, true);
    m_percent = m_withPercent ? requiredField(fields, Orcamentos::VrPercComis, false) : -1;
}

void MarkedQuotes::addRow(const QVector<QVariant> &row)
{
    const int rowNumber = ++m_rowNumber;
    if (row[m_mark].toString() != contract::Domains::Mark::marked)
        return;
    MarkedQuote quote;
    quote.key = QuoteKey{keyPart(row, m_branch, Orcamentos::CdFilial, rowNumber),
                         keyPart(row, m_number, Orcamentos::NrOrcaEvento, rowNumber),
                         keyPart(row, m_sequence, Orcamentos::NrSeqOrcaEve, rowNumber)};
    if (m_seen.contains(quote.key))
        throw ServiceError::badRequest(QStringLiteral("Orçamento %1 repetido no pacote.").arg(quote.key.describe()));
    m_seen.insert(quote.key);
    // An empty percentage reads as 0, as it does on the screen.
    quote.percent = m_percent >= 0 ? row[m_percent].toDouble() : 0.0;
    m_marked.append(quote);
}

}  // namespace commission
