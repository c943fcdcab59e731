#pragma once

#include <QString>
#include <QVector>

// Durations of repeated runs of one thing, in milliseconds.
class Timings {
public:
    void add(double milliseconds) { m_values.append(milliseconds); }
    double median() const { return percentile(50); }
    double p99() const { return percentile(99); }
    qsizetype count() const { return m_values.size(); }
    QString describe() const;  // "median 3.21 ms, p99 4.80 ms (200 runs)"

private:
    double percentile(int percent) const;

    QVector<double> m_values;
};
