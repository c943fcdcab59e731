#include "tfrmfiltromanucomissao.h"

#include "commandglyphs.h"
#include "domains.h"
#include "formfont.h"
#include "handlerguard.h"
#include "hostoperations.h"
#include "hourglasscursor.h"
#include "modulestate.h"
#include "paramorcaeve.h"
#include "silentabort.h"
#include "tadoibquery.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdateeditplus.h"
#include "tmessages.h"

#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QToolButton>

using Cli_ORE09700::boPrimVez;
using Cli_ORE09700::Filtro;

namespace {

// Shown when the salesperson table is empty and the catalogue has no text for
// it: the user can choose "Todos" or register salespeople first.
const QString kSemVendedores =
    QStringLiteral("Nenhum vendedor cadastrado. Escolha \"Todos\" ou cadastre os vendedores.");

// A magnifying glass; the icon derives the greyed state for a disabled button.
QIcon lookupGlyph()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 0, 128), 2));
    painter.drawEllipse(QRectF(2, 2, 8, 8));
    painter.setPen(QPen(QColor(96, 64, 0), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10, 10), QPointF(14, 14));
    painter.end();
    return glyphIcon(pixmap);
}

QRadioButton *radio(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

}  // namespace

TfrmFiltroManuComissao::TfrmFiltroManuComissao(QWidget *parent) : TfrmFiltroPadrao(parent)
{
    setObjectName(QStringLiteral("frmFiltroManuComissao"));
    setWindowTitle(QStringLiteral("Filtro da Manutenção da Comissão"));
    placeFrame();

    msgPadrao->setLines({
        QStringLiteral("DT_INICIAL|Data inicial do período deve ser informada."),
        QStringLiteral("DT_FINAL|Data final do período deve ser informada."),
        QStringLiteral("DTINI>DTFINAL|Data inicial deve ser menor ou igual a data final."),
        QStringLiteral("LVendedor|Vendedor deve ser informado."),
        QStringLiteral("LTipoEvento|Tipo de evento deve ser informado."),
        QStringLiteral("PERIODO|Período deve ser informado."),
        QStringLiteral("VENDEDOR|Vendedor"),
        QStringLiteral("TIPOEVEN|Tipo de Evento"),
        QStringLiteral("PARAM_FECHA|Geração de Comissão parametrizada para o Fechamento do Orçamento."),
    });

    const QFont captionFont = FormFont(11, true);
    buildPeriodo(captionFont);
    grbVendedor = buildListGroup(QStringLiteral("grbVendedor"), QStringLiteral("Vendedor"), QStringLiteral("Vendedor"),
                                 175, rbtTodosVendedor, rbtListaVendedor, sbtVendedor, captionFont);
    grbTipoEvento =
        buildListGroup(QStringLiteral("grbTipoEvento"), QStringLiteral("TpEvento"), QStringLiteral("Tipo de Evento"),
                       338, rbtTodosTpEvento, rbtListaTpEvento, sbtTpEvento, captionFont);
    buildComissao(captionFont);

    setTabOrder(depDePeriodo, depAtePeriodo);
    setTabOrder(depAtePeriodo, rbtTodosVendedor);
    setTabOrder(rbtTodosVendedor, rbtListaVendedor);
    setTabOrder(rbtListaVendedor, rbtTodosTpEvento);
    setTabOrder(rbtTodosTpEvento, rbtListaTpEvento);
    setTabOrder(rbtListaTpEvento, rbtNgerada);
    setTabOrder(rbtNgerada, rbtGerada);

    buildLookupQueries();
    connectHandlers();
}

TfrmFiltroManuComissao::~TfrmFiltroManuComissao()
{
    // The dialog destroys itself after closing: the module must not keep
    // pointing at it.
    if (Cli_ORE09701::frmFiltroManuComissao == this)
        Cli_ORE09701::frmFiltroManuComissao = nullptr;
}

void TfrmFiltroManuComissao::placeFrame()
{
    // The dialog has fixed positions: the frame's flowing layout gives way to
    // them, with the screen code inside the filter box above the groups.
    delete layout();
    move(250, 277);
    setFixedSize(720, 129);
    grbFiltroPadrao->setGeometry(0, 0, 665, 129);
    lblCodTela->setText(QStringLiteral("ORE09701"));
    lblCodTela->adjustSize();
    lblCodTela->move(665 - lblCodTela->width() - 9, 4);
    lblCodTela->raise();
    panMenu->setGeometry(665, 0, 55, 129);
    // The side panel is narrow: its buttons show their glyphs and hints only.
    for (QToolButton *button : {sbtConfirma, sbtCancel})
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);

    // Saving and loading option sets is not offered by this dialog.
    btfSaveOpc->setEnabled(false);
    panBotao->setVisible(false);
    panBotao->setEnabled(false);
    btfLoadOpc->setVisible(false);
    btfLoadOpc->setEnabled(false);
}

void TfrmFiltroManuComissao::buildPeriodo(const QFont &captionFont)
{
    grbPeriodo = new QGroupBox(QStringLiteral("Período"), grbFiltroPadrao);
    grbPeriodo->setObjectName(QStringLiteral("grbPeriodo"));
    grbPeriodo->setGeometry(12, 24, 154, 83);
    grbPeriodo->setFont(captionFont);

    lblDe = new QLabel(QStringLiteral("de"), grbPeriodo);
    lblDe->setObjectName(QStringLiteral("lblDe"));
    lblDe->move(8, 22);
    lblAte = new QLabel(QStringLiteral("até"), grbPeriodo);
    lblAte->setObjectName(QStringLiteral("lblAte"));
    lblAte->move(8, 52);

    QFont editFont = captionFont;
    editFont.setBold(false);
    const QStringList dayNames{QStringLiteral("Domingo"), QStringLiteral("Segunda"), QStringLiteral("Terça"),
                               QStringLiteral("Quarta"),  QStringLiteral("Quinta"),  QStringLiteral("Sexta"),
                               QStringLiteral("Sábado")};
    auto makeDateEdit = [&](const QString &name, int top) {
        auto *edit = new TDateEditPlus(grbPeriodo);
        edit->setObjectName(name);
        edit->setGeometry(40, top, 100, 19);
        edit->setFont(editFont);
        edit->DayNames = dayNames;
        edit->setColor(edit->palette().color(QPalette::ToolTipBase));
        return edit;
    };
    depDePeriodo = makeDateEdit(QStringLiteral("depDePeriodo"), 19);
    depAtePeriodo = makeDateEdit(QStringLiteral("depAtePeriodo"), 48);
}

// The controls of one group are named after it: rbtTodos<suffix>,
// rbtLista<suffix> and the lookup button sbt<suffix>.
QGroupBox *TfrmFiltroManuComissao::buildListGroup(const QString &groupName, const QString &name, const QString &caption,
                                                  int left, QRadioButton *&todos, QRadioButton *&lista,
                                                  QToolButton *&lookup, const QFont &captionFont)
{
    auto *group = new QGroupBox(caption, grbFiltroPadrao);
    group->setObjectName(groupName);
    group->setGeometry(left, 24, 154, 83);
    group->setFont(captionFont);

    // Each pair sits in its own group box, so the two exclude each other.
    todos = radio(group, QStringLiteral("rbtTodos") + name, QStringLiteral("Todos"), QRect(14, 24, 90, 17));
    // Narrower than "Todos" so it does not reach under the lookup button.
    lista = radio(group, QStringLiteral("rbtLista") + name, QStringLiteral("Lista"), QRect(14, 52, 84, 17));

    lookup = new QToolButton(group);
    lookup->setObjectName(QStringLiteral("sbt") + name);
    lookup->setGeometry(100, 48, 21, 21);
    lookup->setToolTip(QStringLiteral("Pesquisar"));
    lookup->setAutoRaise(true);
    lookup->setIcon(lookupGlyph());
    lookup->setFocusPolicy(Qt::NoFocus);
    lookup->setEnabled(false);
    return group;
}

void TfrmFiltroManuComissao::buildComissao(const QFont &captionFont)
{
    grbComissao = new QGroupBox(QStringLiteral("Comissão"), grbFiltroPadrao);
    grbComissao->setObjectName(QStringLiteral("grbComissao"));
    grbComissao->setGeometry(502, 24, 154, 83);
    grbComissao->setFont(captionFont);
    rbtNgerada = radio(grbComissao, QStringLiteral("rbtNgerada"), QStringLiteral("Não gerada"), QRect(14, 24, 113, 17));
    rbtGerada = radio(grbComissao, QStringLiteral("rbtGerada"), QStringLiteral("Gerada"), QRect(14, 52, 113, 17));
}

void TfrmFiltroManuComissao::buildLookupQueries()
{
    qryVendedor = new TADOIBQuery(this);
    qryVendedor->setObjectName(QStringLiteral("qryVendedor"));
    qryVendedor->SQL = {QStringLiteral("SELECT CDVENDEDOR, NMFANVEN"), QStringLiteral("FROM VENDEDOR"),
                        QStringLiteral("ORDER BY CDVENDEDOR")};
    qryVendedor->addField({.name = QStringLiteral("CDVENDEDOR"), .size = 4, .displayLabel = QStringLiteral("Código")});
    qryVendedor->addField({.name = QStringLiteral("NMFANVEN"), .size = 50, .displayLabel = QStringLiteral("Nome")});
    dtsVendedor = new TDataSource(this);
    dtsVendedor->setObjectName(QStringLiteral("dtsVendedor"));
    dtsVendedor->setDataSet(qryVendedor);

    qryTipoEven = new TADOIBQuery(this);
    qryTipoEven->setObjectName(QStringLiteral("qryTipoEven"));
    qryTipoEven->SQL = {QStringLiteral("SELECT CDTIPOEVENTO, NMTIPOEVENTO"), QStringLiteral("FROM TIPOEVENTO"),
                        QStringLiteral("ORDER BY CDTIPOEVENTO")};
    qryTipoEven->addField(
        {.name = QStringLiteral("CDTIPOEVENTO"), .size = 3, .displayLabel = QStringLiteral("Código")});
    qryTipoEven->addField(
        {.name = QStringLiteral("NMTIPOEVENTO"), .size = 30, .displayLabel = QStringLiteral("Tipo de Evento")});
    dtsTipoEven = new TDataSource(this);
    dtsTipoEven->setObjectName(QStringLiteral("dtsTipoEven"));
    dtsTipoEven->setDataSet(qryTipoEven);
}

void TfrmFiltroManuComissao::connectHandlers()
{
    // toggled, not clicked: checks made in code must enable the buttons too.
    connect(rbtTodosVendedor, &QRadioButton::toggled, this, guarded([this](bool) { rbtTodosVendedorClick(); }));
    connect(rbtListaVendedor, &QRadioButton::toggled, this, guarded([this](bool) { rbtListaVendedorClick(); }));
    connect(rbtTodosTpEvento, &QRadioButton::toggled, this, guarded([this](bool) { rbtTodosTpEventoClick(); }));
    connect(rbtListaTpEvento, &QRadioButton::toggled, this, guarded([this](bool) { rbtListaTpEventoClick(); }));
    connect(sbtVendedor, &QToolButton::clicked, this, guarded([this](bool) { sbtVendedorClick(); }));
    connect(sbtTpEvento, &QToolButton::clicked, this, guarded([this](bool) { sbtTpEventoClick(); }));
    connect(rbtGerada, &QRadioButton::clicked, this, guarded([this](bool) { rbtGeradaClick(); }));
    rbtListaVendedor->installEventFilter(this);
    rbtListaTpEvento->installEventFilter(this);
}

void TfrmFiltroManuComissao::FormCreate()
{
    TfrmFiltroPadrao::FormCreate();
    rbtTodosVendedor->setChecked(true);
    rbtTodosTpEvento->setChecked(true);
}

void TfrmFiltroManuComissao::FormActivate()
{
    TfrmFiltroPadrao::FormActivate();
    repaint();
    // Only the opening loads the controls from Filtro: coming back from
    // another window must keep what the user has typed meanwhile.
    if (!m_loadedFromFiltro) {
        m_loadedFromFiltro = true;
        loadFromFiltro();
        // The operator types the period first.
        depDePeriodo->setFocus();
    }
}

void TfrmFiltroManuComissao::loadFromFiltro()
{
    depDePeriodo->SetDate(Filtro.dtDePeriodo);
    depAtePeriodo->SetDate(Filtro.dtAtePeriodo);
    // Checking one button of a pair unchecks the other.
    (Filtro.Vendedor.boTodos ? rbtTodosVendedor : rbtListaVendedor)->setChecked(true);
    (Filtro.TipoEven.boTodos ? rbtTodosTpEvento : rbtListaTpEvento)->setChecked(true);
    // The status is not restored: every opening starts at "Não gerada".
    rbtNgerada->setChecked(true);
}

void TfrmFiltroManuComissao::rbtTodosVendedorClick()
{
    sbtVendedor->setEnabled(rbtListaVendedor->isChecked());
}

void TfrmFiltroManuComissao::rbtListaVendedorClick()
{
    sbtVendedor->setEnabled(rbtListaVendedor->isChecked());
}

void TfrmFiltroManuComissao::rbtTodosTpEventoClick()
{
    sbtTpEvento->setEnabled(rbtListaTpEvento->isChecked());
}

void TfrmFiltroManuComissao::rbtListaTpEventoClick()
{
    sbtTpEvento->setEnabled(rbtListaTpEvento->isChecked());
}

bool TfrmFiltroManuComissao::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == rbtListaVendedor)
            runGuarded([&] { rbtListaVendedorKeyDown(key); });
        else if (watched == rbtListaTpEvento)
            runGuarded([&] { rbtListaTpEventoKeyDown(key); });
    }
    // The key always goes on to the button.
    return TfrmFiltroPadrao::eventFilter(watched, event);
}

void TfrmFiltroManuComissao::rbtListaVendedorKeyDown(int key)
{
    if (key == Qt::Key_F9)
        sbtVendedorClick();
}

void TfrmFiltroManuComissao::rbtListaTpEventoKeyDown(int key)
{
    if (key == Qt::Key_F9)
        sbtTpEventoClick();
}

void TfrmFiltroManuComissao::sbtVendedorClick()
{
    qryVendedor->Open();
    if (qryVendedor->IsEmpty()) {
        const QString text = msgPadrao->Msg(QStringLiteral("VEND"));
        MensErro(EmptyString(text) ? kSemVendedores : text, false);
        rbtListaVendedor->setFocus();
        Abort();
    }
    PesquisaLista(dtsVendedor, QStringLiteral("CDVENDEDOR"), msgPadrao->Msg(QStringLiteral("VENDEDOR")), false,
                  Cli_ORE09701::stVendedor);
}

void TfrmFiltroManuComissao::sbtTpEventoClick()
{
    qryTipoEven->Open();
    // The part after the bar is what the picker says over an empty table; it
    // is left out rather than shown empty when the catalogue has no text.
    QString title = msgPadrao->Msg(QStringLiteral("TIPOEVEN"));
    const QString emptyTableText = msgPadrao->Msg(QStringLiteral("TIPOEVEN_N_CAD"));
    if (!EmptyString(emptyTableText))
        title += QLatin1Char('|') + emptyTableText;
    PesquisaLista(dtsTipoEven, QStringLiteral("CDTIPOEVENTO"), title, false, Cli_ORE09701::stTipoEvento);
}

void TfrmFiltroManuComissao::rbtGeradaClick()
{
    Vd_Comissao();
}

void TfrmFiltroManuComissao::Vd_Comissao()
{
    rbtGerada->setChecked(!rbtNgerada->isChecked());
}

void TfrmFiltroManuComissao::sbtConfirmaClick()
{
    if (parameterIdGeraComissao() != contract::Domains::GenerationPlace::maintenance)
        MensErro(msgPadrao->Msg(QStringLiteral("PARAM_FECHA")), true);
    depDePeriodo->CheckValidDate();
    depAtePeriodo->CheckValidDate();
    Vd_DePeriodo();
    Vd_AtePeriodo();
    Vd_Periodo();
    Vd_Lista();
    writeFiltro();
    setModalResult(1);
}

QString TfrmFiltroManuComissao::parameterIdGeraComissao() const
{
    // Without a screen or its quote parameters there is nothing that allows
    // generating here, which reads as a parameter other than "MANUTENCAO".
    return m_screen != nullptr ? m_screen->quoteParameter(contract::ParamOrcaEve::IdGeraComissao.name) : QString();
}

void TfrmFiltroManuComissao::refuse(const QString &key, QWidget *focusTarget)
{
    // The message comes first, then the focus moves, then the handler ends.
    MensErro(msgPadrao->Msg(key), false);
    focusTarget->setFocus();
    Abort();
}

void TfrmFiltroManuComissao::Vd_DePeriodo()
{
    if (EmptyString(depDePeriodo->text()) && !EmptyString(depAtePeriodo->text()))
        refuse(QStringLiteral("DT_INICIAL"), depDePeriodo);
}

void TfrmFiltroManuComissao::Vd_AtePeriodo()
{
    if (EmptyString(depAtePeriodo->text()) && !EmptyString(depDePeriodo->text()))
        refuse(QStringLiteral("DT_FINAL"), depAtePeriodo);
}

void TfrmFiltroManuComissao::Vd_Periodo()
{
    const bool startEmpty = EmptyString(depDePeriodo->text());
    const bool endEmpty = EmptyString(depAtePeriodo->text());
    if (startEmpty && endEmpty)
        refuse(QStringLiteral("PERIODO"), depDePeriodo);
    if (!startEmpty && !endEmpty && depAtePeriodo->GetDate() < depDePeriodo->GetDate())
        refuse(QStringLiteral("DTINI>DTFINAL"), depDePeriodo);
}

void TfrmFiltroManuComissao::Vd_Lista()
{
    if (rbtListaVendedor->isChecked() && EmptyString(Cli_ORE09701::stVendedor))
        refuse(QStringLiteral("LVendedor"), rbtListaVendedor);
    if (rbtListaTpEvento->isChecked() && EmptyString(Cli_ORE09701::stTipoEvento))
        refuse(QStringLiteral("LTipoEvento"), rbtListaTpEvento);
}

void TfrmFiltroManuComissao::writeFiltro()
{
    Filtro.dtDePeriodo = depDePeriodo->GetDate();
    Filtro.dtAtePeriodo = depAtePeriodo->GetDate();
    Filtro.Vendedor.boTodos = rbtTodosVendedor->isChecked();
    // The lists are copied also with "Todos": the loading decides what to send.
    Filtro.Vendedor.stLista = Cli_ORE09701::stVendedor;
    Filtro.TipoEven.boTodos = rbtTodosTpEvento->isChecked();
    Filtro.TipoEven.stLista = Cli_ORE09701::stTipoEvento;
    using Status = contract::Domains::CommissionStatus;
    Filtro.Comissao.stGerada = rbtNgerada->isChecked() ? Status::notGenerated : Status::generated;
}

void TfrmFiltroManuComissao::sbtCancelClick()
{
    TfrmFiltroPadrao::sbtCancelClick();
    setModalResult(2);
}

void TfrmFiltroManuComissao::FormClose()
{
    TfrmFiltroPadrao::FormClose();
    Habilita();
    Cli_ORE09701::boIdCriado = false;
    Release();
}

void TfrmFiltroManuComissao::Habilita()
{
    if (m_screen != nullptr)
        m_screen->disableCommandsForFilter();
}

void CriaFiltroManuComissao(QWidget *screen)
{
    // The cursor comes back also when the dialog cannot be built or run.
    const HourGlassCursor cursor;

    if (!Cli_ORE09701::boIdCriado) {
        auto *dialog = new TfrmFiltroManuComissao();
        Cli_ORE09701::frmFiltroManuComissao = dialog;
        if (!dialog->create()) {
            // Its creation error has been shown; the filter run ends here.
            delete dialog;
            Abort();
        }
        Cli_ORE09701::boIdCriado = true;
    }
    Cli_ORE09701::frmFiltroManuComissao->setScreen(dynamic_cast<FilterScreen *>(screen));
    Cli_ORE09701::frmFiltroManuComissao->ShowModal();
}
