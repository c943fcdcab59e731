#include "commissionstatement.h"

#include "commissionamount.h"
#include "daycount.h"
#include "domains.h"
#include "historicocomissao.h"
#include "numbertext.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <cmath>

namespace {

using Column = StatementPages::Column;
using Paragraph = StatementPages::Paragraph;
using Row = StatementPages::Row;
using Table = StatementPages::Table;
using contract::CommissionAmount;
using contract::HistoricoComissao;

QString amount(qint64 cents)
{
    return NumberText::amount(double(cents) / 100.0);
}

QString counted(qsizetype count)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("orçamento")
                                                             : QStringLiteral("orçamentos"));
}

Paragraph section(const QString &title)
{
    return {.text = title, .bold = true, .pointSize = 10, .spaceBefore = 8};
}

// A section with nothing to list says so in a line of its own.
Paragraph nothing(const QString &text)
{
    return {.text = text, .spaceBefore = 8};
}

Table quotes(const CommissionStatement::Content &content)
{
    Table table;
    table.columns = {{QStringLiteral("Marcado")},
                     {QStringLiteral("Nr. Orçamento")},
                     {QStringLiteral("Seq.")},
                     {QStringLiteral("Cliente"), false, true},
                     {QStringLiteral("Dt. Evento")},
                     {QStringLiteral("Vr. Orçamento"), true},
                     {QStringLiteral("% Comissão"), true},
                     {QStringLiteral("Vr. Comissão"), true}};
    qint64 totalCents = 0, commissionCents = 0, markedTotalCents = 0;
    qsizetype marked = 0;
    for (const CommissionStatement::Quote &quote : content.quotes) {
        table.rows.append({{quote.marked ? QStringLiteral("Sim") : QString(), quote.number, quote.sequence,
                            quote.customer, quote.eventDate, NumberText::amount(quote.total),
                            NumberText::amount(quote.percent), NumberText::amount(quote.commission)}});
        totalCents += CommissionAmount::cents(quote.total);
        commissionCents += CommissionAmount::cents(quote.commission);
        if (quote.marked) {
            ++marked;
            markedTotalCents += CommissionAmount::cents(quote.total);
        }
    }
    table.rows.append({{QStringLiteral("Total: %1").arg(counted(content.quotes.size())), amount(totalCents), QString(),
                        amount(commissionCents)},
                       true,
                       5,
                       true});
    const QString markedLabel = content.generated
                                    ? QStringLiteral("Marcados: %1, comissão a cancelar").arg(counted(marked))
                                    : QStringLiteral("Marcados: %1, comissão a gerar").arg(counted(marked));
    table.rows.append(
        {{markedLabel, amount(markedTotalCents), QString(), amount(CommissionStatement::markedCents(content))},
         true,
         5});
    return table;
}

QString stateText(const QString &state)
{
    using State = contract::Domains::PayableState;
    if (state == State::removed)
        return QStringLiteral("Removida por cancelamento");
    if (state == State::changed)
        return QStringLiteral("Alterada por cancelamento");
    return QStringLiteral("Como gerada");
}

void addPayables(StatementPages::Document &document, const QVector<CommissionStatement::Payable> &payables)
{
    if (payables.isEmpty()) {
        document.body.append(nothing(QStringLiteral("Contas a pagar: nenhuma encontrada no histórico.")));
        return;
    }
    document.body.append(section(QStringLiteral("Contas a pagar")));
    Table table;
    table.columns = {{QStringLiteral("Conta a Pagar")},
                     {QStringLiteral("Valor"), true},
                     {QStringLiteral("Vencimento")},
                     {QStringLiteral("Paga")},
                     {QStringLiteral("Situação"), false, true}};
    for (const CommissionStatement::Payable &payable : payables)
        table.rows.append({{payable.number, NumberText::amount(payable.amount), payable.due,
                            payable.paid ? QStringLiteral("Sim") : QStringLiteral("Não"), stateText(payable.state)}});
    document.body.append(table);
}

void addCancellations(StatementPages::Document &document,
                      const QVector<CommissionStatement::Cancellation> &cancellations)
{
    if (cancellations.isEmpty()) {
        document.body.append(nothing(QStringLiteral("Cancelamentos: nenhum no período do histórico.")));
        return;
    }
    document.body.append(section(QStringLiteral("Cancelamentos")));
    Table table;
    table.columns = {{QStringLiteral("Data e Hora")},
                     {QStringLiteral("Operador")},
                     {QStringLiteral("Conta a Pagar")},
                     {QStringLiteral("Vr. Comissão"), true},
                     {QStringLiteral("Motivo"), false, true}};
    for (const CommissionStatement::Cancellation &cancellation : cancellations)
        table.rows.append({{cancellation.at, cancellation.operatorCode, cancellation.payable,
                            NumberText::amount(cancellation.commission), cancellation.reason}});
    document.body.append(table);
}

}  // namespace

QVector<CommissionStatement::Cancellation> CommissionStatement::cancellationsIn(const packet::Packet &settlements,
                                                                                double start, double end)
{
    const auto field = [&settlements](const contract::WireField &wire) { return settlements.fieldIndex(wire.name); };
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

QVector<CommissionStatement::Payable> CommissionStatement::payablesIn(const packet::Packet &settlements,
                                                                      const QStringList &numbers)
{
    const auto field = [&settlements](const contract::WireField &wire) { return settlements.fieldIndex(wire.name); };
    const int number = field(HistoricoComissao::NrContaPagar), amount = field(HistoricoComissao::VrContaPagar);
    const int due = field(HistoricoComissao::DtVencContaPagar), paid = field(HistoricoComissao::IdBaixada);
    const int state = field(HistoricoComissao::IdSitContaPagar);
    const auto value = [](const QVector<QVariant> &row, int column) { return column < 0 ? QVariant() : row[column]; };
    QVector<Payable> payables;
    if (number < 0)
        return payables;
    for (const QString &wanted : numbers) {
        // Every settlement of a payable tells it as it is now: the first will do.
        for (const QVector<QVariant> &row : settlements.rows) {
            if (QString::number(qint64(row[number].toDouble())) != wanted)
                continue;
            const QDate dueDate = packet::dateFromDayCount(value(row, due).toDouble());
            payables.append({wanted, value(row, amount).toDouble(),
                             dueDate.isValid() ? dueDate.toString(QStringLiteral("dd/MM/yyyy")) : QString(),
                             value(row, paid).toString() == contract::Domains::Paid::paid,
                             value(row, state).toString()});
            break;
        }
    }
    return payables;
}

qint64 CommissionStatement::markedCents(const Content &content)
{
    qint64 cents = 0;
    for (const Quote &quote : content.quotes) {
        if (quote.marked)
            cents += content.generated ? CommissionAmount::cents(quote.commission)
                                       : CommissionAmount::bookedCents(quote.total, quote.percent);
    }
    return cents;
}

StatementPages::Document CommissionStatement::document(const Content &content)
{
    StatementPages::Document document;
    document.title = QStringLiteral("Extrato de Comissão");
    document.heading = {QStringLiteral("Vendedor: %1").arg(content.salesperson),
                        QStringLiteral("Filial: %1 · %2")
                            .arg(content.branch, content.generated ? QStringLiteral("Comissão gerada")
                                                                   : QStringLiteral("Comissão não gerada"))};
    const QString at = content.at.toString(QStringLiteral("dd/MM/yyyy hh:mm"));
    document.foot = QStringLiteral("Emitido em %1 por %2").arg(at, content.operatorCode);
    document.body.append(Paragraph{.text = QStringLiteral("Listas: %1").arg(content.filter)});
    document.body.append(
        Paragraph{.text = QStringLiteral("Operador: %1 · Emitido em: %2").arg(content.operatorCode, at)});
    document.body.append(section(QStringLiteral("Orçamentos")));
    document.body.append(quotes(content));
    if (content.generated) {
        addPayables(document, content.payables);
        addCancellations(document, content.cancellations);
    }
    return document;
}

bool CommissionStatement::writePdf(const Content &content, QIODevice &device)
{
    QPdfWriter pdf(&device);
    pdf.setResolution(300);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    pdf.setTitle(QStringLiteral("Extrato de Comissão - %1").arg(content.salesperson));
    pdf.setCreator(QStringLiteral("Manutenção da Comissão"));
    return StatementPages::paint(document(content), pdf);
}
