#include "screenharness.h"

#include "hostoperations.h"
#include "modulestate.h"
#include "session.h"
#include "signin.h"
#include "tclientdataset.h"
#include "tfrmmancomis.h"
#include "tnetconnection.h"

#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace Cli_ORE09700;
using Answer = FilterDialogAnswers::Answer;

namespace {

const QString oldToken = QString(64, QLatin1Char('a'));
const QString newToken = QString(64, QLatin1Char('b'));

// The session of `harness` signed in with the old token; the server then
// ends it: every call must come with the token of a new sign-in.
TfrmManComis *openAndEndTheSession(ScreenHarness &harness, Answer filter)
{
    SessionValues session = Session::values();
    session.sessionToken = oldToken;
    Session::set(session);
    harness.server.requireBearer(oldToken);
    harness.server.scriptSignIn([](const QString &operatorCode, const QString &) {
        return ScriptedServer::Reply::signedIn(newToken, operatorCode, QStringLiteral("Operador"));
    });
    harness.filter.answers << filter;
    TfrmManComis *screen = harness.open();
    harness.server.requireBearer(newToken);
    harness.server.resetCounts();
    return screen;
}

void addSignInRows()
{
    QTest::addColumn<bool>("signsInAgain");  // else the operator leaves the sign-in dialog
    QTest::newRow("signed in again") << true;
    QTest::newRow("gave up") << false;
}

}  // namespace

// The session ends while the operator works: the screen asks for the
// password again (through the dialog seam), repeats a listing with the new
// session and never a generation; what was not done is shown as any refused
// call is.
class SessionExpiryTest : public QObject {
    Q_OBJECT

private slots:
    void shouldListAgainOnceTheOperatorSignedInAgain_data() { addSignInRows(); }
    void shouldListAgainOnceTheOperatorSignedInAgain();
    void shouldNeverSendAGenerationTwice_data() { addSignInRows(); }
    void shouldNeverSendAGenerationTwice();
};

void SessionExpiryTest::shouldListAgainOnceTheOperatorSignedInAgain()
{
    QFETCH(bool, signsInAgain);
    ScreenHarness harness(QStringLiteral("0001"), false);
    TfrmManComis *screen = openAndEndTheSession(harness, Answer::ConfirmNotGenerated);
    harness.server.answer(
        QStringLiteral("GetVendedores"),
        ScriptedServer::Reply::result(QJsonArray{ScreenHarness::salespeople(3), ScreenHarness::emptyPending()}));
    if (signsInAgain)
        harness.dialogs.signInPasswords << QStringLiteral("senha");

    QTest::mouseClick(screen->sbtVerificar, Qt::LeftButton);
    ScreenHarness::settle();

    QCOMPARE(harness.dialogs.signInPrompts.size(), 1);
    QCOMPARE(harness.dialogs.signInPrompts.first().notice, SignIn::expiredNotice);
    QVERIFY(harness.dialogs.signInPrompts.first().sameOperator);
    QCOMPARE(harness.server.calls(QStringLiteral("GetVendedores")), signsInAgain ? 2 : 1);
    QCOMPARE(harness.server.lastRequest().bearer, signsInAgain ? newToken : oldToken);
    QCOMPARE(harness.dialogs.errors(), signsInAgain ? QStringList() : QStringList{ScriptedServer::sessionEndedText});
    QCOMPARE(screen->cdsVendedores->RecordCount(), signsInAgain ? 3 : 2);
    QVERIFY(!BusyIndicatorShown());
}

void SessionExpiryTest::shouldNeverSendAGenerationTwice()
{
    QFETCH(bool, signsInAgain);
    ScreenHarness harness(QStringLiteral("0001"), false);
    TfrmManComis *screen = openAndEndTheSession(harness, Answer::ConfirmNotGenerated);
    harness.server.answer(QStringLiteral("SetComissao"), ScriptedServer::Reply::resultText("\"\""));
    screen->pgcPadrao->setCurrentWidget(screen->tshOrcamento);
    screen->dbgOrcamento->setFocus();
    ScreenHarness::settle();
    inContOrcamento = screen->cdsOrcamentos->RecordCount();
    screen->Habilita();
    if (signsInAgain)
        harness.dialogs.signInPasswords << QStringLiteral("senha");

    QTest::mouseClick(screen->sbtConfirmar, Qt::LeftButton);
    ScreenHarness::settle();

    QCOMPARE(harness.server.calls(QStringLiteral("SetComissao")), 1);
    QCOMPARE(harness.dialogs.signInPrompts.size(), 1);
    QCOMPARE(harness.dialogs.errors(),
             QStringList{signsInAgain ? TNetConnection::renewedSessionNotSent : ScriptedServer::sessionEndedText});
    // Nothing reloaded: the marks are there for the operator to repeat the command.
    QCOMPARE(inContOrcamento, screen->cdsOrcamentos->RecordCount());
    QVERIFY(!BusyIndicatorShown());
}

QTEST_MAIN(SessionExpiryTest)
#include "sessionexpirytest.moc"
