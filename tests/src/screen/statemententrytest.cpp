#include "screenharness.h"
#include "tdbgrid.h"
#include "tfrmmancomis.h"

#include <QAction>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

// "Extrato da comissão (PDF)..." is enabled exactly while the current
// salesperson has quotes listed: it follows the moves between salespeople
// and every reload, not only the filter dialog.
class StatementEntryTest : public QObject {
    Q_OBJECT
private slots:
    void shouldFollowTheQuotesOfTheCurrentSalesperson();
};

void StatementEntryTest::shouldFollowTheQuotesOfTheCurrentSalesperson()
{
    using Reply = ScriptedServer::Reply;
    ScreenHarness harness(QStringLiteral("0001"), false);
    // The first salesperson has quotes, the second none.
    harness.server.script(QStringLiteral("GetOrcamentos"), [](const QJsonArray &arguments) {
        const QString code = arguments.at(1).toObject().value(QStringLiteral("value")).toString();
        return Reply::result(ScreenHarness::quotes(code == QLatin1String("0001") ? 2 : 0));
    });
    harness.filter.answers << FilterDialogAnswers::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    screen->dbgPadrao->setFocus();
    QTRY_VERIFY(screen->mnuExtrato->isEnabled());

    QTest::keyClick(screen->dbgPadrao, Qt::Key_Down);
    ScreenHarness::waitIdle(*screen);
    QTRY_VERIFY(!screen->mnuExtrato->isEnabled());
    QTest::keyClick(screen->dbgPadrao, Qt::Key_Up);
    ScreenHarness::waitIdle(*screen);
    QTRY_VERIFY(screen->mnuExtrato->isEnabled());

    // A reload that finds nobody leaves nothing to print.
    harness.server.answer(QStringLiteral("GetVendedores"),
                          Reply::result(QJsonArray{ScreenHarness::salespeople(0), ScreenHarness::emptyPending()}));
    screen->mnuVerificar->trigger();
    ScreenHarness::waitIdle(*screen);
    QTRY_VERIFY(!screen->mnuExtrato->isEnabled());
}

QTEST_MAIN(StatementEntryTest)
#include "statemententrytest.moc"
