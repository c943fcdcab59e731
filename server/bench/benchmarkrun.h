#pragma once

#include "timings.h"

#include <connectionprovider.h>
#include <quotequeries.h>

#include <QDate>
#include <QJsonArray>
#include <QString>

#include <memory>

struct BenchOptions {
    QString database = QStringLiteral("/tmp/commission-bench.db");
    bool rebuild = false;
    int calls = 200;      // repeated calls per listing
    int generations = 5;  // generations of 1,000 quotes
    int clients = 8;      // concurrent clients for the throughput
    int seconds = 5;      // length of each throughput run
};

// Builds (or reuses) a database of 1,000,000 quotes, serves it on loopback
// in this process and measures the server against the same SQL run bare.
class BenchmarkRun {
public:
    explicit BenchmarkRun(const BenchOptions &options);
    ~BenchmarkRun();

    // 0 when the targets are met, 1 when not.
    int run();

private:
    struct Comparison {
        Timings server;
        Timings bare;
        double ratio() const { return bare.median() > 0 ? server.median() / bare.median() : 0; }
    };
    struct Throughput {
        double serverCallsPerSecond = 0;
        double bareCallsPerSecond = 0;
    };

    void prepareDatabase();
    void buildDatabase();
    Comparison measureSalespeople(int port);
    Comparison measureQuotes(int port, const QString &salesperson);
    // Times one listing method through HTTP against the same selection as bare
    // SQL, call by call, after a few warm-up calls.
    Comparison compareListing(int port, const QString &method, const QJsonArray &arguments,
                              const QVector<commission::SqlStatement> &bare);
    Comparison measureGenerations(int port, Timings &cancellations);
    Throughput measureThroughput(int port);

    QJsonArray listingArguments(const QString &branch, const QString &salesperson, bool single, QDate from,
                                QDate to) const;
    commission::QuoteFilter filterFor(const QString &branch, QDate from, QDate to) const;
    static double runBare(const QSqlDatabase &db, const QVector<commission::SqlStatement> &statements);
    double generateBare(const QSqlDatabase &db, const QJsonArray &rows, int fieldsBranch, int fieldsNumber,
                        int fieldsSequence, int fieldsPercent);

    BenchOptions m_options;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
    QDate m_monthStart;
    QDate m_monthEnd;
};
