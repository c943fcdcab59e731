#include "tfrmmancomis.h"

#include "filtersummary.h"
#include "focuschain.h"
#include "gridpainting.h"
#include "handlerguard.h"
#include "hostoperations.h"
#include "mainform.h"
#include "modulestate.h"
#include "screenexports.h"
#include "screenlayout.h"
#include "session.h"
#include "signin.h"
#include "silentabort.h"
#include "tbtnpesquisa.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tfrmfiltromanucomissao.h"
#include "tfrmhistoricocomissao.h"
#include "tfrmmotivocancelamento.h"
#include "tfrmorcapendednte.h"
#include "tnetconnection.h"
#include "typeahead.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>

using namespace Cli_ORE09700;

namespace {

// A command the operator holds no right to at the branch says so where its
// hint would be: on the button and in the menu's status line.
void showRight(QToolButton *button, QAction *entry, bool allowed, const QString &hint, const QString &denied)
{
    button->setToolTip(allowed ? hint : denied);
    entry->setStatusTip(allowed ? QString() : denied);
}

}  // namespace

struct TfrmManComis::Private {
    std::unique_ptr<TypeAhead> typeAhead;
    std::unique_ptr<GridPainting> painting;
    // The outcome of the last filter dialog, read by the panel's exit.
    int lastFilterOutcome = mrNone;
    // The control that had the focus when the screen was closed.
    QPointer<QWidget> focusAtClose;
};

TfrmManComis::TfrmManComis(QWidget *parent) : TfrmPadraoGrid(parent), d(std::make_unique<Private>())
{
    setObjectName(QStringLiteral("frmManComis"));
    // Record sets and the connection: the model's.
    m_model = new ScreenModel(this);
    cdsParamOrcaEve = m_model->cdsParamOrcaEve;
    cdsVendedores = m_model->cdsVendedores;
    cdsOrcamentos = m_model->cdsOrcamentos;
    cdsOrcaPendente = m_model->cdsOrcaPendente;
    netManuComissao = m_model->netManuComissao;
    setWindowTitle(QStringLiteral("Manutenção da Comissão"));
    lblCodTela->setText(QStringLiteral("ORE09700"));
    setScreenGeometry(267, 165, 969, 448);
    ScreenLayout::toolbar(*this);
    m_branch = ScreenLayout::branchPanel(*this);
    ScreenLayout::grids(*this);
    ScreenLayout::summaries(*this);
    ScreenLayout::menus(*this);
    // Keyboard order: the branch panel first, then the page control and grids.
    QWidget::setTabOrder(edtNmFilial, pgcPadrao);
    QWidget::setTabOrder(pgcPadrao, dbgPadrao);
    QWidget::setTabOrder(dbgPadrao, dbgOrcamento);

    wireCommands();
    wireGrids();
    wireFocus();
    wireModel();
}

TfrmManComis::~TfrmManComis()
{
    // The host deletes its child windows before it unloads the module: the
    // module's pointer must not be left pointing at a deleted screen, and the
    // next IniProc builds a new one.
    if (Cli_ORE09700::frmManComis == this) {
        Cli_ORE09700::frmManComis = nullptr;
        Cli_ORE09700::boIdCriado = false;
    }
    m_branch->reportClosed();
}

// --- binding -----------------------------------------------------------------

void TfrmManComis::wireCommands()
{
    const auto click = [this](QToolButton *button, void (TfrmManComis::*handler)(QObject *)) {
        connect(button, &QToolButton::clicked, this, guarded([this, button, handler] { (this->*handler)(button); }));
    };
    const auto trigger = [this](QAction *entry, void (TfrmManComis::*handler)(QObject *)) {
        connect(entry, &QAction::triggered, this, guarded([this, entry, handler] { (this->*handler)(entry); }));
    };
    click(sbtFiltrar, &TfrmManComis::sbtFiltrarClick);
    click(sbtVerificar, &TfrmManComis::sbtVerificarClick);
    click(sbtProcurar, &TfrmManComis::sbtProcurarClick);
    click(sbtConfirmar, &TfrmManComis::sbtConfirmarClick);
    click(sbtCancelar, &TfrmManComis::sbtCancelarClick);
    trigger(mnuFiltrar, &TfrmManComis::mnuFiltrarClick);
    trigger(mnuHistorico, &TfrmManComis::mnuHistoricoClick);
    trigger(mnuExportar, &TfrmManComis::mnuExportarClick);
    trigger(mnuExtrato, &TfrmManComis::mnuExtratoClick);
    connect(pgcPadrao, &QTabWidget::currentChanged, this, guarded([this](int) { pgcPadraoChange(pgcPadrao); }));
    connect(medCdFilial, &QLineEdit::textChanged, this,
            guarded([this](const QString &) { medCdFilialChange(medCdFilial); }));
    btnFilial->OnAfterPesq = [this] { btnFilialAfterPesq(btnFilial); };
}

void TfrmManComis::wireGrids()
{
    // The screen follows data changes itself; the base's state reaction is off.
    dtsPadrao->OnStateChange = nullptr;
    dtsPadrao->OnDataChange = [this](TDataSource &) { dtsPadraoDataChange(dtsPadrao); };
    dtsOrcamento->OnStateChange = [this](TDataSource &) { dtsOrcamentoStateChange(dtsOrcamento); };
    cdsVendedores->AfterScroll = [this](TClientDataSet &) { cdsVendedoresAfterScroll(); };

    // Both grids paint their cells themselves, the marks from the toolbar's images.
    d->painting = GridPainting::bind(
        *dbgOrcamento, *dbgPadrao,
        CheckBoxImages{imgCheck->pixmap().toImage(), imgUncheck->pixmap().toImage(), imgDescheck->pixmap().toImage()});

    m_marking = std::make_unique<QuoteMarking>(*m_model, *dbgOrcamento);
    dbgOrcamento->OnDblClick = [this] { dbgOrcamentoDblClick(dbgOrcamento); };
    dbgOrcamento->OnCellClick = [this](const TDBGrid::TColumn &column) { dbgOrcamentoCellClick(column); };
    dbgOrcamento->OnKeyDown = [this](int &key, Qt::KeyboardModifiers shift) {
        dbgOrcamentoKeyDown(dbgOrcamento, key, shift);
    };
    dbgOrcamento->OnTitleClick = [this](const TDBGrid::TColumn &column) { dbgOrcamentoTitleClick(column); };
    dbgOrcamento->OnKeyPress = [this](QChar &key) { dbgOrcamentoKeyPress(dbgOrcamento, key); };
    dbgOrcamento->OnColEnter = [this] { dbgOrcamentoColEnter(dbgOrcamento); };
    cdsOrcamentos->BeforePost = [this](TClientDataSet &dataSet) { cdsOrcamentosBeforePost(dataSet); };
}

void TfrmManComis::wireFocus()
{
    // A tab page that hides while it holds the focus hands the focus to the
    // page control (see eventFilter).
    tshPadrao->installEventFilter(this);
    tshOrcamento->installEventFilter(this);

    FocusChain &focus = FocusChain::instance();
    focus.setEnterHandler(medCdFilial, [this] { medCdFilialEnter(medCdFilial); });
    focus.setExitHandler(medCdFilial, [this] { medCdFilialExit(medCdFilial); });
    focus.setEnterHandler(panManComis, [this] { panManComisEnter(); });
    focus.setExitHandler(panManComis, [this] { panManComisExit(); });
    focus.setEnterHandler(dbgPadrao, [this] { dbgPadraoEnter(dbgPadrao); });
    focus.setEnterHandler(dbgOrcamento, [this] { dbgOrcamentoEnter(dbgOrcamento); });
}

void TfrmManComis::wireModel()
{
    netManuComissao->BeforeConnect = [this](TNetConnection &connection) { netManuComissaoBeforeConnect(connection); };
    ScreenModel::View view;
    view.messages = msgPadrao;
    view.activateVendedorTab = [this] { pgcPadrao->setCurrentWidget(tshPadrao); };
    view.Habilita = [this] { Habilita(); };
    view.showPending = [](TClientDataSet *pending, const QString &text) { CriaOrcaPendedente(pending, text); };
    view.listsLoaded = [this](const CommissionClient::Selection &selection) { showLoadedFilter(selection); };
    view.reasonDialog = [this] { return TfrmMotivoCancelamento::ask(this); };
    m_model->attach(view);
    connect(m_model, &ScreenModel::enablingChanged, this, [this] { Habilita(); });
    connect(m_model, &ScreenModel::statusLineChanged, this, [this](const QString &text) {
        lblSituacao->setText(text);
        lblSituacao->setToolTip(text);
        lblSituacao->setVisible(!text.isEmpty());
    });
    // While a call runs the commands are off and the operator's input waits
    // (see TypeAhead); afterwards the enabling rules decide again.
    d->typeAhead = std::make_unique<TypeAhead>(this);
    connect(m_model, &ScreenModel::busyChanged, this, [this](bool busy) {
        d->typeAhead->setHolding(busy);
        runGuarded([this] { Habilita(); });
    });
}

bool TfrmManComis::eventFilter(QObject *watched, QEvent *event)
{
    // Left alone, the toolkit would move the focus of a hidden page on to the
    // next control in the window, which can be the branch code field: entering
    // the branch panel that way would empty both lists on a mere change of tab.
    const bool pageChange = pgcPadrao->isVisible();
    if (event->type() == QEvent::Hide && pageChange && (watched == tshPadrao || watched == tshOrcamento)) {
        auto *page = static_cast<QWidget *>(watched);
        QWidget *focus = QApplication::focusWidget();
        if (focus != nullptr && page->isAncestorOf(focus))
            pgcPadrao->setFocus();
    }
    return TfrmPadraoGrid::eventFilter(watched, event);
}

// --- lifecycle ---------------------------------------------------------------

void TfrmManComis::FormCreate()
{
    TfrmPadraoGrid::FormCreate();
    netManuComissao->setConnected(true);
    m_model->resetFilter();
}

void TfrmManComis::FormActivate()
{
    TfrmPadraoGrid::FormActivate();
    restoreFocusAfterClose();
    m_branch->reportReopened();
    if (!boPrimVez)
        return activated();
    // The rest of the activation follows once the quote parameters are in.
    firstActivation([this] {
        boPrimVez = false;
        activated();
    });
}

void TfrmManComis::activated()
{
    panManComisExit();
    update();
    Habilita();
}

void TfrmManComis::firstActivation(std::function<void()> then)
{
    const bool fixed = ModuFili();
    m_branch->takeSession(FiliProc(), NomeFiliProc(), fixed);
    if (fixed) {
        dbgPadrao->setFocus();
        SetChildEnabled(panManComis, false);
        Vd_Filial();
    } else {
        medCdFilial->setFocus();
    }
    m_model->loadParameters(std::move(then));
}

void TfrmManComis::FormClose()
{
    TfrmPadraoGrid::FormClose();
    netManuComissao->setConnected(false);
    d->focusAtClose = ActiveControl();
    m_branch->reportClosed();
}

void TfrmManComis::restoreFocusAfterClose()
{
    // Shown again, the child window would otherwise put the focus on its first
    // control, the branch code field, and entering the branch panel empties
    // the lists: a screen brought back keeps the focus where the user left it.
    if (QWidget *control = d->focusAtClose) {
        d->focusAtClose = nullptr;
        control->setFocus();
    }
}

void TfrmManComis::showLoadedFilter(const CommissionClient::Selection &selection)
{
    const FilterSummary::Line line = FilterSummary::ofFilterDialog(selection);
    lblFiltroAtual->setText(line.text);
    lblFiltroAtual->setToolTip(line.toolTip);
}

void TfrmManComis::showStatus(const QString &text)
{
    m_model->setNotice(text);
    // Inside the host the status bar says it too, for a while.
    if (auto *host = qobject_cast<QMainWindow *>(MainForm()))
        host->statusBar()->showMessage(text, 15000);
}

// --- commands ----------------------------------------------------------------

void TfrmManComis::loadParametersThenFilter()
{
    m_model->loadParameters([this] {
        boPrimVez = false;
        sbtFiltrarClick(sbtFiltrar);
    });
}

void TfrmManComis::sbtVerificarClick(QObject *)
{
    if (m_model->parametersMissing())
        return loadParametersThenFilter();
    DadosOrcamento();
}

void TfrmManComis::sbtFiltrarClick(QObject *)
{
    if (m_model->parametersMissing())
        return loadParametersThenFilter();
    if (boPrimVez)
        return;
    m_model->prepareFilter();
    Vd_Filial();
    // The lists are loaded for the code as the branch table stores it.
    m_model->setListsBranch(m_branch->code());

    CriaFiltroManuComissao(this);
    const auto *dialog = Cli_ORE09701::frmFiltroManuComissao;
    d->lastFilterOutcome = dialog != nullptr ? dialog->ModalResult() : int(mrCancel);
    const bool confirmed = d->lastFilterOutcome == mrOk;
    if (!confirmed && cdsVendedores->IsEmpty()) {
        m_branch->focusCodeIfEnabled();
        Abort();
    }
    if (confirmed) {
        // Cleared before the focus leaves the panel, so that leaving it does
        // not start another run.
        boFiltro = false;
        pgcPadrao->setCurrentWidget(tshPadrao);
        dbgPadrao->setFocus();
    }
    m_model->reload([this] {
        update();
        FocusChain::instance().setExitHandler(panManComis, [this] { panManComisExit(); });
    });
}

void TfrmManComis::mnuHistoricoClick(QObject *)
{
    CriaHistoricoComissao(service(), ScreenExports::historyRequest(*m_model, m_branch->code()), this);
}

void TfrmManComis::mnuExportarClick(QObject *)
{
    ScreenExports::exportList(*m_model,
                              pgcPadrao->currentWidget() == tshOrcamento ? ScreenExports::List::Orcamentos
                                                                         : ScreenExports::List::Vendedores,
                              [this](const QString &text) { showStatus(text); });
}

void TfrmManComis::mnuExtratoClick(QObject *)
{
    // The statement may be written once the history is in: the screen may
    // be gone by then.
    ScreenExports::exportStatement(*m_model, edtNmFilial->text(),
                                   [screen = QPointer<TfrmManComis>(this)](const QString &text) {
                                       if (screen)
                                           screen->showStatus(text);
                                   });
}

void TfrmManComis::sbtProcurarClick(QObject *)
{
    TClientDataSet *dataSet = (pgcPadrao->currentWidget() == tshOrcamento ? dtsOrcamento : dtsPadrao)->dataSet();
    if (dataSet != nullptr && dataSet->Active())
        Procura(dataSet);
}

// --- enabling rules ----------------------------------------------------------

void TfrmManComis::Habilita()
{
    // A grid's cell editor counts as the grid.
    QWidget *active = ActiveControl();
    const auto isActive = [active](QWidget *grid) {
        return active != nullptr && (active == grid || grid->isAncestorOf(active));
    };
    const ScreenModel::Commands commands =
        m_model->enabling({isActive(dbgPadrao), isActive(dbgOrcamento), ScreenModel::listsBranch(m_branch->code())});
    sbtProcurar->setEnabled(commands.procurar);
    sbtVerificar->setEnabled(commands.verificar);
    sbtConfirmar->setEnabled(commands.confirmar);
    sbtCancelar->setEnabled(commands.cancelar);
    showRight(sbtConfirmar, mnuConfirmar, commands.mayGenerate, ScreenLayout::generateHint,
              QStringLiteral("Sem permissão para gerar comissão nesta filial."));
    showRight(sbtCancelar, mnuCancelar, commands.mayCancel, ScreenLayout::cancelHint,
              QStringLiteral("Sem permissão para cancelar comissão nesta filial."));
    sbtFiltrar->setEnabled(commands.filtrar);
    // The base's editing commands stay off; menu entries follow their
    // buttons, the save entry left alone.
    for (QToolButton *unused : {sbtIncluir, sbtAlterar, sbtExcluir, sbtGravar})
        unused->setEnabled(false);
    for (const auto &[button, entry] : baseCommands()) {
        if (entry != mnuGravar)
            entry->setEnabled(button->isEnabled());
    }
    mnuFiltrar->setEnabled(sbtFiltrar->isEnabled());
    mnuExtrato->setEnabled(commands.extrato);
}

void TfrmManComis::dbgPadraoEnter(QObject *)
{
    for (TDBGrid *grid : {dbgPadrao, dbgOrcamento})
        grid->setOptions(grid->options() & ~TDBGrid::Options(TDBGrid::dgEditing));
}

// --- branch panel ------------------------------------------------------------

std::array<std::pair<QToolButton *, QAction *>, 8> TfrmManComis::baseCommands() const
{
    return {{{sbtIncluir, mnuIncluir},
             {sbtAlterar, mnuAlterar},
             {sbtExcluir, mnuExcluir},
             {sbtGravar, mnuGravar},
             {sbtProcurar, mnuProcurar},
             {sbtVerificar, mnuVerificar},
             {sbtConfirmar, mnuConfirmar},
             {sbtCancelar, mnuCancelar}}};
}

void TfrmManComis::disableCommandsForFilter()
{
    sbtFiltrar->setEnabled(!boPrimVez);
    mnuFiltrar->setEnabled(!boPrimVez);
    mnuHistorico->setEnabled(!boPrimVez);
    mnuExportar->setEnabled(true);
    mnuExtrato->setEnabled(cdsOrcamentos->Active() && !cdsOrcamentos->IsEmpty());
    for (const auto &[button, entry] : baseCommands()) {
        button->setEnabled(false);
        entry->setEnabled(false);
    }
}

void TfrmManComis::panManComisExit()
{
    // Until an activation has loaded the quote parameters there is nothing
    // to filter with.
    if (!boFiltro || boPrimVez)
        return;
    sbtFiltrarClick(sbtFiltrar);
    if (d->lastFilterOutcome != mrOk) {
        m_branch->focusCodeIfEnabled();
        Abort();
    }
}
