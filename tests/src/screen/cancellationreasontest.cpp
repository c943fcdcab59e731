#include "screenharness.h"

#include "commissionstatement.h"
#include "daycount.h"
#include "domains.h"
#include "modulestate.h"
#include "packetcodec.h"
#include "screendatasets.h"
#include "tclientdataset.h"
#include "tfrmmancomis.h"
#include "tfrmmotivocancelamento.h"

#include <QApplication>
#include <QJsonArray>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace Cli_ORE09700;
using Answer = FilterDialogAnswers::Answer;

namespace {

const QString cancelQuestion = QStringLiteral("Deseja cancelar as contas dos orçamentos marcados?");
const QString cancelled = QStringLiteral("Cancelamento das comissões realizado com sucesso.");

QJsonObject arg(const char *kind, const QJsonValue &value)
{
    return {{"kind", kind}, {"ref", false}, {"value", value}};
}

}  // namespace

// The reason a cancellation gives: the dialog alone, and on the screen
// against a scripted server; the reason again in the statement.
class CancellationReasonTest : public QObject {
    Q_OBJECT

private slots:
    void shouldOfferOkOnlyForAReasonLongEnough_data();
    void shouldOfferOkOnlyForAReasonLongEnough();
    void shouldConfirmOrAbandonFromTheKeyboard_data();
    void shouldConfirmOrAbandonFromTheKeyboard();
    void shouldSendTheReasonOnlyWhenTheOperatorGivesIt_data();
    void shouldSendTheReasonOnlyWhenTheOperatorGivesIt();
    void shouldListTheCancellationsOfTheHistoryInTheStatement();
};

void CancellationReasonTest::shouldOfferOkOnlyForAReasonLongEnough_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<int>("kept");  // characters the text keeps

    QTest::newRow("nothing") << QString() << false << 0;
    QTest::newRow("nine characters") << "Remarcado" << false << 9;
    QTest::newRow("ten characters") << "Remarcados" << true << 10;
    QTest::newRow("nine between blanks") << "   Remarcado \n " << false << 15;
    QTest::newRow("beyond the limit, cut") << QString(600, QLatin1Char('x')) << true << 500;
}

void CancellationReasonTest::shouldOfferOkOnlyForAReasonLongEnough()
{
    QFETCH(QString, typed);
    QFETCH(bool, offered);
    QFETCH(int, kept);
    TfrmMotivoCancelamento dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Motivo do cancelamento"));
    QCOMPARE(dialog.lblMotivo->text(), QStringLiteral("Informe o motivo do cancelamento (mínimo de 10 caracteres):"));
    QVERIFY(!dialog.btnOK->isEnabled());

    dialog.memMotivo->insertPlainText(typed);

    QCOMPARE(dialog.btnOK->isEnabled(), offered);
    QCOMPARE(dialog.memMotivo->toPlainText().size(), kept);
}

void CancellationReasonTest::shouldConfirmOrAbandonFromTheKeyboard_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("keys");  // ctrl-enter, tab-enter, enter, escape
    QTest::addColumn<int>("result");    // -1: still open

    QTest::newRow("Ctrl+Enter") << "Evento remarcado"
                                << "ctrl-enter" << int(QDialog::Accepted);
    QTest::newRow("Ctrl+Enter, too short") << "Remarcado"
                                           << "ctrl-enter" << -1;
    QTest::newRow("Tab to OK, Enter") << "Evento remarcado"
                                      << "tab-enter" << int(QDialog::Accepted);
    QTest::newRow("Enter in the text: a new line") << "Evento remarcado"
                                                   << "enter" << -1;
    QTest::newRow("Escape") << "Evento remarcado"
                            << "escape" << int(QDialog::Rejected);
}

void CancellationReasonTest::shouldConfirmOrAbandonFromTheKeyboard()
{
    QFETCH(QString, typed);
    QFETCH(QString, keys);
    QFETCH(int, result);
    TfrmMotivoCancelamento dialog;
    int finished = -1;
    connect(&dialog, &QDialog::finished, this, [&finished](int outcome) { finished = outcome; });
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.memMotivo);
    QTest::keyClicks(dialog.memMotivo, typed);

    if (keys == QLatin1String("ctrl-enter")) {
        QTest::keyClick(dialog.memMotivo, Qt::Key_Return, Qt::ControlModifier);
    } else if (keys == QLatin1String("tab-enter")) {
        QTest::keyClick(dialog.memMotivo, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.btnOK);
        QTest::keyClick(dialog.btnOK, Qt::Key_Return);
    } else if (keys == QLatin1String("enter")) {
        QTest::keyClick(dialog.memMotivo, Qt::Key_Return);
        QCOMPARE(dialog.memMotivo->toPlainText(), typed + QLatin1Char('\n'));
    } else {
        QTest::keyClick(dialog.memMotivo, Qt::Key_Escape);
    }

    QCOMPARE(finished, result);
    QCOMPARE(dialog.isVisible(), result < 0);
}

void CancellationReasonTest::shouldSendTheReasonOnlyWhenTheOperatorGivesIt_data()
{
    QTest::addColumn<QString>("typed");  // empty: the operator presses Cancel
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("Cancel") << QString() << QStringList{cancelQuestion};
    QTest::newRow("OK") << "  O cliente desistiu do evento  " << QStringList{cancelQuestion, cancelled};
}

void CancellationReasonTest::shouldSendTheReasonOnlyWhenTheOperatorGivesIt()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.server.answer(QStringLiteral("SetCancelaComissao"),
                          ScriptedServer::Reply::result(ScreenHarness::quotes(2)));
    harness.filter.answers << Answer::ConfirmGenerated;
    TfrmManComis *screen = harness.open();
    screen->pgcPadrao->setCurrentWidget(screen->tshOrcamento);
    screen->dbgOrcamento->setFocus();
    ScreenHarness::settle();
    inContOrcamento = screen->cdsOrcamentos->RecordCount();
    screen->Habilita();
    QVERIFY(screen->sbtCancelar->isEnabled());
    const QJsonObject quotesSent = packet::toJson(screen->cdsOrcamentos->data());

    // The module's own dialog, answered once its modal run has begun.
    bool dialogShown = false;
    harness.dialogs.onCancellationReason = [&](const DialogSeam::ReasonDialog &dialog) {
        QTimer::singleShot(0, this, [&] {
            auto *reason = qobject_cast<TfrmMotivoCancelamento *>(QApplication::activeModalWidget());
            if (!reason)
                return;
            dialogShown = true;
            if (typed.isEmpty()) {
                reason->btnCancelar->click();
                return;
            }
            reason->memMotivo->setPlainText(typed);
            reason->btnOK->click();
        });
        return dialog();
    };

    QTest::mouseClick(screen->sbtCancelar, Qt::LeftButton);
    ScreenHarness::settle();

    QVERIFY(dialogShown);
    QCOMPARE(harness.dialogs.messages(), shown);
    const QList<QJsonArray> sent = harness.server.arguments(QStringLiteral("SetCancelaComissao"));
    if (typed.isEmpty()) {
        QCOMPARE(sent.size(), 0);
        return;
    }
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first(), QJsonArray({arg("packet", quotesSent), arg("text", QStringLiteral("OPER")),
                                       arg("text", QStringLiteral("O cliente desistiu do evento"))}));
}

// The statement of generated commission lists the salesperson's
// cancellations of the history's period, each with its reason.
void CancellationReasonTest::shouldListTheCancellationsOfTheHistoryInTheStatement()
{
    TClientDataSet shape;
    screendatasets::declareHistorico(shape);
    packet::Packet settlements;
    for (const FieldDef &field : shape.fields())
        settlements.fields.append({field.name, field.kind, field.size});
    // The operation's code decides; its text is only shown.
    const auto row = [&settlements](const QDateTime &at, QLatin1String code, const char *operation, double payable,
                                    const char *reason) {
        QVector<QVariant> values(settlements.fields.size());
        const auto set = [&](const char *name, const QVariant &value) {
            values[settlements.fieldIndex(QLatin1String(name))] = value;
        };
        set("DTHRAUDITORIA", packet::toDayCount(at));
        set("IDOPERACAO", QString(code));
        set("DSOPERACAO", QString::fromUtf8(operation));
        set("CDOPERADOR", QStringLiteral("GERENTE"));
        set("NRCONTAPAGAR", payable);
        set("VRCOMISSAO", 35.0);
        set("DSMOTIVO", QString::fromUtf8(reason));
        settlements.rows.append(values);
    };
    using Operation = contract::Domains::Operation;
    row(QDateTime(QDate(2024, 4, 30), QTime(18, 0)), Operation::cancellation, "Cancelamento", 7, "Antes do período");
    row(QDateTime(QDate(2024, 5, 2), QTime(9, 30)), Operation::generation, "Cancelamento", 8, "");
    row(QDateTime(QDate(2024, 5, 3), QTime(10, 15)), Operation::cancellation, "Estorno", 8,
        "Cliente <desistiu> do evento");

    CommissionStatement::Content content;
    content.generated = true;
    content.cancellations = CommissionStatement::cancellationsIn(settlements, packet::toDayCount(QDate(2024, 5, 1)),
                                                                 packet::toDayCount(QDate(2024, 5, 31)));
    QCOMPARE(content.cancellations.size(), 1);
    const CommissionStatement::Cancellation &listed = content.cancellations.first();
    QCOMPARE(QStringList({listed.at, listed.operatorCode, listed.payable, listed.reason}),
             QStringList({"03/05/2024 10:15", "GERENTE", "8", "Cliente <desistiu> do evento"}));
    QCOMPARE(listed.commission, 35.0);
    const auto texts = [](const CommissionStatement::Content &statement) {
        QStringList texts;
        for (const StatementPages::Block &block : CommissionStatement::document(statement).body) {
            if (const auto *paragraph = std::get_if<StatementPages::Paragraph>(&block)) {
                texts << paragraph->text;
                continue;
            }
            for (const StatementPages::Column &column : std::get<StatementPages::Table>(block).columns)
                texts << column.title;
            for (const StatementPages::Row &row : std::get<StatementPages::Table>(block).rows)
                texts << row.cells;
        }
        return texts;
    };
    QVERIFY(texts(content).contains(QStringLiteral("Motivo")));
    QVERIFY(texts(content).contains(QStringLiteral("Cliente <desistiu> do evento")));

    content.generated = false;
    QVERIFY(!texts(content).contains(QStringLiteral("Cancelamentos")));
}

QTEST_MAIN(CancellationReasonTest)
#include "cancellationreasontest.moc"
