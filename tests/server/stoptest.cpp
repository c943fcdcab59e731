#include "commissionfixture.h"
#include "serverprocess.h"
#include "testdatabase.h"
#include "testserver.h"

#include <connectionprovider.h>
#include <packetcodec.h>
#include <serverprogram.h>
#include <writetransaction.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using commission::QuoteKey;

// The server's stop on SIGTERM, on the real executable and both engines:
// what it answered is in the database, what it did not answer is not, and
// no payable is left half written.
class StopTest : public QObject {
    Q_OBJECT
public:
    explicit StopTest(TestDatabase::Backend backend) : m_backend(backend) {}

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void shouldFinishAndAnswerTheGenerationRunningWhenTheStopComes();
    void shouldLoseNothingWhenSixteenClientsGenerateAndCancelThroughTheStop();
    void shouldRollBackAndExitNonZeroWhatStillRunsAtTheDeadline();

private:
    CommissionFixture fixture() { return CommissionFixture(m_connections->database()); }
    bool postgres() const { return m_backend == TestDatabase::Backend::Postgres; }
    QStringList serverArguments() const
    {
        return {QStringLiteral("--database"), ServerProcess::databaseArgument(m_database->where())};
    }
    // Whether another process holds a write transaction open on the database.
    bool writerAtWork();
    void verifyMoneyIsWhole()
    {
        const QStringList faults = fixture().moneyFaults();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    TestDatabase::Backend m_backend;
    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
};

namespace {

QJsonArray generationOf(const QVector<QuoteKey> &keys)
{
    return args::generation(packet::toJson(CommissionFixture::quotesPacket(keys, 5)));
}

QJsonArray cancellationOf(const QVector<QuoteKey> &keys)
{
    return args::cancellation(packet::toJson(CommissionFixture::quotesPacket(keys, 5)));
}

}  // namespace

void StopTest::initTestCase()
{
    const QString reason = TestDatabase::unavailableReason(m_backend);
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    qInfo("Banco: %s", qPrintable(TestDatabase::backendName(m_backend)));
    m_database = std::make_unique<TestDatabase>(m_backend, QStringLiteral("stop_test"));
}

void StopTest::init()
{
    m_database->reset();
    m_connections = std::make_unique<commission::ConnectionProvider>(m_database->where());
    fixture().write();
    TestServer::provideOperator(m_connections->database());
}

void StopTest::cleanup()
{
    m_connections.reset();
}

void StopTest::cleanupTestCase()
{
    m_database.reset();
}

bool StopTest::writerAtWork()
{
    if (postgres()) {
        return fixture()
                   .value(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database()"
                                         " AND pid <> pg_backend_pid() AND backend_xid IS NOT NULL"))
                   .toInt()
               > 0;
    }
    // SQLite's writer in WAL mode holds the write lock, a byte of the
    // shared-memory file, from its BEGIN IMMEDIATE to its commit; asking who
    // holds it takes nothing.
    const int shm = ::open(QFile::encodeName(m_database->where().databaseName + QStringLiteral("-shm")), O_RDONLY);
    if (shm < 0)
        return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 120;
    lock.l_len = 1;
    const bool held = ::fcntl(shm, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(shm);
    return held;
}

void StopTest::shouldFinishAndAnswerTheGenerationRunningWhenTheStopComes()
{
    const QVector<QuoteKey> keys = fixture().writeQuotes(QStringLiteral("0002"), 7000000000, 5000);
    const qint64 payablesBefore = fixture().count(QStringLiteral("CONTAPAGAR"));
    ServerProcess server;
    QVERIFY2(server.start(serverArguments()), qPrintable(server.output()));

    std::atomic<bool> answered{false};
    TestServer::Reply reply;
    std::jthread generation([&] {
        reply = TestServer::callPort(server.port(), QStringLiteral("SetComissao"), generationOf(keys));
        answered = true;
    });
    // SIGTERM while the generation's transaction is open.
    bool caughtRunning = false;
    QVERIFY(QTest::qWaitFor([&] { return answered || (caughtRunning = writerAtWork()); }, 30000));
    server.signal(SIGTERM);
    generation.join();
    QCOMPARE(server.waitForExit(30000), 0);
    QVERIFY2(caughtRunning, "the generation ended before the stop came");

    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.result.toString(), QString());
    QCOMPARE(fixture().count(QStringLiteral("CONTAPAGAR")), payablesBefore + 1);
    QCOMPARE(
        fixture().value(QStringLiteral("SELECT COUNT(*) FROM ORCACOMISSAO WHERE NRORCAEVENTO >= '7000000000'")).toInt(),
        5000);
    verifyMoneyIsWhole();
}

void StopTest::shouldLoseNothingWhenSixteenClientsGenerateAndCancelThroughTheStop()
{
    constexpr int clients = 16;
    constexpr int quotesEach = 3;
    const QVector<QuoteKey> keys = fixture().writeQuotes(QStringLiteral("0002"), 7100000000, clients * quotesEach);
    ServerProcess server;
    QVERIFY2(server.start(serverArguments()), qPrintable(server.output()));

    // What each client was answered, in order: true for a generation, false
    // for a cancellation, of all its quotes; it stops at its first call
    // without a 200.
    struct Client {
        QVector<bool> answered;
        int unanswered = 0;
    };
    Client results[clients];
    std::atomic<int> answeredCalls{0};
    std::vector<std::jthread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            const QVector<QuoteKey> own = keys.mid(c * quotesEach, quotesEach);
            for (int call = 0; call < 400; ++call) {
                const bool generate = call % 2 == 0;
                const TestServer::Reply reply = TestServer::callPort(
                    server.port(), generate ? QStringLiteral("SetComissao") : QStringLiteral("SetCancelaComissao"),
                    generate ? generationOf(own) : cancellationOf(own));
                const bool done = reply.status == 200
                                  && (generate ? reply.result.toString().isEmpty()
                                               : reply.result.toObject().value(QStringLiteral("rows")).toArray().size()
                                                     == quotesEach);
                if (!done) {
                    results[c].unanswered = reply.status == 0 ? 1 : reply.status;
                    return;
                }
                results[c].answered.append(generate);
                ++answeredCalls;
            }
        });
    }
    QTRY_VERIFY_WITH_TIMEOUT(answeredCalls >= clients * 4, 30000);
    server.signal(SIGTERM);
    for (std::jthread &thread : threads)
        thread.join();
    QCOMPARE(server.waitForExit(30000), 0);

    for (int c = 0; c < clients; ++c) {
        const Client &client = results[c];
        QVERIFY2(client.unanswered <= 1, qPrintable(QStringLiteral("client %1 got %2").arg(c).arg(client.unanswered)));
        const QuoteKey first = keys[c * quotesEach];
        const auto audited = [&](const char *operation) {
            return fixture()
                .value(QStringLiteral("SELECT COUNT(*) FROM AUDITCOMISSAOORC D JOIN AUDITCOMISSAO A"
                                      " ON A.NRAUDITCOMISSAO = D.NRAUDITCOMISSAO WHERE A.IDOPERACAO = ?"
                                      " AND D.CDFILIAL = ? AND D.NRORCAEVENTO = ? AND D.NRSEQORCAEVE = ?"),
                       {QString::fromLatin1(operation), first.branch, first.number, first.sequence})
                .toInt();
        };
        // Every answered call is in the books, and nothing else.
        QCOMPARE(audited("G"), int(client.answered.count(true)));
        QCOMPARE(audited("C"), int(client.answered.count(false)));
        const int linked =
            fixture()
                .value(
                    QStringLiteral("SELECT COUNT(*) FROM ORCACOMISSAO WHERE NRORCAEVENTO >= ? AND NRORCAEVENTO <= ?"),
                    {first.number, keys[c * quotesEach + quotesEach - 1].number})
                .toInt();
        QCOMPARE(linked, !client.answered.isEmpty() && client.answered.last() ? quotesEach : 0);
    }
    verifyMoneyIsWhole();
}

void StopTest::shouldRollBackAndExitNonZeroWhatStillRunsAtTheDeadline()
{
    // The test holds what the generation needs: SQLite's write lock, or on
    // PostgreSQL an uncommitted link of the quote, which the generation's
    // own link waits for after it has written its payable.
    const qint64 payablesBefore = fixture().count(QStringLiteral("CONTAPAGAR"));
    const qint64 auditBefore = fixture().count(QStringLiteral("AUDITCOMISSAO"));
    ServerProcess server;
    QVERIFY2(server.start(serverArguments() + QStringList{QStringLiteral("--stop-timeout"), QStringLiteral("1")}),
             qPrintable(server.output()));
    TestServer::Reply reply;
    {
        commission::WriteTransaction held(m_connections->database());
        if (postgres())
            fixture().exec(QStringLiteral("INSERT INTO ORCACOMISSAO (CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE,"
                                          " NRCONTAPAGAR, VRPERCCOMIS, VRCOMISSAO)"
                                          " VALUES ('0001', '0000000001', '01', 101, 5, 50)"));
        std::jthread generation([&] {
            reply = TestServer::callPort(server.port(), QStringLiteral("SetComissao"),
                                         generationOf({CommissionFixture::key(1)}));
        });
        if (postgres())
            QTRY_VERIFY_WITH_TIMEOUT(
                fixture().value(QStringLiteral("SELECT COUNT(*) FROM pg_locks WHERE NOT granted")).toInt() > 0, 10000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(server.threadsSleeping() > 0, 30000);
        server.signal(SIGTERM);
        QCOMPARE(server.waitForExit(20000), commission::ServerProgram::abandonedExitCode);
        generation.join();
        // `held` rolls back here: the test's own link goes too.
    }
    QVERIFY2(server.output().contains(QStringLiteral("SetComissao ainda em curso no fim do prazo de 1 s")),
             qPrintable(server.output()));
    QVERIFY(reply.status != 200);
    QCOMPARE(fixture().count(QStringLiteral("CONTAPAGAR")), payablesBefore);
    QCOMPARE(fixture().count(QStringLiteral("AUDITCOMISSAO")), auditBefore);
    verifyMoneyIsWhole();
}

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    int status = 0;
    for (TestDatabase::Backend backend : {TestDatabase::Backend::Sqlite, TestDatabase::Backend::Postgres}) {
        StopTest test(backend);
        status |= QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "stoptest.moc"
