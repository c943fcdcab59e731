#include "benchmarkrun.h"

#include "benchclient.h"

#include <bulkinserter.h>
#include <commissionhttpserver.h>
#include <commissionmath.h>
#include <daycount.h>
#include <demodatagenerator.h>
#include <packetcodec.h>
#include <quotekey.h>
#include <schema.h>
#include <sqldialect.h>
#include <sqlrunner.h>
#include <sqlvalues.h>
#include <writetransaction.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QSqlRecord>

#include <atomic>
#include <cstdio>
#include <random>
#include <thread>

using commission::SqlRunner;

namespace {

constexpr int benchBranches = 20;
constexpr int quotesPerGeneration = 1000;
const QString branch = QStringLiteral("0001");

void say(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

double elapsedMs(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

QString salespersonOfBranch(int branchIndex, int nth)
{
    // The generator puts salesperson i in branch i mod 20.
    return QString::number(branchIndex + 1 + nth * benchBranches).rightJustified(4, QLatin1Char('0'));
}

}  // namespace

BenchmarkRun::BenchmarkRun(const BenchOptions &options) : m_options(options)
{
    const QDate lastMonth = QDate::currentDate().addMonths(-1);
    m_monthStart = QDate(lastMonth.year(), lastMonth.month(), 1);
    m_monthEnd = m_monthStart.addMonths(1).addDays(-1);
}

BenchmarkRun::~BenchmarkRun() = default;

void BenchmarkRun::buildDatabase()
{
    const commission::DemoSize size = commission::DemoSize::benchmark();
    say(QStringLiteral("Criando %1 orçamentos (%2 vendedores, %3 filiais, %4 meses)...")
            .arg(size.quotes)
            .arg(size.salespeople)
            .arg(size.branches)
            .arg(size.months));
    QElapsedTimer timer;
    timer.start();
    const QSqlDatabase db = m_connections->database();
    const bool sqlite = m_connections->where().isSqlite();
    // A throw-away database loaded in one go: no journal and no syncing while
    // it is written (a failed build is simply built again), WAL afterwards.
    if (sqlite) {
        for (const char *pragma : {"PRAGMA journal_mode=OFF", "PRAGMA synchronous=OFF", "PRAGMA cache_size=-262144"})
            SqlRunner::run(db, QString::fromLatin1(pragma));
    }
    commission::DemoDataGenerator(size).generate(db, [](qint64 written) {
        if (written % 200000 == 0)
            say(QStringLiteral("  %1 orçamentos").arg(written));
    });
    if (sqlite) {
        for (const char *pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL", "PRAGMA cache_size=-2000"})
            SqlRunner::run(db, QString::fromLatin1(pragma));
    }
    SqlRunner::run(db, QStringLiteral("ANALYZE"));
    say(QStringLiteral("Banco criado em %1 s.").arg(timer.elapsed() / 1000.0, 0, 'f', 1));
}

void BenchmarkRun::prepareDatabase()
{
    const database::ConnectionString where = database::ConnectionString::parse(m_options.database);
    if (m_options.rebuild && where.isSqlite()) {
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(where.databaseName + suffix);
    }
    m_connections = std::make_unique<commission::ConnectionProvider>(where);
    const QSqlDatabase db = m_connections->database();
    commission::Schema::migrate(db);
    QSqlQuery count = SqlRunner::run(db, QStringLiteral("SELECT COUNT(*) FROM ORCAEVENTO"));
    count.next();
    const qint64 quotes = count.value(0).toLongLong();
    count.finish();
    // Generations of an earlier run that was cut short.
    commission::WriteTransaction transaction(db);
    for (const char *table : {"AUDITCOMISSAOORC", "AUDITCOMISSAO", "ORCACOMISSAO", "CONTAPAGAR"})
        SqlRunner::run(db, QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
    if (quotes != commission::DemoSize::benchmark().quotes) {
        for (const char *table : {"ORCAEVENTO", "PARAMORCAEVE", "CLIENTE", "TIPOEVENTO", "VENDEDOR", "FILIAL"})
            SqlRunner::run(db, QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
    }
    transaction.commit();
    if (quotes != commission::DemoSize::benchmark().quotes)
        buildDatabase();
    else
        say(QStringLiteral("Usando o banco existente %1 (%2 orçamentos).").arg(where.describe()).arg(quotes));
}

commission::QuoteFilter BenchmarkRun::filterFor(const QString &branchCode, QDate from, QDate to) const
{
    commission::QuoteFilter filter;
    filter.branch = branchCode;
    filter.from = from;
    filter.to = to;
    return filter;
}

QJsonArray BenchmarkRun::listingArguments(const QString &branchCode, const QString &salesperson, bool single,
                                          QDate from, QDate to) const
{
    return QJsonArray{BenchClient::text(branchCode, true),
                      BenchClient::text(salesperson, !single),
                      BenchClient::text(QString(), true),
                      BenchClient::text(QStringLiteral("EVENTO"), false),
                      BenchClient::text(QStringLiteral("S"), false),
                      BenchClient::date(packet::toDayCount(from), true),
                      BenchClient::date(packet::toDayCount(to), true),
                      BenchClient::text(QStringLiteral("N"), true)};
}

double BenchmarkRun::runBare(const QSqlDatabase &db, const QVector<commission::SqlStatement> &statements)
{
    QElapsedTimer timer;
    timer.start();
    for (const commission::SqlStatement &statement : statements) {
        QSqlQuery query = SqlRunner::run(db, statement.sql, statement.values);
        const int columns = query.record().count();
        while (query.next()) {
            for (int i = 0; i < columns; ++i)
                query.value(i);
        }
    }
    return elapsedMs(timer);
}

BenchmarkRun::Comparison BenchmarkRun::compareListing(int port, const QString &method, const QJsonArray &arguments,
                                                      const QVector<commission::SqlStatement> &bare)
{
    constexpr int warmUpCalls = 10;  // the first runs warm the caches
    BenchClient client(port);
    const QSqlDatabase db = m_connections->database();
    Comparison comparison;
    for (int i = 0; i < m_options.calls + warmUpCalls; ++i) {
        QElapsedTimer timer;
        timer.start();
        client.call(method, arguments);
        const double server = elapsedMs(timer);
        const double direct = runBare(db, bare);
        if (i >= warmUpCalls) {
            comparison.server.add(server);
            comparison.bare.add(direct);
        }
    }
    return comparison;
}

BenchmarkRun::Comparison BenchmarkRun::measureSalespeople(int port)
{
    const commission::QuoteFilter filter = filterFor(branch, m_monthStart, m_monthEnd);
    return compareListing(
        port, QStringLiteral("GetVendedores"), listingArguments(branch, QString(), false, m_monthStart, m_monthEnd),
        {commission::QuoteQueries::salespeople(filter), commission::QuoteQueries::pendingQuotes(filter)});
}

BenchmarkRun::Comparison BenchmarkRun::measureQuotes(int port, const QString &salesperson)
{
    return compareListing(port, QStringLiteral("GetOrcamentos"),
                          listingArguments(branch, salesperson, true, m_monthStart, m_monthEnd),
                          {commission::QuoteQueries::quotes(filterFor(branch, m_monthStart, m_monthEnd), salesperson)});
}

double BenchmarkRun::generateBare(const QSqlDatabase &db, const QJsonArray &rows, int fieldsBranch, int fieldsNumber,
                                  int fieldsSequence, int fieldsPercent)
{
    // The statements a generation runs, without HTTP, packets or checks:
    // read the quotes and their links, write payable, links and audit.
    QElapsedTimer timer;
    timer.start();
    commission::WriteTransaction transaction(db);
    QVector<QVariantList> keys;
    for (const QJsonValue row : rows) {
        const QJsonArray values = row.toArray();
        keys.append({values[fieldsBranch].toString(), values[fieldsNumber].toString(),
                     values[fieldsSequence].toString(), values[fieldsPercent].toDouble()});
    }
    for (qsizetype start = 0; start < keys.size(); start += 300) {
        const qsizetype count = std::min<qsizetype>(300, keys.size() - start);
        QVariantList values;
        for (qsizetype i = start; i < start + count; ++i)
            values << keys[i][0] << keys[i][1] << keys[i][2];
        const QString table = commission::QuoteKey::keyTable(int(count));
        runBare(db, {{table
                          + QStringLiteral("SELECT Q.VRTOTALOREV, Q.CDVENDEDOR, Q.DTFECHAORCA FROM K JOIN ORCAEVENTO Q"
                                           " ON Q.CDFILIAL = K.B AND Q.NRORCAEVENTO = K.N AND Q.NRSEQORCAEVE = K.S"),
                      values},
                     {table
                          + QStringLiteral("SELECT L.NRCONTAPAGAR FROM K JOIN ORCACOMISSAO L ON L.CDFILIAL = K.B"
                                           " AND L.NRORCAEVENTO = K.N AND L.NRSEQORCAEVE = K.S"),
                      values}});
    }
    QSqlQuery payable = SqlRunner::run(
        db,
        QStringLiteral(
            "INSERT INTO CONTAPAGAR (CDFILIAL, CDFORNECED, CDVENDEDOR, CDTPCTPAGAR, CDTPOPENTACE, CDSERIEENTR,"
            " VRCONTAPAGAR, DTEMISSAO, DTVENCIMENTO, CDOPERADOR, DTHRCRIACAO) VALUES"
            " (?, 'F', '0001', 'COM001', '03', '1', 1, ?, ?, 'BENCH', ?) RETURNING NRCONTAPAGAR"),
        {branch, commission::SqlValues::date(QDate::currentDate()), commission::SqlValues::date(QDate::currentDate()),
         commission::SqlValues::timestamp(QDateTime::currentDateTime())});
    payable.next();
    const qint64 number = payable.value(0).toLongLong();
    payable.finish();  // a statement still open would keep the commit from ending
    commission::BulkInserter links(db, QStringLiteral("ORCACOMISSAO"),
                                   {QStringLiteral("CDFILIAL"), QStringLiteral("NRORCAEVENTO"),
                                    QStringLiteral("NRSEQORCAEVE"), QStringLiteral("NRCONTAPAGAR"),
                                    QStringLiteral("VRPERCCOMIS"), QStringLiteral("VRCOMISSAO")});
    for (const QVariantList &key : keys)
        links.add({key[0], key[1], key[2], number, key[3], 1.0});
    links.finish();
    QSqlQuery audit = SqlRunner::run(
        db,
        QStringLiteral("INSERT INTO AUDITCOMISSAO (IDOPERACAO, DTHRAUDITORIA, CDOPERADOR, CDFILIAL, CDVENDEDOR,"
                       " NRCONTAPAGAR, QTORCAMENTOS, VRCOMISSAO) VALUES ('G', ?, 'BENCH', ?, '0001', ?, ?, 1)"
                       " RETURNING NRAUDITCOMISSAO"),
        {commission::SqlValues::timestamp(QDateTime::currentDateTime()), branch, number, int(keys.size())});
    audit.next();
    const qint64 auditNumber = audit.value(0).toLongLong();
    audit.finish();
    commission::BulkInserter details(db, QStringLiteral("AUDITCOMISSAOORC"),
                                     {QStringLiteral("NRAUDITCOMISSAO"), QStringLiteral("CDFILIAL"),
                                      QStringLiteral("NRORCAEVENTO"), QStringLiteral("NRSEQORCAEVE"),
                                      QStringLiteral("VRPERCCOMIS"), QStringLiteral("VRCOMISSAO")});
    for (const QVariantList &key : keys)
        details.add({auditNumber, key[0], key[1], key[2], key[3], 1.0});
    details.finish();
    transaction.commit();
    const double milliseconds = elapsedMs(timer);

    commission::WriteTransaction cleanup(db);
    SqlRunner::run(db, QStringLiteral("DELETE FROM AUDITCOMISSAOORC WHERE NRAUDITCOMISSAO = ?"), {auditNumber});
    SqlRunner::run(db, QStringLiteral("DELETE FROM AUDITCOMISSAO WHERE NRAUDITCOMISSAO = ?"), {auditNumber});
    SqlRunner::run(db, QStringLiteral("DELETE FROM ORCACOMISSAO WHERE NRCONTAPAGAR = ?"), {number});
    SqlRunner::run(db, QStringLiteral("DELETE FROM CONTAPAGAR WHERE NRCONTAPAGAR = ?"), {number});
    cleanup.commit();
    return milliseconds;
}

BenchmarkRun::Comparison BenchmarkRun::measureGenerations(int port, Timings &cancellations)
{
    BenchClient client(port);
    const QSqlDatabase db = m_connections->database();
    Comparison comparison;
    // The branch's salespeople who earn commission and have a supplier.
    const packet::Packet salespeople = packet::fromJson(
        client.call(QStringLiteral("GetVendedores"), listingArguments(branch, QString(), false, QDate(), QDate()))
            .toArray()
            .first());
    const int code = salespeople.fieldIndex(QStringLiteral("CDVENDEDOR"));
    const int supplier = salespeople.fieldIndex(QStringLiteral("CDFORNECED"));
    for (const QVector<QVariant> &candidate : salespeople.rows) {
        if (comparison.server.count() >= m_options.generations)
            break;
        if (candidate[supplier].toString().isEmpty())
            continue;
        // All of the salesperson's closed quotes of the three years without
        // commission; the first 1,000 with a percentage are marked.
        const QString salesperson = candidate[code].toString();
        const QJsonObject quotes =
            client.call(QStringLiteral("GetOrcamentos"), listingArguments(branch, salesperson, true, QDate(), QDate()))
                .toObject();
        const packet::Packet layout = packet::fromJson(quotes);
        const int percent = layout.fieldIndex(QStringLiteral("VRPERCCOMIS"));
        QJsonArray marked;
        for (const QJsonValue row : quotes.value(QStringLiteral("rows")).toArray()) {
            if (row.toArray()[percent].toDouble() > 0 && marked.size() < quotesPerGeneration)
                marked.append(row);
        }
        if (marked.size() < quotesPerGeneration)
            continue;
        QJsonObject sent = quotes;
        sent.insert(QStringLiteral("rows"), marked);

        QElapsedTimer timer;
        timer.start();
        const QString answer = client
                                   .call(QStringLiteral("SetComissao"),
                                         {BenchClient::packet(sent), BenchClient::text(QStringLiteral("BENCH"), false)})
                                   .toString();
        const double generation = elapsedMs(timer);
        if (!answer.isEmpty())
            throw std::runtime_error("SetComissao recusado: " + answer.toStdString());
        timer.restart();
        client.call(QStringLiteral("SetCancelaComissao"), {BenchClient::packet(sent)});
        cancellations.add(elapsedMs(timer));
        comparison.server.add(generation);
        comparison.bare.add(generateBare(db, marked, layout.fieldIndex(QStringLiteral("CDFILIAL")),
                                         layout.fieldIndex(QStringLiteral("NRORCAEVENTO")),
                                         layout.fieldIndex(QStringLiteral("NRSEQORCAEVE")), percent));
    }
    return comparison;
}

BenchmarkRun::Throughput BenchmarkRun::measureThroughput(int port)
{
    // A mix like the screen's: a salesperson listing, then the quotes of one
    // salesperson, for a random branch and month of the three years.
    auto runClients = [this](const std::function<void(int branchIndex, const QString &salesperson, QDate from, QDate to,
                                                      bool listing)> &call) {
        std::atomic<qint64> calls{0};
        std::vector<std::thread> threads;
        QElapsedTimer timer;
        timer.start();
        for (int c = 0; c < m_options.clients; ++c) {
            threads.emplace_back([&, c] {
                std::mt19937 random(97 + c);
                bool listing = true;
                while (timer.elapsed() < m_options.seconds * 1000) {
                    const int branchIndex = std::uniform_int_distribution<int>(0, benchBranches - 1)(random);
                    const QDate from = m_monthStart.addMonths(-std::uniform_int_distribution<int>(0, 34)(random));
                    const QString salesperson =
                        salespersonOfBranch(branchIndex, std::uniform_int_distribution<int>(0, 24)(random));
                    call(branchIndex, salesperson, from, from.addMonths(1).addDays(-1), listing);
                    listing = !listing;
                    ++calls;
                }
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        return calls / (timer.elapsed() / 1000.0);
    };

    Throughput throughput;
    throughput.serverCallsPerSecond =
        runClients([this, port](int branchIndex, const QString &salesperson, QDate from, QDate to, bool listing) {
            thread_local BenchClient client(port);
            const QString branchCode = QString::number(branchIndex + 1).rightJustified(4, QLatin1Char('0'));
            if (listing)
                client.call(QStringLiteral("GetVendedores"), listingArguments(branchCode, QString(), false, from, to));
            else
                client.call(QStringLiteral("GetOrcamentos"), listingArguments(branchCode, salesperson, true, from, to));
        });
    throughput.bareCallsPerSecond =
        runClients([this](int branchIndex, const QString &salesperson, QDate from, QDate to, bool listing) {
            const commission::QuoteFilter filter =
                filterFor(QString::number(branchIndex + 1).rightJustified(4, QLatin1Char('0')), from, to);
            if (listing)
                runBare(m_connections->database(), {commission::QuoteQueries::salespeople(filter),
                                                    commission::QuoteQueries::pendingQuotes(filter)});
            else
                runBare(m_connections->database(), {commission::QuoteQueries::quotes(filter, salesperson)});
        });
    return throughput;
}

int BenchmarkRun::run()
{
    prepareDatabase();
    commission::HttpSettings settings;
    settings.port = 0;
    settings.threads = std::max(8, m_options.clients);
    commission::ConnectionProvider serverConnections(m_connections->where());
    commission::CommissionHttpServer server(settings, serverConnections, [](const QString &) {});
    const int port = server.bind().value_or(0);
    if (port == 0) {
        say(QStringLiteral("Não foi possível abrir uma porta no loopback."));
        return 1;
    }
    std::thread serving([&server] { server.run(); });
    const auto stopServing = [&] {
        server.stop();
        serving.join();
    };

    try {
        say(QStringLiteral("Filial %1, %2 a %3, %4 chamadas por medida.")
                .arg(branch, m_monthStart.toString(Qt::ISODate), m_monthEnd.toString(Qt::ISODate))
                .arg(m_options.calls));
        const Comparison salespeople = measureSalespeople(port);
        say(QStringLiteral("GetVendedores: servidor %1; SQL %2; razão %3x")
                .arg(salespeople.server.describe(), salespeople.bare.describe())
                .arg(salespeople.ratio(), 0, 'f', 2));
        const Comparison quotes = measureQuotes(port, salespersonOfBranch(0, 0));
        say(QStringLiteral("GetOrcamentos: servidor %1; SQL %2; razão %3x")
                .arg(quotes.server.describe(), quotes.bare.describe())
                .arg(quotes.ratio(), 0, 'f', 2));
        Timings cancellations;
        const Comparison generations = measureGenerations(port, cancellations);
        say(QStringLiteral("SetComissao de %1 orçamentos: servidor %2; SQL %3; razão %4x")
                .arg(quotesPerGeneration)
                .arg(generations.server.describe(), generations.bare.describe())
                .arg(generations.ratio(), 0, 'f', 2));
        say(QStringLiteral("SetCancelaComissao de %1 orçamentos: %2")
                .arg(quotesPerGeneration)
                .arg(cancellations.describe()));
        const Throughput throughput = measureThroughput(port);
        const double throughputRatio =
            throughput.bareCallsPerSecond > 0 ? throughput.serverCallsPerSecond / throughput.bareCallsPerSecond : 0;
        say(QStringLiteral("%1 clientes simultâneos: servidor %2 chamadas/s; SQL %3 chamadas/s; razão %4x")
                .arg(m_options.clients)
                .arg(throughput.serverCallsPerSecond, 0, 'f', 0)
                .arg(throughput.bareCallsPerSecond, 0, 'f', 0)
                .arg(throughputRatio, 0, 'f', 2));
        stopServing();

        const bool listingMet = salespeople.ratio() <= 2.0 && salespeople.server.median() < 50.0;
        const bool generationMet = generations.server.count() > 0 && generations.server.median() < 300.0;
        const QString engine =
            m_connections->where().isSqlite() ? QStringLiteral("sqlite") : QStringLiteral("postgresql");
        std::printf(
            "%s\n",
            QStringLiteral("RESUMO %1: GetVendedores %2 ms (p99 %3, %4x SQL) | GetOrcamentos %5 ms (p99 %6, %7x SQL)"
                           " | SetComissao 1000 %8 ms (%9x SQL) | %10 clientes %11 chamadas/s (%12x SQL)"
                           " | metas %13")
                .arg(engine)
                .arg(salespeople.server.median(), 0, 'f', 2)
                .arg(salespeople.server.p99(), 0, 'f', 2)
                .arg(salespeople.ratio(), 0, 'f', 2)
                .arg(quotes.server.median(), 0, 'f', 2)
                .arg(quotes.server.p99(), 0, 'f', 2)
                .arg(quotes.ratio(), 0, 'f', 2)
                .arg(generations.server.median(), 0, 'f', 1)
                .arg(generations.ratio(), 0, 'f', 2)
                .arg(m_options.clients)
                .arg(throughput.serverCallsPerSecond, 0, 'f', 0)
                .arg(throughputRatio, 0, 'f', 2)
                .arg(listingMet && generationMet ? QStringLiteral("atingidas") : QStringLiteral("NÃO atingidas"))
                .toUtf8()
                .constData());
        return listingMet && generationMet ? 0 : 1;
    } catch (const std::runtime_error &error) {
        say(QStringLiteral("Falha: %1").arg(QString::fromStdString(error.what())));
        stopServing();
        return 2;
    }
}
