#pragma once

#include "latencyhistogram.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace commission {

// What the server shows of its state at a moment, read when the metrics are.
struct ServerGauges {
    qint64 queueLength = 0;      // calls waiting for a worker
    qint64 busyWorkers = 0;      // calls running
    qint64 openConnections = 0;  // client connections open
};

// The server's metrics, written as Prometheus' text format by text() for
// GET /metrics (docs/server.md, "Metrics"). Every family is fixed when the
// object is made: one slot per method the server knows (the remote
// object's methods, sign-in and sign-out) and one for every other request,
// each with a counter per HTTP status and a latency histogram. A call
// costs a hash lookup and a few relaxed atomic additions, no lock; the
// gauges are read only when the metrics are.
class ServerMetrics {
public:
    static constexpr std::string_view contentType = "text/plain; version=0.0.4; charset=utf-8";
    // The method label of a request that reached none of the known ones.
    static const QString otherMethod;

    // `methods`: the remote object's method names.
    explicit ServerMetrics(const QStringList &methods);

    // One call, as its log line names its method ("GetVendedores",
    // "POST /sessao", "POST /rdm/.../SetComissao (fila cheia)").
    void recordCall(const QString &method, int status, qint64 nanoseconds);
    void databaseError() { m_databaseErrors.fetch_add(1, std::memory_order_relaxed); }
    void databaseRetry() { m_databaseRetries.fetch_add(1, std::memory_order_relaxed); }
    // Set once, before the server serves.
    void setGauges(std::function<ServerGauges()> read) { m_gauges = std::move(read); }

    std::string text() const;
    // The label a method's calls are counted under.
    QString label(const QString &method) const;

    static QString version();

private:
    static constexpr int firstStatus = 100;
    static constexpr int lastStatus = 599;
    struct MethodSlot {
        std::string label;  // escaped for the text format
        std::array<std::atomic<quint64>, lastStatus - firstStatus + 1> byStatus{};
        LatencyHistogram latency;
    };
    MethodSlot &slotOf(const QString &method);

    std::vector<std::unique_ptr<MethodSlot>> m_slots;  // the last one for every other request
    QHash<QString, std::size_t> m_index;
    std::atomic<quint64> m_databaseErrors{0};
    std::atomic<quint64> m_databaseRetries{0};
    std::function<ServerGauges()> m_gauges;
};

}  // namespace commission
