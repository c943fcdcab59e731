#pragma once

#include <QString>

// A period of day counts (0 = open) as the operator reads it: "01/11/2026 a
// 30/11/2026", "a partir de ...", "até ...", "qualquer data".
class PeriodText {
public:
    static QString describe(double from, double to);
};
