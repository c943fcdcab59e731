#include "testdatabase.h"

#include <connectionprovider.h>
#include <daycount.h>
#include <packetfiller.h>
#include <postgresreader.h>
#include <serviceerror.h>
#include <sqlrunner.h>
#include <sqlvalues.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>
#include <thread>

using commission::ConnectionProvider;
using commission::PacketFiller;
using commission::ServiceError;
using commission::SqlRunner;
using packet::FieldKind;
using packet::FieldSpec;

// Reads through the engines' own C libraries: the values a packet gets from
// stored text, numbers and dates, the statements kept per connection, and
// reads that meet another open query, a transaction or a failure.
class NativeReadTest : public QObject {
    Q_OBJECT
private slots:
    void shouldReadStoredDatesAndTimestampsAsDayCounts_data();
    void shouldReadStoredDatesAndTimestampsAsDayCounts();
    void shouldNumberPlaceholdersOutsideQuotedText_data();
    void shouldNumberPlaceholdersOutsideQuotedText();

    void shouldFillAPacketWithTheValuesAsStored_data() { backends(); }
    void shouldFillAPacketWithTheValuesAsStored();
    void shouldAnswerValidTextForBytesThatAreNotUtf8_data();
    void shouldAnswerValidTextForBytesThatAreNotUtf8();
    void shouldRefuseATextLongerThanItsField_data() { backends(); }
    void shouldRefuseATextLongerThanItsField();
    void shouldReadWhileAnotherQueryIsStillOpen_data() { backends(); }
    void shouldReadWhileAnotherQueryIsStillOpen();
    void shouldLetATransactionCommitAfterItsReads_data() { backends(); }
    void shouldLetATransactionCommitAfterItsReads();
    void shouldReportAFailedReadWithoutTheDriversTextAndGoOn_data() { backends(); }
    void shouldReportAFailedReadWithoutTheDriversTextAndGoOn();
    void shouldReadTwiceOnAConnectionNoProviderKeeps_data() { backends(); }
    void shouldReadTwiceOnAConnectionNoProviderKeeps();
    void shouldKeepAnsweringPastTheStatementsItKeeps_data() { backends(); }
    void shouldKeepAnsweringPastTheStatementsItKeeps();

private:
    void backends();
    // A provider on a fresh database of the row's backend with table T
    // holding `rows`; nullptr (and the test skipped) when it is unavailable.
    std::unique_ptr<ConnectionProvider> openWith(const QStringList &rows);

    std::unique_ptr<TestDatabase> m_database;
};

namespace {

const QVector<FieldSpec> layout = {{QStringLiteral("NAME"), FieldKind::Text, 30},
                                   {QStringLiteral("AMOUNT"), FieldKind::Float, 0},
                                   {QStringLiteral("DAY"), FieldKind::DateTime, 0}};

const QString readAll = QStringLiteral("SELECT NAME, AMOUNT, DAY FROM T WHERE ID >= ? ORDER BY ID");

// Timestamps are read as the UTC instants they are stored as.
double utcDayCount(const QDate &date, const QTime &time)
{
    return packet::toDayCount(QDateTime(date, time, Qt::UTC));
}

}  // namespace

void NativeReadTest::shouldReadStoredDatesAndTimestampsAsDayCounts_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<double>("expected");

    const QDate day(2026, 11, 30);
    QTest::newRow("date") << "2026-11-30" << packet::toDayCount(day);
    QTest::newRow("timestamp with milliseconds")
        << "2026-11-30 14:20:17.170" << utcDayCount(day, QTime(14, 20, 17, 170));
    QTest::newRow("trailing zeros left out") << "2026-11-30 14:20:17.17" << utcDayCount(day, QTime(14, 20, 17, 170));
    QTest::newRow("microseconds") << "2026-11-30 14:20:17.123456" << utcDayCount(day, QTime(14, 20, 17, 123));
    QTest::newRow("no fraction, T between") << "2026-11-30T14:20:17" << utcDayCount(day, QTime(14, 20, 17));
    QTest::newRow("midnight UTC") << "2026-12-01 00:00:00" << utcDayCount(QDate(2026, 12, 1), QTime(0, 0));
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("day first") << "30/11/2026" << 0.0;
    QTest::newRow("no such day") << "2026-02-30" << 0.0;
    QTest::newRow("no such hour") << "2026-11-30 25:00:00" << 0.0;
    QTest::newRow("minutes only") << "2026-11-30 14:20" << 0.0;
    QTest::newRow("dot without digits") << "2026-11-30 14:20:17." << 0.0;
    QTest::newRow("time zone") << "2026-11-30 14:20:17+00" << 0.0;
    QTest::newRow("sign in the year") << "+026-11-30" << 0.0;
}

void NativeReadTest::shouldReadStoredDatesAndTimestampsAsDayCounts()
{
    QFETCH(QString, stored);
    QFETCH(double, expected);
    const QByteArray text = stored.toUtf8();
    QCOMPARE(commission::SqlValues::toDayCount(std::string_view(text.constData(), std::size_t(text.size()))), expected);
}

void NativeReadTest::shouldNumberPlaceholdersOutsideQuotedText_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("none") << "SELECT 1" << QByteArray("SELECT 1");
    QTest::newRow("in order") << "A = ? AND B IN (?, ?)" << QByteArray("A = $1 AND B IN ($2, $3)");
    QTest::newRow("quoted mark stays") << "A = '?' AND B = ?" << QByteArray("A = '?' AND B = $1");
    QTest::newRow("doubled quote inside") << "A = 'it''s ?' AND B = ?" << QByteArray("A = 'it''s ?' AND B = $1");
    QTest::newRow("past nine") << "?,?,?,?,?,?,?,?,?,?" << QByteArray("$1,$2,$3,$4,$5,$6,$7,$8,$9,$10");
    QTest::newRow("accented text") << "A = 'Ação' AND B = ?" << QByteArray("A = 'Ação' AND B = $1");
}

void NativeReadTest::shouldNumberPlaceholdersOutsideQuotedText()
{
    QFETCH(QString, sql);
    QFETCH(QByteArray, expected);
    QCOMPARE(commission::PostgresReader::numberedPlaceholders(sql), expected);
}

void NativeReadTest::backends()
{
    QTest::addColumn<TestDatabase::Backend>("backend");
    QTest::newRow("SQLite") << TestDatabase::Backend::Sqlite;
    QTest::newRow("PostgreSQL") << TestDatabase::Backend::Postgres;
}

std::unique_ptr<ConnectionProvider> NativeReadTest::openWith(const QStringList &rows)
{
    QFETCH(TestDatabase::Backend, backend);
    const QString unavailable = TestDatabase::unavailableReason(backend);
    if (!unavailable.isEmpty())
        return nullptr;
    m_database = std::make_unique<TestDatabase>(backend, QStringLiteral("native_read_test"));
    auto provider = std::make_unique<ConnectionProvider>(m_database->where());
    const QSqlDatabase db = provider->database();
    const bool postgres = backend == TestDatabase::Backend::Postgres;
    SqlRunner::run(db, QStringLiteral("DROP TABLE IF EXISTS T"));
    SqlRunner::run(db, QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(40), AMOUNT %1, DAY %2)")
                           .arg(postgres ? QStringLiteral("NUMERIC(12,2)") : QStringLiteral("NUMERIC"),
                                postgres ? QStringLiteral("DATE") : QStringLiteral("TEXT")));
    for (const QString &row : rows)
        SqlRunner::run(db, QStringLiteral("INSERT INTO T (ID, NAME, AMOUNT, DAY) VALUES (%1)").arg(row));
    return provider;
}

void NativeReadTest::shouldFillAPacketWithTheValuesAsStored()
{
    const auto provider = openWith({QStringLiteral("1, 'Ação ''aspas'' \"duplas\"', 1234.56, '2026-11-30'"),
                                    QStringLiteral("2, NULL, NULL, NULL"), QStringLiteral("3, '', -0.01, '1899-12-30'"),
                                    QStringLiteral("4, 'Ω ☃ 𝄞', 0, '2024-02-29'")});
    if (!provider)
        QSKIP("Banco indisponível: COMMISSION_TEST_POSTGRES não definida.");
    const packet::Packet read = PacketFiller::read(provider->database(), readAll, {2}, layout).decoded();
    QCOMPARE(read.fields, layout);
    const QVector<QVector<QVariant>> expected = {
        {QVariant(), QVariant(), QVariant()},
        {QString(), -0.01, 0.0},
        {QStringLiteral("Ω ☃ 𝄞"), 0.0, packet::toDayCount(QDate(2024, 2, 29))},
    };
    QCOMPARE(read.rows, expected);
    // The same statement again, kept, with other values.
    const packet::Packet first =
        PacketFiller::read(provider->database(), readAll, {QStringLiteral("1")}, layout).decoded();
    QCOMPARE(first.rows.size(), 4);
    QCOMPARE(first.rows[0], (QVector<QVariant>{QStringLiteral("Ação 'aspas' \"duplas\""), 1234.56,
                                               packet::toDayCount(QDate(2026, 11, 30))}));
}

// SQLite keeps whatever bytes another program wrote; the answer stays valid
// JSON, each bad byte one U+FFFD, and the field's size counts the text as
// the screen reads it.
void NativeReadTest::shouldAnswerValidTextForBytesThatAreNotUtf8_data()
{
    // PostgreSQL refuses such bytes when they are written.
    QTest::addColumn<TestDatabase::Backend>("backend");
    QTest::newRow("SQLite") << TestDatabase::Backend::Sqlite;
}

void NativeReadTest::shouldAnswerValidTextForBytesThatAreNotUtf8()
{
    // "São" in Latin-1, a quote, a lone continuation byte.
    const auto provider = openWith({QStringLiteral("1, CAST(X'53E36F2280' AS TEXT), 1, '2026-01-01'")});
    QVERIFY(provider);
    const commission::EncodedPacket read = PacketFiller::read(provider->database(), readAll, {1}, layout);
    const QString replacement(QChar::ReplacementCharacter);
    QCOMPARE(read.decoded().rows.value(0).value(0).toString(), "S" + replacement + "o\"" + replacement);
}

void NativeReadTest::shouldRefuseATextLongerThanItsField()
{
    const auto provider = openWith({QStringLiteral("1, '%1', 1, '2026-01-01'").arg(QString(31, QChar(0x00e7)))});
    if (!provider)
        QSKIP("Banco indisponível: COMMISSION_TEST_POSTGRES não definida.");
    try {
        PacketFiller::read(provider->database(), readAll, {1}, layout);
        QFAIL("Um texto maior que o campo passou.");
    } catch (const ServiceError &error) {
        QCOMPARE(error.kind(), ServiceError::Kind::Internal);
    }
}

void NativeReadTest::shouldReadWhileAnotherQueryIsStillOpen()
{
    const auto provider =
        openWith({QStringLiteral("1, 'a', 1, '2026-01-01'"), QStringLiteral("2, 'b', 2, '2026-01-02'"),
                  QStringLiteral("3, 'c', 3, '2026-01-03'")});
    if (!provider)
        QSKIP("Banco indisponível: COMMISSION_TEST_POSTGRES não definida.");
    const QSqlDatabase db = provider->database();
    // Forward-only, one row of three fetched, the query still open.
    QSqlQuery open = SqlRunner::run(db, QStringLiteral("SELECT ID FROM T ORDER BY ID"));
    QVERIFY(open.next());
    QCOMPARE(PacketFiller::read(db, readAll, {1}, layout).rowCount(), 3);
    // A statement of the Qt driver after the read runs as usual.
    QCOMPARE(SqlRunner::run(db, QStringLiteral("SELECT COUNT(*) FROM T WHERE ID > ?"), {0}).next(), true);
}

void NativeReadTest::shouldLetATransactionCommitAfterItsReads()
{
    const auto provider = openWith({QStringLiteral("1, 'a', 1, '2026-01-01'")});
    if (!provider)
        QSKIP("Banco indisponível: COMMISSION_TEST_POSTGRES não definida.");
    QSqlDatabase db = provider->database();
    QVERIFY(db.transaction());
    QCOMPARE(PacketFiller::read(db, readAll, {1}, layout).rowCount(), 1);
    SqlRunner::run(db, QStringLiteral("INSERT INTO T (ID, NAME, AMOUNT, DAY) VALUES (?, ?, ?, ?)"),
                   {2, QStringLiteral("b"), 2.5, QStringLiteral("2026-01-02")});
    // The read inside the transaction sees its own write.
    QCOMPARE(PacketFiller::read(db, readAll, {1}, layout).rowCount(), 2);
    QVERIFY2(db.commit(), qPrintable(db.lastError().text()));
    // Another connection sees the commit.
    ConnectionProvider other(m_database->where());
    std::thread([&] {
        QCOMPARE(PacketFiller::read(other.database(), readAll, {1}, layout).rowCount(), 2);
        other.discard();
    }).join();
}

void NativeReadTest::shouldReportAFailedReadWithoutTheDriversTextAndGoOn()
{
    const auto provider = openWith({QStringLiteral("1, 'a', 1, '2026-01-01'")});
    if (!provider)
        QSKIP("Banco indisponível: COMMISSION_TEST_POSTGRES não definida.");
    const QSqlDatabase db = provider->database();
    for (const QString &sql : {QStringLiteral("SELECT NAME, AMOUNT, DAY FROM NO_SUCH_TABLE WHERE ID >= ?"),
                               QStringLiteral("SELECT NAME, AMOUNT, DAY FROM T WHERE ID >= ? AND ?")}) {
        try {
            PacketFiller::read(db, sql, {1}, layout);
            QFAIL("Uma leitura impossível passou.");
        } catch (const ServiceError &error) {
            QCOMPARE(error.kind(), ServiceError::Kind::Database);
            QCOMPARE(error.message(), QStringLiteral("Falha no banco de dados"));
            QVERIFY(!error.detail().isEmpty());
        }
        QCOMPARE(PacketFiller::read(db, readAll, {1}, layout).rowCount(), 1);
    }
}

void NativeReadTest::shouldReadTwiceOnAConnectionNoProviderKeeps()
{
    const auto provider = openWith({QStringLiteral("1, 'a', 1, '2026-01-01'")});
    if (!provider)
        QSKIP("Banco indisponível: COMMISSION_TEST_POSTGRES não definida.");
    const QString name = QStringLiteral("native-read-plain");
    {
        const QSqlDatabase plain = database::openConnection(m_database->where(), name);
        // Each read brings a reader of its own, gone after it.
        for (int read = 0; read < 3; ++read)
            QCOMPARE(PacketFiller::read(plain, readAll, {1}, layout).rowCount(), 1);
    }
    QSqlDatabase::removeDatabase(name);
}

void NativeReadTest::shouldKeepAnsweringPastTheStatementsItKeeps()
{
    const auto provider =
        openWith({QStringLiteral("1, 'a', 1, '2026-01-01'"), QStringLiteral("2, 'b', 2, '2026-01-02'")});
    if (!provider)
        QSKIP("Banco indisponível: COMMISSION_TEST_POSTGRES não definida.");
    const QSqlDatabase db = provider->database();
    // Code lists of every length, as listings filtered by salespeople send
    // them: more texts than a connection keeps, each read twice.
    for (int round = 0; round < 2; ++round) {
        for (int codes = 1; codes <= 80; ++codes) {
            QVariantList values;
            for (int i = 0; i < codes; ++i)
                values.append(i == codes - 1 ? 2 : 100 + i);
            const QString sql = QStringLiteral("SELECT NAME, AMOUNT, DAY FROM T WHERE ID IN (%1) ORDER BY ID")
                                    .arg(SqlRunner::placeholders(codes));
            const packet::Packet read = PacketFiller::read(db, sql, values, layout).decoded();
            QCOMPARE(read.rows.size(), 1);
            QCOMPARE(read.rows[0][0], QVariant(QStringLiteral("b")));
        }
    }
}

QTEST_GUILESS_MAIN(NativeReadTest)
#include "nativereadtest.moc"
