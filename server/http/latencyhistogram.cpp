#include "latencyhistogram.h"

#include <algorithm>
#include <cstdio>

namespace commission {

const std::array<const char *, LatencyHistogram::boundCount + 1> LatencyHistogram::labels{
    "0.0005", "0.001", "0.0025", "0.005", "0.01", "0.025", "0.05", "0.1", "0.25", "0.5", "1", "2.5", "+Inf"};

void LatencyHistogram::observe(qint64 nanoseconds)
{
    nanoseconds = std::max<qint64>(nanoseconds, 0);
    std::size_t bucket = 0;
    while (bucket < boundCount && nanoseconds > bounds[bucket])
        ++bucket;
    m_buckets[bucket].fetch_add(1, std::memory_order_relaxed);
    m_sumNanoseconds.fetch_add(quint64(nanoseconds), std::memory_order_relaxed);
}

LatencyHistogram::Snapshot LatencyHistogram::snapshot() const
{
    Snapshot snapshot;
    quint64 total = 0;
    for (std::size_t i = 0; i < m_buckets.size(); ++i) {
        total += m_buckets[i].load(std::memory_order_relaxed);
        snapshot.cumulative[i] = total;
    }
    snapshot.sumSeconds = double(m_sumNanoseconds.load(std::memory_order_relaxed)) / 1e9;
    return snapshot;
}

void LatencyHistogram::write(std::string &out, const std::string &name, const std::string &labels) const
{
    const Snapshot taken = snapshot();
    const std::string separator = labels.empty() ? std::string() : std::string(",");
    for (std::size_t i = 0; i < taken.cumulative.size(); ++i) {
        out += name + "_bucket{" + labels + separator + "le=\"" + LatencyHistogram::labels[i] + "\"} "
               + std::to_string(taken.cumulative[i]) + '\n';
    }
    char sum[64];
    std::snprintf(sum, sizeof sum, "%.9g", taken.sumSeconds);
    const std::string braces = labels.empty() ? std::string() : "{" + labels + "}";
    out += name + "_sum" + braces + ' ' + sum + '\n';
    out += name + "_count" + braces + ' ' + std::to_string(taken.count()) + '\n';
}

}  // namespace commission
