#include "tfrmpadraogrid.h"

#include "baseformparts.h"
#include "commandglyphs.h"
#include "dialogseam.h"
#include "focuschain.h"
#include "formfont.h"
#include "handlerguard.h"
#include "hostoperations.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdbgrid.h"
#include "tmessages.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr QSize buttonSize(20, 21);
constexpr int buttonTop = 4;
constexpr int toolbarHeight = 29;
constexpr int navigatorHeight = 27;

QToolButton *newButton(QWidget *parent, const char *name, const QString &hint, CommandGlyph glyph, int left)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setIcon(commandGlyph(glyph));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);  // a toolbar click leaves the focus where it is
    button->setGeometry(QRect(QPoint(left, buttonTop), buttonSize));
    return button;
}

QAction *newEntry(QMenu *menu, const char *name, const QString &text, QToolButton *button)
{
    auto *entry = menu->addAction(text);
    entry->setObjectName(QLatin1String(name));
    if (button)
        QObject::connect(entry, &QAction::triggered, button, &QToolButton::click);
    return entry;
}

QFrame *newPanel(QWidget *parent, const char *name)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return panel;
}

}  // namespace

struct TfrmPadraoGrid::Private {
    QVBoxLayout *layout = nullptr;
    int topPanels = 0;
    QToolButton *navFirst = nullptr, *navPrior = nullptr, *navNext = nullptr, *navLast = nullptr;
    QString navigatorField;
    QPointer<QMdiSubWindow> childWindow;
    QPointer<QWidget> lastFocus;
    QRect geometry;
    bool activeScreen = false;  // FormActivate ran and the screen has not been left since
    bool activating = false;
};

TfrmPadraoGrid::TfrmPadraoGrid(QWidget *parent) : QWidget(parent), d(std::make_unique<Private>())
{
    setObjectName(QStringLiteral("frmPadraoGrid"));
    setFont(FormFont(11));
    resize(640, 420);

    dtsPadrao = new TDataSource(this);
    dtsPadrao->setObjectName(QStringLiteral("dtsPadrao"));
    msgPadrao = new TMessages(this);
    msgPadrao->setObjectName(QStringLiteral("msgPadrao"));

    d->layout = new QVBoxLayout(this);
    d->layout->setContentsMargins(0, 0, 0, 0);
    d->layout->setSpacing(0);

    buildToolbar();
    buildMenu();

    pgcPadrao = new QTabWidget(this);
    pgcPadrao->setObjectName(QStringLiteral("pgcPadrao"));
    tshPadrao = new QWidget(pgcPadrao);
    tshPadrao->setObjectName(QStringLiteral("tshPadrao"));
    dbgPadrao = new TDBGrid(tshPadrao);
    dbgPadrao->setObjectName(QStringLiteral("dbgPadrao"));
    dbgPadrao->setDataSource(dtsPadrao);
    auto *sheetLayout = new QVBoxLayout(tshPadrao);
    sheetLayout->setContentsMargins(2, 2, 2, 2);
    sheetLayout->addWidget(dbgPadrao);
    pgcPadrao->addTab(tshPadrao, QStringLiteral("Padrão"));
    d->layout->addWidget(pgcPadrao, 1);

    buildNavigator();

    dtsPadrao->OnStateChange = [this](TDataSource &) { dtsPadraoStateChange(); };
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && isAncestorOf(now))
            d->lastFocus = now;
    });
}

TfrmPadraoGrid::~TfrmPadraoGrid() = default;

void TfrmPadraoGrid::buildToolbar()
{
    panMenu = newPanel(this, "panMenu");
    panMenu->setFixedHeight(toolbarHeight);
    sbtIncluir = newButton(panMenu, "sbtIncluir", QStringLiteral("Incluir"), CommandGlyph::Insert, 4);
    sbtAlterar = newButton(panMenu, "sbtAlterar", QStringLiteral("Alterar"), CommandGlyph::Edit, 24);
    sbtExcluir = newButton(panMenu, "sbtExcluir", QStringLiteral("Excluir"), CommandGlyph::Delete, 44);
    sbtGravar = newButton(panMenu, "sbtGravar", QStringLiteral("Gravar"), CommandGlyph::Save, 64);
    sbtConfirmar = newButton(panMenu, "sbtConfirmar", QStringLiteral("Confirmar"), CommandGlyph::Confirm, 90);
    sbtCancelar = newButton(panMenu, "sbtCancelar", QStringLiteral("Cancelar"), CommandGlyph::Cancel, 110);
    sbtVerificar = newButton(panMenu, "sbtVerificar", QStringLiteral("Verificar"), CommandGlyph::Refresh, 136);
    sbtProcurar = newButton(panMenu, "sbtProcurar", QStringLiteral("Procurar"), CommandGlyph::Search, 156);
    sbtImprimir = newButton(panMenu, "sbtImprimir", QStringLiteral("Imprimir"), CommandGlyph::Print, 202);
    sbtAjuda = newButton(panMenu, "sbtAjuda", QStringLiteral("Ajuda"), CommandGlyph::Help, 238);
    sbtFechar = newButton(panMenu, "sbtFechar", QStringLiteral("Fechar"), CommandGlyph::Close, 274);

    // The buttons sit where they were placed; only the screen code follows the
    // right edge.
    lblCodTela = newScreenCodeLabel(panMenu);
    auto *toolbarLayout = new QHBoxLayout(panMenu);
    toolbarLayout->setContentsMargins(4, 3, 6, 3);
    toolbarLayout->addStretch();
    toolbarLayout->addWidget(lblCodTela);
    d->layout->addWidget(panMenu);

    connect(sbtFechar, &QToolButton::clicked, this, [this] { closeScreen(); });
    connect(sbtAjuda, &QToolButton::clicked, this, guarded([this] {
                MessageDlg(QStringLiteral("Não há ajuda disponível para a tela %1.").arg(lblCodTela->text()),
                           MsgDlgType::Information, mbOK);
            }));
}

void TfrmPadraoGrid::buildMenu()
{
    mnuMenu = new QMenuBar(this);
    mnuMenu->setObjectName(QStringLiteral("mnuMenu"));
    mnuOperacoes = mnuMenu->addMenu(QStringLiteral("&Operações"));
    mnuOperacoes->setObjectName(QStringLiteral("mnuOperacoes"));
    mnuListagem = newEntry(mnuOperacoes, "mnuListagem", QStringLiteral("&Listagem"), sbtImprimir);
    // This host has no printer setup of its own; a screen that prints offers it.
    mnuConfigImpressora =
        newEntry(mnuOperacoes, "mnuConfigImpressora", QStringLiteral("&Configurar Impressora"), nullptr);
    mnuConfigImpressora->setEnabled(false);
    mnuOperacoes->addSeparator();
    mnuFechar = newEntry(mnuOperacoes, "mnuFechar", QStringLiteral("&Fechar"), sbtFechar);

    mnuManutencao = mnuMenu->addMenu(QStringLiteral("&Manutenção"));
    mnuManutencao->setObjectName(QStringLiteral("mnuManutencao"));
    mnuIncluir = newEntry(mnuManutencao, "mnuIncluir", QStringLiteral("&Incluir"), sbtIncluir);
    mnuAlterar = newEntry(mnuManutencao, "mnuAlterar", QStringLiteral("&Alterar"), sbtAlterar);
    mnuExcluir = newEntry(mnuManutencao, "mnuExcluir", QStringLiteral("&Excluir"), sbtExcluir);
    mnuGravar = newEntry(mnuManutencao, "mnuGravar", QStringLiteral("&Gravar"), sbtGravar);
    mnuManutencao->addSeparator();
    mnuConfirmar = newEntry(mnuManutencao, "mnuConfirmar", QStringLiteral("C&onfirmar"), sbtConfirmar);
    mnuCancelar = newEntry(mnuManutencao, "mnuCancelar", QStringLiteral("&Cancelar"), sbtCancelar);
    mnuManutencao->addSeparator();
    mnuProcurar = newEntry(mnuManutencao, "mnuProcurar", QStringLiteral("&Procurar"), sbtProcurar);
    mnuVerificar = newEntry(mnuManutencao, "mnuVerificar", QStringLiteral("&Verificar"), sbtVerificar);
    d->layout->setMenuBar(mnuMenu);
}

void TfrmPadraoGrid::buildNavigator()
{
    panNavigator = newPanel(this, "panNavigator");
    panNavigator->setFixedHeight(navigatorHeight);
    auto *layout = new QHBoxLayout(panNavigator);
    layout->setContentsMargins(3, 2, 3, 2);
    layout->setSpacing(1);
    const auto navButton = [this, layout](const char *name, const QString &hint, CommandGlyph glyph,
                                          void (TClientDataSet::*move)()) {
        auto *button = new QToolButton(panNavigator);
        button->setObjectName(QLatin1String(name));
        button->setToolTip(hint);
        button->setIcon(commandGlyph(glyph));
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(23, 21);
        connect(button, &QToolButton::clicked, this, guarded([this, move] {
                    if (TClientDataSet *set = dtsPadrao->dataSet())
                        (set->*move)();
                }));
        layout->addWidget(button);
        return button;
    };
    d->navFirst = navButton("navigatorFirst", QStringLiteral("Primeiro"), CommandGlyph::First, &TClientDataSet::First);
    d->navPrior = navButton("navigatorPrior", QStringLiteral("Anterior"), CommandGlyph::Prior, &TClientDataSet::Prior);
    d->navNext = navButton("navigatorNext", QStringLiteral("Próximo"), CommandGlyph::Next, &TClientDataSet::Next);
    d->navLast = navButton("navigatorLast", QStringLiteral("Último"), CommandGlyph::Last, &TClientDataSet::Last);
    layout->addSpacing(8);

    dbtNome = new QLabel(panNavigator);
    dbtNome->setObjectName(QStringLiteral("dbtNome"));
    dbtNome->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    dbtNome->setMargin(1);
    dbtNome->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    layout->addWidget(dbtNome, 1);
    d->layout->addWidget(panNavigator);

    for (auto signal : {&TDataSource::dataChanged, &TDataSource::contentReset, &TDataSource::stateChanged,
                        &TDataSource::dataSetChanged})
        connect(dtsPadrao, signal, this, &TfrmPadraoGrid::refreshNavigator);
    connect(dtsPadrao, &TDataSource::currentChanged, this, &TfrmPadraoGrid::refreshNavigator);
    connect(dtsPadrao, &TDataSource::rowChanged, this, &TfrmPadraoGrid::refreshNavigator);
    refreshNavigator();
}

void TfrmPadraoGrid::refreshNavigator()
{
    const TClientDataSet *set = dtsPadrao->dataSet();
    const int count = set ? set->RecordCount() : 0;
    const int row = set ? set->RecNo() : -1;
    d->navFirst->setEnabled(count > 0 && row > 0);
    d->navPrior->setEnabled(count > 0 && row > 0);
    d->navNext->setEnabled(count > 0 && row < count - 1);
    d->navLast->setEnabled(count > 0 && row < count - 1);
    const bool showsField = count > 0 && !d->navigatorField.isEmpty() && set->fieldIndex(d->navigatorField) >= 0;
    dbtNome->setText(showsField ? set->AsString(d->navigatorField) : QString());
}

void TfrmPadraoGrid::dtsPadraoStateChange()
{
    const TClientDataSet *set = dtsPadrao->dataSet();
    const TClientDataSet::State state = set ? set->state() : TClientDataSet::State::Inactive;
    const bool browsing = state == TClientDataSet::State::Browse;
    const bool editing = state == TClientDataSet::State::Edit || state == TClientDataSet::State::Insert;
    const QPair<QToolButton *, QAction *> commands[] = {
        {sbtIncluir, mnuIncluir}, {sbtAlterar, mnuAlterar}, {sbtExcluir, mnuExcluir}, {sbtGravar, mnuGravar}};
    const bool enabled[] = {browsing, browsing, browsing, editing};
    for (int i = 0; i < 4; ++i) {
        commands[i].first->setEnabled(enabled[i]);
        commands[i].second->setEnabled(enabled[i]);
    }
}

bool TfrmPadraoGrid::create()
{
    return runGuarded([this] { FormCreate(); });
}

void TfrmPadraoGrid::FormCreate() {}

void TfrmPadraoGrid::FormActivate() {}

void TfrmPadraoGrid::FormClose() {}

void TfrmPadraoGrid::placeInHostArea()
{
    QWidget *host = MainForm();
    auto *area = host ? host->findChild<QMdiArea *>() : nullptr;
    if (!area || d->childWindow)
        return;
    // A child window of our own, without delete-on-close: closing only hides it.
    auto *child = new QMdiSubWindow;
    child->setObjectName(objectName() + QStringLiteral("Window"));
    child->setWidget(this);
    child->setAttribute(Qt::WA_DeleteOnClose, false);
    area->addSubWindow(child);
    if (d->geometry.isValid())
        child->setGeometry(d->geometry);
    d->childWindow = child;
    connect(area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *window) {
        // No active child at all means the host window lost the activation,
        // which does not make another screen the active one.
        if (!window)
            return;
        if (window == d->childWindow) {
            activated();
            // The child window goes on to focus a control it remembers from
            // long ago; the focus stays where the activation left it.
            FocusChain::instance().holdFocus(window, focusWidget());
        } else
            d->activeScreen = false;
    });
}

void TfrmPadraoGrid::showScreen()
{
    placeInHostArea();
    // Shown on request while it is already the active screen, it is
    // activated again all the same: the operator who picks it once more
    // expects what failed at its activation to be tried again.
    const bool alreadyActive = d->activeScreen;
    if (QMdiSubWindow *child = d->childWindow) {
        if (child->isMinimized())
            child->showNormal();
        show();
        child->show();
        child->raise();
        QMdiArea *area = child->mdiArea();
        area->setActiveSubWindow(child);
        if (area->activeSubWindow() == child) {
            if (alreadyActive && d->activeScreen)
                d->activeScreen = false;
            activated();
        }
        return;
    }
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    if (alreadyActive && d->activeScreen) {
        d->activeScreen = false;
        activated();
    }
}

void TfrmPadraoGrid::closeScreen()
{
    if (d->childWindow)
        d->childWindow->close();
    else
        close();
}

QWidget *TfrmPadraoGrid::ActiveControl() const
{
    QWidget *focus = QApplication::focusWidget();
    if (focus && isAncestorOf(focus))
        return focus;
    QWidget *last = focusWidget();
    if (last && isAncestorOf(last))
        return last;
    return d->lastFocus;
}

void TfrmPadraoGrid::setScreenGeometry(int left, int top, int width, int height)
{
    d->geometry = QRect(left, top, width, height);
    if (d->childWindow)
        d->childWindow->setGeometry(d->geometry);
    else
        setGeometry(d->geometry);
}

void TfrmPadraoGrid::addTopPanel(QWidget *panel)
{
    // The menu bar is the layout's own; the toolbar is item 0.
    d->layout->insertWidget(1 + d->topPanels, panel);
    ++d->topPanels;
}

void TfrmPadraoGrid::addBottomPanel(QWidget *panel)
{
    d->layout->insertWidget(d->layout->indexOf(panNavigator), panel);
}

void TfrmPadraoGrid::setNavigatorField(const QString &fieldName)
{
    d->navigatorField = fieldName;
    refreshNavigator();
}

QString TfrmPadraoGrid::navigatorField() const
{
    return d->navigatorField;
}

QWidget *TfrmPadraoGrid::childWindow() const
{
    return d->childWindow;
}

void TfrmPadraoGrid::activated()
{
    if (d->activeScreen || d->activating)
        return;
    d->activeScreen = true;
    d->activating = true;
    runGuarded([this] { FormActivate(); });
    d->activating = false;
}

bool TfrmPadraoGrid::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Hide:
        // Closed or minimized: showing it again is a new activation.
        d->activeScreen = false;
        break;
    case QEvent::WindowActivate:
        if (!d->childWindow && isWindow())
            activated();
        break;
    case QEvent::WindowDeactivate:
        // The screen's own dialogs, message boxes and popups do not make it inactive.
        if (!d->childWindow && isWindow() && !ownWindowIsActive(this))
            d->activeScreen = false;
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void TfrmPadraoGrid::closeEvent(QCloseEvent *event)
{
    if (runGuarded([this] { FormClose(); }))
        event->accept();
    else
        event->ignore();
}
