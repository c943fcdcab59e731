#pragma once

#include "timings.h"

#include <connectionprovider.h>
#include <quotequeries.h>

#include <QDate>
#include <QJsonArray>
#include <QString>

#include <algorithm>
#include <memory>

class NativeBaseline;

struct BenchOptions {
    QString database = QStringLiteral("/tmp/commission-bench.db");
    bool rebuild = false;
    int calls = 200;      // repeated calls per measure
    int generations = 5;  // generations of 1,000 quotes
    int clients = 8;      // concurrent clients for the throughput
    int seconds = 5;      // length of the throughput run
    int ioThreads = 2;    // the server's I/O threads
};

// Builds (or reuses) a database of 1,000,000 quotes, the older ones settled,
// serves it on loopback in this process and measures each call against the
// best the database's own C library does with the same statements, plus the
// least a loopback call costs.
class BenchmarkRun {
public:
    explicit BenchmarkRun(const BenchOptions &options);
    ~BenchmarkRun();

    // 0 when the targets are met, 1 when not.
    int run();

private:
    struct Comparison {
        Timings server;
        Timings baseline;
        double floor = 0;  // median of a bare loopback call
        double ratio() const
        {
            const double best = baseline.median() + floor;
            return best > 0 ? server.median() / best : 0;
        }
        QString describe() const;
    };

    // The processors the latencies are measured on: the client's and the
    // server's, one and the same or each its own.
    struct Placement {
        QString name;
        int client = 0;
        int server = 0;
    };
    // The latencies measured on one placement.
    struct Latencies {
        Placement placement;
        double floor = 0;
        Comparison parameters;
        Comparison openSalespeople;
        Comparison settledSalespeople;
        Comparison openQuotes;
        Comparison settledQuotes;
        double salespeopleRatio() const { return std::max(openSalespeople.ratio(), settledSalespeople.ratio()); }
        double quotesRatio() const { return std::max(openQuotes.ratio(), settledQuotes.ratio()); }
    };

    // What a comparison runs against: the server's port, the floor on the
    // placement and the processor the baseline runs on, the server's.
    struct Setup {
        int port = 0;
        double floor = 0;
        int baselineProcessor = 0;
    };

    void prepareDatabase();
    void buildDatabase();
    void settleDatabase(const QSqlDatabase &db);
    static QVector<Placement> placements();
    Latencies measureLatencies(const Placement &placement);
    double measureFloor(const Placement &placement);
    // Times a call through HTTP and the same statements through the C
    // library, each side in blocks of calls back to back.
    Comparison compare(const Setup &setup, const QString &method, const QJsonArray &arguments,
                       const QVector<commission::SqlStatement> &statements, int calls);
    Comparison compareParameters(const Setup &setup);
    Comparison compareSalespeople(const Setup &setup, bool generated, QDate from, QDate to);
    Comparison compareQuotes(const Setup &setup, bool generated, const QString &salesperson, QDate from, QDate to);
    Comparison measureGenerations(int port, Timings &cancellations);
    double measureThroughput(int port);

    static commission::QuoteFilter filterFor(const QString &branch, QDate from, QDate to, bool generated);
    double generateBare(const QSqlDatabase &db, const QJsonArray &rows, int fieldsBranch, int fieldsNumber,
                        int fieldsSequence, int fieldsPercent);

    BenchOptions m_options;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
    std::unique_ptr<NativeBaseline> m_native;
    QDate m_openMonthStart;  // last month: not settled yet
    QDate m_openMonthEnd;
    QDate m_settledMonthStart;  // six months ago: settled
    QDate m_settledMonthEnd;
};
