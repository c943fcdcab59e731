#include "commissionfixture.h"
#include "testdatabase.h"

#include <commissionservice.h>
#include <connectionprovider.h>
#include <daycount.h>
#include <domains.h>
#include <recordsetlayouts.h>
#include <recordsets.h>
#include <remotecontract.h>
#include <schema.h>
#include <serviceerror.h>
#include <sqlvalues.h>
#include <writetransaction.h>

#include <QCoreApplication>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QStringList>
#include <QTest>

#include <sqlite3.h>

#include <atomic>
#include <latch>
#include <memory>
#include <thread>

using commission::Caller;
using commission::CommissionService;
using commission::HistoryRepository;
using commission::QuoteFilter;
using commission::ServiceError;
using commission::SettlementHistory;
using Row = CommissionFixture::Row;

namespace {

// On SQLite, counts each time the calling thread's connection finds the
// database locked by another writer and waits for it: the proof that two
// writers met. Waits as long as the server's busy timeout would. Nothing on
// PostgreSQL, whose writers meet on row locks (pg_locks shows them).
void countLockWaits(const QSqlDatabase &db, std::atomic<int> &waits)
{
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return;
    sqlite3 *connection = *static_cast<sqlite3 *const *>(handle.data());
    sqlite3_busy_handler(
        connection,
        [](void *counter, int attempts) {
            ++*static_cast<std::atomic<int> *>(counter);
            sqlite3_sleep(1);
            return attempts < 10000 ? 1 : 0;
        },
        &waits);
}

const Caller operatorOne{QStringLiteral("OP7"), QStringLiteral("127.0.0.1"), QStringLiteral("Evento cancelado")};

// "0001=35.00;0002=10.00": code and commission of each salesperson, in order.
QString codesWithAmounts(const packet::Packet &p)
{
    QStringList parts;
    const int code = p.fieldIndex(contract::Vendedores::CdVendedor.name);
    const int amount = p.fieldIndex(contract::Vendedores::VrComissao.name);
    for (const auto &row : p.rows)
        parts.append(QStringLiteral("%1=%2").arg(row[code].toString()).arg(row[amount].toDouble(), 0, 'f', 2));
    return parts.join(QLatin1Char(';'));
}

QString quoteNumbers(const packet::Packet &p)
{
    QStringList parts;
    const int number = p.fieldIndex(contract::Orcamentos::NrOrcaEvento.name);
    const int sequence = p.fieldIndex(contract::Orcamentos::NrSeqOrcaEve.name);
    for (const auto &row : p.rows)
        parts.append(row[number].toString().toInt() == 1 ? QStringLiteral("1-%1").arg(row[sequence].toString())
                                                         : QString::number(row[number].toString().toInt()));
    return parts.join(QLatin1Char(';'));
}

// "operation|salesperson|quotes|amount|paid" per settlement.
QString settlementsOf(const packet::Packet &p)
{
    QStringList parts;
    for (const auto &row : p.rows)
        parts.append(QStringLiteral("%1|%2|%3|%4|%5")
                         .arg(row[p.fieldIndex(contract::HistoricoComissao::DsOperacao.name)].toString(),
                              row[p.fieldIndex(contract::HistoricoComissao::CdVendedor.name)].toString())
                         .arg(row[p.fieldIndex(contract::HistoricoComissao::QtOrcamentos.name)].toInt())
                         .arg(row[p.fieldIndex(contract::HistoricoComissao::VrComissao.name)].toDouble(), 0, 'f', 2)
                         .arg(row[p.fieldIndex(contract::HistoricoComissao::IdBaixada.name)].toString()));
    return parts.join(QLatin1Char(';'));
}

QStringList listOf(const QString &text)
{
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char(';'));
}

}  // namespace

class CommissionServiceTest : public QObject {
    Q_OBJECT
public:
    explicit CommissionServiceTest(TestDatabase::Backend backend) : m_backend(backend) {}

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void shouldMigrateOnceAndLeaveAMigratedDatabaseAlone();
    void shouldListSalespeopleBySelectionRules_data();
    void shouldListSalespeopleBySelectionRules();
    void shouldListQuotesOfOneSalesperson_data();
    void shouldListQuotesOfOneSalesperson();
    void shouldSumWhatTheQuotesListingShows_data();
    void shouldSumWhatTheQuotesListingShows();
    void shouldAnswerEveryQuoteFieldInTheQuotesLayout();
    void shouldAnswerTheParameterRow();
    void shouldRefuseGenerationAndWriteNothing_data();
    void shouldRefuseGenerationAndWriteNothing();
    void shouldRaiseTheKeyOfAMissingParameter_data();
    void shouldRaiseTheKeyOfAMissingParameter();
    void shouldGenerateOnePayableFromStoredTotals();
    void shouldAcceptBoundaryPercentages_data();
    void shouldAcceptBoundaryPercentages();
    void shouldGenerateForSalespersonWithoutFlagWhenEveryoneEarns();
    void shouldRefuseMarkedQuotesOfSeveralSalespeople();
    void shouldCancelAndLowerOrRemovePayables();
    void shouldRefuseCancellingAPaidPayableAndChangeNothing_data();
    void shouldRefuseCancellingAPaidPayableAndChangeNothing();
    void shouldIgnoreCancellationOfQuotesWithoutCommission();
    void shouldSettleQuotesNamedInSeveralStatements();
    void shouldWriteNothingWhenGenerationFailsHalfway();
    void shouldCreateExactlyOnePayableForConcurrentGenerations();
    void shouldRefuseGenerationThatRacesAnUncommittedOne();
    void shouldKeepTheHistoryOfEverySettlement();

private:
    CommissionFixture fixture() { return CommissionFixture(m_connections->database()); }
    void expectNothingWritten();
    void installFailingAuditTrigger();

    TestDatabase::Backend m_backend;
    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
    std::unique_ptr<CommissionService> m_service;
};

void CommissionServiceTest::initTestCase()
{
    const QString reason = TestDatabase::unavailableReason(m_backend);
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    qInfo("Banco: %s", qPrintable(TestDatabase::backendName(m_backend)));
    m_database = std::make_unique<TestDatabase>(m_backend, QStringLiteral("commission_service_test"));
}

void CommissionServiceTest::init()
{
    m_database->reset();
    m_connections = std::make_unique<commission::ConnectionProvider>(m_database->where());
    m_service = std::make_unique<CommissionService>(*m_connections);
    fixture().write();
}

void CommissionServiceTest::cleanup()
{
    m_service.reset();
    m_connections.reset();
}

void CommissionServiceTest::cleanupTestCase()
{
    m_database.reset();
}

void CommissionServiceTest::expectNothingWritten()
{
    CommissionFixture data = fixture();
    QCOMPARE(data.count(QStringLiteral("CONTAPAGAR")), 2);
    QCOMPARE(data.count(QStringLiteral("ORCACOMISSAO")), 2);
    QCOMPARE(data.count(QStringLiteral("AUDITCOMISSAO")), 0);
    QCOMPARE(data.count(QStringLiteral("AUDITCOMISSAOORC")), 0);
}

void CommissionServiceTest::shouldMigrateOnceAndLeaveAMigratedDatabaseAlone()
{
    const QSqlDatabase db = m_connections->database();
    QCOMPARE(commission::Schema::version(db), commission::Schema::latestVersion());
    commission::Schema::migrate(db);
    commission::Schema::migrate(db);
    QCOMPARE(commission::Schema::version(db), commission::Schema::latestVersion());
    QCOMPARE(fixture().count(QStringLiteral("SCHEMAVERSAO")), commission::Schema::latestVersion());
    QCOMPARE(fixture().count(QStringLiteral("ORCAEVENTO")), 12);
}

void CommissionServiceTest::shouldListSalespeopleBySelectionRules_data()
{
    QTest::addColumn<QString>("dateBase");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("salespeople");
    QTest::addColumn<QString>("eventTypes");
    QTest::addColumn<bool>("everyoneEarns");
    QTest::addColumn<bool>("generated");
    QTest::addColumn<QString>("expectedSalespeople");
    QTest::addColumn<QString>("expectedPending");

    const QDate may1(2024, 5, 1), may31(2024, 5, 31);
    // Ana: q1 50.00 + q9 -15.00; Bruno: 333.33 x 3 % = 9.9999 -> 10.00; q4 is open, q2 generated.
    QTest::newRow("event date, not generated") << "EVENTO" << may1 << may31 << ""
                                               << "" << false << false << "0001=35.00;0002=10.00;0003=20.00;0005=0.00"
                                               << "6";
    // Closed in May: q3 20.00, q6 (pending), q8 0.00, q9 -15.00.
    QTest::newRow("closing date, not generated") << "FECHAMENTO" << may1 << may31 << ""
                                                 << "" << false << false << "0001=5.00;0005=0.00"
                                                 << "6";
    QTest::newRow("salesperson list") << "EVENTO" << may1 << may31 << "0002;0003"
                                      << "" << false << false << "0002=10.00;0003=20.00"
                                      << "";
    QTest::newRow("salesperson list with one who earns none") << "EVENTO" << may1 << may31 << "0004;0001"
                                                              << "" << false << false << "0001=35.00"
                                                              << "6";
    QTest::newRow("event-type list") << "EVENTO" << may1 << may31 << ""
                                     << "002" << false << false << "0003=20.00"
                                     << "";
    QTest::newRow("event-type list of two") << "EVENTO" << may1 << may31 << ""
                                            << "003;002" << false << false << "0002=10.00;0003=20.00"
                                            << "";
    QTest::newRow("everyone earns commission")
        << "EVENTO" << may1 << may31 << ""
        << "" << true << false << "0001=35.00;0002=10.00;0003=20.00;0004=16.00;0005=0.00"
        << "";
    QTest::newRow("generated: values of the generation") << "EVENTO" << may1 << may31 << ""
                                                         << "" << false << true << "0001=80.00;0006=10.00"
                                                         << "";
    QTest::newRow("generated by closing date") << "FECHAMENTO" << may1 << may31 << ""
                                               << "" << false << true << "0001=80.00;0006=10.00"
                                               << "";
    // Across months, on the other date base: Ana has quotes in both states.
    QTest::newRow("closing date across months, not generated")
        << "FECHAMENTO" << QDate(2024, 4, 15) << QDate(2024, 6, 10) << ""
        << "" << false << false << "0001=55.00;0002=10.00;0003=20.00;0005=0.00"
        << "6";
    QTest::newRow("closing date across months, generated")
        << "FECHAMENTO" << QDate(2024, 4, 15) << QDate(2024, 6, 10) << ""
        << "" << false << true << "0001=80.00;0006=10.00"
        << "";
    QTest::newRow("open period") << "EVENTO" << QDate() << QDate() << ""
                                 << "" << false << false << "0001=55.00;0002=10.00;0003=20.00;0005=0.00"
                                 << "6";
    QTest::newRow("end of May only") << "EVENTO" << QDate(2024, 5, 21) << may31 << ""
                                     << "" << false << false << "0001=-15.00;0002=10.00"
                                     << "";
    QTest::newRow("single day") << "EVENTO" << QDate(2024, 5, 15) << QDate(2024, 5, 15) << ""
                                << "" << false << false << ""
                                << "6";
    QTest::newRow("period reversed") << "EVENTO" << may31 << may1 << ""
                                     << "" << false << false << ""
                                     << "";
    QTest::newRow("unknown salesperson") << "EVENTO" << may1 << may31 << "9999"
                                         << "" << false << false << ""
                                         << "";
}

void CommissionServiceTest::shouldListSalespeopleBySelectionRules()
{
    QFETCH(QString, dateBase);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, salespeople);
    QFETCH(QString, eventTypes);
    QFETCH(bool, everyoneEarns);
    QFETCH(bool, generated);
    QFETCH(QString, expectedSalespeople);
    QFETCH(QString, expectedPending);

    QuoteFilter filter = CommissionFixture::mayFilter();
    filter.dateBase =
        dateBase == QLatin1String("EVENTO") ? QuoteFilter::DateBase::Event : QuoteFilter::DateBase::Closing;
    filter.from = from;
    filter.to = to;
    filter.salespeople = listOf(salespeople);
    filter.eventTypes = listOf(eventTypes);
    filter.everyoneEarns = everyoneEarns;
    filter.generated = generated;

    const commission::SalespeopleListing listing = m_service->salespeople(filter);
    const packet::Packet listed = listing.salespeople.decoded();
    const packet::Packet pending = listing.pending.decoded();
    QCOMPARE(listed.fields, commission::RecordSetLayouts::salespeople());
    QCOMPARE(pending.fields, commission::RecordSetLayouts::pendingQuotes());
    QCOMPARE(codesWithAmounts(listed), expectedSalespeople);
    QCOMPARE(quoteNumbers(pending), expectedPending);
}

void CommissionServiceTest::shouldListQuotesOfOneSalesperson_data()
{
    QTest::addColumn<QString>("salesperson");
    QTest::addColumn<QString>("eventTypes");
    QTest::addColumn<bool>("generated");
    QTest::addColumn<QString>("expectedQuotes");
    QTest::addColumn<QString>("expectedPercents");
    QTest::addColumn<QString>("expectedCommissions");

    // q1 takes Ana's default 5 %, q9 is a credit quote: its commission is negative.
    QTest::newRow("not generated: stored or default percentage") << "0001"
                                                                 << "" << false << "1-01;9"
                                                                 << "5.000;5.000"
                                                                 << "50.00;-15.00";
    QTest::newRow("generated: what was generated") << "0001"
                                                   << "" << true << "1-02"
                                                   << "4.000"
                                                   << "80.00";
    QTest::newRow("event-type list applies") << "0001"
                                             << "002" << false << ""
                                             << ""
                                             << "";
    QTest::newRow("rounded to the cent") << "0002"
                                         << "" << false << "5"
                                         << "3.000"
                                         << "10.00";
    QTest::newRow("salesperson who earns none still lists") << "0004"
                                                            << "" << false << "6"
                                                            << "2.000"
                                                            << "16.00";
    QTest::newRow("no salesperson") << ""
                                    << "" << false << ""
                                    << ""
                                    << "";
}

void CommissionServiceTest::shouldListQuotesOfOneSalesperson()
{
    QFETCH(QString, salesperson);
    QFETCH(QString, eventTypes);
    QFETCH(bool, generated);
    QFETCH(QString, expectedQuotes);
    QFETCH(QString, expectedPercents);
    QFETCH(QString, expectedCommissions);

    QuoteFilter filter = CommissionFixture::mayFilter();
    filter.eventTypes = listOf(eventTypes);
    filter.generated = generated;
    const packet::Packet quotes = m_service->quotes(filter, salesperson).decoded();

    QCOMPARE(quotes.fields, commission::RecordSetLayouts::quotes());
    QCOMPARE(quoteNumbers(quotes), expectedQuotes);
    QStringList percents, commissions;
    for (const auto &row : quotes.rows) {
        QCOMPARE(row[quotes.fieldIndex(contract::Orcamentos::IdCheck.name)].toString(),
                 QString(contract::Domains::Mark::marked));
        percents.append(
            QString::number(row[quotes.fieldIndex(contract::Orcamentos::VrPercComis.name)].toDouble(), 'f', 3));
        commissions.append(
            QString::number(row[quotes.fieldIndex(contract::Orcamentos::VrComissao.name)].toDouble(), 'f', 2));
    }
    QCOMPARE(percents.join(QLatin1Char(';')), expectedPercents);
    QCOMPARE(commissions.join(QLatin1Char(';')), expectedCommissions);
}

// The salespeople listing sums the period's quotes in one statement; the
// quotes listing shows each quote's commission. Whatever the salesperson's
// default percentage (none, zero, an odd one), and with quotes of their own
// percentage beside quotes without, the sum is what the quotes add up to,
// quote by quote rounded.
void CommissionServiceTest::shouldSumWhatTheQuotesListingShows_data()
{
    QTest::addColumn<QVariant>("defaultPercent");
    QTest::newRow("no default") << QVariant(QMetaType::fromType<double>());
    QTest::newRow("zero") << QVariant(0.0);
    QTest::newRow("odd thousandths") << QVariant(3.333);
    QTest::newRow("highest") << QVariant(99.999);
}

void CommissionServiceTest::shouldSumWhatTheQuotesListingShows()
{
    QFETCH(QVariant, defaultPercent);
    fixture().exec(QStringLiteral("UPDATE VENDEDOR SET VRPERCCOMISVEND = ?"), {defaultPercent});
    // Ana's quotes 1-01 and 9 (a credit) carry their own percentage, her
    // others take the default.
    fixture().exec(QStringLiteral("UPDATE ORCAEVENTO SET VRPERCCOMIS = 7.777 WHERE CDVENDEDOR = '0001'"
                                  " AND NRSEQORCAEVE = '01' AND NRORCAEVENTO IN ('0000000001', '0000000009')"));
    QuoteFilter filter = CommissionFixture::mayFilter();
    filter.everyoneEarns = true;
    const packet::Packet listed = m_service->salespeople(filter).salespeople.decoded();
    QVERIFY(listed.rows.size() >= 3);
    for (const auto &row : listed.rows) {
        const QString salesperson = row[listed.fieldIndex(contract::Vendedores::CdVendedor.name)].toString();
        const packet::Packet quotes = m_service->quotes(filter, salesperson).decoded();
        qint64 cents = 0;
        for (const auto &quote : quotes.rows)
            cents += qRound64(quote[quotes.fieldIndex(contract::Orcamentos::VrComissao.name)].toDouble() * 100);
        QCOMPARE(qRound64(row[listed.fieldIndex(contract::Vendedores::VrComissao.name)].toDouble() * 100), cents);
    }
}

void CommissionServiceTest::shouldAnswerEveryQuoteFieldInTheQuotesLayout()
{
    const packet::Packet quotes = m_service->quotes(CommissionFixture::mayFilter(), QStringLiteral("0001")).decoded();
    QCOMPARE(quotes.rows.size(), 2);
    const QVector<QVariant> expected = {
        QStringLiteral("S"),
        QStringLiteral("0001"),
        QStringLiteral("0000000001"),
        QStringLiteral("01"),
        QStringLiteral("C1"),
        QStringLiteral("0001"),
        QStringLiteral("001"),
        packet::toDayCount(QDate(2024, 5, 10)),
        packet::toDayCount(QDate(2024, 4, 20)),
        1000.0,
        5.0,
        QStringLiteral("Buffet Alegria"),
        QStringLiteral("Casamento"),
        50.0,
        QStringLiteral("N"),
    };
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(quotes.rows[0][i].toString(), expected[i].toString());
}

void CommissionServiceTest::shouldAnswerTheParameterRow()
{
    const packet::Packet parameters = m_service->parameters().decoded();
    QCOMPARE(parameters.fields, commission::RecordSetLayouts::parameters());
    QCOMPARE(parameters.fields.size(), 29);
    QCOMPARE(parameters.rows.size(), 1);
    using contract::ParamOrcaEve;
    auto field = [&parameters](const contract::WireField &handle) {
        return parameters.rows[0][parameters.fieldIndex(handle.name)];
    };
    QCOMPARE(field(ParamOrcaEve::IdGeraComissao).toString(), QStringLiteral("MANUTENCAO"));
    QCOMPARE(field(ParamOrcaEve::IdDtBaseComissao).toString(), QStringLiteral("EVENTO"));
    QCOMPARE(field(ParamOrcaEve::IdGeraComissaoVend).toString(), QStringLiteral("S"));
    QVERIFY(field(ParamOrcaEve::CdTpOperOrev).isNull());

    fixture().exec(QStringLiteral("DELETE FROM PARAMORCAEVE"));
    QCOMPARE(m_service->parameters().rowCount(), 0);
}

void CommissionServiceTest::shouldRefuseGenerationAndWriteNothing_data()
{
    QTest::addColumn<QVector<Row>>("rows");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing marked") << QVector<Row>{{1, 5, false}, {9, 5, false}} << "N_MARCADO";
    QTest::newRow("empty packet") << QVector<Row>{} << "N_MARCADO";
    QTest::newRow("quote not closed") << QVector<Row>{{1, 5}, {4, 5}} << "ORCA_N_CAD";
    QTest::newRow("already generated") << QVector<Row>{{1, 5}, {2, 5}} << "COMISSAO_GERADA";
    QTest::newRow("generated and paid") << QVector<Row>{{12, 1}} << "COMISSAO_GERADA";
    QTest::newRow("every commission zero by percentage") << QVector<Row>{{1, 0}, {9, 0}} << "VALOR_COMISS_ZERO";
    QTest::newRow("salesperson's default of zero") << QVector<Row>{{8, 0}} << "VALOR_COMISS_ZERO";
    QTest::newRow("below half a cent") << QVector<Row>{{1, 0.0004}} << "VALOR_COMISS_ZERO";
    QTest::newRow("zero checked before the range") << QVector<Row>{{1, -0.0001}} << "VALOR_COMISS_ZERO";
    QTest::newRow("percentage above the range") << QVector<Row>{{1, 5}, {9, 150}} << "VR_COM_DEVE";
    QTest::newRow("just above 99,99") << QVector<Row>{{1, 99.991}} << "VR_COM_DEVE";
    QTest::newRow("negative percentage") << QVector<Row>{{9, -5}} << "VR_COM_DEVE";
    QTest::newRow("one zero percentage among others") << QVector<Row>{{1, 5}, {9, 0}} << "VR_COM_DEVE";
    QTest::newRow("absurd percentage") << QVector<Row>{{1, 1e300}} << "VR_COM_DEVE";
    QTest::newRow("generated checked before zero") << QVector<Row>{{2, 0}} << "COMISSAO_GERADA";
    QTest::newRow("not closed checked before generated") << QVector<Row>{{2, 5}, {4, 5}} << "ORCA_N_CAD";
}

void CommissionServiceTest::shouldRefuseGenerationAndWriteNothing()
{
    QFETCH(QVector<Row>, rows);
    QFETCH(QString, expected);

    QCOMPARE(m_service->generate(CommissionFixture::quotesPacket(rows), operatorOne), expected);
    expectNothingWritten();
}

void CommissionServiceTest::shouldRaiseTheKeyOfAMissingParameter_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QVector<Row>>("rows");
    QTest::addColumn<QString>("expectedKey");

    QTest::newRow("salesperson without supplier") << "" << QVector<Row>{{7, 4}} << "N_PARAM_VEND_S_FORN";
    QTest::newRow("salesperson with blank supplier")
        << "UPDATE VENDEDOR SET CDFORNECED = '  ' WHERE CDVENDEDOR = '0001'" << QVector<Row>{{1, 5}}
        << "N_PARAM_VEND_S_FORN";
    QTest::newRow("salesperson who earns no commission") << "" << QVector<Row>{{6, 2}} << "N_PARAM_VEND_N_COMISS";
    QTest::newRow("no payable account type")
        << "UPDATE PARAMORCAEVE SET CDTPCTPAGAR = ''" << QVector<Row>{{1, 5}} << "N_PARAM_TPCTPAG";
    QTest::newRow("no account type for a negative payable")
        << "UPDATE PARAMORCAEVE SET CDTPCTPAGARNEG = NULL" << QVector<Row>{{9, 5}} << "N_PARAM_TPCTPAG";
    QTest::newRow("no entry operation type")
        << "UPDATE PARAMORCAEVE SET CDTPOPENTACE = NULL" << QVector<Row>{{1, 5}} << "N_PARAM_CDTPOPENTACE";
    QTest::newRow("no entry series") << "UPDATE PARAMORCAEVE SET CDSERIEENTR = ''" << QVector<Row>{{1, 5}}
                                     << "N_PARAM_SERIEENTR";
    QTest::newRow("no parameter row") << "DELETE FROM PARAMORCAEVE" << QVector<Row>{{1, 5}} << "N_PARAM_CDTPOPENTACE";
    QTest::newRow("branch without company") << "" << QVector<Row>{{11, 5}} << "N_PARAM_EMPRESARELAC";
}

void CommissionServiceTest::shouldRaiseTheKeyOfAMissingParameter()
{
    QFETCH(QString, change);
    QFETCH(QVector<Row>, rows);
    QFETCH(QString, expectedKey);

    if (!change.isEmpty())
        fixture().exec(change);
    try {
        m_service->generate(CommissionFixture::quotesPacket(rows), operatorOne);
        QFAIL("a generation without its parameters succeeded");
    } catch (const ServiceError &error) {
        QCOMPARE(error.kind(), ServiceError::Kind::BusinessRule);
        QCOMPARE(error.message(), expectedKey);
    }
    expectNothingWritten();
}

void CommissionServiceTest::shouldGenerateOnePayableFromStoredTotals()
{
    // 1000.00 x 5 % + (-300.00) x 7 % = 50.00 - 21.00; the packet's totals
    // and commission values (999999) are ignored.
    QCOMPARE(m_service->generate(CommissionFixture::quotesPacket({{1, 5}, {9, 7}, {3, 5, false}}), operatorOne),
             QString());

    CommissionFixture data = fixture();
    QCOMPARE(data.count(QStringLiteral("CONTAPAGAR")), 3);
    const QString payable = QStringLiteral(" FROM CONTAPAGAR WHERE CDVENDEDOR = '0001' AND NRCONTAPAGAR <> 101");
    QCOMPARE(data.value(QStringLiteral("SELECT VRCONTAPAGAR") + payable).toDouble(), 29.0);
    QCOMPARE(data.value(QStringLiteral("SELECT CDFORNECED") + payable).toString(), QStringLiteral("F0001"));
    QCOMPARE(data.value(QStringLiteral("SELECT CDTPCTPAGAR") + payable).toString(), QStringLiteral("COM"));
    QCOMPARE(data.value(QStringLiteral("SELECT CDOPERADOR") + payable).toString(), QStringLiteral("OP7"));
    QCOMPARE(data.value(QStringLiteral("SELECT IDBAIXADA") + payable).toString(), QStringLiteral("N"));
    const QDate issued = commission::SqlValues::toDate(data.value(QStringLiteral("SELECT DTEMISSAO") + payable));
    QCOMPARE(issued, QDate::currentDate());
    QCOMPARE(commission::SqlValues::toDate(data.value(QStringLiteral("SELECT DTVENCIMENTO") + payable)),
             issued.addDays(CommissionService::paymentTermDays));

    QCOMPARE(data.count(QStringLiteral("ORCACOMISSAO")), 4);
    QCOMPARE(
        data.value(QStringLiteral("SELECT VRCOMISSAO FROM ORCACOMISSAO WHERE NRORCAEVENTO = '0000000009'")).toDouble(),
        -21.0);
    QCOMPARE(
        data.value(QStringLiteral("SELECT VRPERCCOMIS FROM ORCACOMISSAO WHERE NRORCAEVENTO = '0000000009'")).toDouble(),
        7.0);
    QCOMPARE(data.count(QStringLiteral("AUDITCOMISSAO")), 1);
    QCOMPARE(
        data.value(QStringLiteral("SELECT IDOPERACAO || CDOPERADOR || QTORCAMENTOS FROM AUDITCOMISSAO")).toString(),
        QStringLiteral("GOP72"));
    QCOMPARE(data.value(QStringLiteral("SELECT VRCOMISSAO FROM AUDITCOMISSAO")).toDouble(), 29.0);
    QCOMPARE(data.count(QStringLiteral("AUDITCOMISSAOORC")), 2);

    // The listing follows: the generated quotes move from "N" to "S".
    QuoteFilter filter = CommissionFixture::mayFilter();
    QCOMPARE(codesWithAmounts(m_service->salespeople(filter).salespeople.decoded()),
             QStringLiteral("0002=10.00;0003=20.00;0005=0.00"));
    filter.generated = true;
    QCOMPARE(quoteNumbers(m_service->quotes(filter, QStringLiteral("0001")).decoded()), QStringLiteral("1-01;1-02;9"));
}

void CommissionServiceTest::shouldAcceptBoundaryPercentages_data()
{
    QTest::addColumn<double>("percent");
    QTest::addColumn<double>("expectedAmount");

    QTest::newRow("lowest") << 0.001 << 0.01;  // 1000.00 x 0,001 % = 0.01
    QTest::newRow("highest") << 99.99 << 999.90;
    QTest::newRow("thousandth rounds to the cent") << 0.0015 << 0.02;  // 0,002 % (rounded) -> 0.02
    QTest::newRow("half a cent rounds up") << 0.0005 << 0.01;          // 0,001 % after rounding
}

void CommissionServiceTest::shouldAcceptBoundaryPercentages()
{
    QFETCH(double, percent);
    QFETCH(double, expectedAmount);

    QCOMPARE(m_service->generate(CommissionFixture::quotesPacket({{1, percent}}), operatorOne), QString());
    QCOMPARE(fixture()
                 .value(QStringLiteral("SELECT VRCONTAPAGAR FROM CONTAPAGAR WHERE NRCONTAPAGAR NOT IN (101, 102)"))
                 .toDouble(),
             expectedAmount);
}

void CommissionServiceTest::shouldGenerateForSalespersonWithoutFlagWhenEveryoneEarns()
{
    fixture().exec(QStringLiteral("UPDATE PARAMORCAEVE SET IDGERACOMISSAOVEND = 'N'"));
    QCOMPARE(m_service->generate(CommissionFixture::quotesPacket({{6, 2}}), operatorOne), QString());
    QCOMPARE(
        fixture().value(QStringLiteral("SELECT VRCONTAPAGAR FROM CONTAPAGAR WHERE CDVENDEDOR = '0004'")).toDouble(),
        16.0);
}

void CommissionServiceTest::shouldRefuseMarkedQuotesOfSeveralSalespeople()
{
    QVERIFY_THROWS_EXCEPTION(ServiceError,
                             m_service->generate(CommissionFixture::quotesPacket({{1, 5}, {5, 3}}), operatorOne));
    QVERIFY_THROWS_EXCEPTION(ServiceError,
                             m_service->generate(CommissionFixture::quotesPacket({{1, 5}, {10, 3}}), operatorOne));
    expectNothingWritten();
}

void CommissionServiceTest::shouldCancelAndLowerOrRemovePayables()
{
    QCOMPARE(m_service->generate(CommissionFixture::quotesPacket({{1, 5}, {9, 5}}), operatorOne), QString());
    CommissionFixture data = fixture();
    const QString newPayable =
        QStringLiteral("SELECT VRCONTAPAGAR FROM CONTAPAGAR WHERE NRCONTAPAGAR NOT IN (101, 102)");
    QCOMPARE(data.value(newPayable).toDouble(), 35.0);

    // Cancelling q9 (-15.00) raises the payable to q1's 50.00.
    packet::Packet cancelled = m_service->cancel(CommissionFixture::quotesPacket({{9, 5}, {1, 5, false}}), {});
    QCOMPARE(quoteNumbers(cancelled), QStringLiteral("9"));
    QCOMPARE(data.value(newPayable).toDouble(), 50.0);

    // Cancelling q1 and the older q2 removes both payables.
    cancelled = m_service->cancel(CommissionFixture::quotesPacket({{1, 5}, {2, 4}}), operatorOne);
    QCOMPARE(cancelled.rows.size(), 2);
    QVERIFY(data.value(newPayable).isNull());
    QCOMPARE(data.count(QStringLiteral("CONTAPAGAR")), 1);
    QCOMPARE(data.count(QStringLiteral("ORCACOMISSAO")), 1);
    // One generation, then one cancellation per payable touched.
    QCOMPARE(data.value(QStringLiteral("SELECT COUNT(*) FROM AUDITCOMISSAO WHERE IDOPERACAO = 'C'")).toInt(), 3);
    QVERIFY(data.value(QStringLiteral("SELECT CDOPERADOR FROM AUDITCOMISSAO WHERE QTORCAMENTOS = 1 AND VRCOMISSAO < 0"))
                .isNull());

    // Cancelled quotes are listed as not generated again.
    QCOMPARE(codesWithAmounts(m_service->salespeople(CommissionFixture::mayFilter()).salespeople.decoded()),
             QStringLiteral("0001=85.00;0002=10.00;0003=20.00;0005=0.00"));
}

void CommissionServiceTest::shouldRefuseCancellingAPaidPayableAndChangeNothing_data()
{
    QTest::addColumn<QVector<Row>>("rows");

    QTest::newRow("paid payable alone") << QVector<Row>{{12, 1}};
    QTest::newRow("with an open payable") << QVector<Row>{{2, 4}, {12, 1}};
}

void CommissionServiceTest::shouldRefuseCancellingAPaidPayableAndChangeNothing()
{
    QFETCH(QVector<Row>, rows);
    try {
        m_service->cancel(CommissionFixture::quotesPacket(rows), operatorOne);
        QFAIL("a paid payable was cancelled");
    } catch (const ServiceError &error) {
        QCOMPARE(error.kind(), ServiceError::Kind::BusinessRule);
        QCOMPARE(error.message(), QStringLiteral("N_PARAM_CONTAPAGBAIXADA"));
    }
    expectNothingWritten();
    QCOMPARE(fixture().value(QStringLiteral("SELECT VRCONTAPAGAR FROM CONTAPAGAR WHERE NRCONTAPAGAR = 101")).toDouble(),
             80.0);
}

void CommissionServiceTest::shouldIgnoreCancellationOfQuotesWithoutCommission()
{
    QCOMPARE(m_service->cancel(CommissionFixture::quotesPacket({{1, 5}, {9, 5}}), operatorOne).rows.size(), 0);
    QCOMPARE(m_service->cancel(CommissionFixture::quotesPacket({{2, 4, false}}), operatorOne).rows.size(), 0);
    expectNothingWritten();
}

void CommissionServiceTest::installFailingAuditTrigger()
{
    CommissionFixture data = fixture();
    if (m_backend == TestDatabase::Backend::Sqlite) {
        data.exec(QStringLiteral("CREATE TRIGGER FALHA_AUDITORIA BEFORE INSERT ON AUDITCOMISSAOORC"
                                 " BEGIN SELECT RAISE(ABORT, 'falha simulada'); END"));
        return;
    }
    data.exec(QStringLiteral("CREATE OR REPLACE FUNCTION FALHA_AUDITORIA() RETURNS TRIGGER AS"
                             " $$ BEGIN RAISE EXCEPTION 'falha simulada'; END $$ LANGUAGE plpgsql"));
    data.exec(QStringLiteral("CREATE TRIGGER FALHA_AUDITORIA BEFORE INSERT ON AUDITCOMISSAOORC"
                             " FOR EACH ROW EXECUTE FUNCTION FALHA_AUDITORIA()"));
}

void CommissionServiceTest::shouldSettleQuotesNamedInSeveralStatements()
{
    // 650 quotes of Ana are read back in three statements of keys (300, 300
    // and 50). Quote i totals i reais at 5 %: i x 5 cents, 10,578.75 in all.
    constexpr int count = 650;
    QVector<commission::MarkedQuote> marked;
    {
        CommissionFixture data = fixture();
        commission::WriteTransaction transaction(m_connections->database());
        for (int i = 1; i <= count; ++i) {
            const QString number = QStringLiteral("00000%1").arg(1000 + i);
            data.exec(QStringLiteral("INSERT INTO ORCAEVENTO (CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE, CDCLIENTE,"
                                     " CDVENDEDOR, CDTIPOEVENTO, DTEVENTO, DTFECHAORCA, VRTOTALOREV)"
                                     " VALUES ('0001', ?, '01', 'C1', '0001', '001', ?, ?, ?)"),
                      {number, commission::SqlValues::date(QDate(2024, 7, 1 + i % 28)),
                       commission::SqlValues::date(QDate(2024, 7, 1)), double(i)});
            marked.append({{QStringLiteral("0001"), number, QStringLiteral("01")}, 5});
        }
        transaction.commit();
    }

    // The one quote already settled sorts last: only the last statement
    // finds it, and the whole generation is refused.
    QCOMPARE(m_service->generate({marked.last()}, operatorOne), QString());
    QCOMPARE(m_service->generate(marked, operatorOne), contract::RemoteContract::alreadyGenerated);
    marked.removeLast();
    QCOMPARE(m_service->generate(marked, operatorOne), QString());

    CommissionFixture data = fixture();
    const QString newPayables = QStringLiteral(" FROM CONTAPAGAR WHERE NRCONTAPAGAR NOT IN (101, 102)");
    QCOMPARE(data.value(QStringLiteral("SELECT SUM(VRCONTAPAGAR)") + newPayables).toDouble(), 10578.75);
    QCOMPARE(data.count(QStringLiteral("ORCACOMISSAO")), 2 + count);
    QCOMPARE(data.moneyFaults(), QStringList());

    marked.append({{QStringLiteral("0001"), QStringLiteral("00000%1").arg(1000 + count), QStringLiteral("01")}, 5});
    QCOMPARE(m_service->cancel(marked, operatorOne).rows.size(), count);
    QVERIFY(data.value(QStringLiteral("SELECT COUNT(*)") + newPayables).toInt() == 0);
    QCOMPARE(data.count(QStringLiteral("ORCACOMISSAO")), 2);
    QCOMPARE(data.moneyFaults(), QStringList());
}

void CommissionServiceTest::shouldWriteNothingWhenGenerationFailsHalfway()
{
    // The audit details are the last thing a generation writes: the payable,
    // the links and the audit header are already in when it fails.
    installFailingAuditTrigger();
    const auto dropTrigger = qScopeGuard([this] {
        fixture().exec(
            QStringLiteral("DROP TRIGGER FALHA_AUDITORIA")
            + (m_backend == TestDatabase::Backend::Postgres ? QStringLiteral(" ON AUDITCOMISSAOORC") : QString()));
    });
    try {
        m_service->generate(CommissionFixture::quotesPacket({{1, 5}, {9, 5}}), operatorOne);
        QFAIL("the failing audit went unnoticed");
    } catch (const ServiceError &error) {
        QCOMPARE(error.kind(), ServiceError::Kind::Database);
    }
    expectNothingWritten();
}

void CommissionServiceTest::shouldCreateExactlyOnePayableForConcurrentGenerations()
{
    const packet::Packet quotes = CommissionFixture::quotesPacket({{1, 5}, {9, 5}});
    constexpr int rounds = 10;
    std::atomic<int> lockWaits{0};
    for (int round = 0; round < rounds; ++round) {
        QString answers[2];
        std::latch start(2);
        auto generate = [&](int i) {
            countLockWaits(m_connections->database(), lockWaits);
            start.arrive_and_wait();
            try {
                answers[i] = m_service->generate(quotes, operatorOne);
            } catch (const ServiceError &error) {
                answers[i] = error.message();
            }
        };
        // Each thread works on a connection of its own.
        std::thread first(generate, 0), second(generate, 1);
        first.join();
        second.join();

        QStringList sorted{answers[0], answers[1]};
        sorted.sort();
        QCOMPARE(sorted, QStringList({QString(), QStringLiteral("COMISSAO_GERADA")}));
        QCOMPARE(fixture().count(QStringLiteral("CONTAPAGAR")), 3);
        QCOMPARE(fixture().count(QStringLiteral("ORCACOMISSAO")), 4);
        QCOMPARE(m_service->cancel(quotes, operatorOne).rows.size(), 2);
    }
    // On SQLite the two met at the write lock at least once: they raced.
    if (m_backend == TestDatabase::Backend::Sqlite)
        QVERIFY(lockWaits.load() > 0);
}

void CommissionServiceTest::shouldRefuseGenerationThatRacesAnUncommittedOne()
{
    // Another writer links q1 and keeps its transaction open while the
    // service generates q1: PostgreSQL makes the service wait on the unique
    // key, SQLite on the write lock; either way the answer is the refusal.
    commission::ConnectionProvider other(m_database->where());
    QSqlDatabase db = other.database();
    auto transaction = std::make_unique<commission::WriteTransaction>(db);
    CommissionFixture(db).exec(QStringLiteral("INSERT INTO ORCACOMISSAO (CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE,"
                                              " NRCONTAPAGAR, VRPERCCOMIS, VRCOMISSAO)"
                                              " VALUES ('0001', '0000000001', '01', 101, 5, 50)"));
    QString answer;
    std::atomic<int> lockWaits{0};
    std::thread generation([&] {
        countLockWaits(m_connections->database(), lockWaits);
        try {
            answer = m_service->generate(CommissionFixture::quotesPacket({{1, 5}}), operatorOne);
        } catch (const ServiceError &error) {
            answer = error.message();
        }
    });
    if (m_backend == TestDatabase::Backend::Postgres) {
        // The service must be waiting on the other writer's key when it commits.
        QTRY_VERIFY_WITH_TIMEOUT(
            fixture().value(QStringLiteral("SELECT COUNT(*) FROM pg_locks WHERE NOT granted")).toInt() > 0, 10000);
    } else {
        // The service must be waiting for the other writer's lock when it commits.
        QTRY_VERIFY_WITH_TIMEOUT(lockWaits.load() > 0, 10000);
    }
    transaction->commit();
    generation.join();

    QCOMPARE(answer, QStringLiteral("COMISSAO_GERADA"));
    QCOMPARE(fixture().count(QStringLiteral("CONTAPAGAR")), 2);
    QCOMPARE(fixture().count(QStringLiteral("ORCACOMISSAO")), 3);
}

// One row per generation and per cancellation, with the payable as it is
// now, the quotes of each, for one salesperson or all, by the day of the
// operation.
void CommissionServiceTest::shouldKeepTheHistoryOfEverySettlement()
{
    QCOMPARE(m_service->generate(CommissionFixture::quotesPacket({{1, 5}, {9, 5}}), operatorOne), QString());
    m_service->cancel(CommissionFixture::quotesPacket({{9, 5}}), operatorOne);  // partly
    QCOMPARE(m_service->generate(CommissionFixture::quotesPacket({{5, 3}}), operatorOne), QString());
    m_service->cancel(CommissionFixture::quotesPacket({{5, 3}}), operatorOne);  // wholly: the payable goes
    fixture().exec(QStringLiteral("UPDATE CONTAPAGAR SET IDBAIXADA = 'S' WHERE NRCONTAPAGAR = (SELECT NRCONTAPAGAR"
                                  " FROM ORCACOMISSAO WHERE NRORCAEVENTO = '0000000001' AND NRSEQORCAEVE = '01')"));

    const QDate today = QDate::currentDate();
    const HistoryRepository::Selection all{QStringLiteral("0001"), QString(), today, today};
    const SettlementHistory encoded = m_service->history(all);
    const struct {
        packet::Packet settlements, quotes;
    } history{encoded.settlements.decoded(), encoded.quotes.decoded()};
    QCOMPARE(settlementsOf(history.settlements),
             QStringLiteral("Geração|0001|2|35.00|S;Cancelamento|0001|1|-15.00|S;Geração|0002|1|10.00|N;"
                            "Cancelamento|0002|1|10.00|N"));
    // The code, not the text, tells a generation from a cancellation.
    QStringList operations;
    for (const auto &row : history.settlements.rows)
        operations << row[history.settlements.fieldIndex(contract::HistoricoComissao::IdOperacao.name)].toString();
    QCOMPARE(operations.join(QLatin1Char(',')), QStringLiteral("G,C,G,C"));
    const int at = history.settlements.fieldIndex(contract::HistoricoComissao::DtHrAuditoria.name);
    for (const auto &row : history.settlements.rows)
        QCOMPARE(packet::dateTimeFromDayCount(row[at].toDouble()).date(), today);
    QCOMPARE(history.settlements.rows[0][history.settlements.fieldIndex(contract::HistoricoComissao::CdOperador.name)]
                 .toString(),
             QStringLiteral("OP7"));
    // The quotes of each settlement, joined by its audit number.
    const packet::Packet &quotes = history.quotes;
    QStringList quotesBySettlement;
    for (const auto &row : quotes.rows) {
        const int audit = row[quotes.fieldIndex(contract::HistoricoOrcamentos::NrAuditComissao.name)].toInt();
        int position = 0;
        for (int i = 0; i < history.settlements.rows.size(); ++i) {
            if (history.settlements.rows[i][0].toInt() == audit)
                position = i + 1;
        }
        quotesBySettlement.append(
            QStringLiteral("%1:%2=%3")
                .arg(position)
                .arg(row[quotes.fieldIndex(contract::HistoricoOrcamentos::NrOrcaEvento.name)].toString().toInt())
                .arg(row[quotes.fieldIndex(contract::HistoricoOrcamentos::VrComissao.name)].toDouble(), 0, 'f', 2));
    }
    QCOMPARE(quotesBySettlement.join(QLatin1Char(';')),
             QStringLiteral("1:1=50.00;1:9=-15.00;2:9=-15.00;3:5=10.00;4:5=10.00"));
    QVERIFY(!quotes.rows[0][quotes.fieldIndex(contract::HistoricoOrcamentos::NmFantClie.name)].toString().isEmpty());

    const SettlementHistory bruno = m_service->history({QStringLiteral("0001"), QStringLiteral("0002"), today, today});
    QCOMPARE(settlementsOf(bruno.settlements.decoded()),
             QStringLiteral("Geração|0002|1|10.00|N;Cancelamento|0002|1|10.00|N"));
    QCOMPARE(bruno.quotes.rowCount(), 2);
    QCOMPARE(m_service->history({QStringLiteral("0001"), QString(), today.addDays(-1), today.addDays(-1)})
                 .settlements.rowCount(),
             0);
    QCOMPARE(m_service->history({QStringLiteral("0001"), QString(), QDate(), QDate()}).settlements.rowCount(), 4);
    QCOMPARE(m_service->history({QStringLiteral("0002"), QString(), QDate(), QDate()}).settlements.rowCount(), 0);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int status = 0;
    for (TestDatabase::Backend backend : {TestDatabase::Backend::Sqlite, TestDatabase::Backend::Postgres}) {
        CommissionServiceTest test(backend);
        status |= QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "commissionservicetest.moc"
