#include "screenexports.h"

#include "csvexport.h"
#include "daycount.h"
#include "dialogseam.h"
#include "domains.h"
#include "exportfilenames.h"
#include "filtersummary.h"
#include "historicocomissao.h"
#include "historicoorcamentos.h"
#include "hostmessages.h"
#include "modulestate.h"
#include "orcamentos.h"
#include "paramorcaeve.h"
#include "screencolumns.h"
#include "screenmodel.h"
#include "session.h"
#include "tclientdataset.h"
#include "vendedores.h"
#include "wholefile.h"

#include <QDate>
#include <QDir>
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

// Writes the file whole and says where it went; a failure is shown and said.
void writeFile(const QString &path, const QString &written, const ScreenExports::Report &report,
               const std::function<bool(QIODevice &)> &write)
{
    const QString failure = WholeFile::write(path, write);
    if (report)
        report(failure.isEmpty() ? written.arg(QDir::toNativeSeparators(path)) : failure);
    if (!failure.isEmpty())
        MensErro(failure, true);
}

void writeStatement(const QString &path, const CommissionStatement::Content &content,
                    const ScreenExports::Report &report)
{
    writeFile(path, QStringLiteral("Extrato gravado em %1"), report,
              [&content](QIODevice &file) { return CommissionStatement::writePdf(content, file); });
}

QString currentSalesperson(const ScreenModel &model)
{
    const TClientDataSet &salespeople = *model.cdsVendedores;
    return hasCurrent(salespeople) ? salespeople.AsString(Vendedores::CdVendedor.name) : QString();
}

QString quoteKey(const QVariant &number, const QVariant &sequence)
{
    return number.toString() + QLatin1Char('/') + sequence.toString();
}

}  // namespace

QString ScreenExports::csvPath(const ScreenModel &model, List list)
{
    const QString name =
        list == List::Vendedores
            ? ExportFileNames::salespeopleCsv(Filtro.stCdFilial, Filtro.dtDePeriodo, Filtro.dtAtePeriodo)
            : ExportFileNames::quotesCsv(Filtro.stCdFilial, currentSalesperson(model), Filtro.dtDePeriodo,
                                         Filtro.dtAtePeriodo);
    return QDir(ExportFileNames::folder()).filePath(name);
}

QString ScreenExports::statementPath(const ScreenModel &model)
{
    return QDir(ExportFileNames::folder())
        .filePath(ExportFileNames::statementPdf(Filtro.stCdFilial, currentSalesperson(model), Filtro.dtDePeriodo,
                                                Filtro.dtAtePeriodo));
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
    if (list == List::Vendedores) {
        TDBGrid::TColumn code;
        code.fieldName = Vendedores::CdVendedor.name;
        code.title = QStringLiteral("Cód. Vendedor");
        return CsvExport::write(*model.cdsVendedores,
                                QVector<TDBGrid::TColumn>{code} + screencolumns::vendedoresColumns());
    }
    const TClientDataSet &salespeople = *model.cdsVendedores;
    const QString name = hasCurrent(salespeople) ? salespeople.AsString(Vendedores::NmFanVen.name) : QString();
    return CsvExport::write(
        *model.cdsOrcamentos, screencolumns::orcamentosColumns(),
        {{QStringLiteral("Cód. Vendedor"), currentSalesperson(model)}, {QStringLiteral("Vendedor"), name}});
}

void ScreenExports::exportList(const ScreenModel &model, List list, const Report &report)
{
    const QString path = DialogSeam::current().saveFileName(QStringLiteral("Exportar lista"), csvPath(model, list),
                                                            QStringLiteral("Planilha CSV (*.csv)"));
    if (path.isEmpty())
        return;
    const QByteArray content = csv(model, list);
    writeFile(path, QStringLiteral("Lista gravada em %1"), report,
              [&content](QIODevice &file) { return file.write(content) == content.size(); });
}

void ScreenExports::exportStatement(ScreenModel &model, const QString &branchName, const Report &report)
{
    if (!hasCurrent(*model.cdsOrcamentos))
        return;
    const QString path = DialogSeam::current().saveFileName(QStringLiteral("Extrato da comissão"), statementPath(model),
                                                            QStringLiteral("Documento PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    const CommissionStatement::Content content = statement(model, branchName);
    if (!content.generated)
        return writeStatement(path, content, report);
    const TClientDataSet *quotes = model.cdsOrcamentos;
    model.history(Filtro.stCdFilial, model.cdsVendedores->AsString(Vendedores::CdVendedor.name),
                  [quotes, path, content, report](const CommissionClient::HistoryAnswer &history) {
                      CommissionStatement::Content withHistory = content;
                      addHistory(withHistory, *quotes, history);
                      writeStatement(path, withHistory, report);
                  });
}

QString ScreenExports::filterInWords(const ScreenModel &model)
{
    CommissionClient::Selection selection;
    selection.branch = Filtro.stCdFilial;
    selection.salespeople = stCdVend;
    selection.eventTypes = stCdEven;
    selection.baseDateRule = model.cdsParamOrcaEve->Active()
                                 ? model.cdsParamOrcaEve->AsString(contract::ParamOrcaEve::IdDtBaseComissao.name)
                                 : QString();
    selection.periodStart = Filtro.dtDePeriodo;
    selection.periodEnd = Filtro.dtAtePeriodo;
    selection.commissionStatus = Filtro.Comissao.stGerada;
    return FilterSummary::inWords(selection);
}

CommissionStatement::Content ScreenExports::statement(const ScreenModel &model, const QString &branchName)
{
    const TClientDataSet &salespeople = *model.cdsVendedores;
    const TClientDataSet &quotes = *model.cdsOrcamentos;
    CommissionStatement::Content content;
    content.branch = branchName.trimmed().isEmpty() ? Filtro.stCdFilial
                                                    : QStringLiteral("%1 - %2").arg(Filtro.stCdFilial, branchName);
    content.filter = filterInWords(model);
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
             value(Orcamentos::VrComissao).toDouble(),
             value(Orcamentos::IdCheck).toString() == contract::Domains::Mark::marked});
    }
    return content;
}

void ScreenExports::addHistory(CommissionStatement::Content &content, const TClientDataSet &quotes,
                               const CommissionClient::HistoryAnswer &history)
{
    content.payables = CommissionStatement::payablesIn(history.settlements, payablesOf(quotes, history));
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
