#include "tnetconnection.h"
#include "scriptedserver.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <optional>

namespace {

// The remote object and the secret's header of the commission server, as the
// scripted server answers them.
const QString remoteObject = QStringLiteral("ORE09700.rdmManuComissao");
const QByteArray secretHeader = "X-Commission-Secret";

void pointAt(TNetConnection &connection, int port)
{
    connection.ServerName = remoteObject;
    connection.SecretHeader = secretHeader;
    connection.Host = "127.0.0.1";
    connection.Port = port;
}

QString what(const std::exception &error)
{
    return QString::fromUtf8(error.what());
}

// The call, blocking or asynchronous; the asynchronous one is waited for
// until its completion came, and answers or raises as the blocking one does.
QJsonValue callBy(bool async, TNetConnection &connection, const QString &method,
                  TNetConnection::Retry retry = TNetConnection::Retry::Never)
{
    if (!async)
        return connection.call(method, {}, retry);
    QObject context;
    std::optional<CallOutcome> outcome;
    connection.callAsync(method, {}, retry, &context, [&outcome](const CallOutcome &o) { outcome = o; });
    if (!QTest::qWaitFor([&outcome] { return outcome.has_value(); }, 10000))
        throw std::logic_error("the asynchronous call never completed");
    return outcome->value();
}

// The blocking sign-in, or the asynchronous one waited for.
SignedInSession signIn(TNetConnection &connection, bool async)
{
    if (!async)
        return connection.signIn("admin", "pa\"ss");
    std::optional<SignInOutcome> outcome;
    connection.signInAsync("admin", "pa\"ss", nullptr, [&](const SignInOutcome &ended) { outcome = ended; });
    if (!QTest::qWaitFor([&] { return outcome.has_value(); }) || connection.callsInProgress() != 0)
        throw std::runtime_error("the sign-in never completed");
    return outcome->value();
}

}  // namespace

class TNetConnectionTest : public QObject {
    Q_OBJECT
private slots:
    void shouldPostThePositionalArgumentsAndReturnTheResult()
    {
        ScriptedServer host;
        host.answerEveryCall(ScriptedServer::Reply::resultText(R"({"format":"packet/1","fields":[],"rows":[]})"));
        TNetConnection connection;
        pointAt(connection, host.port());

        const QJsonObject packet{{"format", "packet/1"}, {"fields", QJsonArray()}, {"rows", QJsonArray()}};
        const QJsonValue result = connection.call(
            "GetVendedores", {ServiceArgument::text("0001", true), ServiceArgument::date(46023.5, false),
                              ServiceArgument::packet(packet), ServiceArgument::text("Çé", false)});

        QCOMPARE(result, QJsonValue(packet));
        const ScriptedServer::Request request = host.lastRequest();
        QCOMPARE(request.path, QStringLiteral("/rdm/%1/GetVendedores").arg(remoteObject));
        QCOMPARE(request.contentType, QString("application/json"));
        QVERIFY(!request.hasSecret);
        const QJsonArray expected{
            QJsonObject{{"kind", "text"}, {"ref", true}, {"value", "0001"}},
            QJsonObject{{"kind", "date"}, {"ref", false}, {"value", 46023.5}},
            QJsonObject{{"kind", "packet"}, {"ref", false}, {"value", packet}},
            QJsonObject{{"kind", "text"}, {"ref", false}, {"value", "Çé"}},
        };
        QCOMPARE(request.args(), expected);
    }

    void shouldSendTheSecretOnlyWhenSet()
    {
        ScriptedServer host;
        host.answerEveryCall(ScriptedServer::Reply::result(QJsonValue()));
        TNetConnection connection;
        pointAt(connection, host.port());
        connection.call("GetParamOrcaEve", {});
        QVERIFY(!host.lastRequest().hasSecret);
        connection.Secret = "s3gredo";
        connection.call("GetParamOrcaEve", {});
        QVERIFY(host.lastRequest().hasSecret);
        QCOMPARE(host.lastRequest().secret, QString("s3gredo"));
        QCOMPARE(host.lastRequest().args(), QJsonArray());
    }

    void shouldSendTheBearerTokenOnlyWhenSet()
    {
        ScriptedServer host;
        host.answerEveryCall(ScriptedServer::Reply::result(QJsonValue()));
        TNetConnection connection;
        pointAt(connection, host.port());
        connection.call("GetParamOrcaEve", {});
        QCOMPARE(host.lastRequest().bearer, QString());
        connection.BearerToken = "abc123";
        connection.call("GetParamOrcaEve", {});
        QCOMPARE(host.lastRequest().bearer, QString("abc123"));
    }

    void shouldHandleAnEndedSession_data()
    {
        QTest::addColumn<bool>("async");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("hook");       // "none", "gives up", "renews", "renews to a refused token"
        QTest::addColumn<QString>("outcome");    // the result, or the SessionExpiredError's text
        QTest::addColumn<int>("requests");       // calls that reached the server
        QTest::addColumn<QString>("lastToken");  // the token the last one carried

        const QString ended = ScriptedServer::sessionEndedText;
        for (const bool async : {false, true}) {
            const char *kind = async ? "async: " : "blocking: ";
            const auto row = [kind](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(kind + QString(name)));
            };
            row("no hook") << async << true << "none" << ended << 1 << "velho";
            row("operator gives up") << async << true << "gives up" << ended << 1 << "velho";
            row("listing sent again") << async << true << "renews"
                                      << "ok" << 2 << "novo";
            row("write not sent again") << async << false << "renews" << TNetConnection::renewedSessionNotSent << 1
                                        << "velho";
            row("listing refused again, no loop")
                << async << true << "renews to a refused token" << ended << 2 << "outro";
        }
    }

    void shouldHandleAnEndedSession()
    {
        QFETCH(bool, async);
        QFETCH(bool, read);
        QFETCH(QString, hook);
        QFETCH(QString, outcome);
        QFETCH(int, requests);
        QFETCH(QString, lastToken);

        ScriptedServer host;
        host.requireBearer("novo");
        host.answerEveryCall(ScriptedServer::Reply::resultText(R"("ok")"));
        TNetConnection connection;
        pointAt(connection, host.port());
        connection.BearerToken = "velho";
        int hookCalls = 0;
        if (hook != "none") {
            connection.OnSessionExpired = [&](TNetConnection &c) {
                ++hookCalls;
                if (hook == "gives up")
                    return false;
                c.BearerToken = hook == "renews" ? "novo" : "outro";
                return true;
            };
        }
        const auto retry = read ? TNetConnection::Retry::OnceOnTransportFailure : TNetConnection::Retry::Never;
        try {
            QCOMPARE(callBy(async, connection, "GetVendedores", retry).toString(), outcome);
        } catch (const SessionExpiredError &error) {
            QCOMPARE(what(error), outcome);
            QCOMPARE(error.status(), 401);
        }
        QCOMPARE(hookCalls, hook == "none" ? 0 : 1);
        QCOMPARE(host.requests().size(), requests);
        QCOMPARE(host.lastRequest().bearer, lastToken);
    }

    void shouldSignIn_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("outcome");  // "signed in", "refused" or "transport"
        QTest::addColumn<QString>("text");     // the refusal's text or part of the transport one

        QTest::newRow("signed in") << 200
                                   << ScriptedServer::Reply::signedIn(
                                          QString(64, 'a'), "ADMIN", "Administrador",
                                          QJsonArray{QJsonObject{{"filial", "0001"},
                                                                 {"direitos", QJsonArray{"consultar", "gerar"}}}})
                                          .body
                                   << "signed in"
                                   << "";
        QTest::newRow("wrong password") << 401 << QByteArray(R"({"error":"Operador ou senha inválidos."})") << "refused"
                                        << "Operador ou senha inválidos.";
        QTest::newRow("directory down") << 503
                                        << QByteArray(
                                               R"({"error":"Diretório de operadores indisponível. Tente novamente."})")
                                        << "refused"
                                        << "Diretório de operadores indisponível. Tente novamente.";
        QTest::newRow("no token") << 200 << QByteArray(R"({"sessao":"","operador":"ADMIN"})") << "transport"
                                  << "veio incompleta";
        QTest::newRow("token that breaks a header")
            << 200 << QByteArray(R"({"sessao":"ab\r\nX: y","operador":"ADMIN"})") << "transport"
            << "veio incompleta";
        QTest::newRow("something else") << 200 << QByteArray("<html/>") << "transport"
                                        << "não é o servidor de comissões";
    }

    void shouldSignIn()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, outcome);
        QFETCH(QString, text);

        // Blocking, then from the worker thread: the same answers, the same errors.
        for (const bool async : {false, true}) {
            ScriptedServer host;
            host.scriptSignIn([&](const QString &, const QString &) { return ScriptedServer::Reply{status, body, 0}; });
            TNetConnection connection;
            pointAt(connection, host.port());
            connection.Secret = "s";
            try {
                const SignedInSession session = signIn(connection, async);
                QCOMPARE(outcome, QString("signed in"));
                QCOMPARE(session.token, QString(64, 'a'));
                QCOMPARE(session.operatorCode, QString("ADMIN"));  // as the server answered
                QCOMPARE(session.operatorName, QString("Administrador"));
                QCOMPARE(session.rights.size(), 1);
                QCOMPARE(session.rights[0].branch, QString("0001"));
                QCOMPARE(session.rights[0].rights, QStringList({"consultar", "gerar"}));
                QCOMPARE(session.expires, QDateTime(QDate(2026, 12, 9), QTime(14, 0), Qt::UTC));
                QVERIFY(connection.BearerToken.isEmpty());
            } catch (const TransportError &error) {
                QCOMPARE(outcome, QString("transport"));
                QVERIFY2(what(error).contains(text), error.what());
            } catch (const RemoteCallError &error) {
                QCOMPARE(outcome, QString("refused"));
                QCOMPARE(what(error), text);
                QCOMPARE(error.status(), status);
                QVERIFY(!dynamic_cast<const SessionExpiredError *>(&error));
            }
            const QList<ScriptedServer::Request> sent = host.sessionRequests();
            QCOMPARE(sent.size(), 1);
            QCOMPARE(sent[0].verb, QString("POST"));
            QCOMPARE(sent[0].secret, QString("s"));
            QCOMPARE(QJsonDocument::fromJson(sent[0].body).object(),
                     QJsonObject({{"operador", "admin"}, {"senha", "pa\"ss"}}));
        }
    }

    void shouldSignOutWithTheToken()
    {
        ScriptedServer host;
        TNetConnection connection;
        pointAt(connection, host.port());
        connection.BearerToken = "t0k3n";
        connection.signOut();
        QVERIFY(connection.BearerToken.isEmpty());
        connection.signOut();  // nothing to end: nothing sent
        const QList<ScriptedServer::Request> sent = host.sessionRequests();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].verb, QString("DELETE"));
        QCOMPARE(sent[0].bearer, QString("t0k3n"));
    }

    void shouldMapEveryAnswer_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("outcome");  // "result", "service" or "transport"
        QTest::addColumn<QString>("text");     // the result, the exact service text or part of the transport one

        QTest::newRow("text result") << 200 << QByteArray(R"({"result":"N_MARCADO"})") << "result"
                                     << "N_MARCADO";
        QTest::newRow("empty result") << 200 << QByteArray(R"({"result":""})") << "result"
                                      << "";
        QTest::newRow("business refusal") << 422 << QByteArray(R"({"error":"N_PARAM_VEND_S_FORN|x"})") << "service"
                                          << "N_PARAM_VEND_S_FORN|x";
        QTest::newRow("server failure with accents")
            << 500 << QByteArray(R"({"error":"Falha: conexão perdida"})") << "service"
            << "Falha: conexão perdida";
        QTest::newRow("database down") << 503 << QByteArray(R"({"error":"banco"})") << "service"
                                       << "banco";
        QTest::newRow("garbage") << 200 << QByteArray("<html>oops</html>") << "transport"
                                 << "não é o servidor de comissões";
        QTest::newRow("empty body") << 200 << QByteArray() << "transport"
                                    << "não é o servidor de comissões";
        QTest::newRow("array") << 200 << QByteArray("[1]") << "transport"
                               << "não é o servidor de comissões";
        QTest::newRow("neither result nor error") << 200 << QByteArray(R"({"answer":1})") << "transport"
                                                  << "veio incompleta";
        QTest::newRow("error with success status") << 200 << QByteArray(R"({"error":"x"})") << "transport"
                                                   << "veio incompleta";
        QTest::newRow("result with failure status") << 500 << QByteArray(R"({"result":"x"})") << "transport"
                                                    << "status 500";
        QTest::newRow("failure without json") << 502 << QByteArray("Bad Gateway") << "transport"
                                              << "status 502";
        QTest::newRow("error that is not text") << 400 << QByteArray(R"({"error":{"code":1}})") << "transport"
                                                << "veio incompleta";
    }

    void shouldMapEveryAnswer()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, outcome);
        QFETCH(QString, text);

        ScriptedServer host;
        host.answerEveryCall({status, body, 0});
        TNetConnection connection;
        pointAt(connection, host.port());
        try {
            const QJsonValue result = connection.call("SetComissao", {});
            QCOMPARE(outcome, QString("result"));
            QCOMPARE(result.toString(), text);
        } catch (const RemoteCallError &error) {
            QCOMPARE(outcome, QString("service"));
            QCOMPARE(what(error), text);
            QCOMPARE(error.status(), status);
        } catch (const TransportError &error) {
            QCOMPARE(outcome, QString("transport"));
            QVERIFY2(what(error).contains(text), error.what());
            QVERIFY2(what(error).startsWith(
                         QString("Não foi possível comunicar com o servidor 127.0.0.1:%1: ").arg(host.port())),
                     error.what());
        }
    }

    void shouldNameHostAndPortWhenRefused()
    {
        const int port = ScriptedServer::closedPort();
        TNetConnection connection;
        pointAt(connection, port);
        try {
            connection.call("GetParamOrcaEve", {});
            QFAIL("the call reached a closed port");
        } catch (const TransportError &error) {
            QCOMPARE(what(error), QString("Não foi possível comunicar com o servidor 127.0.0.1:%1: "
                                          "conexão recusada ou servidor inacessível.")
                                      .arg(port));
        }
    }

    void shouldEndASlowCallWithATimeOut()
    {
        // The answer would come long after the read time-out, so a call that
        // waited for it could not end before the answer's delay.
        constexpr int answerDelayMs = 3000;
        ScriptedServer host;
        host.answerEveryCall({200, R"({"result":"late"})", answerDelayMs});
        TNetConnection connection;
        pointAt(connection, host.port());
        connection.ReadTimeoutMs = 300;
        QElapsedTimer clock;
        clock.start();
        try {
            connection.call("GetOrcamentos", {});
            QFAIL("the slow call was not ended");
        } catch (const TransportError &error) {
            QVERIFY2(what(error).contains("o servidor não respondeu em 1 s"), error.what());
            QVERIFY2(what(error).contains(QString("127.0.0.1:%1").arg(host.port())), error.what());
        }
        QVERIFY(clock.elapsed() < answerDelayMs);

        // The next call on the same connection works once the server answers in time.
        host.answerEveryCall(ScriptedServer::Reply::resultText(R"("ok")"));
        QCOMPARE(connection.call("GetOrcamentos", {}).toString(), QString("ok"));
    }

    void shouldBoundAReadsWholeWaitByTheTimeOut_data()
    {
        QTest::addColumn<bool>("async");
        QTest::newRow("blocking") << false;
        QTest::newRow("async") << true;
    }

    // A server that never answers: the read fails once its time-out is
    // over, with no second attempt that would wait as long again.
    void shouldBoundAReadsWholeWaitByTheTimeOut()
    {
        QFETCH(bool, async);
        constexpr int timeoutMs = 300;
        ScriptedServer host;
        host.answerEveryCall(ScriptedServer::Reply::withheldUntilReleased(ScriptedServer::Reply::resultText("1")));
        TNetConnection connection;
        pointAt(connection, host.port());
        connection.ReadTimeoutMs = timeoutMs;
        QElapsedTimer clock;
        clock.start();
        try {
            callBy(async, connection, "GetVendedores", TNetConnection::Retry::OnceOnTransportFailure);
            QFAIL("the call was answered");
        } catch (const TransportError &error) {
            QCOMPARE(what(error), QString("Não foi possível comunicar com o servidor 127.0.0.1:%1: "
                                          "o servidor não respondeu em 1 s.")
                                      .arg(host.port()));
        }
        QVERIFY2(clock.elapsed() < 2 * timeoutMs, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(host.requests().size(), 1);
    }

    void shouldAbandonOnlyReads_data()
    {
        QTest::addColumn<bool>("read");
        QTest::newRow("a listing") << true;
        QTest::newRow("a generation") << false;
    }

    void shouldAbandonOnlyReads()
    {
        QFETCH(bool, read);
        ScriptedServer host;
        host.answerNext(ScriptedServer::Reply::withheldUntilReleased(ScriptedServer::Reply::resultText(R"("late")")));
        host.answerEveryCall(ScriptedServer::Reply::resultText(R"("ok")"));
        TNetConnection connection;
        pointAt(connection, host.port());
        const auto retry = read ? TNetConnection::Retry::OnceOnTransportFailure : TNetConnection::Retry::Never;
        QObject context;
        QList<CallOutcome> outcomes;
        const auto send = [&] {
            connection.callAsync("GetVendedores", {}, retry, &context, [&](const CallOutcome &o) { outcomes << o; });
        };
        send();
        QTRY_COMPARE(host.requests().size(), 1);  // waiting at the server

        QCOMPARE(connection.callsAbandonable(), read);
        QCOMPARE(connection.abandonCalls(), read);
        if (read) {
            QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 1, 1000);
            try {
                outcomes.first().value();
                QFAIL("an abandoned call came with a result");
            } catch (const AbandonedCallError &error) {
                QCOMPARE(what(error), AbandonedCallError::text);
            }
            QCOMPARE(connection.callsInProgress(), 0);
            // The next call does not wait behind the one abandoned.
            send();
            QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 2, 1000);
            QCOMPARE(outcomes.last().value().toString(), QString("ok"));
        }
        host.releaseWithheld();
        QTRY_COMPARE(connection.callsInProgress(), 0);
        QCoreApplication::processEvents();
        // A write gets its answer; the late answer of a read is dropped.
        QCOMPARE(outcomes.size(), read ? 2 : 1);
        if (!read)
            QCOMPARE(outcomes.first().value().toString(), QString("late"));
    }

    void shouldRunBeforeConnectOnEveryConnect()
    {
        ScriptedServer host;
        host.answerEveryCall(ScriptedServer::Reply::result(QJsonValue()));
        TNetConnection connection;
        connection.ServerName = remoteObject;
        connection.SecretHeader = secretHeader;
        connection.Host = "192.0.2.1";  // a design-time host, always replaced
        int connects = 0;
        connection.BeforeConnect = [&](TNetConnection &c) {
            ++connects;
            c.Host = "127.0.0.1";
            c.Port = host.port();
        };

        connection.setConnected(true);
        QCOMPARE(connects, 1);
        QVERIFY(connection.Connected());
        QCOMPARE(host.requests().size(), 0);  // connecting sends nothing

        connection.call("GetParamOrcaEve", {});
        connection.call("GetParamOrcaEve", {});
        QCOMPARE(connects, 1);

        connection.setConnected(false);
        QVERIFY(!connection.Connected());
        connection.call("GetParamOrcaEve", {});  // connects on demand
        QCOMPARE(connects, 2);
        QCOMPARE(host.requests().size(), 3);
    }

    void shouldCheckTheAddressWhenConnecting_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("throwException");

        QTest::newRow("no port, quiet") << "127.0.0.1" << 0 << false;
        QTest::newRow("no port, raising") << "127.0.0.1" << 0 << true;
        QTest::newRow("port past the last") << "127.0.0.1" << 65536 << true;
        QTest::newRow("negative port") << "127.0.0.1" << -1 << false;
        QTest::newRow("blank host") << "  " << 8000 << true;
    }

    void shouldCheckTheAddressWhenConnecting()
    {
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(bool, throwException);
        TNetConnection connection;
        pointAt(connection, port);
        connection.Host = host;
        connection.ThrowException = throwException;
        const QString expected =
            QString("Não foi possível comunicar com o servidor %1:%2: endereço do servidor inválido.")
                .arg(host)
                .arg(port);

        if (throwException) {
            try {
                connection.setConnected(true);
                QFAIL("connecting to a bad address raised nothing");
            } catch (const TransportError &error) {
                QCOMPARE(what(error), expected);
            }
        } else {
            connection.setConnected(true);  // quiet
        }
        QVERIFY(!connection.Connected());
        // Whatever ThrowException says, the call tells it.
        try {
            connection.call("GetParamOrcaEve", {});
            QFAIL("a call to a bad address raised nothing");
        } catch (const TransportError &error) {
            QCOMPARE(what(error), expected);
        }
        QVERIFY(!connection.Connected());
    }

    void shouldStayDisconnectedWhenBeforeConnectFails()
    {
        TNetConnection connection;
        connection.BeforeConnect = [](TNetConnection &) { throw std::runtime_error("sem sessão"); };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, connection.call("GetParamOrcaEve", {}));
        QVERIFY(!connection.Connected());
    }

    // Any other transport failure of a read is retried once only.
    void shouldRetryAReadOnceWhenSomethingElseAnswers()
    {
        ScriptedServer host;
        host.answerNext({200, "<html>outro programa</html>", 0});
        host.answerNext({200, "<html>outro programa</html>", 0});
        host.answerEveryCall(ScriptedServer::Reply::resultText(R"("ok")"));
        TNetConnection connection;
        pointAt(connection, host.port());
        QVERIFY_THROWS_EXCEPTION(TransportError,
                                 connection.call("GetVendedores", {}, TNetConnection::Retry::OnceOnTransportFailure));
        QCOMPARE(host.requests().size(), 2);
    }

    void shouldRetryOnlyReadsOnceAfterATransportFailure_data()
    {
        QTest::addColumn<bool>("async");
        QTest::addColumn<bool>("read");
        QTest::addColumn<int>("failures");  // answers that are no reply before the good one
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<int>("requests");

        for (const bool async : {false, true}) {
            const char *kind = async ? "async: " : "blocking: ";
            const auto row = [kind](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(kind + QString(name)));
            };
            row("read, one failure") << async << true << 1 << true << 2;
            row("read, balancer answers three times") << async << true << 3 << true << 4;
            row("read, balancer answers four times") << async << true << 4 << false << 4;
            row("write, one failure") << async << false << 1 << false << 1;
            row("read, refused by the server") << async << true << 0 << true << 1;
        }
    }

    void shouldRetryOnlyReadsOnceAfterATransportFailure()
    {
        QFETCH(bool, async);
        QFETCH(bool, read);
        QFETCH(int, failures);
        QFETCH(bool, succeeds);
        QFETCH(int, requests);

        ScriptedServer host;
        // What a balancer answers when its server died: no reply of ours.
        for (int i = 0; i < failures; ++i)
            host.answerNext({502, "<html>Bad Gateway</html>", 0});
        host.answerEveryCall(ScriptedServer::Reply::resultText(R"("ok")"));
        TNetConnection connection;
        pointAt(connection, host.port());
        const auto retry = read ? TNetConnection::Retry::OnceOnTransportFailure : TNetConnection::Retry::Never;
        if (succeeds)
            QCOMPARE(callBy(async, connection, "GetVendedores", retry).toString(), QString("ok"));
        else
            QVERIFY_THROWS_EXCEPTION(TransportError, callBy(async, connection, "SetComissao", retry));
        QCOMPARE(host.requests().size(), requests);
    }

    void shouldCompleteOnTheContextsThreadWhileTheEventLoopGoesOn()
    {
        ScriptedServer host;
        host.answerEveryCall({200, R"({"result":"ok"})", 400});
        TNetConnection connection;
        pointAt(connection, host.port());
        // A timer due in the middle of a slow call fires during it: the
        // window would repaint and the busy indicator move.
        bool fired = false;
        std::optional<CallOutcome> outcome;
        QThread *completedOn = nullptr;
        QTimer::singleShot(50, [&] { fired = !outcome; });
        QObject context;
        connection.callAsync("GetParamOrcaEve", {}, TNetConnection::Retry::Never, &context, [&](const CallOutcome &o) {
            outcome = o;
            completedOn = QThread::currentThread();
        });
        QVERIFY(!outcome);
        QCOMPARE(connection.callsInProgress(), 1);
        // The blocking call does not share the client with it.
        QVERIFY_THROWS_EXCEPTION(TransportError, connection.call("GetParamOrcaEve", {}));
        QTRY_VERIFY(outcome.has_value());
        QCOMPARE(outcome->value().toString(), QString("ok"));
        QCOMPARE(completedOn, QThread::currentThread());
        QCOMPARE(connection.callsInProgress(), 0);
        QVERIFY(fired);
    }

    void shouldDropTheCompletionOfAGoneContextAndRefuseNothingElse()
    {
        ScriptedServer host;
        host.answerEveryCall({200, R"({"result":"ok"})", 200});
        TNetConnection connection;
        pointAt(connection, host.port());
        bool gone = false;
        auto context = std::make_unique<QObject>();
        connection.callAsync("GetParamOrcaEve", {}, TNetConnection::Retry::Never, context.get(),
                             [&](const CallOutcome &) { gone = true; });
        context.reset();
        QTRY_COMPARE(connection.callsInProgress(), 0);
        QCoreApplication::processEvents();
        QVERIFY(!gone);
        QCOMPARE(connection.call("GetParamOrcaEve", {}).toString(), QString("ok"));
    }

    void shouldCallAgainAfterTheServerDroppedAnIdleConnection()
    {
        ScriptedServer host;
        host.setKeepAliveTimeoutSeconds(1);
        host.answerEveryCall(ScriptedServer::Reply::resultText(R"("ok")"));
        TNetConnection connection;
        pointAt(connection, host.port());
        QCOMPARE(connection.call("GetParamOrcaEve", {}).toString(), QString("ok"));
        QCOMPARE(host.connectionsAccepted(), 1);
        // The server closes the idle connection after its keep-alive time-out.
        QTRY_COMPARE_WITH_TIMEOUT(host.connectionsOpen(), 0, 5000);
        QCOMPARE(connection.call("GetParamOrcaEve", {}).toString(), QString("ok"));
        QCOMPARE(host.requests().size(), 2);
        QCOMPARE(host.connectionsAccepted(), 2);  // the second call on a new one
    }

    // Whether a failed call can have reached the server: a write that never
    // left was not carried out; one sent and not answered may have been.
    void shouldSayWhetherAFailedCallCanHaveReachedTheServer_data()
    {
        QTest::addColumn<bool>("async");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<bool>("notSent");
        for (const bool async : {false, true}) {
            const QString kind = async ? "async: " : "blocking: ";
            QTest::newRow(qPrintable(kind + "refused")) << async << "refused" << true;
            QTest::newRow(qPrintable(kind + "no address")) << async << "no address" << true;
            QTest::newRow(qPrintable(kind + "time-out")) << async << "time-out" << false;
            QTest::newRow(qPrintable(kind + "something else answered")) << async << "not ours" << false;
        }
    }

    void shouldSayWhetherAFailedCallCanHaveReachedTheServer()
    {
        QFETCH(bool, async);
        QFETCH(QString, failure);
        QFETCH(bool, notSent);
        ScriptedServer host;
        host.answerEveryCall(failure == "time-out" ? ScriptedServer::Reply{200, R"({"result":"late"})", 1000}
                                                   : ScriptedServer::Reply{200, "<html>oops</html>", 0});
        TNetConnection connection;
        pointAt(connection, failure == "refused"      ? ScriptedServer::closedPort()
                            : failure == "no address" ? 0
                                                      : host.port());
        connection.ReadTimeoutMs = 200;
        try {
            callBy(async, connection, "SetComissao");
            QFAIL("the call did not fail");
        } catch (const TransportError &error) {
            QVERIFY2(error.notSent() == notSent, error.what());
        }
    }
};

QTEST_GUILESS_MAIN(TNetConnectionTest)
#include "tnetconnectiontest.moc"
