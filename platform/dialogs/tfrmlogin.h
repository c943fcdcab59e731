#pragma once

#include "dialogs_export.h"
#include "dialogseam.h"

#include <QDialog>

#include <exception>
#include <memory>

class OperatorCursor;
class TNetConnection;
class QLabel;
class QLineEdit;
class QPushButton;

// The sign-in dialog (frmLogin): operator and password, sent to the
// commission server through SignIn::signInAsync. Enter signs in, Escape
// leaves. While the server has not answered the busy cursor shows and the
// buttons (Escape too) are held; the event loop goes on. A refusal (the
// server's text, or why it could not be reached) then shows in the dialog,
// which stays open with the password cleared; a success leaves the session
// signed in and accepts.
class DIALOGS_EXPORT TfrmLogin : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLogin(const DialogSeam::SignInPrompt &prompt, QWidget *parent = nullptr);
    ~TfrmLogin() override;

    void reject() override;  // not while the sign-in waits for the server

    QLineEdit *edtOperador;
    QLineEdit *edtSenha;
    QPushButton *btnEntrar;
    QPushButton *btnSair;
    QLabel *lblAviso;     // the prompt's notice ("Sua sessão expirou...")
    QLabel *lblMensagem;  // why the last attempt failed

private:
    void enter();
    void signInEnded(const std::exception_ptr &error);
    void refuse(const QString &text, QLineEdit *focus);
    void setWaiting(bool waiting);

    std::unique_ptr<TNetConnection> m_connection;  // of the sign-in under way
    std::unique_ptr<OperatorCursor> m_hourglass;   // while it waits
};
