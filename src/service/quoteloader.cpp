#include "quoteloader.h"

#include "handlerguard.h"
#include "hostoperations.h"
#include "modulestate.h"
#include "paramorcaeve.h"
#include "tclientdataset.h"
#include "tmessages.h"
#include "vendedores.h"

#include <QScopeGuard>

#include <exception>

#include <utility>

using namespace Cli_ORE09700;

namespace {

const QString busyTextKey = QStringLiteral("GetComissao");
const QString pendingTextKey = QStringLiteral("VEND_S_COMISSAO");
constexpr int fetchingAnimation = 6;

// Raises the packet's error when it does not fit the set, without touching
// the set: the set is loaded only once every packet of an answer fits.
void checkFits(const TClientDataSet &set, const packet::Packet &content)
{
    TClientDataSet trial;
    for (const FieldDef &field : set.fields())
        trial.addField(field);
    trial.loadFromPacket(content);
}

// The set with its fields and no rows.
packet::Packet emptyContent(const TClientDataSet &set)
{
    packet::Packet content;
    for (const FieldDef &field : set.fields())
        content.fields.append({field.name, field.kind, field.size});
    return content;
}

}  // namespace

QuoteLoader::QuoteLoader(Screen screen) : m_screen(std::move(screen)) {}

void QuoteLoader::DadosOrcamento(Done done)
{
    inContOrcamento = 0;
    stCdVend = Filtro.Vendedor.boTodos ? QString() : Filtro.Vendedor.stLista;
    stCdEven = Filtro.TipoEven.boTodos ? QString() : Filtro.TipoEven.stLista;

    ActiveShowAvi(MainForm(), fetchingAnimation, m_screen.msgPadrao->Msg(busyTextKey));
    const CommissionClient::Selection loaded = selection(stCdVend);
    started();
    m_screen.service->getVendedores(
        loaded, m_screen.context,
        [this, loaded, done](const ClientOutcome<CommissionClient::SalespeopleAnswer> &outcome) {
            const auto over = qScopeGuard([this] { ended(); });
            runGuarded([&] { salespeopleArrived(loaded, outcome, done); });
        });
}

// However the load ends, the salespeople tab comes to the front and the
// commands follow the new state.
void QuoteLoader::finish() const
{
    m_screen.activateVendedorTab();
    m_screen.Habilita();
}

void QuoteLoader::salespeopleArrived(const CommissionClient::Selection &loaded,
                                     const ClientOutcome<CommissionClient::SalespeopleAnswer> &outcome,
                                     const Done &done)
{
    try {
        loadSalespeople(outcome.value());
        if (m_screen.listsLoaded)
            m_screen.listsLoaded(loaded);
    } catch (...) {
        DeactiveShowAvi();
        finish();
        notify(done, false);
        throw;
    }
    // The quotes of the first salesperson, then the pending dialog.
    loadQuotes([this, done](const std::exception_ptr &error) {
        if (error) {
            finish();
            notify(done, false);
            std::rethrow_exception(error);
        }
        showPendingOnce();
        finish();
        notify(done, true);
    });
}

void QuoteLoader::cdsVendedoresAfterScroll(Done done)
{
    if (m_replacingSalespeople)
        return;
    loadQuotes([done](const std::exception_ptr &error) {
        notify(done, !error);
        if (error)
            std::rethrow_exception(error);
    });
}

// `then` runs in the completion once the quotes are in, or emptied after an
// error; what it raises is shown as a handler's error.
void QuoteLoader::loadQuotes(std::function<void(const std::exception_ptr &error)> then)
{
    ActiveShowAvi(MainForm(), fetchingAnimation, m_screen.msgPadrao->Msg(busyTextKey));
    const QString salesperson = m_screen.cdsVendedores->AsString(contract::Vendedores::CdVendedor.name);
    started();
    m_screen.service->getOrcamentos(selection(salesperson), m_screen.context,
                                    [this, then](const ClientOutcome<packet::Packet> &outcome) {
                                        const auto over = qScopeGuard([this] { ended(); });
                                        runGuarded([&] { then(quotesArrived(outcome)); });
                                    });
}

std::exception_ptr QuoteLoader::quotesArrived(const ClientOutcome<packet::Packet> &outcome)
{
    std::exception_ptr error;
    try {
        m_screen.cdsOrcamentos->loadFromPacket(outcome.value());
    } catch (...) {
        // Quotes of another salesperson must never stay under this one's name.
        error = std::current_exception();
        emptyQuotes();
    }
    DeactiveShowAvi();
    inContOrcamento = m_screen.cdsOrcamentos->RecordCount();
    m_screen.Habilita();
    return error;
}

void QuoteLoader::notify(const Done &done, bool ok)
{
    if (done)
        done(ok);
}

void QuoteLoader::started() const
{
    if (m_screen.callStarted)
        m_screen.callStarted();
}

void QuoteLoader::ended() const
{
    if (m_screen.callEnded)
        m_screen.callEnded();
}

// The filter as the service takes it; the event types are those of the last
// salesperson load, the salespeople the list or the one code given.
CommissionClient::Selection QuoteLoader::selection(const QString &salespeople) const
{
    CommissionClient::Selection selection;
    selection.branch = Filtro.stCdFilial;
    selection.salespeople = salespeople;
    selection.eventTypes = stCdEven;
    selection.baseDateRule = m_screen.cdsParamOrcaEve->AsString(contract::ParamOrcaEve::IdDtBaseComissao.name);
    selection.generationRule = m_screen.cdsParamOrcaEve->AsString(contract::ParamOrcaEve::IdGeraComissaoVend.name);
    selection.periodStart = Filtro.dtDePeriodo;
    selection.periodEnd = Filtro.dtAtePeriodo;
    selection.commissionStatus = Filtro.Comissao.stGerada;
    return selection;
}

// Both lists or neither. Replacing the salespeople may report a scroll; the
// quotes are loaded once, afterwards, by the caller.
void QuoteLoader::loadSalespeople(const CommissionClient::SalespeopleAnswer &answer)
{
    checkFits(*m_screen.cdsOrcaPendente, answer.pending);
    {
        m_replacingSalespeople = true;
        const auto scrollBack = qScopeGuard([this] { m_replacingSalespeople = false; });
        m_screen.cdsVendedores->loadFromPacket(answer.salespeople);
    }
    m_screen.cdsOrcaPendente->loadFromPacket(answer.pending);
}

void QuoteLoader::emptyQuotes()
{
    m_screen.cdsOrcamentos->loadFromPacket(emptyContent(*m_screen.cdsOrcamentos));
}

// Shown after the busy indicator went off, at most once per filter run: the
// filter command allows it again.
void QuoteLoader::showPendingOnce()
{
    if (!boExibePendednte || m_screen.cdsOrcaPendente->IsEmpty())
        return;
    m_screen.showPending(m_screen.cdsOrcaPendente, m_screen.msgPadrao->Msg(pendingTextKey));
    boExibePendednte = false;
}
