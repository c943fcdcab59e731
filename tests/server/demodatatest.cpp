#include "testdatabase.h"

#include <commissionservice.h>
#include <connectionprovider.h>
#include <demodatagenerator.h>
#include <schema.h>
#include <serviceerror.h>
#include <sqlrunner.h>

#include <QCoreApplication>
#include <QTest>

#include <memory>

using commission::QuoteFilter;
using commission::ServiceError;

namespace {

// The demo data is dated relative to "today"; a fixed day keeps it the same.
const QDate today(2024, 6, 15);

}  // namespace

// The demo database lets every answer of the service be reached, as
// docs/server.md tells how.
class DemoDataTest : public QObject {
    Q_OBJECT
public:
    explicit DemoDataTest(TestDatabase::Backend backend) : m_backend(backend) {}

private slots:
    void initTestCase();
    void cleanupTestCase();

    void shouldHoldTheDemoData();
    void shouldReachEveryAnswer_data();
    void shouldReachEveryAnswer();
    void shouldListPendingQuotesOfSalespeopleWithoutCommission();

private:
    QString answerOf(const QString &action, const QString &branch, const QString &salesperson, bool generated,
                     QDate from, QDate to);

    TestDatabase::Backend m_backend;
    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
    std::unique_ptr<commission::CommissionService> m_service;
};

void DemoDataTest::initTestCase()
{
    const QString reason = TestDatabase::unavailableReason(m_backend);
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    m_database = std::make_unique<TestDatabase>(m_backend, QStringLiteral("commission_demo_test"));
    m_database->reset();
    m_connections = std::make_unique<commission::ConnectionProvider>(m_database->where());
    commission::DemoDataGenerator(commission::DemoSize::demo(), today).generate(m_connections->database());
    m_service = std::make_unique<commission::CommissionService>(*m_connections);
}

void DemoDataTest::cleanupTestCase()
{
    m_service.reset();
    m_connections.reset();
    m_database.reset();
}

void DemoDataTest::shouldHoldTheDemoData()
{
    auto count = [this](const char *sql) {
        QSqlQuery query = commission::SqlRunner::run(m_connections->database(), QString::fromLatin1(sql));
        query.next();
        return query.value(0).toLongLong();
    };
    QCOMPARE(count("SELECT COUNT(*) FROM FILIAL"), 5);
    QCOMPARE(count("SELECT COUNT(*) FROM VENDEDOR"), 40);
    QCOMPARE(count("SELECT COUNT(*) FROM ORCAEVENTO"), 4000);
    QCOMPARE(count("SELECT COUNT(*) FROM PARAMORCAEVE"), 1);
    QVERIFY(count("SELECT COUNT(*) FROM ORCAEVENTO WHERE DTFECHAORCA IS NULL") > 0);
    QVERIFY(count("SELECT COUNT(*) FROM ORCAEVENTO WHERE VRTOTALOREV < 0") > 0);
    QVERIFY(count("SELECT COUNT(*) FROM ORCAEVENTO WHERE NRSEQORCAEVE = '02'") > 0);
    QVERIFY(count("SELECT COUNT(*) FROM CONTAPAGAR WHERE IDBAIXADA = 'S'") > 0);
    QVERIFY(count("SELECT COUNT(*) FROM CONTAPAGAR WHERE IDBAIXADA = 'N'") > 0);
    // Every payable is the sum of the commission it settles.
    QCOMPARE(count("SELECT COUNT(*) FROM CONTAPAGAR P WHERE CAST(ROUND(P.VRCONTAPAGAR * 100) AS BIGINT) <>"
                   " (SELECT CAST(ROUND(SUM(L.VRCOMISSAO) * 100) AS BIGINT) FROM ORCACOMISSAO L"
                   " WHERE L.NRCONTAPAGAR = P.NRCONTAPAGAR)"),
             0);
}

QString DemoDataTest::answerOf(const QString &action, const QString &branch, const QString &salesperson, bool generated,
                               QDate from, QDate to)
{
    QuoteFilter filter;
    filter.branch = branch;
    filter.from = from;
    filter.to = to;
    filter.generated = generated;
    packet::Packet quotes = m_service->quotes(filter, salesperson).decoded();
    if (quotes.rows.isEmpty())
        return QStringLiteral("(sem orçamentos)");
    const int percent = quotes.fieldIndex(QStringLiteral("VRPERCCOMIS"));
    if (action == QLatin1String("zero only")) {
        quotes.rows.removeIf([percent](const QVector<QVariant> &row) { return row[percent].toDouble() != 0; });
    } else if (action == QLatin1String("typed 150 %")) {
        quotes.rows[0][percent] = 150.0;
    }
    const commission::Caller caller{QStringLiteral("DEMO"), QStringLiteral("teste"), QString()};
    try {
        if (action == QLatin1String("cancel"))
            return m_service->cancel(quotes, caller).rows.isEmpty() ? QStringLiteral("(nada cancelado)") : QString();
        if (action == QLatin1String("twice"))
            m_service->generate(quotes, caller);
        return m_service->generate(quotes, caller);
    } catch (const ServiceError &error) {
        return error.message();
    }
}

void DemoDataTest::shouldReachEveryAnswer_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QString>("salesperson");
    QTest::addColumn<bool>("generated");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("expected");

    const QDate recent = today.addMonths(-2);
    QTest::newRow("generated") << "generate"
                               << "0002"
                               << "0002" << false << recent << today << "";
    QTest::newRow("generated twice") << "twice"
                                     << "0004"
                                     << "0004" << false << recent << today << "COMISSAO_GERADA";
    QTest::newRow("all zero") << "zero only"
                              << "0002"
                              << "0022" << false << recent << today << "VALOR_COMISS_ZERO";
    QTest::newRow("percentage out of range") << "typed 150 %"
                                             << "0003"
                                             << "0013" << false << recent << today << "VR_COM_DEVE";
    QTest::newRow("no supplier") << "generate"
                                 << "0003"
                                 << "0003" << false << recent << today << "N_PARAM_VEND_S_FORN";
    QTest::newRow("branch without company") << "generate"
                                            << "0005"
                                            << "0005" << false << recent << today << "N_PARAM_EMPRESARELAC";
    QTest::newRow("paid payable") << "cancel"
                                  << "0001"
                                  << "0001" << true << QDate() << QDate() << "N_PARAM_CONTAPAGBAIXADA";
    QTest::newRow("cancelled") << "cancel"
                               << "0001"
                               << "0001" << true << QDate(2024, 3, 1) << QDate(2024, 3, 31) << "";
}

void DemoDataTest::shouldReachEveryAnswer()
{
    QFETCH(QString, action);
    QFETCH(QString, branch);
    QFETCH(QString, salesperson);
    QFETCH(bool, generated);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, expected);

    QCOMPARE(answerOf(action, branch, salesperson, generated, from, to), expected);
}

void DemoDataTest::shouldListPendingQuotesOfSalespeopleWithoutCommission()
{
    QuoteFilter filter;
    filter.branch = QStringLiteral("0003");  // salesperson 0008 earns none there
    filter.from = today.addMonths(-2);
    filter.to = today;
    const commission::SalespeopleListing listing = m_service->salespeople(filter);
    QVERIFY(listing.pending.rowCount() > 0);
    QVERIFY(listing.salespeople.rowCount() > 0);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int status = 0;
    for (TestDatabase::Backend backend : {TestDatabase::Backend::Sqlite, TestDatabase::Backend::Postgres}) {
        DemoDataTest test(backend);
        status |= QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "demodatatest.moc"
