#pragma once

#include "timings.h"

#include <QDate>
#include <QString>

// The screen's own side of a listing: what it spends on an answer once the
// server has sent it. Needs a QApplication (any platform, offscreen too).
class ScreenBench {
public:
    // Decoding an answer of `quotes` quotes and loading it into the quote
    // record set with a grid model over it, `runs` times.
    static Timings decodeAndLoad(int quotes, int runs);

    struct FilterRun {
        Timings whole;        // from the reload to the lists shown and painted
        Timings serverCalls;  // the same calls alone, through a bare client
    };
    // The maintenance screen against the server on `port`: the lists of the
    // branch's period loaded and shown `runs` times, and the server's calls
    // of one run timed alone.
    static FilterRun filterRun(int port, const QString &branch, QDate from, QDate to, int runs);
};
