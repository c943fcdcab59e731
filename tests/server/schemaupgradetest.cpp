#include "commissionfixture.h"
#include "serverprocess.h"
#include "testdatabase.h"
#include "testserver.h"

#include <connectionprovider.h>
#include <packetcodec.h>
#include <schema.h>
#include <sqlrunner.h>

#include <httplib.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <csignal>

using commission::Schema;

// The server brings a database of any earlier schema step up to the current
// one when it starts, keeping its data, and refuses one newer than it knows.
class SchemaUpgradeTest : public QObject {
    Q_OBJECT
public:
    explicit SchemaUpgradeTest(TestDatabase::Backend backend) : m_backend(backend) {}

private slots:
    void initTestCase();
    void shouldBringADatabaseOfAnEarlierStepUpKeepingItsData_data();
    void shouldBringADatabaseOfAnEarlierStepUpKeepingItsData();
    void shouldRefuseADatabaseNewerThanTheServer();

private:
    TestDatabase::Backend m_backend;
};

namespace {

// What the data of a database looks like, table by table.
QStringList contents(const CommissionFixture &data)
{
    QStringList seen;
    for (const QString &table : {QStringLiteral("ORCAEVENTO"), QStringLiteral("CONTAPAGAR"),
                                 QStringLiteral("ORCACOMISSAO"), QStringLiteral("AUDITCOMISSAO")})
        seen.append(QStringLiteral("%1 %2").arg(table).arg(data.count(table)));
    seen.append(data.value(QStringLiteral("SELECT SUM(VRCONTAPAGAR) FROM CONTAPAGAR")).toString());
    return seen;
}

// Starts the server on the database and stops it again: what it does at start.
int startAndStop(const database::ConnectionString &where, QString *output = nullptr)
{
    ServerProcess server;
    const bool started = server.start({QStringLiteral("--database"), ServerProcess::databaseArgument(where)});
    if (started)
        server.signal(SIGTERM);
    const int exitCode = server.waitForExit(20000);
    if (output)
        *output = server.output();
    return started ? exitCode : -exitCode - 100;
}

}  // namespace

void SchemaUpgradeTest::initTestCase()
{
    const QString reason = TestDatabase::unavailableReason(m_backend);
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    qInfo("Banco: %s", qPrintable(TestDatabase::backendName(m_backend)));
}

void SchemaUpgradeTest::shouldBringADatabaseOfAnEarlierStepUpKeepingItsData_data()
{
    QTest::addColumn<int>("step");
    for (int step = 1; step < Schema::latestVersion(); ++step)
        QTest::addRow("from step %d", step) << step;
}

void SchemaUpgradeTest::shouldBringADatabaseOfAnEarlierStepUpKeepingItsData()
{
    QFETCH(int, step);
    TestDatabase database(m_backend, QStringLiteral("schema_upgrade_%1").arg(step));
    QStringList before;
    {
        commission::ConnectionProvider connections(database.where());
        Schema::migrateTo(connections.database(), step);
        QCOMPARE(Schema::version(connections.database()), step);
        const CommissionFixture data(connections.database());
        // Quotes, two payables with their links, and a generation's audit
        // as the first step wrote it.
        data.write();
        data.exec(QStringLiteral("INSERT INTO AUDITCOMISSAO (IDOPERACAO, DTHRAUDITORIA, CDOPERADOR, CDFILIAL,"
                                 " CDVENDEDOR, NRCONTAPAGAR, QTORCAMENTOS, VRCOMISSAO)"
                                 " VALUES ('G', '2024-06-01 10:00:00', 'OP1', '0001', '0001', 101, 1, 80)"));
        before = contents(data);
    }

    QString output;
    QCOMPARE(startAndStop(database.where(), &output), 0);

    commission::ConnectionProvider connections(database.where());
    const CommissionFixture data(connections.database());
    QCOMPARE(Schema::version(connections.database()), Schema::latestVersion());
    QCOMPARE(contents(data), before);
    // The operators' tables of the later steps work: an operator is added,
    // granted, signs in and settles a quote with a reason on cancelling.
    const QStringList on{QStringLiteral("--database"), ServerProcess::databaseArgument(database.where())};
    ServerProcess::Finished added =
        ServerProcess::run(on
                               + QStringList{QStringLiteral("--add-operator"), QStringLiteral("GER1"),
                                             QStringLiteral("--name"), QStringLiteral("Gerente")},
                           "senha-do-gerente\n");
    QVERIFY2(added.exitCode == 0, qPrintable(added.output));
    added = ServerProcess::run(on
                               + QStringList{QStringLiteral("--grant"), QStringLiteral("GER1"),
                                             QStringLiteral("--branch"), QStringLiteral("*"),
                                             QStringLiteral("--rights"), QStringLiteral("consultar,gerar,cancelar")});
    QVERIFY2(added.exitCode == 0, qPrintable(added.output));

    ServerProcess server;
    QVERIFY2(server.start(on), qPrintable(server.output()));
    httplib::Client client("127.0.0.1", server.port());
    const httplib::Result signedIn =
        client.Post("/sessao", R"({"operador": "GER1", "senha": "senha-do-gerente"})", "application/json");
    QVERIFY(signedIn);
    QCOMPARE(signedIn->status, 200);
    const std::string bearer = "Bearer "
                               + QJsonDocument::fromJson(QByteArray::fromStdString(signedIn->body))
                                     .object()
                                     .value(QStringLiteral("sessao"))
                                     .toString()
                                     .toStdString();
    const QJsonArray quote{args::packet(packet::toJson(CommissionFixture::quotesPacket({{1, 5}}))),
                           args::text(QStringLiteral("GER1"), false)};
    QJsonArray cancellation = quote;
    cancellation.append(args::text(QStringLiteral("Cliente desistiu"), false));
    for (const auto &[method, arguments] : {std::pair{"SetComissao", quote}, {"SetCancelaComissao", cancellation}}) {
        const TestServer::Reply reply =
            TestServer::callPort(server.port(), QString::fromLatin1(method), arguments, {{"Authorization", bearer}});
        QVERIFY2(reply.status == 200, qPrintable(QStringLiteral("%1: %2").arg(method).arg(reply.error)));
    }
    server.signal(SIGTERM);
    QCOMPARE(server.waitForExit(20000), 0);
    QCOMPARE(data.value(QStringLiteral("SELECT DSMOTIVO FROM AUDITCOMISSAO WHERE IDOPERACAO = 'C'")).toString(),
             QStringLiteral("Cliente desistiu"));
    const QStringList faults = data.moneyFaults();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

void SchemaUpgradeTest::shouldRefuseADatabaseNewerThanTheServer()
{
    TestDatabase database(m_backend, QStringLiteral("schema_newer"));
    const int newer = Schema::latestVersion() + 2;
    {
        commission::ConnectionProvider connections(database.where());
        Schema::migrate(connections.database());
        commission::SqlRunner::run(connections.database(),
                                   QStringLiteral("INSERT INTO SCHEMAVERSAO (NRVERSAO) VALUES (?)"), {newer});
    }
    QString output;
    QCOMPARE(startAndStop(database.where(), &output), -101);
    const QString expected = QStringLiteral("O banco está na versão %1 do esquema, mas este servidor conhece até a %2."
                                            " Atualize o servidor.")
                                 .arg(newer)
                                 .arg(Schema::latestVersion());
    QVERIFY2(output.contains(expected), qPrintable(output));
    commission::ConnectionProvider connections(database.where());
    QCOMPARE(Schema::version(connections.database()), newer);
}

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    int status = 0;
    for (TestDatabase::Backend backend : {TestDatabase::Backend::Sqlite, TestDatabase::Backend::Postgres}) {
        SchemaUpgradeTest test(backend);
        status |= QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "schemaupgradetest.moc"
