#include "commissionfixture.h"
#include "rawhttpclient.h"
#include "testdatabase.h"
#include "testserver.h"

#include <connectionprovider.h>
#include <latencyhistogram.h>
#include <packetcodec.h>
#include <servermetrics.h>

#include <QCoreApplication>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <thread>
#include <vector>

// GET /metrics: what it counts, how it is read and who may read it.
class MetricsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void shouldPutEachDurationInTheFirstBucketThatHoldsIt_data();
    void shouldPutEachDurationInTheFirstBucketThatHoldsIt();
    void shouldCountEachCallByMethodAndStatus_data();
    void shouldCountEachCallByMethodAndStatus();
    void shouldShowCallsWaitingAndRunningWhileTheDatabaseIsHeld();
    void shouldWriteWhatPromtoolAccepts();
    void shouldShowTheMetricsOnlyToWhoKnowsTheSecret_data();
    void shouldShowTheMetricsOnlyToWhoKnowsTheSecret();

private:
    CommissionFixture fixture() { return CommissionFixture(m_connections->database()); }

    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
};

namespace {

using Samples = QHash<QString, double>;

RawAnswer getMetrics(int port, const QByteArray &extraHeaders = {})
{
    RawHttpClient client(port);
    client.send("GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n");
    return client.readAnswers(1, 5000).value(0);
}

// Every sample of the text, by its name and labels as written.
Samples samplesOf(const QByteArray &text)
{
    Samples samples;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype space = line.lastIndexOf(' ');
        if (line.isEmpty() || line.startsWith('#') || space < 0)
            continue;
        samples.insert(QString::fromUtf8(line.left(space)), line.mid(space + 1).toDouble());
    }
    return samples;
}

Samples scrape(int port)
{
    const RawAnswer answer = getMetrics(port);
    return answer.status == 200 ? samplesOf(answer.body) : Samples{};
}

QString calls(const QString &method, int status)
{
    return QStringLiteral(R"(commission_calls_total{method="%1",status="%2"})").arg(method).arg(status);
}

QString durations(const QString &method, const char *part)
{
    return QStringLiteral(R"(commission_call_duration_seconds_%1{method="%2"})").arg(QLatin1String(part), method);
}

QString bucket(const QString &method, const char *le)
{
    return QStringLiteral(R"(commission_call_duration_seconds_bucket{method="%1",le="%2"})")
        .arg(method, QLatin1String(le));
}

QByteArray generationBody(int quote)
{
    const QJsonArray arguments{args::packet(packet::toJson(CommissionFixture::quotesPacket({{quote, 5}}))),
                               args::text(QStringLiteral("OP7"), false)};
    return QJsonDocument(QJsonObject{{QStringLiteral("args"), arguments}}).toJson(QJsonDocument::Compact);
}

}  // namespace

void MetricsTest::initTestCase()
{
    m_database = std::make_unique<TestDatabase>(TestDatabase::Backend::Sqlite, QStringLiteral("metrics_test"));
}

void MetricsTest::init()
{
    m_database->reset();
    m_connections = std::make_unique<commission::ConnectionProvider>(m_database->where());
    fixture().write();
}

void MetricsTest::cleanup()
{
    m_connections.reset();
}

void MetricsTest::shouldPutEachDurationInTheFirstBucketThatHoldsIt_data()
{
    QTest::addColumn<qint64>("nanoseconds");
    QTest::addColumn<int>("bucket");  // the first that counts it

    QTest::newRow("nothing") << qint64(0) << 0;
    QTest::newRow("on the first bound") << qint64(500'000) << 0;
    QTest::newRow("just past it") << qint64(500'001) << 1;
    QTest::newRow("a typical listing, 3 ms") << qint64(3'000'000) << 3;
    QTest::newRow("on the last bound") << qint64(2'500'000'000) << 11;
    QTest::newRow("longer than any") << qint64(60'000'000'000) << 12;
}

void MetricsTest::shouldPutEachDurationInTheFirstBucketThatHoldsIt()
{
    QFETCH(qint64, nanoseconds);
    QFETCH(int, bucket);

    commission::LatencyHistogram histogram;
    histogram.observe(nanoseconds);
    histogram.observe(1'000'000);  // 1 ms, the second bucket, in every row
    const commission::LatencyHistogram::Snapshot taken = histogram.snapshot();
    QCOMPARE(taken.count(), quint64(2));
    for (int i = 0; i < int(taken.cumulative.size()); ++i) {
        const quint64 expected = (i >= bucket ? 1 : 0) + (i >= 1 ? 1 : 0);
        QCOMPARE(taken.cumulative[std::size_t(i)], expected);
    }
    QCOMPARE(taken.sumSeconds, double(nanoseconds + 1'000'000) / 1e9);
}

void MetricsTest::shouldCountEachCallByMethodAndStatus_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("authorization");  // empty: the test operator's session
    QTest::addColumn<bool>("failingTrigger");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("databaseErrors");

    const QByteArray listing = QJsonDocument(QJsonObject{{QStringLiteral("args"),
                                                          args::listing(QStringLiteral("0001"), QString(), QString())}})
                                   .toJson(QJsonDocument::Compact);
    const QByteArray badBranch =
        QJsonDocument(
            QJsonObject{{QStringLiteral("args"), args::listing(QStringLiteral("00001"), QString(), QString())}})
            .toJson(QJsonDocument::Compact);
    QTest::newRow("a listing") << "GetVendedores" << listing << QByteArray() << false << 200 << 0;
    QTest::newRow("a refused generation is answered")
        << "SetComissao" << generationBody(2) << QByteArray() << false << 200 << 0;
    QTest::newRow("no session") << "GetVendedores" << listing << QByteArray("Authorization: Bearer 00\r\n") << false
                                << 401 << 0;
    QTest::newRow("a bad argument") << "GetVendedores" << badBranch << QByteArray() << false << 400 << 0;
    QTest::newRow("the database fails") << "SetComissao" << generationBody(1) << QByteArray() << true << 500 << 1;
}

void MetricsTest::shouldCountEachCallByMethodAndStatus()
{
    QFETCH(QString, method);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, authorization);
    QFETCH(bool, failingTrigger);
    QFETCH(int, status);
    QFETCH(int, databaseErrors);

    TestServer server(m_database->where());
    // Counted from the start of the server, so a family is there with nothing in it.
    const Samples before = scrape(server.port());
    QCOMPARE(before.value(durations(method, "count"), -1), 0.0);
    QCOMPARE(before.value(QStringLiteral("commission_database_errors_total"), -1), 0.0);
    QCOMPARE(before.value(
                 QStringLiteral(R"(commission_build_info{version="%1"})").arg(commission::ServerMetrics::version())),
             1.0);

    if (failingTrigger)
        fixture().exec(QStringLiteral("CREATE TRIGGER FALHA_CONTA BEFORE INSERT ON CONTAPAGAR"
                                      " BEGIN SELECT RAISE(FAIL, 'gatilho de teste'); END"));
    RawHttpClient client(server.port());
    QByteArray request = RawHttpClient::post(RawHttpClient::callPath(method.toLatin1()), body);
    if (!authorization.isEmpty())
        request.replace(TestServer::authorizationLine(), authorization);
    QVERIFY(client.send(request));
    const QVector<RawAnswer> answers = client.readAnswers(1, 5000);
    if (failingTrigger)
        fixture().exec(QStringLiteral("DROP TRIGGER FALHA_CONTA"));
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers[0].status, status);

    const Samples after = scrape(server.port());
    QCOMPARE(after.value(calls(method, status)), 1.0);
    QCOMPARE(after.value(durations(method, "count")), 1.0);
    QCOMPARE(after.value(QStringLiteral("commission_database_errors_total")), double(databaseErrors));
    // Each bucket holds every call up to its bound; the last one all of them.
    double previous = 0;
    for (const char *le : commission::LatencyHistogram::labels) {
        const double count = after.value(bucket(method, le), -1);
        QVERIFY2(count >= previous, le);
        previous = count;
    }
    QCOMPARE(previous, after.value(durations(method, "count")));
    QVERIFY(after.value(durations(method, "sum")) > 0);
}

// One worker and one I/O thread: the first generation holds the worker
// waiting for the database, the second waits in the queue, and the metrics
// are still answered by the I/O thread.
void MetricsTest::shouldShowCallsWaitingAndRunningWhileTheDatabaseIsHeld()
{
    commission::HttpSettings settings = TestServer::settings();
    settings.threads = 1;
    settings.ioThreads = 1;
    TestServer server(m_database->where(), settings);
    QCOMPARE(scrape(server.port()).value(QStringLiteral("commission_busy_workers"), -1), 0.0);

    fixture().exec(QStringLiteral("BEGIN IMMEDIATE"));
    std::vector<std::thread> callers;
    for (int quote : {1, 3})
        callers.emplace_back([&server, quote] {
            server.post(RawHttpClient::callPath("SetComissao").toStdString(), generationBody(quote).toStdString());
        });
    const auto state = [&server] {
        const Samples samples = scrape(server.port());
        return QStringLiteral("%1 %2 %3")
            .arg(samples.value(QStringLiteral("commission_queue_length"), -1))
            .arg(samples.value(QStringLiteral("commission_busy_workers"), -1))
            .arg(samples.value(QStringLiteral("commission_open_connections"), -1));
    };
    // Waiting, running, and the connections of both callers and of the scrape.
    QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("1 1 3"), 5000);
    fixture().exec(QStringLiteral("COMMIT"));
    for (std::thread &caller : callers)
        caller.join();
    QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("0 0 1"), 5000);
}

void MetricsTest::shouldWriteWhatPromtoolAccepts()
{
    TestServer server(m_database->where());
    server.call(QStringLiteral("GetVendedores"), args::listing(QStringLiteral("0001"), QString(), QString()));
    server.call(QStringLiteral("GetVendedores"), args::listing(QStringLiteral("00001"), QString(), QString()));
    server.post("/sessao", R"({"operador": "OP7", "senha": "errada"})");
    server.post("/nada", "{}");
    const RawAnswer answer = getMetrics(server.port());
    QCOMPARE(answer.status, 200);
    QCOMPARE(answer.header("Content-Type"), QByteArray(commission::ServerMetrics::contentType.data()));
    const Samples samples = samplesOf(answer.body);
    QCOMPARE(samples.value(calls(QStringLiteral("POST /sessao"), 401)), 1.0);
    QCOMPARE(samples.value(calls(commission::ServerMetrics::otherMethod, 404)), 1.0);

    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (promtool.isEmpty())
        QSKIP("promtool não está instalado (pacote prometheus; scripts/install-deps o instala).");
    QProcess check;
    check.start(promtool, {QStringLiteral("check"), QStringLiteral("metrics")});
    QVERIFY(check.waitForStarted());
    check.write(answer.body);
    check.closeWriteChannel();
    QVERIFY(check.waitForFinished(30000));
    const QByteArray said = check.readAllStandardOutput() + check.readAllStandardError();
    QVERIFY2(check.exitCode() == 0 && said.trimmed().isEmpty(), said.constData());
}

void MetricsTest::shouldShowTheMetricsOnlyToWhoKnowsTheSecret_data()
{
    QTest::addColumn<QString>("secret");  // the server's
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("status");

    const QByteArray header = QByteArray::fromStdString(TestServer::secretHeader) + ": ";
    QTest::newRow("no secret on loopback") << "" << QByteArray() << 200;
    QTest::newRow("secret kept, nothing sent") << "s3gr3d0" << QByteArray() << 401;
    QTest::newRow("in the secret's header") << "s3gr3d0" << header + "s3gr3d0\r\n" << 200;
    QTest::newRow("as a bearer, as Prometheus sends it")
        << "s3gr3d0" << QByteArray("Authorization: Bearer s3gr3d0\r\n") << 200;
    QTest::newRow("a wrong bearer") << "s3gr3d0" << QByteArray("Authorization: Bearer s3gr3d\r\n") << 401;
    QTest::newRow("an operator's session is not the secret")
        << "s3gr3d0" << QByteArray(TestServer::authorizationLine()) << 401;
}

void MetricsTest::shouldShowTheMetricsOnlyToWhoKnowsTheSecret()
{
    QFETCH(QString, secret);
    QFETCH(QByteArray, sent);
    QFETCH(int, status);

    TestServer server(m_database->where(), secret);
    const RawAnswer answer = getMetrics(server.port(), sent);
    QCOMPARE(answer.status, status);
    QCOMPARE(answer.body.contains("commission_build_info"), status == 200);
}

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    MetricsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "metricstest.moc"
