#include "tfrmhistoricocomissao.h"

#include "commissionclient.h"
#include "daycount.h"
#include "domains.h"
#include "handlerguard.h"
#include "historicocomissao.h"
#include "historicoorcamentos.h"
#include "hostbusy.h"
#include "hostmessages.h"
#include "hostoperations.h"
#include "modalrun.h"
#include "numbertext.h"
#include "periodtext.h"
#include "screendatasets.h"
#include "silentabort.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdateeditplus.h"
#include "tdbgrid.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int fetchingAnimation = 6;
const QString fetchingText = QStringLiteral("Buscando o histórico no servidor...");
// The period proposed: the last 30 days through today.
constexpr int proposedDays = 30;

// How many generations and cancellations are listed, and their amounts.
QString totalsOf(const packet::Packet &settlements)
{
    using H = contract::HistoricoComissao;
    const int operation = settlements.fieldIndex(H::IdOperacao.name);
    const int amount = settlements.fieldIndex(H::VrComissao.name);
    int generations = 0, cancellations = 0;
    double generated = 0, cancelled = 0;
    for (const QVector<QVariant> &row : settlements.rows) {
        const double value = amount >= 0 ? row[amount].toDouble() : 0;
        if (operation >= 0 && row[operation].toString() == contract::Domains::Operation::cancellation) {
            ++cancellations;
            cancelled += value;
        } else {
            ++generations;
            generated += value;
        }
    }
    return QStringLiteral("Gerações: %1 · %2    Cancelamentos: %3 · %4")
        .arg(generations)
        .arg(NumberText::amount(generated))
        .arg(cancellations)
        .arg(NumberText::amount(cancelled));
}

QString periodOf(const TDateEditPlus &from, const TDateEditPlus &to)
{
    return QStringLiteral("Período das operações: %1").arg(PeriodText::describe(from.GetDate(), to.GetDate()));
}

// The reason, the longest column and shown whole under the grid, goes last,
// so the payable's state stays in view beside whether it is paid.
void reasonLast(TDBGrid &grid)
{
    QVector<TDBGrid::TColumn> columns;
    TDBGrid::TColumn reason;
    for (int i = 0; i < grid.columnCount(); ++i) {
        const TDBGrid::TColumn column = grid.Column(i);
        if (column.fieldName == contract::HistoricoComissao::DsMotivo.name)
            reason = column;
        else
            columns.append(column);
    }
    columns.append(reason);
    grid.setColumns(columns);
}

// A date edit with its label, the label's access key leading to it.
TDateEditPlus *dateEdit(QWidget *parent, QHBoxLayout *row, const QString &label, const char *name)
{
    auto *title = new QLabel(label, parent);
    auto *edit = new TDateEditPlus(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMinimumWidth(150);
    title->setBuddy(edit);
    row->addWidget(title);
    row->addWidget(edit);
    return edit;
}

}  // namespace

struct TfrmHistoricoComissao::Private {
    CommissionClient &service;
    Request request;
    packet::Packet quotes;  // of every settlement listed
    bool loading = false;
    std::function<void(bool loaded)> loaded;  // of the load under way
    TDataSource settlementsSource;
    TDataSource quotesSource;

    Private(CommissionClient &s, Request r) : service(s), request(std::move(r)) {}
};

TfrmHistoricoComissao::TfrmHistoricoComissao(CommissionClient &service, Request request, QWidget *parent)
    : QDialog(parent), d(std::make_unique<Private>(service, std::move(request)))
{
    setObjectName(QStringLiteral("frmHistoricoComissao"));
    setWindowTitle(QStringLiteral("Histórico da Comissão"));
    resize(1100, 560);

    auto *who = new QGroupBox(QStringLiteral("Vendedores"), this);
    rbtHistoricoVendedor = new QRadioButton(who);
    rbtHistoricoVendedor->setObjectName(QStringLiteral("rbtHistoricoVendedor"));
    rbtHistoricoVendedor->setText(
        d->request.salesperson.isEmpty()
            ? QStringLiteral("&Vendedor atual")
            : QStringLiteral("&Vendedor %1 - %2").arg(d->request.salesperson, d->request.salespersonName));
    rbtHistoricoVendedor->setEnabled(!d->request.salesperson.isEmpty());
    rbtHistoricoTodos =
        new QRadioButton(QStringLiteral("&Todos os vendedores da filial %1").arg(d->request.branch), who);
    rbtHistoricoTodos->setObjectName(QStringLiteral("rbtHistoricoTodos"));
    (d->request.salesperson.isEmpty() ? rbtHistoricoTodos : rbtHistoricoVendedor)->setChecked(true);
    auto *whoLayout = new QHBoxLayout(who);
    whoLayout->addWidget(rbtHistoricoVendedor);
    whoLayout->addWidget(rbtHistoricoTodos);
    whoLayout->addStretch();

    auto *period = new QHBoxLayout;
    depHistoricoDe = dateEdit(this, period, QStringLiteral("&De:"), "depHistoricoDe");
    depHistoricoAte = dateEdit(this, period, QStringLiteral("&Até:"), "depHistoricoAte");
    const QDate today = QDate::currentDate();
    depHistoricoDe->SetDate(packet::toDayCount(today.addDays(1 - proposedDays)));
    depHistoricoAte->SetDate(packet::toDayCount(today));
    btnAtualizar = new QPushButton(QStringLiteral("Atuali&zar"), this);
    btnAtualizar->setObjectName(QStringLiteral("btnAtualizar"));
    btnAtualizar->setToolTip(QStringLiteral("Buscar as operações do período (Enter)"));
    period->addWidget(btnAtualizar);
    period->addSpacing(16);
    lblPeriodo = new QLabel(periodOf(*depHistoricoDe, *depHistoricoAte), this);
    lblPeriodo->setObjectName(QStringLiteral("lblPeriodo"));
    period->addWidget(lblPeriodo, 1);

    cdsHistorico = new TClientDataSet(this);
    cdsHistorico->setObjectName(QStringLiteral("cdsHistorico"));
    screendatasets::declareHistorico(*cdsHistorico);
    cdsHistorico->Open();
    cdsHistoricoOrcamentos = new TClientDataSet(this);
    cdsHistoricoOrcamentos->setObjectName(QStringLiteral("cdsHistoricoOrcamentos"));
    screendatasets::declareHistoricoOrcamentos(*cdsHistoricoOrcamentos);
    cdsHistoricoOrcamentos->Open();
    d->settlementsSource.setDataSet(cdsHistorico);
    d->quotesSource.setDataSet(cdsHistoricoOrcamentos);

    auto *settlementsTitle = new QLabel(QStringLiteral("&Gerações e cancelamentos"), this);
    dbgHistorico = new TDBGrid(this);
    dbgHistorico->setObjectName(QStringLiteral("dbgHistorico"));
    dbgHistorico->setDataSource(&d->settlementsSource);
    reasonLast(*dbgHistorico);
    settlementsTitle->setBuddy(dbgHistorico);
    lblTotalHistorico = new QLabel(this);
    lblTotalHistorico->setObjectName(QStringLiteral("lblTotalHistorico"));
    lblMotivoAtual = new QLabel(this);
    lblMotivoAtual->setObjectName(QStringLiteral("lblMotivoAtual"));
    lblMotivoAtual->setWordWrap(true);
    lblMotivoAtual->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblMotivoAtual->setVisible(false);
    connect(cdsHistorico, &TClientDataSet::currentChanged, this, [this] { showReasonOfCurrent(); });
    connect(cdsHistorico, &TClientDataSet::contentReset, this, [this] { showReasonOfCurrent(); });
    auto *quotesTitle =
        new QLabel(QStringLiteral("&Orçamentos da geração ou do cancelamento (Enter ou duplo clique acima)"), this);
    dbgHistoricoOrcamentos = new TDBGrid(this);
    dbgHistoricoOrcamentos->setObjectName(QStringLiteral("dbgHistoricoOrcamentos"));
    dbgHistoricoOrcamentos->setDataSource(&d->quotesSource);
    quotesTitle->setBuddy(dbgHistoricoOrcamentos);

    auto *buttons = new QDialogButtonBox(this);
    btnFechar = buttons->addButton(QStringLiteral("&Fechar"), QDialogButtonBox::RejectRole);
    btnFechar->setObjectName(QStringLiteral("btnFechar"));
    // Enter outside the grids (they take it themselves) loads the period.
    btnFechar->setAutoDefault(false);
    btnAtualizar->setDefault(true);
    connect(btnAtualizar, &QPushButton::clicked, this, [this] { runGuarded([this] { btnAtualizarClick(); }); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(who);
    layout->addLayout(period);
    layout->addWidget(settlementsTitle);
    layout->addWidget(dbgHistorico, 3);
    layout->addWidget(lblTotalHistorico);
    layout->addWidget(lblMotivoAtual);
    layout->addWidget(quotesTitle);
    layout->addWidget(dbgHistoricoOrcamentos, 2);
    layout->addWidget(buttons);

    dbgHistorico->OnDblClick = [this] { showQuotesOfCurrent(); };
    dbgHistorico->OnKeyDown = [this](int &key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            showQuotesOfCurrent();
            key = 0;
        }
    };
    for (QRadioButton *choice : {rbtHistoricoVendedor, rbtHistoricoTodos}) {
        connect(choice, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                runGuarded([this] { btnAtualizarClick(); });
        });
    }
    const QList<QWidget *> tabOrder{rbtHistoricoVendedor, rbtHistoricoTodos, depHistoricoDe,         depHistoricoAte,
                                    btnAtualizar,         dbgHistorico,      dbgHistoricoOrcamentos, btnFechar};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    dbgHistorico->setFocus();
}

TfrmHistoricoComissao::~TfrmHistoricoComissao()
{
    // Closed before its answer came: the answer is dropped, and so is the
    // indicator it would have switched off.
    if (d->loading)
        DeactiveShowAvi();
}

void TfrmHistoricoComissao::load(std::function<void(bool loaded)> done)
{
    if (d->loading)
        return;
    const QString salesperson = rbtHistoricoVendedor->isChecked() ? d->request.salesperson : QString();
    d->loading = true;
    d->loaded = std::move(done);
    hold(true);
    ActiveShowAvi(this, fetchingAnimation, fetchingText);
    d->service.getHistoricoComissao(
        d->request.branch, salesperson, depHistoricoDe->date(), depHistoricoAte->date(), this,
        [this](const ClientOutcome<CommissionClient::HistoryAnswer> &outcome) { historyArrived(outcome); });
}

bool TfrmHistoricoComissao::loading() const
{
    return d->loading;
}

void TfrmHistoricoComissao::historyArrived(const ClientOutcome<CommissionClient::HistoryAnswer> &outcome)
{
    d->loading = false;
    DeactiveShowAvi();
    hold(false);
    const bool loaded = runGuarded([&] {
        const CommissionClient::HistoryAnswer &answer = outcome.value();
        cdsHistorico->loadFromPacket(answer.settlements);
        d->quotes = answer.quotes;
        showPeriodAndTotals(answer.settlements);
        packet::Packet none;
        none.fields = d->quotes.fields;
        cdsHistoricoOrcamentos->loadFromPacket(none);
    });
    if (const auto done = std::exchange(d->loaded, {}))
        runGuarded([&] { done(loaded); });
    emit loadEnded(loaded);
}

// What the operator could change or ask for waits for the answer; the
// dialog itself can still be closed.
void TfrmHistoricoComissao::hold(bool held)
{
    rbtHistoricoVendedor->setEnabled(!held && !d->request.salesperson.isEmpty());
    rbtHistoricoTodos->setEnabled(!held);
    for (QWidget *control : std::initializer_list<QWidget *>{depHistoricoDe, depHistoricoAte, btnAtualizar})
        control->setEnabled(!held);
    dbgHistorico->setEnabled(!held);
    dbgHistoricoOrcamentos->setEnabled(!held);
    if (!held)
        dbgHistorico->setFocus();
}

void TfrmHistoricoComissao::btnAtualizarClick()
{
    depHistoricoDe->CheckValidDate();
    depHistoricoAte->CheckValidDate();
    const QDate from = depHistoricoDe->date();
    const QDate to = depHistoricoAte->date();
    if (from.isValid() && to.isValid() && from > to) {
        // The field the operator is in is the one to correct; else the start.
        TDateEditPlus *bad = depHistoricoAte->isAncestorOf(focusWidget()) ? depHistoricoAte : depHistoricoDe;
        MensErro(QStringLiteral("A data inicial do histórico (%1) é posterior à data final (%2). Informe uma data "
                                "inicial menor ou igual à final.")
                     .arg(depHistoricoDe->text(), depHistoricoAte->text()),
                 false);
        bad->setFocus();
        Abort();
    }
    load();
}

void TfrmHistoricoComissao::showPeriodAndTotals(const packet::Packet &settlements)
{
    lblPeriodo->setText(periodOf(*depHistoricoDe, *depHistoricoAte));
    lblTotalHistorico->setText(totalsOf(settlements));
}

void TfrmHistoricoComissao::showQuotesOfCurrent()
{
    packet::Packet ofCurrent;
    ofCurrent.fields = d->quotes.fields;
    if (!cdsHistorico->IsEmpty()) {
        const double settlement = cdsHistorico->AsFloat(contract::HistoricoComissao::NrAuditComissao.name);
        const int audit = d->quotes.fieldIndex(contract::HistoricoOrcamentos::NrAuditComissao.name);
        for (const QVector<QVariant> &row : std::as_const(d->quotes.rows)) {
            if (audit >= 0 && row[audit].toDouble() == settlement)
                ofCurrent.rows.append(row);
        }
    }
    cdsHistoricoOrcamentos->loadFromPacket(ofCurrent);
}

void TfrmHistoricoComissao::showReasonOfCurrent()
{
    const QString reason = cdsHistorico->Active() && !cdsHistorico->IsEmpty()
                               ? cdsHistorico->AsString(contract::HistoricoComissao::DsMotivo.name).trimmed()
                               : QString();
    lblMotivoAtual->setText(reason.isEmpty() ? QString() : QStringLiteral("Motivo: %1").arg(reason));
    lblMotivoAtual->setVisible(!reason.isEmpty());
}

void CriaHistoricoComissao(CommissionClient &service, const TfrmHistoricoComissao::Request &request, QWidget *parent)
{
    TfrmHistoricoComissao dialog(service, request, parent);
    ModalRun run(dialog);
    bool failed = false;
    // A first load that fails closes the dialog: there is nothing to show.
    dialog.load([&](bool loaded) {
        if (loaded)
            return;
        failed = true;
        if (run.running())
            dialog.reject();
    });
    if (!failed)
        run.exec();
}
