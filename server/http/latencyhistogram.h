#pragma once

#include <QtGlobal>

#include <array>
#include <atomic>
#include <string>

namespace commission {

// How long calls took, in fixed buckets from half a millisecond to 2.5 s
// and one for anything longer. observe() is a few relaxed atomic additions,
// cheap enough for every call; the buckets are kept apart and added up
// only when read, as Prometheus wants them (each counts every call up to
// its bound).
class LatencyHistogram {
public:
    static constexpr std::size_t boundCount = 12;
    // In nanoseconds: 0.5 1 2.5 5 10 25 50 100 250 500 1000 2500 ms.
    static constexpr std::array<qint64, boundCount> bounds{500'000,     1'000'000,   2'500'000,     5'000'000,
                                                           10'000'000,  25'000'000,  50'000'000,    100'000'000,
                                                           250'000'000, 500'000'000, 1'000'000'000, 2'500'000'000};
    // The bounds in seconds as written in `le`, then "+Inf".
    static const std::array<const char *, boundCount + 1> labels;

    void observe(qint64 nanoseconds);

    struct Snapshot {
        std::array<quint64, boundCount + 1> cumulative{};  // the last one holds every call
        double sumSeconds = 0;
        quint64 count() const { return cumulative.back(); }
    };
    Snapshot snapshot() const;

    // The _bucket, _sum and _count lines of `name`, with `labels` (already
    // written as `key="value"`) before `le`.
    void write(std::string &out, const std::string &name, const std::string &labels) const;

private:
    std::array<std::atomic<quint64>, boundCount + 1> m_buckets{};
    std::atomic<quint64> m_sumNanoseconds{0};
};

}  // namespace commission
