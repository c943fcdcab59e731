// The module's state as loading leaves it, and the single screen that
// CriaManComis creates and brings back.

#include "modulestate.h"
#include "hostmainwindow.h"
#include "hostoperations.h"
#include "moduleentry.h"
#include "scripteddialogs.h"
#include "session.h"
#include "tfrmmancomis.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

class ModuleStateTest : public QObject {
    Q_OBJECT

private slots:
    // Runs first: nothing of the module has run yet.
    void shouldHoldEmptyValuesAtLoad_data()
    {
        using namespace Cli_ORE09700;
        QTest::addColumn<bool>("empty");
        QTest::newRow("frmManComis none") << (frmManComis == nullptr);
        QTest::newRow("boIdCriado False") << !boIdCriado;
        QTest::newRow("boPrimVez False") << !boPrimVez;
        QTest::newRow("boCheck False") << !boCheck;
        QTest::newRow("boFiltro False") << !boFiltro;
        QTest::newRow("boExibePendednte False") << !boExibePendednte;
        QTest::newRow("stCdVend empty") << stCdVend.isEmpty();
        QTest::newRow("stCdEven empty") << stCdEven.isEmpty();
        QTest::newRow("inContOrcamento 0") << (inContOrcamento == 0);
        QTest::newRow("Filtro dates 0") << (Filtro.dtDePeriodo == 0 && Filtro.dtAtePeriodo == 0);
        QTest::newRow("Filtro salespeople") << (!Filtro.Vendedor.boTodos && Filtro.Vendedor.stLista.isEmpty());
        QTest::newRow("Filtro event types") << (!Filtro.TipoEven.boTodos && Filtro.TipoEven.stLista.isEmpty());
        QTest::newRow("Filtro status") << Filtro.Comissao.stGerada.isEmpty();
        QTest::newRow("Filtro branch") << Filtro.stCdFilial.isEmpty();
        QTest::newRow("filter dialog none") << (Cli_ORE09701::frmFiltroManuComissao == nullptr);
        QTest::newRow("filter boIdCriado False") << !Cli_ORE09701::boIdCriado;
        QTest::newRow("stVendedor empty") << Cli_ORE09701::stVendedor.isEmpty();
        QTest::newRow("stTipoEvento empty") << Cli_ORE09701::stTipoEvento.isEmpty();
        QTest::newRow("pending dialog none") << (Cli_ORE09702::frmOrcaPendednte == nullptr);
    }

    void shouldHoldEmptyValuesAtLoad()
    {
        QFETCH(bool, empty);
        QVERIFY(empty);
    }

    void shouldCreateOneScreenAndBringItBack()
    {
        using namespace Cli_ORE09700;
        ScriptedDialogs dialogs;  // the service is not there: activation reports it
        SessionValues session = Session::values();
        session.serverPort = 1;  // nothing listens there
        session.operatorCode = QStringLiteral("ADMIN");
        Session::set(session);
        HostMainWindow host;
        host.show();
        QVERIFY(QTest::qWaitForWindowActive(&host));

        CriaManComis();
        QVERIFY(boIdCriado);
        QPointer<TfrmManComis> first = frmManComis;
        QVERIFY(first);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(ScreenCursor(), crDefault);
        // Creation set the filter's defaults and the flags.
        QVERIFY(Filtro.Vendedor.boTodos && Filtro.TipoEven.boTodos);
        QVERIFY(boFiltro);

        Filtro.Vendedor.stLista = QStringLiteral("0001;0002");  // no second creation resets it
        CriaManComis();
        QCOMPARE(frmManComis, first.data());
        QCOMPARE(host.childWindowArea()->subWindowList().size(), 1);
        QCOMPARE(Filtro.Vendedor.stLista, QStringLiteral("0001;0002"));

        // Closed, then opened again: the same instance, shown and in front.
        QMdiSubWindow *child = qobject_cast<QMdiSubWindow *>(first->childWindow());
        QVERIFY(child);
        child->close();
        QVERIFY(first && !child->isVisible());
        CriaManComis();
        QCOMPARE(frmManComis, first.data());
        QVERIFY(child->isVisible());
        QCOMPARE(host.childWindowArea()->activeSubWindow(), child);

        // Minimized: restored.
        child->showMinimized();
        CriaManComis();
        QVERIFY(!child->isMinimized());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!boCheck);
        QVERIFY(host.releaseModules());
        QVERIFY(!first);
        // Nothing is left pointing at the deleted screen.
        QCOMPARE(frmManComis, nullptr);
        QVERIFY(!boIdCriado);
    }
};

QTEST_MAIN(ModuleStateTest)
#include "modulestatetest.moc"
