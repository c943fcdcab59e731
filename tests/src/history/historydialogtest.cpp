#include "commissionclient.h"
#include "daycount.h"
#include "domains.h"
#include "historicocomissao.h"
#include "hostbusy.h"
#include "packetcodec.h"
#include "remotecontract.h"
#include "screendatasets.h"
#include "scripteddialogs.h"
#include "scriptedserver.h"
#include "tclientdataset.h"
#include "tdateeditplus.h"
#include "tdbgrid.h"
#include "tfrmhistoricocomissao.h"
#include "tnetconnection.h"
#include "utcinstant.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
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

using H = contract::HistoricoComissao;

// A settlement: zero amounts and empty texts but for the values given.
void addSettlement(packet::Packet &settlements, const QList<std::pair<contract::WireField, QVariant>> &values)
{
    QVector<QVariant> row(settlements.fields.size(), QString());
    for (const contract::WireField &field : H::fields()) {
        if (field.kind == packet::FieldKind::Float)
            row[settlements.fieldIndex(field.name)] = 0.0;
    }
    for (const auto &[field, value] : values)
        row[settlements.fieldIndex(field.name)] = value;
    settlements.rows.append(row);
}

// The text of a cell of the grid, by the column's title.
QString cell(const TDBGrid &grid, int row, const QString &title)
{
    const QAbstractItemModel &model = *grid.model();
    for (int column = 0; column < model.columnCount(); ++column) {
        if (model.headerData(column, Qt::Horizontal).toString() == title)
            return model.data(model.index(row, column)).toString();
    }
    return QStringLiteral("<no column %1>").arg(title);
}

double argument(const QJsonArray &arguments, int index)
{
    return arguments[index].toObject().value(QStringLiteral("value")).toDouble();
}

// The scripted server and the client of a dialog.
struct Service {
    ScriptedServer server;
    TNetConnection connection;
    std::unique_ptr<CommissionClient> client;

    Service()
    {
        connection.ServerName = contract::RemoteContract::objectName;
        connection.Port = server.port();
        client = std::make_unique<CommissionClient>(connection);
    }
    // Answers the settlements whose instant is within the period asked for,
    // as the server reads bounds said to be in UTC (start in, end out).
    void answerByPeriod(const packet::Packet &settlements)
    {
        server.script(contract::RemoteContract::getHistoricoComissao, [settlements](const QJsonArray &arguments) {
            const bool inUtc =
                arguments.size() > 4
                && arguments[4].toObject().value(QStringLiteral("value")) == contract::Domains::PeriodInUtc::yes;
            const double from = argument(arguments, 2), to = argument(arguments, 3);
            packet::Packet listed = settlements;
            listed.rows.clear();
            for (const QVector<QVariant> &row : settlements.rows) {
                const double when = row[settlements.fieldIndex(H::DtHrAuditoria.name)].toDouble();
                if (inUtc && (from == 0 || when >= from) && (to == 0 || when < to))
                    listed.rows.append(row);
            }
            return ScriptedServer::Reply::result(
                QJsonArray{packet::toJson(listed), packet::toJson(shaped(screendatasets::declareHistoricoOrcamentos))});
        });
    }
};

}  // namespace

// The history of settlements shows each cancellation's reason; it loads
// without waiting for the server, its controls held meanwhile. It runs in
// São Paulo's time (TZ, set for this test) against a server that dates in UTC.
class HistoryDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void shouldShowTheReasonOfEachCancellation();
    void shouldCloseWhenTheFirstLoadFails();
    void shouldListTheSettlementsOfTheHostsLocalDays_data();
    void shouldListTheSettlementsOfTheHostsLocalDays();
    void shouldTotalTheListAndSayWhetherEachPayableIsPaidOrRemoved();
    void shouldReloadThePeriodTypedAndRefuseAStartAfterTheEnd();
};

void HistoryDialogTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    QCOMPARE(QDateTime::currentDateTime().offsetFromUtc(), -3 * 3600);
}

void HistoryDialogTest::shouldShowTheReasonOfEachCancellation()
{
    packet::Packet settlements = shaped(screendatasets::declareHistorico);
    const QString reason = QStringLiteral("Evento remarcado para o mês seguinte");
    const double now = contract::UtcInstant::toDayCount(QDateTime::currentDateTime());
    addSettlement(settlements, {{H::NrAuditComissao, 1.0}, {H::DtHrAuditoria, now}, {H::DsOperacao, "Geração"}});
    addSettlement(
        settlements,
        {{H::NrAuditComissao, 2.0}, {H::DtHrAuditoria, now}, {H::DsOperacao, "Cancelamento"}, {H::DsMotivo, reason}});
    Service service;
    service.answerByPeriod(settlements);
    ScriptedDialogs dialogs;
    TfrmHistoricoComissao history(*service.client,
                                  {QStringLiteral("0001"), QStringLiteral("0006"), QStringLiteral("Ana")});

    history.load();

    // Held until the answer comes, the indicator up meanwhile.
    QVERIFY(history.loading());
    QVERIFY(BusyIndicatorShown());
    QVERIFY(!history.rbtHistoricoTodos->isEnabled());
    QVERIFY(!history.btnAtualizar->isEnabled());
    QVERIFY(!history.dbgHistorico->isEnabled());
    QTRY_VERIFY(!history.loading());
    QVERIFY(!BusyIndicatorShown());
    QVERIFY(history.rbtHistoricoTodos->isEnabled());
    QVERIFY(history.dbgHistorico->isEnabled());
    QCOMPARE(dialogs.errors(), QStringList());
    QCOMPARE(cell(*history.dbgHistorico, 0, QStringLiteral("Motivo")), QString());
    QCOMPARE(cell(*history.dbgHistorico, 1, QStringLiteral("Motivo")), reason);
    // The whole reason of the current settlement under the grid.
    QVERIFY(history.lblMotivoAtual->isHidden());
    history.cdsHistorico->Next();
    QVERIFY(!history.lblMotivoAtual->isHidden());
    QCOMPARE(history.lblMotivoAtual->text(), QStringLiteral("Motivo: ") + reason);
}

void HistoryDialogTest::shouldCloseWhenTheFirstLoadFails()
{
    Service service;
    service.server.answer(contract::RemoteContract::getHistoricoComissao,
                          ScriptedServer::Reply::error(500, QStringLiteral("Histórico indisponível")));
    ScriptedDialogs dialogs;

    // Returns once the error is shown, without a dialog left open.
    CriaHistoricoComissao(*service.client, {QStringLiteral("0001"), QString(), QString()}, nullptr);

    QCOMPARE(dialogs.errors().size(), 1);
    QVERIFY(dialogs.errors().constFirst().contains(QStringLiteral("Histórico indisponível")));
    QVERIFY(!BusyIndicatorShown());
}

void HistoryDialogTest::shouldListTheSettlementsOfTheHostsLocalDays_data()
{
    QTest::addColumn<QDateTime>("made");  // in the host's time
    QTest::addColumn<bool>("listed");
    const QDate today = QDate::currentDate();
    const QTime now = QTime::currentTime();
    // Whatever period the lists have: the history has its own.
    QTest::newRow("just made") << QDateTime(today, QTime(now.hour(), now.minute())) << true;
    QTest::newRow("this evening, tomorrow in UTC") << QDateTime(today, QTime(23, 30)) << true;
    QTest::newRow("first minute of the 30th day back") << QDateTime(today.addDays(-29), QTime(0, 0)) << true;
    QTest::newRow("the evening before, already that day in UTC")
        << QDateTime(today.addDays(-30), QTime(23, 30)) << false;
}

void HistoryDialogTest::shouldListTheSettlementsOfTheHostsLocalDays()
{
    QFETCH(QDateTime, made);
    QFETCH(bool, listed);
    packet::Packet settlements = shaped(screendatasets::declareHistorico);
    addSettlement(settlements, {{H::NrAuditComissao, 1.0}, {H::DtHrAuditoria, contract::UtcInstant::toDayCount(made)}});
    Service service;
    service.answerByPeriod(settlements);
    ScriptedDialogs dialogs;
    TfrmHistoricoComissao history(*service.client, {QStringLiteral("0001"), QString(), QString()});

    history.load();

    QTRY_VERIFY(!history.loading());
    QCOMPARE(dialogs.errors(), QStringList());
    QCOMPARE(history.cdsHistorico->RecordCount(), listed ? 1 : 0);
    if (listed)
        QCOMPARE(cell(*history.dbgHistorico, 0, QStringLiteral("Data e Hora")),
                 made.toString(QStringLiteral("dd/MM/yyyy hh:mm")));
}

void HistoryDialogTest::shouldTotalTheListAndSayWhetherEachPayableIsPaidOrRemoved()
{
    using D = contract::Domains;
    struct Case {
        QLatin1String operation, paid, payable;
        double amount;
        QString paidShown, payableShown;
    };
    const QList<Case> cases{
        {D::Operation::generation, D::Paid::paid, D::PayableState::asGenerated, 1234.56, "Sim", ""},
        {D::Operation::generation, D::Paid::unpaid, D::PayableState::removed, 100, "Não", "Removida"},
        {D::Operation::generation, D::Paid::unpaid, D::PayableState::changed, 50, "Não", "Alterada"},
        {D::Operation::cancellation, D::Paid::unpaid, D::PayableState::removed, 789, "Não", "Removida"},
    };
    packet::Packet settlements = shaped(screendatasets::declareHistorico);
    for (const Case &c : cases)
        addSettlement(settlements, {{H::DtHrAuditoria, contract::UtcInstant::toDayCount(QDateTime::currentDateTime())},
                                    {H::IdOperacao, QString(c.operation)},
                                    {H::IdBaixada, QString(c.paid)},
                                    {H::IdSitContaPagar, QString(c.payable)},
                                    {H::VrComissao, c.amount}});
    Service service;
    service.answerByPeriod(settlements);
    ScriptedDialogs dialogs;
    TfrmHistoricoComissao history(*service.client, {QStringLiteral("0001"), QString(), QString()});

    history.load();

    QTRY_VERIFY(!history.loading());
    QStringList shown, expected;
    for (int row = 0; row < cases.size(); ++row) {
        shown << cell(*history.dbgHistorico, row, QStringLiteral("Paga")) + QLatin1Char('|')
                     + cell(*history.dbgHistorico, row, QStringLiteral("Situação da Conta"));
        expected << cases[row].paidShown + QLatin1Char('|') + cases[row].payableShown;
    }
    QCOMPARE(shown, expected);
    QCOMPARE(history.lblTotalHistorico->text(), QStringLiteral("Gerações: 3 · 1.384,56    Cancelamentos: 1 · 789,00"));
}

void HistoryDialogTest::shouldReloadThePeriodTypedAndRefuseAStartAfterTheEnd()
{
    Service service;
    service.answerByPeriod(shaped(screendatasets::declareHistorico));
    ScriptedDialogs dialogs;
    TfrmHistoricoComissao history(*service.client, {QStringLiteral("0001"), QString(), QString()});
    history.show();
    QApplication::setActiveWindow(&history);
    history.load();
    QTRY_VERIFY(!history.loading());
    const QString method = contract::RemoteContract::getHistoricoComissao;

    // Enter in a date reloads the period typed, from and through the host's days.
    QLineEdit *from = history.depHistoricoDe->editor();
    from->setText(QStringLiteral("01/11/2026"));
    history.depHistoricoAte->editor()->setText(QStringLiteral("15/11/2026"));
    from->setFocus();
    QTest::keyClick(from, Qt::Key_Return);
    QTRY_COMPARE(service.server.calls(method), 2);
    QTRY_VERIFY(!history.loading());
    const QJsonArray sent = service.server.arguments(method).last();
    QCOMPARE(argument(sent, 2), contract::UtcInstant::startOfLocalDay(QDate(2026, 11, 1)));
    QCOMPARE(argument(sent, 3), contract::UtcInstant::startOfLocalDay(QDate(2026, 11, 16)));
    QCOMPARE(history.lblPeriodo->text(), QStringLiteral("Período das operações: 01/11/2026 a 15/11/2026"));

    // A start after the end is refused where it was typed, nothing asked.
    QLineEdit *to = history.depHistoricoAte->editor();
    to->setText(QStringLiteral("31/10/2026"));
    to->setFocus();
    QTest::keyClick(to, Qt::Key_Return);
    QCOMPARE(dialogs.errors().size(), 1);
    QVERIFY(dialogs.errors().constFirst().contains(QStringLiteral("posterior à data final")));
    QVERIFY(to->hasFocus());
    QCOMPARE(service.server.calls(method), 2);

    QTest::keyClick(to, Qt::Key_Escape);
    QVERIFY(!history.isVisible());
}

QTEST_MAIN(HistoryDialogTest)
#include "historydialogtest.moc"
