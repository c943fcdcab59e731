#include "commissionclient.h"
#include "daycount.h"
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

// The history of settlements shows each cancellation's reason.
class HistoryDialogTest : public QObject {
    Q_OBJECT

private slots:
    void shouldShowTheReasonOfEachCancellation();
};

void HistoryDialogTest::shouldShowTheReasonOfEachCancellation()
{
    packet::Packet settlements = shaped(screendatasets::declareHistorico);
    const auto row = [&settlements](double audit, const char *operation, const QString &reason) {
        QVector<QVariant> values(settlements.fields.size(), QString());
        const auto set = [&](const char *name, const QVariant &value) {
            values[settlements.fieldIndex(QLatin1String(name))] = value;
        };
        for (const char *number : {"NRAUDITCOMISSAO", "DTHRAUDITORIA", "NRCONTAPAGAR", "QTORCAMENTOS", "VRCOMISSAO"})
            set(number, 0.0);
        set("NRAUDITCOMISSAO", audit);
        set("DTHRAUDITORIA", packet::toDayCount(QDate(2026, 1, 10)));
        set("DSOPERACAO", QString::fromUtf8(operation));
        set("DSMOTIVO", reason);
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

QTEST_MAIN(HistoryDialogTest)
#include "historydialogtest.moc"
