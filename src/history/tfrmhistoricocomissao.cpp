#include "tfrmhistoricocomissao.h"

#include "commissionclient.h"
#include "daycount.h"
#include "handlerguard.h"
#include "historicocomissao.h"
#include "historicoorcamentos.h"
#include "hostbusy.h"
#include "hostoperations.h"
#include "modalrun.h"
#include "periodtext.h"
#include "screendatasets.h"
#include "tclientdataset.h"
#include "tdatasource.h"
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
    resize(1000, 540);

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

    lblPeriodo = new QLabel(
        QStringLiteral("Período: %1").arg(PeriodText::describe(d->request.periodStart, d->request.periodEnd)), this);
    lblPeriodo->setObjectName(QStringLiteral("lblPeriodo"));

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
    settlementsTitle->setBuddy(dbgHistorico);
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
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(who);
    layout->addWidget(lblPeriodo);
    layout->addWidget(settlementsTitle);
    layout->addWidget(dbgHistorico, 3);
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
                runGuarded([this] { load(); });
        });
    }
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
        d->request.branch, salesperson, d->request.periodStart, d->request.periodEnd, this,
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
    dbgHistorico->setEnabled(!held);
    dbgHistoricoOrcamentos->setEnabled(!held);
    if (!held)
        dbgHistorico->setFocus();
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
