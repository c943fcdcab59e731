#include "commissionfixture.h"
#include "testdatabase.h"
#include "testserver.h"
#include <orcamentos.h>
#include <remotecontract.h>

#include <connectionprovider.h>
#include <packetcodec.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <csignal>
#include <latch>
#include <memory>
#include <thread>

using Row = CommissionFixture::Row;

namespace {

QJsonValue quotesArgument(const QVector<Row> &rows)
{
    return args::packet(packet::toJson(CommissionFixture::quotesPacket(rows)));
}

QJsonArray generation(const QVector<Row> &rows, const QString &operatorCode = QStringLiteral("OP7"))
{
    return QJsonArray{quotesArgument(rows), args::text(operatorCode, false)};
}

QJsonArray cancellation(const QVector<Row> &rows)
{
    return QJsonArray{quotesArgument(rows), args::text(QStringLiteral("OP7"), false),
                      args::text(QStringLiteral("Evento cancelado pelo cliente"), false)};
}

QJsonObject packetWithout(const QString &field)
{
    QJsonObject json = packet::toJson(CommissionFixture::quotesPacket({{1, 5}}));
    QJsonArray fields = json.value(QStringLiteral("fields")).toArray();
    QJsonArray rows = json.value(QStringLiteral("rows")).toArray();
    const int index = CommissionFixture::quotesPacket({}).fieldIndex(field);
    fields.removeAt(index);
    QJsonArray row = rows[0].toArray();
    row.removeAt(index);
    json.insert(QStringLiteral("fields"), fields);
    json.insert(QStringLiteral("rows"), QJsonArray{row});
    return json;
}

}  // namespace

class CommissionHttpTest : public QObject {
    Q_OBJECT
public:
    explicit CommissionHttpTest(TestDatabase::Backend backend) : m_backend(backend) {}

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void shouldAnswerEveryMethodInTheProtocolShape();
    void shouldRefuseMalformedRequestsAndKeepServing_data();
    void shouldRefuseMalformedRequestsAndKeepServing();
    void shouldRefuseInjectedListStringsAndLeaveTablesIntact_data();
    void shouldRefuseInjectedListStringsAndLeaveTablesIntact();
    void shouldAnswerMissingParameterKeysWith422_data();
    void shouldAnswerMissingParameterKeysWith422();
    void shouldAnswerUnknownPathsWith404_data();
    void shouldAnswerUnknownPathsWith404();
    void shouldRefuseOversizedRequestsWith413_data();
    void shouldRefuseOversizedRequestsWith413();
    void shouldRequireTheSecretAndChangeNothingWithoutIt_data();
    void shouldRequireTheSecretAndChangeNothingWithoutIt();
    void shouldLogOneLinePerCall();
    void shouldCreateOnePayableWhenTwoServersGenerateTheSameQuotes();
    void shouldLeaveNothingHalfWrittenWhenKilledDuringGeneration();

private:
    CommissionFixture fixture() { return CommissionFixture(m_connections->database()); }

    TestDatabase::Backend m_backend;
    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
    std::unique_ptr<TestServer> m_server;
};

void CommissionHttpTest::initTestCase()
{
    const QString reason = TestDatabase::unavailableReason(m_backend);
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    qInfo("Banco: %s", qPrintable(TestDatabase::backendName(m_backend)));
    m_database = std::make_unique<TestDatabase>(m_backend, QStringLiteral("commission_http_test"));
}

void CommissionHttpTest::init()
{
    m_database->reset();
    m_connections = std::make_unique<commission::ConnectionProvider>(m_database->where());
    fixture().write();
    m_server = std::make_unique<TestServer>(m_database->where());
    QVERIFY(m_server->port() > 0);
}

void CommissionHttpTest::cleanup()
{
    m_server.reset();
    m_connections.reset();
}

void CommissionHttpTest::cleanupTestCase()
{
    m_database.reset();
}

void CommissionHttpTest::shouldAnswerEveryMethodInTheProtocolShape()
{
    TestServer::Reply reply = m_server->call(QStringLiteral("GetParamOrcaEve"), {});
    QCOMPARE(reply.status, 200);
    QCOMPARE(packet::fromJson(reply.result).rows.size(), 1);

    // Branch "1" is the stored "0001".
    reply = m_server->call(QStringLiteral("GetVendedores"), args::listing(QStringLiteral("1"), QString(), QString()));
    QCOMPARE(reply.status, 200);
    QVERIFY(reply.result.isArray());
    QCOMPARE(reply.result.toArray().size(), 2);
    QCOMPARE(packet::fromJson(reply.result.toArray()[0]).rows.size(), 4);
    QCOMPARE(packet::fromJson(reply.result.toArray()[1]).rows.size(), 1);

    reply = m_server->call(QStringLiteral("GetOrcamentos"),
                           args::listing(QStringLiteral("0001"), QStringLiteral("0001"), QStringLiteral("001;002"),
                                         QStringLiteral("EVENTO"), QStringLiteral("S"), 45413, 45443,
                                         QStringLiteral("N"), false));
    QCOMPARE(reply.status, 200);
    QCOMPARE(packet::fromJson(reply.result).rows.size(), 2);

    reply = m_server->call(QStringLiteral("SetComissao"), generation({{1, 5}, {9, 5}}));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.result, QJsonValue(QString()));
    reply = m_server->call(QStringLiteral("SetComissao"), generation({{1, 5}}));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.result, QJsonValue(QStringLiteral("COMISSAO_GERADA")));

    reply = m_server->call(QStringLiteral("SetCancelaComissao"), cancellation({{1, 5}, {9, 5}}));
    QCOMPARE(reply.status, 200);
    QCOMPARE(packet::fromJson(reply.result).rows.size(), 2);
}

void CommissionHttpTest::shouldRefuseMalformedRequestsAndKeepServing_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QByteArray>("body");

    auto call = [](const QJsonArray &arguments) {
        return QJsonDocument(QJsonObject{{QStringLiteral("args"), arguments}}).toJson(QJsonDocument::Compact);
    };
    const QString listing = QStringLiteral("GetVendedores");
    const QString generate = QStringLiteral("SetComissao");
    QJsonArray arguments;

    QTest::newRow("not JSON") << listing << QByteArray("{\"args\": [");
    QTest::newRow("a JSON array") << listing << QByteArray("[]");
    QTest::newRow("no argument list") << listing << QByteArray("{}");
    QTest::newRow("arguments not a list") << listing << QByteArray("{\"args\": {}}");
    QTest::newRow("argument not an object") << listing << call({1, 2, 3, 4, 5, 6, 7, 8});
    arguments = args::listing(QStringLiteral("0001"), QString(), QString());
    arguments.removeLast();
    QTest::newRow("seven arguments") << listing << call(arguments);
    QTest::newRow("argument to a method without")
        << QStringLiteral("GetParamOrcaEve") << call({args::text(QStringLiteral("x"), false)});
    arguments = args::listing(QStringLiteral("0001"), QString(), QString());
    arguments[5] = args::text(QStringLiteral("2024-05-01"), true);
    QTest::newRow("text where a date goes") << listing << call(arguments);
    arguments[5] =
        QJsonObject{{QStringLiteral("kind"), QStringLiteral("date")}, {QStringLiteral("value"), QStringLiteral("x")}};
    QTest::newRow("date that is no number") << listing << call(arguments);
    QTest::newRow("negative date") << listing
                                   << call(args::listing(QStringLiteral("0001"), QString(), QString(),
                                                         QStringLiteral("EVENTO"), QStringLiteral("S"), -3));
    QTest::newRow("date beyond 9999") << listing
                                      << call(args::listing(QStringLiteral("0001"), QString(), QString(),
                                                            QStringLiteral("EVENTO"), QStringLiteral("S"), 1, 4e6));
    QTest::newRow("branch too long") << listing << call(args::listing(QStringLiteral("00001"), QString(), QString()));
    QTest::newRow("branch with a quote") << listing << call(args::listing(QStringLiteral("0'1"), QString(), QString()));
    QTest::newRow("empty branch") << listing << call(args::listing(QString(), QString(), QString()));
    QTest::newRow("unknown date base") << listing
                                       << call(args::listing(QStringLiteral("0001"), QString(), QString(),
                                                             QStringLiteral("ABERTURA")));
    QTest::newRow("unknown salesperson flag") << listing
                                              << call(args::listing(QStringLiteral("0001"), QString(), QString(),
                                                                    QStringLiteral("EVENTO"), QStringLiteral("X")));
    QTest::newRow("unknown status") << listing
                                    << call(args::listing(QStringLiteral("0001"), QString(), QString(),
                                                          QStringLiteral("EVENTO"), QStringLiteral("S"), 45413, 45443,
                                                          QStringLiteral("T")));
    QTest::newRow("status passed by value") << listing << [&] {
        QJsonArray a = args::listing(QStringLiteral("0001"), QString(), QString());
        a[7] = args::text(QStringLiteral("N"), false);
        return call(a);
    }();
    QTest::newRow("list where one salesperson goes")
        << QStringLiteral("GetOrcamentos")
        << call(args::listing(QStringLiteral("0001"), QStringLiteral("0001;0002"), QString(), QStringLiteral("EVENTO"),
                              QStringLiteral("S"), 45413, 45443, QStringLiteral("N"), false));
    QTest::newRow("text where the packet goes")
        << generate << call({args::text(QStringLiteral("x"), false), args::text(QStringLiteral("OP7"), false)});
    QTest::newRow("packet without marks") << generate
                                          << call({args::packet(packetWithout(contract::Orcamentos::IdCheck.name)),
                                                   args::text(QStringLiteral("OP7"), false)});
    QTest::newRow("packet without percentages")
        << generate
        << call({args::packet(packetWithout(contract::Orcamentos::VrPercComis.name)),
                 args::text(QStringLiteral("OP7"), false)});
    QJsonObject oversizedText = packet::toJson(CommissionFixture::quotesPacket({{1, 5}}));
    QJsonArray rows = oversizedText[QStringLiteral("rows")].toArray();
    QJsonArray row = rows[0].toArray();
    row[1] = QStringLiteral("00001");
    oversizedText[QStringLiteral("rows")] = QJsonArray{row};
    QTest::newRow("text longer than its field")
        << generate << call({args::packet(oversizedText), args::text(QStringLiteral("OP7"), false)});
    QTest::newRow("no operator") << generate << call(generation({{1, 5}}, QString()));
    QTest::newRow("operator too long") << generate << call(generation({{1, 5}}, QString(21, QLatin1Char('X'))));
    QTest::newRow("marked quote twice") << generate << call(generation({{1, 5}, {1, 6}}));
}

void CommissionHttpTest::shouldRefuseMalformedRequestsAndKeepServing()
{
    QFETCH(QString, method);
    QFETCH(QByteArray, body);

    const TestServer::Reply reply =
        m_server->post(contract::RemoteContract::path(method).toStdString(), body.toStdString());
    QCOMPARE(reply.status, 400);
    QVERIFY2(!reply.error.isEmpty(), "a refusal says why");
    QCOMPARE(fixture().count(QStringLiteral("CONTAPAGAR")), 2);
    QCOMPARE(m_server->call(QStringLiteral("GetParamOrcaEve"), {}).status, 200);
}

void CommissionHttpTest::shouldRefuseInjectedListStringsAndLeaveTablesIntact_data()
{
    QTest::addColumn<QString>("salespeople");
    QTest::addColumn<QString>("eventTypes");

    QTest::newRow("quote in a code") << "0001' OR '1'='1"
                                     << "";
    QTest::newRow("second statement") << "0001;DROP TABLE VENDEDOR"
                                      << "";
    QTest::newRow("closing parenthesis") << "0001); DELETE FROM ORCAEVENTO; --"
                                         << "";
    QTest::newRow("comma separated") << "0001,0002"
                                     << "";
    QTest::newRow("blank before a code") << " 0001"
                                         << "";
    QTest::newRow("trailing separator") << "0001;"
                                        << "";
    QTest::newRow("separator alone") << ";"
                                     << "";
    QTest::newRow("code too long") << "00011"
                                   << "";
    QTest::newRow("accented letter") << "çã01"
                                     << "";
    QTest::newRow("more than 1,000 codes") << QStringList(1001, QStringLiteral("0001")).join(QLatin1Char(';')) << "";
    QTest::newRow("event type injected") << ""
                                         << "001' OR 'x'='x";
    QTest::newRow("event type too long") << ""
                                         << "0001";
    QTest::newRow("event type with a comment") << ""
                                               << "001;--";
}

void CommissionHttpTest::shouldRefuseInjectedListStringsAndLeaveTablesIntact()
{
    QFETCH(QString, salespeople);
    QFETCH(QString, eventTypes);

    const TestServer::Reply reply =
        m_server->call(QStringLiteral("GetVendedores"), args::listing(QStringLiteral("0001"), salespeople, eventTypes));
    QCOMPARE(reply.status, 400);
    QCOMPARE(fixture().count(QStringLiteral("VENDEDOR")), 6);
    QCOMPARE(fixture().count(QStringLiteral("ORCAEVENTO")), 12);
    // The same lists, well formed, still answer.
    QCOMPARE(m_server
                 ->call(QStringLiteral("GetVendedores"),
                        args::listing(QStringLiteral("0001"), QStringLiteral("0001"), QStringLiteral("001")))
                 .status,
             200);
}

void CommissionHttpTest::shouldAnswerMissingParameterKeysWith422_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVector<Row>>("rows");
    QTest::addColumn<QString>("expectedKey");

    QTest::newRow("salesperson without supplier") << "SetComissao" << QVector<Row>{{7, 4}} << "N_PARAM_VEND_S_FORN";
    QTest::newRow("paid payable") << "SetCancelaComissao" << QVector<Row>{{12, 1}} << "N_PARAM_CONTAPAGBAIXADA";
}

void CommissionHttpTest::shouldAnswerMissingParameterKeysWith422()
{
    QFETCH(QString, method);
    QFETCH(QVector<Row>, rows);
    QFETCH(QString, expectedKey);

    QJsonArray arguments{quotesArgument(rows)};
    arguments.append(args::text(QStringLiteral("OP7"), false));
    if (method == QLatin1String("SetCancelaComissao"))
        arguments.append(args::text(QStringLiteral("Evento cancelado pelo cliente"), false));
    const TestServer::Reply reply = m_server->call(method, arguments);
    QCOMPARE(reply.status, 422);
    QCOMPARE(reply.error, expectedKey);
    QCOMPARE(fixture().count(QStringLiteral("ORCACOMISSAO")), 2);
}

void CommissionHttpTest::shouldAnswerUnknownPathsWith404_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("unknown method") << contract::RemoteContract::path(QStringLiteral("GetTudo"));
    QTest::newRow("unknown object") << QStringLiteral("/rdm/ORE09701.rdmOutro/GetParamOrcaEve");
    QTest::newRow("method in lower case") << contract::RemoteContract::path(QStringLiteral("getparamorcaeve"));
    QTest::newRow("not a call") << QStringLiteral("/index.html");
}

void CommissionHttpTest::shouldAnswerUnknownPathsWith404()
{
    QFETCH(QString, path);
    const TestServer::Reply reply = m_server->post(path.toStdString(), "{\"args\": []}");
    QCOMPARE(reply.status, 404);
    QVERIFY(!reply.error.isEmpty());
}

void CommissionHttpTest::shouldRefuseOversizedRequestsWith413_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("body over 8 MiB") << "GetParamOrcaEve"
                                     << "{\"args\": [\"" + QByteArray(9 << 20, 'x') + "\"]}";
    QJsonObject tooManyRows = packet::toJson(CommissionFixture::quotesPacket({}));
    QJsonArray rows;
    const QJsonArray emptyRow(QJsonArray{QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue(),
                                         QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue(),
                                         QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue()});
    for (int i = 0; i <= 100000; ++i)
        rows.append(emptyRow);
    tooManyRows[QStringLiteral("rows")] = rows;
    const QJsonArray arguments{args::packet(tooManyRows), args::text(QStringLiteral("OP7"), false)};
    QTest::newRow("packet over 100,000 rows")
        << "SetComissao"
        << QJsonDocument(QJsonObject{{QStringLiteral("args"), arguments}}).toJson(QJsonDocument::Compact);
}

void CommissionHttpTest::shouldRefuseOversizedRequestsWith413()
{
    QFETCH(QString, method);
    QFETCH(QByteArray, body);

    const TestServer::Reply reply =
        m_server->post(contract::RemoteContract::path(method).toStdString(), body.toStdString());
    QCOMPARE(reply.status, 413);
    QVERIFY(!reply.error.isEmpty());
    QCOMPARE(m_server->call(QStringLiteral("GetParamOrcaEve"), {}).status, 200);
}

void CommissionHttpTest::shouldRequireTheSecretAndChangeNothingWithoutIt_data()
{
    QTest::addColumn<bool>("sendHeader");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<int>("expectedStatus");

    QTest::newRow("no secret") << false << "" << 401;
    QTest::newRow("empty secret") << true << "" << 401;
    QTest::newRow("wrong secret") << true << "segredo-errado" << 401;
    QTest::newRow("prefix of the secret") << true << "s3gr3d0-" << 401;
    QTest::newRow("secret with more after it") << true << "s3gr3d0-do-servidorX" << 401;
    QTest::newRow("the secret") << true << "s3gr3d0-do-servidor" << 200;
}

void CommissionHttpTest::shouldRequireTheSecretAndChangeNothingWithoutIt()
{
    QFETCH(bool, sendHeader);
    QFETCH(QString, sent);
    QFETCH(int, expectedStatus);

    TestServer guarded(m_database->where(), QStringLiteral("s3gr3d0-do-servidor"));
    std::map<std::string, std::string> headers;
    if (sendHeader)
        headers[TestServer::secretHeader] = sent.toStdString();
    const TestServer::Reply reply = guarded.call(QStringLiteral("SetComissao"), generation({{1, 5}}), headers);
    QCOMPARE(reply.status, expectedStatus);
    QCOMPARE(fixture().count(QStringLiteral("CONTAPAGAR")), expectedStatus == 200 ? 3 : 2);
}

void CommissionHttpTest::shouldLogOneLinePerCall()
{
    m_server->call(QStringLiteral("GetVendedores"), args::listing(QStringLiteral("0001"), QString(), QString()));
    m_server->call(QStringLiteral("SetComissao"), generation({{2, 4}}));
    m_server->call(QStringLiteral("SetComissao"), generation({{7, 4}}));
    m_server->call(QStringLiteral("GetVendedores"), args::listing(QStringLiteral("00001"), QString(), QString()));

    const QStringList lines = m_server->logLines();
    QCOMPARE(lines.size(), 4);
    // logfmt; the body's size in bytes, the outcome in msg= when not plain ok.
    const QStringList expected = {
        QStringLiteral(R"( level=info method=GetVendedores filial=0001 operador=OP7 status=200 ms=\d+\.\d bytes=\d+$)"),
        QStringLiteral(R"( level=info method=SetComissao filial=0001 operador=OP7 status=200 ms=\d+\.\d bytes=\d+)"
                       R"( msg=COMISSAO_GERADA$)"),
        QStringLiteral(R"( level=info method=SetComissao filial=- operador=OP7 status=422 ms=\d+\.\d bytes=\d+)"
                       R"( msg=N_PARAM_VEND_S_FORN$)"),
        QStringLiteral(R"( level=info method=GetVendedores filial=- operador=OP7 status=400 ms=\d+\.\d bytes=\d+)"
                       R"( msg=".+"$)"),
    };
    const QRegularExpression time(QStringLiteral(R"(^ts=\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z )"));
    for (int i = 0; i < lines.size(); ++i) {
        QVERIFY2(time.match(lines[i]).hasMatch(), qPrintable(lines[i]));
        QVERIFY2(QRegularExpression(expected[i]).match(lines[i]).hasMatch(), qPrintable(lines[i]));
    }
}

void CommissionHttpTest::shouldCreateOnePayableWhenTwoServersGenerateTheSameQuotes()
{
    TestServer second(m_database->where());
    const QJsonArray arguments = generation({{1, 5}, {9, 5}});
    for (int round = 0; round < 8; ++round) {
        QJsonValue answers[2];
        std::latch start(2);
        auto generate = [&](const TestServer *server, int i) {
            start.arrive_and_wait();
            answers[i] = server->call(QStringLiteral("SetComissao"), arguments).result;
        };
        std::thread first(generate, m_server.get(), 0), other(generate, &second, 1);
        first.join();
        other.join();

        QStringList sorted{answers[0].toString(QStringLiteral("?")), answers[1].toString(QStringLiteral("?"))};
        sorted.sort();
        QCOMPARE(sorted, QStringList({QString(), QStringLiteral("COMISSAO_GERADA")}));
        QCOMPARE(fixture().count(QStringLiteral("CONTAPAGAR")), 3);
        QCOMPARE(second.call(QStringLiteral("SetCancelaComissao"), cancellation({{1, 5}, {9, 5}})).status, 200);
    }
}

void CommissionHttpTest::shouldLeaveNothingHalfWrittenWhenKilledDuringGeneration()
{
    if (m_backend != TestDatabase::Backend::Postgres)
        QSKIP("Só o PostgreSQL pode pausar uma geração no meio (pg_sleep num gatilho).");
    // The generation stops in its last write (the audit details), with the
    // payable and its links already written, and the server is killed there.
    CommissionFixture data = fixture();
    data.exec(QStringLiteral("CREATE OR REPLACE FUNCTION PAUSA_AUDITORIA() RETURNS TRIGGER AS"
                             " $$ BEGIN PERFORM pg_sleep(1); RETURN NEW; END $$ LANGUAGE plpgsql"));
    data.exec(QStringLiteral("CREATE TRIGGER PAUSA_AUDITORIA BEFORE INSERT ON AUDITCOMISSAOORC"
                             " FOR EACH ROW EXECUTE FUNCTION PAUSA_AUDITORIA()"));
    const auto dropTrigger =
        qScopeGuard([this] { fixture().exec(QStringLiteral("DROP TRIGGER PAUSA_AUDITORIA ON AUDITCOMISSAOORC")); });

    QProcess server;
    const database::ConnectionString &where = m_database->where();
    server.start(
        QCoreApplication::applicationDirPath() + QStringLiteral("/commission-server"),
        {QStringLiteral("--database"),
         QStringLiteral("postgresql://%1@%2:%3/%4").arg(where.user, where.host).arg(where.port).arg(where.databaseName),
         QStringLiteral("--port"), QStringLiteral("0")});
    QVERIFY(server.waitForStarted());
    const auto stopServer = qScopeGuard([&server] {
        server.kill();
        server.waitForFinished();
    });
    QByteArray output;
    const QRegularExpression address(QStringLiteral(R"(http://127\.0\.0\.1:(\d+))"));
    QTRY_VERIFY_WITH_TIMEOUT(address.match(QString::fromUtf8(output += server.readAllStandardError())).hasMatch(),
                             10000);
    const int port = address.match(QString::fromUtf8(output)).captured(1).toInt();

    std::thread call([port] { TestServer::callPort(port, QStringLiteral("SetComissao"), generation({{1, 5}})); });
    const auto joinCall = qScopeGuard([&call] { call.join(); });
    const QString inside = QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database()"
                                          " AND wait_event = 'PgSleep'");
    QTRY_COMPARE_WITH_TIMEOUT(data.value(inside).toInt(), 1, 10000);
    server.kill();
    QVERIFY(server.waitForFinished());

    // The server's session ends once its statement is done; its transaction
    // goes with it.
    const QString busy = QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database()"
                                        " AND pid <> pg_backend_pid() AND state IN ('active', 'idle in transaction')");
    QTRY_COMPARE_WITH_TIMEOUT(data.value(busy).toInt(), 0, 15000);
    QCOMPARE(data.count(QStringLiteral("CONTAPAGAR")), 2);
    QCOMPARE(data.count(QStringLiteral("ORCACOMISSAO")), 2);
    QCOMPARE(data.count(QStringLiteral("AUDITCOMISSAO")), 0);
}

int main(int argc, char **argv)
{
    // A server that refuses a body closes the connection; the client sees
    // an error, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    int status = 0;
    for (TestDatabase::Backend backend : {TestDatabase::Backend::Sqlite, TestDatabase::Backend::Postgres}) {
        CommissionHttpTest test(backend);
        status |= QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "commissionhttptest.moc"
