#include "commissionfixture.h"
#include "testdatabase.h"
#include "testserver.h"

#include <connectionprovider.h>
#include <packetcodec.h>
#include <payablerepository.h>
#include <quoterepository.h>
#include <writetransaction.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QScopeGuard>
#include <QTest>

#include <latch>
#include <thread>

using commission::QuoteCommission;

// Generation and cancellation under interleavings, on both engines. After
// each, the money must be whole: every payable equals the sum of its links,
// every link has its audit row, every payable's audit adds up to what it holds
// now, and no quote is settled twice.
class MoneyPathTest : public QObject {
    Q_OBJECT
public:
    explicit MoneyPathTest(TestDatabase::Backend backend) : m_backend(backend) {}

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void shouldSettleTheNewPayableWhenACancellationWaitsWhileTheQuoteIsCancelledAndGeneratedAgain();
    void shouldChangeNothingTwiceWhenTwoCancellationsRace();
    void shouldCreateOnePayableWhenGenerationsListTheQuotesInOppositeOrders();
    void shouldRetryAGenerationTheDatabaseGaveUpOnceAndAnswerBusyTheSecondTime_data();
    void shouldRetryAGenerationTheDatabaseGaveUpOnceAndAnswerBusyTheSecondTime();

private:
    CommissionFixture fixture() { return CommissionFixture(m_connections->database()); }
    qint64 generateThroughServer(const QVector<int> &quotes);
    // Starts a cancellation of the quote through the server and returns once
    // it waits for the lock the test holds (on PostgreSQL; SQLite writers
    // queue on the database lock, whenever the call arrives).
    std::jthread cancelInBackground(int quote, TestServer::Reply *reply);
    void waitUntilTheServerWaitsForALock();
    // What another operator's cancellation of the quote does, inside the
    // test's open transaction.
    void cancelHere(int quote, qint64 payable);
    qint64 generateHere(int quote, qint64 likePayable);
    qint64 fixturePayableOfAna()
    {
        return fixture()
            .value(QStringLiteral("SELECT MIN(NRCONTAPAGAR) FROM CONTAPAGAR WHERE CDVENDEDOR = '0001'"))
            .toLongLong();
    }
    void verifyMoneyIsWhole();

    TestDatabase::Backend m_backend;
    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
    std::unique_ptr<TestServer> m_server;
    // The fixture's own payables, which have no audit rows.
    static constexpr const char *fixturePayables = "(101, 102)";
};

namespace {

QJsonArray quotesArgument(const QVector<int> &quotes, const QString &operatorCode)
{
    QVector<CommissionFixture::Row> rows;
    for (int quote : quotes)
        rows.append({quote, 5});
    QJsonArray arguments{args::packet(packet::toJson(CommissionFixture::quotesPacket(rows)))};
    if (!operatorCode.isEmpty())
        arguments.append(args::text(operatorCode, false));
    return arguments;
}

QJsonArray cancellationOf(const QVector<int> &quotes)
{
    QJsonArray arguments = quotesArgument(quotes, TestServer::operatorCode);
    arguments.append(args::text(QStringLiteral("Evento cancelado pelo cliente"), false));
    return arguments;
}

}  // namespace

void MoneyPathTest::initTestCase()
{
    const QString reason = TestDatabase::unavailableReason(m_backend);
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    qInfo("Banco: %s", qPrintable(TestDatabase::backendName(m_backend)));
    m_database = std::make_unique<TestDatabase>(m_backend, QStringLiteral("money_path_test"));
}

void MoneyPathTest::init()
{
    m_database->reset();
    m_connections = std::make_unique<commission::ConnectionProvider>(m_database->where());
    fixture().write();
    m_server = std::make_unique<TestServer>(m_database->where());
    QVERIFY(m_server->port() > 0);
}

void MoneyPathTest::cleanup()
{
    m_server.reset();
    m_connections.reset();
}

void MoneyPathTest::cleanupTestCase()
{
    m_database.reset();
}

qint64 MoneyPathTest::generateThroughServer(const QVector<int> &quotes)
{
    const TestServer::Reply reply = m_server->call(QStringLiteral("SetComissao"), quotesArgument(quotes, "OP7"));
    if (reply.status != 200 || !reply.result.toString().isEmpty())
        return 0;
    const commission::QuoteKey key = CommissionFixture::key(quotes.first());
    return fixture()
        .value(QStringLiteral("SELECT NRCONTAPAGAR FROM ORCACOMISSAO WHERE CDFILIAL = ? AND NRORCAEVENTO = ?"
                              " AND NRSEQORCAEVE = ?"),
               {key.branch, key.number, key.sequence})
        .toLongLong();
}

std::jthread MoneyPathTest::cancelInBackground(int quote, TestServer::Reply *reply)
{
    std::jthread cancellation([this, quote, reply] {
        *reply = m_server->call(QStringLiteral("SetCancelaComissao"), cancellationOf({quote}));
    });
    waitUntilTheServerWaitsForALock();
    return cancellation;
}

void MoneyPathTest::waitUntilTheServerWaitsForALock()
{
    // On SQLite the test holds the write lock: a call running now cannot
    // write before the test commits, so the two interleave.
    if (m_backend != TestDatabase::Backend::Postgres) {
        QTRY_COMPARE_WITH_TIMEOUT(m_server->gauge("commission_busy_workers"), qint64(1), 10000);
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        fixture().value(QStringLiteral("SELECT COUNT(*) FROM pg_locks WHERE NOT granted")).toInt() > 0, 10000);
}

void MoneyPathTest::cancelHere(int quote, qint64 payable)
{
    const QSqlDatabase db = m_connections->database();
    commission::PayableRepository payables(db);
    const QVector<QuoteCommission> links =
        commission::QuoteRepository(db).generatedCommissions({CommissionFixture::key(quote)});
    QCOMPARE(links.size(), 1);
    QCOMPARE(links[0].payable, payable);
    payables.removeCommissions(payable, {CommissionFixture::key(quote)});
    payables.settleAmount(payable);
    payables.writeAudit(commission::AuditEntry{
        commission::AuditEntry::Operation::Cancellation, QDateTime::currentDateTime(), QStringLiteral("OP9"), QString(),
        QStringLiteral("0001"), QStringLiteral("0001"), payable, links, QStringLiteral("Evento cancelado")});
}

qint64 MoneyPathTest::generateHere(int quote, qint64 likePayable)
{
    const QSqlDatabase db = m_connections->database();
    commission::PayableRepository payables(db);
    commission::NewPayable payable;
    payable.branch = QStringLiteral("0001");
    payable.salesperson = QStringLiteral("0001");
    for (auto [field, column] : {std::pair{&payable.supplier, "CDFORNECED"},
                                 {&payable.accountType, "CDTPCTPAGAR"},
                                 {&payable.operationType, "CDTPOPENTACE"},
                                 {&payable.series, "CDSERIEENTR"}}) {
        // As the payable of the fixture's quote 2, Ana's too.
        *field =
            fixture()
                .value(
                    QStringLiteral("SELECT %1 FROM CONTAPAGAR WHERE NRCONTAPAGAR = ?").arg(QString::fromLatin1(column)),
                    {likePayable})
                .toString();
    }
    const qint64 cents = 5000;  // 5 % of 1,000.00
    payable.description = QStringLiteral("Comissão");
    payable.amountCents = cents;
    payable.issued = QDate::currentDate();
    payable.due = payable.issued.addDays(30);
    payable.operatorCode = QStringLiteral("OP9");
    payable.createdAt = QDateTime::currentDateTime();
    const qint64 number = payables.insertPayable(payable);
    const QVector<QuoteCommission> links{QuoteCommission{CommissionFixture::key(quote), number, 5000, cents}};
    if (!payables.insertCommissions(links))
        return 0;
    payables.writeAudit(commission::AuditEntry{
        commission::AuditEntry::Operation::Generation, QDateTime::currentDateTime(), QStringLiteral("OP9"), QString(),
        QStringLiteral("0001"), QStringLiteral("0001"), number, links, QString()});
    return number;
}

void MoneyPathTest::verifyMoneyIsWhole()
{
    const QStringList faults = fixture().moneyFaults();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

void MoneyPathTest::shouldSettleTheNewPayableWhenACancellationWaitsWhileTheQuoteIsCancelledAndGeneratedAgain()
{
    const qint64 first = generateThroughServer({1});
    QVERIFY(first > 0);

    TestServer::Reply reply;
    std::jthread cancellation;
    {
        commission::WriteTransaction other(m_connections->database());
        // Another operator holds the first payable ...
        fixture().value(
            QStringLiteral("SELECT NRCONTAPAGAR FROM CONTAPAGAR WHERE NRCONTAPAGAR = ?%1")
                .arg(m_backend == TestDatabase::Backend::Postgres ? QStringLiteral(" FOR UPDATE") : QString()),
            {first});
        cancellation = cancelInBackground(1, &reply);
        // ... cancels the quote and generates it again into a new payable.
        cancelHere(1, first);
        QVERIFY(generateHere(1, fixturePayableOfAna()) != first);
        other.commit();
    }
    cancellation.join();

    QCOMPARE(reply.status, 200);
    // The waiting cancellation found the quote in the new payable and
    // cancelled it there, lowering that payable and auditing it.
    QCOMPARE(reply.result.toObject().value(QStringLiteral("rows")).toArray().size(), 1);
    QCOMPARE(fixture()
                 .value(QStringLiteral("SELECT COUNT(*) FROM ORCACOMISSAO WHERE NRCONTAPAGAR NOT IN %1")
                            .arg(QLatin1String(fixturePayables)))
                 .toInt(),
             0);
    verifyMoneyIsWhole();
}

void MoneyPathTest::shouldChangeNothingTwiceWhenTwoCancellationsRace()
{
    const qint64 payable = generateThroughServer({1, 3});
    QVERIFY(payable > 0);

    TestServer::Reply reply;
    std::jthread cancellation;
    {
        commission::WriteTransaction other(m_connections->database());
        fixture().value(
            QStringLiteral("SELECT NRCONTAPAGAR FROM CONTAPAGAR WHERE NRCONTAPAGAR = ?%1")
                .arg(m_backend == TestDatabase::Backend::Postgres ? QStringLiteral(" FOR UPDATE") : QString()),
            {payable});
        cancellation = cancelInBackground(1, &reply);
        cancelHere(1, payable);
        other.commit();
    }
    cancellation.join();

    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.result.toObject().value(QStringLiteral("rows")).toArray().size(), 0);
    // The payable keeps the other quote, at its commission alone.
    QCOMPARE(
        fixture().value(QStringLiteral("SELECT COUNT(*) FROM ORCACOMISSAO WHERE NRCONTAPAGAR = ?"), {payable}).toInt(),
        1);
    verifyMoneyIsWhole();
}

void MoneyPathTest::shouldCreateOnePayableWhenGenerationsListTheQuotesInOppositeOrders()
{
    for (int round = 0; round < 50; ++round) {
        const qint64 payablesBefore = fixture().count(QStringLiteral("CONTAPAGAR"));
        TestServer::Reply replies[2];
        std::latch start(2);
        std::thread generations[2];
        const QVector<int> orders[2] = {{1, 3, 9}, {9, 3, 1}};
        for (int i = 0; i < 2; ++i) {
            generations[i] = std::thread([&, i] {
                const QJsonArray arguments = quotesArgument(orders[i], TestServer::operatorCode);
                start.arrive_and_wait();
                replies[i] = m_server->call(QStringLiteral("SetComissao"), arguments);
            });
        }
        for (std::thread &generation : generations)
            generation.join();
        QStringList answers;
        for (const TestServer::Reply &reply : replies) {
            QVERIFY2(reply.status == 200,
                     qPrintable(QStringLiteral("round %1: %2 %3").arg(round).arg(reply.status).arg(reply.error)));
            answers.append(reply.result.toString());
        }
        answers.sort();
        QCOMPARE(answers, QStringList({QString(), QStringLiteral("COMISSAO_GERADA")}));
        QCOMPARE(fixture().count(QStringLiteral("CONTAPAGAR")), payablesBefore + 1);
        verifyMoneyIsWhole();
        const TestServer::Reply cancelled =
            m_server->call(QStringLiteral("SetCancelaComissao"), cancellationOf({1, 3, 9}));
        QCOMPARE(cancelled.status, 200);
    }
    QVERIFY(!m_server->logLines().join('\n').contains(QStringLiteral(" status=500 ")));
}

void MoneyPathTest::shouldRetryAGenerationTheDatabaseGaveUpOnceAndAnswerBusyTheSecondTime_data()
{
    QTest::addColumn<int>("conflicts");  // how many attempts the database gives up
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("payables");  // new ones

    QTest::newRow("once: the retry succeeds") << 1 << 200 << 1;
    QTest::newRow("twice: busy, nothing written") << 2 << 503 << 0;
}

void MoneyPathTest::shouldRetryAGenerationTheDatabaseGaveUpOnceAndAnswerBusyTheSecondTime()
{
    QFETCH(int, conflicts);
    QFETCH(int, status);
    QFETCH(int, payables);
    if (m_backend != TestDatabase::Backend::Postgres)
        QSKIP("Só o PostgreSQL desiste de uma transação por conflito.");

    // The first `conflicts` links written fail as a serialization failure
    // would; a sequence counts the attempts across the rolled-back ones.
    CommissionFixture data = fixture();
    data.exec(QStringLiteral("CREATE SEQUENCE TENTATIVAS"));
    data.exec(QStringLiteral("CREATE OR REPLACE FUNCTION DESISTE() RETURNS TRIGGER AS $$ BEGIN"
                             " IF nextval('TENTATIVAS') <= %1 THEN"
                             " RAISE EXCEPTION 'conflito de teste' USING ERRCODE = 'serialization_failure';"
                             " END IF; RETURN NEW; END $$ LANGUAGE plpgsql")
                  .arg(conflicts));
    data.exec(
        QStringLiteral("CREATE TRIGGER DESISTE BEFORE INSERT ON ORCACOMISSAO FOR EACH ROW EXECUTE FUNCTION DESISTE()"));
    const auto dropTrigger = qScopeGuard([this] {
        fixture().exec(QStringLiteral("DROP TRIGGER DESISTE ON ORCACOMISSAO"));
        fixture().exec(QStringLiteral("DROP SEQUENCE TENTATIVAS"));
    });
    const qint64 before = data.count(QStringLiteral("CONTAPAGAR"));

    const TestServer::Reply reply = m_server->call(QStringLiteral("SetComissao"), quotesArgument({1, 3}, "OP7"));
    QCOMPARE(reply.status, status);
    if (status == 200)
        QCOMPARE(reply.result.toString(), QString());
    else
        QVERIFY2(reply.error.contains(QStringLiteral("(ref. ")) && !reply.error.contains(QStringLiteral("conflito")),
                 qPrintable(reply.error));
    QCOMPARE(data.count(QStringLiteral("CONTAPAGAR")), before + payables);
    verifyMoneyIsWhole();
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int status = 0;
    for (TestDatabase::Backend backend : {TestDatabase::Backend::Sqlite, TestDatabase::Backend::Postgres}) {
        MoneyPathTest test(backend);
        status |= QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "moneypathtest.moc"
