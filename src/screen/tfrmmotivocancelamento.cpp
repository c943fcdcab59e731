#include "tfrmmotivocancelamento.h"

#include "modalrun.h"
#include "remotecontract.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QVBoxLayout>

using contract::RemoteContract;

TfrmMotivoCancelamento::TfrmMotivoCancelamento(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMotivoCancelamento"));
    setWindowTitle(QStringLiteral("Motivo do cancelamento"));
    resize(460, 220);

    lblMotivo = new QLabel(QStringLiteral("Informe o motivo do cancelamento (mínimo de %1 caracteres):")
                               .arg(RemoteContract::cancellationReasonMinLength),
                           this);
    lblMotivo->setObjectName(QStringLiteral("lblMotivo"));
    memMotivo = new QPlainTextEdit(this);
    memMotivo->setObjectName(QStringLiteral("memMotivo"));
    memMotivo->setTabChangesFocus(true);
    lblMotivo->setBuddy(memMotivo);

    auto *buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnOK->setEnabled(false);
    btnCancelar = buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblMotivo);
    layout->addWidget(memMotivo, 1);
    layout->addWidget(buttons);
    setTabOrder(memMotivo, btnOK);
    setTabOrder(btnOK, btnCancelar);

    connect(memMotivo, &QPlainTextEdit::textChanged, this, &TfrmMotivoCancelamento::textChanged);
    memMotivo->installEventFilter(this);
    memMotivo->setFocus();
}

QString TfrmMotivoCancelamento::reason() const
{
    return memMotivo->toPlainText().trimmed();
}

std::optional<QString> TfrmMotivoCancelamento::ask(QWidget *parent)
{
    TfrmMotivoCancelamento dialog(parent);
    if (ModalRun(dialog).exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.reason();
}

// Ctrl+Enter in the text confirms, as OK would; plain Enter starts a line.
bool TfrmMotivoCancelamento::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == memMotivo && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && key->modifiers().testFlag(Qt::ControlModifier)) {
            if (btnOK->isEnabled())
                accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Holds the text to the greatest length the server takes, the cursor at the
// end of what was kept, and offers OK once the trimmed text is long enough.
void TfrmMotivoCancelamento::textChanged()
{
    const QString text = memMotivo->toPlainText();
    if (text.size() > RemoteContract::cancellationReasonMaxLength) {
        const QSignalBlocker quiet(memMotivo);
        memMotivo->setPlainText(text.left(RemoteContract::cancellationReasonMaxLength));
        memMotivo->moveCursor(QTextCursor::End);
    }
    btnOK->setEnabled(reason().size() >= RemoteContract::cancellationReasonMinLength);
}
