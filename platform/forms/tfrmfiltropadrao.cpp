#include "tfrmfiltropadrao.h"

#include "baseformparts.h"
#include "commandglyphs.h"
#include "dialogseam.h"
#include "formfont.h"
#include "handlerguard.h"
#include "modalrun.h"
#include "operatorcursor.h"
#include "tmessages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *newButton(QWidget *parent, const char *name, const QString &caption, const QString &hint,
                       CommandGlyph glyph)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(commandGlyph(glyph));
    button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setMinimumHeight(26);
    return button;
}

}  // namespace

struct TfrmFiltroPadrao::Private {
    explicit Private(QDialog &dialog) : run(dialog) {}

    ModalRun run;
    int modalResult = mrNone;
    bool endPending = false;    // the end of the run is queued
    bool activeDialog = false;  // FormActivate ran and the dialog has not been left since
};

TfrmFiltroPadrao::TfrmFiltroPadrao(QWidget *parent) : QDialog(parent), d(std::make_unique<Private>(*this))
{
    setObjectName(QStringLiteral("frmFiltroPadrao"));
    setFont(FormFont(11));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    msgPadrao = new TMessages(this);
    msgPadrao->setObjectName(QStringLiteral("msgPadrao"));

    lblCodTela = newScreenCodeLabel(this);

    // The filter controls are placed inside by the dialog that uses the frame.
    grbFiltroPadrao = new QGroupBox(this);
    grbFiltroPadrao->setObjectName(QStringLiteral("grbFiltroPadrao"));

    panMenu = new QFrame(this);
    panMenu->setObjectName(QStringLiteral("panMenu"));
    panMenu->setFrameStyle(QFrame::Panel | QFrame::Raised);
    sbtConfirma = newButton(panMenu, "sbtConfirma", QStringLiteral("Confirmar"), QStringLiteral("Confirmar o filtro"),
                            CommandGlyph::Confirm);
    sbtCancel = newButton(panMenu, "sbtCancel", QStringLiteral("Cancelar"), QStringLiteral("Cancelar o filtro"),
                          CommandGlyph::Cancel);
    panBotao = new QFrame(panMenu);
    panBotao->setObjectName(QStringLiteral("panBotao"));
    panBotao->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // Saved option sets are offered by a dialog that keeps them; the frame
    // only holds their buttons, disabled.
    btfSaveOpc = newButton(panBotao, "btfSaveOpc", QString(), QStringLiteral("Salvar opções"), CommandGlyph::Save);
    btfLoadOpc =
        newButton(panBotao, "btfLoadOpc", QString(), QStringLiteral("Carregar opções"), CommandGlyph::OpenFolder);
    btfSaveOpc->setEnabled(false);
    btfLoadOpc->setEnabled(false);
    auto *optionLayout = new QHBoxLayout(panBotao);
    optionLayout->setContentsMargins(2, 2, 2, 2);
    optionLayout->addWidget(btfSaveOpc);
    optionLayout->addWidget(btfLoadOpc);

    auto *menuLayout = new QVBoxLayout(panMenu);
    menuLayout->setContentsMargins(4, 4, 4, 4);
    menuLayout->addWidget(sbtConfirma);
    menuLayout->addWidget(sbtCancel);
    menuLayout->addStretch();
    menuLayout->addWidget(panBotao);

    auto *codeRow = new QHBoxLayout;
    codeRow->addStretch();
    codeRow->addWidget(lblCodTela);
    auto *filterColumn = new QVBoxLayout;
    filterColumn->addLayout(codeRow);
    filterColumn->addWidget(grbFiltroPadrao, 1);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(filterColumn, 1);
    layout->addWidget(panMenu);

    connect(sbtConfirma, &QToolButton::clicked, this, guarded([this] { sbtConfirmaClick(); }));
    connect(sbtCancel, &QToolButton::clicked, this, guarded([this] { sbtCancelClick(); }));
}

TfrmFiltroPadrao::~TfrmFiltroPadrao() = default;

bool TfrmFiltroPadrao::create()
{
    return runGuarded([this] { FormCreate(); });
}

int TfrmFiltroPadrao::ShowModal()
{
    d->modalResult = mrNone;
    {
        // The dialog waits for the operator: the arrow, whatever the caller showed.
        const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
        d->run.exec();
    }
    return d->modalResult;
}

int TfrmFiltroPadrao::ModalResult() const
{
    return d->modalResult;
}

void TfrmFiltroPadrao::setModalResult(int result)
{
    d->modalResult = result;
    // The run ends once the handler that set the result has returned, so the
    // rest of that handler still runs before FormClose; a handler that puts
    // the result back to 0 keeps the dialog open.
    if (result != mrNone && d->run.running() && !d->endPending) {
        d->endPending = true;
        QMetaObject::invokeMethod(this, &TfrmFiltroPadrao::endModalRun, Qt::QueuedConnection);
    }
}

void TfrmFiltroPadrao::endModalRun()
{
    d->endPending = false;
    if (!d->run.running() || d->modalResult == mrNone)
        return;
    runGuarded([this] { FormClose(); });
    QDialog::done(d->modalResult);
}

void TfrmFiltroPadrao::Release()
{
    d->run.release();
}

void TfrmFiltroPadrao::FormCreate() {}

void TfrmFiltroPadrao::FormActivate() {}

void TfrmFiltroPadrao::FormClose() {}

void TfrmFiltroPadrao::sbtConfirmaClick() {}

void TfrmFiltroPadrao::sbtCancelClick()
{
    setModalResult(mrCancel);
}

void TfrmFiltroPadrao::reject()
{
    // Escape and the close box cancel the run.
    if (d->run.running())
        setModalResult(mrCancel);
    else
        QDialog::reject();
}

void TfrmFiltroPadrao::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier && d->run.running()) {
        if (sbtConfirma->isEnabled())
            sbtConfirma->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmFiltroPadrao::closeEvent(QCloseEvent *event)
{
    if (!d->run.running()) {
        QDialog::closeEvent(event);
        return;
    }
    reject();
    event->setAccepted(!isVisible());
}

bool TfrmFiltroPadrao::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        if (!d->activeDialog) {
            d->activeDialog = true;
            runGuarded([this] { FormActivate(); });
        }
        break;
    case QEvent::WindowDeactivate:
        // The dialog's own message boxes and popups do not make it inactive.
        if (!ownWindowIsActive(this))
            d->activeDialog = false;
        break;
    case QEvent::Hide:
        d->activeDialog = false;
        break;
    default:
        break;
    }
    return QDialog::event(event);
}
