#include "screenexports.h"

#include "csvexport.h"
#include "daycount.h"
#include "dialogseam.h"
#include "domains.h"
#include "historicocomissao.h"
#include "historicoorcamentos.h"
#include "hostmessages.h"
#include "modulestate.h"
#include "orcamentos.h"
#include "screencolumns.h"
#include "screenmodel.h"
#include "session.h"
#include "tclientdataset.h"
#include "vendedores.h"
#include "wholefile.h"

#include <QDate>
#include <QIODevice>
#include <QSet>

#include <algorithm>
#include <functional>

using namespace Cli_ORE09700;
using contract::HistoricoComissao;
using contract::HistoricoOrcamentos;
using contract::Orcamentos;
using contract::Vendedores;

namespace {

bool hasCurrent(const TClientDataSet &set)
{
    return set.Active() && !set.IsEmpty();
}

void writeFile(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    const QString failure = WholeFile::write(path, write);
    if (!failure.isEmpty())
        MensErro(failure, true);
}

void writeStatement(const QString &path, const CommissionStatement::Content &content)
{
    writeFile(path, [&content](QIODevice &file) { return CommissionStatement::writePdf(content, file); });
}

QString quoteKey(const QVariant &number, const QVariant &sequence)
{
    return number.toString() + QLatin1Char('/') + sequence.toString();
}

}  // namespace

QString ScreenExports::fileName(const QString &what, const QString &extension)
{
    const QDate start = packet::dateFromDayCount(Filtro.dtDePeriodo);
    const QString month = (start.isValid() ? start : QDate::currentDate()).toString(QStringLiteral("yyyy-MM"));
    return QStringLiteral("comissao-%1-%2-%3.%4").arg(Filtro.stCdFilial, what, month, extension);
}

QString ScreenExports::csvFileName(const ScreenModel &model, List list)
{
    if (list == List::Vendedores)
        return fileName(QStringLiteral("vendedores"), QStringLiteral("csv"));
    const TClientDataSet &salespeople = *model.cdsVendedores;
    const QString code = hasCurrent(salespeople) ? salespeople.AsString(Vendedores::CdVendedor.name) : QString();
    return fileName(QStringLiteral("vendedor-%1-orcamentos").arg(code), QStringLiteral("csv"));
}

QString ScreenExports::statementFileName(const ScreenModel &model)
{
    const QString code = model.cdsVendedores->AsString(Vendedores::CdVendedor.name);
    return fileName(QStringLiteral("vendedor-%1").arg(code), QStringLiteral("pdf"));
}

double ScreenExports::historyPeriodEnd()
{
    return std::max(Filtro.dtAtePeriodo, packet::toDayCount(QDate::currentDate()));
}

TfrmHistoricoComissao::Request ScreenExports::historyRequest(const ScreenModel &model, const QString &typedBranch)
{
    TfrmHistoricoComissao::Request request;
    request.branch = Filtro.stCdFilial.isEmpty() ? typedBranch : Filtro.stCdFilial;
    if (hasCurrent(*model.cdsVendedores)) {
        request.salesperson = model.cdsVendedores->AsString(Vendedores::CdVendedor.name);
        request.salespersonName = model.cdsVendedores->AsString(Vendedores::NmFanVen.name);
    }
    return request;
}

QByteArray ScreenExports::csv(const ScreenModel &model, List list)
{
    if (list == List::Vendedores)
        return CsvExport::write(*model.cdsVendedores, screencolumns::vendedoresColumns());
    return CsvExport::write(*model.cdsOrcamentos, screencolumns::orcamentosColumns());
}

void ScreenExports::exportList(const ScreenModel &model, List list)
{
    const QString path = DialogSeam::current().saveFileName(QStringLiteral("Exportar lista"), csvFileName(model, list),
                                                            QStringLiteral("Planilha CSV (*.csv)"));
    if (path.isEmpty())
        return;
    const QByteArray content = csv(model, list);
    writeFile(path, [&content](QIODevice &file) { return file.write(content) == content.size(); });
}

void ScreenExports::exportStatement(ScreenModel &model, const QString &branchName, const QString &filterLine)
{
    if (!hasCurrent(*model.cdsOrcamentos))
        return;
    const QString path = DialogSeam::current().saveFileName(
        QStringLiteral("Extrato da comissão"), statementFileName(model), QStringLiteral("Documento PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    const CommissionStatement::Content content = statement(model, branchName, filterLine);
    if (!content.generated)
        return writeStatement(path, content);
    const TClientDataSet *quotes = model.cdsOrcamentos;
    model.history(Filtro.stCdFilial, model.cdsVendedores->AsString(Vendedores::CdVendedor.name),
                  [quotes, path, content](const CommissionClient::HistoryAnswer &history) {
                      CommissionStatement::Content withHistory = content;
                      addHistory(withHistory, *quotes, history);
                      writeStatement(path, withHistory);
                  });
}

CommissionStatement::Content ScreenExports::statement(const ScreenModel &model, const QString &branchName,
                                                      const QString &filterLine)
{
    const TClientDataSet &salespeople = *model.cdsVendedores;
    const TClientDataSet &quotes = *model.cdsOrcamentos;
    CommissionStatement::Content content;
    content.branch = QStringLiteral("%1 - %2").arg(Filtro.stCdFilial, branchName);
    content.filter = filterLine;
    content.operatorCode = Operador();
    content.at = QDateTime::currentDateTime();
    content.salesperson = QStringLiteral("%1 - %2").arg(salespeople.AsString(Vendedores::CdVendedor.name),
                                                        salespeople.AsString(Vendedores::NmFanVen.name));
    content.generated = Filtro.Comissao.stGerada == contract::Domains::CommissionStatus::generated;
    for (int row = 0; row < quotes.RecordCount(); ++row) {
        const auto value = [&quotes, row](const contract::WireField &field) {
            return quotes.valueAt(row, quotes.fieldIndex(field.name));
        };
        content.quotes.append(
            {value(Orcamentos::NrOrcaEvento).toString(), value(Orcamentos::NrSeqOrcaEve).toString(),
             value(Orcamentos::NmFantClie).toString(),
             packet::dateFromDayCount(value(Orcamentos::DtEvento).toDouble()).toString(QStringLiteral("dd/MM/yyyy")),
             value(Orcamentos::VrTotalOrev).toDouble(), value(Orcamentos::VrPercComis).toDouble(),
             value(Orcamentos::VrComissao).toDouble()});
    }
    return content;
}

void ScreenExports::addHistory(CommissionStatement::Content &content, const TClientDataSet &quotes,
                               const CommissionClient::HistoryAnswer &history)
{
    content.payables = payablesOf(quotes, history);
    content.cancellations =
        CommissionStatement::cancellationsIn(history.settlements, Filtro.dtDePeriodo, historyPeriodEnd());
}

QStringList ScreenExports::payablesOf(const TClientDataSet &quotes, const CommissionClient::HistoryAnswer &history)
{
    QSet<QString> listed;
    const int number = quotes.fieldIndex(Orcamentos::NrOrcaEvento.name);
    const int sequence = quotes.fieldIndex(Orcamentos::NrSeqOrcaEve.name);
    for (int row = 0; row < quotes.RecordCount(); ++row)
        listed.insert(quoteKey(quotes.valueAt(row, number), quotes.valueAt(row, sequence)));

    const packet::Packet &settled = history.quotes;
    const int settledNumber = settled.fieldIndex(HistoricoOrcamentos::NrOrcaEvento.name);
    const int settledSequence = settled.fieldIndex(HistoricoOrcamentos::NrSeqOrcaEve.name);
    const int settledAudit = settled.fieldIndex(HistoricoOrcamentos::NrAuditComissao.name);
    QSet<double> audits;
    for (const QVector<QVariant> &row : settled.rows) {
        if (listed.contains(quoteKey(row[settledNumber], row[settledSequence])))
            audits.insert(row[settledAudit].toDouble());
    }

    const packet::Packet &settlements = history.settlements;
    const int operation = settlements.fieldIndex(HistoricoComissao::IdOperacao.name);
    const int audit = settlements.fieldIndex(HistoricoComissao::NrAuditComissao.name);
    const int payableNumber = settlements.fieldIndex(HistoricoComissao::NrContaPagar.name);
    QStringList payables;
    if (operation < 0 || audit < 0 || payableNumber < 0)
        return payables;
    for (const QVector<QVariant> &row : settlements.rows) {
        const QString payable = QString::number(qint64(row[payableNumber].toDouble()));
        if (row[operation].toString() == contract::Domains::Operation::generation
            && audits.contains(row[audit].toDouble()) && !payables.contains(payable))
            payables.append(payable);
    }
    return payables;
}
