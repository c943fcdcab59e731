#include "screenmodel.h"

#include "handlerguard.h"
#include "hostbusy.h"
#include "hostforms.h"
#include "modulestate.h"
#include "remotecontract.h"
#include "screendatasets.h"
#include "session.h"
#include "signin.h"
#include "tclientdataset.h"
#include "tnetconnection.h"

#include <utility>

using namespace Cli_ORE09700;

const QString ScreenModel::parametersMissingText =
    QStringLiteral("Parâmetros da comissão não carregados: pressione F5 para tentar de novo.");
const QString ScreenModel::loadCancelledText = QStringLiteral("Carga cancelada.");
const QString ScreenModel::alreadySentText =
    QStringLiteral("A operação já foi enviada ao servidor; aguarde a resposta.");

namespace {

TClientDataSet *recordSet(QObject *owner, const char *name, void (*declare)(TClientDataSet &))
{
    auto *set = new TClientDataSet(owner);
    set->setObjectName(QLatin1String(name));
    declare(*set);
    return set;
}

TNetConnection *connectionOf(QObject *owner)
{
    auto *connection = new TNetConnection(owner);
    connection->setObjectName(QStringLiteral("netManuComissao"));
    connection->ServerName = contract::RemoteContract::objectName;
    connection->SecretHeader = contract::RemoteContract::secretHeader;
    connection->ThrowException = false;
    // Replaced from the session by the before-connect handler.
    connection->Host = QStringLiteral("127.0.0.1");
    return connection;
}

}  // namespace

ScreenModel::ScreenModel(QObject *parent)
    : QObject(parent), netManuComissao(connectionOf(this)),
      cdsParamOrcaEve(recordSet(this, "cdsParamOrcaEve", screendatasets::declareParamOrcaEve)),
      cdsVendedores(recordSet(this, "cdsVendedores", screendatasets::declareVendedores)),
      cdsOrcamentos(recordSet(this, "cdsOrcamentos", screendatasets::declareOrcamentos)),
      cdsOrcaPendente(recordSet(this, "cdsOrcaPendente", screendatasets::declareOrcaPendente)),
      m_client(std::make_unique<CommissionClient>(*netManuComissao))
{
    connect(netManuComissao, &TNetConnection::callsChanged, this, [this] { offerWayOut(); });
}

ScreenModel::~ScreenModel()
{
    if (netManuComissao->callsInProgress() > 0)
        WithdrawBusyCancel();
}

CommissionClient &ScreenModel::client()
{
    return *m_client;
}

void ScreenModel::attach(View view)
{
    QuoteLoader::Screen loading;
    loading.service = m_client.get();
    loading.context = this;
    loading.cdsParamOrcaEve = cdsParamOrcaEve;
    loading.cdsVendedores = cdsVendedores;
    loading.cdsOrcamentos = cdsOrcamentos;
    loading.cdsOrcaPendente = cdsOrcaPendente;
    loading.msgPadrao = view.messages;
    loading.activateVendedorTab = view.activateVendedorTab;
    loading.Habilita = view.Habilita;
    loading.showPending = view.showPending;
    loading.listsLoaded = view.listsLoaded;
    loading.callStarted = [this] { callStarted(); };
    loading.callEnded = [this] { callEnded(); };
    m_loader = std::make_unique<QuoteLoader>(loading);

    CommissionSettlement::Screen settling;
    settling.service = m_client.get();
    settling.context = this;
    settling.cdsVendedores = cdsVendedores;
    settling.cdsOrcamentos = cdsOrcamentos;
    settling.msgPadrao = view.messages;
    settling.sbtVerificarClick = [this](std::function<void()> then) {
        m_settlementReload = true;
        m_loader->DadosOrcamento([this, then = std::move(then)](bool ok) {
            m_settlementReload = false;
            if (ok && then)
                then();
        });
    };
    settling.reasonDialog = view.reasonDialog;
    settling.callStarted = [this] { callStarted(); };
    settling.callEnded = [this] { callEnded(); };
    m_settlement = std::make_unique<CommissionSettlement>(settling);
}

bool ScreenModel::busy() const
{
    return m_calls > 0;
}

void ScreenModel::abandonWait()
{
    if (!m_settlementReload && netManuComissao->abandonCalls())
        setNotice(loadCancelledText);
}

QString ScreenModel::statusLine() const
{
    return parametersMissing() ? parametersMissingText : m_notice;
}

void ScreenModel::setNotice(const QString &notice)
{
    const QString before = statusLine();
    m_notice = notice;
    if (statusLine() != before)
        emit statusLineChanged(statusLine());
}

void ScreenModel::offerWayOut()
{
    if (netManuComissao->callsInProgress() == 0)
        WithdrawBusyCancel();
    else if (netManuComissao->callsAbandonable() && !m_settlementReload)
        OfferBusyCancel(this, [this] { abandonWait(); });
    else
        RefuseBusyCancel(alreadySentText);
}

void ScreenModel::resetFilter()
{
    Filtro.dtDePeriodo = 0;
    Filtro.dtAtePeriodo = 0;
    Filtro.Vendedor.boTodos = true;
    Filtro.Vendedor.stLista.clear();
    Filtro.TipoEven.boTodos = true;
    Filtro.TipoEven.stLista.clear();
    boFiltro = true;
    boPrimVez = true;
}

void ScreenModel::prepareConnection(TNetConnection &connection)
{
    connection.Host = WebURL();
    connection.Port = WebPort();
    SignIn::prepare(connection);
}

QString ScreenModel::quoteParameter(const QString &field) const
{
    return cdsParamOrcaEve->IsEmpty() ? QString() : cdsParamOrcaEve->AsString(field);
}

bool ScreenModel::parametersMissing() const
{
    return m_parametersFailed && cdsParamOrcaEve->IsEmpty();
}

QString ScreenModel::listsBranch(const QString &typed)
{
    return Filtro.stCdFilial.isEmpty() ? typed : Filtro.stCdFilial;
}

void ScreenModel::enterBranchPanel()
{
    cdsVendedores->Close();
    cdsOrcamentos->Close();
    boFiltro = true;
}

void ScreenModel::prepareFilter()
{
    inContOrcamento = 0;
    boExibePendednte = true;
    boFiltro = true;
}

void ScreenModel::setListsBranch(const QString &branch)
{
    Filtro.stCdFilial = branch;
}

void ScreenModel::marksChanged()
{
    emit enablingChanged();
}

void ScreenModel::loadParameters(std::function<void()> then)
{
    if (busy())
        return;
    ActiveShowAvi(MainForm(), 6);
    callStarted();
    m_client->getParamOrcaEve(this, [this, then = std::move(then)](const ClientOutcome<packet::Packet> &outcome) {
        const QString before = statusLine();
        const bool loaded = runGuarded([&] {
            DeactiveShowAvi();
            cdsParamOrcaEve->loadFromPacket(outcome.value());
        });
        m_parametersFailed = !loaded;
        if (statusLine() != before)
            emit statusLineChanged(statusLine());
        // The flow goes on once the call is over: what follows may call again.
        callEnded();
        if (loaded && then)
            runGuarded(then);
    });
}

void ScreenModel::reload(std::function<void()> then)
{
    if (busy())
        return;
    m_loader->DadosOrcamento([then = std::move(then)](bool ok) {
        if (ok && then)
            then();
    });
}

void ScreenModel::loadQuotesOfCurrent()
{
    m_loader->cdsVendedoresAfterScroll();
}

void ScreenModel::generate()
{
    if (!busy())
        m_settlement->sbtConfirmarClick();
}

void ScreenModel::cancel()
{
    if (!busy())
        m_settlement->sbtCancelarClick();
}

void ScreenModel::history(const QString &branch, const QString &salesperson,
                          std::function<void(const CommissionClient::HistoryAnswer &history)> then)
{
    if (busy())
        return;
    ActiveShowAvi(MainForm(), 6, QStringLiteral("Buscando o histórico no servidor..."));
    callStarted();
    m_client->getHistoricoComissao(
        branch, salesperson, 0, 0, this,
        [this, then = std::move(then)](const ClientOutcome<CommissionClient::HistoryAnswer> &outcome) {
            const bool fetched = runGuarded([&] {
                DeactiveShowAvi();
                outcome.value();
            });
            callEnded();
            if (fetched)
                runGuarded([&] { then(outcome.value()); });
        });
}

ScreenModel::Commands ScreenModel::enabling(const Focus &focus) const
{
    Commands commands;
    const bool idle = !busy();
    const bool quotesMarked = focus.onOrcamentos && !cdsOrcamentos->IsEmpty() && inContOrcamento > 0;
    commands.procurar =
        idle
        && ((focus.onVendedores && !cdsVendedores->IsEmpty()) || (focus.onOrcamentos && !cdsOrcamentos->IsEmpty()));
    // Without the quote parameters, listing and filtering load them first.
    commands.verificar =
        idle && (parametersMissing() || ((focus.onVendedores || focus.onOrcamentos) && !cdsVendedores->IsEmpty()));
    // Generating and cancelling also need the operator's right at the
    // branch of the lists (the server refuses them without it).
    using contract::RemoteContract;
    commands.mayGenerate = Session::allows(focus.branch, RemoteContract::rightToGenerate);
    commands.mayCancel = Session::allows(focus.branch, RemoteContract::rightToCancel);
    commands.confirmar = idle && commands.mayGenerate && quotesMarked && Filtro.Comissao.stGerada == QLatin1String("N");
    commands.cancelar = idle && commands.mayCancel && quotesMarked && Filtro.Comissao.stGerada == QLatin1String("S");
    // The filter needs the quote parameters, which an activation loads.
    commands.filtrar = idle && (!boPrimVez || parametersMissing());
    commands.extrato = idle && cdsOrcamentos->Active() && !cdsOrcamentos->IsEmpty();
    return commands;
}

void ScreenModel::callStarted()
{
    if (m_calls++ > 0)
        return;
    // A load given up is old news once the next command runs.
    setNotice(QString());
    emit busyChanged(true);
}

void ScreenModel::callEnded()
{
    if (--m_calls == 0)
        emit busyChanged(false);
}
