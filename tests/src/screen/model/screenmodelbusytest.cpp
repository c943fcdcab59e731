#include "screenmodel.h"

#include "mainform.h"
#include "modulestate.h"
#include "packetcodec.h"
#include "screendatasets.h"
#include "scripteddialogs.h"
#include "scriptedserver.h"
#include "tclientdataset.h"
#include "tmessages.h"
#include "tnetconnection.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace Cli_ORE09700;
using Reply = ScriptedServer::Reply;

namespace {

QJsonObject emptyPacket(void (*declare)(TClientDataSet &))
{
    TClientDataSet set;
    declare(set);
    packet::Packet content;
    for (const FieldDef &field : set.fields())
        content.fields.append({field.name, field.kind, field.size});
    return packet::toJson(content);
}

}  // namespace

// While one call is in progress the model refuses every other command:
// nothing more reaches the server, no question is asked, and it says once
// that it is busy and once that it is idle again.
class ScreenModelBusyTest : public QObject {
    Q_OBJECT
private slots:
    void shouldRefuseEveryCommandWhileACallIsInProgress_data();
    void shouldRefuseEveryCommandWhileACallIsInProgress();
};

void ScreenModelBusyTest::shouldRefuseEveryCommandWhileACallIsInProgress_data()
{
    QTest::addColumn<std::function<void(ScreenModel &)>>("command");
    QTest::newRow("reload") << std::function<void(ScreenModel &)>([](ScreenModel &m) { m.reload(); });
    QTest::newRow("parameters") << std::function<void(ScreenModel &)>([](ScreenModel &m) { m.loadParameters({}); });
    QTest::newRow("generate") << std::function<void(ScreenModel &)>([](ScreenModel &m) { m.generate(); });
    QTest::newRow("cancel") << std::function<void(ScreenModel &)>([](ScreenModel &m) { m.cancel(); });
    QTest::newRow("history") << std::function<void(ScreenModel &)>(
        [](ScreenModel &m) { m.history(QStringLiteral("0001"), QString(), [](const auto &) {}); });
}

void ScreenModelBusyTest::shouldRefuseEveryCommandWhileACallIsInProgress()
{
    QFETCH(std::function<void(ScreenModel &)>, command);

    ScriptedServer server;
    ScriptedDialogs dialogs;
    QWidget mainForm;
    SetMainForm(&mainForm);
    Reply salespeople = Reply::result(
        QJsonArray{emptyPacket(screendatasets::declareVendedores), emptyPacket(screendatasets::declareOrcaPendente)});
    salespeople.delayMs = 300;
    server.answer(QStringLiteral("GetVendedores"), salespeople);
    server.answer(QStringLiteral("GetOrcamentos"), Reply::result(emptyPacket(screendatasets::declareOrcamentos)));

    ScreenModel model;
    model.netManuComissao->Port = server.port();
    TMessages messages;
    ScreenModel::View view;
    view.messages = &messages;
    view.activateVendedorTab = [] {};
    view.Habilita = [] {};
    view.showPending = [](TClientDataSet *, const QString &) {};
    view.listsLoaded = [](const CommissionClient::Selection &) {};
    model.attach(view);
    model.setListsBranch(QStringLiteral("0001"));
    Filtro.Comissao.stGerada = QStringLiteral("N");
    inContOrcamento = 1;
    QSignalSpy busy(&model, &ScreenModel::busyChanged);

    model.reload();
    QVERIFY(model.busy());
    command(model);
    QTRY_VERIFY(!model.busy());

    QCOMPARE(server.calls(QStringLiteral("GetVendedores")), 1);
    for (const char *method : {"GetParamOrcaEve", "SetComissao", "SetCancelaComissao", "GetHistoricoComissao"})
        QCOMPARE(server.calls(QLatin1String(method)), 0);
    QVERIFY2(dialogs.messages().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('|'))));
    QCOMPARE(busy.count(), 2);
    QCOMPARE(busy.at(0).at(0).toBool(), true);
    QCOMPARE(busy.at(1).at(0).toBool(), false);
    SetMainForm(nullptr);
}

QTEST_MAIN(ScreenModelBusyTest)
#include "screenmodelbusytest.moc"
