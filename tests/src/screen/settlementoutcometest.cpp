#include "screenharness.h"

#include "hostoperations.h"
#include "modulestate.h"
#include "packetcodec.h"
#include "session.h"
#include "tclientdataset.h"
#include "tfrmmancomis.h"
#include "tnetconnection.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <ctime>
#include <utility>

using namespace Cli_ORE09700;
using Answer = FilterDialogAnswers::Answer;

namespace {

const QString generated = QStringLiteral("Comissão gerada com sucesso.");
const QString cancelled = QStringLiteral("Cancelamento das comissões realizado com sucesso.");
const QString payablePaid = QStringLiteral("Conta a pagar não pode ser cancelada, a conta já foi baixada.");
const QString alreadyGenerated =
    QStringLiteral("Não foi possível gerar contas a pagar. Já existem contas para os vendedores.");
const QString notWritten = QStringLiteral("Nada foi gravado: a operação não chegou ao servidor.");
const QString perhapsWritten =
    QStringLiteral("Não se sabe se a operação foi gravada: ela foi enviada, mas a resposta do servidor não chegou. "
                   "Confira nas listas, que serão recarregadas, o que o servidor gravou.");

// Two marked quotes whose commission rounds up at the half cent only in
// whole cents (30000,10 x 5 % = 1500,005; 999,99 x 5 % = 49,9995): the
// question's amount must be the one the server books, 1.550,01.
QJsonObject roundingQuotes()
{
    packet::Packet quotes = packet::fromJson(ScreenHarness::quotes(2));
    const int total = quotes.fieldIndex(QStringLiteral("VRTOTALOREV"));
    const int commission = quotes.fieldIndex(QStringLiteral("VRCOMISSAO"));
    quotes.rows[0][total] = 30000.10;
    quotes.rows[0][commission] = 1500.01;
    quotes.rows[1][total] = 999.99;
    quotes.rows[1][commission] = 50.0;
    return packet::toJson(quotes);
}

QByteArray settledQuotes(int count)
{
    QJsonArray quotes;
    for (int i = 1; i <= count; ++i)
        quotes.append(QJsonObject{{"filial", "0001"},
                                  {"orcamento", QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0'))},
                                  {"sequencia", "02"},
                                  {"conta", 100 + i},
                                  {"operador", "OP1"},
                                  {"geradaEm", "2024-06-01T10:00:00Z"}});
    return QJsonDocument(
               QJsonObject{{"result", "COMISSAO_GERADA"}, {"details", QJsonObject{{"orcamentosGerados", quotes}}}})
        .toJson(QJsonDocument::Compact);
}

QByteArray cancellation(const char *payables)
{
    return "{\"result\":" + QJsonDocument(ScreenHarness::quotes(2)).toJson(QJsonDocument::Compact)
           + ",\"outcome\":{\"contas\":[" + payables + "]}}";
}

QString settledLines(int count)
{
    QStringList lines{QStringLiteral("Orçamentos marcados que já têm comissão gerada:")};
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("Orçamento %1/02 · conta %2 · operador OP1 · 01/06/2024 07:00")
                     .arg(i, 10, 10, QLatin1Char('0'))
                     .arg(100 + i);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

// What the boxes of a generation and a cancellation tell beside the
// catalogue's texts, for each answer the server may give, on the screen
// against a scripted server.
class SettlementOutcomeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void shouldTellTheNumbersBesideTheCatalogueText_data();
    void shouldTellTheNumbersBesideTheCatalogueText();
};

void SettlementOutcomeTest::initTestCase()
{
    // Brasília's time, three hours behind UTC all year.
    qputenv("TZ", "<-03>3");
    tzset();
}

void SettlementOutcomeTest::shouldTellTheNumbersBesideTheCatalogueText_data()
{
    QTest::addColumn<bool>("generating");
    QTest::addColumn<QString>("reach");  // "server", "closed port", "slow server"
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");  // "%1": the server's port
    QTest::addColumn<QString>("informative");
    QTest::addColumn<bool>("reloaded");

    QTest::newRow("generated, one payable")
        << true << "server" << 200
        << QByteArray(R"({"result":"","outcome":{"contas":[{"conta":121,"orcamentos":2,"valor":1550.01}]}})")
        << generated << "Conta a pagar 121 · 2 orçamentos · 1.550,01" << true;
    QTest::newRow("generated, two payables")
        << true << "server" << 200
        << QByteArray(R"({"result":"","outcome":{"contas":[{"conta":121,"orcamentos":1,"valor":1500.01},)"
                      R"({"conta":122,"orcamentos":1,"valor":-50}]}})")
        << generated << "Conta a pagar 121 · 1 orçamento · 1.500,01\nConta a pagar 122 · 1 orçamento · -50,00" << true;
    QTest::newRow("refused, quotes generated already")
        << true << "server" << 200 << settledQuotes(2) << alreadyGenerated << settledLines(2) << true;
    QTest::newRow("refused, more quotes than listed")
        << true << "server" << 200 << settledQuotes(12) << alreadyGenerated
        << settledLines(10) + QStringLiteral("\ne mais 2 orçamentos") << true;
    QTest::newRow("cancelled, one removed and one changed")
        << false << "server" << 200
        << cancellation(R"({"conta":101,"orcamentos":1,"de":80,"para":0,"removida":true},)"
                        R"({"conta":121,"orcamentos":1,"de":35,"para":50,"removida":false})")
        << cancelled
        << "Conta a pagar 101 removida (80,00 → 0,00) · 1 orçamento retirado\n"
           "Conta a pagar 121 alterada de 35,00 para 50,00 · 1 orçamento retirado"
        << true;
    QTest::newRow("cancelled, nothing to cancel")
        << false << "server" << 200 << cancellation("") << cancelled
        << "Nenhuma conta a pagar foi alterada: nenhum dos orçamentos marcados tinha comissão gerada." << true;
    QTest::newRow("refused, payable paid")
        << false << "server" << 422
        << QByteArray(R"({"error":"N_PARAM_CONTAPAGBAIXADA","details":{"contas":[{"conta":102}]}})") << payablePaid
        << "Conta a pagar 102 já baixada." << false;
    QTest::newRow("generation, server unreachable")
        << true << "closed port" << 0 << QByteArray()
        << "Não foi possível comunicar com o servidor 127.0.0.1:%1: conexão recusada ou servidor inacessível."
        << notWritten << false;
    QTest::newRow("cancellation, answer lost")
        << false << "slow server" << 200 << cancellation("")
        << "Não foi possível comunicar com o servidor 127.0.0.1:%1: o servidor não respondeu em 1 s." << perhapsWritten
        << true;
}

void SettlementOutcomeTest::shouldTellTheNumbersBesideTheCatalogueText()
{
    QFETCH(bool, generating);
    QFETCH(QString, reach);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QFETCH(QString, informative);
    QFETCH(bool, reloaded);
    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.server.answer(QStringLiteral("GetOrcamentos"), ScriptedServer::Reply::result(roundingQuotes()));
    const QString method = generating ? QStringLiteral("SetComissao") : QStringLiteral("SetCancelaComissao");
    harness.server.answer(method, {status, body, reach == QLatin1String("slow server") ? 1500 : 0});
    harness.filter.answers << (generating ? Answer::ConfirmNotGenerated : Answer::ConfirmGenerated);
    TfrmManComis *screen = harness.open();
    screen->pgcPadrao->setCurrentWidget(screen->tshOrcamento);
    screen->dbgOrcamento->setFocus();
    ScreenHarness::settle();
    inContOrcamento = screen->cdsOrcamentos->RecordCount();
    screen->Habilita();
    harness.dialogs.reasons.enqueue(QStringLiteral("Evento cancelado pelo cliente"));
    int port = harness.server.port();
    if (reach == QLatin1String("closed port")) {
        SessionValues session = Session::values();
        session.serverPort = port = ScriptedServer::closedPort();
        Session::set(session);
    }
    if (reach == QLatin1String("slow server"))
        screen->netManuComissao->ReadTimeoutMs = 300;
    screen->netManuComissao->setConnected(false);
    const int listings = harness.server.calls(QStringLiteral("GetVendedores"));
    harness.dialogs.clear();

    QTest::mouseClick(generating ? screen->sbtConfirmar : screen->sbtCancelar, Qt::LeftButton);
    ScreenHarness::settle();

    QList<ScriptedDialogs::Shown> boxes;
    for (const ScriptedDialogs::Shown &dialog : std::as_const(harness.dialogs.shown)) {
        if (dialog.kind == QLatin1String("message") || dialog.kind == QLatin1String("error"))
            boxes.append(dialog);
    }
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.first().informative, QStringLiteral("2 orçamentos marcados · 1.550,01"));
    QCOMPARE(boxes.last().text, text.contains(QLatin1String("%1")) ? text.arg(port) : text);
    QCOMPARE(boxes.last().informative, informative);
    QCOMPARE(harness.server.calls(QStringLiteral("GetVendedores")) > listings, reloaded);
    QVERIFY(!BusyIndicatorShown());
}

QTEST_MAIN(SettlementOutcomeTest)
#include "settlementoutcometest.moc"
