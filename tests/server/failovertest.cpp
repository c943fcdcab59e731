#include "commissionfixture.h"
#include "testdatabase.h"
#include "testserver.h"
#include <remotecontract.h>

#include <connectionprovider.h>
#include <operatorrepository.h>
#include <packetcodec.h>
#include <secrets.h>
#include <tnetconnection.h>
#include <writetransaction.h>

#include <httplib.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <mutex>
#include <thread>

// Two commission servers on one PostgreSQL database behind HAProxy, with the
// repository's balancer configuration; one server is killed in the middle of
// listings and generations and started again.
class FailoverTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void shouldHonourASessionOnEveryServerAndARevocationWithinTwoSeconds();
    void shouldKeepServingAndKeepMoneyWholeWhenAServerDies();

private:
    void startServer(int index, int port);
    void startBalancer();
    // HAProxy's view of a server: "UP", "DOWN", ... and how many calls it got.
    QPair<QString, qint64> serverState(int index);
    CommissionFixture fixture() { return CommissionFixture(m_connections->database()); }

    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
    QTemporaryDir m_dir;
    QString m_haproxy;
    std::unique_ptr<QProcess> m_servers[2];
    int m_serverPorts[2] = {0, 0};
    QProcess m_balancer;
    int m_balancerPort = 0;
    int m_statsPort = 0;
};

namespace {

QString databaseUrl(const database::ConnectionString &where)
{
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(where.user, where.host)
        .arg(where.port)
        .arg(where.databaseName);
}

// A port that was free a moment ago, for HAProxy, which cannot report the
// port it took.
int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QByteArray httpGet(int port, const QByteArray &path)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!socket.waitForConnected(2000))
        return {};
    socket.write("GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray answer;
    while (socket.waitForReadyRead(2000))
        answer += socket.readAll();
    return answer;
}

QVector<ServiceArgument> listing(const QString &branch, const QString &salesperson, bool list)
{
    return {ServiceArgument::text(branch, true),
            ServiceArgument::text(salesperson, list),
            ServiceArgument::text(QString(), true),
            ServiceArgument::text(QStringLiteral("EVENTO"), false),
            ServiceArgument::text(QStringLiteral("S"), false),
            ServiceArgument::date(45413, true),
            ServiceArgument::date(45443, true),
            ServiceArgument::text(QStringLiteral("N"), true)};
}

QVector<ServiceArgument> marked(const QVector<int> &quotes, bool cancelling)
{
    QVector<CommissionFixture::Row> rows;
    for (int quote : quotes)
        rows.append({quote, 5});
    QVector<ServiceArgument> arguments{ServiceArgument::packet(packet::toJson(CommissionFixture::quotesPacket(rows))),
                                       ServiceArgument::text(TestServer::operatorCode, false)};
    if (cancelling)
        arguments.append(ServiceArgument::text(QStringLiteral("Evento cancelado pelo cliente"), false));
    return arguments;
}

}  // namespace

void FailoverTest::initTestCase()
{
    const QString reason = TestDatabase::unavailableReason(TestDatabase::Backend::Postgres);
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    m_haproxy = qEnvironmentVariable("COMMISSION_TEST_HAPROXY");
    if (m_haproxy.isEmpty())
        QSKIP("COMMISSION_TEST_HAPROXY não definida: o teste de failover precisa do HAProxy.");
    m_database = std::make_unique<TestDatabase>(TestDatabase::Backend::Postgres, QStringLiteral("failover_test"));
    m_database->reset();
    m_connections = std::make_unique<commission::ConnectionProvider>(m_database->where());
    fixture().write();
    TestServer::provideOperator(m_connections->database());
    for (int i = 0; i < 2; ++i)
        startServer(i, 0);
    startBalancer();
}

void FailoverTest::cleanupTestCase()
{
    m_balancer.terminate();
    m_balancer.waitForFinished();
    for (auto &server : m_servers) {
        if (server) {
            server->kill();
            server->waitForFinished();
        }
    }
    m_connections.reset();
    m_database.reset();
}

void FailoverTest::startServer(int index, int port)
{
    auto server = std::make_unique<QProcess>();
    server->setProcessChannelMode(QProcess::MergedChannels);
    server->start(QCoreApplication::applicationDirPath() + QStringLiteral("/commission-server"),
                  {QStringLiteral("--database"), databaseUrl(m_database->where()), QStringLiteral("--port"),
                   QString::number(port), QStringLiteral("--threads"), QStringLiteral("4")});
    QVERIFY(server->waitForStarted());
    QByteArray output;
    const QRegularExpression address(QStringLiteral(R"(http://127\.0\.0\.1:(\d+))"));
    QTRY_VERIFY_WITH_TIMEOUT(address.match(QString::fromUtf8(output += server->readAll())).hasMatch(), 10000);
    m_serverPorts[index] = address.match(QString::fromUtf8(output)).captured(1).toInt();
    m_servers[index] = std::move(server);
}

void FailoverTest::startBalancer()
{
    QFile servers(m_dir.filePath(QStringLiteral("servers.cfg")));
    QVERIFY(servers.open(QIODevice::WriteOnly));
    servers.write("backend commission_servers\n");
    for (int i = 0; i < 2; ++i)
        servers.write(QStringLiteral("    server s%1 127.0.0.1:%2\n").arg(i + 1).arg(m_serverPorts[i]).toUtf8());
    servers.close();
    m_balancerPort = freePort();
    m_statsPort = freePort();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("COMMISSION_BALANCER_PORT"), QString::number(m_balancerPort));
    environment.insert(QStringLiteral("COMMISSION_HAPROXY_STATS_PORT"), QString::number(m_statsPort));
    environment.insert(QStringLiteral("COMMISSION_HAPROXY_METRICS_PORT"), QString::number(freePort()));
    m_balancer.setProcessEnvironment(environment);
    m_balancer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_balancer.start(m_haproxy, {QStringLiteral("-db"), QStringLiteral("-q"), QStringLiteral("-f"),
                                 QStringLiteral(COMMISSION_HAPROXY_CONFIG), QStringLiteral("-f"), servers.fileName()});
    QVERIFY(m_balancer.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(serverState(0).first == QLatin1String("UP") && serverState(1).first == QLatin1String("UP"),
                             10000);
}

QPair<QString, qint64> FailoverTest::serverState(int index)
{
    const QByteArray answer = httpGet(m_statsPort, "/stats;csv");
    const QByteArray name = "commission_servers,s" + QByteArray::number(index + 1) + ",";
    for (const QByteArray &line : answer.split('\n')) {
        if (line.startsWith(name)) {
            const QList<QByteArray> columns = line.split(',');
            return {QString::fromLatin1(columns.value(17)), columns.value(7).toLongLong()};  // status, total sessions
        }
    }
    return {};
}

void FailoverTest::shouldHonourASessionOnEveryServerAndARevocationWithinTwoSeconds()
{
    {
        const QSqlDatabase db = m_connections->database();
        commission::WriteTransaction transaction(db);
        commission::OperatorRepository operators(db);
        operators.add({QStringLiteral("CLUSTER"), QStringLiteral("Operadora do cluster"), true,
                       commission::Secrets::hashPassword(QStringLiteral("senha-do-cluster"))});
        operators.grant(QStringLiteral("CLUSTER"), QStringLiteral("0001"), {QStringLiteral("consultar")});
        transaction.commit();
    }
    // Signed in on the first server...
    httplib::Client first("127.0.0.1", m_serverPorts[0]);
    const httplib::Result signedIn =
        first.Post("/sessao", R"({"operador": "CLUSTER", "senha": "senha-do-cluster"})", "application/json");
    QVERIFY(signedIn);
    QCOMPARE(signedIn->status, 200);
    const std::string token = QJsonDocument::fromJson(QByteArray::fromStdString(signedIn->body))
                                  .object()
                                  .value("sessao")
                                  .toString()
                                  .toStdString();
    const std::map<std::string, std::string> session{{"Authorization", "Bearer " + token}};
    const auto list = [&](int server) {
        return TestServer::callPort(m_serverPorts[server], QStringLiteral("GetVendedores"),
                                    args::listing(QStringLiteral("0001"), QString(), QString()), session)
            .status;
    };
    // ... honoured by the second.
    QCOMPARE(list(1), 200);
    QCOMPARE(list(0), 200);
    {
        commission::WriteTransaction transaction(m_connections->database());
        commission::OperatorRepository(m_connections->database()).revoke(QStringLiteral("CLUSTER"), "0001");
        transaction.commit();
    }
    // Each server reads a session again after a second; the margin is the
    // loaded machine's.
    QTRY_COMPARE_WITH_TIMEOUT(list(1), 403, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(list(0), 403, 2500);
}

void FailoverTest::shouldKeepServingAndKeepMoneyWholeWhenAServerDies()
{
    std::atomic<bool> stop{false};
    std::atomic<int> readsDone{0};
    std::mutex mutex;
    QStringList readFailures;
    int writeTransportFailures = 0;

    const auto connection = [this](TNetConnection &net) {
        net.ServerName = contract::RemoteContract::objectName;
        net.Host = QStringLiteral("127.0.0.1");
        net.Port = m_balancerPort;
        net.ReadTimeoutMs = 10000;
        net.BearerToken = QString::fromLatin1(TestServer::token);
    };
    const auto reader = [&](const QString &branch) {
        TNetConnection net;
        connection(net);
        while (!stop) {
            try {
                net.call(QStringLiteral("GetVendedores"), listing(branch, QString(), true),
                         TNetConnection::Retry::OnceOnTransportFailure);
                net.call(QStringLiteral("GetOrcamentos"), listing(branch, QStringLiteral("0001"), false),
                         TNetConnection::Retry::OnceOnTransportFailure);
                ++readsDone;
            } catch (const std::exception &error) {
                const std::lock_guard lock(mutex);
                readFailures.append(QString::fromUtf8(error.what()));
            }
        }
    };
    // Generations and cancellations, never retried: a lost answer is a
    // failure the operator sees, never a second payable.
    const auto writer = [&](const QVector<int> &quotes) {
        TNetConnection net;
        connection(net);
        while (!stop) {
            for (const QString &method : {QStringLiteral("SetComissao"), QStringLiteral("SetCancelaComissao")}) {
                try {
                    net.call(method, marked(quotes, method == QLatin1String("SetCancelaComissao")));
                } catch (const TransportError &) {
                    const std::lock_guard lock(mutex);
                    ++writeTransportFailures;
                } catch (const RemoteCallError &) {
                    // A business refusal (already generated by the other writer) is fine.
                }
            }
        }
    };
    std::vector<std::thread> clients;
    clients.emplace_back(reader, QStringLiteral("0001"));
    clients.emplace_back(reader, QStringLiteral("0002"));
    clients.emplace_back(writer, QVector<int>{1, 3});
    clients.emplace_back(writer, QVector<int>{5});
    clients.emplace_back(writer, QVector<int>{9});  // the same quote ...
    clients.emplace_back(writer, QVector<int>{9});  // ... from two screens

    QTRY_VERIFY_WITH_TIMEOUT(readsDone > 20, 10000);
    const int deadPort = m_serverPorts[0];
    ::kill(pid_t(m_servers[0]->processId()), SIGKILL);
    m_servers[0]->waitForFinished();

    // The balancer stops sending to it within a few seconds ...
    QTRY_VERIFY_WITH_TIMEOUT(serverState(0).first.startsWith(QLatin1String("DOWN")), 10000);
    const qint64 callsWhenDown = serverState(0).second;
    const int readsWhenDown = readsDone;
    QTRY_VERIFY_WITH_TIMEOUT(readsDone > readsWhenDown + 20, 10000);
    QCOMPARE(serverState(0).second, callsWhenDown);

    // ... and sends to it again once it is back.
    startServer(0, deadPort);
    QTRY_COMPARE_WITH_TIMEOUT(serverState(0).first, QStringLiteral("UP"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(serverState(0).second > callsWhenDown, 10000);
    const int readsWhenBack = readsDone;
    QTRY_VERIFY_WITH_TIMEOUT(readsDone > readsWhenBack + 20, 10000);

    stop = true;
    for (std::thread &client : clients)
        client.join();

    QVERIFY2(readFailures.isEmpty(), qPrintable(readFailures.join(QLatin1Char('\n'))));
    qInfo("Chamadas de escrita perdidas com o servidor: %d", writeTransportFailures);

    // The money is whole, and no quote is settled twice (its key allows one link).
    const QStringList faults = fixture().moneyFaults();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    FailoverTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "failovertest.moc"
