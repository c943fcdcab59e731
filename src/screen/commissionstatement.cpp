#include "commissionstatement.h"

#include "daycount.h"
#include "domains.h"
#include "historicocomissao.h"
#include "numbertext.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <cmath>

namespace {

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// The salesperson's cancellations, each with who asked for it and why.
QString cancellations(const QVector<CommissionStatement::Cancellation> &cancellations)
{
    if (cancellations.isEmpty())
        return QStringLiteral("<p>Cancelamentos: nenhum no período do histórico.</p>");
    QString rows;
    for (const CommissionStatement::Cancellation &cancellation : cancellations)
        rows +=
            QStringLiteral("<tr><td nowrap>%1</td><td>%2</td><td>%3</td><td align=\"right\">%4</td><td>%5</td></tr>")
                .arg(escaped(cancellation.at), escaped(cancellation.operatorCode), escaped(cancellation.payable),
                     NumberText::amount(cancellation.commission), escaped(cancellation.reason));
    return QStringLiteral("<p><b>Cancelamentos</b></p>"
                          "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">"
                          "<tr><th>Data e Hora</th><th>Operador</th><th>Conta a Pagar</th><th>Vr. Comissão</th>"
                          "<th>Motivo</th></tr>%1</table>")
        .arg(rows);
}

}  // namespace

QVector<CommissionStatement::Cancellation> CommissionStatement::cancellationsIn(const packet::Packet &settlements,
                                                                                double start, double end)
{
    const auto field = [&settlements](const contract::WireField &wire) { return settlements.fieldIndex(wire.name); };
    using contract::HistoricoComissao;
    const int operation = field(HistoricoComissao::IdOperacao), at = field(HistoricoComissao::DtHrAuditoria);
    const int who = field(HistoricoComissao::CdOperador);
    const int payable = field(HistoricoComissao::NrContaPagar), amount = field(HistoricoComissao::VrComissao);
    const int reason = field(HistoricoComissao::DsMotivo);
    QVector<Cancellation> cancellations;
    if (operation < 0 || at < 0)
        return cancellations;
    for (const QVector<QVariant> &row : settlements.rows) {
        const double day = std::floor(row[at].toDouble());
        if (row[operation].toString() != contract::Domains::Operation::cancellation || (start > 0 && day < start)
            || (end > 0 && day > end))
            continue;
        const auto text = [&row](int column) { return column < 0 ? QString() : row[column].toString().trimmed(); };
        cancellations.append(
            {packet::dateTimeFromDayCount(row[at].toDouble()).toString(QStringLiteral("dd/MM/yyyy hh:mm")), text(who),
             payable < 0 ? QString() : QString::number(qint64(row[payable].toDouble())),
             amount < 0 ? 0.0 : row[amount].toDouble(), text(reason)});
    }
    return cancellations;
}

QString CommissionStatement::html(const Content &content)
{
    qint64 sumCents = 0;
    QString rows;
    for (const Quote &quote : content.quotes) {
        sumCents += std::llround(quote.commission * 100.0);
        rows += QStringLiteral("<tr><td nowrap>%1</td><td>%2</td><td>%3</td><td nowrap>%4</td>"
                               "<td align=\"right\">%5</td><td align=\"right\">%6</td><td align=\"right\">%7</td></tr>")
                    .arg(escaped(quote.number), escaped(quote.sequence), escaped(quote.customer),
                         escaped(quote.eventDate), NumberText::amount(quote.total), NumberText::amount(quote.percent),
                         NumberText::amount(quote.commission));
    }
    QString payables;
    if (content.generated) {
        payables =
            content.payables.isEmpty()
                ? QStringLiteral("<p>Contas a pagar: nenhuma encontrada no histórico.</p>")
                : QStringLiteral("<p>Contas a pagar: %1</p>").arg(escaped(content.payables.join(QStringLiteral(", "))));
        payables += cancellations(content.cancellations);
    }
    return QStringLiteral(
               "<html><body style=\"color:black; font-family:sans-serif; font-size:10pt\">"
               "<h2>Extrato de Comissão</h2>"
               "<p><b>Filial:</b> %1<br/><b>Vendedor:</b> %2<br/><b>Listas:</b> %3<br/>"
               "<b>Operador:</b> %4<br/><b>Emitido em:</b> %5</p>"
               "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">"
               "<tr><th>Nr. Orçamento</th><th>Seq.</th><th>Cliente</th><th>Dt. Evento</th>"
               "<th>Vr. Orçamento</th><th>% Comissão</th><th>Vr. Comissão</th></tr>%6"
               "<tr><td colspan=\"6\"><b>Total (%7 orçamentos)</b></td><td align=\"right\"><b>%8</b></td></tr>"
               "</table>%9</body></html>")
        .arg(escaped(content.branch), escaped(content.salesperson), escaped(content.filter),
             escaped(content.operatorCode), content.at.toString(QStringLiteral("dd/MM/yyyy hh:mm")), rows)
        .arg(content.quotes.size())
        .arg(NumberText::amount(double(sumCents) / 100.0), payables);
}

bool CommissionStatement::writePdf(const Content &content, QIODevice &device)
{
    QPdfWriter pdf(&device);
    pdf.setResolution(96);  // the document is laid out in screen points
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    pdf.setTitle(QStringLiteral("Extrato de Comissão - %1").arg(content.salesperson));
    pdf.setCreator(QStringLiteral("Manutenção da Comissão"));
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setPageSize(QSizeF(pdf.width(), pdf.height()));
    document.setHtml(html(content));
    document.print(&pdf);
    return true;
}
