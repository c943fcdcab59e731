#include "commissionclient.h"
#include "domains.h"
#include "orcamentos.h"
#include "packetcodec.h"
#include "remotecontract.h"
#include "scripteddialogs.h"
#include "scriptedserver.h"
#include "silentabort.h"
#include "tnetconnection.h"
#include "vendedores.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <functional>
#include <optional>

using contract::Domains;
using packet::Packet;

namespace {

using Call = std::function<void(CommissionClient &)>;

Packet quotes()
{
    Packet p;
    p.fields = {contract::Orcamentos::IdCheck.spec(), contract::Orcamentos::VrComissao.spec()};
    p.rows = {{QString(Domains::Mark::marked), 12.5}, {QString(Domains::Mark::unmarked), QVariant()}};
    return p;
}

Packet named(const QString &name)
{
    Packet p;
    p.fields = {contract::Vendedores::NmFanVen.spec()};
    p.rows = {{name}};
    return p;
}

QByteArray json(const Packet &p)
{
    return QJsonDocument(packet::toJson(p)).toJson(QJsonDocument::Compact);
}

CommissionClient::Selection selection()
{
    CommissionClient::Selection s;
    s.branch = "0001";
    s.salespeople = "0001;0007";
    s.eventTypes = "";
    s.baseDateRule = Domains::DateBase::event;
    s.generationRule = Domains::SalespersonEarns::yes;
    s.periodStart = 46000;
    s.periodEnd = 46030.5;
    s.commissionStatus = Domains::CommissionStatus::notGenerated;
    return s;
}

QJsonObject arg(const char *kind, bool ref, const QJsonValue &value)
{
    return {{"kind", kind}, {"ref", ref}, {"value", value}};
}

QString what(const std::exception &error)
{
    return QString::fromUtf8(error.what());
}

// A settlement's answer in one line: refusal, payables (number, quotes,
// amount, before, after, removed), settled quotes, cancelled rows.
QString summary(const SettlementAnswer &answer)
{
    QStringList payables, settled;
    for (const SettlementAnswer::Payable &p : answer.payables)
        payables << QString("%1 %2 %3 %4 %5 %6")
                        .arg(p.number)
                        .arg(p.quotes)
                        .arg(p.amount)
                        .arg(p.before)
                        .arg(p.after)
                        .arg(p.removed ? "true" : "false");
    for (const SettlementAnswer::SettledQuote &q : answer.alreadySettled)
        settled << QStringList{q.branch,       q.quote,
                               q.sequence,     QString::number(q.payable),
                               q.operatorCode, q.generatedAt.toUTC().toString(Qt::ISODate)}
                       .join(' ');
    return QStringList{answer.refusal, payables.join(", "), settled.join(", "),
                       QString::number(answer.cancelled.rows.size())}
        .join(" | ");
}

}  // namespace

Q_DECLARE_METATYPE(Call)

class CommissionClientTest : public QObject {
    Q_OBJECT
private slots:
    void shouldSendTheArgumentsOfEachMethod_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QByteArray>("result");
        QTest::addColumn<QJsonArray>("arguments");

        const QJsonArray listArguments{arg("text", true, "0001"),
                                       arg("text", true, "0001;0007"),
                                       arg("text", true, ""),
                                       arg("text", false, Domains::DateBase::event),
                                       arg("text", false, Domains::SalespersonEarns::yes),
                                       arg("date", true, 46000.0),
                                       arg("date", true, 46030.5),
                                       arg("text", true, Domains::CommissionStatus::notGenerated)};
        QJsonArray quoteArguments = listArguments;
        quoteArguments[1] = arg("text", false, "0001;0007");

        QTest::newRow("GetParamOrcaEve") << Call([](CommissionClient &s) { s.GetParamOrcaEve(); }) << "GetParamOrcaEve"
                                         << json(quotes()) << QJsonArray();
        QTest::newRow("GetVendedores") << Call([](CommissionClient &s) { s.GetVendedores(selection()); })
                                       << "GetVendedores"
                                       << "[" + json(quotes()) + "," + json(quotes()) + "]" << listArguments;
        QTest::newRow("GetOrcamentos") << Call([](CommissionClient &s) { s.GetOrcamentos(selection()); })
                                       << "GetOrcamentos" << json(quotes()) << quoteArguments;
        QTest::newRow("SetComissao") << Call([](CommissionClient &s) { s.SetComissao(quotes(), "ADM"); })
                                     << "SetComissao" << QByteArray(R"("")")
                                     << QJsonArray{arg("packet", false, packet::toJson(quotes())),
                                                   arg("text", false, "ADM")};
        QTest::newRow("SetCancelaComissao")
            << Call([](CommissionClient &s) { s.SetCancelaComissao(quotes(), "ADM", "Evento remarcado"); })
            << "SetCancelaComissao" << json(quotes())
            << QJsonArray{arg("packet", false, packet::toJson(quotes())), arg("text", false, "ADM"),
                          arg("text", false, "Evento remarcado")};
    }

    void shouldSendTheArgumentsOfEachMethod()
    {
        QFETCH(Call, call);
        QFETCH(QString, method);
        QFETCH(QByteArray, result);
        QFETCH(QJsonArray, arguments);

        ScriptedServer host;
        host.answerEveryCall(ScriptedServer::Reply::resultText(result));
        TNetConnection connection;
        connection.ServerName = contract::RemoteContract::objectName;
        connection.SecretHeader = contract::RemoteContract::secretHeader;
        connection.Port = host.port();
        CommissionClient service(connection);

        call(service);
        QCOMPARE(host.requests().size(), 1);
        QCOMPARE(host.lastRequest().path, contract::RemoteContract::path(method));
        QCOMPARE(host.lastRequest().args(), arguments);
    }

    void shouldDecodeTheAnswers()
    {
        ScriptedServer host;
        TNetConnection connection;
        connection.Port = host.port();
        CommissionClient service(connection);

        host.answerEveryCall(
            ScriptedServer::Reply::resultText("[" + json(named("Ana")) + "," + json(named("Bia")) + "]"));
        const CommissionClient::SalespeopleAnswer both = service.GetVendedores(selection());
        QCOMPARE(both.salespeople, named("Ana"));
        QCOMPARE(both.pending, named("Bia"));

        host.answerEveryCall(ScriptedServer::Reply::resultText(json(quotes())));
        QCOMPARE(service.GetOrcamentos(selection()), quotes());
        QCOMPARE(service.GetParamOrcaEve(), quotes());
        QCOMPARE(service.SetCancelaComissao(quotes(), "ADM", "Evento remarcado"), quotes());
    }

    void shouldTurnTheGenerationAnswerIntoText_data()
    {
        QTest::addColumn<QByteArray>("result");
        QTest::addColumn<QString>("text");
        QTest::newRow("success") << QByteArray(R"("")") << "";
        QTest::newRow("catalogue key") << QByteArray(R"("N_MARCADO")") << "N_MARCADO";
        QTest::newRow("no answer") << QByteArray("null") << "";
        QTest::newRow("number") << QByteArray("5") << "5";
    }

    void shouldTurnTheGenerationAnswerIntoText()
    {
        QFETCH(QByteArray, result);
        QFETCH(QString, text);
        ScriptedServer host;
        host.answerEveryCall(ScriptedServer::Reply::resultText(result));
        TNetConnection connection;
        connection.Port = host.port();
        CommissionClient service(connection);
        ScriptedDialogs dialogs;
        QCOMPARE(service.SetComissao(quotes(), "ADM"), text);
        QCOMPARE(dialogs.shown.size(), 0);  // not checked as a data answer
    }

    // What the server tells beside the result, or beside a refusal, goes
    // with the asynchronous answer.
    void shouldHandOverTheNumbersOfASettlement_data()
    {
        QTest::addColumn<bool>("generating");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("summary");  // or "error: " and the paid payables

        QTest::newRow("payable created")
            << true << 200
            << QByteArray(R"({"result":"","outcome":{"contas":[{"conta":121,"orcamentos":3,"valor":850.01}]}})")
            << " | 121 3 850.01 0 0 false |  | 0";
        QTest::newRow("quotes generated already")
            << true << 200
            << QByteArray(R"({"result":"COMISSAO_GERADA","details":{"orcamentosGerados":[{"filial":"0001",)"
                          R"("orcamento":"0000000001","sequencia":"02","conta":101,"operador":"OP1",)"
                          R"("geradaEm":"2024-06-01T10:00:00Z"}]}})")
            << "COMISSAO_GERADA |  | 0001 0000000001 02 101 OP1 2024-06-01T10:00:00Z | 0";
        QTest::newRow("payables lowered and removed")
            << false << 200
            << "{\"result\":" + json(quotes())
                   + R"(,"outcome":{"contas":[{"conta":101,"orcamentos":1,"de":80,)"
                     R"("para":0,"removida":true},{"conta":121,"orcamentos":1,"de":35,"para":50,"removida":false}]}})"
            << " | 101 1 0 80 0 true, 121 1 0 35 50 false |  | 2";
        QTest::newRow("payable paid")
            << false << 422 << QByteArray(R"({"error":"N_PARAM_CONTAPAGBAIXADA","details":{"contas":[{"conta":102}]}})")
            << "error: N_PARAM_CONTAPAGBAIXADA 102";
    }

    void shouldHandOverTheNumbersOfASettlement()
    {
        QFETCH(bool, generating);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, summary);
        ScriptedServer host;
        host.answerEveryCall({status, body, 0});
        TNetConnection connection;
        connection.Port = host.port();
        CommissionClient service(connection);
        std::optional<ClientOutcome<SettlementAnswer>> outcome;
        const auto done = [&outcome](const ClientOutcome<SettlementAnswer> &ended) { outcome = ended; };

        if (generating)
            service.setComissao(quotes(), "ADM", this, done);
        else
            service.setCancelaComissao(quotes(), "ADM", "Evento remarcado", this, done);
        QTRY_VERIFY(outcome.has_value());

        try {
            QCOMPARE(::summary(outcome->value()), summary);
        } catch (const RemoteCallError &error) {
            QStringList paid;
            for (const SettlementAnswer::Payable &payable : SettlementAnswer::payablesIn(error.details()))
                paid << QString::number(payable.number);
            QCOMPARE("error: " + what(error) + " " + paid.join(' '), summary);
        }
    }

    void shouldRaiseWhatTheAnswerCannotGive_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("error");  // "packet", "abort", "service" or "transport"
        QTest::addColumn<QString>("text");   // part of the message ("abort": of the error shown)

        const Call params = [](CommissionClient &s) { s.GetParamOrcaEve(); };
        const Call salespeople = [](CommissionClient &s) { s.GetVendedores(selection()); };
        const Call quoteList = [](CommissionClient &s) { s.GetOrcamentos(selection()); };
        const Call generate = [](CommissionClient &s) { s.SetComissao(quotes(), "ADM"); };
        const Call cancel = [](CommissionClient &s) { s.SetCancelaComissao(quotes(), "ADM", "Evento remarcado"); };
        const QByteArray one = json(quotes());

        QTest::newRow("object that is no packet") << params << 200 << QByteArray(R"({"result":{"a":1}})") << "packet"
                                                  << "GetParamOrcaEve";
        QTest::newRow("one packet where two are due") << salespeople << 200 << "{\"result\":[" + one + "]}"
                                                      << "packet"
                                                      << "dois pacotes";
        QTest::newRow("packet where a list is due") << salespeople << 200 << "{\"result\":" + one + "}"
                                                    << "packet"
                                                    << "dois pacotes";
        QTest::newRow("second element no packet") << salespeople << 200 << "{\"result\":[" + one + ",[]]}"
                                                  << "packet"
                                                  << "GetVendedores";
        QTest::newRow("broken packet") << quoteList << 200
                                       << QByteArray(R"({"result":{"format":"packet/1","fields":[{"name":"A",)"
                                                     R"("kind":"text","size":1}],"rows":[["AB"]]}})")
                                       << "packet"
                                       << "\"A\"";
        QTest::newRow("no answer to the parameters") << params << 200 << QByteArray(R"({"result":null})") << "abort"
                                                     << "";
        QTest::newRow("text where quotes are due")
            << quoteList << 200 << QByteArray(R"({"result":"ERRO_X"})") << "abort"
            << "ERRO_X";
        QTest::newRow("no answer to the cancellation") << cancel << 200 << QByteArray(R"({"result":null})") << "abort"
                                                       << "";
        QTest::newRow("refusal of the generation")
            << generate << 422 << QByteArray(R"({"error":"N_PARAM_VEND_S_FORN|x"})") << "service"
            << "N_PARAM_VEND_S_FORN|x";
        QTest::newRow("refusal of the cancellation")
            << cancel << 422 << QByteArray(R"({"error":"N_PARAM_BOLBAIXADO"})") << "service"
            << "N_PARAM_BOLBAIXADO";
        QTest::newRow("list as the generation answer")
            << generate << 200 << QByteArray(R"({"result":["x"]})") << "transport"
            << "SetComissao";
        QTest::newRow("object as the generation answer")
            << generate << 200 << QByteArray(R"({"result":{}})") << "transport"
            << "SetComissao";
    }

    void shouldRaiseWhatTheAnswerCannotGive()
    {
        QFETCH(Call, call);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, error);
        QFETCH(QString, text);

        ScriptedServer host;
        host.answerEveryCall({status, body, 0});
        TNetConnection connection;
        connection.Port = host.port();
        CommissionClient service(connection);
        ScriptedDialogs dialogs;

        QString raised;
        QString message;
        try {
            call(service);
        } catch (const packet::PacketError &e) {
            raised = "packet";
            message = what(e);
        } catch (const SilentAbort &) {
            raised = "abort";
            QCOMPARE(dialogs.errors().size(), 1);
            message = dialogs.errors().constFirst();
        } catch (const RemoteCallError &e) {
            raised = "service";
            message = what(e);
            QCOMPARE(message, text);  // unchanged
        } catch (const TransportError &e) {
            raised = "transport";
            message = what(e);
            QVERIFY2(message.contains(QString("127.0.0.1:%1").arg(host.port())), e.what());
        }
        QCOMPARE(raised, error);
        QVERIFY2(message.contains(text), qPrintable(message));
        if (error != "abort")
            QCOMPARE(dialogs.shown.size(), 0);
    }
};

QTEST_MAIN(CommissionClientTest)
#include "commissionclienttest.moc"
