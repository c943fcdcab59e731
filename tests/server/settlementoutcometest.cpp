#include "commissionfixture.h"
#include "testdatabase.h"
#include "testserver.h"

#include <commissionservice.h>
#include <connectionprovider.h>
#include <daycount.h>
#include <domains.h>
#include <outcomes.h>
#include <packetcodec.h>
#include <recordsetlayouts.h>
#include <recordsets.h>
#include <remotecontract.h>
#include <schema.h>
#include <serviceerror.h>
#include <sqlvalues.h>
#include <utcinstant.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

#include <ctime>
#include <memory>

using commission::CommissionService;
using commission::HistoryRepository;
using contract::Outcomes;
using contract::RemoteContract;
using contract::UtcInstant;
using History = contract::HistoricoComissao;

namespace {

const commission::Caller op7{QStringLiteral("OP7"), QStringLiteral("127.0.0.1"), QStringLiteral("Evento cancelado")};

// 23:30 of 2024-06-10 in São Paulo (UTC-3 all year since 2019); in the
// server's zones (UTC, Tokyo) it is already June 11.
const QDateTime lateEveningInSaoPaulo(QDate(2024, 6, 11), QTime(2, 30), Qt::UTC);

// Where a day of São Paulo begins, as a client there sends its bounds.
QDateTime saoPauloMidnight(const QDate &day)
{
    return QDateTime(day, QTime(3, 0), Qt::UTC);
}

QString cell(const packet::Packet &p, int row, const contract::WireField &field)
{
    return p.rows[row][p.fieldIndex(field.name)].toString();
}

// "payable|quotes|amount" of a generation, "payable|quotes|from>to|removed"
// of a cancellation, per payable.
QString payablesOf(const QJsonObject &members)
{
    QStringList parts;
    for (const QJsonValue &value : members.value(Outcomes::payables).toArray()) {
        const QJsonObject payable = value.toObject();
        QString part = QStringLiteral("%1|%2")
                           .arg(payable.value(Outcomes::payable).toInteger())
                           .arg(payable.value(Outcomes::quoteCount).toInt());
        if (payable.contains(Outcomes::amount))
            part += QStringLiteral("|%1").arg(payable.value(Outcomes::amount).toDouble(), 0, 'f', 2);
        if (payable.contains(Outcomes::amountBefore))
            part += QStringLiteral("|%1>%2|%3")
                        .arg(payable.value(Outcomes::amountBefore).toDouble(), 0, 'f', 2)
                        .arg(payable.value(Outcomes::amountAfter).toDouble(), 0, 'f', 2)
                        .arg(payable.value(Outcomes::removed).toBool() ? QStringLiteral("removida")
                                                                       : QStringLiteral("mantida"));
        parts << part;
    }
    return parts.join(QLatin1Char(';'));
}

}  // namespace

Q_DECLARE_METATYPE(commission::HistoryRepository::Selection)

// What a settlement tells beside its answer, the instants of the history in
// UTC, and the payable's state in the history.
class SettlementOutcomeTest : public QObject {
    Q_OBJECT
public:
    explicit SettlementOutcomeTest(TestDatabase::Backend backend) : m_backend(backend) {}

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void shouldDateOperationsInUtcAndSelectByTheReadersDays_data();
    void shouldDateOperationsInUtcAndSelectByTheReadersDays();
    void shouldSelectTheHistoryByThePeriodArguments_data();
    void shouldSelectTheHistoryByThePeriodArguments();
    void shouldFindTheEveningsSettlementByTheReadersDayInUtc();
    void shouldAnswerAnEarlierStepsAuditAsTheInstantItWas();
    void shouldTellWhatCancellationsDidToEachPayable();
    void shouldAnswerEachOutcomeBesideAnUnchangedResult();

private:
    CommissionFixture fixture() { return CommissionFixture(m_connections->database()); }
    qint64 payableOf(int quote);

    TestDatabase::Backend m_backend;
    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
    std::unique_ptr<CommissionService> m_service;
};

void SettlementOutcomeTest::initTestCase()
{
    const QString reason = TestDatabase::unavailableReason(m_backend);
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    qInfo("Banco: %s", qPrintable(TestDatabase::backendName(m_backend)));
    m_database = std::make_unique<TestDatabase>(m_backend, QStringLiteral("settlement_outcome_test"));
}

void SettlementOutcomeTest::init()
{
    m_database->reset();
    m_connections = std::make_unique<commission::ConnectionProvider>(m_database->where());
    m_service = std::make_unique<CommissionService>(*m_connections);
    fixture().write();
}

void SettlementOutcomeTest::cleanup()
{
    m_service.reset();
    m_connections.reset();
}

void SettlementOutcomeTest::cleanupTestCase()
{
    m_database.reset();
}

qint64 SettlementOutcomeTest::payableOf(int quote)
{
    const commission::QuoteKey key = CommissionFixture::key(quote);
    return fixture()
        .value(QStringLiteral("SELECT NRCONTAPAGAR FROM ORCACOMISSAO WHERE CDFILIAL = ? AND NRORCAEVENTO = ?"
                              " AND NRSEQORCAEVE = ?"),
               {key.branch, key.number, key.sequence})
        .toLongLong();
}

void SettlementOutcomeTest::shouldDateOperationsInUtcAndSelectByTheReadersDays_data()
{
    QTest::addColumn<HistoryRepository::Selection>("selection");
    QTest::addColumn<int>("rows");
    const QString branch = QStringLiteral("0001");
    const QDate june10(2024, 6, 10), june11(2024, 6, 11), june12(2024, 6, 12);
    QTest::newRow("São Paulo's June 10")
        << HistoryRepository::Selection{branch, {}, {}, {}, saoPauloMidnight(june10), saoPauloMidnight(june11)} << 1;
    QTest::newRow("São Paulo's June 11")
        << HistoryRepository::Selection{branch, {}, {}, {}, saoPauloMidnight(june11), saoPauloMidnight(june12)} << 0;
    QTest::newRow("the server's June 11") << HistoryRepository::Selection{branch, {}, june11, june11} << 1;
    QTest::newRow("the server's June 10") << HistoryRepository::Selection{branch, {}, june10, june10} << 0;
    QTest::newRow("the end excludes its instant")
        << HistoryRepository::Selection{branch, {}, {}, {}, {}, lateEveningInSaoPaulo} << 0;
    QTest::newRow("the start includes its instant")
        << HistoryRepository::Selection{branch, {}, {}, {}, lateEveningInSaoPaulo, {}} << 1;
}

void SettlementOutcomeTest::shouldDateOperationsInUtcAndSelectByTheReadersDays()
{
    QFETCH(HistoryRepository::Selection, selection);
    QFETCH(int, rows);
    m_service->setClock([] { return lateEveningInSaoPaulo.toTimeZone(QTimeZone("America/Sao_Paulo")); });
    QCOMPARE(m_service->generate(CommissionFixture::quotesPacket({{1, 5}}), op7), QString());
    QCOMPARE(commission::SqlValues::toUtcDateTime(
                 fixture().value(QStringLiteral("SELECT DTHRAUDITORIA FROM AUDITCOMISSAO"))),
             lateEveningInSaoPaulo);
    // The payable is issued on the server's day.
    QCOMPARE(commission::SqlValues::toDate(fixture().value(
                 QStringLiteral("SELECT DTEMISSAO FROM CONTAPAGAR WHERE NRCONTAPAGAR = ?"), {payableOf(1)})),
             QDate(2024, 6, 11));

    const packet::Packet settlements = m_service->history(selection).settlements.decoded();
    QCOMPARE(settlements.rows.size(), rows);
    if (rows > 0)
        QCOMPARE(UtcInstant::fromDayCount(
                     settlements.rows[0][settlements.fieldIndex(History::DtHrAuditoria.name)].toDouble()),
                 lateEveningInSaoPaulo);
}

void SettlementOutcomeTest::shouldSelectTheHistoryByThePeriodArguments_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<QString>("inUtc");  // "-": the argument left out
    QTest::addColumn<int>("rows");
    const double june10 = UtcInstant::toDayCount(QDateTime(QDate(2024, 6, 10), QTime(0, 0), Qt::UTC));
    const double saoPaulo10 = UtcInstant::toDayCount(saoPauloMidnight(QDate(2024, 6, 10)));
    const double saoPaulo11 = UtcInstant::toDayCount(saoPauloMidnight(QDate(2024, 6, 11)));
    // The audit row below is at 2024-06-11 02:30 UTC.
    QTest::newRow("whole days: the server's days, as before") << june10 << june10 << "-" << 0;
    QTest::newRow("whole days through the next") << june10 << june10 + 1 << "-" << 1;
    QTest::newRow("instants with a fraction") << saoPaulo10 << saoPaulo11 << "-" << 1;
    QTest::newRow("instants of the next São Paulo day") << saoPaulo11 << saoPaulo11 + 1 << "-" << 0;
    QTest::newRow("whole instants, said to be UTC") << june10 << june10 + 1 << "S" << 0;
    QTest::newRow("whole instants, said to be UTC, next day") << june10 + 1 << june10 + 2 << "S" << 1;
    QTest::newRow("said not to be UTC") << june10 + 1 << june10 + 1 << "N" << 1;
    QTest::newRow("open") << 0.0 << 0.0 << "S" << 1;
}

void SettlementOutcomeTest::shouldSelectTheHistoryByThePeriodArguments()
{
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(QString, inUtc);
    QFETCH(int, rows);
    fixture().exec(QStringLiteral("INSERT INTO AUDITCOMISSAO (IDOPERACAO, DTHRAUDITORIA, CDOPERADOR, CDFILIAL,"
                                  " CDVENDEDOR, NRCONTAPAGAR, QTORCAMENTOS, VRCOMISSAO)"
                                  " VALUES ('G', '2024-06-11 02:30:00.000', 'OP1', '0001', '0001', 101, 1, 80)"));
    const TestServer server(m_database->where());
    QJsonArray arguments{args::text(QStringLiteral("0001"), false), args::text(QString(), false),
                         args::date(from, false), args::date(to, false)};
    if (inUtc != QLatin1String("-"))
        arguments.append(args::text(inUtc, false));
    const TestServer::Reply reply = server.call(RemoteContract::getHistoricoComissao, arguments);
    QCOMPARE(reply.status, 200);
    const packet::Packet settlements = packet::fromJson(reply.result.toArray()[0]);
    QCOMPARE(settlements.rows.size(), rows);
    if (rows > 0)
        QCOMPARE(settlements.rows[0][settlements.fieldIndex(History::DtHrAuditoria.name)].toDouble(),
                 UtcInstant::toDayCount(lateEveningInSaoPaulo));
}

// What the history dialog of a host in São Paulo asks for its June 10 finds
// what the driven clock settled there at 23:30, June 11 on the server.
void SettlementOutcomeTest::shouldFindTheEveningsSettlementByTheReadersDayInUtc()
{
    m_service->setClock([] { return lateEveningInSaoPaulo; });
    QCOMPARE(m_service->generate(CommissionFixture::quotesPacket({{1, 5}}), op7), QString());
    const TestServer server(m_database->where());
    const auto midnight = [](int day) {
        return args::date(UtcInstant::toDayCount(saoPauloMidnight(QDate(2024, 6, day))), false);
    };
    const TestServer::Reply reply =
        server.call(RemoteContract::getHistoricoComissao,
                    {args::text(QStringLiteral("0001"), false), args::text(QString(), false), midnight(10),
                     midnight(11), args::text(contract::Domains::PeriodInUtc::yes, false)});
    QCOMPARE(reply.status, 200);
    const packet::Packet settlements = packet::fromJson(reply.result.toArray()[0]);
    QCOMPARE(settlements.rows.size(), 1);
    QCOMPARE(
        UtcInstant::fromDayCount(settlements.rows[0][settlements.fieldIndex(History::DtHrAuditoria.name)].toDouble()),
        lateEveningInSaoPaulo);
}

// The audit was written in UTC from the first step on: an upgrade keeps
// its instants as they are.
void SettlementOutcomeTest::shouldAnswerAnEarlierStepsAuditAsTheInstantItWas()
{
    TestDatabase earlier(m_backend, QStringLiteral("settlement_outcome_upgrade"));
    commission::ConnectionProvider connections(earlier.where());
    commission::Schema::migrateTo(connections.database(), 3);
    CommissionFixture(connections.database()).write();
    CommissionService service(connections, {}, [] { return lateEveningInSaoPaulo; });
    QCOMPARE(service.generate(CommissionFixture::quotesPacket({{1, 5}}), op7), QString());

    commission::Schema::migrate(connections.database());
    const packet::Packet settlements = service.history({QStringLiteral("0001"), {}, {}, {}}).settlements.decoded();
    QCOMPARE(settlements.rows.size(), 1);
    QCOMPARE(
        UtcInstant::fromDayCount(settlements.rows[0][settlements.fieldIndex(History::DtHrAuditoria.name)].toDouble()),
        lateEveningInSaoPaulo);
    QCOMPARE(cell(settlements, 0, History::IdSitContaPagar), QString(contract::Domains::PayableState::asGenerated));
}

// Every settlement row tells its payable now: as generated, changed by a
// cancellation (its amount now) or removed.
void SettlementOutcomeTest::shouldTellWhatCancellationsDidToEachPayable()
{
    QCOMPARE(m_service->generate(CommissionFixture::quotesPacket({{1, 5}, {9, 5}}), op7), QString());
    QCOMPARE(m_service->generate(CommissionFixture::quotesPacket({{5, 3}}), op7), QString());
    m_service->cancel(CommissionFixture::quotesPacket({{9, 5}, {2, 4}}), op7);  // lowers one, removes 101

    const packet::Packet settlements = m_service->history({QStringLiteral("0001"), {}, {}, {}}).settlements.decoded();
    QStringList rows;
    for (int row = 0; row < settlements.rows.size(); ++row)
        rows << QStringLiteral("%1%2:%3=%4")
                        .arg(cell(settlements, row, History::IdOperacao), cell(settlements, row, History::NrContaPagar),
                             cell(settlements, row, History::IdSitContaPagar))
                        .arg(settlements.rows[row][settlements.fieldIndex(History::VrContaPagar.name)].toDouble(), 0,
                             'f', 2)
                    + packet::dateFromDayCount(
                          settlements.rows[row][settlements.fieldIndex(History::DtVencContaPagar.name)].toDouble())
                          .toString(QStringLiteral("@dd/MM/yyyy"));
    const QString first = QString::number(payableOf(1));
    const QString second = QString::number(payableOf(5));
    // A payable falls due a term after the server's day; a removed one has no due date.
    const QString due =
        QDate::currentDate().addDays(CommissionService::paymentTermDays).toString(QStringLiteral("dd/MM/yyyy"));
    QCOMPARE(rows.join(QLatin1Char(';')),
             QStringLiteral("G%1:A=50.00@%3;G%2:G=10.00@%3;C101:R=0.00;C%1:A=50.00@%3").arg(first, second, due));
}

// Generation, cancellation and the two refusals with their numbers, while
// "result" and "error" stay what they were.
void SettlementOutcomeTest::shouldAnswerEachOutcomeBesideAnUnchangedResult()
{
    const TestServer server(m_database->where());
    const auto quotes = [](const QVector<CommissionFixture::Row> &rows) {
        return QJsonValue(packet::toJson(CommissionFixture::quotesPacket(rows)));
    };

    // A generation: the payable, how many quotes, the amount; "result" empty.
    TestServer::Reply reply = server.call(RemoteContract::setComissao, args::generation(quotes({{1, 5}, {9, 5}})));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.result, QJsonValue(QString()));
    const qint64 generated = payableOf(1);
    QCOMPARE(payablesOf(reply.raw.value(Outcomes::outcome).toObject()), QStringLiteral("%1|2|35.00").arg(generated));
    QCOMPARE(reply.raw.keys(), QStringList({QStringLiteral("outcome"), QStringLiteral("result")}));

    // Already generated: the key as before, and which quotes by whom.
    reply = server.call(RemoteContract::setComissao, args::generation(quotes({{2, 4}, {3, 5}})));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.result, QJsonValue(RemoteContract::alreadyGenerated));
    const QJsonArray settled = reply.raw.value(Outcomes::details).toObject().value(Outcomes::settledQuotes).toArray();
    QCOMPARE(settled.size(), 1);
    QCOMPARE(settled[0].toObject(), (QJsonObject{{Outcomes::branch, QStringLiteral("0001")},
                                                 {Outcomes::quote, QStringLiteral("0000000001")},
                                                 {Outcomes::sequence, QStringLiteral("02")},
                                                 {Outcomes::payable, 101},
                                                 {Outcomes::operatorCode, QStringLiteral("OP1")},
                                                 {Outcomes::generatedAt, QStringLiteral("2024-06-01T10:00:00Z")}}));

    // A refusal with nothing to tell has no details.
    reply = server.call(RemoteContract::setComissao, args::generation(quotes({{1, 5, false}})));
    QCOMPARE(reply.raw, (QJsonObject{{QStringLiteral("result"), RemoteContract::nothingMarked}}));

    // A paid payable refuses a cancellation: the key as before, and its number.
    reply = server.call(RemoteContract::setCancelaComissao, args::cancellation(quotes({{12, 1}, {2, 4}})));
    QCOMPARE(reply.status, 422);
    QCOMPARE(reply.error, RemoteContract::payablePaid);
    QCOMPARE(reply.raw.value(Outcomes::details).toObject(),
             (QJsonObject{{Outcomes::payables, QJsonArray{QJsonObject{{Outcomes::payable, 102}}}}}));

    // A cancellation: the packet as before, and each payable from and to.
    reply = server.call(RemoteContract::setCancelaComissao, args::cancellation(quotes({{9, 5}, {2, 4}})));
    QCOMPARE(reply.status, 200);
    QCOMPARE(packet::fromJson(reply.result).rows.size(), 2);
    QCOMPARE(packet::fromJson(reply.result).fields, commission::RecordSetLayouts::cancelledQuotes());
    QCOMPARE(payablesOf(reply.raw.value(Outcomes::outcome).toObject()),
             QStringLiteral("101|1|80.00>0.00|removida;%1|1|35.00>50.00|mantida").arg(generated));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int status = 0;
    // The server's zone: UTC, then one far from it, where an instant shown
    // in the server's local time would differ by hours.
    for (TestDatabase::Backend backend : {TestDatabase::Backend::Sqlite, TestDatabase::Backend::Postgres}) {
        for (const char *zone : {"UTC", "Asia/Tokyo"}) {
            qputenv("TZ", zone);
            tzset();
            SettlementOutcomeTest test(backend);
            status |= QTest::qExec(&test, argc, argv);
        }
    }
    return status;
}

#include "settlementoutcometest.moc"
