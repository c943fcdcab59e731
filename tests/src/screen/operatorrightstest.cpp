#include "screenharness.h"

#include "modulestate.h"
#include "remotecontract.h"
#include "session.h"
#include "tclientdataset.h"
#include "tfrmmancomis.h"

#include <QAction>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace Cli_ORE09700;
using Answer = FilterDialogAnswers::Answer;

// The screen offers generating and cancelling only to an operator who holds
// the right at the branch of the lists; listing needs only "consultar".
class OperatorRightsTest : public QObject {
    Q_OBJECT

private slots:
    void shouldOfferACommandOnlyWithItsRightAtTheBranch_data();
    void shouldOfferACommandOnlyWithItsRightAtTheBranch();
};

void OperatorRightsTest::shouldOfferACommandOnlyWithItsRightAtTheBranch_data()
{
    using contract::RemoteContract;
    const QString list = RemoteContract::rightToList;
    const QString generate = RemoteContract::rightToGenerate;
    const QString cancel = RemoteContract::rightToCancel;
    const QString noGenerate = QStringLiteral("Sem permissão para gerar comissão nesta filial.");
    const QString noCancel = QStringLiteral("Sem permissão para cancelar comissão nesta filial.");
    QTest::addColumn<QString>("status");  // N: generating is at stake, S: cancelling
    QTest::addColumn<QString>("grantedAt");
    QTest::addColumn<QStringList>("rights");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QString>("hint");

    QTest::newRow("generate, right at the branch") << "N"
                                                   << "0001" << QStringList{list, generate} << true << "Gerar Comissão";
    QTest::newRow("generate, right at every branch") << "N"
                                                     << "*" << QStringList{list, generate} << true << "Gerar Comissão";
    QTest::newRow("generate, listing only") << "N"
                                            << "0001" << QStringList{list} << false << noGenerate;
    QTest::newRow("generate, right at another branch")
        << "N"
        << "0002" << QStringList{list, generate, cancel} << false << noGenerate;
    QTest::newRow("cancel, right at the branch") << "S"
                                                 << "0001" << QStringList{list, cancel} << true << "Cancelar Comissão";
    QTest::newRow("cancel, generating only") << "S"
                                             << "*" << QStringList{list, generate} << false << noCancel;
}

void OperatorRightsTest::shouldOfferACommandOnlyWithItsRightAtTheBranch()
{
    QFETCH(QString, status);
    QFETCH(QString, grantedAt);
    QFETCH(QStringList, rights);
    QFETCH(bool, offered);
    QFETCH(QString, hint);
    ScreenHarness harness(QStringLiteral("0001"), false);
    SessionValues session = Session::values();
    session.rights = {{grantedAt, rights}};
    Session::set(session);
    harness.filter.answers << (status == QLatin1String("S") ? Answer::ConfirmGenerated : Answer::ConfirmNotGenerated);

    TfrmManComis *screen = harness.open();
    // The branch check, the filter and the lists need no more than listing.
    QCOMPARE(harness.dialogs.messages(), QStringList());
    QCOMPARE(screen->cdsVendedores->RecordCount(), 2);
    QVERIFY(screen->sbtFiltrar->isEnabled());
    screen->pgcPadrao->setCurrentWidget(screen->tshOrcamento);
    screen->dbgOrcamento->setFocus();
    ScreenHarness::settle();
    inContOrcamento = screen->cdsOrcamentos->RecordCount();
    screen->Habilita();

    const bool generating = status == QLatin1String("N");
    QToolButton *button = generating ? screen->sbtConfirmar : screen->sbtCancelar;
    QAction *entry = generating ? screen->mnuConfirmar : screen->mnuCancelar;
    QCOMPARE(button->isEnabled(), offered);
    QCOMPARE(entry->isEnabled(), offered);
    QCOMPARE(button->toolTip(), hint);
    QCOMPARE(entry->statusTip(), offered ? QString() : hint);
}

QTEST_MAIN(OperatorRightsTest)
#include "operatorrightstest.moc"
