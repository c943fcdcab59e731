#include "tfrmmancomis.h"

#include "branchpanel.h"
#include "commissionclient.h"
#include "commissionsettlement.h"
#include "commissionstatement.h"
#include "csvexport.h"
#include "daycount.h"
#include "dialogseam.h"
#include "fillcolour.h"
#include "filtersummary.h"
#include "focuschain.h"
#include "formfont.h"
#include "gridpainting.h"
#include "handlerguard.h"
#include "hostoperations.h"
#include "listsummary.h"
#include "modulestate.h"
#include "quotemarking.h"
#include "remotecontract.h"
#include "screencatalogue.h"
#include "screencolumns.h"
#include "screenmodel.h"
#include "screenpictures.h"
#include "session.h"
#include "signin.h"
#include "silentabort.h"
#include "tadoibquery.h"
#include "tbtnpesquisa.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdbgrid.h"
#include "tfrmfiltromanucomissao.h"
#include "tfrmhistoricocomissao.h"
#include "tfrmmotivocancelamento.h"
#include "tfrmorcapendednte.h"
#include "tmessages.h"
#include "tnetconnection.h"
#include "typeahead.h"
#include "wholefile.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QFontDatabase>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QScrollArea>
#include <QSet>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Cli_ORE09700;

namespace {

constexpr int kBranchPanelHeight = 32;

QLabel *checkImage(QWidget *toolbar, const char *name, int left, const QImage &picture)
{
    auto *image = new QLabel(toolbar);
    image->setObjectName(QLatin1String(name));
    image->setPixmap(QPixmap::fromImage(picture));
    image->setGeometry(left, 8, 16, 16);
    image->setVisible(false);
    return image;
}

// The quote grid's columns. The mark column's title is a tick drawn by a
// symbol font; where that font is not installed its letter would show
// instead, so the title becomes the tick character in the screen's font.
QVector<TDBGrid::TColumn> quoteColumns()
{
    QVector<TDBGrid::TColumn> columns = screencolumns::orcamentosColumns();
    for (TDBGrid::TColumn &column : columns) {
        if (column.fieldName == QLatin1String("IDCHECK") && column.hasTitleFont
            && !QFontDatabase::hasFamily(column.titleFont.family())) {
            column.title = QStringLiteral("\u2713");
            column.titleFont = FormFont(11);
        }
    }
    return columns;
}

void moveLeft(QWidget *widget, int left)
{
    widget->move(left, widget->y());
}

// Settlements are dated by when they were made: the history looks from the
// start of the lists' period up to today, so what was just settled is there.
double historyPeriodEnd()
{
    return std::max(Filtro.dtAtePeriodo, packet::toDayCount(QDate::currentDate()));
}

const QString generateHint = QStringLiteral("Gerar Comissão");
const QString cancelHint = QStringLiteral("Cancelar Comissão");

// A command the operator holds no right to at the branch says so where its
// hint would be: on the button and in the menu's status line.
void showRight(QToolButton *button, QAction *entry, bool allowed, const QString &hint, const QString &denied)
{
    button->setToolTip(allowed ? hint : denied);
    entry->setStatusTip(allowed ? QString() : denied);
}

}  // namespace

struct TfrmManComis::Private {
    std::unique_ptr<BranchPanel> branch;
    ScreenModel *model = nullptr;
    std::unique_ptr<TypeAhead> typeAhead;
    std::unique_ptr<GridPainting> painting;
    std::unique_ptr<QuoteMarking> marking;
    // The outcome of the last filter dialog, read by the panel's exit.
    int lastFilterOutcome = mrNone;
    // The control that had the focus when the screen was closed.
    QPointer<QWidget> focusAtClose;
};

TfrmManComis::TfrmManComis(QWidget *parent) : TfrmPadraoGrid(parent), d(std::make_unique<Private>())
{
    setObjectName(QStringLiteral("frmManComis"));
    buildLayout();
    wireHandlers();
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
}

CommissionClient &TfrmManComis::service()
{
    return d->model->client();
}

ScreenModel &TfrmManComis::model()
{
    return *d->model;
}

void TfrmManComis::buildLayout()
{
    setWindowTitle(QStringLiteral("Manutenção da Comissão"));
    lblCodTela->setText(QStringLiteral("ORE09700"));
    setScreenGeometry(267, 165, 969, 448);

    // Toolbar.
    sbtFiltrar = new QToolButton(panMenu);
    sbtFiltrar->setObjectName(QStringLiteral("sbtFiltrar"));
    sbtFiltrar->setGeometry(176, 4, 20, 21);
    sbtFiltrar->setAutoRaise(true);
    sbtFiltrar->setFocusPolicy(Qt::NoFocus);
    sbtFiltrar->setIcon(screenpictures::filterGlyph());
    sbtFiltrar->setToolTip(QStringLiteral("Filtrar"));
    sbtFiltrar->setEnabled(false);
    const CheckBoxImages pictures = CheckBoxImages::fromResources();
    imgCheck = checkImage(panMenu, "imgCheck", 600, pictures.check);
    imgDescheck = checkImage(panMenu, "imgDescheck", 624, pictures.descheck);
    imgUncheck = checkImage(panMenu, "imgUncheck", 648, pictures.uncheck);
    sbtConfirmar->setToolTip(generateHint);
    sbtConfirmar->setIcon(screenpictures::generateGlyph());
    sbtCancelar->setToolTip(cancelHint);
    sbtCancelar->setIcon(screenpictures::cancelGlyph());
    moveLeft(sbtImprimir, 210);
    sbtImprimir->setEnabled(false);
    moveLeft(sbtAjuda, 246);
    moveLeft(sbtFechar, 282);

    // Branch panel between the toolbar and the page control.
    panManComis = new QFrame(this);
    panManComis->setObjectName(QStringLiteral("panManComis"));
    // An etched frame: lowered outside, raised inside.
    panManComis->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panManComis->setFixedHeight(kBranchPanelHeight);
    addTopPanel(panManComis);
    d->branch = std::make_unique<BranchPanel>(panManComis, this, msgPadrao);
    lblFilial = d->branch->lblFilial;
    medCdFilial = d->branch->medCdFilial;
    btnFilial = d->branch->btnFilial;
    edtNmFilial = d->branch->edtNmFilial;
    qryFilial = d->branch->qryFilial;
    dtsFilial = d->branch->dtsFilial;
    qryVdFilial = d->branch->qryVdFilial;

    // Record sets and the connection: the model's.
    d->model = new ScreenModel(this);
    cdsParamOrcaEve = d->model->cdsParamOrcaEve;
    cdsVendedores = d->model->cdsVendedores;
    cdsOrcamentos = d->model->cdsOrcamentos;
    cdsOrcaPendente = d->model->cdsOrcaPendente;
    netManuComissao = d->model->netManuComissao;

    // First tab: the salespeople.
    pgcPadrao->setTabText(pgcPadrao->indexOf(tshPadrao), QStringLiteral("Vendedor"));
    dtsPadrao->setDataSet(cdsVendedores);
    dbgPadrao->setColumns(screencolumns::vendedoresColumns());

    // Second tab: the quotes of the current salesperson.
    tshOrcamento = new QWidget;
    tshOrcamento->setObjectName(QStringLiteral("tshOrcamento"));
    pgcPadrao->addTab(tshOrcamento, QStringLiteral("Orçamento"));
    panDbgOrca = new QFrame(tshOrcamento);
    panDbgOrca->setObjectName(QStringLiteral("panDbgOrca"));
    panDbgOrca->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panDbgOrca->setContentsMargins(2, 2, 2, 2);
    auto *tabLayout = new QVBoxLayout(tshOrcamento);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->addWidget(panDbgOrca);
    scbOrca = new QScrollArea(panDbgOrca);
    scbOrca->setObjectName(QStringLiteral("scbOrca"));
    scbOrca->setFrameShape(QFrame::NoFrame);
    scbOrca->setWidgetResizable(true);
    // Only a frame around the grid: Tab goes from the tab bar straight in.
    scbOrca->setFocusPolicy(Qt::NoFocus);
    auto *panelLayout = new QVBoxLayout(panDbgOrca);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(scbOrca);

    dtsOrcamento = new TDataSource(this);
    dtsOrcamento->setObjectName(QStringLiteral("dtsOrcamento"));
    dtsOrcamento->setDataSet(cdsOrcamentos);
    dbgOrcamento = new TDBGrid;
    dbgOrcamento->setObjectName(QStringLiteral("dbgOrcamento"));
    dbgOrcamento->setFrameShape(QFrame::NoFrame);
    setFillColour(dbgOrcamento, dbgOrcamento->palette().color(QPalette::ToolTipBase));
    dbgOrcamento->setOptions(TDBGrid::dgEditing | TDBGrid::dgTitles | TDBGrid::dgColumnResize | TDBGrid::dgColLines
                             | TDBGrid::dgRowLines | TDBGrid::dgTabs | TDBGrid::dgConfirmDelete
                             | TDBGrid::dgCancelOnExit);
    dbgOrcamento->horizontalHeader()->setFont(FormFont(11));
    dbgOrcamento->setDataSource(dtsOrcamento);
    dbgOrcamento->setColumns(quoteColumns());
    scbOrca->setWidget(dbgOrcamento);

    // Under each grid, what its list holds; under the tabs, what the lists
    // were loaded with.
    lblResumoVendedor = new QLabel(tshPadrao);
    lblResumoVendedor->setObjectName(QStringLiteral("lblResumoVendedor"));
    tshPadrao->layout()->addWidget(lblResumoVendedor);
    lblResumoOrcamento = new QLabel(tshOrcamento);
    lblResumoOrcamento->setObjectName(QStringLiteral("lblResumoOrcamento"));
    tabLayout->addWidget(lblResumoOrcamento);
    for (QLabel *summary : {lblResumoVendedor, lblResumoOrcamento}) {
        summary->setContentsMargins(4, 2, 4, 2);
        summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    lblFiltroAtual = new QLabel(this);
    lblFiltroAtual->setObjectName(QStringLiteral("lblFiltroAtual"));
    lblFiltroAtual->setContentsMargins(4, 3, 4, 3);
    lblFiltroAtual->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    lblFiltroAtual->setText(QStringLiteral("Nenhuma lista carregada."));
    addBottomPanel(lblFiltroAtual);

    // Navigator: the current salesperson's name.
    setNavigatorField(QStringLiteral("NMFANVEN"));

    // Menu: printing is not offered; the filter joins the maintenance menu.
    mnuListagem->setEnabled(false);
    mnuConfigImpressora->setEnabled(false);
    mnuLinha4 = mnuManutencao->addSeparator();
    mnuLinha4->setObjectName(QStringLiteral("mnuLinha4"));
    mnuFiltrar = mnuManutencao->addAction(QStringLiteral("&Filtrar"));
    mnuFiltrar->setObjectName(QStringLiteral("mnuFiltrar"));
    mnuFiltrar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    // Taking the lists out of the program, before the operations' separator.
    const QList<QAction *> operations = mnuOperacoes->actions();
    QAction *beforeClose = operations.at(std::max<qsizetype>(0, operations.indexOf(mnuFechar) - 1));
    mnuExportar = new QAction(QStringLiteral("E&xportar lista..."), mnuOperacoes);
    mnuExportar->setObjectName(QStringLiteral("mnuExportar"));
    mnuExtrato = new QAction(QStringLiteral("Extrato da &comissão (PDF)..."), mnuOperacoes);
    mnuExtrato->setObjectName(QStringLiteral("mnuExtrato"));
    mnuOperacoes->insertActions(beforeClose, {mnuExportar, mnuExtrato});
    // The history of what was settled, at the end of the menu.
    mnuHistorico = mnuManutencao->addAction(QStringLiteral("&Histórico da Comissão..."));
    mnuHistorico->setObjectName(QStringLiteral("mnuHistorico"));
    mnuHistorico->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    // Every command on the keyboard, shown in its menu entry; the shortcuts
    // work while the screen's window is active, the menu closed.
    mnuConfirmar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));             // generate
    mnuCancelar->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G));  // cancel the commission
    mnuProcurar->setShortcut(QKeySequence(QKeySequence::Find));                // Ctrl+F
    mnuVerificar->setShortcut(QKeySequence(QKeySequence::Refresh));            // F5
    for (QAction *entry : {mnuFiltrar, mnuConfirmar, mnuCancelar, mnuProcurar, mnuVerificar, mnuHistorico}) {
        entry->setShortcutContext(Qt::WindowShortcut);
        addAction(entry);
    }
    // The tabs switch from inside the grids too, as in any tabbed window.
    const auto switchTabs = [this](const QKeySequence &keys, int step) {
        auto *shortcut = new QShortcut(keys, pgcPadrao, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step] {
            const int count = pgcPadrao->count();
            pgcPadrao->setCurrentIndex((pgcPadrao->currentIndex() + step + count) % count);
        });
    };
    switchTabs(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    switchTabs(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    switchTabs(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1);
    switchTabs(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
    switchTabs(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);

    msgPadrao->setLines(manComisCatalogue());

    // Keyboard order: the branch panel first, then the page control and grids.
    QWidget::setTabOrder(edtNmFilial, pgcPadrao);
    QWidget::setTabOrder(pgcPadrao, dbgPadrao);
    QWidget::setTabOrder(dbgPadrao, dbgOrcamento);
}

void TfrmManComis::wireHandlers()
{
    // The summaries follow every change of their lists: loads, marks,
    // inversions, typed percentages.
    const auto summarizeQuotes = [this] { lblResumoOrcamento->setText(ListSummary::quotes(*cdsOrcamentos)); };
    const auto summarizeSalespeople = [this] { lblResumoVendedor->setText(ListSummary::salespeople(*cdsVendedores)); };
    for (auto signal : {&TClientDataSet::contentReset, &TClientDataSet::refreshed})
        connect(cdsOrcamentos, signal, this, summarizeQuotes);
    connect(cdsOrcamentos, &TClientDataSet::rowChanged, this, summarizeQuotes);
    for (auto signal : {&TClientDataSet::contentReset, &TClientDataSet::refreshed})
        connect(cdsVendedores, signal, this, summarizeSalespeople);
    connect(cdsVendedores, &TClientDataSet::rowChanged, this, summarizeSalespeople);
    summarizeQuotes();
    summarizeSalespeople();

    connect(sbtFiltrar, &QToolButton::clicked, this, guarded([this] { sbtFiltrarClick(sbtFiltrar); }));
    connect(mnuFiltrar, &QAction::triggered, this, guarded([this] { mnuFiltrarClick(mnuFiltrar); }));
    connect(mnuHistorico, &QAction::triggered, this, guarded([this] { mnuHistoricoClick(mnuHistorico); }));
    connect(mnuExportar, &QAction::triggered, this, guarded([this] { mnuExportarClick(mnuExportar); }));
    connect(mnuExtrato, &QAction::triggered, this, guarded([this] { mnuExtratoClick(mnuExtrato); }));
    connect(sbtVerificar, &QToolButton::clicked, this, guarded([this] { sbtVerificarClick(sbtVerificar); }));
    connect(sbtProcurar, &QToolButton::clicked, this, guarded([this] { sbtProcurarClick(sbtProcurar); }));
    connect(pgcPadrao, &QTabWidget::currentChanged, this, guarded([this](int) { pgcPadraoChange(pgcPadrao); }));
    connect(medCdFilial, &QLineEdit::textChanged, this,
            guarded([this](const QString &) { medCdFilialChange(medCdFilial); }));

    // The screen follows data changes itself; the base's state reaction is off.
    dtsPadrao->OnStateChange = nullptr;
    dtsPadrao->OnDataChange = [this](TDataSource &) { dtsPadraoDataChange(dtsPadrao); };
    dtsOrcamento->OnStateChange = [this](TDataSource &) { dtsOrcamentoStateChange(dtsOrcamento); };
    cdsVendedores->AfterScroll = [this](TClientDataSet &) { cdsVendedoresAfterScroll(); };
    btnFilial->OnAfterPesq = [this] { btnFilialAfterPesq(btnFilial); };
    netManuComissao->BeforeConnect = [this](TNetConnection &connection) { netManuComissaoBeforeConnect(connection); };

    // Both grids paint their cells themselves, the marks from the toolbar's images.
    d->painting = std::make_unique<GridPainting>(
        *dbgOrcamento, *dbgPadrao,
        CheckBoxImages{imgCheck->pixmap().toImage(), imgUncheck->pixmap().toImage(), imgDescheck->pixmap().toImage()});
    dbgOrcamento->OnDrawColumnCell = [this](QPainter &canvas, const QRect &rect, int col,
                                            const TDBGrid::TColumn &column, int state) {
        d->painting->dbgOrcamentoDrawColumnCell(canvas, rect, col, column, state);
    };
    dbgPadrao->OnDrawColumnCell = [this](QPainter &canvas, const QRect &rect, int col, const TDBGrid::TColumn &column,
                                         int state) {
        d->painting->dbgPadraoDrawColumnCell(canvas, rect, col, column, state);
    };

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

    ScreenModel::View view;
    view.messages = msgPadrao;
    view.activateVendedorTab = [this] { pgcPadrao->setCurrentWidget(tshPadrao); };
    view.Habilita = [this] { Habilita(); };
    view.showPending = [](TClientDataSet *pending, const QString &text) { CriaOrcaPendedente(pending, text); };
    view.listsLoaded = [this](const CommissionClient::Selection &selection) { showLoadedFilter(selection); };
    view.reasonDialog = [this] { return TfrmMotivoCancelamento::ask(this); };
    d->model->attach(view);
    // While a call runs the commands are off and the operator's input waits
    // (see TypeAhead); afterwards the enabling rules decide again.
    d->typeAhead = std::make_unique<TypeAhead>(this);
    connect(d->model, &ScreenModel::busyChanged, this, [this](bool busy) {
        d->typeAhead->setHolding(busy);
        runGuarded([this] { Habilita(); });
    });

    d->marking =
        std::make_unique<QuoteMarking>(QuoteMarking::Screen{dbgOrcamento, cdsOrcamentos, [this] { Habilita(); }});
    dbgOrcamento->OnDblClick = [this] { dbgOrcamentoDblClick(dbgOrcamento); };
    dbgOrcamento->OnCellClick = [this](const TDBGrid::TColumn &column) { dbgOrcamentoCellClick(column); };
    dbgOrcamento->OnKeyDown = [this](int &key, Qt::KeyboardModifiers shift) {
        dbgOrcamentoKeyDown(dbgOrcamento, key, shift);
    };
    dbgOrcamento->OnTitleClick = [this](const TDBGrid::TColumn &column) { dbgOrcamentoTitleClick(column); };
    dbgOrcamento->OnKeyPress = [this](QChar &key) { dbgOrcamentoKeyPress(dbgOrcamento, key); };
    dbgOrcamento->OnColEnter = [this] { dbgOrcamentoColEnter(dbgOrcamento); };
    cdsOrcamentos->BeforePost = [this](TClientDataSet &dataSet) { cdsOrcamentosBeforePost(dataSet); };

    connect(sbtConfirmar, &QToolButton::clicked, this, guarded([this] { sbtConfirmarClick(sbtConfirmar); }));
    connect(sbtCancelar, &QToolButton::clicked, this, guarded([this] { sbtCancelarClick(sbtCancelar); }));
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

    Filtro.dtDePeriodo = 0;
    Filtro.dtAtePeriodo = 0;
    Filtro.Vendedor.boTodos = true;
    Filtro.Vendedor.stLista.clear();
    Filtro.TipoEven.boTodos = true;
    Filtro.TipoEven.stLista.clear();

    boFiltro = true;
    boPrimVez = true;
}

void TfrmManComis::FormActivate()
{
    TfrmPadraoGrid::FormActivate();
    restoreFocusAfterClose();
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
    d->branch->takeSession(FiliProc(), NomeFiliProc(), fixed);
    if (fixed) {
        dbgPadrao->setFocus();
        SetChildEnabled(panManComis, false);
        Vd_Filial();
    } else {
        medCdFilial->setFocus();
    }
    d->model->loadParameters(std::move(then));
}

void TfrmManComis::FormClose()
{
    TfrmPadraoGrid::FormClose();
    netManuComissao->setConnected(false);
    d->focusAtClose = ActiveControl();
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

namespace {

// "code - name" of each code of the list, as far as the filter dialog's
// lookup list holds it (it does once the operator picked from it).
QStringList namesOf(TADOIBQuery *lookup, const QString &codeField, const QString &nameField, const QString &list)
{
    const QStringList codes = list.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    QStringList names;
    for (const QString &code : codes) {
        QString name;
        if (lookup != nullptr && lookup->Active()) {
            const int codeColumn = lookup->fieldIndex(codeField);
            const int nameColumn = lookup->fieldIndex(nameField);
            for (int row = 0; row < lookup->RecordCount() && codeColumn >= 0 && nameColumn >= 0; ++row) {
                if (lookup->valueAt(row, codeColumn).toString().trimmed() == code.trimmed())
                    name = lookup->valueAt(row, nameColumn).toString().trimmed();
            }
        }
        names.append(name.isEmpty() ? code : QStringLiteral("%1 - %2").arg(code, name));
    }
    return names;
}

}  // namespace

void TfrmManComis::showLoadedFilter(const CommissionClient::Selection &selection)
{
    const TfrmFiltroManuComissao *filter = Cli_ORE09701::frmFiltroManuComissao;
    const FilterSummary::Line line =
        FilterSummary::describe(selection,
                                namesOf(filter ? filter->qryVendedor : nullptr, QStringLiteral("CDVENDEDOR"),
                                        QStringLiteral("NMFANVEN"), selection.salespeople),
                                namesOf(filter ? filter->qryTipoEven : nullptr, QStringLiteral("CDTIPOEVENTO"),
                                        QStringLiteral("NMTIPOEVENTO"), selection.eventTypes));
    lblFiltroAtual->setText(line.text);
    lblFiltroAtual->setToolTip(line.toolTip);
}

void TfrmManComis::netManuComissaoBeforeConnect(TNetConnection &connection)
{
    connection.Host = WebURL();
    connection.Port = WebPort();
    SignIn::prepare(connection);
}

// --- commands ----------------------------------------------------------------

void TfrmManComis::sbtFiltrarClick(QObject *)
{
    if (boPrimVez)
        return;
    inContOrcamento = 0;
    boExibePendednte = true;
    boFiltro = true;
    Vd_Filial();
    // The lists are loaded for the code as the branch table stores it.
    Filtro.stCdFilial = d->branch->code();

    CriaFiltroManuComissao(this);
    const auto *dialog = Cli_ORE09701::frmFiltroManuComissao;
    d->lastFilterOutcome = dialog != nullptr ? dialog->ModalResult() : int(mrCancel);

    const bool confirmed = d->lastFilterOutcome == mrOk;
    if (!confirmed && cdsVendedores->IsEmpty()) {
        d->branch->focusCodeIfEnabled();
        Abort();
    }
    if (confirmed) {
        // Cleared before the focus leaves the panel, so that leaving it does
        // not start another run.
        boFiltro = false;
        pgcPadrao->setCurrentWidget(tshPadrao);
        dbgPadrao->setFocus();
    }
    d->model->reload([this] {
        update();
        FocusChain::instance().setExitHandler(panManComis, [this] { panManComisExit(); });
    });
}

void TfrmManComis::mnuFiltrarClick(QObject *)
{
    sbtFiltrarClick(sbtFiltrar);
}

void TfrmManComis::sbtVerificarClick(QObject *)
{
    DadosOrcamento();
}

void TfrmManComis::mnuHistoricoClick(QObject *)
{
    // The branch and period of the lists; the salesperson now current.
    TfrmHistoricoComissao::Request request;
    request.branch = Filtro.stCdFilial.isEmpty() ? d->branch->code() : Filtro.stCdFilial;
    if (cdsVendedores->Active() && !cdsVendedores->IsEmpty()) {
        request.salesperson = cdsVendedores->AsString(QStringLiteral("CDVENDEDOR"));
        request.salespersonName = cdsVendedores->AsString(QStringLiteral("NMFANVEN"));
    }
    // Settlements are dated by when they were made: from the start of the
    // lists' period up to today, so what was just settled is there too.
    request.periodStart = Filtro.dtDePeriodo;
    request.periodEnd = historyPeriodEnd();
    CriaHistoricoComissao(service(), request, this);
}

// "comissao-0001-vendedor-0006-2026-12.pdf": the branch, what, the month of
// the lists' period (this month when it has none).
QString TfrmManComis::fileNameFor(const QString &what, const QString &extension) const
{
    const QDate start = packet::dateFromDayCount(Filtro.dtDePeriodo);
    const QString month = (start.isValid() ? start : QDate::currentDate()).toString(QStringLiteral("yyyy-MM"));
    return QStringLiteral("comissao-%1-%2-%3.%4").arg(Filtro.stCdFilial, what, month, extension);
}

void TfrmManComis::mnuExportarClick(QObject *)
{
    const bool quotesTab = pgcPadrao->currentWidget() == tshOrcamento;
    const TDBGrid &grid = quotesTab ? *dbgOrcamento : *dbgPadrao;
    const QString what = quotesTab ? QStringLiteral("vendedor-%1-orcamentos")
                                         .arg(cdsVendedores->Active() && !cdsVendedores->IsEmpty()
                                                  ? cdsVendedores->AsString(QStringLiteral("CDVENDEDOR"))
                                                  : QString())
                                   : QStringLiteral("vendedores");
    const QString path =
        DialogSeam::current().saveFileName(QStringLiteral("Exportar lista"), fileNameFor(what, QStringLiteral("csv")),
                                           QStringLiteral("Planilha CSV (*.csv)"));
    if (path.isEmpty())
        return;
    const QByteArray content = CsvExport::write(grid);
    const QString failure =
        WholeFile::write(path, [&content](QIODevice &file) { return file.write(content) == content.size(); });
    if (!failure.isEmpty())
        MensErro(failure, true);
}

// The payables that settled the listed quotes, from the history of the
// current salesperson.
QStringList TfrmManComis::payablesOfListedQuotes(const CommissionClient::HistoryAnswer &history) const
{
    QSet<QString> listed;
    const int number = cdsOrcamentos->fieldIndex(QStringLiteral("NRORCAEVENTO"));
    const int sequence = cdsOrcamentos->fieldIndex(QStringLiteral("NRSEQORCAEVE"));
    for (int row = 0; row < cdsOrcamentos->RecordCount(); ++row)
        listed.insert(cdsOrcamentos->valueAt(row, number).toString() + QLatin1Char('/')
                      + cdsOrcamentos->valueAt(row, sequence).toString());
    const packet::Packet &quotes = history.quotes;
    const packet::Packet &settlements = history.settlements;
    const int quoteNumber = quotes.fieldIndex(QStringLiteral("NRORCAEVENTO"));
    const int quoteSequence = quotes.fieldIndex(QStringLiteral("NRSEQORCAEVE"));
    const int quoteAudit = quotes.fieldIndex(QStringLiteral("NRAUDITCOMISSAO"));
    QSet<double> audits;
    for (const QVector<QVariant> &row : quotes.rows) {
        if (listed.contains(row[quoteNumber].toString() + QLatin1Char('/') + row[quoteSequence].toString()))
            audits.insert(row[quoteAudit].toDouble());
    }
    const int operation = settlements.fieldIndex(QStringLiteral("DSOPERACAO"));
    const int audit = settlements.fieldIndex(QStringLiteral("NRAUDITCOMISSAO"));
    const int payableNumber = settlements.fieldIndex(QStringLiteral("NRCONTAPAGAR"));
    QStringList payables;
    for (const QVector<QVariant> &row : settlements.rows) {
        const QString payable = QString::number(qint64(row[payableNumber].toDouble()));
        if (row[operation].toString() == QStringLiteral("Geração") && audits.contains(row[audit].toDouble())
            && !payables.contains(payable))
            payables.append(payable);
    }
    return payables;
}

void TfrmManComis::mnuExtratoClick(QObject *)
{
    if (!cdsOrcamentos->Active() || cdsOrcamentos->IsEmpty())
        return;
    const QString code = cdsVendedores->AsString(QStringLiteral("CDVENDEDOR"));
    const QString path =
        DialogSeam::current().saveFileName(QStringLiteral("Extrato da comissão"),
                                           fileNameFor(QStringLiteral("vendedor-%1").arg(code), QStringLiteral("pdf")),
                                           QStringLiteral("Documento PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    CommissionStatement::Content content;
    content.branch = QStringLiteral("%1 - %2").arg(Filtro.stCdFilial, edtNmFilial->text());
    content.filter = lblFiltroAtual->text();
    content.operatorCode = Operador();
    content.at = QDateTime::currentDateTime();
    content.salesperson = QStringLiteral("%1 - %2").arg(code, cdsVendedores->AsString(QStringLiteral("NMFANVEN")));
    content.generated = Filtro.Comissao.stGerada == QLatin1String("S");
    for (int row = 0; row < cdsOrcamentos->RecordCount(); ++row) {
        const auto value = [this, row](const char *field) {
            return cdsOrcamentos->valueAt(row, cdsOrcamentos->fieldIndex(QLatin1String(field)));
        };
        content.quotes.append(
            {value("NRORCAEVENTO").toString(), value("NRSEQORCAEVE").toString(), value("NMFANTCLIE").toString(),
             packet::dateFromDayCount(value("DTEVENTO").toDouble()).toString(QStringLiteral("dd/MM/yyyy")),
             value("VRTOTALOREV").toDouble(), value("VRPERCCOMIS").toDouble(), value("VRCOMISSAO").toDouble()});
    }
    if (!content.generated)
        return writeStatement(path, content);
    d->model->history(Filtro.stCdFilial, code, [this, path, content](const CommissionClient::HistoryAnswer &history) {
        CommissionStatement::Content withHistory = content;
        withHistory.payables = payablesOfListedQuotes(history);
        withHistory.cancellations =
            CommissionStatement::cancellationsIn(history.settlements, Filtro.dtDePeriodo, historyPeriodEnd());
        writeStatement(path, withHistory);
    });
}

void TfrmManComis::writeStatement(const QString &path, const CommissionStatement::Content &content)
{
    const QString failure =
        WholeFile::write(path, [&content](QIODevice &file) { return CommissionStatement::writePdf(content, file); });
    if (!failure.isEmpty())
        MensErro(failure, true);
}

void TfrmManComis::sbtProcurarClick(QObject *)
{
    TClientDataSet *dataSet = nullptr;
    if (pgcPadrao->currentWidget() == tshPadrao)
        dataSet = dtsPadrao->dataSet();
    else if (pgcPadrao->currentWidget() == tshOrcamento)
        dataSet = dtsOrcamento->dataSet();
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
        d->model->enabling({isActive(dbgPadrao), isActive(dbgOrcamento),
                            Filtro.stCdFilial.isEmpty() ? d->branch->code() : Filtro.stCdFilial});
    for (QToolButton *unused : {sbtIncluir, sbtAlterar, sbtExcluir, sbtGravar})
        unused->setEnabled(false);
    sbtProcurar->setEnabled(commands.procurar);
    sbtVerificar->setEnabled(commands.verificar);
    sbtConfirmar->setEnabled(commands.confirmar);
    sbtCancelar->setEnabled(commands.cancelar);
    showRight(sbtConfirmar, mnuConfirmar, commands.mayGenerate, generateHint,
              QStringLiteral("Sem permissão para gerar comissão nesta filial."));
    showRight(sbtCancelar, mnuCancelar, commands.mayCancel, cancelHint,
              QStringLiteral("Sem permissão para cancelar comissão nesta filial."));
    sbtFiltrar->setEnabled(commands.filtrar);

    // Menu entries follow their buttons; the save entry is left alone.
    mnuIncluir->setEnabled(sbtIncluir->isEnabled());
    mnuAlterar->setEnabled(sbtAlterar->isEnabled());
    mnuExcluir->setEnabled(sbtExcluir->isEnabled());
    mnuProcurar->setEnabled(sbtProcurar->isEnabled());
    mnuVerificar->setEnabled(sbtVerificar->isEnabled());
    mnuConfirmar->setEnabled(sbtConfirmar->isEnabled());
    mnuCancelar->setEnabled(sbtCancelar->isEnabled());
    mnuFiltrar->setEnabled(sbtFiltrar->isEnabled());
}

void TfrmManComis::pgcPadraoChange(QObject *)
{
    Habilita();
}

void TfrmManComis::dtsPadraoDataChange(QObject *)
{
    Habilita();
}

void TfrmManComis::dtsOrcamentoStateChange(QObject *)
{
    Habilita();
}

void TfrmManComis::dbgPadraoEnter(QObject *)
{
    for (TDBGrid *grid : {dbgPadrao, dbgOrcamento})
        grid->setOptions(grid->options() & ~TDBGrid::Options(TDBGrid::dgEditing));
}

void TfrmManComis::dbgOrcamentoEnter(QObject *sender)
{
    dbgPadraoEnter(sender);
}

// --- generating and cancelling -----------------------------------------------

void TfrmManComis::sbtConfirmarClick(QObject *)
{
    d->model->generate();
}

void TfrmManComis::sbtCancelarClick(QObject *)
{
    d->model->cancel();
}

// --- marking -------------------------------------------------------------------

void TfrmManComis::dbgOrcamentoDblClick(QObject *)
{
    d->marking->dbgOrcamentoDblClick();
}

void TfrmManComis::dbgOrcamentoCellClick(const TDBGrid::TColumn &column)
{
    d->marking->dbgOrcamentoCellClick(column);
}

void TfrmManComis::dbgOrcamentoKeyDown(QObject *, int &key, Qt::KeyboardModifiers shift)
{
    d->marking->dbgOrcamentoKeyDown(key, shift);
}

void TfrmManComis::dbgOrcamentoTitleClick(const TDBGrid::TColumn &column)
{
    d->marking->dbgOrcamentoTitleClick(column);
}

void TfrmManComis::dbgOrcamentoKeyPress(QObject *, QChar &key)
{
    d->marking->dbgOrcamentoKeyPress(key);
}

void TfrmManComis::dbgOrcamentoColEnter(QObject *)
{
    d->marking->dbgOrcamentoColEnter();
}

void TfrmManComis::cdsOrcamentosBeforePost(TClientDataSet &dataSet)
{
    d->marking->cdsOrcamentosBeforePost(dataSet);
}

// --- loading -----------------------------------------------------------------

void TfrmManComis::DadosOrcamento()
{
    d->model->reload();
}

void TfrmManComis::cdsVendedoresAfterScroll()
{
    d->model->loadQuotesOfCurrent();
}

// --- branch panel ------------------------------------------------------------

void TfrmManComis::Vd_Filial()
{
    d->branch->validate();
}

void TfrmManComis::medCdFilialChange(QObject *)
{
    d->branch->clearName();
}

void TfrmManComis::medCdFilialEnter(QObject *)
{
    Habilita();
}

void TfrmManComis::medCdFilialExit(QObject *)
{
    Vd_Filial();
}

void TfrmManComis::btnFilialAfterPesq(QObject *)
{
    d->branch->takePick();
    // The button takes no focus: a pick made from outside the panel enters
    // it now, emptying the lists of the old branch, so that leaving it runs
    // the filter for the picked one and the header never disagrees with the
    // lists.
    d->branch->focusCodeIfEnabled();
}

QString TfrmManComis::quoteParameter(const QString &field) const
{
    if (cdsParamOrcaEve == nullptr || cdsParamOrcaEve->IsEmpty())
        return QString();
    return cdsParamOrcaEve->AsString(field);
}

void TfrmManComis::disableCommandsForFilter()
{
    sbtFiltrar->setEnabled(!boPrimVez);
    mnuFiltrar->setEnabled(!boPrimVez);
    mnuHistorico->setEnabled(!boPrimVez);
    mnuExportar->setEnabled(true);
    mnuExtrato->setEnabled(cdsOrcamentos->Active() && !cdsOrcamentos->IsEmpty());
    const std::pair<QToolButton *, QAction *> commands[] = {
        {sbtIncluir, mnuIncluir},     {sbtAlterar, mnuAlterar},   {sbtExcluir, mnuExcluir},
        {sbtGravar, mnuGravar},       {sbtProcurar, mnuProcurar}, {sbtVerificar, mnuVerificar},
        {sbtConfirmar, mnuConfirmar}, {sbtCancelar, mnuCancelar},
    };
    for (const auto &[button, entry] : commands) {
        button->setEnabled(false);
        entry->setEnabled(false);
    }
}

void TfrmManComis::panManComisEnter()
{
    cdsVendedores->Close();
    cdsOrcamentos->Close();
    boFiltro = true;
}

void TfrmManComis::panManComisExit()
{
    // Until an activation has loaded the quote parameters there is nothing
    // to filter with.
    if (!boFiltro || boPrimVez)
        return;
    sbtFiltrarClick(sbtFiltrar);
    if (d->lastFilterOutcome != mrOk) {
        d->branch->focusCodeIfEnabled();
        Abort();
    }
}
