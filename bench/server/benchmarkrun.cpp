#include "benchmarkrun.h"

#include "benchclient.h"
#include "benchoperator.h"
#include "benchsession.h"
#include "loopbackfloor.h"
#include "nativebaseline.h"
#include "serveddatabase.h"
#include "threadplacement.h"
#include "wireclient.h"

#include <bulkinserter.h>
#include <commissionmath.h>
#include <daycount.h>
#include <demodatagenerator.h>
#include <orcamentos.h>
#include <packetcodec.h>
#include <parameterrepository.h>
#include <quotekey.h>
#include <schema.h>
#include <sqldialect.h>
#include <sqlrunner.h>
#include <sqlvalues.h>
#include <writetransaction.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QSqlRecord>

#include <atomic>
#include <cstdio>
#include <functional>
#include <optional>
#include <random>
#include <thread>

using commission::SqlRunner;

namespace {

constexpr int benchBranches = 20;
constexpr int quotesPerGeneration = 1000;
constexpr int warmUpCalls = 10;  // the first runs warm the caches
constexpr int callsPerBlock = 10;
const QString branch = QStringLiteral("0001");

void say(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

QString salespersonOfBranch(int branchIndex, int nth)
{
    // The generator puts salesperson i in branch i mod 20.
    return QString::number(branchIndex + 1 + nth * benchBranches).rightJustified(4, QLatin1Char('0'));
}

// A whole month, `monthsBack` before this one.
std::pair<QDate, QDate> monthBefore(int monthsBack)
{
    const QDate month = QDate::currentDate().addMonths(-monthsBack);
    const QDate first(month.year(), month.month(), 1);
    return {first, first.addMonths(1).addDays(-1)};
}

// Runs the statements through the server's own database layer and reads
// every value, as the bare generation reads what it checks.
void readAll(const QSqlDatabase &db, const QVector<commission::SqlStatement> &statements)
{
    for (const commission::SqlStatement &statement : statements) {
        QSqlQuery query = SqlRunner::run(db, statement.sql, statement.values);
        const int columns = query.record().count();
        while (query.next()) {
            for (int i = 0; i < columns; ++i)
                query.value(i);
        }
    }
}

}  // namespace

QString BenchmarkRun::Comparison::describe() const
{
    return QStringLiteral("servidor %1 | C %2 | piso %3 ms | razão %4x")
        .arg(server.describe(), baseline.describe())
        .arg(floor, 0, 'f', 3)
        .arg(ratio(), 0, 'f', 2);
}

BenchmarkRun::BenchmarkRun(const BenchOptions &options) : m_options(options)
{
    std::tie(m_openMonthStart, m_openMonthEnd) = monthBefore(1);
    std::tie(m_settledMonthStart, m_settledMonthEnd) = monthBefore(6);
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
    BenchOperator::openSession(db);
    const auto count = [&db](const QString &sql) {
        QSqlQuery query = SqlRunner::run(db, sql);
        query.next();
        return query.value(0).toLongLong();
    };
    const qint64 quotes = count(QStringLiteral("SELECT COUNT(*) FROM ORCAEVENTO"));
    const qint64 settled = count(QStringLiteral("SELECT COUNT(*) FROM ORCACOMISSAO"));
    // A database of an earlier version of this program (nothing settled) is
    // built again.
    if (quotes == commission::DemoSize::benchmark().quotes && settled > quotes / 2) {
        say(QStringLiteral("Usando o banco existente %1 (%2 orçamentos, %3 com comissão gerada).")
                .arg(where.describe())
                .arg(quotes)
                .arg(settled));
        settleDatabase(db);
        return;
    }
    commission::WriteTransaction transaction(db);
    for (const char *table : {"AUDITCOMISSAOORC", "AUDITCOMISSAO", "ORCACOMISSAO", "CONTAPAGAR", "ORCAEVENTO",
                              "PARAMORCAEVE", "CLIENTE", "TIPOEVENTO", "VENDEDOR", "FILIAL"})
        SqlRunner::run(db, QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
    transaction.commit();
    buildDatabase();
    settleDatabase(db);
}

void BenchmarkRun::settleDatabase(const QSqlDatabase &db)
{
    // On PostgreSQL the rows a build or an earlier run's generations wrote
    // leave work for the autovacuum, which would otherwise run under the
    // measures and change the statistics, and so the plans, halfway through.
    // Done now, both sides meet the same settled tables.
    if (!m_connections->where().isSqlite())
        SqlRunner::run(db, QStringLiteral("VACUUM ANALYZE"));
}

commission::QuoteFilter BenchmarkRun::filterFor(const QString &branchCode, QDate from, QDate to, bool generated)
{
    commission::QuoteFilter filter;
    filter.branch = branchCode;
    filter.from = from;
    filter.to = to;
    filter.generated = generated;
    return filter;
}

double BenchmarkRun::measureFloor(const Placement &placement)
{
    std::optional<LoopbackFloor> floor;
    {
        const ThreadPlacement serverSide(placement.server);
        floor.emplace();
    }
    WireClient client(floor->port());
    const std::string path = BenchClient::path(QStringLiteral("GetParamOrcaEve"));
    const std::string body = BenchClient::requestBody({});
    Timings timings;
    for (int i = 0; i < m_options.calls * 5 + warmUpCalls; ++i) {
        QElapsedTimer timer;
        timer.start();
        client.send(path, body);
        if (i >= warmUpCalls)
            timings.add(elapsedMs(timer));
    }
    say(QStringLiteral("[%1] Piso (chamada vazia no loopback): %2").arg(placement.name, timings.describe()));
    return timings.median();
}

BenchmarkRun::Comparison BenchmarkRun::compare(const Setup &setup, const QString &method, const QJsonArray &arguments,
                                               const QVector<commission::SqlStatement> &statements, int calls)
{
    WireClient client(setup.port);
    const std::string path = BenchClient::path(method);
    const std::string body = BenchClient::requestBody(arguments);
    QVector<int> prepared;
    for (const commission::SqlStatement &statement : statements)
        prepared.append(m_native->prepare(statement.sql));
    Comparison comparison;
    comparison.floor = setup.floor;
    const auto timeServer = [&] {
        QElapsedTimer timer;
        timer.start();
        client.send(path, body);
        return elapsedMs(timer);
    };
    const auto timeNative = [&] {
        QElapsedTimer timer;
        timer.start();
        for (int s = 0; s < statements.size(); ++s)
            m_native->run(prepared[s], statements[s].values);
        return elapsedMs(timer);
    };
    // Each side runs its calls in blocks, back to back, as the floor is
    // measured. Timed one call each in turn, every server call would also
    // pay for waking the processor that idled while the baseline ran, a
    // cost the floor never pays. Whichever block runs second finds the
    // pages the first read in memory and in the processor's caches, so the
    // two take turns at going first; each side's first block only warms up.
    //
    // The baseline runs on the server's processor, so the two sides' work
    // is done by the same processor whatever the placement: the processors
    // of a virtual machine need not run at the same speed at the same time.
    const auto runBlock = [&](const std::function<double()> &timeOne, Timings *timings) {
        for (int i = 0; i < callsPerBlock; ++i) {
            const double elapsed = timeOne();
            if (timings)
                timings->add(elapsed);
        }
    };
    const int blocks = (calls + callsPerBlock - 1) / callsPerBlock;
    for (int block = 0; block <= blocks; ++block) {
        Timings *server = block == 0 ? nullptr : &comparison.server;
        Timings *native = block == 0 ? nullptr : &comparison.baseline;
        const auto runNative = [&] {
            const ThreadPlacement onServersProcessor(setup.baselineProcessor);
            runBlock(timeNative, native);
        };
        if (block % 2 == 0) {
            runBlock(timeServer, server);
            runNative();
        } else {
            runNative();
            runBlock(timeServer, server);
        }
    }
    return comparison;
}

BenchmarkRun::Comparison BenchmarkRun::compareParameters(const Setup &setup)
{
    return compare(setup, QStringLiteral("GetParamOrcaEve"), {},
                   {{commission::ParameterRepository::packetStatement(), {}}}, m_options.calls * 5);
}

BenchmarkRun::Comparison BenchmarkRun::compareSalespeople(const Setup &setup, bool generated, QDate from, QDate to)
{
    const commission::QuoteFilter filter = filterFor(branch, from, to, generated);
    QVector<commission::SqlStatement> statements{commission::QuoteQueries::salespeople(filter)};
    if (commission::QuoteQueries::needsPending(filter))
        statements.append(commission::QuoteQueries::pendingQuotes(filter));
    return compare(setup, QStringLiteral("GetVendedores"),
                   BenchClient::listingArguments(branch, QString(), false, from, to, generated), statements,
                   m_options.calls);
}

BenchmarkRun::Comparison BenchmarkRun::compareQuotes(const Setup &setup, bool generated, const QString &salesperson,
                                                     QDate from, QDate to)
{
    return compare(setup, QStringLiteral("GetOrcamentos"),
                   BenchClient::listingArguments(branch, salesperson, true, from, to, generated),
                   {commission::QuoteQueries::quotes(filterFor(branch, from, to, generated), salesperson)},
                   m_options.calls * 5);
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
        readAll(db, {{table
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
    // Settled quotes of the branch's salespeople, 1,000 at a time: their
    // commission is cancelled (timed), generated by the bare statements
    // (timed, then taken back) and generated by the server (timed), so the
    // database ends as it began.
    BenchClient client(port);
    const QSqlDatabase db = m_connections->database();
    Comparison comparison;
    const QDate settledUntil = QDate::currentDate().addMonths(-3);
    for (int nth = 0; nth < 25 && comparison.server.count() < m_options.generations; ++nth) {
        const QString salesperson = salespersonOfBranch(0, nth);
        const QJsonObject quotes =
            client
                .call(QStringLiteral("GetOrcamentos"),
                      BenchClient::listingArguments(branch, salesperson, true, QDate(), settledUntil, true))
                .toObject();
        const packet::Packet layout = packet::fromJson(quotes);
        const int percent = layout.fieldIndex(contract::Orcamentos::VrPercComis.name);
        QJsonArray marked;
        for (const QJsonValue row : quotes.value(QStringLiteral("rows")).toArray()) {
            if (row.toArray()[percent].toDouble() > 0 && marked.size() < quotesPerGeneration)
                marked.append(row);
        }
        if (marked.size() < quotesPerGeneration)
            continue;
        QJsonObject sent = quotes;
        sent.insert(QStringLiteral("rows"), marked);
        const std::string cancellation =
            BenchClient::requestBody({BenchClient::packet(sent), BenchClient::text(QStringLiteral("BENCH"), false),
                                      BenchClient::text(QStringLiteral("Medida do benchmark"), false)});
        const std::string generation =
            BenchClient::requestBody({BenchClient::packet(sent), BenchClient::text(QStringLiteral("BENCH"), false)});

        QElapsedTimer timer;
        timer.start();
        client.post(QStringLiteral("SetCancelaComissao"), cancellation);
        cancellations.add(elapsedMs(timer));
        comparison.baseline.add(generateBare(db, marked, layout.fieldIndex(contract::Orcamentos::CdFilial.name),
                                             layout.fieldIndex(contract::Orcamentos::NrOrcaEvento.name),
                                             layout.fieldIndex(contract::Orcamentos::NrSeqOrcaEve.name), percent));
        timer.restart();
        const QString answer = client.post(QStringLiteral("SetComissao"), generation).toString();
        comparison.server.add(elapsedMs(timer));
        if (!answer.isEmpty())
            throw std::runtime_error("SetComissao recusado: " + answer.toStdString());
    }
    return comparison;
}

double BenchmarkRun::measureThroughput(int port)
{
    // A mix like the screens': a salesperson listing, then the quotes of one
    // salesperson, for a random branch, month of the three years and status.
    std::atomic<qint64> calls{0};
    std::vector<std::thread> threads;
    QElapsedTimer timer;
    timer.start();
    for (int c = 0; c < m_options.clients; ++c) {
        threads.emplace_back([&, c] {
            WireClient client(port);
            std::mt19937 random(97 + c);
            bool listing = true;
            while (timer.elapsed() < m_options.seconds * 1000) {
                const int branchIndex = std::uniform_int_distribution<int>(0, benchBranches - 1)(random);
                const auto [from, to] = monthBefore(std::uniform_int_distribution<int>(1, 35)(random));
                const bool generated = std::uniform_int_distribution<int>(0, 3)(random) == 0;
                const QString branchCode = QString::number(branchIndex + 1).rightJustified(4, QLatin1Char('0'));
                const QString salesperson =
                    salespersonOfBranch(branchIndex, std::uniform_int_distribution<int>(0, 24)(random));
                if (listing)
                    client.send(BenchClient::path(QStringLiteral("GetVendedores")),
                                BenchClient::requestBody(
                                    BenchClient::listingArguments(branchCode, QString(), false, from, to, generated)));
                else
                    client.send(BenchClient::path(QStringLiteral("GetOrcamentos")),
                                BenchClient::requestBody(
                                    BenchClient::listingArguments(branchCode, salesperson, true, from, to, generated)));
                listing = !listing;
                ++calls;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    return double(calls) / (double(timer.elapsed()) / 1000.0);
}

QVector<BenchmarkRun::Placement> BenchmarkRun::placements()
{
    // On one processor the client and the server take turns on it, as the
    // client and the baseline always do. On two, each call crosses between
    // them and wakes the idle one, the floor's calls too. Left to the
    // kernel, the server's threads land on either from one connection to
    // the next, and the same code measured two different figures.
    const std::vector<int> processors = ThreadPlacement::processors();
    if (processors.empty())
        throw std::runtime_error("nenhum processador disponível");
    QVector<Placement> placements{{QStringLiteral("um processador"), processors[0], processors[0]}};
    if (processors.size() > 1)
        placements.append({QStringLiteral("dois processadores"), processors[0], processors[1]});
    return placements;
}

BenchmarkRun::Latencies BenchmarkRun::measureLatencies(const Placement &placement)
{
    const ThreadPlacement clientSide(placement.client);
    std::optional<ServedDatabase> served;
    {
        const ThreadPlacement serverSide(placement.server);
        served.emplace(m_connections->where(), std::max(8, m_options.clients), m_options.ioThreads);
    }
    const auto report = [&](const QString &what, const Comparison &comparison) {
        say(QStringLiteral("[%1] %2: %3").arg(placement.name, what, comparison.describe()));
    };
    Latencies latencies;
    latencies.placement = placement;
    latencies.floor = measureFloor(placement);
    const Setup setup{served->port(), latencies.floor, placement.server};
    latencies.parameters = compareParameters(setup);
    report(QStringLiteral("GetParamOrcaEve"), latencies.parameters);
    latencies.openSalespeople = compareSalespeople(setup, false, m_openMonthStart, m_openMonthEnd);
    report(QStringLiteral("GetVendedores não gerada"), latencies.openSalespeople);
    latencies.settledSalespeople = compareSalespeople(setup, true, m_settledMonthStart, m_settledMonthEnd);
    report(QStringLiteral("GetVendedores gerada"), latencies.settledSalespeople);
    const QString salesperson = salespersonOfBranch(0, 0);
    latencies.openQuotes = compareQuotes(setup, false, salesperson, m_openMonthStart, m_openMonthEnd);
    report(QStringLiteral("GetOrcamentos não gerada"), latencies.openQuotes);
    latencies.settledQuotes = compareQuotes(setup, true, salesperson, m_settledMonthStart, m_settledMonthEnd);
    report(QStringLiteral("GetOrcamentos gerada"), latencies.settledQuotes);
    return latencies;
}

int BenchmarkRun::run()
{
    prepareDatabase();
    m_native = NativeBaseline::open(m_connections->where());
    try {
        say(QStringLiteral("Filial %1; não gerada: %2 a %3; gerada: %4 a %5; %6 chamadas por medida (%7 nas de menos "
                           "de um milissegundo).")
                .arg(branch, m_openMonthStart.toString(Qt::ISODate), m_openMonthEnd.toString(Qt::ISODate),
                     m_settledMonthStart.toString(Qt::ISODate), m_settledMonthEnd.toString(Qt::ISODate))
                .arg(m_options.calls)
                .arg(m_options.calls * 5));
        QVector<Latencies> measured;
        for (const Placement &placement : placements())
            measured.append(measureLatencies(placement));

        // Generations and many clients at once run where the kernel puts
        // them, as a server in service does.
        const ServedDatabase served(m_connections->where(), std::max(8, m_options.clients), m_options.ioThreads);
        const int port = served.port();
        Timings cancellations;
        const Comparison generations = measureGenerations(port, cancellations);
        say(QStringLiteral("SetComissao de %1 orçamentos: servidor %2 | escrita direta %3 | razão %4x")
                .arg(quotesPerGeneration)
                .arg(generations.server.describe(), generations.baseline.describe())
                .arg(generations.ratio(), 0, 'f', 2));
        say(QStringLiteral("SetCancelaComissao de %1 orçamentos: %2")
                .arg(quotesPerGeneration)
                .arg(cancellations.describe()));
        // The first run meets every worker's connection cold: its mapping of
        // the file has none of the pages of the other branches and months
        // yet. The second is the server as it runs once it has been up a
        // while, the figure the summary takes.
        const double firstCallsPerSecond = measureThroughput(port);
        const double callsPerSecond = measureThroughput(port);
        say(QStringLiteral("%1 clientes simultâneos: %2 chamadas/s (primeira rodada, a frio: %3)")
                .arg(m_options.clients)
                .arg(callsPerSecond, 0, 'f', 0)
                .arg(firstCallsPerSecond, 0, 'f', 0));

        // Each ratio for every placement, one processor first. The verdict
        // takes one processor's: there the floor, the baseline and the
        // server share one processor and nothing else differs. Across two,
        // the server's calls pay more than the floor's for crossing
        // between them, by an amount that moves from run to run with the
        // machine.
        const Latencies &first = measured.front();
        const double salespeopleRatio = first.salespeopleRatio();
        const double quotesRatio = first.quotesRatio();
        QStringList floors, parameterRatios, salespeopleRatios, quotesRatios;
        for (const Latencies &latencies : std::as_const(measured)) {
            floors.append(QString::number(latencies.floor, 'f', 3));
            parameterRatios.append(QString::number(latencies.parameters.ratio(), 'f', 2) + QLatin1Char('x'));
            salespeopleRatios.append(QString::number(latencies.salespeopleRatio(), 'f', 2) + QLatin1Char('x'));
            quotesRatios.append(QString::number(latencies.quotesRatio(), 'f', 2) + QLatin1Char('x'));
        }
        const bool met = salespeopleRatio <= 1.3 && quotesRatio <= 1.5 && generations.server.count() > 0
                         && generations.ratio() <= 1.3;
        const QString engine =
            m_connections->where().isSqlite() ? QStringLiteral("sqlite") : QStringLiteral("postgresql");
        const QString separator = QStringLiteral(" / ");
        std::printf(
            "%s\n",
            QStringLiteral("RESUMO %1 (%2): piso %3 ms | GetParamOrcaEve %4 ms (%5) | GetVendedores %6/%7 ms (%8)"
                           " | GetOrcamentos %9/%10 ms (%11) | SetComissao 1000 %12 ms (%13x) | %14 clientes %15"
                           " chamadas/s | metas %16")
                .arg(engine)
                .arg(QStringList(measured.size() > 1 ? QStringList{first.placement.name, measured.back().placement.name}
                                                     : QStringList{first.placement.name})
                         .join(separator))
                .arg(floors.join(separator))
                .arg(first.parameters.server.median(), 0, 'f', 3)
                .arg(parameterRatios.join(separator))
                .arg(first.openSalespeople.server.median(), 0, 'f', 2)
                .arg(first.settledSalespeople.server.median(), 0, 'f', 2)
                .arg(salespeopleRatios.join(separator))
                .arg(first.openQuotes.server.median(), 0, 'f', 2)
                .arg(first.settledQuotes.server.median(), 0, 'f', 2)
                .arg(quotesRatios.join(separator))
                .arg(generations.server.median(), 0, 'f', 1)
                .arg(generations.ratio(), 0, 'f', 2)
                .arg(m_options.clients)
                .arg(callsPerSecond, 0, 'f', 0)
                .arg(met ? QStringLiteral("atingidas") : QStringLiteral("NÃO atingidas"))
                .toUtf8()
                .constData());
        return met ? 0 : 1;
    } catch (const std::runtime_error &error) {
        say(QStringLiteral("Falha: %1").arg(QString::fromStdString(error.what())));
        return 2;
    }
}
