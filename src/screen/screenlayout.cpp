#include "screenlayout.h"

#include "branchpanel.h"
#include "fillcolour.h"
#include "formfont.h"
#include "listsummary.h"
#include "markcellpainter.h"
#include "orcamentos.h"
#include "screencatalogue.h"
#include "screencolumns.h"
#include "screenpictures.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tfrmmancomis.h"
#include "tmessages.h"
#include "vendedores.h"

#include <QAction>
#include <QFontDatabase>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

const QString ScreenLayout::generateHint = QStringLiteral("Gerar Comissão");
const QString ScreenLayout::cancelHint = QStringLiteral("Cancelar Comissão");

namespace {

constexpr int kBranchPanelHeight = 32;

QToolButton *filterButton(QWidget *toolbar)
{
    auto *button = new QToolButton(toolbar);
    button->setObjectName(QStringLiteral("sbtFiltrar"));
    button->setGeometry(176, 4, 20, 21);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(screenpictures::filterGlyph());
    button->setToolTip(QStringLiteral("Filtrar"));
    button->setEnabled(false);
    return button;
}

// A hidden 16x16 picture of the toolbar, a source of the mark column's check
// boxes.
QLabel *checkImage(QWidget *toolbar, const char *name, int left, const QImage &picture)
{
    auto *image = new QLabel(toolbar);
    image->setObjectName(QLatin1String(name));
    image->setPixmap(QPixmap::fromImage(picture));
    image->setGeometry(left, 8, 16, 16);
    image->setVisible(false);
    return image;
}

void moveLeft(QWidget *widget, int left)
{
    widget->move(left, widget->y());
}

// The "Orçamento" page: a sunken panel, a frame that takes no focus and the
// grid inside it.
void quotePage(TfrmManComis &form)
{
    form.tshOrcamento = new QWidget;
    form.tshOrcamento->setObjectName(QStringLiteral("tshOrcamento"));
    form.pgcPadrao->addTab(form.tshOrcamento, QStringLiteral("Orçamento"));
    form.panDbgOrca = new QFrame(form.tshOrcamento);
    form.panDbgOrca->setObjectName(QStringLiteral("panDbgOrca"));
    form.panDbgOrca->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    form.panDbgOrca->setContentsMargins(2, 2, 2, 2);
    auto *pageLayout = new QVBoxLayout(form.tshOrcamento);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(form.panDbgOrca);
    form.scbOrca = new QScrollArea(form.panDbgOrca);
    form.scbOrca->setObjectName(QStringLiteral("scbOrca"));
    form.scbOrca->setFrameShape(QFrame::NoFrame);
    form.scbOrca->setWidgetResizable(true);
    // Only a frame around the grid: Tab goes from the tab bar straight in.
    form.scbOrca->setFocusPolicy(Qt::NoFocus);
    auto *panelLayout = new QVBoxLayout(form.panDbgOrca);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(form.scbOrca);
}

TDBGrid *quoteGrid(TfrmManComis &form)
{
    form.dtsOrcamento = new TDataSource(&form);
    form.dtsOrcamento->setObjectName(QStringLiteral("dtsOrcamento"));
    form.dtsOrcamento->setDataSet(form.cdsOrcamentos);
    auto *grid = new TDBGrid;
    grid->setObjectName(QStringLiteral("dbgOrcamento"));
    grid->setFrameShape(QFrame::NoFrame);
    setFillColour(grid, grid->palette().color(QPalette::ToolTipBase));
    grid->setOptions(TDBGrid::dgEditing | TDBGrid::dgTitles | TDBGrid::dgColumnResize | TDBGrid::dgColLines
                     | TDBGrid::dgRowLines | TDBGrid::dgTabs | TDBGrid::dgConfirmDelete | TDBGrid::dgCancelOnExit);
    grid->horizontalHeader()->setFont(FormFont(11));
    grid->setDataSource(form.dtsOrcamento);
    grid->setColumns(ScreenLayout::quoteColumns());
    return grid;
}

// Ctrl+Tab / Ctrl+PgDown and Ctrl+Shift+Tab / Ctrl+PgUp switch the tabs from
// inside the pages too, as in any tabbed window.
void tabSwitchKeys(QTabWidget *pages)
{
    const auto switchTabs = [pages](const QKeySequence &keys, int step) {
        auto *shortcut = new QShortcut(keys, pages, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        QObject::connect(shortcut, &QShortcut::activated, pages, [pages, step] {
            const int count = pages->count();
            pages->setCurrentIndex((pages->currentIndex() + step + count) % count);
        });
    };
    switchTabs(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    switchTabs(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    switchTabs(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1);
    switchTabs(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
    switchTabs(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
}

QLabel *listSummary(QWidget *page, const char *name)
{
    auto *summary = new QLabel(page);
    summary->setObjectName(QLatin1String(name));
    summary->setContentsMargins(4, 2, 4, 2);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    page->layout()->addWidget(summary);
    return summary;
}

// The summary follows every change of its list: loads, marks, inversions,
// typed percentages.
void follow(TClientDataSet *set, QLabel *label, QString (*summary)(const TClientDataSet &))
{
    const auto show = [set, label, summary] { label->setText(summary(*set)); };
    for (auto signal : {&TClientDataSet::contentReset, &TClientDataSet::refreshed})
        QObject::connect(set, signal, label, show);
    QObject::connect(set, &TClientDataSet::rowChanged, label, show);
    show();
}

QAction *menuEntry(QMenu *menu, const QString &text, const char *name, const QKeySequence &keys = {})
{
    QAction *entry = menu->addAction(text);
    entry->setObjectName(QLatin1String(name));
    entry->setShortcut(keys);
    return entry;
}

}  // namespace

void ScreenLayout::toolbar(TfrmManComis &form)
{
    form.sbtFiltrar = filterButton(form.panMenu);
    const CheckBoxImages pictures = CheckBoxImages::fromResources();
    form.imgCheck = checkImage(form.panMenu, "imgCheck", 600, pictures.check);
    form.imgDescheck = checkImage(form.panMenu, "imgDescheck", 624, pictures.descheck);
    form.imgUncheck = checkImage(form.panMenu, "imgUncheck", 648, pictures.uncheck);
    form.sbtConfirmar->setToolTip(generateHint);
    form.sbtConfirmar->setIcon(screenpictures::generateGlyph());
    form.sbtCancelar->setToolTip(cancelHint);
    form.sbtCancelar->setIcon(screenpictures::cancelGlyph());
    moveLeft(form.sbtImprimir, 210);
    form.sbtImprimir->setEnabled(false);
    moveLeft(form.sbtAjuda, 246);
    moveLeft(form.sbtFechar, 282);
}

std::unique_ptr<BranchPanel> ScreenLayout::branchPanel(TfrmManComis &form)
{
    // Between the toolbar and the page control, in an etched frame: lowered
    // outside, raised inside.
    form.panManComis = new QFrame(&form);
    form.panManComis->setObjectName(QStringLiteral("panManComis"));
    form.panManComis->setFrameStyle(QFrame::Box | QFrame::Sunken);
    form.panManComis->setFixedHeight(kBranchPanelHeight);
    form.addTopPanel(form.panManComis);
    auto panel = std::make_unique<BranchPanel>(form.panManComis, &form, form.msgPadrao);
    form.lblFilial = panel->lblFilial;
    form.medCdFilial = panel->medCdFilial;
    form.btnFilial = panel->btnFilial;
    form.edtNmFilial = panel->edtNmFilial;
    form.qryFilial = panel->qryFilial;
    form.dtsFilial = panel->dtsFilial;
    form.qryVdFilial = panel->qryVdFilial;
    return panel;
}

void ScreenLayout::grids(TfrmManComis &form)
{
    // First tab: the salespeople; the navigator shows the current one's name.
    form.pgcPadrao->setTabText(form.pgcPadrao->indexOf(form.tshPadrao), QStringLiteral("Vendedor"));
    form.dtsPadrao->setDataSet(form.cdsVendedores);
    form.dbgPadrao->setColumns(screencolumns::vendedoresColumns());
    form.setNavigatorField(contract::Vendedores::NmFanVen.name);
    // Second tab: the quotes of the current salesperson.
    quotePage(form);
    form.dbgOrcamento = quoteGrid(form);
    form.scbOrca->setWidget(form.dbgOrcamento);
    tabSwitchKeys(form.pgcPadrao);
}

void ScreenLayout::summaries(TfrmManComis &form)
{
    // Under each grid, what its list holds; under the tabs, what the lists
    // were loaded with.
    form.lblResumoVendedor = listSummary(form.tshPadrao, "lblResumoVendedor");
    form.lblResumoOrcamento = listSummary(form.tshOrcamento, "lblResumoOrcamento");
    follow(form.cdsVendedores, form.lblResumoVendedor, &ListSummary::salespeople);
    follow(form.cdsOrcamentos, form.lblResumoOrcamento, &ListSummary::quotes);
    form.lblFiltroAtual = new QLabel(&form);
    form.lblFiltroAtual->setObjectName(QStringLiteral("lblFiltroAtual"));
    form.lblFiltroAtual->setContentsMargins(4, 3, 4, 3);
    form.lblFiltroAtual->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    form.lblFiltroAtual->setText(QStringLiteral("Nenhuma lista carregada."));
    form.addBottomPanel(form.lblFiltroAtual);
    // Under it, the status line: shown while there is something to say.
    form.lblSituacao = new QLabel(&form);
    form.lblSituacao->setObjectName(QStringLiteral("lblSituacao"));
    form.lblSituacao->setContentsMargins(4, 3, 4, 3);
    form.lblSituacao->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form.lblSituacao->setVisible(false);
    form.addBottomPanel(form.lblSituacao);
}

void ScreenLayout::menus(TfrmManComis &form)
{
    // Printing is not offered; the filter joins the maintenance menu.
    form.mnuListagem->setEnabled(false);
    form.mnuConfigImpressora->setEnabled(false);
    form.mnuLinha4 = form.mnuManutencao->addSeparator();
    form.mnuLinha4->setObjectName(QStringLiteral("mnuLinha4"));
    form.mnuFiltrar = menuEntry(form.mnuManutencao, QStringLiteral("&Filtrar"), "mnuFiltrar", Qt::CTRL | Qt::Key_L);
    // Taking the lists out of the program, before the operations' separator.
    const QList<QAction *> operations = form.mnuOperacoes->actions();
    QAction *beforeClose = operations.at(std::max<qsizetype>(0, operations.indexOf(form.mnuFechar) - 1));
    form.mnuExportar = new QAction(QStringLiteral("E&xportar lista..."), form.mnuOperacoes);
    form.mnuExportar->setObjectName(QStringLiteral("mnuExportar"));
    form.mnuExtrato = new QAction(QStringLiteral("&Extrato da comissão (PDF)..."), form.mnuOperacoes);
    form.mnuExtrato->setObjectName(QStringLiteral("mnuExtrato"));
    form.mnuOperacoes->insertActions(beforeClose, {form.mnuExportar, form.mnuExtrato});
    // The history of what was settled, at the end of the menu.
    form.mnuHistorico = menuEntry(form.mnuManutencao, QStringLiteral("&Histórico da Comissão..."), "mnuHistorico",
                                  Qt::CTRL | Qt::Key_H);
    // Every command on the keyboard, shown in its menu entry; the shortcuts
    // work while the screen's window is active, the menu closed.
    form.mnuConfirmar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));             // generate
    form.mnuCancelar->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G));  // cancel the commission
    form.mnuProcurar->setShortcut(QKeySequence(QKeySequence::Find));                // Ctrl+F
    form.mnuVerificar->setShortcut(QKeySequence(QKeySequence::Refresh));            // F5
    for (QAction *entry : {form.mnuFiltrar, form.mnuConfirmar, form.mnuCancelar, form.mnuProcurar, form.mnuVerificar,
                           form.mnuHistorico}) {
        entry->setShortcutContext(Qt::WindowShortcut);
        form.addAction(entry);
    }
    form.msgPadrao->setLines(manComisCatalogue());
}

QVector<TDBGrid::TColumn> ScreenLayout::quoteColumns()
{
    QVector<TDBGrid::TColumn> columns = screencolumns::orcamentosColumns();
    for (TDBGrid::TColumn &column : columns) {
        if (column.fieldName == contract::Orcamentos::IdCheck.name && column.hasTitleFont
            && !QFontDatabase::hasFamily(column.titleFont.family())) {
            column.title = QStringLiteral("\u2713");
            column.titleFont = FormFont(11);
        }
    }
    return columns;
}
