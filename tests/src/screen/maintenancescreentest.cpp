#include "busyindicator.h"
#include "screenharness.h"
#include "screenmodel.h"

#include "hostoperations.h"
#include "moduleentry.h"
#include "modulestate.h"
#include "numbertext.h"
#include "packetcodec.h"
#include "session.h"
#include "tbtnpesquisa.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdbgrid.h"
#include "tfrmmancomis.h"
#include "tnetconnection.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

using namespace Cli_ORE09700;
using Answer = FilterDialogAnswers::Answer;

namespace {

// The three ways an operator brings the screen back, as table rows.
void addReopeningRows()
{
    QTest::addColumn<QString>("reopening");

    QTest::newRow("closed and opened again") << "close";
    QTest::newRow("picked again") << "pick";
    QTest::newRow("another window, then back") << "activate";
}

void reopen(ScreenHarness &harness, TfrmManComis *screen, const QString &reopening)
{
    if (reopening == QLatin1String("close")) {
        screen->closeScreen();
        ScreenHarness::settle();
        harness.open();
    } else if (reopening == QLatin1String("pick")) {
        harness.open();
    } else {
        harness.activateAgain();
    }
}

const QString kBranchMissing = QStringLiteral("Filial deve ser informada.");
const QString kBranchUnknown = QStringLiteral("Filial não cadastrada.");

QString focusName()
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

// The enabled state of every command the enabling rules decide, buttons and
// menu entries together: "procurar verificar confirmar cancelar filtrar".
QString commandStates(const TfrmManComis &screen)
{
    const std::pair<QToolButton *, QAction *> commands[] = {{screen.sbtProcurar, screen.mnuProcurar},
                                                            {screen.sbtVerificar, screen.mnuVerificar},
                                                            {screen.sbtConfirmar, screen.mnuConfirmar},
                                                            {screen.sbtCancelar, screen.mnuCancelar},
                                                            {screen.sbtFiltrar, screen.mnuFiltrar}};
    QStringList states;
    for (const auto &[button, entry] : commands)
        states << (button->isEnabled() != entry->isEnabled() ? QStringLiteral("mismatch")
                   : button->isEnabled()                     ? QStringLiteral("on")
                                                             : QStringLiteral("off"));
    return states.join(QLatin1Char(' '));
}

const QString kOnlyFilter = QStringLiteral("off off off off on");

void typeBranch(TfrmManComis &screen, const QString &text)
{
    screen.medCdFilial->selectAll();
    QTest::keyClick(screen.medCdFilial, Qt::Key_Delete);
    QTest::keyClicks(screen.medCdFilial, text);
}

void showQuotes(TfrmManComis &screen)
{
    screen.pgcPadrao->setCurrentWidget(screen.tshOrcamento);
    screen.dbgOrcamento->setFocus();
    ScreenHarness::settle();
}

}  // namespace

class MaintenanceScreenTest : public QObject {
    Q_OBJECT

private slots:
    void shouldTakeBranchFromSessionOnFirstActivation_data();
    void shouldTakeBranchFromSessionOnFirstActivation();
    void shouldStopAndRetryWhenSessionBranchIsUnknown_data();
    void shouldStopAndRetryWhenSessionBranchIsUnknown();
    void shouldValidateBranchCodeWhenLeavingIt_data();
    void shouldValidateBranchCodeWhenLeavingIt();
    void shouldEmptyListsAndFilterAgainWhenPanelIsEnteredAndLeft_data();
    void shouldEmptyListsAndFilterAgainWhenPanelIsEnteredAndLeft();
    void shouldFillBranchFromLookupWithoutFilterRun_data();
    void shouldFillBranchFromLookupWithoutFilterRun();
    void shouldRunFilterFromButtonAndCtrlL_data();
    void shouldRunFilterFromButtonAndCtrlL();
    void shouldEnableCommandsByActiveGridStatusAndMarks_data();
    void shouldEnableCommandsByActiveGridStatusAndMarks();
    void shouldSearchTheListOfTheCurrentTab_data();
    void shouldSearchTheListOfTheCurrentTab();
    void shouldTurnEditingOffInBothGridsWhenEitherIsEntered_data();
    void shouldTurnEditingOffInBothGridsWhenEitherIsEntered();
    void shouldKeepInstanceAndStateWhenClosedAndOpenedAgain();
    void shouldRetryFirstActivationWhenServerFails_data();
    void shouldRetryFirstActivationWhenServerFails();
    void shouldKeepFocusInCodeFieldWhenDatabaseIsDown();
    void shouldRunNoFilterUntilAnActivationHasLoadedTheParameters_data();
    void shouldRunNoFilterUntilAnActivationHasLoadedTheParameters();
    void shouldRunNothingWhenMinimizedWithTheFocusInTheBranchPanel();
    void shouldMoveTheBusyIndicatorAndShowTheWaitCursorWhileACallRuns();
    void shouldOpenTheFilterOnceWhenACancelledScreenIsBroughtBack_data();
    void shouldOpenTheFilterOnceWhenACancelledScreenIsBroughtBack();
    void shouldShowTheFilterOfTheListsOnlyOnceTheyLoaded();
    void shouldHoldKeysAndRefuseClicksWhileACallRuns();
    void shouldSwitchTabsFromInsideTheGrids_data();
    void shouldSwitchTabsFromInsideTheGrids();
};

void MaintenanceScreenTest::shouldTakeBranchFromSessionOnFirstActivation_data()
{
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("loaded");

    QTest::newRow("free, confirmed") << false << int(Answer::ConfirmNotGenerated) << "dbgPadrao" << true;
    QTest::newRow("free, cancelled") << false << int(Answer::Cancel) << "medCdFilial" << false;
    QTest::newRow("fixed, confirmed") << true << int(Answer::ConfirmNotGenerated) << "dbgPadrao" << true;
    QTest::newRow("fixed, cancelled") << true << int(Answer::Cancel) << "dbgPadrao" << false;
}

void MaintenanceScreenTest::shouldTakeBranchFromSessionOnFirstActivation()
{
    QFETCH(bool, fixed);
    QFETCH(int, answer);
    QFETCH(QString, focus);
    QFETCH(bool, loaded);

    ScreenHarness harness(QStringLiteral("1"), fixed);
    harness.filter.answers << Answer(answer);
    TfrmManComis *screen = harness.open();

    QCOMPARE(harness.filter.opened, 1);
    QCOMPARE(harness.dialogs.messages(), QStringList());
    // The session's code is brought to the width the branch table stores.
    QCOMPARE(screen->medCdFilial->text(), QStringLiteral("0001"));
    QCOMPARE(screen->edtNmFilial->text(), QStringLiteral("MATRIZ"));
    for (QWidget *control : {static_cast<QWidget *>(screen->lblFilial), static_cast<QWidget *>(screen->medCdFilial),
                             static_cast<QWidget *>(screen->btnFilial)})
        QCOMPARE(control->isEnabled(), !fixed);
    QCOMPARE(focusName(), focus);
    QCOMPARE(harness.server.calls(QStringLiteral("GetParamOrcaEve")), 1);
    QCOMPARE(screen->cdsParamOrcaEve->RecordCount(), 1);
    QCOMPARE(boPrimVez, false);
    QCOMPARE(boFiltro, !loaded);
    QCOMPARE(screen->cdsVendedores->RecordCount(), loaded ? 2 : 0);
    QCOMPARE(Filtro.stCdFilial, QStringLiteral("0001"));
    QVERIFY(!BusyIndicatorShown());
    if (!loaded)
        QCOMPARE(commandStates(*screen), kOnlyFilter);

    // A cancelled first filter opens the dialog again on the next activation.
    harness.filter.answers << Answer::ConfirmNotGenerated;
    harness.activateAgain();
    QCOMPARE(harness.filter.opened, loaded ? 1 : 2);
    QCOMPARE(screen->cdsVendedores->RecordCount(), 2);
    QCOMPARE(harness.server.calls(QStringLiteral("GetParamOrcaEve")), 1);
    QCOMPARE(harness.filter.unexpected, 0);
}

void MaintenanceScreenTest::shouldStopAndRetryWhenSessionBranchIsUnknown_data()
{
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<int>("parameterLoads");
    QTest::addColumn<QString>("focus");

    // A fixed branch is checked before the parameters are asked for.
    QTest::newRow("fixed") << true << 0 << "dbgPadrao";
    QTest::newRow("free") << false << 1 << "medCdFilial";
}

void MaintenanceScreenTest::shouldStopAndRetryWhenSessionBranchIsUnknown()
{
    QFETCH(bool, fixed);
    QFETCH(int, parameterLoads);
    QFETCH(QString, focus);

    ScreenHarness harness(QStringLiteral("99"), fixed);
    TfrmManComis *screen = harness.open();

    QCOMPARE(harness.dialogs.errors(), QStringList{kBranchUnknown});
    QCOMPARE(harness.filter.opened, 0);
    QCOMPARE(screen->medCdFilial->text(), QStringLiteral("0099"));
    QCOMPARE(screen->edtNmFilial->text(), QString());
    QCOMPARE(focusName(), focus);
    QCOMPARE(harness.server.calls(QStringLiteral("GetParamOrcaEve")), parameterLoads);
    QCOMPARE(boPrimVez, fixed);
    QVERIFY(!BusyIndicatorShown());

    harness.activateAgain();
    QCOMPARE(harness.dialogs.errors(), QStringList({kBranchUnknown, kBranchUnknown}));
    QCOMPARE(harness.filter.opened, 0);
    QCOMPARE(harness.server.calls(QStringLiteral("GetParamOrcaEve")), parameterLoads);
}

void MaintenanceScreenTest::shouldValidateBranchCodeWhenLeavingIt_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");

    QTest::newRow("short code") << "1"
                                << "0001"
                                << "MATRIZ" << QString();
    QTest::newRow("lower-case letters") << "ab"
                                        << "00AB"
                                        << "FILIAL AB" << QString();
    QTest::newRow("refused characters dropped") << "a-b."
                                                << "00AB"
                                                << "FILIAL AB" << QString();
    QTest::newRow("unknown") << "zz9"
                             << "0ZZ9" << QString() << kBranchUnknown;
    QTest::newRow("empty") << QString() << QString() << QString() << kBranchMissing;
    QTest::newRow("only refused characters") << "-./" << QString() << QString() << kBranchMissing;
}

void MaintenanceScreenTest::shouldValidateBranchCodeWhenLeavingIt()
{
    QFETCH(QString, typed);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, error);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::Cancel << Answer::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));

    typeBranch(*screen, typed);
    QCOMPARE(screen->edtNmFilial->text(), QString());  // typing clears the name
    QTest::keyClick(screen->medCdFilial, Qt::Key_Tab);
    ScreenHarness::settle();

    QCOMPARE(screen->medCdFilial->text(), code);
    QCOMPARE(screen->edtNmFilial->text(), name);
    QCOMPARE(harness.dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    if (error.isEmpty()) {
        // Leaving the panel ran the filter for the branch as the table stores it.
        QCOMPARE(harness.filter.opened, 2);
        QCOMPARE(Filtro.stCdFilial, code);
        QCOMPARE(harness.server.arguments(QStringLiteral("GetVendedores")).value(0).at(0)[QStringLiteral("value")],
                 QJsonValue(code));
        QCOMPARE(focusName(), QStringLiteral("dbgPadrao"));
    } else {
        QCOMPARE(harness.filter.opened, 1);
        QCOMPARE(focusName(), QStringLiteral("medCdFilial"));
        QCOMPARE(Filtro.stCdFilial, QStringLiteral("0001"));
    }
}

void MaintenanceScreenTest::shouldEmptyListsAndFilterAgainWhenPanelIsEnteredAndLeft_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("salespeople");
    QTest::addColumn<QString>("focus");

    QTest::newRow("confirmed") << int(Answer::ConfirmNotGenerated) << 2 << "dbgPadrao";
    QTest::newRow("cancelled") << int(Answer::Cancel) << 0 << "medCdFilial";
}

void MaintenanceScreenTest::shouldEmptyListsAndFilterAgainWhenPanelIsEnteredAndLeft()
{
    QFETCH(int, answer);
    QFETCH(int, salespeople);
    QFETCH(QString, focus);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated << Answer(answer);
    TfrmManComis *screen = harness.open();
    QCOMPARE(screen->cdsOrcamentos->RecordCount(), 2);

    QTest::mouseClick(screen->medCdFilial, Qt::LeftButton);
    ScreenHarness::settle();
    QVERIFY(screen->cdsVendedores->IsEmpty());
    QVERIFY(screen->cdsOrcamentos->IsEmpty());
    QCOMPARE(boFiltro, true);
    QCOMPARE(commandStates(*screen), kOnlyFilter);

    QTest::keyClick(screen->medCdFilial, Qt::Key_Tab);
    ScreenHarness::settle();
    QCOMPARE(harness.filter.opened, 2);
    QCOMPARE(screen->cdsVendedores->RecordCount(), salespeople);
    QCOMPARE(harness.server.calls(QStringLiteral("GetVendedores")), salespeople > 0 ? 2 : 1);
    QCOMPARE(focusName(), focus);
    QCOMPARE(boFiltro, salespeople == 0);
}

void MaintenanceScreenTest::shouldFillBranchFromLookupWithoutFilterRun_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<bool>("fromTheGrid");  // the button clicked while the focus is outside the panel

    QTest::newRow("button") << false << false;
    QTest::newRow("F9 in the code field") << true << false;
    QTest::newRow("button, focus in the grid") << false << true;
}

void MaintenanceScreenTest::shouldFillBranchFromLookupWithoutFilterRun()
{
    QFETCH(bool, byKey);
    QFETCH(bool, fromTheGrid);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated << Answer::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    if (fromTheGrid)
        QCOMPARE(focusName(), QStringLiteral("dbgPadrao"));
    else
        QTest::mouseClick(screen->medCdFilial, Qt::LeftButton);
    harness.dialogs.onLookup = [](TDataSource *source, const QString &) {
        source->dataSet()->MoveTo(1);
        return true;
    };

    if (byKey)
        QTest::keyClick(screen->medCdFilial, Qt::Key_F9);
    else
        QTest::mouseClick(screen->btnFilial, Qt::LeftButton);
    ScreenHarness::settle();

    QCOMPARE(harness.dialogs.shown.value(0).kind, QStringLiteral("lookup"));
    QCOMPARE(harness.dialogs.shown.value(0).text, QStringLiteral("Filial"));
    QCOMPARE(screen->medCdFilial->text(), QStringLiteral("00AB"));
    QCOMPARE(screen->edtNmFilial->text(), QStringLiteral("FILIAL AB"));
    QCOMPARE(harness.filter.opened, 1);
    // The pick enters the panel: the lists of the old branch are gone, and
    // leaving the panel runs the filter for the picked one.
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));
    QVERIFY(!screen->cdsVendedores->Active());
    QTest::keyClick(screen->medCdFilial, Qt::Key_Tab);
    ScreenHarness::settle();
    QCOMPARE(harness.filter.opened, 2);
    QCOMPARE(Filtro.stCdFilial, QStringLiteral("00AB"));
}

void MaintenanceScreenTest::shouldRunFilterFromButtonAndCtrlL_data()
{
    QTest::addColumn<bool>("byShortcut");

    QTest::newRow("toolbar button") << false;
    QTest::newRow("Ctrl+L") << true;
}

void MaintenanceScreenTest::shouldRunFilterFromButtonAndCtrlL()
{
    QFETCH(bool, byShortcut);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated << Answer::ConfirmGenerated;
    TfrmManComis *screen = harness.open();
    showQuotes(*screen);

    if (byShortcut)
        QTest::keyClick(screen->dbgOrcamento, Qt::Key_L, Qt::ControlModifier);
    else
        QTest::mouseClick(screen->sbtFiltrar, Qt::LeftButton);
    ScreenHarness::settle();

    QCOMPARE(harness.filter.opened, 2);
    QCOMPARE(Filtro.Comissao.stGerada, QStringLiteral("S"));
    QCOMPARE(harness.server.calls(QStringLiteral("GetVendedores")), 2);
    QCOMPARE(screen->pgcPadrao->currentWidget(), screen->tshPadrao);
    QCOMPARE(focusName(), QStringLiteral("dbgPadrao"));
}

// The line under the tabs says what the lists hold: it changes with a
// confirmed filter that loaded, and stays through a cancelled filter and a
// failed load, like the lists themselves.
void MaintenanceScreenTest::shouldShowTheFilterOfTheListsOnlyOnceTheyLoaded()
{
    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    const QString loaded = QStringLiteral("Filial 0001 · 01/01/2026 a 31/01/2026 (data de fechamento) · Não gerada"
                                          " · Vendedores: Todos · Tipos de evento: Todos");
    QCOMPARE(screen->lblFiltroAtual->text(), loaded);
    QVERIFY(screen->lblFiltroAtual->isVisible());
    QCOMPARE(screen->lblResumoVendedor->text(),
             QStringLiteral("2 vendedores · comissão %1").arg(NumberText::amount(300)));

    harness.filter.answers << Answer::Cancel;
    QTest::mouseClick(screen->sbtFiltrar, Qt::LeftButton);
    ScreenHarness::settle();
    QCOMPARE(screen->lblFiltroAtual->text(), loaded);

    harness.server.answer(QStringLiteral("GetVendedores"),
                          ScriptedServer::Reply::error(503, QStringLiteral("Servidor ocupado")));
    harness.filter.answers << Answer::ConfirmGenerated;
    QTest::mouseClick(screen->sbtFiltrar, Qt::LeftButton);
    ScreenHarness::settle();
    QCOMPARE(harness.filter.opened, 3);
    QCOMPARE(screen->lblFiltroAtual->text(), loaded);

    ScreenHarness::scriptDefaults(harness.server);
    harness.filter.answers << Answer::ConfirmGenerated;
    QTest::mouseClick(screen->sbtFiltrar, Qt::LeftButton);
    ScreenHarness::settle();
    QVERIFY2(screen->lblFiltroAtual->text().contains(QStringLiteral(" · Gerada · ")),
             qPrintable(screen->lblFiltroAtual->text()));
    QCOMPARE(harness.filter.unexpected, 0);
}

void MaintenanceScreenTest::shouldEnableCommandsByActiveGridStatusAndMarks_data()
{
    QTest::addColumn<QString>("active");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("salespeople");
    QTest::addColumn<int>("quotes");
    QTest::addColumn<int>("marked");
    QTest::addColumn<QString>("states");  // search refresh generate cancel filter

    QTest::newRow("salesperson grid") << "dbgPadrao"
                                      << "N" << 2 << 2 << 2 << "on on off off on";
    QTest::newRow("salesperson grid, no salespeople") << "dbgPadrao"
                                                      << "N" << 0 << 0 << 0 << "off off off off on";
    QTest::newRow("quote grid, not generated") << "dbgOrcamento"
                                               << "N" << 2 << 2 << 2 << "on on on off on";
    QTest::newRow("quote grid, generated") << "dbgOrcamento"
                                           << "S" << 2 << 2 << 1 << "on on off on on";
    QTest::newRow("quote grid, no confirmed filter") << "dbgOrcamento"
                                                     << "" << 2 << 2 << 2 << "on on off off on";
    QTest::newRow("quote grid, nothing marked") << "dbgOrcamento"
                                                << "N" << 2 << 2 << 0 << "on on off off on";
    QTest::newRow("quote grid, no quotes") << "dbgOrcamento"
                                           << "S" << 2 << 0 << 0 << "off on off off on";
    QTest::newRow("quote grid, no salespeople") << "dbgOrcamento"
                                                << "N" << 0 << 2 << 2 << "on off on off on";
    QTest::newRow("tab bar") << "pgcPadrao"
                             << "N" << 2 << 2 << 2 << "off off off off on";
}

void MaintenanceScreenTest::shouldEnableCommandsByActiveGridStatusAndMarks()
{
    QFETCH(QString, active);
    QFETCH(QString, status);
    QFETCH(int, salespeople);
    QFETCH(int, quotes);
    QFETCH(int, marked);
    QFETCH(QString, states);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    // The sets are shaped here directly, without the service.
    screen->cdsVendedores->AfterScroll = nullptr;
    screen->cdsVendedores->loadFromPacket(packet::fromJson(ScreenHarness::salespeople(salespeople)));
    screen->cdsOrcamentos->loadFromPacket(packet::fromJson(ScreenHarness::quotes(quotes)));
    if (active == QLatin1String("dbgOrcamento"))
        screen->pgcPadrao->setCurrentWidget(screen->tshOrcamento);
    screen->findChild<QWidget *>(active)->setFocus();
    ScreenHarness::settle();
    Filtro.Comissao.stGerada = status;
    inContOrcamento = marked;
    for (QToolButton *further : {screen->sbtIncluir, screen->sbtAlterar, screen->sbtExcluir, screen->sbtGravar})
        further->setEnabled(true);
    screen->mnuGravar->setEnabled(true);

    screen->Habilita();

    QCOMPARE(commandStates(*screen), states);
    for (QToolButton *further : {screen->sbtIncluir, screen->sbtAlterar, screen->sbtExcluir, screen->sbtGravar})
        QVERIFY2(!further->isEnabled(), qPrintable(further->objectName()));
    for (QAction *entry : {screen->mnuIncluir, screen->mnuAlterar, screen->mnuExcluir})
        QVERIFY2(!entry->isEnabled(), qPrintable(entry->objectName()));
    QVERIFY(screen->mnuGravar->isEnabled());  // left alone by the rules
}

void MaintenanceScreenTest::shouldSearchTheListOfTheCurrentTab_data()
{
    QTest::addColumn<bool>("quoteTab");
    QTest::addColumn<bool>("quotesOpen");
    QTest::addColumn<QString>("searched");

    QTest::newRow("salespeople") << false << true << "cdsVendedores";
    QTest::newRow("quotes") << true << true << "cdsOrcamentos";
    QTest::newRow("quotes closed") << true << false << QString();
}

void MaintenanceScreenTest::shouldSearchTheListOfTheCurrentTab()
{
    QFETCH(bool, quoteTab);
    QFETCH(bool, quotesOpen);
    QFETCH(QString, searched);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    if (quoteTab)
        showQuotes(*screen);
    if (!quotesOpen)
        screen->cdsOrcamentos->Close();
    QStringList searchedSets;
    harness.dialogs.onSearch = [&](TDataSource *source) { searchedSets << source->dataSet()->objectName(); };

    screen->sbtProcurarClick(screen->sbtProcurar);

    QCOMPARE(searchedSets, searched.isEmpty() ? QStringList() : QStringList{searched});
}

void MaintenanceScreenTest::shouldTurnEditingOffInBothGridsWhenEitherIsEntered_data()
{
    QTest::addColumn<bool>("quoteGrid");

    QTest::newRow("salesperson grid") << false;
    QTest::newRow("quote grid") << true;
}

void MaintenanceScreenTest::shouldTurnEditingOffInBothGridsWhenEitherIsEntered()
{
    QFETCH(bool, quoteGrid);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    screen->pgcPadrao->setFocus();
    ScreenHarness::settle();
    const TDBGrid::Options quoteOptions = screen->dbgOrcamento->options() | TDBGrid::dgEditing;
    for (TDBGrid *grid : {screen->dbgPadrao, screen->dbgOrcamento})
        grid->setOptions(grid->options() | TDBGrid::dgEditing);

    if (quoteGrid)
        showQuotes(*screen);
    else
        screen->dbgPadrao->setFocus();
    ScreenHarness::settle();

    QVERIFY(!screen->dbgPadrao->options().testFlag(TDBGrid::dgEditing));
    QCOMPARE(screen->dbgOrcamento->options(), quoteOptions & ~TDBGrid::Options(TDBGrid::dgEditing));
}

void MaintenanceScreenTest::shouldKeepInstanceAndStateWhenClosedAndOpenedAgain()
{
    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmGenerated;
    TfrmManComis *screen = harness.open();
    const TFiltro before = Filtro;

    screen->closeScreen();
    ScreenHarness::settle();
    QVERIFY(!screen->isVisible());
    QVERIFY(!screen->netManuComissao->Connected());

    // The next connect takes host and port from the session again.
    ScriptedServer otherServer;
    ScreenHarness::scriptDefaults(otherServer);
    SessionValues session = Session::values();
    session.serverPort = otherServer.port();
    Session::set(session);

    QCOMPARE(harness.open(), screen);
    QCOMPARE(harness.filter.opened, 1);
    QCOMPARE(Filtro.stCdFilial, before.stCdFilial);
    QCOMPARE(Filtro.Comissao.stGerada, QStringLiteral("S"));
    QCOMPARE(Filtro.dtDePeriodo, before.dtDePeriodo);
    QCOMPARE(screen->cdsVendedores->RecordCount(), 2);
    QCOMPARE(screen->medCdFilial->text(), QStringLiteral("0001"));

    screen->sbtVerificarClick(screen->sbtVerificar);
    ScreenHarness::settle();
    QCOMPARE(otherServer.calls(QStringLiteral("GetVendedores")), 1);
    QCOMPARE(harness.server.calls(QStringLiteral("GetVendedores")), 1);
    QCOMPARE(harness.server.calls(QStringLiteral("GetParamOrcaEve")), 1);
    QCOMPARE(otherServer.calls(QStringLiteral("GetParamOrcaEve")), 0);
}

void MaintenanceScreenTest::shouldRetryFirstActivationWhenServerFails_data()
{
    QTest::addColumn<bool>("serverGone");
    QTest::addColumn<bool>("pickedAgain");  // the operator picks the screen from the host's menu again

    QTest::newRow("service refuses, activated again") << false << false;
    QTest::newRow("nothing listens, activated again") << true << false;
    QTest::newRow("service refuses, picked again") << false << true;
    QTest::newRow("nothing listens, picked again") << true << true;
}

void MaintenanceScreenTest::shouldRetryFirstActivationWhenServerFails()
{
    QFETCH(bool, serverGone);
    QFETCH(bool, pickedAgain);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    if (serverGone) {
        SessionValues session = Session::values();
        session.serverPort = ScriptedServer().port();
        Session::set(session);
    } else {
        harness.server.answer(QStringLiteral("GetParamOrcaEve"),
                              ScriptedServer::Reply::error(503, QStringLiteral("Banco fora do ar")));
    }
    TfrmManComis *screen = harness.open();

    QCOMPARE(harness.dialogs.errors().size(), 1);
    QVERIFY(!BusyIndicatorShown());
    QCOMPARE(boPrimVez, true);
    QCOMPARE(harness.filter.opened, 0);
    QVERIFY(screen->cdsParamOrcaEve->IsEmpty());

    // The next activation tries the whole first-activation work again.
    if (!serverGone)
        ScreenHarness::scriptDefaults(harness.server);
    if (pickedAgain)
        harness.open();  // the entry again, on the screen that is already the active one
    else
        harness.activateAgain();
    if (serverGone) {
        QCOMPARE(harness.dialogs.errors().size(), 2);
        QCOMPARE(boPrimVez, true);
        QCOMPARE(harness.filter.opened, 0);
        return;
    }
    QCOMPARE(boPrimVez, false);
    QCOMPARE(screen->cdsParamOrcaEve->RecordCount(), 1);
    QCOMPARE(harness.filter.opened, 1);
    QCOMPARE(screen->cdsVendedores->RecordCount(), 2);
}

void MaintenanceScreenTest::shouldKeepFocusInCodeFieldWhenDatabaseIsDown()
{
    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    QTest::mouseClick(screen->medCdFilial, Qt::LeftButton);
    ScreenHarness::settle();
    harness.takeDatabaseDown();

    QTest::keyClick(screen->medCdFilial, Qt::Key_Tab);
    ScreenHarness::settle();

    QCOMPARE(harness.dialogs.errors().size(), 1);
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));
    QCOMPARE(harness.filter.opened, 1);
    QVERIFY(!BusyIndicatorShown());
}

QTEST_MAIN(MaintenanceScreenTest)
void MaintenanceScreenTest::shouldHoldKeysAndRefuseClicksWhileACallRuns()
{
    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    showQuotes(*screen);
    auto slow = ScriptedServer::Reply::result(QJsonArray{ScreenHarness::salespeople(2), ScreenHarness::emptyPending()});
    slow.delayMs = 400;
    harness.server.answer(QStringLiteral("GetVendedores"), slow);
    TDBGrid &quotes = *screen->dbgOrcamento;
    const QModelIndex mark = quotes.model()->index(0, IndiceCol(&quotes, QStringLiteral("IDCHECK")));

    QTest::keyClick(screen, Qt::Key_F5);
    QVERIFY(screen->model().busy());
    // A click on a mark while the salespeople are on their way changes nothing.
    QTest::mouseClick(quotes.viewport(), Qt::LeftButton, {}, quotes.visualRect(mark).center());
    QCOMPARE(screen->cdsOrcamentos->AsString(QStringLiteral("IDCHECK")), QStringLiteral("S"));
    QVERIFY(!screen->sbtVerificar->isEnabled());
    ScreenHarness::settle();
    QCOMPARE(screen->pgcPadrao->currentWidget(), screen->tshPadrao);

    // A key typed during the next load reaches the salesperson grid once it is over.
    screen->dbgPadrao->setFocus();
    QTest::keyClick(screen, Qt::Key_F5);
    QVERIFY(screen->model().busy());
    QTest::keyClick(screen->dbgPadrao, Qt::Key_Down);
    QCOMPARE(screen->cdsVendedores->RecNo(), 0);
    ScreenHarness::settle();

    QCOMPARE(screen->cdsVendedores->RecNo(), 1);
    QCOMPARE(harness.server.calls(QStringLiteral("GetVendedores")), 3);
    QCOMPARE(harness.dialogs.errors(), QStringList());
}

void MaintenanceScreenTest::shouldSwitchTabsFromInsideTheGrids_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");

    QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+PgDown") << int(Qt::Key_PageDown) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+PgUp") << int(Qt::Key_PageUp) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ControlModifier | Qt::ShiftModifier);
}

void MaintenanceScreenTest::shouldSwitchTabsFromInsideTheGrids()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    QCOMPARE(screen->pgcPadrao->currentIndex(), 0);
    screen->dbgPadrao->setFocus();
    // Two tabs: forwards and backwards both reach the other one, and back.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    ScreenHarness::settle();
    QCOMPARE(screen->pgcPadrao->currentIndex(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    ScreenHarness::settle();
    QCOMPARE(screen->pgcPadrao->currentIndex(), 0);
}

void MaintenanceScreenTest::shouldRunNoFilterUntilAnActivationHasLoadedTheParameters_data()
{
    addReopeningRows();
}

void MaintenanceScreenTest::shouldRunNoFilterUntilAnActivationHasLoadedTheParameters()
{
    QFETCH(QString, reopening);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    harness.server.answer(QStringLiteral("GetParamOrcaEve"),
                          ScriptedServer::Reply::error(503, QStringLiteral("Banco fora do ar")));
    TfrmManComis *screen = harness.open();

    // The server is still down: every activation fails, and nothing runs
    // on parameters that were never loaded, wherever the focus goes. The
    // filter command stays on: it tries the parameters again first.
    reopen(harness, screen, reopening);
    QCOMPARE(harness.dialogs.errors().size(), 2);
    QCOMPARE(boPrimVez, true);
    QVERIFY(screen->sbtFiltrar->isEnabled());
    QVERIFY(screen->mnuFiltrar->isEnabled());
    QTest::mouseClick(screen->medCdFilial, Qt::LeftButton);
    QTest::keyClick(screen->medCdFilial, Qt::Key_Tab);
    QTest::keyClick(screen, Qt::Key_L, Qt::ControlModifier);
    ScreenHarness::settle();
    QCOMPARE(harness.filter.opened, 0);
    QCOMPARE(harness.dialogs.errors().size(), 3);

    // Back: the next activation loads them and opens the filter once.
    ScreenHarness::scriptDefaults(harness.server);
    reopen(harness, screen, reopening);
    QCOMPARE(boPrimVez, false);
    QCOMPARE(harness.filter.opened, 1);
    QVERIFY(screen->sbtFiltrar->isEnabled());
}

void MaintenanceScreenTest::shouldRunNothingWhenMinimizedWithTheFocusInTheBranchPanel()
{
    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::Cancel << Answer::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    QCOMPARE(harness.filter.opened, 1);
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));

    // Minimizing is neither an activation nor a move out of the panel.
    screen->childWindow()->showMinimized();
    ScreenHarness::settle();
    QCOMPARE(harness.filter.opened, 1);

    // Restored, the focus is where the operator left it.
    screen->childWindow()->showNormal();
    ScreenHarness::settle();
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));
}

void MaintenanceScreenTest::shouldOpenTheFilterOnceWhenACancelledScreenIsBroughtBack_data()
{
    addReopeningRows();
}

void MaintenanceScreenTest::shouldOpenTheFilterOnceWhenACancelledScreenIsBroughtBack()
{
    QFETCH(QString, reopening);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::Cancel << Answer::Cancel << Answer::Cancel;
    TfrmManComis *screen = harness.open();
    QCOMPARE(harness.filter.opened, 1);
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));

    reopen(harness, screen, reopening);
    ScreenHarness::settle();

    // The activation runs the filter once; cancelled with no salespeople, the
    // run ends in the branch code field and nothing opens it again.
    QCOMPARE(harness.filter.opened, 2);
    QCOMPARE(harness.filter.unexpected, 0);
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));
}

void MaintenanceScreenTest::shouldMoveTheBusyIndicatorAndShowTheWaitCursorWhileACallRuns()
{
    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << Answer::ConfirmNotGenerated;
    auto slow = ScriptedServer::Reply::result(QJsonArray{ScreenHarness::salespeople(2), ScreenHarness::emptyPending()});
    slow.delayMs = 700;
    harness.server.answer(QStringLiteral("GetVendedores"), slow);

    // Looks at the window while the salesperson list is on its way.
    struct Sample {
        bool indicatorShown;
        int frame;
        int cursor;
    };
    QList<Sample> samples;
    int paints = 0;
    QPointer<BusyIndicator> watched;
    struct PaintCounter : QObject {
        int *count;
        explicit PaintCounter(int *c) : count(c) {}
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                ++*count;
            return false;
        }
    } counter(&paints);
    QTimer sampler;
    sampler.setInterval(20);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (harness.server.calls(QStringLiteral("GetVendedores")) == 0)
            return;
        const QList<BusyIndicator *> indicators = MainForm()->findChildren<BusyIndicator *>();
        BusyIndicator *indicator = indicators.isEmpty() ? nullptr : indicators.first();
        if (indicator && !watched) {
            watched = indicator;
            indicator->installEventFilter(&counter);
        }
        const QCursor *cursor = QApplication::overrideCursor();
        samples.append({indicator && indicator->isVisible(), indicator ? indicator->frame() : -1,
                        cursor ? int(cursor->shape()) : -1});
    });
    sampler.start();
    harness.open();
    sampler.stop();

    QCOMPARE(harness.server.calls(QStringLiteral("GetVendedores")), 1);
    // The event loop ran during the call: the window was sampled and painted,
    // the animation moved, and the hourglass showed all the while; once the
    // indicator went, so did the hourglass.
    const auto during =
        std::find_if(samples.cbegin(), samples.cend(), [](const Sample &s) { return !s.indicatorShown; });
    QVERIFY2(during - samples.cbegin() >= 10, qPrintable(QString::number(during - samples.cbegin())));
    QVERIFY(std::all_of(samples.cbegin(), during, [](const Sample &s) { return s.cursor == int(Qt::WaitCursor); }));
    QVERIFY(std::none_of(during, samples.cend(), [](const Sample &s) { return s.cursor == int(Qt::WaitCursor); }));
    // The animation moved between two looks (a new call may start it again).
    QVERIFY(
        std::adjacent_find(samples.cbegin(), during, [](const Sample &a, const Sample &b) { return b.frame > a.frame; })
        != during);
    QVERIFY(paints > 1);
    // Ended: no hourglass and no indicator left.
    QVERIFY(!QApplication::overrideCursor() || QApplication::overrideCursor()->shape() != Qt::WaitCursor);
    QVERIFY(!watched || !watched->isVisible());
}

#include "maintenancescreentest.moc"
