#include "tfrmlogin.h"

#include "handlerguard.h"
#include "operatorcursor.h"
#include "session.h"
#include "signin.h"

#include <tnetconnection.h>

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Longer than any password an operator types; keeps a pasted file out.
constexpr int passwordMaxLength = 256;

}  // namespace

TfrmLogin::TfrmLogin(const DialogSeam::SignInPrompt &prompt, QWidget *parent)
    : QDialog(parent), edtOperador(new QLineEdit(this)), edtSenha(new QLineEdit(this)),
      btnEntrar(new QPushButton(QStringLiteral("&Entrar"), this)),
      btnSair(new QPushButton(QStringLiteral("&Sair"), this)), lblAviso(new QLabel(prompt.notice, this)),
      lblMensagem(new QLabel(this))
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Entrar"));
    edtOperador->setObjectName(QStringLiteral("edtOperador"));
    edtOperador->setText(prompt.operatorCode);
    edtOperador->setMaxLength(Session::values().operatorCodeWidth);
    edtOperador->setReadOnly(prompt.sameOperator);
    edtSenha->setObjectName(QStringLiteral("edtSenha"));
    edtSenha->setEchoMode(QLineEdit::Password);
    edtSenha->setMaxLength(passwordMaxLength);
    btnEntrar->setObjectName(QStringLiteral("btnEntrar"));
    btnEntrar->setDefault(true);
    btnSair->setObjectName(QStringLiteral("btnSair"));
    btnSair->setAutoDefault(false);
    lblAviso->setObjectName(QStringLiteral("lblAviso"));
    lblAviso->setWordWrap(true);
    lblAviso->setVisible(!prompt.notice.isEmpty());
    lblMensagem->setObjectName(QStringLiteral("lblMensagem"));
    lblMensagem->setWordWrap(true);
    lblMensagem->setStyleSheet(QStringLiteral("color: #a00000;"));
    // Room for a refusal of two lines, so the dialog does not jump when one shows.
    lblMensagem->setMinimumHeight(2 * fontMetrics().lineSpacing());
    lblMensagem->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *operatorLabel = new QLabel(QStringLiteral("Operador:"), this);
    operatorLabel->setObjectName(QStringLiteral("lblOperador"));
    operatorLabel->setBuddy(edtOperador);
    auto *passwordLabel = new QLabel(QStringLiteral("Senha:"), this);
    passwordLabel->setObjectName(QStringLiteral("lblSenha"));
    passwordLabel->setBuddy(edtSenha);
    auto *fields = new QFormLayout;
    fields->addRow(operatorLabel, edtOperador);
    fields->addRow(passwordLabel, edtSenha);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnEntrar);
    buttons->addWidget(btnSair);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblAviso);
    layout->addLayout(fields);
    layout->addWidget(lblMensagem);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    setTabOrder(edtOperador, edtSenha);
    setTabOrder(edtSenha, btnEntrar);
    setTabOrder(btnEntrar, btnSair);
    connect(btnEntrar, &QPushButton::clicked, this, [this] { runGuarded([this] { enter(); }); });
    connect(btnSair, &QPushButton::clicked, this, &QDialog::reject);
    (prompt.operatorCode.trimmed().isEmpty() ? edtOperador : edtSenha)->setFocus();
}

void TfrmLogin::enter()
{
    if (m_hourglass)
        return;  // the sign-in sent waits for its answer
    const QString operatorCode = edtOperador->text().trimmed();
    if (operatorCode.isEmpty())
        return refuse(QStringLiteral("Informe o operador."), edtOperador);
    if (edtSenha->text().isEmpty())
        return refuse(QStringLiteral("Informe a senha."), edtSenha);

    setWaiting(true);
    if (!m_connection)
        m_connection = std::make_unique<TNetConnection>();
    SignIn::signInAsync(*m_connection, operatorCode, edtSenha->text(), this,
                        [this](const std::exception_ptr &error) { runGuarded([&] { signInEnded(error); }); });
}

void TfrmLogin::signInEnded(const std::exception_ptr &error)
{
    setWaiting(false);
    edtSenha->clear();
    if (!error)
        return accept();
    try {
        std::rethrow_exception(error);
    } catch (const RemoteCallError &refused) {
        refuse(QString::fromUtf8(refused.what()), edtSenha);
    } catch (const TransportError &unreachable) {
        refuse(QString::fromUtf8(unreachable.what()), edtSenha);
    }
}

void TfrmLogin::refuse(const QString &text, QLineEdit *focus)
{
    lblMensagem->setText(text);
    focus->setFocus();
}

TfrmLogin::~TfrmLogin() = default;

void TfrmLogin::reject()
{
    if (!m_hourglass)
        QDialog::reject();
}

void TfrmLogin::setWaiting(bool waiting)
{
    btnEntrar->setEnabled(!waiting);
    btnSair->setEnabled(!waiting);
    if (waiting)
        m_hourglass = std::make_unique<OperatorCursor>(OperatorCursor::Shows::Working);
    else
        m_hourglass.reset();
}
