#include "timings.h"

#include <algorithm>
#include <cmath>

double Timings::percentile(int percent) const
{
    if (m_values.isEmpty())
        return 0;
    QVector<double> sorted = m_values;
    std::sort(sorted.begin(), sorted.end());
    // Nearest rank.
    const qsizetype rank = qsizetype(std::ceil(percent / 100.0 * sorted.size()));
    return sorted[std::clamp<qsizetype>(rank - 1, 0, sorted.size() - 1)];
}

QString Timings::describe() const
{
    return QStringLiteral("mediana %1 ms, p99 %2 ms (%3 execuções)")
        .arg(median(), 0, 'f', 2)
        .arg(p99(), 0, 'f', 2)
        .arg(count());
}
