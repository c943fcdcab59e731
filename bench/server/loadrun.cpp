#include "loadrun.h"

#include "benchsession.h"

#include "benchclient.h"

#include <daycount.h>
#include <vendedores.h>

#include <QDate>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

struct ClientResult {
    std::vector<double> milliseconds;
    int errors = 0;
    QString firstError;
};

QJsonArray listing(const QString &branch, const QString &salesperson, bool list)
{
    const QDate today = QDate::currentDate();
    return BenchClient::listingArguments(branch, salesperson, !list, today.addMonths(-2), today, false);
}

QString firstSalesperson(const QJsonValue &answer)
{
    const QJsonObject salespeople = answer.toArray().at(0).toObject();
    const QJsonArray fields = salespeople.value(QStringLiteral("fields")).toArray();
    const QJsonArray rows = salespeople.value(QStringLiteral("rows")).toArray();
    for (int i = 0; i < fields.size() && !rows.isEmpty(); ++i) {
        if (fields[i].toObject().value(QStringLiteral("name")).toString() == contract::Vendedores::CdVendedor.name)
            return rows[0].toArray().at(i).toString();
    }
    return QString();
}

void runClient(int port, int index, const QElapsedTimer &clock, qint64 endMs, ClientResult &result)
{
    BenchClient client(port);
    const QString branch = QStringLiteral("%1").arg(index % 5 + 1, 4, 10, QLatin1Char('0'));
    QString salesperson;
    while (clock.elapsed() < endMs) {
        const bool listQuotes = !salesperson.isEmpty() && result.milliseconds.size() % 2 == 1;
        QElapsedTimer call;
        call.start();
        try {
            if (listQuotes) {
                client.call(QStringLiteral("GetOrcamentos"), listing(branch, salesperson, false));
            } else {
                salesperson =
                    firstSalesperson(client.call(QStringLiteral("GetVendedores"), listing(branch, QString(), true)));
            }
            result.milliseconds.push_back(call.nsecsElapsed() / 1e6);
        } catch (const std::exception &error) {
            if (result.errors++ == 0)
                result.firstError = QString::fromUtf8(error.what());
        }
    }
}

double percentile(const std::vector<double> &sorted, double p)
{
    if (sorted.empty())
        return 0;
    return sorted[std::min(sorted.size() - 1, size_t(std::lround(p * double(sorted.size() - 1))))];
}

}  // namespace

int LoadRun::run()
{
    try {
        BenchSession::signIn(m_options.port, m_options.operatorCode, m_options.password);
    } catch (const std::runtime_error &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::vector<ClientResult> results(size_t(m_options.clients));
    std::vector<std::thread> threads;
    QElapsedTimer clock;
    clock.start();
    const qint64 endMs = qint64(m_options.seconds) * 1000;
    for (int i = 0; i < m_options.clients; ++i)
        threads.emplace_back(runClient, m_options.port, i, std::cref(clock), endMs, std::ref(results[size_t(i)]));
    for (std::thread &thread : threads)
        thread.join();
    const double elapsedSeconds = clock.nsecsElapsed() / 1e9;

    std::vector<double> all;
    int errors = 0;
    int unanswered = 0;
    QString firstError;
    for (const ClientResult &result : results) {
        all.insert(all.end(), result.milliseconds.begin(), result.milliseconds.end());
        errors += result.errors;
        unanswered += result.milliseconds.empty() ? 1 : 0;
        if (firstError.isEmpty())
            firstError = result.firstError;
    }
    std::sort(all.begin(), all.end());
    std::printf("clientes %d, %d s: %zu chamadas, %.0f chamadas/s, p50 %.2f ms, p99 %.2f ms, maior espera %.1f ms,"
                " clientes sem resposta %d, erros %d\n",
                m_options.clients, m_options.seconds, all.size(), double(all.size()) / elapsedSeconds,
                percentile(all, 0.5), percentile(all, 0.99), all.empty() ? 0.0 : all.back(), unanswered, errors);
    if (!firstError.isEmpty())
        std::printf("primeiro erro: %s\n", firstError.toUtf8().constData());
    return errors == 0 && unanswered == 0 ? 0 : 1;
}
