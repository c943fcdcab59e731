#include "screenharness.h"

#include "busyindicator.h"
#include "hostbusy.h"
#include "modulestate.h"
#include "postedevents.h"
#include "screenmodel.h"
#include "session.h"
#include "tclientdataset.h"
#include "tfrmmancomis.h"
#include "tmessages.h"

#include <QApplication>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace Cli_ORE09700;
using Answer = FilterDialogAnswers::Answer;
using Reply = ScriptedServer::Reply;

namespace {

BusyIndicator *busyPanel(TfrmManComis &screen)
{
    return screen.window()->findChild<BusyIndicator *>();
}

QPushButton *cancelButton(TfrmManComis &screen)
{
    BusyIndicator *panel = busyPanel(screen);
    return panel ? panel->findChild<QPushButton *>(QStringLiteral("btnCancelarEspera")) : nullptr;
}

// What the scripted server answers by default for a method of the lists.
Reply listAnswer(const QString &method)
{
    if (method == QLatin1String("GetVendedores"))
        return Reply::result(QJsonArray{ScreenHarness::salespeople(2), ScreenHarness::emptyPending()});
    return Reply::result(ScreenHarness::quotes(2));
}

}  // namespace

// A server that does not answer, or is down: the operator may give up a
// listing's wait (never a generation's), and the commands that list load
// the quote parameters a failed activation left out.
class ServerUnavailableTest : public QObject {
    Q_OBJECT

private slots:
    void shouldEndAListingsWaitTheOperatorCancels_data();
    void shouldEndAListingsWaitTheOperatorCancels();
    void shouldWaitForAGenerationSent();
    void shouldLoadMissingParametersBeforeTheFilter_data();
    void shouldLoadMissingParametersBeforeTheFilter();
};

void ServerUnavailableTest::shouldEndAListingsWaitTheOperatorCancels_data()
{
    QTest::addColumn<QString>("method");  // the call the server does not answer
    QTest::addColumn<bool>("byEscape");   // else the panel's button
    QTest::addColumn<int>("quotesLeft");  // a failed load of the quotes empties them

    QTest::newRow("salespeople, Cancelar") << "GetVendedores" << false << 2;
    QTest::newRow("salespeople, Escape") << "GetVendedores" << true << 2;
    QTest::newRow("quotes, Escape") << "GetOrcamentos" << true << 0;
}

void ServerUnavailableTest::shouldEndAListingsWaitTheOperatorCancels()
{
    QFETCH(QString, method);
    QFETCH(bool, byEscape);
    QFETCH(int, quotesLeft);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    harness.server.answer(method, Reply::withheldUntilReleased(listAnswer(method)));
    harness.server.resetCounts();

    QTest::mouseClick(screen->sbtVerificar, Qt::LeftButton);
    QTRY_COMPARE(harness.server.calls(method), 1);
    QPushButton *cancel = cancelButton(*screen);
    QVERIFY(cancel && cancel->isVisible() && cancel->isEnabled());
    if (byEscape)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else
        QTest::mouseClick(cancel, Qt::LeftButton);

    QTRY_VERIFY_WITH_TIMEOUT(!screen->model().busy(), 1000);
    QCOMPARE(screen->cdsVendedores->RecordCount(), 2);
    QCOMPARE(screen->cdsOrcamentos->RecordCount(), quotesLeft);
    QCOMPARE(harness.dialogs.messages(), QStringList());
    QCOMPARE(screen->lblSituacao->text(), ScreenModel::loadCancelledText);
    QVERIFY(screen->lblSituacao->isVisible());
    QVERIFY(!BusyIndicatorShown());

    // The next load does not wait behind the one given up.
    harness.server.answer(method, listAnswer(method));
    QTest::mouseClick(screen->sbtVerificar, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!screen->model().busy(), 1000);
    QCOMPARE(screen->cdsOrcamentos->RecordCount(), 2);
    QVERIFY(!screen->lblSituacao->isVisible());
    QCOMPARE(harness.dialogs.messages(), QStringList());
}

void ServerUnavailableTest::shouldWaitForAGenerationSent()
{
    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    harness.server.answer(QStringLiteral("SetComissao"), Reply::withheldUntilReleased(Reply::resultText("\"\"")));
    screen->pgcPadrao->setCurrentWidget(screen->tshOrcamento);
    screen->dbgOrcamento->setFocus();
    ScreenHarness::settle();
    inContOrcamento = screen->cdsOrcamentos->RecordCount();
    screen->Habilita();
    harness.server.resetCounts();

    QTest::mouseClick(screen->sbtConfirmar, Qt::LeftButton);
    QTRY_COMPARE(harness.server.calls(QStringLiteral("SetComissao")), 1);
    QPushButton *cancel = cancelButton(*screen);
    QVERIFY(cancel && cancel->isVisible());
    QVERIFY(!cancel->isEnabled());
    QCOMPARE(busyPanel(*screen)->notice(), ScreenModel::alreadySentText);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::mouseClick(cancel, Qt::LeftButton);
    deliverPostedEvents();
    QVERIFY(screen->model().busy());

    // The answer, when it comes, is shown; the lists are loaded again.
    harness.dialogs.clear();
    harness.server.releaseWithheld();
    ScreenHarness::waitIdle(*screen);
    QCOMPARE(harness.dialogs.messages(), QStringList{screen->msgPadrao->Msg(QStringLiteral("SUCESSO"))});
    QCOMPARE(harness.server.calls(QStringLiteral("GetVendedores")), 1);
    QVERIFY(screen->lblSituacao->text().isEmpty());
}

void ServerUnavailableTest::shouldLoadMissingParametersBeforeTheFilter_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("F5") << "F5";
    QTest::newRow("Ctrl+L") << "Ctrl+L";
    QTest::newRow("filter button") << "button";
}

void ServerUnavailableTest::shouldLoadMissingParametersBeforeTheFilter()
{
    QFETCH(QString, command);

    // Down at the first activation: nothing listens where the session points.
    ScreenHarness harness(QStringLiteral("0001"), false);
    SessionValues session = Session::values();
    const int serverPort = session.serverPort;
    session.serverPort = ScriptedServer::closedPort();
    Session::set(session);
    TfrmManComis *screen = harness.open();
    QCOMPARE(harness.dialogs.errors().size(), 1);
    QVERIFY(screen->cdsParamOrcaEve->IsEmpty());
    QCOMPARE(screen->lblSituacao->text(), ScreenModel::parametersMissingText);
    QVERIFY(screen->lblSituacao->isVisible());
    QVERIFY(screen->sbtFiltrar->isEnabled());

    // Up again: the command loads the parameters, then the filter runs as usual.
    session.serverPort = serverPort;
    Session::set(session);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    if (command == QLatin1String("F5"))
        QTest::keyClick(screen, Qt::Key_F5);
    else if (command == QLatin1String("Ctrl+L"))
        QTest::keyClick(screen, Qt::Key_L, Qt::ControlModifier);
    else
        QTest::mouseClick(screen->sbtFiltrar, Qt::LeftButton);
    ScreenHarness::settle();

    QVERIFY(!screen->cdsParamOrcaEve->IsEmpty());
    QCOMPARE(harness.filter.opened, 1);
    QCOMPARE(harness.filter.unexpected, 0);
    QCOMPARE(screen->cdsVendedores->RecordCount(), 2);
    QCOMPARE(harness.dialogs.errors().size(), 1);
    QVERIFY(!screen->lblSituacao->isVisible());
    QCOMPARE(boPrimVez, false);
}

QTEST_MAIN(ServerUnavailableTest)
#include "serverunavailabletest.moc"
