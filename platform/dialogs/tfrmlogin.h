#pragma once

#include "dialogseam.h"
#include "dialogs_export.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The sign-in dialog (frmLogin): operator and password, sent to the
// commission server through SignIn::signIn. Enter signs in, Escape leaves.
// A refusal (the server's text, or why it could not be reached) shows in the
// dialog, which stays open with the password cleared; a success leaves the
// session signed in and accepts.
class DIALOGS_EXPORT TfrmLogin : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLogin(const DialogSeam::SignInPrompt &prompt, QWidget *parent = nullptr);

    QLineEdit *edtOperador;
    QLineEdit *edtSenha;
    QPushButton *btnEntrar;
    QPushButton *btnSair;
    QLabel *lblAviso;     // the prompt's notice ("Sua sessão expirou...")
    QLabel *lblMensagem;  // why the last attempt failed

private:
    void enter();
    void refuse(const QString &text, QLineEdit *focus);
    void setWaiting(bool waiting);
};
