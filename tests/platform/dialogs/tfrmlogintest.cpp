// The sign-in dialog and the session's sign-in: keyboard use, refusals shown
// in the dialog, the session filled from the server's answer, and an ended
// session renewed through the dialog seam.

#include "tfrmlogin.h"
#include "scripteddialogs.h"
#include "scriptedserver.h"
#include "session.h"
#include "signin.h"

#include <tnetconnection.h>

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString wrongPassword = QStringLiteral("Operador ou senha inválidos.");
const QString directoryDown = QStringLiteral("Diretório de operadores indisponível. Tente novamente.");

// The server's operator directory: ADMIN, password "certa"; "fora" finds
// the directory down.
ScriptedServer::Reply directory(const QString &operatorCode, const QString &password)
{
    if (password == QLatin1String("fora"))
        return ScriptedServer::Reply::error(503, directoryDown);
    if (operatorCode.compare(QLatin1String("admin"), Qt::CaseInsensitive) != 0 || password != QLatin1String("certa"))
        return ScriptedServer::Reply::error(401, wrongPassword);
    return ScriptedServer::Reply::signedIn(
        "novo", "ADMIN", "Administrador",
        QJsonArray{QJsonObject{{"filial", "0001"}, {"direitos", QJsonArray{"consultar", "gerar"}}}});
}

void useServer(int port)
{
    SessionValues values;
    values.branchCode = "0001";
    values.operatorCode = "ADMIN";
    values.serverPort = port;
    values.serverSecret = "s";
    Session::set(values);
}

void showActive(QWidget &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

}  // namespace

class TfrmLoginTest : public QObject {
    Q_OBJECT
private slots:
    void shouldOfferOperatorPasswordAndButtonsByKeyboard()
    {
        TfrmLogin dialog({"ADMIN", QString(), false});
        showActive(dialog);
        QCOMPARE(dialog.objectName(), QString("frmLogin"));
        QCOMPARE(dialog.windowTitle(), QString("Entrar"));
        QCOMPARE(dialog.findChild<QLabel *>("lblOperador")->text(), QString("Operador:"));
        QCOMPARE(dialog.findChild<QLabel *>("lblSenha")->text(), QString("Senha:"));
        QCOMPARE(dialog.edtOperador->text(), QString("ADMIN"));
        QCOMPARE(dialog.edtSenha->echoMode(), QLineEdit::Password);
        QCOMPARE(dialog.btnEntrar->text(), QString("&Entrar"));
        QCOMPARE(dialog.btnSair->text(), QString("&Sair"));
        QVERIFY(dialog.btnEntrar->isDefault());
        QVERIFY(!dialog.lblAviso->isVisible());
        QCOMPARE(QApplication::focusWidget(), dialog.edtSenha);  // the operator is known

        // The keyboard's way through, each control found by its name.
        dialog.edtOperador->setFocus();
        for (const char *name : {"edtOperador", "edtSenha", "btnEntrar", "btnSair"}) {
            QCOMPARE(QApplication::focusWidget(), dialog.findChild<QWidget *>(name));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
    }

    void shouldSignInOnEnterOrSayWhyNot_data()
    {
        QTest::addColumn<QString>("operatorCode");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");  // empty: signed in
        QTest::addColumn<QString>("focus");    // where the focus is left after a refusal
        QTest::addColumn<int>("requests");

        QTest::newRow("signed in") << "admin"
                                   << "certa"
                                   << ""
                                   << "" << 1;
        QTest::newRow("wrong password") << "ADMIN"
                                        << "errada" << wrongPassword << "edtSenha" << 1;
        QTest::newRow("directory down") << "ADMIN"
                                        << "fora" << directoryDown << "edtSenha" << 1;
        QTest::newRow("no server") << "ADMIN"
                                   << "certa"
                                   << "Não foi possível comunicar com o servidor"
                                   << "edtSenha" << 0;
        QTest::newRow("no password") << "ADMIN"
                                     << ""
                                     << "Informe a senha."
                                     << "edtSenha" << 0;
        QTest::newRow("no operator") << " "
                                     << "certa"
                                     << "Informe o operador."
                                     << "edtOperador" << 0;
    }

    void shouldSignInOnEnterOrSayWhyNot()
    {
        QFETCH(QString, operatorCode);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        QFETCH(int, requests);

        ScriptedServer server;
        server.scriptSignIn(directory);
        useServer(QTest::currentDataTag() == QLatin1String("no server") ? ScriptedServer::closedPort() : server.port());
        TfrmLogin dialog({operatorCode, QString(), false});
        showActive(dialog);
        QTest::keyClicks(dialog.edtSenha, password);
        QTest::keyClick(dialog.edtSenha, Qt::Key_Return);
        QTRY_VERIFY(dialog.btnEntrar->isEnabled());

        QCOMPARE(server.sessionRequests().size(), requests);
        const SessionValues &session = Session::values();
        if (message.isEmpty()) {
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QVERIFY(!dialog.isVisible());
            QCOMPARE(session.sessionToken, QString("novo"));
            QCOMPARE(session.operatorCode, QString("ADMIN"));  // as the server wrote it
            QCOMPARE(session.operatorName, QString("Administrador"));
            QVERIFY(Session::allows("0001", "gerar"));
            QVERIFY(!Session::allows("0001", "cancelar"));
            QVERIFY(!Session::allows("0002", "consultar"));
            QCOMPARE(QJsonDocument::fromJson(server.sessionRequests()[0].body)["senha"].toString(), password);
            return;
        }
        QVERIFY(dialog.isVisible());
        QVERIFY2(dialog.lblMensagem->text().startsWith(message), qPrintable(dialog.lblMensagem->text()));
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        if (requests > 0 || QTest::currentDataTag() == QLatin1String("no server"))
            QVERIFY(dialog.edtSenha->text().isEmpty());
        QVERIFY(session.sessionToken.isEmpty());
        QVERIFY(dialog.btnEntrar->isEnabled() && dialog.btnSair->isEnabled());
    }

    void shouldShowTheBusyCursorAndHoldTheButtonsWhileWaiting()
    {
        ScriptedServer server;
        server.scriptSignIn([](const QString &, const QString &) {
            ScriptedServer::Reply reply = ScriptedServer::Reply::error(401, wrongPassword);
            reply.delayMs = 300;
            return reply;
        });
        useServer(server.port());
        TfrmLogin dialog({"ADMIN", QString(), false});
        showActive(dialog);
        QTest::keyClicks(dialog.edtSenha, "x");
        bool buttonsHeld = false;
        bool openAfterEscape = false;
        int cursor = -1;
        QTimer::singleShot(100, &dialog, [&] {
            buttonsHeld = !dialog.btnEntrar->isEnabled() && !dialog.btnSair->isEnabled();
            cursor = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : -1;
            QTest::keyClick(dialog.edtSenha, Qt::Key_Escape);
            openAfterEscape = dialog.isVisible();
        });
        // Returns at once: the answer comes through the event loop.
        QTest::keyClick(dialog.edtSenha, Qt::Key_Return);
        QVERIFY(!dialog.btnEntrar->isEnabled());
        QTRY_VERIFY(!dialog.lblMensagem->text().isEmpty());
        QVERIFY(buttonsHeld);
        QVERIFY(openAfterEscape);
        QCOMPARE(cursor, int(Qt::WaitCursor));
        QCOMPARE(dialog.lblMensagem->text(), wrongPassword);
        QVERIFY(dialog.btnEntrar->isEnabled() && dialog.btnSair->isEnabled());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void shouldLeaveOnEscapeWithoutCallingTheServer()
    {
        ScriptedServer server;
        server.scriptSignIn(directory);
        useServer(server.port());
        TfrmLogin dialog({"ADMIN", QString(), false});
        showActive(dialog);
        QTest::keyClicks(dialog.edtSenha, "certa");
        QTest::keyClick(dialog.edtSenha, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(server.sessionRequests().size(), 0);
    }

    void shouldAskTheSameOperatorWhenTheSessionEnded()
    {
        TfrmLogin dialog({"ADMIN", SignIn::expiredNotice, true});
        showActive(dialog);
        QCOMPARE(dialog.lblAviso->text(), QString("Sua sessão expirou. Digite a senha para continuar."));
        QVERIFY(dialog.lblAviso->isVisible());
        QVERIFY(dialog.edtOperador->isReadOnly());
        QCOMPARE(QApplication::focusWidget(), dialog.edtSenha);
    }

    void shouldRenewAnEndedSessionThroughTheSeam_data()
    {
        QTest::addColumn<QStringList>("passwords");  // what the operator types, in order
        QTest::addColumn<QString>("outcome");        // the listing's result or the error's text
        QTest::addColumn<QStringList>("refusals");   // shown in the dialog meanwhile

        QTest::newRow("signs in again") << QStringList{"certa"} << "ok" << QStringList{};
        QTest::newRow("mistypes, then signs in")
            << QStringList{"errada", "certa"} << "ok" << QStringList{wrongPassword};
        QTest::newRow("gives up") << QStringList{} << ScriptedServer::sessionEndedText << QStringList{};
    }

    void shouldRenewAnEndedSessionThroughTheSeam()
    {
        QFETCH(QStringList, passwords);
        QFETCH(QString, outcome);
        QFETCH(QStringList, refusals);

        ScriptedServer server;
        server.scriptSignIn(directory);
        server.requireBearer("novo");
        server.answerEveryCall(ScriptedServer::Reply::resultText(R"("ok")"));
        useServer(server.port());
        SessionValues values = Session::values();
        values.sessionToken = "velho";
        Session::set(values);
        ScriptedDialogs dialogs;
        dialogs.signInPasswords.append(passwords);

        TNetConnection connection;
        connection.BeforeConnect = [](TNetConnection &c) {
            c.Port = Session::values().serverPort;
            SignIn::prepare(c);
        };
        connection.ServerName = QStringLiteral("ORE09700.rdmManuComissao");
        connection.SecretHeader = Session::values().secretHeader;
        try {
            QCOMPARE(connection.call("GetVendedores", {}, TNetConnection::Retry::OnceOnTransportFailure).toString(),
                     outcome);
            QCOMPARE(Session::values().sessionToken, QString("novo"));
            QCOMPARE(connection.BearerToken, QString("novo"));
        } catch (const SessionExpiredError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), outcome);
            QCOMPARE(Session::values().sessionToken, QString("velho"));
        }
        QCOMPARE(dialogs.signInPrompts.size(), 1);
        QCOMPARE(dialogs.signInPrompts[0].operatorCode, QString("ADMIN"));
        QCOMPARE(dialogs.signInPrompts[0].notice, SignIn::expiredNotice);
        QVERIFY(dialogs.signInPrompts[0].sameOperator);
        QStringList shownRefusals;
        for (const ScriptedDialogs::Shown &entry : dialogs.shown) {
            if (entry.kind == QLatin1String("signInRefused"))
                shownRefusals.append(entry.text);
        }
        QCOMPARE(shownRefusals, refusals);
        QCOMPARE(server.requests().first().bearer, QString("velho"));
        QCOMPARE(server.requests().first().secret, QString("s"));
    }

    void shouldSignOutBestEffort_data()
    {
        QTest::addColumn<bool>("serverUp");
        QTest::newRow("server answers") << true;
        QTest::newRow("server gone") << false;
    }

    void shouldSignOutBestEffort()
    {
        QFETCH(bool, serverUp);
        ScriptedServer server;
        useServer(serverUp ? server.port() : ScriptedServer::closedPort());
        SessionValues values = Session::values();
        values.sessionToken = "t0k3n";
        Session::set(values);
        SignIn::signOut();
        QVERIFY(Session::values().sessionToken.isEmpty());
        QCOMPARE(server.sessionRequests().size(), serverUp ? 1 : 0);
        if (serverUp)
            QCOMPARE(server.sessionRequests()[0].bearer, QString("t0k3n"));
    }
};

QTEST_MAIN(TfrmLoginTest)
#include "tfrmlogintest.moc"
