// The built module loaded by the host as a user opens it: IniProc makes one
// screen, a later IniProc brings the same one back, and the host lets the
// module go when it closes. A module is loaded once per process, so this is
// one test.

#include "hostmainwindow.h"
#include "scripteddialogs.h"
#include "session.h"
#include "tfrmpadraogrid.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

class ModuleLoadTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        SessionValues session;
        session.branchCode = QStringLiteral("0001");
        session.operatorCode = QStringLiteral("ADMIN");
        session.serverPort = 1;  // nothing listens there: activation reports it
        Session::set(session);
    }

    void shouldOpenOneScreenAndBringItBackUntilHostCloses()
    {
        ScriptedDialogs dialogs;
        HostMainWindow host;
        host.show();
        QVERIFY(QTest::qWaitForWindowActive(&host));
        QVERIFY(host.openModule(QStringLiteral(COMMISSION_MODULE)));
        QMdiArea *area = host.childWindowArea();
        QCOMPARE(area->subWindowList().size(), 1);
        QMdiSubWindow *child = area->subWindowList().first();
        QPointer<TfrmPadraoGrid> screen = qobject_cast<TfrmPadraoGrid *>(child->widget());
        QVERIFY(screen);
        QCOMPARE(screen->objectName(), QStringLiteral("frmManComis"));
        QCOMPARE(child->windowTitle(), QStringLiteral("Manutenção da Comissão"));
        QCOMPARE(screen->lblCodTela->text(), QStringLiteral("ORE09700"));
        QVERIFY(!QApplication::overrideCursor());

        QVERIFY(host.openModule(QStringLiteral(COMMISSION_MODULE)));
        QCOMPARE(area->subWindowList(), QList<QMdiSubWindow *>{child});

        child->close();
        QVERIFY(screen && !child->isVisible());
        QVERIFY(host.openModule(QStringLiteral(COMMISSION_MODULE)));
        QCOMPARE(area->subWindowList(), QList<QMdiSubWindow *>{child});
        QVERIFY(child->isVisible());
        QVERIFY(!QApplication::overrideCursor());

        // The host's own close runs every FormClose, deletes the screen and unloads.
        QVERIFY(host.close());
        QVERIFY(!screen);
        QVERIFY(area->subWindowList().isEmpty());
    }
};

QTEST_MAIN(ModuleLoadTest)
#include "moduleloadtest.moc"
