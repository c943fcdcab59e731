#include "commissionfixture.h"
#include "rawhttpclient.h"
#include "testdatabase.h"
#include "testserver.h"
#include <remotecontract.h>

#include <connectionprovider.h>
#include <packetcodec.h>
#include <tnetconnection.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <new>
#include <stdexcept>
#include <thread>
#include <unistd.h>

// The HTTP side of the server, on SQLite: framing, limits, deadlines, the
// queue, fairness, TLS, error references and the start of the program.
class HttpTransportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void shouldRefuseAnEndlessChunkedBodyAtTheLimitWithoutKeepingIt();
    void shouldReadALargePacketWithinThreeTimesItsSize();
    void shouldTellAClientThatAsksToGoOnWithItsBody();
    void shouldAnswerPipelinedCallsInOrder();
    void shouldAnswerARequestWhateverPiecesItArrivesIn_data();
    void shouldAnswerARequestWhateverPiecesItArrivesIn();
    void shouldAnswerACallFollowedByAHalfClose();
    void shouldFinishALargeAnswerToAClientThatReadsLate();
    void shouldRefuseAmbiguousFramingAndClose_data();
    void shouldRefuseAmbiguousFramingAndClose();
    void shouldCloseSlowHeadersAtTheDeadlineWhileServingOthers();
    void shouldAnswerBusyWithRetryAfterWhenTheQueueIsFull();
    void shouldAnswerAnotherClientPromptlyWhileKeptAliveClientsAreBusy();
    void shouldServeNewClientsWhileAnIoThreadRunsACall();
    void shouldAnswerServerFailuresWithAReferenceAndNoInternals();
    void shouldAnswerAnyFailureOfACallAndServeTheNext_data();
    void shouldAnswerAnyFailureOfACallAndServeTheNext();
    void shouldTellABalancerWhetherItCanServe();
    void shouldServeHttpsOnlyToClientsThatVerifyIt_data();
    void shouldServeHttpsOnlyToClientsThatVerifyIt();
    void shouldStartOnlyOnADatabaseThatExists_data();
    void shouldStartOnlyOnADatabaseThatExists();
    void shouldSayWhyADatabaseCannotBeWritten_data();
    void shouldSayWhyADatabaseCannotBeWritten();

private:
    CommissionFixture fixture() { return CommissionFixture(m_connections->database()); }
    static QByteArray generationBody(int quote);
    void makeCertificates();

    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
    QTemporaryDir m_certificates;
};

namespace {

// Under the sanitizers the server keeps freed memory in quarantine, pads
// every block and checks every access: its peak says nothing about what it
// holds, and its latency nothing about its queue.
bool figuresAreMeaningful()
{
#ifdef COMMISSION_SANITIZED
    return false;
#else
    return true;
#endif
}

// Starts a new peak of this process's resident memory.
void resetPeakResidentBytes()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

qint64 peakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return 0;
}

QString serverProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/commission-server");
}

const QByteArray parameterCall = RawHttpClient::post(RawHttpClient::callPath("GetParamOrcaEve"), "{\"args\": []}");

}  // namespace

void HttpTransportTest::initTestCase()
{
    m_database = std::make_unique<TestDatabase>(TestDatabase::Backend::Sqlite, QStringLiteral("http_transport_test"));
    makeCertificates();
}

void HttpTransportTest::init()
{
    m_database->reset();
    m_connections = std::make_unique<commission::ConnectionProvider>(m_database->where());
    fixture().write();
}

void HttpTransportTest::cleanup()
{
    m_connections.reset();
}

void HttpTransportTest::makeCertificates()
{
    QVERIFY(m_certificates.isValid());
    for (const QString &name : {QStringLiteral("server"), QStringLiteral("other")}) {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=localhost",
                       "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1", "-keyout",
                       m_certificates.filePath(name + ".key"), "-out", m_certificates.filePath(name + ".crt")});
        QVERIFY2(openssl.waitForFinished(30000) && openssl.exitCode() == 0, openssl.readAllStandardError().constData());
    }
}

QByteArray HttpTransportTest::generationBody(int quote)
{
    const QJsonArray arguments{args::packet(packet::toJson(CommissionFixture::quotesPacket({{quote, 5}}))),
                               args::text(QStringLiteral("OP7"), false)};
    return QJsonDocument(QJsonObject{{QStringLiteral("args"), arguments}}).toJson(QJsonDocument::Compact);
}

void HttpTransportTest::shouldRefuseAnEndlessChunkedBodyAtTheLimitWithoutKeepingIt()
{
    // First in the program, so the peak it measures is its own.
    TestServer server(m_database->where());
    const qint64 peakBefore = peakResidentBytes();
    RawHttpClient client(server.port());
    QVERIFY(client.send("POST " + RawHttpClient::callPath("GetParamOrcaEve") + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                        + TestServer::authorizationLine() + "Transfer-Encoding: chunked\r\n\r\n"));
    const QByteArray chunk = QByteArray::number(64 << 10, 16) + "\r\n" + QByteArray(64 << 10, 'x') + "\r\n";
    qint64 sent = 0;
    while (sent < (200 << 20) && !client.hasSomethingToRead(0) && client.send(chunk))
        sent += chunk.size();
    const QVector<RawAnswer> answers = client.readAnswers(1, 10000);
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers[0].status, 413);
    QVERIFY2(sent < (200 << 20), "the server read the whole body");
    const qint64 growth = peakResidentBytes() - peakBefore;
    if (figuresAreMeaningful())
        QVERIFY2(growth < (20 << 20), qPrintable(QStringLiteral("memory grew by %1 MB").arg(growth >> 20)));
    QCOMPARE(server.call(QStringLiteral("GetParamOrcaEve"), {}).status, 200);
}

void HttpTransportTest::shouldReadALargePacketWithinThreeTimesItsSize()
{
    TestServer server(m_database->where());
    // Every quote the screen lists goes back, marked or not.
    const QVector<CommissionFixture::Row> rows(60000, CommissionFixture::Row{1, 5, false});
    const QJsonArray arguments{args::packet(packet::toJson(CommissionFixture::quotesPacket(rows))),
                               args::text(QStringLiteral("OP7"), false)};
    const QByteArray body =
        QJsonDocument(QJsonObject{{QStringLiteral("args"), arguments}}).toJson(QJsonDocument::Compact);
    QVERIFY2(body.size() > (5 << 20) && body.size() < (8 << 20), qPrintable(QString::number(body.size())));
    const QByteArray request = RawHttpClient::post(RawHttpClient::callPath("SetComissao"), body);
    RawHttpClient client(server.port());
    resetPeakResidentBytes();
    const qint64 before = peakResidentBytes();
    QVERIFY(client.send(request));
    const QVector<RawAnswer> answers = client.readAnswers(1, 30000);
    const qint64 growth = peakResidentBytes() - before;
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers[0].status, 200);
    QCOMPARE(QJsonDocument::fromJson(answers[0].body).object().value(QStringLiteral("result")).toString(),
             QStringLiteral("N_MARCADO"));
    if (figuresAreMeaningful())
        QVERIFY2(growth < 3 * body.size(), qPrintable(QStringLiteral("%1 MB for a body of %2 MB")
                                                          .arg(growth / 1e6, 0, 'f', 1)
                                                          .arg(body.size() / 1e6, 0, 'f', 1)));
}

void HttpTransportTest::shouldTellAClientThatAsksToGoOnWithItsBody()
{
    TestServer server(m_database->where());
    RawHttpClient client(server.port());
    const QByteArray body = "{\"args\": []}";
    QVERIFY(client.send("POST " + RawHttpClient::callPath("GetParamOrcaEve") + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                        + TestServer::authorizationLine()
                        + "Expect: 100-continue\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n"));
    const QVector<RawAnswer> interim = client.readAnswers(1, 5000);
    QCOMPARE(interim.size(), 1);
    QCOMPARE(interim[0].status, 100);
    QVERIFY(client.send(body));
    const QVector<RawAnswer> answers = client.readAnswers(2, 5000);
    QCOMPARE(answers.size(), 2);
    QCOMPARE(answers[1].status, 200);
}

void HttpTransportTest::shouldAnswerPipelinedCallsInOrder()
{
    TestServer server(m_database->where());
    RawHttpClient client(server.port());
    // Three calls in one write, each with its own outcome.
    QVERIFY(client.send(parameterCall + RawHttpClient::post(RawHttpClient::callPath("GetVendedores"), "{\"args\": []}")
                        + RawHttpClient::post(RawHttpClient::callPath("GetTudo"), "{\"args\": []}")));
    const QVector<RawAnswer> answers = client.readAnswers(3, 10000);
    QCOMPARE(answers.size(), 3);
    QCOMPARE(answers[0].status, 200);
    QCOMPARE(answers[1].status, 400);
    QCOMPARE(answers[2].status, 404);
}

void HttpTransportTest::shouldAnswerARequestWhateverPiecesItArrivesIn_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QList<int>>("cuts");  // where the pieces end, in bytes of the request

    const int headerEnd = int(parameterCall.indexOf("\r\n\r\n")) + 4;
    const int length = int(parameterCall.size());
    QTest::newRow("whole") << parameterCall << QList<int>{};
    QTest::newRow("inside the request line") << parameterCall << QList<int>{5};
    QTest::newRow("inside a header") << parameterCall << QList<int>{int(parameterCall.indexOf("Content-Length")) + 3};
    QTest::newRow("between headers and body") << parameterCall << QList<int>{headerEnd};
    QTest::newRow("inside the body") << parameterCall << QList<int>{length - 3};
    QTest::newRow("in four pieces") << parameterCall << QList<int>{3, headerEnd - 2, headerEnd + 1};
    const QByteArray chunked = "POST " + RawHttpClient::callPath("GetParamOrcaEve") + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                               + TestServer::authorizationLine()
                               + "Transfer-Encoding: chunked\r\n\r\n"
                                 "5\r\n{\"arg\r\n7\r\ns\": []}\r\n0\r\n\r\n";
    const int chunks = int(chunked.indexOf("\r\n\r\n")) + 4;
    QTest::newRow("chunked, cut in its chunks")
        << chunked << QList<int>{chunks + 4, chunks + 12, int(chunked.size()) - 3};
}

void HttpTransportTest::shouldAnswerARequestWhateverPiecesItArrivesIn()
{
    QFETCH(QByteArray, request);
    QFETCH(QList<int>, cuts);
    TestServer server(m_database->where());
    RawHttpClient client(server.port());
    int from = 0;
    for (const int cut : cuts) {
        QVERIFY(client.send(request.mid(from, cut - from)));
        from = cut;
        // Nothing comes back for part of a request.
        QVERIFY(!client.hasSomethingToRead(50));
    }
    QVERIFY(client.send(request.mid(from)));
    const QVector<RawAnswer> answers = client.readAnswers(1, 10000);
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers[0].status, 200);
    QVERIFY(answers[0].body.startsWith("{\"result\":"));
    // The connection stays usable for the next call.
    QVERIFY(client.send(parameterCall));
    QCOMPARE(client.readAnswers(1, 10000).value(0).status, 200);
}

void HttpTransportTest::shouldFinishALargeAnswerToAClientThatReadsLate()
{
    // About 6 MB of quotes for Ana in May: more than the sockets' buffers
    // hold while the client does not read.
    constexpr int extraQuotes = 60000;
    const QSqlDatabase db = m_connections->database();
    QVERIFY(QSqlDatabase(db).transaction());
    for (int i = 0; i < extraQuotes; ++i)
        fixture().exec(QStringLiteral("INSERT INTO ORCAEVENTO (CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE, CDCLIENTE,"
                                      " CDVENDEDOR, CDTIPOEVENTO, DTEVENTO, DTFECHAORCA, VRTOTALOREV, DSTITUORCEVE,"
                                      " IDTPRECEOREV) VALUES ('0001', ?, '01', 'C1', '0001', '001', '2024-05-20',"
                                      " '2024-05-20', 123.45, ?, 'N')"),
                       {QString::number(900000 + i).rightJustified(10, QLatin1Char('0')),
                        QStringLiteral("Orçamento longo de número %1 para encher o buffer").arg(i)});
    QVERIFY(QSqlDatabase(db).commit());

    TestServer server(m_database->where());
    RawHttpClient late(server.port(), 4096);
    const QByteArray body =
        QJsonDocument(
            QJsonObject{{QStringLiteral("args"), args::listing(QStringLiteral("0001"), QStringLiteral("0001"),
                                                               QString(), QStringLiteral("EVENTO"), QStringLiteral("S"),
                                                               45413, 45443, QStringLiteral("N"), false)}})
            .toJson(QJsonDocument::Compact);
    QVERIFY(late.send(RawHttpClient::post(RawHttpClient::callPath("GetOrcamentos"), body)));
    // While the answer waits for the late reader, others are served.
    QCOMPARE(server.call(QStringLiteral("GetParamOrcaEve"), {}).status, 200);
    const QVector<RawAnswer> answers = late.readAnswers(1, 20000);
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers[0].status, 200);
    const QJsonValue result = QJsonDocument::fromJson(answers[0].body).object().value(QStringLiteral("result"));
    QCOMPARE(packet::fromJson(result).rows.size(), extraQuotes + 2);  // and Ana's two of May not generated
    // The connection goes on.
    QVERIFY(late.send(parameterCall));
    QCOMPARE(late.readAnswers(1, 10000).value(0).status, 200);
}

void HttpTransportTest::shouldAnswerACallFollowedByAHalfClose()
{
    TestServer server(m_database->where());
    RawHttpClient client(server.port());
    QVERIFY(client.send(RawHttpClient::post(RawHttpClient::callPath("SetComissao"), generationBody(1))));
    client.halfClose();
    const QVector<RawAnswer> answers = client.readAnswers(1, 10000);
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers[0].status, 200);
    QCOMPARE(fixture().count(QStringLiteral("CONTAPAGAR")), 3);  // the fixture's two and the new one
    QVERIFY(client.waitForClose(5000));
}

void HttpTransportTest::shouldRefuseAmbiguousFramingAndClose_data()
{
    QTest::addColumn<QByteArray>("headers");

    QTest::newRow("two different lengths") << QByteArray("Content-Length: 12\r\nContent-Length: 13\r\n");
    QTest::newRow("length and chunked") << QByteArray("Content-Length: 12\r\nTransfer-Encoding: chunked\r\n");
    QTest::newRow("chunked and length") << QByteArray("Transfer-Encoding: chunked\r\nContent-Length: 12\r\n");
    QTest::newRow("encoding other than chunked") << QByteArray("Transfer-Encoding: gzip\r\n");
    QTest::newRow("length not a number") << QByteArray("Content-Length: 12x\r\n");
}

void HttpTransportTest::shouldRefuseAmbiguousFramingAndClose()
{
    QFETCH(QByteArray, headers);

    TestServer server(m_database->where());
    RawHttpClient client(server.port());
    // What follows the headers would be a second request to a server that
    // trusted the wrong length.
    QVERIFY(client.send("POST " + RawHttpClient::callPath("GetParamOrcaEve") + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                        + headers + "\r\n{\"args\": []}" + parameterCall));
    const QVector<RawAnswer> answers = client.readAnswers(2, 5000);
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers[0].status, 400);
    QVERIFY(client.waitForClose(5000));
}

void HttpTransportTest::shouldCloseSlowHeadersAtTheDeadlineWhileServingOthers()
{
    commission::HttpSettings settings = TestServer::settings();
    settings.headerTimeout = std::chrono::seconds(1);
    TestServer server(m_database->where(), settings);

    std::vector<std::unique_ptr<RawHttpClient>> slow;
    for (int i = 0; i < 16; ++i)
        slow.push_back(std::make_unique<RawHttpClient>(server.port()));
    const QByteArray request = parameterCall;
    QElapsedTimer clock;
    clock.start();
    int open = int(slow.size());
    // One header byte per client every 100 ms, while a normal client calls.
    for (int byte = 0; open > 0 && clock.elapsed() < 15000; ++byte) {
        open = 0;
        for (auto &client : slow) {
            if (client->isConnected() && client->send(request.mid(byte % 20, 1)) && !client->hasSomethingToRead(0))
                ++open;
        }
        QCOMPARE(server.call(QStringLiteral("GetParamOrcaEve"), {}).status, 200);
        // The next byte in 100 ms, unless the server has cut every client by then.
        [[maybe_unused]] const bool everyClientCut = QTest::qWaitFor(
            [&] {
                return std::ranges::none_of(
                    slow, [](const auto &client) { return client->isConnected() && !client->hasSomethingToRead(0); });
            },
            100);
    }
    QCOMPARE(open, 0);
    // Ten times the deadline: a loaded machine is slow, but a client that
    // keeps sending a byte every 100 ms is never cut without one.
    QVERIFY2(clock.elapsed() < 10000, "slow headers were not cut at their deadline");
}

void HttpTransportTest::shouldAnswerBusyWithRetryAfterWhenTheQueueIsFull()
{
    commission::HttpSettings settings = TestServer::settings();
    settings.threads = 1;
    settings.queueLimit = 1;
    TestServer server(m_database->where(), settings);

    // Another writer holds the database: the one worker waits on it with the
    // first generation, the second waits in the queue, the third finds it full.
    fixture().exec(QStringLiteral("BEGIN IMMEDIATE"));
    std::vector<std::unique_ptr<RawHttpClient>> clients;
    for (int quote : {1, 3, 5}) {
        clients.push_back(std::make_unique<RawHttpClient>(server.port()));
        QVERIFY(
            clients.back()->send(RawHttpClient::post(RawHttpClient::callPath("SetComissao"), generationBody(quote))));
    }
    const auto answered = [&clients] {
        return std::find_if(clients.begin(), clients.end(),
                            [](const auto &client) { return client->hasSomethingToRead(0); });
    };
    QTRY_VERIFY_WITH_TIMEOUT(answered() != clients.end(), 10000);
    const QVector<RawAnswer> busy = (*answered())->readAnswers(1, 1000);
    fixture().exec(QStringLiteral("COMMIT"));
    QCOMPARE(busy.size(), 1);
    QCOMPARE(busy[0].status, 503);
    QCOMPARE(busy[0].header("Retry-After"), QByteArray("1"));
    QVERIFY(QJsonDocument::fromJson(busy[0].body)
                .object()
                .value(QStringLiteral("error"))
                .toString()
                .contains(QStringLiteral("Tente novamente")));
    QVERIFY(server.logLines().join('\n').contains(QStringLiteral(" status=503 ")));
}

// A lone client's call runs on its I/O thread and waits there for a writer
// that holds the database; clients that connect meanwhile are carried by the
// other I/O thread and served by the workers, one after another.
void HttpTransportTest::shouldServeNewClientsWhileAnIoThreadRunsACall()
{
    commission::HttpSettings settings = TestServer::settings();
    settings.ioThreads = 2;
    settings.threads = 2;
    TestServer server(m_database->where(), settings);
    fixture().exec(QStringLiteral("BEGIN IMMEDIATE"));
    const auto release = qScopeGuard([this] { fixture().exec(QStringLiteral("COMMIT")); });
    RawHttpClient waiting(server.port());
    QVERIFY(waiting.send(RawHttpClient::post(RawHttpClient::callPath("SetComissao"), generationBody(1))));
    // Kept open, so the threads' counts grow and the busy one is the one
    // with the fewest.
    std::vector<std::unique_ptr<RawHttpClient>> others;
    for (int i = 0; i < 4; ++i) {
        others.push_back(std::make_unique<RawHttpClient>(server.port()));
        QVERIFY(others.back()->send(parameterCall));
        const QVector<RawAnswer> answers = others.back()->readAnswers(1, 2000);
        QCOMPARE(answers.size(), 1);
        QCOMPARE(answers[0].status, 200);
    }
    // The first call still waits for the writer.
    QVERIFY(!waiting.hasSomethingToRead(0));
}

void HttpTransportTest::shouldAnswerAnotherClientPromptlyWhileKeptAliveClientsAreBusy()
{
    TestServer server(m_database->where());
    std::atomic<bool> stop{false};
    std::atomic<int> started{0};
    std::vector<std::thread> busy;
    const std::string body = QJsonDocument(QJsonObject{{QStringLiteral("args"),
                                                        args::listing(QStringLiteral("0001"), QString(), QString())}})
                                 .toJson(QJsonDocument::Compact)
                                 .toStdString();
    for (int i = 0; i < 16; ++i) {
        busy.emplace_back([&] {
            httplib::Client client("127.0.0.1", server.port());
            client.set_keep_alive(true);
            client.set_tcp_nodelay(true);
            bool counted = false;
            while (!stop) {
                client.Post(contract::RemoteContract::path(contract::RemoteContract::getVendedores).toStdString(), body,
                            "application/json");
                if (!counted)
                    ++started, counted = true;
            }
        });
    }
    QTRY_COMPARE_WITH_TIMEOUT(started.load(), 16, 10000);
    QElapsedTimer clock;
    clock.start();
    const TestServer::Reply reply = server.call(QStringLiteral("GetParamOrcaEve"), {});
    const qint64 waited = clock.elapsed();
    stop = true;
    for (std::thread &thread : busy)
        thread.join();
    QCOMPARE(reply.status, 200);
    // A client left behind the busy ones waits for seconds; one served in its
    // turn, a few calls' time, well under a second on a loaded machine too.
    // The benchmark measures the latency itself.
    if (figuresAreMeaningful())
        QVERIFY2(waited < 1000, qPrintable(QStringLiteral("the 17th client waited %1 ms").arg(waited)));
}

void HttpTransportTest::shouldAnswerServerFailuresWithAReferenceAndNoInternals()
{
    TestServer server(m_database->where());
    fixture().exec(QStringLiteral("CREATE TRIGGER FALHA_CONTA BEFORE INSERT ON CONTAPAGAR"
                                  " BEGIN SELECT RAISE(FAIL, 'gatilho de teste'); END"));
    const TestServer::Reply reply =
        server.post(RawHttpClient::callPath("SetComissao").toStdString(), generationBody(1).toStdString());
    fixture().exec(QStringLiteral("DROP TRIGGER FALHA_CONTA"));
    QCOMPARE(reply.status, 500);
    static const QRegularExpression expected(QStringLiteral(
        "^Falha no banco de dados \\(ref\\. (\\d{8}-\\d{4})\\)\\. Tente novamente; se persistir, informe o suporte\\.$"));
    const QRegularExpressionMatch match = expected.match(reply.error);
    QVERIFY2(match.hasMatch(), qPrintable(reply.error));
    // The log line under the same reference has what the caller must not see.
    const QString log = server.logLines().join('\n');
    QVERIFY(
        log.contains(QStringLiteral("level=error ref=") + match.captured(1) + QStringLiteral(" method=SetComissao")));
    QVERIFY(log.contains(QStringLiteral("gatilho de teste")));
    QVERIFY(!reply.error.contains(QStringLiteral("CONTAPAGAR")));
}

void HttpTransportTest::shouldAnswerAnyFailureOfACallAndServeTheNext_data()
{
    QTest::addColumn<QString>("raised");
    QTest::addColumn<int>("ioThreads");
    // With one I/O thread every call goes to a worker; with two, the call of
    // a lone connection runs on its I/O thread.
    for (const char *raised : {"runtime_error", "not an exception", "bad_alloc"}) {
        QTest::addRow("%s on a worker", raised) << QString::fromLatin1(raised) << 1;
        QTest::addRow("%s on an I/O thread", raised) << QString::fromLatin1(raised) << 2;
    }
}

void HttpTransportTest::shouldAnswerAnyFailureOfACallAndServeTheNext()
{
    QFETCH(QString, raised);
    QFETCH(int, ioThreads);
    struct NotAnException {};
    std::atomic<bool> armed{true};
    commission::HttpSettings settings = TestServer::settings();
    settings.ioThreads = ioThreads;
    TestServer server(m_database->where(), settings, [&](const QString &) {
        if (!armed.exchange(false))
            return;
        if (raised == QLatin1String("bad_alloc"))
            throw std::bad_alloc();
        if (raised == QLatin1String("runtime_error"))
            throw std::runtime_error("falha de teste");
        throw NotAnException{};
    });
    const TestServer::Reply failed = server.call(QStringLiteral("GetParamOrcaEve"), {});
    QCOMPARE(failed.status, 500);
    static const QRegularExpression expected(
        QStringLiteral("^Erro interno no servidor \\(ref\\. (\\d{8}-\\d{4})\\)\\. "));
    const QRegularExpressionMatch match = expected.match(failed.error);
    QVERIFY2(match.hasMatch(), qPrintable(failed.error));
    // Logged once, under the reference the caller was given.
    const QStringList lines = server.logLines().filter(QStringLiteral("ref=") + match.captured(1));
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].contains(QStringLiteral("method=GetParamOrcaEve "))
                 && lines[0].contains(QStringLiteral(" status=500 ")),
             qPrintable(lines[0]));
    QCOMPARE(server.call(QStringLiteral("GetParamOrcaEve"), {}).status, 200);
}

void HttpTransportTest::shouldTellABalancerWhetherItCanServe()
{
    const QByteArray health = "GET /health HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    {
        TestServer server(m_database->where(), TestServer::settings(QStringLiteral("segredo")));
        RawHttpClient client(server.port());
        QVERIFY(client.send(health));
        const QVector<RawAnswer> answers = client.readAnswers(1, 5000);
        QCOMPARE(answers.size(), 1);
        QCOMPARE(answers[0].status, 200);  // no secret needed
        QCOMPARE(answers[0].body, QByteArray(R"({"status":"ok"})"));
    }
    // A database that cannot be reached.
    TestServer server(database::ConnectionString::parse(QStringLiteral("postgresql://nobody@127.0.0.1:1/none")),
                      TestServer::UnreachableDatabase{});
    RawHttpClient client(server.port());
    QVERIFY(client.send(health));
    const QVector<RawAnswer> answers = client.readAnswers(1, 10000);
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers[0].status, 503);
    QVERIFY(!answers[0].body.contains("nobody"));
}

void HttpTransportTest::shouldServeHttpsOnlyToClientsThatVerifyIt_data()
{
    QTest::addColumn<bool>("serverTls");
    QTest::addColumn<QString>("authority");  // the client's CA file name; empty: plain HTTP
    QTest::addColumn<QString>("failure");    // part of the error; empty: the call works

    QTest::newRow("verified") << true << "server.crt"
                              << "";
    QTest::newRow("another authority") << true << "other.crt"
                                       << "não foi confirmado";
    QTest::newRow("plain call to a TLS server") << true << ""
                                                << "Não foi possível comunicar";
    QTest::newRow("TLS call to a plain server") << false << "server.crt"
                                                << "conexão segura";
}

void HttpTransportTest::shouldServeHttpsOnlyToClientsThatVerifyIt()
{
    QFETCH(bool, serverTls);
    QFETCH(QString, authority);
    QFETCH(QString, failure);

    commission::HttpSettings settings = TestServer::settings();
    if (serverTls) {
        settings.tlsCertificate = m_certificates.filePath(QStringLiteral("server.crt"));
        settings.tlsKey = m_certificates.filePath(QStringLiteral("server.key"));
    }
    TestServer server(m_database->where(), settings);
    QVERIFY(server.port() > 0);

    TNetConnection connection;
    connection.ServerName = contract::RemoteContract::objectName;
    connection.SecretHeader = contract::RemoteContract::secretHeader;
    connection.Host = QStringLiteral("127.0.0.1");
    connection.Port = server.port();
    connection.ReadTimeoutMs = 5000;
    connection.BearerToken = QString::fromLatin1(TestServer::token);
    if (!authority.isEmpty())
        connection.CaFile = m_certificates.filePath(authority);
    try {
        const QJsonValue result = connection.call(QStringLiteral("GetParamOrcaEve"), {});
        QVERIFY2(failure.isEmpty(), "the call went through");
        QVERIFY(result.isObject());
    } catch (const TransportError &error) {
        QVERIFY2(!failure.isEmpty(), error.what());
        QVERIFY2(QString::fromUtf8(error.what()).contains(failure), error.what());
    }
}

void HttpTransportTest::shouldStartOnlyOnADatabaseThatExists_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("fileAfter");

    QTest::newRow("mistyped path") << QStringList{"--database", "%1/missing.db", "--port", "0"} << 1
                                   << "%1/missing.db não existe" << false;
    QTest::newRow("empty database on request")
        << QStringList{"--database", "%1/new.db", "--init"} << 0 << "Banco vazio criado" << true;
    QTest::newRow("beyond loopback without TLS")
        << QStringList{"--database", "%1/missing.db", "--listen", "0.0.0.0", "--secret", "s"} << 2 << "exige TLS"
        << false;
}

void HttpTransportTest::shouldStartOnlyOnADatabaseThatExists()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(bool, fileAfter);

    QTemporaryDir dir;
    for (QString &argument : arguments)
        argument.replace(QStringLiteral("%1"), dir.path());
    message.replace(QStringLiteral("%1"), dir.path());
    QProcess program;
    program.start(serverProgram(), arguments);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(QString::fromUtf8(program.readAllStandardError()).contains(message), qPrintable(message));
    QCOMPARE(QFile::exists(arguments[1]), fileAfter);
}

void HttpTransportTest::shouldSayWhyADatabaseCannotBeWritten_data()
{
    QTest::addColumn<QFile::Permissions>("fileMode");
    QTest::addColumn<QFile::Permissions>("folderMode");
    QTest::addColumn<QString>("reason");
    const QFile::Permissions readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const QFile::Permissions enterable = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QTest::newRow("read-only file") << readable << (readable | enterable | QFile::WriteOwner)
                                    << "não tem permissão de escrita no arquivo";
    QTest::newRow("read-only folder") << (readable | QFile::WriteOwner) << (readable | enterable)
                                      << "não tem permissão de escrita na pasta";
}

// As an unprivileged user (nobody, when the test runs as root, since root
// may write anything): a database it cannot write is reported as such, not
// as one without tables.
void HttpTransportTest::shouldSayWhyADatabaseCannotBeWritten()
{
    QFETCH(QFile::Permissions, fileMode);
    QFETCH(QFile::Permissions, folderMode);
    QFETCH(QString, reason);
    const bool root = ::geteuid() == 0;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("banco"));
    QVERIFY(QDir().mkdir(folder));
    const QString database = folder + QStringLiteral("/commission.db");
    QProcess init;
    init.start(serverProgram(), {QStringLiteral("--database"), database, QStringLiteral("--init")});
    QVERIFY(init.waitForFinished(30000));
    QCOMPARE(init.exitCode(), 0);
    QFile::setPermissions(dir.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    if (root) {
        for (const QString &path : {folder, database}) {
            QProcess chown;
            chown.start(QStringLiteral("chown"), {QStringLiteral("nobody"), path});
            QVERIFY(chown.waitForFinished(10000));
            QCOMPARE(chown.exitCode(), 0);
        }
    }
    QVERIFY(QFile::setPermissions(database, fileMode));
    QVERIFY(QFile::setPermissions(folder, folderMode));

    QProcess program;
    const QStringList serve{QStringLiteral("--database"), database, QStringLiteral("--port"), QStringLiteral("0")};
    if (root)
        program.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), serverProgram()}
                          + serve);
    else
        program.start(serverProgram(), serve);
    QVERIFY(program.waitForFinished(30000));
    const QString said = QString::fromUtf8(program.readAllStandardError());
    QFile::setPermissions(folder, folderMode | QFile::WriteOwner);  // so the folder can be removed
    QCOMPARE(program.exitCode(), 1);
    QVERIFY2(said.contains(QStringLiteral("não pode ser gravado")) && said.contains(reason), qPrintable(said));
    QVERIFY2(!said.contains(QStringLiteral("não tem as tabelas")), qPrintable(said));
}

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    HttpTransportTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "httptransporttest.moc"
