#include "commissionclient.h"
#include "daycount.h"
#include "historicocomissao.h"
#include "hostbusy.h"
#include "packetcodec.h"
#include "remotecontract.h"
#include "screendatasets.h"
#include "scripteddialogs.h"
#include "scriptedserver.h"
#include "tclientdataset.h"
#include "tdbgrid.h"
#include "tfrmhistoricocomissao.h"
#include "tnetconnection.h"

#include <QAbstractItemModel>
#include <QJsonArray>
#include <QLabel>
#include <QRadioButton>
#include <QTest>

namespace {

// A packet with the fields of a record set as the screen declares it.
packet::Packet shaped(void (*declare)(TClientDataSet &))
{
    TClientDataSet shape;
    declare(shape);
    packet::Packet content;
    for (const FieldDef &field : shape.fields())
        content.fields.append({field.name, field.kind, field.size});
    return content;
}

}  // namespace

// The history of settlements shows each cancellation's reason; it loads
// without waiting for the server, its controls held meanwhile.
class HistoryDialogTest : public QObject {
    Q_OBJECT

private slots:
    void shouldShowTheReasonOfEachCancellation();
    void shouldCloseWhenTheFirstLoadFails();
};

void HistoryDialogTest::shouldShowTheReasonOfEachCancellation()
{
    packet::Packet settlements = shaped(screendatasets::declareHistorico);
    const auto row = [&settlements](double audit, const char *operation, const QString &reason) {
        QVector<QVariant> values(settlements.fields.size(), QString());
        const auto set = [&](const contract::WireField &field, const QVariant &value) {
            values[settlements.fieldIndex(field.name)] = value;
        };
        using H = contract::HistoricoComissao;
        for (const contract::WireField &field : H::fields()) {
            if (field.kind == packet::FieldKind::Float)
                set(field, 0.0);
        }
        set(H::NrAuditComissao, audit);
        set(H::DtHrAuditoria, packet::toDayCount(QDate(2026, 1, 10)));
        set(H::DsOperacao, QString::fromUtf8(operation));
        set(H::DsMotivo, reason);
        settlements.rows.append(values);
    };
    const QString reason = QStringLiteral("Evento remarcado para o mês seguinte");
    row(1, "Geração", QString());
    row(2, "Cancelamento", reason);
    ScriptedServer server;
    server.answer(
        contract::RemoteContract::getHistoricoComissao,
        ScriptedServer::Reply::result(QJsonArray{packet::toJson(settlements),
                                                 packet::toJson(shaped(screendatasets::declareHistoricoOrcamentos))}));
    ScriptedDialogs dialogs;
    TNetConnection connection;
    connection.ServerName = contract::RemoteContract::objectName;
    connection.Port = server.port();
    CommissionClient service(connection);
    TfrmHistoricoComissao history(service, {QStringLiteral("0001"), QStringLiteral("0006"), QStringLiteral("Ana")});

    history.load();

    // Held until the answer comes, the indicator up meanwhile.
    QVERIFY(history.loading());
    QVERIFY(BusyIndicatorShown());
    QVERIFY(!history.rbtHistoricoTodos->isEnabled());
    QVERIFY(!history.dbgHistorico->isEnabled());
    QTRY_VERIFY(!history.loading());
    QVERIFY(!BusyIndicatorShown());
    QVERIFY(history.rbtHistoricoTodos->isEnabled());
    QVERIFY(history.dbgHistorico->isEnabled());
    QCOMPARE(dialogs.errors(), QStringList());
    const QAbstractItemModel &grid = *history.dbgHistorico->model();
    int column = grid.columnCount() - 1;
    while (column >= 0 && grid.headerData(column, Qt::Horizontal).toString() != QLatin1String("Motivo"))
        --column;
    QVERIFY(column >= 0);
    QCOMPARE(grid.data(grid.index(0, column)).toString(), QString());
    QCOMPARE(grid.data(grid.index(1, column)).toString(), reason);
    // The whole reason of the current settlement under the grid.
    QVERIFY(history.lblMotivoAtual->isHidden());
    history.cdsHistorico->Next();
    QVERIFY(!history.lblMotivoAtual->isHidden());
    QCOMPARE(history.lblMotivoAtual->text(), QStringLiteral("Motivo: ") + reason);
}

void HistoryDialogTest::shouldCloseWhenTheFirstLoadFails()
{
    ScriptedServer server;
    server.answer(contract::RemoteContract::getHistoricoComissao,
                  ScriptedServer::Reply::error(500, QStringLiteral("Histórico indisponível")));
    ScriptedDialogs dialogs;
    TNetConnection connection;
    connection.ServerName = contract::RemoteContract::objectName;
    connection.Port = server.port();
    CommissionClient service(connection);

    // Returns once the error is shown, without a dialog left open.
    CriaHistoricoComissao(service, {QStringLiteral("0001"), QString(), QString()}, nullptr);

    QCOMPARE(dialogs.errors().size(), 1);
    QVERIFY(dialogs.errors().constFirst().contains(QStringLiteral("Histórico indisponível")));
    QVERIFY(!BusyIndicatorShown());
}

QTEST_MAIN(HistoryDialogTest)
#include "historydialogtest.moc"
