#include "tfrmorcapendednte.h"

#include "fillcolour.h"
#include "formfont.h"
#include "modulestate.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdbgrid.h"

#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Sizes of the form as designed, in pixels.
constexpr QSize outerSize(736, 250);
constexpr int messagePanelHeight = 52;
constexpr int okPanelHeight = 38;
constexpr QRect pictureRect(5, 9, 37, 38);
constexpr QRect textRect(55, 12, 666, 32);
constexpr QRect okButtonRect(315, 8, 75, 25);

const QString defaultText = QStringLiteral("Os vendedores abaixo não possuem comissão gerada.");

// Paints `widget` in the face colour of buttons, text colour kept.
void useButtonFace(QWidget *widget)
{
    setFillColour(widget, widget->palette().color(QPalette::Button));
}

// Keeps a control inside the disabled message panel looking enabled: the panel
// is disabled only so that its contents take no input.
void drawAsEnabled(QWidget *widget)
{
    QPalette palette = widget->palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colorRole = static_cast<QPalette::ColorRole>(role);
        palette.setColor(QPalette::Disabled, colorRole, palette.color(QPalette::Active, colorRole));
    }
    widget->setPalette(palette);
}

QFrame *newPanel(QWidget *parent, const char *name, int height)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameShape(QFrame::NoFrame);
    panel->setFixedHeight(height);
    return panel;
}

}  // namespace

TfrmOrcaPendednte::TfrmOrcaPendednte(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOrcaPendednte"));
    setWindowTitle(QStringLiteral("Atenção"));
    setFont(FormFont(11));
    resize(outerSize);

    dtsOrcaPendednte = new TDataSource(this);
    dtsOrcaPendednte->setObjectName(QStringLiteral("dtsOrcaPendednte"));

    buildMessagePanel();
    buildGrid();
    buildOkPanel();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panMsg);
    layout->addWidget(dbgMensagem, 1);
    layout->addWidget(panOk);
}

TfrmOrcaPendednte::~TfrmOrcaPendednte()
{
    // The unit's variable must not keep pointing at a released dialog.
    if (Cli_ORE09702::frmOrcaPendednte == this)
        Cli_ORE09702::frmOrcaPendednte = nullptr;
}

void TfrmOrcaPendednte::buildMessagePanel()
{
    panMsg = newPanel(this, "panMsg", messagePanelHeight);
    panMsg->setEnabled(false);

    imgErroOri = new QLabel(panMsg);
    imgErroOri->setObjectName(QStringLiteral("imgErroOri"));
    imgErroOri->setPixmap(informationPicture());
    imgErroOri->setGeometry(pictureRect);
    // A disabled label would grey the picture; it is painted as it is instead.
    imgErroOri->installEventFilter(this);

    memInforma = new QPlainTextEdit(panMsg);
    memInforma->setObjectName(QStringLiteral("memInforma"));
    memInforma->setGeometry(textRect);
    memInforma->setFrameShape(QFrame::NoFrame);
    memInforma->setFont(FormFont(13));
    memInforma->setReadOnly(true);
    memInforma->setFocusPolicy(Qt::NoFocus);
    memInforma->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memInforma->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memInforma->setPlainText(defaultText);
    useButtonFace(memInforma);
    drawAsEnabled(memInforma);
}

void TfrmOrcaPendednte::buildGrid()
{
    dbgMensagem = new TDBGrid(this);
    dbgMensagem->setObjectName(QStringLiteral("dbgMensagem"));
    dbgMensagem->setFrameShape(QFrame::NoFrame);
    dbgMensagem->setFont(FormFont(11));
    dbgMensagem->horizontalHeader()->setFont(FormFont(11, true));
    useButtonFace(dbgMensagem);
    dbgMensagem->setOptions(TDBGrid::dgTitles | TDBGrid::dgColLines | TDBGrid::dgRowLines | TDBGrid::dgTabs
                            | TDBGrid::dgConfirmDelete | TDBGrid::dgCancelOnExit);
    dbgMensagem->setDataSource(dtsOrcaPendednte);
    dbgMensagem->OnKeyDown = [this](int &key, Qt::KeyboardModifiers) { FormKeyDown(key); };
}

void TfrmOrcaPendednte::buildOkPanel()
{
    panOk = newPanel(this, "panOk", okPanelHeight);

    btnOK = new QPushButton(QStringLiteral("&OK"), panOk);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(okButtonRect);
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
}

QPixmap TfrmOrcaPendednte::informationPicture()
{
    QPixmap picture(pictureRect.size());
    picture.fill(Qt::transparent);

    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    // The balloon: an ellipse with a tail at its lower left.
    QPainterPath balloon;
    balloon.addEllipse(QRectF(1.5, 1.5, 34, 28));
    QPainterPath tail;
    tail.moveTo(7, 22);
    tail.lineTo(4, 36.5);
    tail.lineTo(17, 27);
    tail.closeSubpath();
    balloon = balloon.united(tail);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPath(balloon);

    // The letter "i": a dot over a stem.
    const QColor blue(0, 0, 255);
    painter.setPen(Qt::NoPen);
    painter.setBrush(blue);
    painter.drawEllipse(QRectF(16, 5, 5, 5));
    painter.drawRect(QRectF(16, 12, 5, 12));
    painter.drawRect(QRectF(14, 12, 2, 2));
    painter.drawRect(QRectF(14, 22, 9, 2));
    return picture;
}

void TfrmOrcaPendednte::btnOKClick()
{
    close();
}

void TfrmOrcaPendednte::FormActivate()
{
    update();
}

void TfrmOrcaPendednte::FormKeyDown(int &key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        key = 0;
        btnOKClick();
    }
}

void TfrmOrcaPendednte::FormClose()
{
    // Every run gets a fresh form.
    m_run.release();
}

int TfrmOrcaPendednte::runModal()
{
    return m_run.exec();
}

void TfrmOrcaPendednte::keyPressEvent(QKeyEvent *event)
{
    int key = event->key();
    FormKeyDown(key);
    if (key == 0)
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

void TfrmOrcaPendednte::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TfrmOrcaPendednte::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        placeOnScreen();
    }
}

// The designed size is the outer one, frame and caption included.
void TfrmOrcaPendednte::placeOnScreen()
{
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    resize(outerSize - frameExtra);
    QRect outer(QPoint(0, 0), outerSize);
    if (QScreen *where = screen())
        outer.moveCenter(where->geometry().center());
    move(outer.topLeft());
}

void TfrmOrcaPendednte::done(int result)
{
    QDialog::done(result);
    FormClose();
}

bool TfrmOrcaPendednte::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == imgErroOri && event->type() == QEvent::Paint) {
        QPainter painter(imgErroOri);
        painter.drawPixmap(0, 0, imgErroOri->pixmap());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CriaOrcaPendedente(TClientDataSet *dataSet, const QString &text)
{
    auto *dialog = new TfrmOrcaPendednte(nullptr);
    Cli_ORE09702::frmOrcaPendednte = dialog;
    dialog->dtsOrcaPendednte->setDataSet(dataSet);
    dialog->memInforma->setPlainText(text);
    dialog->runModal();
}
