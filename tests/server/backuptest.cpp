#include "commissionfixture.h"
#include "serverprocess.h"
#include "testdatabase.h"
#include "testserver.h"

#include <connectionprovider.h>
#include <packetcodec.h>
#include <schema.h>

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <thread>

using commission::QuoteKey;

// Copies of a database in use: SQLite's through --backup while writers
// generate and cancel, PostgreSQL's through pg_dump and pg_restore. A copy's
// books are whole and hold every settlement answered before it began.
class BackupTest : public QObject {
    Q_OBJECT

private slots:
    void shouldCopyALiveSqliteDatabaseWithWholeBooksWhileEightClientsWrite();
    void shouldRefuseACopyItCannotMakeCleanly_data();
    void shouldRefuseACopyItCannotMakeCleanly();
    void shouldKeepTheBooksWholeThroughPgDumpAndPgRestore();
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

// Writers that generate and cancel their own quotes through the server
// until stopped, counting the generations answered.
class Writers {
public:
    static constexpr int count = 8;
    static constexpr int quotesEach = 2;

    Writers(const TestServer &server, const QVector<QuoteKey> &keys)
    {
        for (int w = 0; w < count; ++w) {
            m_threads.emplace_back([this, &server, own = keys.mid(w * quotesEach, quotesEach), w] {
                for (int call = 0; !m_stop && call < 5000; ++call) {
                    if (call % 2 == 0) {
                        const TestServer::Reply reply = server.call(QStringLiteral("SetComissao"), generationOf(own));
                        if (reply.status == 200 && reply.result.toString().isEmpty())
                            ++m_generated[w];
                    } else {
                        server.call(QStringLiteral("SetCancelaComissao"), cancellationOf(own));
                    }
                }
            });
        }
    }
    ~Writers() { stop(); }
    void stop()
    {
        m_stop = true;
        for (std::jthread &thread : m_threads) {
            if (thread.joinable())
                thread.join();
        }
    }
    int generated(int writer) const { return m_generated[writer]; }
    int total() const
    {
        int sum = 0;
        for (const std::atomic<int> &generated : m_generated)
            sum += generated;
        return sum;
    }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_generated[count] = {};
    std::vector<std::jthread> m_threads;
};

int generationsAudited(const CommissionFixture &books, const QuoteKey &quote)
{
    return books
        .value(QStringLiteral("SELECT COUNT(*) FROM AUDITCOMISSAOORC D JOIN AUDITCOMISSAO A"
                              " ON A.NRAUDITCOMISSAO = D.NRAUDITCOMISSAO WHERE A.IDOPERACAO = 'G'"
                              " AND D.CDFILIAL = ? AND D.NRORCAEVENTO = ? AND D.NRSEQORCAEVE = ?"),
               {quote.branch, quote.number, quote.sequence})
        .toInt();
}

// The newest installed PostgreSQL's own tool, else the one on the PATH.
QString postgresTool(const QString &name)
{
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    for (auto version = versions.crbegin(); version != versions.crend(); ++version) {
        const QString tool = QStringLiteral("/usr/lib/postgresql/%1/bin/%2").arg(*version, name);
        if (QFileInfo(tool).isExecutable())
            return tool;
    }
    return QStandardPaths::findExecutable(name);
}

}  // namespace

void BackupTest::shouldCopyALiveSqliteDatabaseWithWholeBooksWhileEightClientsWrite()
{
    TestDatabase database(TestDatabase::Backend::Sqlite, QStringLiteral("backup_test"));
    database.reset();
    commission::ConnectionProvider connections(database.where());
    const CommissionFixture books(connections.database());
    books.write();
    const QVector<QuoteKey> keys =
        books.writeQuotes(QStringLiteral("0002"), 7200000000, Writers::count * Writers::quotesEach);
    // Enough pages that the copy takes many steps, started over by the writers.
    books.writeQuotes(QStringLiteral("0005"), 7300000000, 30000);
    TestServer server(database.where());

    Writers writers(server, keys);
    QTRY_VERIFY_WITH_TIMEOUT(writers.total() >= Writers::count * 3, 30000);
    int answeredBefore[Writers::count];
    for (int w = 0; w < Writers::count; ++w)
        answeredBefore[w] = writers.generated(w);
    const QString copy = QFileInfo(database.where().databaseName).dir().filePath(QStringLiteral("copia.db"));
    const ServerProcess::Finished backup = ServerProcess::run(
        {QStringLiteral("--database"), database.where().databaseName, QStringLiteral("--backup"), copy});
    const int generatedMeanwhile = writers.total();
    writers.stop();
    QVERIFY2(backup.exitCode == 0, qPrintable(backup.output));
    QVERIFY(generatedMeanwhile > Writers::count * 3);

    commission::ConnectionProvider copied(database::ConnectionString::parse(copy));
    const CommissionFixture copiedBooks(copied.database());
    QCOMPARE(commission::Schema::version(copied.database()), commission::Schema::latestVersion());
    QCOMPARE(copiedBooks.count(QStringLiteral("ORCAEVENTO")), books.count(QStringLiteral("ORCAEVENTO")));
    const QStringList faults = copiedBooks.moneyFaults();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    for (int w = 0; w < Writers::count; ++w)
        QVERIFY(generationsAudited(copiedBooks, keys[w * Writers::quotesEach]) >= answeredBefore[w]);
    // Nothing half written is left beside it.
    QCOMPARE(QFileInfo(copy).dir().entryList({QStringLiteral("*.parcial")}, QDir::Files), QStringList());
}

void BackupTest::shouldRefuseACopyItCannotMakeCleanly_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("message");

    QTest::newRow("the target exists") << QStringLiteral("%1/banco.db") << QStringLiteral("já existe");
    QTest::newRow("PostgreSQL") << QStringLiteral("postgresql://u@127.0.0.1:1/banco") << QStringLiteral("pg_dump");
    QTest::newRow("no database") << QStringLiteral("%1/nenhum.db") << QStringLiteral("não existe");
}

void BackupTest::shouldRefuseACopyItCannotMakeCleanly()
{
    QFETCH(QString, database);
    QFETCH(QString, message);
    QTemporaryDir dir;
    database.replace(QStringLiteral("%1"), dir.path());
    QVERIFY(ServerProcess::run(
                {QStringLiteral("--database"), dir.filePath(QStringLiteral("banco.db")), QStringLiteral("--init")})
                .exitCode
            == 0);
    const QString copy = dir.filePath(QStringLiteral("copia.db"));
    QFile existing(copy);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("outro");
    existing.close();

    const ServerProcess::Finished backup =
        ServerProcess::run({QStringLiteral("--database"), database, QStringLiteral("--backup"), copy});
    QCOMPARE(backup.exitCode, 1);
    QVERIFY2(backup.output.contains(message), qPrintable(backup.output));
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("outro"));
}

void BackupTest::shouldKeepTheBooksWholeThroughPgDumpAndPgRestore()
{
    const QString reason = TestDatabase::unavailableReason(TestDatabase::Backend::Postgres);
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    if (postgresTool(QStringLiteral("pg_dump")).isEmpty() || postgresTool(QStringLiteral("pg_restore")).isEmpty())
        QSKIP("pg_dump e pg_restore não instalados.");
    TestDatabase source(TestDatabase::Backend::Postgres, QStringLiteral("backup_source"));
    source.reset();
    QVector<QuoteKey> keys;
    {
        commission::ConnectionProvider connections(source.where());
        const CommissionFixture books(connections.database());
        books.write();
        keys = books.writeQuotes(QStringLiteral("0002"), 7400000000, 6);
        TestServer server(source.where());
        QCOMPARE(server.call(QStringLiteral("SetComissao"), generationOf(keys.mid(0, 3))).status, 200);
        QCOMPARE(server.call(QStringLiteral("SetComissao"), generationOf(keys.mid(3, 3))).status, 200);
        QCOMPARE(server.call(QStringLiteral("SetCancelaComissao"), cancellationOf(keys.mid(4, 1))).status, 200);
    }
    QTemporaryDir dir;
    const QString dump = dir.filePath(QStringLiteral("comissao.dump"));
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(postgresTool(QStringLiteral("pg_dump")),
               {QStringLiteral("--format=custom"), QStringLiteral("--file=") + dump,
                QStringLiteral("--dbname=") + ServerProcess::databaseArgument(source.where())});
    QVERIFY2(tool.waitForFinished(60000) && tool.exitCode() == 0, tool.readAll().constData());
    TestDatabase restored(TestDatabase::Backend::Postgres, QStringLiteral("backup_restored"));
    tool.start(postgresTool(QStringLiteral("pg_restore")),
               {QStringLiteral("--no-owner"), QStringLiteral("--exit-on-error"),
                QStringLiteral("--dbname=") + ServerProcess::databaseArgument(restored.where()), dump});
    QVERIFY2(tool.waitForFinished(60000) && tool.exitCode() == 0, tool.readAll().constData());

    commission::ConnectionProvider connections(restored.where());
    const CommissionFixture books(connections.database());
    QCOMPARE(books.count(QStringLiteral("ORCACOMISSAO")), qint64(2 + 5));
    QCOMPARE(books.count(QStringLiteral("AUDITCOMISSAO")), qint64(3));
    QStringList faults = books.moneyFaults();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    // The restored database serves: its sessions and its numbering go on.
    TestServer server(restored.where());
    QCOMPARE(server.call(QStringLiteral("SetComissao"), generationOf(keys.mid(4, 1))).status, 200);
    QCOMPARE(books.count(QStringLiteral("CONTAPAGAR")), qint64(2 + 3));
    faults = books.moneyFaults();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    BackupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "backuptest.moc"
