#include "quoteloader.h"

#include "hostoperations.h"
#include "modulestate.h"
#include "tclientdataset.h"
#include "tmessages.h"

#include <QScopeGuard>

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

void QuoteLoader::DadosOrcamento()
{
    inContOrcamento = 0;
    stCdVend = Filtro.Vendedor.boTodos ? QString() : Filtro.Vendedor.stLista;
    stCdEven = Filtro.TipoEven.boTodos ? QString() : Filtro.TipoEven.stLista;

    // However the load ends, the salespeople tab comes to the front and the
    // commands follow the new state.
    const auto finish = [this] {
        m_screen.activateVendedorTab();
        m_screen.Habilita();
    };
    auto finishOnError = qScopeGuard(finish);
    {
        const BusyWhile busy(MainForm(), fetchingAnimation, m_screen.msgPadrao->Msg(busyTextKey));
        const CommissionClient::Selection loaded = selection(stCdVend);
        loadSalespeople(m_screen.service->GetVendedores(loaded));
        if (m_screen.listsLoaded)
            m_screen.listsLoaded(loaded);
        cdsVendedoresAfterScroll();
    }
    showPendingOnce();
    finishOnError.dismiss();
    finish();
}

void QuoteLoader::cdsVendedoresAfterScroll()
{
    if (m_replacingSalespeople)
        return;

    const auto finish = [this] {
        inContOrcamento = m_screen.cdsOrcamentos->RecordCount();
        m_screen.Habilita();
    };
    auto finishOnError = qScopeGuard(finish);
    {
        const BusyWhile busy(MainForm(), fetchingAnimation, m_screen.msgPadrao->Msg(busyTextKey));
        // Quotes of another salesperson must never stay under this one's name.
        auto emptyOnError = qScopeGuard([this] { emptyQuotes(); });
        loadQuotes();
        emptyOnError.dismiss();
    }
    finishOnError.dismiss();
    finish();
}

// The filter as the service takes it; the event types are those of the last
// salesperson load, the salespeople the list or the one code given.
CommissionClient::Selection QuoteLoader::selection(const QString &salespeople) const
{
    CommissionClient::Selection selection;
    selection.branch = Filtro.stCdFilial;
    selection.salespeople = salespeople;
    selection.eventTypes = stCdEven;
    selection.baseDateRule = m_screen.cdsParamOrcaEve->AsString(QStringLiteral("IDDTBASECOMISSAO"));
    selection.generationRule = m_screen.cdsParamOrcaEve->AsString(QStringLiteral("IDGERACOMISSAOVEND"));
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

void QuoteLoader::loadQuotes()
{
    const QString salesperson = m_screen.cdsVendedores->AsString(QStringLiteral("CDVENDEDOR"));
    m_screen.cdsOrcamentos->loadFromPacket(m_screen.service->GetOrcamentos(selection(salesperson)));
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
